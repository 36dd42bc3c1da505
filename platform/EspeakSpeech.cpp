#include "platform/EspeakSpeech.h"

#include <QLoggingCategory>
#include <QSet>
#include <QXmlStreamReader>

#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <cmath>
#include <mutex>

Q_LOGGING_CATEGORY(lcSpeech, "ringvale.speech", QtWarningMsg)

namespace {

constexpr qint32 kNormalWordsPerMinute = espeakRATE_NORMAL;
constexpr qint64 kMaxSeconds = SpeechSynthesizer::MaxSpeechMs / 1000;

// The one engine of the process. Everything below runs under engineMutex.
struct Engine {
    bool started = false;
    QString error;
    int sampleRate = 0;
    QList<SpeechVoice> voices;
    QByteArray appliedVoice; // the identifier in force; empty: none set yet
};

// Where the running synthesis puts its samples.
struct Capture {
    std::vector<qint16>* samples = nullptr;
    const std::atomic_bool* cancelled = nullptr;
    qsizetype limit = 0;
};

std::mutex engineMutex;
Capture* currentCapture = nullptr;

QString statusText(espeak_ng_STATUS status)
{
    char buffer[256] = {};
    espeak_ng_GetStatusCodeMessage(status, buffer, sizeof buffer);
    return QString::fromUtf8(buffer);
}

int onSamples(short* wav, int count, espeak_EVENT*)
{
    Capture* capture = currentCapture;
    if (!capture)
        return 1;
    if (capture->cancelled->load())
        return 1;
    if (wav && count > 0) {
        const qsizetype room = capture->limit - qsizetype(capture->samples->size());
        const qsizetype take = std::min<qsizetype>(count, std::max<qsizetype>(room, 0));
        capture->samples->insert(capture->samples->end(), wav, wav + take);
        if (take < count)
            return 1;
    }
    return 0;
}

// The voices espeak-ng lists (it leaves out variants and mbrola voices),
// without any that need a program not here; names made unique, since the
// settings keep voices by name and a repeated name would shift every position.
QList<SpeechVoice> listVoices()
{
    QList<SpeechVoice> voices;
    QSet<QString> names;
    const espeak_VOICE** list = espeak_ListVoices(nullptr);
    for (qsizetype i = 0; list && list[i]; ++i) {
        const QString identifier = QString::fromUtf8(list[i]->identifier);
        if (identifier.startsWith(u"mb/"))
            continue;
        QString name = QString::fromUtf8(list[i]->name);
        // The settings store compares names without regard to case.
        if (names.contains(name.toLower()))
            name += u" (" + identifier + u')';
        names.insert(name.toLower());
        voices.append({name, identifier});
    }
    return voices;
}

Engine& engine()
{
    static Engine state;
    if (!state.started && state.error.isEmpty()) {
        const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
        if (rate <= 0) {
            state.error = QStringLiteral("espeak-ng could not start (its data not found)");
            return state;
        }
        espeak_SetSynthCallback(onSamples);
        state.started = true;
        state.sampleRate = rate;
        state.voices = listVoices();
    }
    return state;
}

struct Request {
    QByteArray text;
    bool markup = false;
    QByteArray voice; // empty: espeak-ng's default
    qint32 wordsPerMinute = kNormalWordsPerMinute;
    std::shared_ptr<std::atomic_bool> cancelled;
};

// On the worker: the whole text into samples, or an error.
PcmSound synthesize(const Request& request, QString* error)
{
    std::lock_guard lock(engineMutex);
    Engine& state = engine();
    PcmSound sound;
    if (!state.started) {
        *error = state.error;
        return sound;
    }
    const QByteArray voice = request.voice.isEmpty() ? QByteArrayLiteral("en") : request.voice;
    if (voice != state.appliedVoice) {
        const espeak_ng_STATUS status = espeak_ng_SetVoiceByName(voice.constData());
        if (status != ENS_OK) {
            *error = QStringLiteral("voice %1: %2").arg(QString::fromUtf8(voice), statusText(status));
            state.appliedVoice.clear();
            return sound;
        }
        state.appliedVoice = voice;
    }
    espeak_ng_SetParameter(espeakRATE, request.wordsPerMinute, 0);

    sound.samplesPerSec = quint32(state.sampleRate);
    sound.channels = 1;
    Capture capture{&sound.samples, request.cancelled.get(), qsizetype(state.sampleRate * kMaxSeconds)};
    currentCapture = &capture;
    const unsigned flags = espeakCHARS_UTF8 | (request.markup ? espeakSSML : 0);
    const espeak_ng_STATUS status = espeak_ng_Synthesize(request.text.constData(),
        size_t(request.text.size()) + 1, 0, POS_CHARACTER, 0, flags, nullptr, nullptr);
    currentCapture = nullptr;
    if (status != ENS_OK && status != ENS_SPEECH_STOPPED && !request.cancelled->load())
        *error = statusText(status);
    return sound;
}

} // namespace

qint32 EspeakWordsPerMinute(qint32 rate)
{
    const double wordsPerMinute = kNormalWordsPerMinute * std::pow(3.0, rate / 10.0);
    return std::clamp(
        qint32(std::lround(wordsPerMinute)), qint32(espeakRATE_MINIMUM), qint32(espeakRATE_MAXIMUM));
}

bool IsWellFormedSpeechMarkup(const QString& text)
{
    QXmlStreamReader reader(u"<speak>" + text + u"</speak>");
    while (!reader.atEnd())
        reader.readNext();
    return !reader.hasError();
}

EspeakSpeech::EspeakSpeech(QObject* parent)
    : SpeechSynthesizer(parent)
{
    {
        std::lock_guard lock(engineMutex);
        const Engine& state = engine();
        m_voices = state.voices;
        m_startError = state.error;
    }
    if (!m_startError.isEmpty())
        qCWarning(lcSpeech) << m_startError;
    m_thread.setObjectName(QStringLiteral("speech"));
    m_worker = new QObject;
    m_worker->moveToThread(&m_thread);
    m_thread.start();
}

EspeakSpeech::~EspeakSpeech()
{
    for (const auto& cancelled : std::as_const(m_pending))
        cancelled->store(true);
    m_pending.clear();
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
}

bool EspeakSpeech::SetVoice(qsizetype index)
{
    if (index < 0 || index >= m_voices.size())
        return false;
    m_voice = index;
    return true;
}

bool EspeakSpeech::SetRate(qint32 rate)
{
    if (rate < -10 || rate > 10)
        return false;
    m_rate = rate;
    return true;
}

quint64 EspeakSpeech::Synthesize(const QString& text)
{
    const quint64 job = m_nextJob++;
    auto cancelled = std::make_shared<std::atomic_bool>(false);
    m_pending.insert(job, cancelled);
    Request request;
    request.text = text.toUtf8();
    request.markup = IsWellFormedSpeechMarkup(text);
    if (m_voice >= 0)
        request.voice = m_voices[m_voice].identifier.toUtf8();
    request.wordsPerMinute = EspeakWordsPerMinute(m_rate);
    request.cancelled = cancelled;
    QMetaObject::invokeMethod(
        m_worker,
        [this, job, request] {
            if (request.cancelled->load())
                return;
            QString error;
            PcmSound sound = synthesize(request, &error);
            QMetaObject::invokeMethod(
                this, [this, job, sound = std::move(sound), error] { finish(job, sound, error); },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    return job;
}

void EspeakSpeech::Cancel(quint64 job)
{
    const auto it = m_pending.constFind(job);
    if (it == m_pending.cend())
        return;
    it.value()->store(true);
    m_pending.erase(it);
}

void EspeakSpeech::finish(quint64 job, const PcmSound& sound, const QString& error)
{
    if (!m_pending.remove(job))
        return;
    if (error.isEmpty())
        emit Synthesized(job, sound);
    else
        emit SynthesisFailed(job, error);
}

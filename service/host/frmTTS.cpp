#include "service/host/frmTTS.h"

#include "common/AppPaths.h"
#include "common/RegistryRoutines.h"
#include "common/WaveFile.h"
#include "platform/SpeechSynthesizer.h"
#include "platform/WaveControl.h"
#include "service/core/Journal.h"

#include <QDir>

namespace {

constexpr quint32 kSpeakRate = 22050; // what the sound card gets
constexpr quint32 kFileRate = 8000; // what a saved text holds

// In the private runtime folder, which the system empties at logout, so even
// a killed service leaves no speech behind for long.
QString speechFolderTemplate()
{
    const QString runtime = AppPaths::runtimeFolder();
    if (runtime.isEmpty())
        return QDir::tempPath() + QStringLiteral("/ringvale-tts-XXXXXX");
    return runtime + QStringLiteral("/tts-XXXXXX");
}

} // namespace

frmTTS::frmTTS(SpeechSynthesizer* voice, WaveControl* wave, const Journal& journal, QObject* parent)
    : SpeechEngine(parent)
    , m_voice(voice)
    , m_wave(wave)
    , m_journal(journal)
    , m_temp(speechFolderTemplate())
{
    m_voice->setParent(nullptr);
    m_wave->setParent(this);
    m_wave->InitDevices();
    connect(m_voice.get(), &SpeechSynthesizer::Synthesized, this, &frmTTS::onSynthesized);
    connect(m_voice.get(), &SpeechSynthesizer::SynthesisFailed, this, &frmTTS::onFailed);
    if (!m_temp.isValid())
        m_journal.WriteSysJournal(QStringLiteral("No temporary folder for speech: ") + m_temp.errorString(),
            0, QStringLiteral("ErrfrmTTS"));

    QStringList names;
    for (const SpeechVoice& v : m_voice->Voices())
        names.append(v.name);
    PublishVoices(names);
}

frmTTS::~frmTTS()
{
    StopSpeak();
    for (auto it = m_saving.cbegin(); it != m_saving.cend(); ++it)
        m_voice->Cancel(it.key());
    m_saving.clear();
    m_voice.reset();
    m_wave->CloseDevices();
}

void frmTTS::PublishVoices(const QStringList& names)
{
    const RegistryRoutines reg = RegistryRoutines::forProduct(QStringLiteral("TTS51"));
    if (!reg.KeyExists() && reg.CreateKey().isEmpty()) {
        m_journal.WriteSysJournal(
            QStringLiteral("The voice list TTS51 cannot be created"), 0, QStringLiteral("ErrfrmTTS"));
        return;
    }
    const QString path = reg.KeyRoot() + u'\\' + reg.Subkey();
    const QStringList stored
        = RegistryRoutines::EnumRegistryValues(RegistryRoutines::HKEY_LOCAL_MACHINE, path);
    // The desktop stores a position in this list, and the service applies it
    // to today's voices: the list must be today's, in the engine's order.
    if (stored == names)
        return;
    QList<std::pair<QString, QString>> values;
    for (const QString& name : names)
        values.append({name, QString()});
    if (!reg.ReplaceStringValues(values))
        m_journal.WriteSysJournal(
            QStringLiteral("The voice list TTS51 cannot be written"), 0, QStringLiteral("ErrfrmTTS"));
}

bool frmTTS::SetTTSLineOutput(qint32 DeviceIndex, bool journal)
{
    OutDeviceCaps caps;
    if (m_wave->GetOutDeviceCaps(DeviceIndex, caps)) {
        m_device = DeviceIndex;
        return true;
    }
    if (journal)
        m_journal.WriteSysJournal(QStringLiteral("ErrSetTTSLineOutput:%1-no sound device %2")
                                      .arg(WaveResult::NoDevice)
                                      .arg(DeviceIndex),
            0, QString());
    return false;
}

void frmTTS::SpeakIt(const QString& sToSay, qint32 DeviceIndex)
{
    SetTTSLineOutput(DeviceIndex, true);
    // A new text cuts off the one playing and the one still being made.
    StopSpeak();
    if (sToSay.isEmpty())
        return;
    m_speaking = m_voice->Synthesize(sToSay);
}

void frmTTS::SetRate(qint32 nVal)
{
    m_voice->SetRate(nVal);
}

void frmTTS::TTSSetVoice(qint32 lVoice)
{
    m_voice->SetVoice(lVoice);
}

void frmTTS::StopSpeak()
{
    if (m_speaking) {
        m_voice->Cancel(m_speaking);
        m_speaking = 0;
    }
    if (m_wave->IsPlaying())
        m_wave->StopPlay();
}

void frmTTS::SaveTextToWav(const QString& sText, const QString& sFileToSave, qint32 lDeviceIndex)
{
    if (sText.isEmpty())
        return;
    m_saving.insert(m_voice->Synthesize(sText), sFileToSave);
    SetTTSLineOutput(lDeviceIndex, false);
}

void frmTTS::onSynthesized(quint64 job, const PcmSound& sound)
{
    // The engine stops at its bound: what was cut is said, not lost unseen.
    if (sound.durationMs() >= SpeechSynthesizer::MaxSpeechMs && (job == m_speaking || m_saving.contains(job)))
        m_journal.WriteSysJournal(QStringLiteral("The text was cut after %1 minutes of speech")
                                      .arg(SpeechSynthesizer::MaxSpeechMs / 60000),
            0, job == m_speaking ? QStringLiteral("ErrSpeakIt") : QStringLiteral("ErrSaveTextToWav"));
    if (job == m_speaking) {
        m_speaking = 0;
        play(sound);
        return;
    }
    const QString path = m_saving.take(job);
    if (path.isEmpty())
        return;
    QString error;
    if (!WriteWaveFile(path, PcmWaveFormat(kFileRate, 1, 16), ConvertSound(sound, kFileRate, 1), &error))
        m_journal.WriteSysJournal(error, 0, QStringLiteral("ErrSaveTextToWav"));
}

void frmTTS::onFailed(quint64 job, const QString& error)
{
    if (job == m_speaking) {
        m_speaking = 0;
        m_journal.WriteSysJournal(error, 0, QStringLiteral("ErrSpeakIt"));
    } else if (m_saving.remove(job)) {
        m_journal.WriteSysJournal(error, 0, QStringLiteral("ErrSaveTextToWav"));
    }
}

void frmTTS::play(const PcmSound& sound)
{
    if (sound.samples.empty() || !m_temp.isValid())
        return;
    // The wave layer plays files; it reads this one whole, so it can go at once.
    const QString path = m_temp.filePath(QStringLiteral("Speech.wav"));
    QString error;
    if (!WriteWaveFile(path, PcmWaveFormat(kSpeakRate, 1, 16), ConvertSound(sound, kSpeakRate, 1), &error)) {
        m_journal.WriteSysJournal(error, 0, QStringLiteral("ErrSpeakIt"));
        return;
    }
    const qint32 result = m_wave->PlayFile(path, m_device);
    QFile::remove(path);
    if (result != WaveResult::Ok)
        m_journal.WriteSysJournal(
            QStringLiteral("The speech could not be played"), result, QStringLiteral("ErrSpeakIt"));
}

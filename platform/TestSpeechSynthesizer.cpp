#include "platform/TestSpeechSynthesizer.h"

#include <QTimer>

#include <cmath>

TestSpeechSynthesizer::TestSpeechSynthesizer(QList<SpeechVoice> voices, QObject* parent)
    : SpeechSynthesizer(parent)
    , m_voices(std::move(voices))
{
}

bool TestSpeechSynthesizer::SetVoice(qsizetype index)
{
    if (index < 0 || index >= m_voices.size())
        return false;
    m_voice = index;
    return true;
}

bool TestSpeechSynthesizer::SetRate(qint32 rate)
{
    if (rate < -10 || rate > 10)
        return false;
    m_rate = rate;
    return true;
}

quint64 TestSpeechSynthesizer::Synthesize(const QString& text)
{
    const quint64 id = quint64(m_jobs.size()) + 1;
    m_jobs.append({id, text, m_voice, m_rate});
    if (m_hold)
        m_held.append(id);
    else
        QTimer::singleShot(0, this, [this, id] { deliver(id); });
    return id;
}

void TestSpeechSynthesizer::Cancel(quint64 job)
{
    if (job >= 1 && job <= quint64(m_jobs.size()))
        m_cancelled.insert(job);
}

void TestSpeechSynthesizer::release()
{
    const QList<quint64> held = std::exchange(m_held, {});
    for (const quint64 id : held)
        deliver(id);
}

void TestSpeechSynthesizer::deliver(quint64 job)
{
    if (m_cancelled.contains(job))
        return;
    const QString& text = m_jobs[qsizetype(job) - 1].text;
    if (!m_failing.isEmpty() && text.contains(m_failing)) {
        emit SynthesisFailed(job, QStringLiteral("cannot speak this text"));
        return;
    }
    PcmSound sound;
    sound.samplesPerSec = 22050;
    sound.channels = 1;
    sound.samples.resize(size_t(sound.samplesPerSec * m_soundMs / 1000));
    for (size_t i = 0; i < sound.samples.size(); ++i)
        sound.samples[i] = qint16(8000 * std::sin(2 * M_PI * 440 * double(i) / sound.samplesPerSec));
    emit Synthesized(job, sound);
}

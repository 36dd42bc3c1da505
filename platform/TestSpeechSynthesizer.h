#pragma once

#include "platform/SpeechSynthesizer.h"

#include <QList>
#include <QSet>

// The speech back-end of tests: notes every job with the voice and rate in
// force, and speaks each text as a tone whose length the test sets. Results
// come back from the event loop as the real engine's do, or only when the
// test releases them (holdResults), to catch what happens while a text is
// still being made.
class TestSpeechSynthesizer final : public SpeechSynthesizer {
    Q_OBJECT
public:
    struct Job {
        quint64 id = 0;
        QString text;
        qsizetype voice = -1;
        qint32 rate = 0;
    };

    explicit TestSpeechSynthesizer(QList<SpeechVoice> voices = {}, QObject* parent = nullptr);

    QList<SpeechVoice> Voices() const override { return m_voices; }
    bool SetVoice(qsizetype index) override;
    bool SetRate(qint32 rate) override;
    quint64 Synthesize(const QString& text) override;
    void Cancel(quint64 job) override;

    qsizetype voice() const { return m_voice; }
    qint32 rate() const { return m_rate; }
    // Every job asked for, cancelled ones included, in order.
    const QList<Job>& jobs() const { return m_jobs; }
    const QSet<quint64>& cancelled() const { return m_cancelled; }

    // Length of the tone each text becomes (default 200 ms, 22,050 Hz).
    void setSoundMs(qint64 ms) { m_soundMs = ms; }
    // Texts containing this fail instead of giving a sound.
    void setFailingText(const QString& text) { m_failing = text; }
    // Results wait for release() instead of coming from the event loop.
    void holdResults(bool hold) { m_hold = hold; }
    // Delivers every held result that was not cancelled, in order.
    void release();

private:
    void deliver(quint64 job);

    QList<SpeechVoice> m_voices;
    qsizetype m_voice = -1;
    qint32 m_rate = 0;
    QList<Job> m_jobs;
    QSet<quint64> m_cancelled;
    QList<quint64> m_held;
    qint64 m_soundMs = 200;
    QString m_failing;
    bool m_hold = false;
};

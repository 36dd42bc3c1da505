#pragma once

#include "platform/SpeechSynthesizer.h"

#include <QHash>
#include <QThread>

#include <atomic>
#include <memory>

// espeak-ng's speed in words a minute for a rate of -10 to 10: 175 (its
// normal) at 0, three times faster or slower at the ends, kept within what
// espeak-ng takes (80 to 450).
qint32 EspeakWordsPerMinute(qint32 rate);

// The text is well-formed as the content of one markup element, so espeak-ng
// can read it as SSML; otherwise it is read as plain text.
bool IsWellFormedSpeechMarkup(const QString& text);

// Speech through libespeak-ng. Its state is the process's, so every instance
// shares one engine, and jobs of all instances run one at a time; each
// instance has a worker thread of its own. Sound comes back at espeak-ng's
// rate (22,050 Hz), mono, at most ten minutes of it for one text.
class EspeakSpeech final : public SpeechSynthesizer {
    Q_OBJECT
public:
    explicit EspeakSpeech(QObject* parent = nullptr);
    ~EspeakSpeech() override;

    // Empty when espeak-ng started, else why not: then there are no voices and
    // every job fails with this text.
    QString StartError() const { return m_startError; }

    QList<SpeechVoice> Voices() const override { return m_voices; }
    bool SetVoice(qsizetype index) override;
    bool SetRate(qint32 rate) override;
    quint64 Synthesize(const QString& text) override;
    void Cancel(quint64 job) override;

private:
    void finish(quint64 job, const PcmSound& sound, const QString& error);

    QThread m_thread;
    QObject* m_worker = nullptr; // lives on m_thread; jobs run in its context
    QList<SpeechVoice> m_voices;
    QString m_startError;
    qsizetype m_voice = -1; // none chosen: espeak-ng's default voice
    qint32 m_rate = 0;
    quint64 m_nextJob = 1;
    // Jobs not delivered yet, with the flag that cuts them short.
    QHash<quint64, std::shared_ptr<std::atomic_bool>> m_pending;
};

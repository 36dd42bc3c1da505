#pragma once

#include "common/WaveCodec.h"

#include <QList>
#include <QObject>
#include <QString>

// One installed voice.
struct SpeechVoice {
    QString name; // what the settings list shows and TTS51 stores
    QString identifier; // the engine's own key for it
};

// Text to speech: voices, a rate, and synthesis on a worker thread, so a long
// text never holds up the caller's event loop. Results come back as signals
// on the thread that owns this object; nothing here plays the sound.
class SpeechSynthesizer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The most sound made of one text; a longer text is cut there.
    static constexpr qint64 MaxSpeechMs = 10 * 60 * 1000;

    // The voices that can speak here, in the engine's own order.
    virtual QList<SpeechVoice> Voices() const = 0;
    // Item index of Voices(); false (the previous voice kept) when there is none.
    virtual bool SetVoice(qsizetype index) = 0;
    // -10 (slowest) to 10 (fastest), 0 the engine's normal speed; false (the
    // previous rate kept) outside that range.
    virtual bool SetRate(qint32 rate) = 0;

    // Starts speaking text into 16-bit mono samples with the voice and rate
    // set now. The job's number; its end is Synthesized or SynthesisFailed.
    // Markup (SSML) in the text is obeyed; a text that is not well-formed
    // markup is read as plain text.
    virtual quint64 Synthesize(const QString& text) = 0;
    // Drops the job: queued, it never starts; running, it is cut short. No
    // signal follows for it. Unknown or finished jobs are ignored.
    virtual void Cancel(quint64 job) = 0;

signals:
    void Synthesized(quint64 job, const PcmSound& sound);
    void SynthesisFailed(quint64 job, const QString& error);
};

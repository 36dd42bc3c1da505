#pragma once

#include "service/line/IncomingCallAlert.h"

#include <QString>

class SpeechEngine;
class WaveControl;
struct CurrentCall;

// The incoming-call alert on the sound card: the call's sound from the sound
// folder on the line engine's WavePlayer, then its speech text when that
// sound's PlayDone arrives; or the speech at once when no sound is chosen.
// The text is filled from the call with the values escaped, so a caller's
// name is read out and never taken as speech markup.
class SoundCardAlert final : public IncomingCallAlert {
    Q_OBJECT
public:
    // WavePlayer: the line engine's; tts: the service's speech engine.
    SoundCardAlert(WaveControl& WavePlayer, SpeechEngine& tts, QObject* parent = nullptr);

    void PlayIncomingCallAlert(frmLine& line) override;
    void WavePlayer_PlayDone(frmLine& line) override;

    // The alert of call on sound device `device`.
    void play(const CurrentCall& call, qint32 device);
    // WavePlayer ended a sound that was not the line-open beep.
    void playDone(const CurrentCall& call, qint32 device);

    // "PLAY_IC" once an incoming-call sound was started; it stays so.
    const QString& sPlayState() const { return m_sPlayState; }

private:
    void speak(const CurrentCall& call, qint32 device);

    WaveControl& m_player;
    SpeechEngine& m_tts;
    QString m_sPlayState;
};

#pragma once

#include "service/line/IncomingCallAlert.h"

#include <QString>

class SpeechEngine;
class WaveControl;

// The incoming-call alert on the sound card: the call's sound from the sound
// folder on the line engine's WavePlayer, then its speech text when that
// sound's PlayDone arrives; or the speech at once when no sound is chosen.
// The text is filled from the call with the values escaped, so a caller's
// name is read out and never taken as speech markup.
class SoundCardAlert final : public IncomingCallAlert {
    Q_OBJECT
public:
    // WavePlayer: the line engine's; tts: the service's speech engine. Both
    // outlive the alert.
    SoundCardAlert(WaveControl& WavePlayer, SpeechEngine& tts, QObject* parent = nullptr);

    void PlayIncomingCallAlert(LineActions& line) override;
    void WavePlayer_PlayDone(LineActions& line) override;

    // "PLAY_IC" once an incoming-call sound was started; it stays so.
    const QString& sPlayState() const { return m_sPlayState; }

private:
    void speak(LineActions& line);

    WaveControl& m_player;
    SpeechEngine& m_tts;
    QString m_sPlayState;
};

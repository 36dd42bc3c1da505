#pragma once

#include <QObject>

class LineActions;

// The PC-side alert of an incoming call: the call's sound from the sound
// folder and/or its speech text, on the sound card. The line engine decides
// when (at the offer, or at the caller ID when the call's options say so).
class IncomingCallAlert : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Plays the alert of line.call() as its options stand.
    virtual void PlayIncomingCallAlert(LineActions& line) = 0;
    // WavePlayer ended a sound that was not the line-open beep.
    virtual void WavePlayer_PlayDone(LineActions& line) = 0;
};

// Holds the alert's place until the real one exists: plays and says nothing,
// and journals that once per call whose options ask for a sound or speech.
class AlertStandIn final : public IncomingCallAlert {
    Q_OBJECT
public:
    using IncomingCallAlert::IncomingCallAlert;

    void PlayIncomingCallAlert(LineActions& line) override;
    void WavePlayer_PlayDone(LineActions&) override { }
};

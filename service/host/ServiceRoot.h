#pragma once

#include "platform/MessageControl.h"
#include "platform/ProgramLauncher.h"
#include "service/core/Journal.h"

#include <QObject>

#include <functional>
#include <memory>

class CallForwarding;
class DialledCallRecorder;
class IncomingCallAlert;
class ModemSerialPath;
class SerialPort;
class SmtpMailControl;
class SpeechEngine;
class TelephonyControl;
class WaveControl;
class WebServerControl;

// The one place that builds what the service works through: the journal, the
// platform back-ends (line device, wave audio, speech, mail, program
// launcher, serial port), the line engine's pieces on top of them, and how channel
// endpoints are made. The main form and the line engine only use them; the
// root owns them all and outlives both.
//
//   ServiceRoot ── journal, Tapi1, Wave1, WavePlayer, tts, ..., Alert, ...
//        │
//   frmMain ── LineState, channels 305/306, web server (made by the root's maker)
//        │
//   frmLine ── channels 307-311; pieces get LineActions (service/line)
class ServiceRoot : public QObject {
    Q_OBJECT
public:
    // Back-ends a test puts in place of the environment's; each one left
    // empty is made here. The root takes ownership of what it is given.
    struct Backends {
        TelephonyControl* Tapi1 = nullptr;
        WaveControl* Wave1 = nullptr; // the line's own audio
        WaveControl* WavePlayer = nullptr; // the sound card
        SpeechEngine* tts = nullptr;
        SmtpMailControl* mail = nullptr;
        SerialPort* serialPort = nullptr;
        std::unique_ptr<ProgramLauncher> launcher;
        // The main form makes a new server at each "OPEN_WEB".
        std::function<WebServerControl*(const Journal&, QObject*)> makeWebServer;
        MessageControl::Delivery channels = MessageControl::Delivery::OtherProcesses;
    };

    // The line device from the simulated lines, wave audio into the sink
    // folder of RINGVALE_AUDIO_SINK or onto the sound card, speech through
    // espeak-ng (frmTTS, with a wave control of its own), and stand-ins where
    // a back-end is not built yet.
    ServiceRoot();
    explicit ServiceRoot(Backends given);
    ServiceRoot(const ServiceRoot&) = delete;
    ServiceRoot& operator=(const ServiceRoot&) = delete;
    ~ServiceRoot() override;

    Journal journal;
    TelephonyControl* const Tapi1;
    WaveControl* const Wave1;
    WaveControl* const WavePlayer;
    SpeechEngine* const tts;
    // For the forwarding.
    SmtpMailControl* const mail;
    const std::unique_ptr<ProgramLauncher> launcher;
    // The modem's serial port, for the modem path.
    SerialPort* const serialPort;
    // The line engine's pieces.
    ModemSerialPath* const MSComm1;
    IncomingCallAlert* const Alert;
    DialledCallRecorder* const Recorder;
    CallForwarding* const Forwarding;
    const MessageControl::Delivery channels;

    WebServerControl* makeWebServer(QObject* parent) const;

private:
    std::function<WebServerControl*(const Journal&, QObject*)> m_makeWebServer;
};

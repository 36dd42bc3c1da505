#pragma once

#include "common/RegistryRoutines.h"
#include "service/line/CallOptions.h"

#include <QObject>
#include <QString>
#include <QTimer>

class MessageControl;
class ModemSerialPath;
class SpeechEngine;
class TelephonyControl;
class WaveControl;
struct DeviceCaps;

// Whether the time of day now (whole seconds, from the clock) lies inside the
// window on..off, both "HH:mm:ss". Both ends are outside; an off earlier than
// on crosses midnight; equal ends, or an end that is no time, hold nothing.
bool IsNowInTimeRange(const QString& timeOn, const QString& timeOff);

// The "Device Details -" entry of the line scan: the message, then five
// indented lines (index, name, telephony, voice, digits).
QString DeviceDetailsMessage(qint32 lineIndex, const DeviceCaps& caps);

// The line engine ("Line Control"): finds the configured line device by name,
// opens and closes it (in modem mode handing it to the modem's serial port),
// reports every change with "LineStatus" on 307, and in auto mode follows the
// daily window second by second while no call is in progress.
//
// The call handlers attach to Tapi1's events, udiIn's commands and the
// members below; the engine itself acts on no call event.
class frmLine final : public QObject {
    Q_OBJECT
public:
    // What the engine works through. Those left empty are made here: the line
    // device and wave audio by the back-end factory, the modem path as its
    // stand-in. The engine owns all of them.
    struct Controls {
        TelephonyControl* Tapi1 = nullptr;
        WaveControl* Wave1 = nullptr;      // the line's own audio
        WaveControl* WavePlayer = nullptr; // the sound card
        ModemSerialPath* MSComm1 = nullptr;
    };

    // tts: the main form's speech engine; it outlives the line engine.
    explicit frmLine(SpeechEngine& tts, QObject* parent = nullptr);
    frmLine(SpeechEngine& tts, const Controls& controls, QObject* parent = nullptr);
    ~frmLine() override;
    frmLine(const frmLine&) = delete;
    frmLine& operator=(const frmLine&) = delete;

    // Initialises the devices, reads the per-call options and binds 307 to
    // 311. It does not open the line.
    void Form_Load();
    // Stops auto mode, closes the line (reporting it) and the devices.
    void Form_Unload();
    bool isLoaded() const { return m_loaded; }

    // Chooses the configured line, opens it unless it is watched already,
    // and reports "LineStatus". Always 0.
    qint32 OpenLine();
    void OpenTheLine(qint32 index);
    // Closes the line; CloseLine also reports it. Always 0.
    qint32 CloseTheLine();
    qint32 CloseLine();
    void tmrAutoMode_Timer();
    // The stored voice and rate, handed to the speech engine.
    void LoadTTSSettings();

    // "LineStatus" on 307 when the channel binds: CurrentLine, g_nLineState,
    // g_bAutoMode.
    void SendLineStatus();
    // The line is watched: in TAPI mode the line device is open, in modem
    // mode the serial port.
    bool IsWatching() const;
    // A call keeps auto mode from switching the line.
    bool IsInCall() const { return bInCall || bDialledCall; }
    // The main form's speech engine (frmTTS), for the alerts.
    SpeechEngine& tts() const { return m_tts; }

    TelephonyControl* const Tapi1;
    WaveControl* const Wave1;
    WaveControl* const WavePlayer;
    ModemSerialPath* const MSComm1;
    MessageControl* const udiOut;      // 307
    MessageControl* const udiIn;       // 308
    MessageControl* const udiCallerID; // 309
    MessageControl* const udiIdle;     // 310
    MessageControl* const udiMail;     // 311
    QTimer tmrAutoMode;

    RegistryRoutines Reg;
    // The line device last opened by OpenTheLine.
    qint32 lLineIndex = 0;
    // An incoming call is in progress; set and cleared by the call handlers.
    bool bInCall = false;
    // A dialled call is in progress, from the dial to its Idle; set by the
    // dial commands, cleared by the Idle handler.
    bool bDialledCall = false;
    // WavePlayer plays the line-open beep (set only when it started).
    bool bBeepPlaying = false;
    // The call in progress, its options and settings.
    CurrentCall call;

private:
    void WavePlayer_PlayDone();
    void playBeep();
    // After closing the line for the modem: false when the line device still
    // reports it open once the bound has passed.
    bool waitForLineClosed();

    SpeechEngine& m_tts;
    bool m_loaded = false;
};

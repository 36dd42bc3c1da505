#pragma once

#include "common/RegistryRoutines.h"
#include "platform/MessageControl.h"
#include "service/core/CallOptions.h"
#include "service/core/PendingCallRecords.h"
#include "service/line/LineActions.h"

#include <QObject>
#include <QString>
#include <QTimer>

class CallForwarding;
class DialledCallRecorder;
class IncomingCallAlert;
class Journal;
class ModemSerialPath;
class SpeechEngine;
class TelephonyControl;
class WaveControl;
struct DeviceCaps;
struct LineState;

// Whether the time of day now (whole seconds, from the clock) lies inside the
// window on..off, both "HH:mm:ss". Both ends are outside; an off earlier than
// on crosses midnight; equal ends, or an end that is no time, hold nothing.
bool IsNowInTimeRange(const QString& timeOn, const QString& timeOff);

// The "Device Details -" entry of the line scan: the message, then five
// indented lines (index, name, telephony, voice, digits).
QString DeviceDetailsMessage(qint32 lineIndex, const DeviceCaps& caps);

class frmLine final : public QObject, public LineActions {
    Q_OBJECT
public:
    // What the engine works through, made by the service's root (tests make
    // their own). Every one is required; none is owned by the engine, and
    // each outlives it.
    struct Controls {
        TelephonyControl* Tapi1 = nullptr; // initialised by its maker
        WaveControl* Wave1 = nullptr; // the line's own audio
        WaveControl* WavePlayer = nullptr; // the sound card
        ModemSerialPath* MSComm1 = nullptr;
        IncomingCallAlert* Alert = nullptr;
        DialledCallRecorder* Recorder = nullptr;
        CallForwarding* Forwarding = nullptr;
        SpeechEngine* tts = nullptr; // the main form's frmTTS
        // How the engine's channel endpoints reach their peers.
        MessageControl::Delivery channels = MessageControl::Delivery::OtherProcesses;
    };

    // state: the main form's; journal: the service's. Both outlive the engine.
    frmLine(const Controls& controls, LineState& state, const Journal& journal, QObject* parent = nullptr);
    ~frmLine() override;
    frmLine(const frmLine&) = delete;
    frmLine& operator=(const frmLine&) = delete;

    // Initialises the wave devices, reads the per-call options and binds 307
    // to 311. It does not open the line.
    void Form_Load();
    // Stops auto mode, closes the line (reporting it) and the devices.
    void Form_Unload();
    bool isLoaded() const { return m_loaded; }

    // Chooses the configured line, opens it unless it is watched already,
    // and reports "LineStatus". Always 0.
    // reportAlways false: "LineStatus" only when the state it reports
    // changed (auto mode's retries).
    qint32 OpenLine(bool reportAlways = true);
    void OpenTheLine(qint32 index);
    // Closes the line; CloseLine also reports it. Always 0.
    qint32 CloseTheLine();
    qint32 CloseLine();
    void tmrAutoMode_Timer();
    // The stored voice and rate, handed to the speech engine.
    void LoadTTSSettings();

    // "LineStatus" on 307 when the channel binds: CurrentLine, nLineState,
    // bAutoMode.
    void SendLineStatus() override;
    // The line is watched: in TAPI mode the line device is open, in modem
    // mode the serial port.
    bool IsWatching() const;
    // A call keeps auto mode from switching the line.
    bool IsInCall() const { return bInCall || bDialledCall; }
    bool isAutoModeTimerActive() const { return tmrAutoMode.isActive(); }
    // The line device last opened by OpenTheLine.
    qint32 lineIndex() const { return lLineIndex; }

    // Handlers of Tapi1's events. Each catches and journals its failures.
    void Tapi1_InComeCall();
    void Tapi1_Ring(qint32 count);
    void Tapi1_CallerID(const QString& name, const QString& number);
    void Tapi1_Dialing();
    void Tapi1_Connected();
    void Tapi1_Disconnected();
    void Tapi1_Idle();
    // Handlers of the modem's calls (MSComm1's signals): the same steps as
    // their line-device twins, under "Comm_" names.
    void Comm_InComeCall();
    void Comm_CallerID(const QString& name, const QString& number);
    void Comm_Idle();
    // The modem's idle timer reached its bound: the line device, when it
    // holds the line, gives it back; a port that nobody watches with is
    // opened again; the call ends.
    void tmrIDLE_Bound();
    // Hangs up the call in progress (stopping what plays or records on the
    // line) and journals the result.
    void DropCall() override;

    // 308: the desktop's line commands.
    void udiIn_MessageArrived(const QString& text);

    // The per-call options and settings read afresh, the per-call state
    // cleared, the speech settings applied.
    void SetDefaultCallOption();
    // A fresh call ("UNKNOWN" caller, now); it is stored once, at its end.
    void SetCallInfo();
    // A started call not stored yet: the next Idle stores it.
    bool HasCallToStore() const { return m_callToStore; }

    // The parts that other pieces of the engine provide.
    void PlayIncomingCallAlert();
    void StartRecordIfConnected();
    void StopRecMessage();
    void GetTapiFromComm();
    void CommCloseTapi();

Q_SIGNALS:
    // Each time OpenTheLine tried: the device, and when it failed, why.
    void lineOpenTried(bool open, const QString& detail);

public:
    // What the engine's pieces see and do (LineActions).
    const CurrentCall& call() const override { return m_call; }
    const LineState& state() const override { return m_state; }
    const Journal& journal() const override { return m_journal; }
    qint32 CurrentLine() const override;
    bool send(qint32 channel, const QString& text) override;
    void giveLineBack() override;
    void setMessagePath(const QString& fileName) override;

private:
    // Tests set the call flags that only a modem or a call in progress sets.
    friend class frmLineProbe;

    // Sends text on the endpoint when its channel binds, else drops it.
    bool send(MessageControl* endpoint, qint32 channel, const QString& text);
    // "CallOut" and "CallOutRec": dials number, recording it once connected
    // when record is set.
    void PlaceCall(const QString& number, bool record);
    // The end of a call: record stored, "Tapi_Idle" on 310 and 307, the line
    // back to the modem (unless closing), forwarding.
    void EndCall(bool giveLineBack, bool fromModem = false);
    // The start of an incoming call, and its caller ID, as both roads share
    // them.
    void StartIncomingCall(bool fromModem);
    void ReportCallerId(bool fromModem, const QString& deliveredName, const QString& deliveredNumber);
    // The line is to be watched now: on, or in auto mode inside its window.
    bool IsLineWanted() const;
    // The auto-mode tick's open of a line that does not open: retried after
    // 2, 4, 8 ... 60 seconds.
    void noteAutoOpenResult();
    void resetAutoRetry();
    void ForwardEndedCall(const QString& source);
    void WavePlayer_PlayDone();
    // Something played into the line ended: a call that is no longer
    // connected is hung up.
    void Wave1_PlayDone();
    void playBeep();
    // After closing the line for the modem: false when the line device still
    // reports it open once the bound has passed.
    bool waitForLineClosed();

    TelephonyControl* const Tapi1;
    WaveControl* const Wave1;
    WaveControl* const WavePlayer;
    ModemSerialPath* const MSComm1;
    MessageControl* const udiOut; // 307
    MessageControl* const udiIn; // 308
    MessageControl* const udiCallerID; // 309
    MessageControl* const udiIdle; // 310
    MessageControl* const udiMail; // 311
    IncomingCallAlert* const Alert;
    DialledCallRecorder* const Recorder;
    CallForwarding* const Forwarding;
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
    CurrentCall m_call;

    SpeechEngine& m_tts;
    LineState& m_state;
    const Journal& m_journal;
    bool m_loaded = false;
    bool m_callToStore = false;
    // Ended calls not yet stored (a full disk): written in order later.
    PendingCallRecords m_records;
    // Auto mode's retries of a line that did not open: when the next may
    // be (the clock's elapsed time) and the wait before it.
    qint64 m_autoRetryAtMs = 0;
    qint32 m_autoRetrySeconds = 0;
    // What "LineStatus" last said (line state, auto mode); -1: nothing yet.
    qint32 m_reportedState = -1;
    bool m_reportedAuto = false;
};

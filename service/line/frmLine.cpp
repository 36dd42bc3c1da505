#include "service/line/frmLine.h"

#include "common/ChannelMessages.h"
#include "common/Clock.h"
#include "common/DateTimeText.h"
#include "common/ProgramPath.h"
#include "common/SharedUtilities.h"
#include "common/Waits.h"
#include "platform/MessageControl.h"
#include "platform/SpeechEngine.h"
#include "platform/TelephonyControl.h"
#include "platform/WaveControl.h"
#include "service/core/HandlerGuard.h"
#include "service/core/Journal.h"
#include "service/core/ServiceTranslation.h"
#include "service/line/CallForwarding.h"
#include "service/line/DialledCallRecorder.h"
#include "service/line/IncomingCallAlert.h"
#include "service/line/LineState.h"
#include "service/line/ModemSerialPath.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcLine, "ringvale.line", QtWarningMsg)

namespace {

// Watch the line (monitor plus owner) for data-modem calls.
constexpr qint32 kWatchPrivileges = LinePrivilege::Monitor | LinePrivilege::Owner;
constexpr qint32 kMediaDataModem = 16;
// How long a line device may take to report its line closed before the modem
// takes over: a device that never does must not hold the service.
constexpr qint32 kLineCloseBoundTenths = 30;

const QString kTabDevices = QStringLiteral("Properties\\TabDevices");
const QString kCallerId = QStringLiteral("Properties\\TabDevices\\CallerID");

} // namespace

bool IsNowInTimeRange(const QString& timeOn, const QString& timeOff)
{
    const std::optional<QTime> on = DateTimeText::parseTime(timeOn.trimmed());
    const std::optional<QTime> off = DateTimeText::parseTime(timeOff.trimmed());
    if (!on || !off)
        return false;
    const QTime clock = Clock::instance().now().time();
    const QTime now(clock.hour(), clock.minute(), clock.second());
    if (*off > *on)
        return *on < now && now < *off;
    if (*off < *on)
        return now < *off || now > *on;
    return false;
}

QString DeviceDetailsMessage(qint32 lineIndex, const DeviceCaps& caps)
{
    const QString indent(26, u' ');
    const QStringList lines = {
        QStringLiteral("Device Details -"),
        indent + QStringLiteral("Line Index: ") + QString::number(lineIndex),
        indent + QStringLiteral("Device Name: ") + caps.DeviceName,
        indent + QStringLiteral("Tapi Capability: ") + YesNo(caps.TapiCapability),
        indent + QStringLiteral("Voice Capability: ") + YesNo(caps.VoiceCapability),
        indent + QStringLiteral("Monitor Digits: ") + YesNo(caps.MonitorDigits),
    };
    return lines.join(QStringLiteral("\r\n"));
}

frmLine::frmLine(const Controls& controls, LineState& state, const Journal& journal, QObject* parent)
    : QObject(parent)
    , Tapi1(controls.Tapi1)
    , Wave1(controls.Wave1)
    , WavePlayer(controls.WavePlayer)
    , MSComm1(controls.MSComm1)
    , udiOut(new MessageControl(this, controls.channels))
    , udiIn(new MessageControl(this, controls.channels))
    , udiCallerID(new MessageControl(this, controls.channels))
    , udiIdle(new MessageControl(this, controls.channels))
    , udiMail(new MessageControl(this, controls.channels))
    , Alert(controls.Alert)
    , Recorder(controls.Recorder)
    , Forwarding(controls.Forwarding)
    , Reg(RegistryRoutines::forProduct(QString()))
    , m_tts(*controls.tts)
    , m_state(state)
    , m_journal(journal)
    , m_records(journal, [this](const QString& text) {
        send(udiOut, ChannelNumber::EventChannel, ChannelMessages::mailProgress(lLineIndex, text));
    })
{
    Q_ASSERT(Tapi1 && Wave1 && WavePlayer && MSComm1 && Alert && Recorder && Forwarding && controls.tts);
    setObjectName(QStringLiteral("frmLine"));
    tmrAutoMode.setInterval(1000);
    connect(&tmrAutoMode, &QTimer::timeout, this, &frmLine::tmrAutoMode_Timer);
    connect(WavePlayer, &WaveControl::PlayDone, this, &frmLine::WavePlayer_PlayDone);
    connect(Wave1, &WaveControl::PlayDone, this, &frmLine::Wave1_PlayDone);
    connect(Tapi1, &TelephonyControl::InComeCall, this, &frmLine::Tapi1_InComeCall);
    connect(Tapi1, &TelephonyControl::Ring, this, &frmLine::Tapi1_Ring);
    connect(Tapi1, &TelephonyControl::CallerID, this, &frmLine::Tapi1_CallerID);
    connect(Tapi1, &TelephonyControl::Dialing, this, &frmLine::Tapi1_Dialing);
    connect(Tapi1, &TelephonyControl::Connected, this, &frmLine::Tapi1_Connected);
    connect(Tapi1, &TelephonyControl::Disconnected, this, &frmLine::Tapi1_Disconnected);
    connect(Tapi1, &TelephonyControl::Idle, this, &frmLine::Tapi1_Idle);
    connect(MSComm1, &ModemSerialPath::Ring, this, &frmLine::Tapi1_Ring);
    connect(MSComm1, &ModemSerialPath::InComeCall, this, &frmLine::Comm_InComeCall);
    connect(MSComm1, &ModemSerialPath::CallerID, this, &frmLine::Comm_CallerID);
    connect(MSComm1, &ModemSerialPath::IdleBound, this, &frmLine::tmrIDLE_Bound);
    connect(udiIn, &MessageControl::MessageArrived, this, &frmLine::udiIn_MessageArrived);
}

frmLine::~frmLine()
{
    if (m_loaded)
        Form_Unload();
}

void frmLine::Form_Load()
{
    m_loaded = true;
    RegisterLoadedForm(this);
    RunGuarded(m_journal, QStringLiteral("errForm_Load"), [this] {
        Wave1->InitDevices();
        WavePlayer->InitDevices();
        Reg = RegistryRoutines::forProduct(QString());
        SetDefaultCallOption();
        udiOut->Channel(ChannelNumber::EventChannel);
        udiIn->Channel(ChannelNumber::CommandChannel);
        udiCallerID->Channel(ChannelNumber::CallerIdChannel);
        udiIdle->Channel(ChannelNumber::IdleChannel);
        udiMail->Channel(ChannelNumber::MailChannel);
    });
}

void frmLine::Form_Unload()
{
    if (!m_loaded)
        return;
    tmrAutoMode.stop();
    CloseLine();
    Wave1->CloseDevices();
    WavePlayer->CloseDevices();
    if (MSComm1->PortOpen())
        MSComm1->CommDisconnect();
    Forwarding->LineUnloading(*this);
    m_loaded = false;
    UnregisterLoadedForm(this);
}

void frmLine::LoadTTSSettings()
{
    const RegistryRoutines tts = RegistryRoutines::forProduct(QStringLiteral("Properties\\TabTTS"));
    // Missing or not a number reads as 0.
    const auto number = [&](const QString& name) {
        bool ok = false;
        const qint32 value = tts.getString(name).trimmed().toInt(&ok);
        return ok ? value : 0;
    };
    // Never chosen: the speech engine's own default voice, not whichever
    // voice its list happens to start with.
    if (tts.hasValue(QStringLiteral("TTSVoices")))
        m_tts.TTSSetVoice(number(QStringLiteral("TTSVoices")));
    m_tts.SetRate(number(QStringLiteral("sldrTTS")));
}

qint32 frmLine::OpenLine(bool reportAlways)
{
    RunGuarded(m_journal, QStringLiteral("LineOpen:ErrOpenLine"), [this] {
        Reg.setSubkey(kTabDevices);
        const QString wanted = Reg.getString(QStringLiteral("cmbModemDev"));
        // Every device of the name is journaled; the last one is taken.
        qint32 chosen = 0;
        if (!wanted.isEmpty()) {
            for (qint32 i = 0; i < Tapi1->DeviceCount(); ++i) {
                Tapi1->setCurrentLine(i);
                DeviceCaps caps;
                if (Tapi1->GetDeviceCaps(caps) == LineResult::Ok && caps.DeviceName == wanted) {
                    chosen = i;
                    m_journal.WriteSysJournal(DeviceDetailsMessage(i, caps), 0, QString());
                }
            }
        }
        Tapi1->setCurrentLine(chosen);
        DeviceCaps caps;
        // Only a name read from the device is stored: without devices, or
        // with capabilities that cannot be read, the user's choice stays.
        if (Tapi1->GetDeviceCaps(caps) == LineResult::Ok)
            if (!Reg.setString(QStringLiteral("cmbModemDev"), caps.DeviceName))
                m_journal.WriteSysJournal(QStringLiteral("Cannot store the line's name ") + caps.DeviceName,
                    0, QStringLiteral("OpenLine"));

        Reg.setSubkey(kCallerId);
        m_state.bCallerIdFromTapi = Reg.getString(QStringLiteral("Tapi")) == u"1";
        m_state.sATCommands = Reg.getString(QStringLiteral("cmbATCommands"));

        // In modem mode the port watches the line while the device is closed:
        // opening the device again would take the line from the modem.
        if (!IsWatching())
            OpenTheLine(chosen);
        if (m_state.bAutoMode)
            tmrAutoMode.start();
    });
    if (reportAlways || m_state.nLineState != m_reportedState || m_state.bAutoMode != m_reportedAuto)
        SendLineStatus();
    return 0;
}

void frmLine::OpenTheLine(qint32 index)
{
    RunGuarded(m_journal, QStringLiteral("LineOpen:errOpenTheLine"), [this, index] {
        Tapi1->setCurrentLine(index);
        DeviceCaps caps;
        Tapi1->GetDeviceCaps(caps);
        lLineIndex = index;
        const qint32 result = Tapi1->LineOpen(kWatchPrivileges, kMediaDataModem);
        m_journal.WriteSysJournal(Tapi1->ErrorText(result), result,
            QStringLiteral("OpenLine:Tapi1.LineOpen(") + QString::number(index) + u')');
        bool open = result == LineResult::Ok;
        const QString device = QStringLiteral("\"%1\" (line device %2)").arg(caps.DeviceName).arg(index);
        QString problem = open ? QString() : Tapi1->ErrorText(result);
        if (!m_state.bCallerIdFromTapi) {
            if (!open) {
                m_journal.WriteSysJournal(QStringLiteral("Can't open comm without TAPI"), 0,
                    QStringLiteral("LineOpen:CommConnect"));
            } else {
                if (m_state.lCommPort.isEmpty())
                    m_state.lCommPort = Tapi1->GetDeviceID(LineDeviceClass::SerialPort);
                // What counts is that the line closes; the wait below says so.
                static_cast<void>(Tapi1->LineClose());
                static_cast<void>(Tapi1->LineShutdown());
                if (!waitForLineClosed()) {
                    m_journal.WriteSysJournal(
                        QStringLiteral(
                            "The line did not close within 3 seconds; the modem's port is not opened"),
                        0, QStringLiteral("LineOpen:IsLineOpen"));
                    open = false;
                    problem = QStringLiteral("the line did not close for the modem's port");
                } else {
                    WaitTenths(15);
                    MSComm1->InitVals();
                    // The line counts as open only once the port watches it.
                    open = MSComm1->CommConnect(m_state.lCommPort, m_state.sATCommands);
                    if (!open)
                        problem = QStringLiteral("the modem's port %1 could not be opened")
                                      .arg(m_state.lCommPort);
                }
            }
        }
        m_state.nLineState = open ? 0 : 1;
        Q_EMIT lineOpenTried(open, open ? device : device + QStringLiteral(": ") + problem);
        if (open)
            playBeep();
    });
}

bool frmLine::waitForLineClosed()
{
    for (qint32 waited = 0; Tapi1->IsLineOpen(); ++waited) {
        if (waited >= kLineCloseBoundTenths)
            return false;
        WaitTenths(1);
    }
    return true;
}

void frmLine::playBeep()
{
    const RegistryRoutines general = RegistryRoutines::forProduct(QStringLiteral("Properties\\TabGeneral"));
    if (general.getString(QStringLiteral("chkModemSoundControl")) != u"1")
        return;
    const std::optional<QString> beep = ProgramPath::toNative(u"\\Beep.wav");
    // A beep that did not start raises no PlayDone that would clear the flag,
    // and the next alert's end would be taken for the beep's.
    bBeepPlaying = beep && WavePlayer->PlayFile(*beep, m_state.lSoundDeviceIndex) == WaveResult::Ok;
}

void frmLine::Wave1_PlayDone()
{
    RunGuarded(m_journal, QStringLiteral("ErrWave1_PlayDone"), [this] {
        if (!Tapi1->IsCallConnected())
            DropCall();
    });
}

void frmLine::WavePlayer_PlayDone()
{
    if (bBeepPlaying) {
        bBeepPlaying = false;
        return;
    }
    RunGuarded(
        m_journal, QStringLiteral("ErrWavePlayer_PlayDone"), [this] { Alert->WavePlayer_PlayDone(*this); });
}

qint32 frmLine::CloseTheLine()
{
    RunGuarded(m_journal, QStringLiteral("CloseLine:errCloseTheLine"), [this] {
        if (!m_state.bCallerIdFromTapi)
            MSComm1->CommDisconnect();
        qint32 result = Tapi1->LineClose();
        if (result != LineResult::Ok)
            m_journal.WriteSysJournal(
                Tapi1->ErrorText(result), result, QStringLiteral("CloseLine:Tapi1.LineClose"));
        result = Tapi1->LineShutdown();
        if (result != LineResult::Ok)
            m_journal.WriteSysJournal(
                Tapi1->ErrorText(result), result, QStringLiteral("CloseLine:Tapi1.LineShutdown"));
        m_state.nLineState = 1;
        m_journal.WriteSysJournal(Tapi1->ErrorText(result), result, QStringLiteral("CloseLine"));
    });
    // A closed line reports no Idle: the call in progress ends here, or it
    // would be lost and would hold auto mode and the dial commands for good.
    if (IsInCall()) {
        m_journal.WriteSysJournal(
            QStringLiteral("The line was closed during a call"), 0, QStringLiteral("CloseLine"));
        EndCall(false);
    }
    return 0;
}

qint32 frmLine::CloseLine()
{
    RunGuarded(m_journal, QStringLiteral("CloseLine:errCloseLine"), [this] { CloseTheLine(); });
    SendLineStatus();
    return 0;
}

void frmLine::tmrAutoMode_Timer()
{
    RunGuarded(m_journal, QStringLiteral("tmrAutoMode_Timer"), [this] {
        if (IsInCall())
            return;
        const bool inside = IsNowInTimeRange(m_state.sTimeOn, m_state.sTimeOff);
        const bool watching = IsWatching();
        qCDebug(lcLine) << "auto tick: inside" << inside << "watching" << watching;
        if (!inside && watching) {
            CloseLine();
            resetAutoRetry();
        } else if (inside && !watching && Clock::instance().elapsedMs() >= m_autoRetryAtMs) {
            OpenLine(false);
            noteAutoOpenResult();
        }
    });
}

void frmLine::noteAutoOpenResult()
{
    if (IsWatching()) {
        resetAutoRetry();
        return;
    }
    // A port or line device that does not open is not hammered every second.
    m_autoRetrySeconds = m_autoRetrySeconds == 0 ? 2 : std::min(m_autoRetrySeconds * 2, 60);
    m_autoRetryAtMs = Clock::instance().elapsedMs() + qint64(m_autoRetrySeconds) * 1000;
}

void frmLine::resetAutoRetry()
{
    m_autoRetrySeconds = 0;
    m_autoRetryAtMs = 0;
}

void frmLine::SendLineStatus()
{
    m_reportedState = m_state.nLineState;
    m_reportedAuto = m_state.bAutoMode;
    if (udiOut->Channel(ChannelNumber::EventChannel))
        udiOut->Send(
            ChannelMessages::lineStatus(Tapi1->CurrentLine(), m_state.nLineState, m_state.bAutoMode));
}

bool frmLine::IsLineWanted() const
{
    return m_state.bAutoMode ? IsNowInTimeRange(m_state.sTimeOn, m_state.sTimeOff) : m_state.nLineState == 0;
}

qint32 frmLine::CurrentLine() const
{
    return Tapi1->CurrentLine();
}

bool frmLine::IsWatching() const
{
    return m_state.bCallerIdFromTapi ? Tapi1->IsLineOpen() : MSComm1->PortOpen();
}

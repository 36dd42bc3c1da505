#include "service/line/ModemPath.h"

#include "common/ChannelMessages.h"
#include "common/Clock.h"
#include "common/ProgramPath.h"
#include "common/Waits.h"
#include "platform/SerialPort.h"
#include "platform/TelephonyControl.h"
#include "service/core/HandlerGuard.h"
#include "service/core/Journal.h"
#include "service/line/LineActions.h"
#include "service/line/LineState.h"

#include <QCoreApplication>
#include <QFile>

namespace {

const QString kScenarioFile = QStringLiteral("\\AT_Commands_Scenario.txt");
// A scenario is a few commands; more than this is not one.
constexpr qint64 kMaxScenarioBytes = 64 * 1024;
// How long the port, or the line device, may take to report itself closed.
constexpr qint32 kCloseBoundTenths = 30;

} // namespace

ModemPath::ModemPath(SerialPort& port, TelephonyControl& tapi, const Journal& journal, QObject* parent)
    : ModemSerialPath(parent)
    , MSComm1(port)
    , Tapi1(tapi)
    , m_journal(journal)
{
    tmrIDLE.setInterval(1000);
    connect(&tmrIDLE, &QTimer::timeout, this, &ModemPath::tmrIDLE_Timer);
    connect(&MSComm1, &SerialPort::Received, this, &ModemPath::MSComm1_OnComm);
    connect(&MSComm1, &SerialPort::Failed, this, [this](const SerialPortStatus& status) {
        m_journal.WriteSysJournal(status.text + m_port, status.code, QStringLiteral("MSComm1_OnComm"));
    });
}

void ModemPath::InitVals()
{
    m_caller.reset();
    bCallerIdReported = false;
    bIncomingReported = false;
    lIdleTicks = 0;
    lNumOfRing = 0;
}

bool ModemPath::PortOpen() const
{
    return MSComm1.isOpen();
}

void ModemPath::FillATCommands()
{
    colATCommands.clear();
    const std::optional<QString> path = ProgramPath::toNative(kScenarioFile);
    if (!path)
        return;
    QFile file(*path);
    if (!file.exists()) {
        // The desktop's caller-ID window writes it; until then it is empty.
        if (file.open(QIODevice::WriteOnly))
            file.close();
        return;
    }
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.read(kMaxScenarioBytes);
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith('\''))
            continue;
        colATCommands << QString::fromUtf8(line);
    }
}

bool ModemPath::CommConnect(const QString& port, const QString&)
{
    const QString source = QStringLiteral("CommConnect");
    cancelHandOverRetry();
    FillATCommands();
    m_port = port;
    if (!MSComm1.isOpen()) {
        // Each attempt to open the port has the whole budget of retries.
        for (qint32 lConnectTries = 0;; ++lConnectTries) {
            const SerialPortStatus opened = MSComm1.open(port);
            if (opened.ok())
                break;
            if (opened.code == SerialPortResult::AlreadyOpen) {
                m_journal.WriteSysJournal(
                    QStringLiteral("Unable to connect to modem, port already open") + port, opened.code,
                    source);
                return false;
            }
            if (opened.code != SerialPortResult::Busy) {
                m_journal.WriteSysJournal(opened.text + port, opened.code, source);
                return false;
            }
            m_journal.WriteSysJournal(
                QStringLiteral("Try opening the port ") + port + u' ' + QString::number(lConnectTries), 0,
                source);
            WaitTenths(10);
            if (lConnectTries >= ConnectRetries - 1 + 1) {
                m_journal.WriteSysJournal(QStringLiteral("The device already open ") + u' ' + opened.text
                        + QStringLiteral("(Try for 4 seconds)"),
                    opened.code, source);
                return false;
            }
        }
    }
    if (colATCommands.isEmpty()) {
        m_journal.WriteSysJournal(
            QStringLiteral("The AT command scenario is empty; nothing is sent to ") + port, 0, source);
        return true;
    }
    m_journal.WriteSysJournal(QStringLiteral("AT COMMAND:") + colATCommands.first(), 0, source);
    const SerialPortStatus sent = MSComm1.write(colATCommands.first().toUtf8() + '\r');
    if (!sent.ok()) {
        m_journal.WriteSysJournal(sent.text + port, sent.code, source);
        return true;
    }
    m_journal.WriteSysJournal(QStringLiteral("Success open comm port") + port, 0, source);
    return true;
}

void ModemPath::CommDisconnect()
{
    if (MSComm1.isOpen())
        MSComm1.close();
}

void ModemPath::MSComm1_OnComm(const QByteArray& bytes)
{
    RunGuarded(m_journal, QStringLiteral("ErrMSComm1_OnComm"), [&] {
        for (const ModemEvent& event : m_reader.read(bytes)) {
            // The line was handed over in the middle of what arrived: the
            // rest is the line device's to report.
            if (!MSComm1.isOpen())
                return;
            ProcessEvent(event);
        }
    });
}

void ModemPath::ProcessEvent(const ModemEvent& event)
{
    switch (event.kind) {
    case ModemEvent::Ok:
    case ModemEvent::Error:
        if (colATCommands.isEmpty())
            return;
        colATCommands.removeFirst();
        if (colATCommands.isEmpty())
            return;
        m_journal.WriteSysJournal(QStringLiteral("AT COMMAND:") + colATCommands.first()
                + (event.kind == ModemEvent::Ok ? QStringLiteral(":OK") : QStringLiteral(":ERROR")),
            0, QStringLiteral("ProcessEvent"));
        MSComm1.write(colATCommands.first().toUtf8() + '\r');
        return;
    case ModemEvent::Ring:
        if (lNumOfRing == 0)
            m_caller.forgetStale(Clock::instance().elapsedMs());
        m_caller.apply(event);
        ++lNumOfRing;
        emit Ring(lNumOfRing);
        // Each RING line gets the ring rules, so two RINGs read together
        // still report the call and its caller ID.
        applyRingRules();
        return;
    case ModemEvent::Name:
    case ModemEvent::Number:
    case ModemEvent::Mesg:
        m_caller.apply(event, Clock::instance().elapsedMs());
        return;
    }
}

void ModemPath::applyRingRules()
{
    if (lNumOfRing == 1 && !bIncomingReported) {
        lIdleTicks = 0;
        tmrIDLE.start();
        emit InComeCall();
        bIncomingReported = true;
    } else if (lNumOfRing == 2 && !bCallerIdReported) {
        lIdleTicks = 0;
        bCallerIdReported = true;
        emit CallerID(m_caller.sCallerName, m_caller.sCallerNumber);
    } else if (lNumOfRing > 3) {
        takeLineFromModem();
    }
}

void ModemPath::StartIdleTimer()
{
    lIdleTicks = 0;
    tmrIDLE.start();
}

void ModemPath::tmrIDLE_Timer()
{
    ++lIdleTicks;
    if (lIdleTicks < IdleBoundTicks)
        return;
    tmrIDLE.stop();
    emit IdleBound();
}

bool ModemPath::waitBounded(const std::function<bool()>& done, const QString& what, const QString& source)
{
    for (qint32 waited = 0; !done(); ++waited) {
        if (waited >= kCloseBoundTenths) {
            m_journal.WriteSysJournal(
                what + QStringLiteral(" did not report closed within 3 seconds"), 0, source);
            return false;
        }
        WaitTenths(1);
    }
    return true;
}

void ModemPath::GetTapiFromComm(LineActions&)
{
    takeLineFromModem();
}

void ModemPath::takeLineFromModem()
{
    cancelHandOverRetry();
    lTapiTries = 0;
    RunGuarded(m_journal, QStringLiteral("ErretTapiFromComm"), [this] { CommDisconnect(); });
    // A dialled call goes on at once after the first open: it stays in line.
    waitBounded([this] { return !MSComm1.isOpen(); }, QStringLiteral("The port"),
        QStringLiteral("ErretTapiFromComm"));
    WaitTenths(HandOverPauseMs / 100);
    openLineAsOwner();
}

void ModemPath::openLineAsOwner()
{
    const QString opened = QStringLiteral("GetTapiFromComm:Tapi1.LineOpen");
    const qint32 result = Tapi1.LineOpen(LinePrivilege::Owner, 8);
    if (result != LineResult::Ok && lTapiTries < TapiRetries) {
        m_journal.WriteSysJournal(Tapi1.ErrorText(result), result, opened);
        ++lTapiTries;
        scheduleHandOverRetry();
        return;
    }
    if (result != LineResult::Ok)
        m_journal.WriteSysJournal(Tapi1.ErrorText(result), result, opened);
    m_journal.WriteSysJournal(Tapi1.ErrorText(result), result, opened);
}

void ModemPath::scheduleHandOverRetry()
{
    // Each retry, like the first try, closes the port and lets half a second
    // pass; meanwhile the line's events run.
    auto* waiter = new QObject(this);
    m_handOverRetry = waiter;
    Clock& clock = Clock::instance();
    const qint64 deadline = clock.elapsedMs() + HandOverPauseMs;
    connect(&clock, &Clock::wakeUp, waiter, [this, waiter, deadline] {
        Clock& now = Clock::instance();
        if (m_handOverRetry != waiter || now.elapsedMs() < deadline)
            return;
        cancelHandOverRetry();
        RunGuarded(m_journal, QStringLiteral("ErretTapiFromComm"), [this] {
            if (MSComm1.isOpen())
                MSComm1.close();
            openLineAsOwner();
        });
    });
    clock.requestWakeUp(deadline, waiter);
}

void ModemPath::cancelHandOverRetry()
{
    if (QObject* waiter = m_handOverRetry.data()) {
        m_handOverRetry.clear();
        Clock::instance().cancelWakeUps(waiter);
        waiter->deleteLater();
    }
}

void ModemPath::CommCloseTapi(LineActions& line)
{
    const QString source = QStringLiteral("ErrCommCloseTapi");
    // The line goes back to the modem: a hand-over still retrying ends.
    cancelHandOverRetry();
    QCoreApplication::processEvents();
    Tapi1.LineClose();
    Tapi1.LineShutdown();
    waitBounded([this] { return !Tapi1.IsLineOpen(); }, QStringLiteral("The line device"), source);
    WaitTenths(15);
    InitVals();
    CommConnect(line.state().lCommPort, line.state().sATCommands);
}

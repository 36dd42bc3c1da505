#pragma once

#include "service/line/ModemLineReader.h"
#include "service/line/ModemSerialPath.h"

#include <QPointer>
#include <QStringList>
#include <QTimer>

class Journal;
class SerialPort;
class TelephonyControl;

// The modem caller-ID path: the modem's serial port watches the line while
// the line device is closed. The AT scenario is played to the modem, one
// command after each answer; its lines are read, RINGs counted, and the
// caller's name and number taken from its caller-ID lines. The first RING
// reports the call (InComeCall), the second its caller ID (CallerID), after
// which the line device takes the call over as owner; a call nobody takes
// over ends at the idle timer's bound (IdleBound).
class ModemPath final : public ModemSerialPath {
    Q_OBJECT
public:
    // The idle timer's ticks after the last report at which a call ends.
    static constexpr qint32 IdleBoundTicks = 13;
    // Tries of a busy port's open, one second apart, per attempt to open it.
    static constexpr qint32 ConnectRetries = 4;
    // Retries of the line device's open as owner, per hand-over, each after
    // the port's close and this pause (a timer step: the loop runs on).
    static constexpr qint32 TapiRetries = 10;
    static constexpr qint64 HandOverPauseMs = 500;

    // port, tapi and journal are the service's; each outlives the path.
    ModemPath(SerialPort& port, TelephonyControl& tapi, const Journal& journal, QObject* parent = nullptr);

    void InitVals() override;
    bool CommConnect(const QString& port, const QString& atCommands) override;
    void CommDisconnect() override;
    bool PortOpen() const override;
    qint32 NumOfRing() const override { return lNumOfRing; }
    void StopIdleTimer() override { tmrIDLE.stop(); }
    void StartIdleTimer() override;
    void GetTapiFromComm(LineActions& line) override;
    void CommCloseTapi(LineActions& line) override;

    // The scenario file read into the command queue (created empty when
    // missing).
    void FillATCommands();
    // What the port received: lines read, each acted on in order.
    void MSComm1_OnComm(const QByteArray& bytes);
    void tmrIDLE_Timer();
    bool isIdleTimerActive() const { return tmrIDLE.isActive(); }
    // The command queue: its first item was sent and is not answered yet.
    QStringList atCommands() const { return colATCommands; }

private:
    void ProcessEvent(const ModemEvent& event);
    void applyRingRules();
    // Closes the port and opens the line device as owner; a refusal is
    // retried later (scheduleHandOverRetry) while the budget lasts.
    void takeLineFromModem();
    void openLineAsOwner();
    void scheduleHandOverRetry();
    void cancelHandOverRetry();
    // Waits (without events) until done() holds or the bound passes; false
    // at the bound, journaled under source.
    bool waitBounded(const std::function<bool()>& done, const QString& what, const QString& source);
    void sendCommand(const QString& command, const QString& source);

    SerialPort& MSComm1;
    TelephonyControl& Tapi1;
    const Journal& m_journal;
    QString m_port;

    QStringList colATCommands;
    ModemLineReader m_reader;
    ModemCaller m_caller;
    qint32 lNumOfRing = 0;
    bool bIncomingReported = false;
    bool bCallerIdReported = false;
    qint32 lIdleTicks = 0;
    qint32 lTapiTries = 0;
    QPointer<QObject> m_handOverRetry; // the pending retry's waiter
    QTimer tmrIDLE;
};

#pragma once

#include <QObject>
#include <QString>

class Journal;
class LineActions;

// The modem's serial port as the line engine uses it in modem mode: once the
// line device has been opened and closed again, the port takes over the line
// and plays the AT scenario to the modem.
class ModemSerialPath : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Resets the modem call state (caller, ring count, report flags).
    virtual void InitVals() = 0;
    // Opens the port (a device path) and starts the scenario; true when the
    // port is open afterwards.
    virtual bool CommConnect(const QString& port, const QString& atCommands) = 0;
    // Closes the port when it is open.
    virtual void CommDisconnect() = 0;
    virtual bool PortOpen() const = 0;

    // The call the modem reported has been taken over by the line device.
    // Rings the modem counted for it (lNumOfRing), which the line device's
    // ring count continues.
    virtual qint32 NumOfRing() const = 0;
    // The line device reports the call now: the modem's idle timer (tmrIDLE)
    // stops.
    virtual void StopIdleTimer() = 0;
    // Closes the port and opens the line device as owner, for a call the
    // modem saw or one about to be dialled.
    virtual void GetTapiFromComm(LineActions& line) = 0;
    // Closes the line device and gives the line back to the port.
    virtual void CommCloseTapi(LineActions& line) = 0;
};

// Holds the modem path's place until the real one exists: the port never
// opens, so a line in modem mode is reported closed, and each attempt to open
// it is journaled.
class ModemPathStandIn final : public ModemSerialPath {
    Q_OBJECT
public:
    explicit ModemPathStandIn(const Journal& journal, QObject* parent = nullptr)
        : ModemSerialPath(parent)
        , m_journal(journal)
    {
    }

    void InitVals() override { }
    bool CommConnect(const QString& port, const QString& atCommands) override;
    void CommDisconnect() override { }
    bool PortOpen() const override { return false; }
    qint32 NumOfRing() const override { return 0; }
    void StopIdleTimer() override { }
    void GetTapiFromComm(LineActions&) override { }
    void CommCloseTapi(LineActions&) override { }

private:
    const Journal& m_journal;
};

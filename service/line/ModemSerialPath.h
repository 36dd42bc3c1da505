#pragma once

#include <QObject>
#include <QString>

class LineActions;

// The modem's serial port as the line engine uses it in modem mode: once the
// line device has been opened and closed again, the port takes over the line
// and plays the AT scenario to the modem. The calls the modem sees come as
// signals, as the line device's events do, each on the event loop.
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
    // A call the modem's caller ID began on its own: the idle timer's bound
    // ends it unless the line device takes it over.
    virtual void StartIdleTimer() = 0;
    // Closes the port and opens the line device as owner, for a call the
    // modem saw or one about to be dialled.
    virtual void GetTapiFromComm(LineActions& line) = 0;
    // Closes the line device and gives the line back to the port.
    virtual void CommCloseTapi(LineActions& line) = 0;

signals:
    // Each RING, with the count of the call's rings.
    void Ring(qint32 count);
    // The first RING: a call starts.
    void InComeCall();
    // The second RING: the caller as the lines before it gave them.
    void CallerID(const QString& name, const QString& number);
    // The idle timer's bound: nobody took the call over, or its end was not
    // seen; it is over.
    void IdleBound();
};

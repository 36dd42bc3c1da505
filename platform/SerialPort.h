#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// Result codes of the serial port; 0 is success. The line engine journals
// the code with the text that comes with it.
namespace SerialPortResult {
inline constexpr qint32 Ok = 0;
inline constexpr qint32 NoSuchPort = 8002;
inline constexpr qint32 NoPermission = 8003;
// This process has the port open already.
inline constexpr qint32 AlreadyOpen = 8005;
// Another process holds the port.
inline constexpr qint32 Busy = 8012;
inline constexpr qint32 NotOpen = 8013;
inline constexpr qint32 SettingsRefused = 8015;
inline constexpr qint32 OpenFailed = 8020;
inline constexpr qint32 WriteFailed = 8021;
// The device went away or failed while open.
inline constexpr qint32 Lost = 8022;
} // namespace SerialPortResult

struct SerialPortStatus {
    qint32 code = SerialPortResult::Ok;
    QString text;
    bool ok() const { return code == SerialPortResult::Ok; }
};

// A serial port as the modem path uses it (MSComm1 of the forms): a device
// path opened at 9600 bit/s, 8 data bits, no parity, one stop bit and no flow
// control, held exclusively; received bytes arrive as Received on the event
// loop, never inside one of these calls.
class SerialPort : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual SerialPortStatus open(const QString& path) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // The path given to the last successful open.
    virtual QString path() const = 0;
    // Queues the bytes for the device; fails only when the port is not open
    // or the device refuses them.
    virtual SerialPortStatus write(const QByteArray& bytes) = 0;

signals:
    void Received(const QByteArray& bytes);
    // The device failed while open (unplugged, the far end of a
    // pseudo-terminal gone); the port is closed when this arrives.
    void Failed(const SerialPortStatus& status);
};

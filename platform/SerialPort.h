#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// A serial port as the modem path uses it: a device path opened at 9600
// bit/s, 8N1, no flow control, for this process alone; what arrives is
// reported on the event loop.
class SerialPort : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The port was opened twice in this process.
    static constexpr qint32 kAlreadyOpen = 8005;
    // Another process holds the port.
    static constexpr qint32 kBusy = 8012;

    struct Result {
        qint32 error = 0; // 0 when it worked
        QString text;
    };

    [[nodiscard]] virtual Result open(const QString& devicePath) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Queues bytes for the port; false when it is not open.
    [[nodiscard]] virtual bool write(const QByteArray& bytes) = 0;

Q_SIGNALS:
    void received(const QByteArray& bytes);
};

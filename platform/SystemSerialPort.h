#pragma once

#include "platform/SerialPort.h"

#include <QSerialPort>

// The serial port over Qt SerialPort. Besides Qt's own locking (lock file and
// TIOCEXCL, which root may pass), the open device is held with an exclusive
// flock, which binds every user; a path open in this process already, under
// any name that leads to the same device, is refused with AlreadyOpen.
class SystemSerialPort final : public SerialPort {
    Q_OBJECT
public:
    explicit SystemSerialPort(QObject* parent = nullptr);
    ~SystemSerialPort() override;

    SerialPortStatus open(const QString& path) override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    QString path() const override { return m_path; }
    SerialPortStatus write(const QByteArray& bytes) override;

private:
    SerialPortStatus openFailure(const QString& device);
    void onError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    QString m_path;
    // The device's own path, the key of this process's open ports.
    QString m_device;
};

#include "platform/SystemSerialPort.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

QMutex g_openMutex;

// The devices this process has open, by their own path.
QSet<QString>& openDevices()
{
    static QSet<QString> devices;
    return devices;
}

SerialPortStatus status(qint32 code, const QString& text)
{
    return {code, text};
}

// Why a device cannot be opened, as the system tells it; errno 0 when it
// can be.
int probeOpen(const QString& device)
{
    const QByteArray native = QFile::encodeName(device);
    int fd;
    do {
        fd = ::open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return errno;
    ::close(fd);
    return 0;
}

} // namespace

SystemSerialPort::SystemSerialPort(QObject* parent)
    : SerialPort(parent)
{
    connect(&m_port, &QSerialPort::readyRead, this, [this] {
        const QByteArray bytes = m_port.readAll();
        if (!bytes.isEmpty())
            emit Received(bytes);
    });
    connect(&m_port, &QSerialPort::errorOccurred, this, &SystemSerialPort::onError);
}

SystemSerialPort::~SystemSerialPort()
{
    close();
}

SerialPortStatus SystemSerialPort::open(const QString& path)
{
    const QString device = QFileInfo(path).canonicalFilePath();
    if (device.isEmpty())
        return status(SerialPortResult::NoSuchPort, QStringLiteral("The port does not exist: ") + path);
    {
        const QMutexLocker lock(&g_openMutex);
        if (m_port.isOpen() || openDevices().contains(device))
            return status(SerialPortResult::AlreadyOpen, QStringLiteral("Port already open"));
        // Taken now, so that a second open of this process cannot slip in.
        openDevices().insert(device);
    }
    const auto release = [&device] {
        const QMutexLocker lock(&g_openMutex);
        openDevices().remove(device);
    };

    m_port.setPortName(device);
    m_port.setBaudRate(QSerialPort::Baud9600);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        const SerialPortStatus failure = openFailure(device);
        release();
        return failure;
    }
    int rc;
    do {
        rc = ::flock(int(m_port.handle()), LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int error = errno;
        m_port.close();
        release();
        if (error == EWOULDBLOCK)
            return status(SerialPortResult::Busy, QStringLiteral("The port is in use by another program"));
        return status(SerialPortResult::OpenFailed,
            QStringLiteral("The port cannot be locked: ") + QString::fromLocal8Bit(std::strerror(error)));
    }
    // What the device said before this open (a late answer to the last
    // user's command) would be read as the answer to the next one.
    m_port.clear(QSerialPort::Input);
    m_path = path;
    m_device = device;
    return {};
}

SerialPortStatus SystemSerialPort::openFailure(const QString& device)
{
    const QSerialPort::SerialPortError error = m_port.error();
    const QString text = m_port.errorString();
    m_port.clearError();
    if (error == QSerialPort::DeviceNotFoundError)
        return status(SerialPortResult::NoSuchPort, QStringLiteral("The port does not exist: ") + device);
    if (error == QSerialPort::PermissionError) {
        // Qt says the same for a lock held elsewhere and for a device this
        // user may not open; the system tells them apart.
        const int why = probeOpen(device);
        if (why == EACCES || why == EPERM)
            return status(
                SerialPortResult::NoPermission, QStringLiteral("No permission to open the port ") + device);
        return status(SerialPortResult::Busy, QStringLiteral("The port is in use by another program"));
    }
    if (error == QSerialPort::UnsupportedOperationError)
        return status(
            SerialPortResult::SettingsRefused, QStringLiteral("The port refused its line settings: ") + text);
    return status(SerialPortResult::OpenFailed, text);
}

void SystemSerialPort::close()
{
    if (!m_port.isOpen())
        return;
    // Closing drops the flock with the descriptor.
    m_port.close();
    const QMutexLocker lock(&g_openMutex);
    openDevices().remove(m_device);
    m_device.clear();
}

SerialPortStatus SystemSerialPort::write(const QByteArray& bytes)
{
    if (!m_port.isOpen())
        return status(SerialPortResult::NotOpen, QStringLiteral("The port is not open"));
    if (m_port.write(bytes) != bytes.size())
        return status(SerialPortResult::WriteFailed, m_port.errorString());
    return {};
}

void SystemSerialPort::onError(QSerialPort::SerialPortError error)
{
    // Open failures are answered by open(). A device that has gone reads as
    // a resource error, or as a read that ends (a hung-up terminal); either
    // way nothing more comes, and the port is closed rather than polled.
    if ((error != QSerialPort::ResourceError && error != QSerialPort::ReadError) || !m_port.isOpen())
        return;
    const SerialPortStatus lost = status(SerialPortResult::Lost, m_port.errorString());
    m_port.clearError();
    close();
    emit Failed(lost);
}

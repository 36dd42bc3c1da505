#include "platform/SystemSerialPort.h"
#include "platform/PseudoTerminal.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/WaitUntil.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// What the far side of the terminal has received so far.
QByteArray readFar(const PseudoTerminal& terminal)
{
    QByteArray out;
    char buffer[256];
    ssize_t got;
    while ((got = ::read(terminal.masterFd(), buffer, sizeof buffer)) > 0)
        out.append(buffer, got);
    return out;
}

// Another process that opens the device and holds it until told to go.
class OtherHolder {
public:
    explicit OtherHolder(const QString& device)
    {
        int ready[2];
        if (::pipe(ready) != 0 || ::pipe(m_release) != 0)
            return;
        const QByteArray path = QFile::encodeName(device);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(ready[0]);
            ::close(m_release[1]);
            const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY);
            const char held = (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) ? 1 : 0;
            [[maybe_unused]] const ssize_t wrote = ::write(ready[1], &held, 1);
            char byte;
            [[maybe_unused]] const ssize_t got = ::read(m_release[0], &byte, 1);
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(m_release[0]);
        char held = 0;
        m_holding = ::read(ready[0], &held, 1) == 1 && held == 1;
        ::close(ready[0]);
    }
    ~OtherHolder()
    {
        if (m_pid <= 0)
            return;
        ::close(m_release[1]);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }
    bool holding() const { return m_holding; }

private:
    pid_t m_pid = -1;
    int m_release[2] = {-1, -1};
    bool m_holding = false;
};

TEST(SystemSerialPort_Open, SetsTheLineAndCarriesBytesBothWays)
{
    PseudoTerminal terminal;
    ASSERT_TRUE(terminal.isValid()) << terminal.error().toStdString();
    SystemSerialPort port;
    QSignalSpy received(&port, &SerialPort::Received);
    const SerialPortStatus opened = port.open(terminal.devicePath());
    ASSERT_TRUE(opened.ok()) << opened.code << " " << opened.text.toStdString();
    EXPECT_TRUE(port.isOpen());

    termios line{};
    ASSERT_EQ(::tcgetattr(terminal.masterFd(), &line), 0);
    EXPECT_EQ(::cfgetospeed(&line), speed_t(B9600));
    EXPECT_EQ(::cfgetispeed(&line), speed_t(B9600));
    EXPECT_EQ(line.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_FALSE(line.c_cflag & PARENB);
    EXPECT_FALSE(line.c_cflag & CSTOPB);
    EXPECT_FALSE(line.c_cflag & CRTSCTS);
    EXPECT_FALSE(line.c_iflag & (IXON | IXOFF));

    EXPECT_TRUE(port.write("ATZ\r").ok());
    QByteArray far;
    EXPECT_TRUE(waitUntil([&] { return (far += readFar(terminal)) == "ATZ\r"; })) << far.constData();

    ASSERT_EQ(::write(terminal.masterFd(), "\r\nOK\r\n", 6), 6);
    QByteArray got;
    EXPECT_TRUE(waitUntil([&] {
        while (!received.isEmpty())
            got += received.takeFirst().at(0).toByteArray();
        return got == "\r\nOK\r\n";
    }));

    port.close();
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.write("AT\r").code, SerialPortResult::NotOpen);
}

// A modem's late answer, sent while nobody had the port open, is not read as
// the answer to what the next user sends.
TEST(SystemSerialPort_Open, WhatCameBeforeTheOpenIsNotReadAfterIt)
{
    PseudoTerminal terminal;
    ASSERT_TRUE(terminal.isValid()) << terminal.error().toStdString();
    SystemSerialPort port;
    QSignalSpy received(&port, &SerialPort::Received);
    ASSERT_TRUE(port.open(terminal.devicePath()).ok());
    port.close();
    ASSERT_EQ(::write(terminal.masterFd(), "\r\nOK\r\n", 6), 6);

    ASSERT_TRUE(port.open(terminal.devicePath()).ok());
    ASSERT_EQ(::write(terminal.masterFd(), "\r\nRING\r\n", 8), 8);
    QByteArray got;
    EXPECT_TRUE(waitUntil([&] {
        while (!received.isEmpty())
            got += received.takeFirst().at(0).toByteArray();
        return got.contains("RING");
    }));
    EXPECT_EQ(got, "\r\nRING\r\n");
}

TEST(SystemSerialPort_Open, RefusesWhatItCannotHaveWithItsOwnCode)
{
    PseudoTerminal terminal;
    ASSERT_TRUE(terminal.isValid());
    QTemporaryDir folder;
    const QString link = folder.filePath(u"modem"_s);
    ASSERT_TRUE(QFile::link(terminal.devicePath(), link));

    SystemSerialPort missing;
    EXPECT_EQ(missing.open(folder.filePath(u"nothing"_s)).code, SerialPortResult::NoSuchPort);
    EXPECT_FALSE(missing.isOpen());

    SystemSerialPort first;
    ASSERT_TRUE(first.open(link).ok());
    // Opened twice in this process, under its own name or through the link.
    SystemSerialPort second;
    EXPECT_EQ(second.open(terminal.devicePath()).code, SerialPortResult::AlreadyOpen);
    EXPECT_EQ(second.open(link).code, SerialPortResult::AlreadyOpen);
    EXPECT_EQ(first.open(link).code, SerialPortResult::AlreadyOpen);
    EXPECT_TRUE(first.isOpen()) << "a refused second open leaves the first alone";
    first.close();
    EXPECT_TRUE(second.open(link).ok()) << "closed, the port can be opened again";
    second.close();

    // Held by another process: refused for every user, root too.
    {
        OtherHolder other(terminal.devicePath());
        ASSERT_TRUE(other.holding());
        const SerialPortStatus busy = first.open(link);
        EXPECT_EQ(busy.code, SerialPortResult::Busy) << busy.text.toStdString();
        EXPECT_FALSE(first.isOpen());
    }
    EXPECT_TRUE(first.open(link).ok()) << "once the other process has let go";
}

TEST(SystemSerialPort_Open, ClosesAndSaysSoWhenTheDeviceGoes)
{
    auto terminal = std::make_unique<PseudoTerminal>();
    ASSERT_TRUE(terminal->isValid());
    SystemSerialPort port;
    QSignalSpy failed(&port, &SerialPort::Failed);
    ASSERT_TRUE(port.open(terminal->devicePath()).ok());
    terminal.reset();
    EXPECT_TRUE(waitUntil([&] { return !failed.isEmpty(); }));
    EXPECT_FALSE(port.isOpen());
}

} // namespace

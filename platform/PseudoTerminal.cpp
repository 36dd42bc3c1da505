#include "platform/PseudoTerminal.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

PseudoTerminal::PseudoTerminal()
{
    const auto fail = [this](const char* step) {
        m_error
            = QString::fromLatin1(step) + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
        if (m_slave >= 0)
            ::close(m_slave);
        if (m_master >= 0)
            ::close(m_master);
        m_slave = m_master = -1;
    };
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0) {
        fail("posix_openpt");
        return;
    }
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        fail("unlockpt");
        return;
    }
    char name[128] = {};
    if (::ptsname_r(m_master, name, sizeof name) != 0) {
        fail("ptsname");
        return;
    }
    m_devicePath = QFile::decodeName(name);
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0) {
        fail("open");
        return;
    }
    termios raw{};
    if (::tcgetattr(m_slave, &raw) != 0) {
        fail("tcgetattr");
        return;
    }
    ::cfmakeraw(&raw);
    if (::tcsetattr(m_slave, TCSANOW, &raw) != 0) {
        fail("tcsetattr");
        return;
    }
    const int flags = ::fcntl(m_master, F_GETFL);
    if (flags < 0 || ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0) {
        fail("fcntl");
        return;
    }
}

PseudoTerminal::~PseudoTerminal()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

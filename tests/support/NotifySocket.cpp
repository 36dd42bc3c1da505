#include "tests/support/NotifySocket.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

NotifySocket::NotifySocket()
    : m_path(m_dir.path() + QStringLiteral("/notify"))
{
    const QByteArray native = QFile::encodeName(m_path);
    sockaddr_un address{};
    if (native.size() >= qsizetype(sizeof address.sun_path))
        return;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
    m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (m_fd >= 0 && ::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

NotifySocket::~NotifySocket()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::optional<QByteArray> NotifySocket::receive(int timeoutMs)
{
    if (m_fd < 0)
        return std::nullopt;
    pollfd fd{m_fd, POLLIN, 0};
    int rc;
    do {
        rc = ::poll(&fd, 1, timeoutMs);
    } while (rc < 0 && errno == EINTR);
    if (rc <= 0)
        return std::nullopt;
    char buffer[4096];
    ssize_t n;
    do {
        n = ::recv(m_fd, buffer, sizeof buffer, 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0)
        return std::nullopt;
    return QByteArray(buffer, n);
}

#include "tests/support/RawSocket.h"

#include "tests/support/WaitUntil.h"

#include <QByteArray>
#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace RawSocket {

int connectTo(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (native.size() >= qsizetype(sizeof address.sun_path))
        return -1;
    std::memcpy(address.sun_path, native.constData(), native.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

bool closedByPeer(int fd)
{
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0)
        return false;
    char byte = 0;
    return ::recv(fd, &byte, 1, MSG_DONTWAIT) <= 0;
}

qint64 sendClaiming(int fd, quint32 length, qint64 total)
{
    QByteArray header(4, Qt::Uninitialized);
    qToBigEndian(length, header.data());
    const QByteArray chunk(1024 * 1024, 'x');
    qint64 written = -header.size();
    QByteArray pending = header;
    while (written < total) {
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, testTimeout(2000)) <= 0 || (p.revents & (POLLERR | POLLHUP)))
            break;
        if (pending.isEmpty())
            pending = chunk.left(qsizetype(std::min<qint64>(chunk.size(), total - written)));
        const ssize_t n
            = ::send(fd, pending.constData(), size_t(pending.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            break;
        if (n > 0) {
            written += n;
            pending.remove(0, n);
        }
    }
    return std::max<qint64>(written, 0);
}

} // namespace RawSocket

#include "platform/ServiceManagerNotifier.h"

#include <QtGlobal>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <unistd.h>

QByteArray ServiceManagerNotifier::socketFromEnvironment()
{
    return qgetenv("NOTIFY_SOCKET");
}

ServiceManagerNotifier::ServiceManagerNotifier(const QByteArray& socketAddress)
{
    const bool abstract = socketAddress.startsWith('@');
    if (!abstract && !socketAddress.startsWith('/'))
        return; // other address kinds (vsock:) are not for a service on this machine
    // A path needs room for its closing NUL; an abstract name has none.
    const qsizetype room = qsizetype(sizeof(m_address.sun_path)) - (abstract ? 0 : 1);
    if (socketAddress.size() < 2 || socketAddress.size() > room
        || (!abstract && socketAddress.contains('\0')))
        return;
    m_address.sun_family = AF_UNIX;
    std::memcpy(m_address.sun_path, socketAddress.constData(), size_t(socketAddress.size()));
    if (abstract)
        m_address.sun_path[0] = '\0';
    m_addressLength
        = socklen_t(offsetof(sockaddr_un, sun_path) + size_t(socketAddress.size()) + (abstract ? 0 : 1));
    m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
}

ServiceManagerNotifier::~ServiceManagerNotifier()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool ServiceManagerNotifier::notify(const QByteArray& assignments)
{
    if (m_fd < 0)
        return false;
    ssize_t sent;
    do {
        sent = ::sendto(m_fd, assignments.constData(), size_t(assignments.size()), MSG_NOSIGNAL,
            reinterpret_cast<const sockaddr*>(&m_address), m_addressLength);
    } while (sent < 0 && errno == EINTR);
    return sent == assignments.size();
}

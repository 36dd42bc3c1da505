#include "platform/LocalListener.h"

#include <QFile>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <utility>

Q_LOGGING_CATEGORY(lcListener, "ringvale.listener", QtWarningMsg)

namespace {

// Connections taken per wake-up, so other events get their turn under a flood.
constexpr int AcceptBatch = 64;
// How long accepting rests when not even the spare could be had.
constexpr int RestMsecs = 100;

int openSpare()
{
    return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

// Accepting returns the lowest free descriptor: when it is this high, every
// one below is taken and at most the reserve is left.
bool leavesTooFew(int fd, int reserve)
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return false;
    return rlim_t(fd) + rlim_t(reserve) >= limit.rlim_cur;
}

} // namespace

bool peerIsSameUser(int fd)
{
    struct ucred cred { };
    socklen_t length = sizeof cred;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &length) != 0 || length != sizeof cred)
        return false;
    return cred.uid == ::geteuid();
}

void raiseDescriptorLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max)
        return;
    limit.rlim_cur = limit.rlim_max;
    if (::setrlimit(RLIMIT_NOFILE, &limit) != 0)
        qCWarning(lcListener) << "cannot raise the descriptor limit:" << std::strerror(errno);
}

LocalListener::LocalListener(int reserve, Handler handler, QObject* parent)
    : QObject(parent)
    , m_reserve(reserve)
    , m_handler(std::move(handler))
{
}

LocalListener::~LocalListener()
{
    close();
}

bool LocalListener::listen(const QString& path, QString* error)
{
    close();
    const QByteArray native = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (native.size() >= qsizetype(sizeof address.sun_path)) {
        *error = QStringLiteral("the socket path is too long: ") + path;
        return false;
    }
    std::memcpy(address.sun_path, native.constData(), native.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = QStringLiteral("cannot make a socket: ") + QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (!bound || ::chmod(native.constData(), S_IRUSR | S_IWUSR) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        *error = QStringLiteral("cannot listen on ") + path + QStringLiteral(": ")
            + QString::fromLocal8Bit(std::strerror(errno));
        ::close(fd);
        // A path that was taken stays whoever's it is.
        if (bound)
            ::unlink(native.constData());
        return false;
    }
    m_fd = fd;
    m_path = path;
    if (m_spare < 0)
        m_spare = openSpare();
    m_notifier = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &LocalListener::acceptPending);
    return true;
}

void LocalListener::close()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
        ::unlink(QFile::encodeName(m_path).constData());
    }
    m_path.clear();
    if (m_spare >= 0) {
        ::close(m_spare);
        m_spare = -1;
    }
}

void LocalListener::acceptPending()
{
    for (int taken = 0; taken < AcceptBatch && m_fd >= 0;) {
        const int fd = ::accept4(m_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            const int error = errno;
            if (error == EINTR || error == ECONNABORTED)
                continue;
            if (error == EMFILE || error == ENFILE) {
                if (!shedOne())
                    return;
                ++taken;
                continue;
            }
            if (error != EAGAIN && error != EWOULDBLOCK)
                qCWarning(lcListener) << "accept on" << m_path << "failed:" << std::strerror(error);
            return;
        }
        ++taken;
        if (!peerIsSameUser(fd)) {
            qCWarning(lcListener) << "refused a connection from another user on" << m_path;
            ::close(fd);
            continue;
        }
        if (leavesTooFew(fd, m_reserve)) {
            if (!std::exchange(m_warnedFull, true))
                qCWarning(lcListener) << "descriptors run short: closing new connections on" << m_path;
            ::close(fd);
            continue;
        }
        m_warnedFull = false;
        auto* socket = new QLocalSocket(this);
        if (!socket->setSocketDescriptor(fd)) {
            ::close(fd);
            delete socket;
            continue;
        }
        m_handler(socket);
    }
}

bool LocalListener::shedOne()
{
    if (!std::exchange(m_warnedFull, true))
        qCWarning(lcListener) << "out of descriptors: closing new connections on" << m_path;
    if (m_spare >= 0) {
        ::close(m_spare);
        m_spare = -1;
        const int fd = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0)
            ::close(fd);
        m_spare = openSpare();
    }
    if (m_spare >= 0 || !m_notifier)
        return m_spare >= 0;
    // Someone else took the spare's place: rest rather than spin on a queue
    // that cannot be emptied, and try for the spare again.
    m_notifier->setEnabled(false);
    QTimer::singleShot(RestMsecs, this, [this] {
        if (m_spare < 0)
            m_spare = openSpare();
        if (m_notifier)
            m_notifier->setEnabled(true);
    });
    return false;
}

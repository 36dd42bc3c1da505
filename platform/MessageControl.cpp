#include "platform/MessageControl.h"

#include "common/AppPaths.h"
#include "platform/ChannelConnection.h"
#include "platform/ChannelFolderWatch.h"
#include "platform/ChannelFrame.h"
#include "platform/LocalListener.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QSet>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcChannels, "ringvale.channels", QtCriticalMsg)

namespace {

// A peer with this much unsent behind it has stopped reading: it is dropped
// rather than let the sender's memory grow without end.
constexpr qint64 MaxPendingBytes = 64 * 1024 * 1024;
// How long the destructor waits for texts still on their way.
constexpr int FlushOnDestructionMsecs = 2000;

struct SocketName {
    qint32 number = 0;
    pid_t pid = 0;
    QString token;
};

QString socketFileName(qint32 number, pid_t pid, const QString& token)
{
    return QStringLiteral("chan_") + QString::number(number) + u'_' + QString::number(pid) + u'_' + token;
}

std::optional<SocketName> parseSocketFileName(const QString& name)
{
    const QStringList parts = name.split(u'_');
    if (parts.size() != 4 || parts.at(0) != u"chan" || parts.at(3).isEmpty())
        return std::nullopt;
    bool numberOk = false;
    bool pidOk = false;
    const int number = parts.at(1).toInt(&numberOk);
    const int pid = parts.at(2).toInt(&pidOk);
    if (!numberOk || !pidOk || pid <= 0)
        return std::nullopt;
    return SocketName{number, static_cast<pid_t>(pid), parts.at(3)};
}

bool processIsGone(pid_t pid)
{
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

enum class ConnectResult { Connected, Busy, Refused, Failed };

// A connect that never waits: a local listener either takes the connection at
// once, refuses it (its process has gone) or has a full backlog.
ConnectResult connectTo(const QString& path, int& fd)
{
    fd = -1;
    const QByteArray native = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (native.size() >= static_cast<qsizetype>(sizeof address.sun_path))
        return ConnectResult::Failed;
    std::memcpy(address.sun_path, native.constData(), native.size());
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (socket < 0)
        return ConnectResult::Failed;
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        ::close(socket);
        if (error == EAGAIN || error == EINTR)
            return ConnectResult::Busy;
        if (error == ECONNREFUSED || error == ENOENT)
            return ConnectResult::Refused;
        return ConnectResult::Failed;
    }
    // The folder is private to the user already; the credentials are checked
    // as well, so a socket that someone else got hold of is never trusted.
    if (!peerIsSameUser(socket)) {
        ::close(socket);
        return ConnectResult::Failed;
    }
    fd = socket;
    return ConnectResult::Connected;
}

} // namespace

MessageControl::MessageControl(QObject* parent, Delivery delivery)
    : QObject(parent)
    , m_delivery(delivery)
    , m_token(QString::number(QRandomGenerator::global()->generate64() & 0xffffffffffffULL, 16))
{
}

MessageControl::~MessageControl()
{
    Flush(FlushOnDestructionMsecs);
    unbind();
}

QString MessageControl::socketPath() const
{
    return m_server && m_server->isListening() ? m_server->path() : QString();
}

bool MessageControl::Channel(qint32 number)
{
    const QString folder = AppPaths::runtimeFolder();
    if (folder.isEmpty()) {
        qCWarning(lcChannels) << "no private runtime folder: channel" << number << "unusable";
        unbind();
        return false;
    }
    if (m_number != number || m_folder != folder) {
        unbind();
        m_number = number;
        m_folder = folder;
    }
    if (!m_server || !m_server->isListening())
        listen(number, folder);
    // A peer killed a moment ago has not closed its connection on our loop
    // yet; the answer must not count it.
    if (peerProcessGone())
        m_listedAt = 0;
    return followPeers() > 0;
}

bool MessageControl::listen(qint32 number, const QString& folder)
{
    delete m_server;
    m_server = new LocalListener(
        LocalListener::ChannelReserve, [this](QLocalSocket* socket) { acceptConnection(socket); }, this);
    const QString path = folder + u'/' + socketFileName(number, ::getpid(), m_token);
    QString error;
    if (!m_server->listen(path, &error)) {
        // Sending still works; only texts to this endpoint cannot arrive.
        qCWarning(lcChannels).noquote() << error;
        return false;
    }
    return true;
}

void MessageControl::unbind()
{
    for (const QPointer<ChannelConnection>& connection : std::as_const(m_incoming)) {
        if (connection) {
            connection->disconnect(this);
            connection->shutdown();
        }
    }
    m_incoming.clear();
    // Texts already sent on the old number still go out, then the
    // connection closes (and deletes itself).
    for (auto it = m_peers.begin(); it != m_peers.end(); ++it) {
        if (it.value())
            it.value()->disconnectFromServer();
    }
    m_peers.clear();
    m_peerPids.clear();
    m_listedAt = 0;
    if (m_server) {
        delete m_server; // removes the socket file
        m_server = nullptr;
    }
    m_number.reset();
    m_folder.clear();
}

void MessageControl::acceptConnection(QLocalSocket* socket)
{
    m_incoming.removeAll(QPointer<ChannelConnection>());
    if (m_incoming.size() >= MaxConnections) {
        qCWarning(lcChannels) << "channel" << m_number.value_or(0) << "already has" << MaxConnections
                              << "senders: closing a new one";
        socket->abort();
        socket->deleteLater();
        return;
    }
    auto* connection = new ChannelConnection(socket, m_frameBoundMs, this);
    connect(connection, &ChannelConnection::textArrived, this, &MessageControl::MessageArrived);
    m_incoming.append(connection);
}

int MessageControl::refreshPeers()
{
    if (!m_number || m_folder.isEmpty())
        return 0;
    const QString prefix = QStringLiteral("chan_") + QString::number(*m_number) + u'_';
    const QStringList names = QDir(m_folder).entryList(
        {prefix + u'*'}, QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    const pid_t ownPid = ::getpid();
    QSet<QString> present;
    m_retryPeers = false;
    for (const QString& name : names) {
        const std::optional<SocketName> peer = parseSocketFileName(name);
        if (!peer || peer->number != *m_number || peer->token == m_token)
            continue;
        if (peer->pid == ownPid && m_delivery == Delivery::OtherProcesses)
            continue;
        const QString path = m_folder + u'/' + name;
        // A process that was killed leaves its socket behind; no event has
        // told our connection yet, so ask whether the process is still there.
        if (processIsGone(peer->pid)) {
            if (QFile::remove(path))
                qCDebug(lcChannels) << "removed stale socket" << path;
            continue;
        }
        const QPointer<QLocalSocket> known = m_peers.value(path);
        if (known && known->state() == QLocalSocket::ConnectedState) {
            present.insert(path);
            continue;
        }
        int fd = -1;
        switch (connectTo(path, fd)) {
        case ConnectResult::Connected: {
            auto* socket = new QLocalSocket(this);
            if (!socket->setSocketDescriptor(fd)) {
                ::close(fd);
                delete socket;
                break;
            }
            // Nothing is read from a peer; a close or an error ends it.
            connect(socket, &QLocalSocket::readyRead, socket, [socket] { socket->readAll(); });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::errorOccurred, socket, [socket] {
                qCDebug(lcChannels) << "peer dropped:" << socket->errorString();
                socket->abort();
                socket->deleteLater();
            });
            if (known)
                known->deleteLater();
            m_peers.insert(path, socket);
            m_peerPids.insert(path, peer->pid);
            present.insert(path);
            break;
        }
        case ConnectResult::Busy:
            // Bound and alive but not taking connections right now.
            qCDebug(lcChannels) << "peer busy:" << path;
            present.insert(path);
            m_retryPeers = true;
            break;
        case ConnectResult::Refused:
            // Its process is alive (checked above) but not listening yet or
            // any more: not there for this text.
            m_retryPeers = true;
            break;
        case ConnectResult::Failed:
            qCDebug(lcChannels) << "cannot connect to" << path;
            break;
        }
    }
    for (auto it = m_peers.begin(); it != m_peers.end();) {
        const bool alive = it.value() && it.value()->state() == QLocalSocket::ConnectedState;
        if (alive && present.contains(it.key())) {
            ++it;
            continue;
        }
        // The peer has gone or unbound.
        if (it.value())
            it.value()->deleteLater();
        m_peerPids.remove(it.key());
        it = m_peers.erase(it);
    }
    return static_cast<int>(present.size());
}

int MessageControl::followPeers()
{
    if (!m_number || m_folder.isEmpty())
        return 0;
    // The stamp is taken before the listing: a socket that comes meanwhile
    // changes it again, so the next send lists once more.
    const quint64 stamp = ChannelFolderWatch::instance().stamp(m_folder, *m_number);
    if (m_listedAt != 0 && stamp == m_listedAt && peersIntact())
        return static_cast<int>(m_peers.size());
    const int present = refreshPeers();
    // A peer that was busy or not listening yet is tried again next time.
    m_listedAt = !m_retryPeers && peersIntact() ? stamp : 0;
    return present;
}

bool MessageControl::peersIntact() const
{
    for (const QPointer<QLocalSocket>& socket : m_peers) {
        if (!socket || socket->state() != QLocalSocket::ConnectedState)
            return false;
    }
    return true;
}

bool MessageControl::peerProcessGone() const
{
    for (auto it = m_peerPids.cbegin(); it != m_peerPids.cend(); ++it) {
        if (m_peers.contains(it.key()) && processIsGone(static_cast<pid_t>(it.value())))
            return true;
    }
    return false;
}

void MessageControl::dropPeer(const QString& path)
{
    m_listedAt = 0; // it may take a new connection at the next send
    m_peerPids.remove(path);
    const QPointer<QLocalSocket> socket = m_peers.take(path);
    if (socket) {
        socket->abort();
        socket->deleteLater();
    }
}

void MessageControl::Send(const QString& text)
{
    if (!m_number) {
        qCDebug(lcChannels) << "send on an unbound endpoint dropped";
        return;
    }
    followPeers();
    const QByteArray payload = text.toUtf8();
    if (payload.size() > ChannelFrame::MaxPayload) {
        qCWarning(lcChannels) << "text of" << payload.size() << "bytes is too long to send";
        return;
    }
    const QByteArray frame = ChannelFrame::encode(payload);
    const QStringList paths = m_peers.keys();
    for (const QString& path : paths) {
        const QPointer<QLocalSocket> socket = m_peers.value(path);
        if (!socket)
            continue;
        const qint64 pending = socket->bytesToWrite();
        if (pending > 0 && pending + frame.size() > MaxPendingBytes) {
            qCWarning(lcChannels) << "dropping a peer that stopped reading:" << path;
            dropPeer(path);
            continue;
        }
        if (socket->write(frame) != frame.size()) {
            qCDebug(lcChannels) << "write failed, dropping" << path;
            dropPeer(path);
            continue;
        }
        // What the kernel takes goes now, so the text is out even if this
        // thread then blocks (WaitTenths); never waits.
        socket->flush();
    }
}

bool MessageControl::Flush(int msecs)
{
    const QDeadlineTimer deadline(msecs);
    bool done = true;
    const QList<QPointer<QLocalSocket>> peers = m_peers.values();
    for (const QPointer<QLocalSocket>& socket : peers) {
        while (socket && socket->state() == QLocalSocket::ConnectedState && socket->bytesToWrite() > 0) {
            const qint64 left = deadline.remainingTime();
            if (left == 0 || !socket->waitForBytesWritten(static_cast<int>(left)))
                break;
        }
        if (socket && socket->state() == QLocalSocket::ConnectedState && socket->bytesToWrite() > 0)
            done = false;
    }
    return done;
}

#include "tests/service/web/WebTestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QMetaObject>
#include <QMutexLocker>
#include <QTcpServer>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

ServerThread::ServerThread(const WebAccessSettings& settings, int idleTimeoutMs, qsizetype maxRequestBytes,
    bool anyPort, const std::function<void(frmHTTP::Options&)>& adjust)
{
    m_thread.start();
    m_context = new QObject;
    m_context->moveToThread(&m_thread);
    frmHTTP::Options options;
    options.productTitle = QStringLiteral("Ringvale 1.1");
    options.limits.headMs = idleTimeoutMs;
    options.limits.stallMs = idleTimeoutMs;
    options.maxRequestBytes = maxRequestBytes;
    options.anyPort = anyPort;
    options.now = &ServerThread::fixedNow;
    std::shared_ptr<Journals> journals = m_journals;
    options.wwwJournal = [journals](const QString& text) {
        QMutexLocker lock(&journals->mutex);
        journals->www.append(text);
    };
    options.sysJournal = [journals](const QString& message, qint32 number, const QString& source) {
        QMutexLocker lock(&journals->mutex);
        journals->sys.append(source + u'|' + message + u'|' + QString::number(number));
    };
    if (adjust)
        adjust(options);
    run([&] {
        m_server = new frmHTTP(settings, options);
        m_started = m_server->start();
        m_port = m_server->serverPort();
    });
}

ServerThread::~ServerThread()
{
    run([&] {
        delete m_server;
        m_server = nullptr;
    });
    m_context->deleteLater();
    m_thread.quit();
    m_thread.wait();
}

QDateTime ServerThread::fixedNow()
{
    return QDateTime(QDate(2026, 12, 10), QTime(14, 5, 9));
}

template<class F>
void ServerThread::run(F&& f)
{
    QMetaObject::invokeMethod(m_context, std::forward<F>(f), Qt::BlockingQueuedConnection);
}

void ServerThread::stop()
{
    run([&] { m_server->stop(); });
}

bool ServerThread::restart()
{
    run([&] {
        m_started = m_server->start();
        m_port = m_server->serverPort();
    });
    return m_started;
}

int ServerThread::slotsTaken()
{
    int taken = 0;
    run([&] { taken = m_server->slotsTaken(); });
    return taken;
}

WebAccessSettings ServerThread::settings()
{
    WebAccessSettings settings;
    run([&] { settings = m_server->settings(); });
    return settings;
}

QStringList ServerThread::wwwJournal()
{
    QMutexLocker lock(&m_journals->mutex);
    return m_journals->www;
}

QStringList ServerThread::sysJournal()
{
    QMutexLocker lock(&m_journals->mutex);
    return m_journals->sys;
}

WebAccessSettings openWebSettings()
{
    WebAccessSettings settings;
    settings.RCWWWAllow = 1;
    settings.RCWWWPort = 8080;
    return settings;
}

qint64 residentKiB(qint64 pid)
{
    QFile status(pid == 0 ? QStringLiteral("/proc/self/status") : QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            bool ok = false;
            const qint64 kib = line.mid(6).trimmed().split(' ').value(0).toLongLong(&ok);
            return ok ? kib : -1;
        }
    }
    return -1;
}

Client::Client(quint16 port, const char* from)
{
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0)
        return;
    const int one = 1;
    ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    if (::inet_pton(AF_INET, from, &local.sin_addr) != 1
        || ::bind(m_fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

Client::~Client()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool Client::send(const QByteArray& bytes)
{
    qsizetype sent = 0;
    while (m_fd >= 0 && sent < bytes.size()) {
        const ssize_t n = ::send(m_fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += n;
    }
    return m_fd >= 0;
}

bool Client::readSome(qsizetype bytes, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    qsizetype got = 0;
    while (m_fd >= 0 && got < bytes) {
        const qint64 left = timeoutMs - timer.elapsed();
        if (left <= 0)
            return false;
        pollfd p{m_fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, int(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        char buffer[4096];
        const ssize_t n = ::recv(m_fd, buffer, size_t(qMin<qsizetype>(sizeof buffer, bytes - got)), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        got += n;
    }
    return got >= bytes;
}

QByteArray Client::readToEnd(int timeoutMs, bool* closedByServer)
{
    QByteArray data;
    QElapsedTimer timer;
    timer.start();
    if (closedByServer)
        *closedByServer = false;
    while (m_fd >= 0) {
        const qint64 left = timeoutMs - timer.elapsed();
        if (left <= 0)
            break;
        pollfd p{m_fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, int(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        char buffer[65536];
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (closedByServer)
                *closedByServer = true;
            break;
        }
        data.append(buffer, n);
    }
    return data;
}

QByteArray get(const char* path)
{
    return "GET " + QByteArray(path) + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
}

QByteArray fromOwnPage(const char* path)
{
    return "GET " + QByteArray(path)
        + " HTTP/1.0\r\nHost: 127.0.0.1\r\nReferer: http://127.0.0.1/calls\r\n\r\n";
}

QByteArray exchange(quint16 port, const QByteArray& request, int timeoutMs)
{
    Client client(port);
    if (!client.connected() || !client.send(request))
        return "(no connection)";
    return client.readToEnd(timeoutMs);
}

Answer splitAnswer(const QByteArray& bytes)
{
    Answer answer;
    const qsizetype end = bytes.indexOf("\r\n\r\n");
    answer.head = end < 0 ? bytes : bytes.left(end + 2);
    answer.body = end < 0 ? QByteArray() : bytes.mid(end + 4);
    answer.statusLine = answer.head.left(answer.head.indexOf("\r\n"));
    return answer;
}

QByteArray Answer::header(const QByteArray& name) const
{
    for (const QByteArray& line : head.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.toLower().startsWith(QByteArray(name.toLower() + ':')))
            return trimmed.mid(name.size() + 1).trimmed();
    }
    return {};
}

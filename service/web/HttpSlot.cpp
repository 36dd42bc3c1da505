#include "service/web/HttpSlot.h"

#include "service/web/HttpRequest.h"
#include "service/web/WebLog.h"

#include <QFile>
#include <QHostAddress>
#include <QTcpSocket>

#include <cerrno>
#include <cstring>

#include <sys/socket.h>
#include <sys/uio.h>

namespace {

// One block is handed to the socket at a time, and the next only once the
// socket holds less than a block: a connection holds at most two blocks of
// its answer, however slowly its peer reads. A block this size takes most
// pages in one system call.
constexpr qint64 kBlockSize = 64 * 1024;

// The head of an answer: up to and with the empty line.
QByteArray headOf(const QByteArray& bytes)
{
    const qsizetype end = bytes.indexOf("\r\n\r\n");
    return end < 0 ? bytes : bytes.left(end + 4);
}

class FileBody final : public AnswerBody {
public:
    explicit FileBody(std::unique_ptr<QFile> file)
        : m_file(std::move(file))
    {
    }
    std::optional<QByteArray> next(qint64 maxBytes) override
    {
        QByteArray block = m_file->read(maxBytes);
        if (block.isEmpty() && !m_file->atEnd()) {
            qCDebug(lcWeb) << "file" << m_file->fileName() << "cannot be read:" << m_file->errorString();
            return std::nullopt;
        }
        return block;
    }

private:
    std::unique_ptr<QFile> m_file;
};

} // namespace

QString HttpSlot::peerText(const QHostAddress& address)
{
    // An IPv4 peer reached through the dual-stack listener is named as IPv4,
    // so it counts as one address however it came.
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4).toString() : address.toString();
}

HttpSlot::HttpSlot(
    int index, QTcpSocket* socket, const SlotLimits& limits, qsizetype maxHeadBytes, QObject* parent)
    : QObject(parent)
    , m_index(index)
    , m_socket(socket)
    , m_peer(peerText(socket->peerAddress()))
    , m_limits(limits)
    , m_maxHeadBytes(maxHeadBytes)
{
    m_socket->setParent(this);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        qCDebug(lcWeb) << "slot" << m_index << "timed out";
        drop();
    });
    m_answerDeadline.setSingleShot(true);
    connect(&m_answerDeadline, &QTimer::timeout, this, [this] {
        qCDebug(lcWeb) << "slot" << m_index << "answer took too long";
        drop();
    });
    connect(m_socket, &QTcpSocket::readyRead, this, &HttpSlot::onReadyRead);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &HttpSlot::onBytesWritten);
    connect(m_socket, &QTcpSocket::disconnected, this, &HttpSlot::release);
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (m_state == State::Released)
            return;
        if (error != QAbstractSocket::RemoteHostClosedError)
            Q_EMIT socketError(this, int(error), m_socket->errorString());
        release();
    });
    // The head must be whole within its time, however slowly it trickles in.
    m_timer.start(m_limits.headMs);
    // A connection that waited for a free slot may have sent its request, or
    // gone away, already: nothing would signal it again.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_socket->state() != QAbstractSocket::ConnectedState)
                release();
            else if (m_socket->bytesAvailable() > 0)
                onReadyRead();
        },
        Qt::QueuedConnection);
}

HttpSlot::~HttpSlot() = default;

void HttpSlot::onReadyRead()
{
    if (m_state != State::Reading) {
        m_socket->readAll(); // a POST body or anything else after the head
        return;
    }
    m_buffer += m_socket->readAll();
    qsizetype headLength = 0;
    switch (HttpRequest::findHead(m_buffer, m_maxHeadBytes, headLength)) {
    case HttpRequest::HeadState::Incomplete:
        return;
    case HttpRequest::HeadState::TooLarge: {
        m_state = State::Answering;
        m_timer.stop();
        const QByteArray start = m_buffer.left(512);
        m_buffer.clear();
        Q_EMIT requestTooLarge(this, start);
        return;
    }
    case HttpRequest::HeadState::Complete:
        m_state = State::Answering;
        // Building the answer is the server's time, not the peer's.
        m_timer.stop();
        const QByteArray head = m_buffer.left(headLength);
        m_buffer.clear();
        Q_EMIT requestArrived(this, head);
        return;
    }
}

void HttpSlot::answer(const QByteArray& bytes)
{
    if (m_state != State::Answering)
        return;
    startAnswer();
    m_answer = m_headOnly ? headOf(bytes) : bytes;
    m_sent = 0;
    pump();
}

void HttpSlot::answerFile(const QByteArray& head, std::unique_ptr<QFile> file, qint64 length)
{
    answerBody(head, std::make_unique<FileBody>(std::move(file)), length);
}

void HttpSlot::answerBody(const QByteArray& head, std::unique_ptr<AnswerBody> body, qint64 length)
{
    if (m_state != State::Answering)
        return;
    startAnswer();
    m_answer = m_headOnly ? headOf(head) : head;
    m_sent = 0;
    if (!m_headOnly) {
        m_body = std::move(body);
        m_remaining = length;
    }
    pump();
}

void HttpSlot::startAnswer()
{
    m_timer.start(m_limits.stallMs);
    if (!m_authenticated)
        m_answerDeadline.start(m_limits.unauthenticatedAnswerMs);
}

void HttpSlot::closeWithoutAnswer()
{
    if (m_state == State::Released || m_state == State::Closing)
        return;
    finish();
}

void HttpSlot::abort()
{
    drop();
}

void HttpSlot::drop()
{
    if (m_state == State::Released)
        return;
    // What the kernel still holds of the answer is thrown away too: a peer
    // that held the slot too long gets no more of it.
    const linger now{1, 0};
    ::setsockopt(int(m_socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &now, sizeof now);
    release();
}

void HttpSlot::onBytesWritten()
{
    if (m_state == State::Released)
        return;
    m_timer.start(m_limits.stallMs); // the peer is taking the answer
    pump();
}

void HttpSlot::pump()
{
    if (m_state != State::Answering)
        return;
    while (m_socket->bytesToWrite() < kBlockSize) {
        // The rest of the head, or a block of it, and after the head's end
        // the body's next block in the same call.
        QByteArray first;
        if (m_sent < m_answer.size()) {
            const qsizetype n = qMin<qsizetype>(kBlockSize, m_answer.size() - m_sent);
            first = m_sent == 0 && n == m_answer.size() ? m_answer : m_answer.mid(m_sent, n);
            m_sent += n;
            if (m_sent == m_answer.size()) {
                m_answer.clear();
                m_sent = 0;
            }
        }
        QByteArray second;
        if (m_answer.isEmpty() && m_body && m_remaining > 0) {
            const std::optional<QByteArray> block = m_body->next(qMin(kBlockSize, m_remaining));
            if (!block || block->isEmpty() || block->size() > m_remaining) {
                qCDebug(lcWeb) << "slot" << m_index << "body is not the length announced";
                release();
                return;
            }
            m_remaining -= block->size();
            second = *block;
        }
        if (first.isEmpty() && second.isEmpty()) {
            m_body.reset();
            finish();
            return;
        }
        if (!send(first, second))
            return;
    }
    // The rest follows from bytesWritten, once the socket has drained.
}

bool HttpSlot::send(const QByteArray& first, const QByteArray& second)
{
    qint64 sent = 0;
    // With nothing in the socket's buffer the order is kept when the kernel
    // gets the bytes directly: one call for head and body.
    if (m_socket->bytesToWrite() == 0) {
        iovec parts[2] = {{const_cast<char*>(first.constData()), size_t(first.size())},
            {const_cast<char*>(second.constData()), size_t(second.size())}};
        msghdr message{};
        message.msg_iov = parts;
        message.msg_iovlen = 2;
        const ssize_t n = ::sendmsg(int(m_socket->socketDescriptor()), &message, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            qCDebug(lcWeb) << "slot" << m_index << "send failed:" << strerror(errno);
            release();
            return false;
        }
        sent = qMax<ssize_t>(n, 0);
        if (sent > 0)
            m_timer.start(m_limits.stallMs); // the peer is taking the answer
    }
    // What the kernel did not take waits in the socket's buffer.
    for (const QByteArray* part : {&first, &second}) {
        const qint64 skip = qMin<qint64>(sent, part->size());
        sent -= skip;
        if (skip == part->size())
            continue;
        const qint64 rest = part->size() - skip;
        if (m_socket->write(part->constData() + skip, rest) != rest) {
            release();
            return false;
        }
    }
    return true;
}

void HttpSlot::finish()
{
    m_state = State::Closing;
    // Unread input at close would make the kernel reset the connection and
    // could cost the peer the end of its answer.
    m_socket->readAll();
    m_socket->flush();
    m_socket->disconnectFromHost();
    if (m_socket->state() == QAbstractSocket::UnconnectedState)
        release();
}

void HttpSlot::release()
{
    if (m_state == State::Released)
        return;
    m_state = State::Released;
    m_timer.stop();
    m_answerDeadline.stop();
    m_answer.clear();
    m_body.reset();
    m_socket->disconnect(this);
    m_socket->abort();
    Q_EMIT released(this);
}

#include "service/web/HttpSlot.h"

#include "service/web/HttpRequest.h"
#include "service/web/WebLog.h"

#include <QFile>
#include <QTcpSocket>

namespace {

// One block is handed to the socket at a time, and the next only once the
// socket holds less than a block: a connection holds at most two blocks of
// its answer, however slowly its peer reads.
constexpr qint64 kBlockSize = 16 * 1024;

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

HttpSlot::HttpSlot(int index, QTcpSocket* socket, int timeoutMs, qsizetype maxHeadBytes, QObject* parent)
    : QObject(parent)
    , m_index(index)
    , m_socket(socket)
    , m_maxHeadBytes(maxHeadBytes)
{
    m_socket->setParent(this);
    m_timer.setSingleShot(true);
    m_timer.setInterval(timeoutMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        qCDebug(lcWeb) << "slot" << m_index << "timed out";
        release();
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
    // The head must be whole within the time-out, however slowly it trickles in.
    m_timer.start();
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
        const QByteArray start = m_buffer.left(512);
        m_buffer.clear();
        Q_EMIT requestTooLarge(this, start);
        return;
    }
    case HttpRequest::HeadState::Complete:
        m_state = State::Answering;
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
    m_timer.start();
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
    m_timer.start();
    m_answer = m_headOnly ? headOf(head) : head;
    m_sent = 0;
    if (!m_headOnly) {
        m_body = std::move(body);
        m_remaining = length;
    }
    pump();
}

void HttpSlot::closeWithoutAnswer()
{
    if (m_state == State::Released || m_state == State::Closing)
        return;
    finish();
}

void HttpSlot::abort()
{
    release();
}

void HttpSlot::onBytesWritten()
{
    if (m_state == State::Released)
        return;
    m_timer.start(); // the peer is taking the answer
    pump();
}

void HttpSlot::pump()
{
    if (m_state != State::Answering)
        return;
    while (m_socket->bytesToWrite() < kBlockSize) {
        if (m_sent < m_answer.size()) {
            const qsizetype n = qMin<qsizetype>(kBlockSize, m_answer.size() - m_sent);
            if (m_socket->write(m_answer.constData() + m_sent, n) != n) {
                release();
                return;
            }
            m_sent += n;
            if (m_sent == m_answer.size()) {
                m_answer.clear();
                m_sent = 0;
            }
            continue;
        }
        if (m_body && m_remaining > 0) {
            const std::optional<QByteArray> block = m_body->next(qMin(kBlockSize, m_remaining));
            if (!block || block->isEmpty() || block->size() > m_remaining) {
                qCDebug(lcWeb) << "slot" << m_index << "body is not the length announced";
                release();
                return;
            }
            m_remaining -= block->size();
            m_socket->write(*block);
            continue;
        }
        m_body.reset();
        finish();
        return;
    }
    // The rest follows from bytesWritten, once the socket has drained.
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
    m_answer.clear();
    m_body.reset();
    m_socket->disconnect(this);
    m_socket->abort();
    Q_EMIT released(this);
}

#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

class QFile;
class QHostAddress;
class QTcpSocket;

// What follows an answer's head, produced a block at a time as the peer takes
// it.
class AnswerBody {
public:
    virtual ~AnswerBody() = default;
    // The next bytes, about maxBytes or fewer; empty at the end; nothing when
    // the bytes cannot be had.
    virtual std::optional<QByteArray> next(qint64 maxBytes) = 0;
};

// How long a connection may keep its slot waiting.
struct SlotLimits {
    // The whole request head, from the connection's acceptance; the time the
    // server itself takes to build the answer is not counted.
    int headMs = 10000;
    // An answer of which the peer takes nothing for this long.
    int stallMs = 15000;
    // An answer to a request that did not authenticate (a refusal among them),
    // from its first byte to its last.
    int unauthenticatedAnswerMs = 60000;
};

// One of the web server's connection slots while it holds a connection: it
// gathers the request's head, sends one answer and closes. A slot ends
// (released) when its answer has gone out, when the peer goes away, on a
// socket error, and when the peer keeps it waiting past its limits.
class HttpSlot : public QObject {
    Q_OBJECT
public:
    HttpSlot(int index, QTcpSocket* socket, const SlotLimits& limits, qsizetype maxHeadBytes,
        QObject* parent = nullptr);
    ~HttpSlot() override;

    int index() const { return m_index; }
    // The peer's address as the per-address count and the journal name it.
    const QString& peer() const { return m_peer; }
    // An address as peer() names it.
    static QString peerText(const QHostAddress& address);

    // The request passed the credential check (only a server that asks for
    // one has authenticated connections): the slot is no longer among those
    // that make room, nor bound to the unauthenticated answer's time.
    void setAuthenticated() { m_authenticated = true; }
    bool isAuthenticated() const { return m_authenticated; }

    // A HEAD request: every answer is cut to its head (up to the empty line).
    void setHeadOnly(bool headOnly) { m_headOnly = headOnly; }

    // Sends the whole answer, then closes. The bytes go to the socket a block
    // at a time, the next only when the peer has taken the last, so a peer
    // that reads slowly holds no copy of the answer; bytes may be shared by
    // many slots (one page built for many clients).
    void answer(const QByteArray& bytes);
    // Sends head, then exactly length bytes of body in blocks (never the whole
    // body at once), then closes. A body that cannot give its bytes, or gives
    // more, ends the connection early, so the peer sees a short answer, not a
    // wrong one.
    void answerBody(const QByteArray& head, std::unique_ptr<AnswerBody> body, qint64 length);
    void answerFile(const QByteArray& head, std::unique_ptr<QFile> file, qint64 length);
    // Closes without an answer.
    void closeWithoutAnswer();
    // Drops the connection at once; nothing more is sent, nor what the
    // kernel still holds.
    void abort();

Q_SIGNALS:
    void requestArrived(HttpSlot* slot, const QByteArray& head);
    // start: the first bytes received, for the journal.
    void requestTooLarge(HttpSlot* slot, const QByteArray& start);
    // A socket error other than the peer closing its end.
    void socketError(HttpSlot* slot, int number, const QString& description);
    // The connection is over; the slot may be reused.
    void released(HttpSlot* slot);

private:
    enum class State { Reading, Answering, Closing, Released };

    void onReadyRead();
    void onBytesWritten();
    void pump();
    // Hands bytes to the peer: straight to the kernel in one call while
    // nothing waits in the socket's buffer, the rest through the buffer.
    bool send(const QByteArray& first, const QByteArray& second = {});
    void startAnswer();
    void finish();
    void release();
    // Ends the connection at once with a reset, discarding what is unsent.
    void drop();

    int m_index;
    QTcpSocket* m_socket;
    QString m_peer;
    SlotLimits m_limits;
    QTimer m_timer; // the head's time, then the answer's stall
    QTimer m_answerDeadline; // an unauthenticated answer's whole time
    qsizetype m_maxHeadBytes;
    bool m_authenticated = false;
    State m_state = State::Reading;
    QByteArray m_buffer;
    bool m_headOnly = false;
    QByteArray m_answer; // what is still to go out from m_sent on
    qsizetype m_sent = 0;
    std::unique_ptr<AnswerBody> m_body; // sent after m_answer
    qint64 m_remaining = 0;
};

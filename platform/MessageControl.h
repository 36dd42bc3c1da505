#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

class ChannelConnection;
class LocalListener;
class QLocalSocket;

// One endpoint of the numbered text channels between the two programs and
// Postrun. Each bound endpoint listens on a local socket of its own in
// AppPaths::runtimeFolder() (private to the user), named
// "chan_<number>_<pid>_<token>". Send writes each text, length-prefixed, to
// every endpoint of another process bound to the same number; texts arrive
// whole and in order as MessageArrived on the receiver's event loop. Peers
// are found by listing the folder once and followed through a watch on it
// (ChannelFolderWatch), so a Send lists it only after a socket came or went.
//
// Nothing here waits for a receiver: texts are written as the peer takes them,
// a peer that has gone is dropped, and one that stops reading is dropped once
// too much waits for it. Only the destructor waits, briefly, so that a text
// sent just before the program ends still goes out.
//
// A receiving endpoint holds at most MaxConnections senders (more are closed
// as they come) and ends a sender whose text is longer than
// ChannelFrame::MaxPayload or does not arrive whole within FrameBoundMs.
class MessageControl : public QObject {
    Q_OBJECT
public:
    enum class Delivery {
        OtherProcesses,
        // Endpoints of this process too, as if each were a program of its
        // own (an endpoint never hears itself): the service's parts under test.
        SameProcessToo,
    };

    static constexpr int MaxConnections = 64;
    static constexpr int FrameBoundMs = 10000;

    explicit MessageControl(QObject* parent = nullptr, Delivery delivery = Delivery::OtherProcesses);
    ~MessageControl() override;
    MessageControl(const MessageControl&) = delete;
    MessageControl& operator=(const MessageControl&) = delete;

    // Binds the endpoint to the number (the last number counts) and answers
    // whether at least one endpoint of another process is bound to it, so that
    // a Send right after reaches someone.
    bool Channel(qint32 number);
    // Sends one text on the bound number; dropped when nobody is there.
    void Send(const QString& text);

    // Waits at most msecs for the texts already sent to be handed to the peers;
    // true when nothing is left waiting.
    bool Flush(int msecs);

    std::optional<qint32> number() const { return m_number; }
    // The socket this endpoint listens on; empty while it cannot listen.
    QString socketPath() const;
    // Tests shorten the bound; it holds for senders that connect afterwards.
    void setFrameBoundMs(int msecs) { m_frameBoundMs = msecs; }

signals:
    void MessageArrived(const QString& text);

private:
    bool listen(qint32 number, const QString& folder);
    void unbind();
    void acceptConnection(QLocalSocket* socket);
    // Connects to the endpoints bound to the number that are not connected yet,
    // forgets the ones that have gone, and answers how many are there.
    int refreshPeers();
    // As refreshPeers, listing the folder only when a socket of the number
    // came or went since the last listing, or a peer was lost or not taking
    // connections then; else the peers connected now.
    int followPeers();
    bool peersIntact() const;
    bool peerProcessGone() const;
    void dropPeer(const QString& path);

    const Delivery m_delivery;
    std::optional<qint32> m_number;
    QString m_folder;
    QString m_token;
    LocalListener* m_server = nullptr;
    int m_frameBoundMs = FrameBoundMs;
    QList<QPointer<ChannelConnection>> m_incoming;
    QHash<QString, QPointer<QLocalSocket>> m_peers; // by socket path
    QHash<QString, qint64> m_peerPids; // by socket path
    // ChannelFolderWatch's stamp when the peers were last listed and all
    // connected; 0 lists them at the next send.
    quint64 m_listedAt = 0;
    bool m_retryPeers = false; // the last listing met a peer not connectable yet
};

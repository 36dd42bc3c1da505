#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLocalSocket;
class QSocketNotifier;

// A listening local socket that stays bound whatever happens to its
// connections. QLocalServer closes itself for good when an accept fails, so a
// process that ran out of descriptors lost the socket; here a spare
// descriptor is given up to take such a connection off the queue and close
// it. A connection is also closed when keeping it would leave fewer than
// `reserve` descriptors free, so the files of a call can still be written
// while someone holds many connections. Only peers of this user are handed on.
class LocalListener : public QObject {
    Q_OBJECT
public:
    // What the channels leave free; a control socket that places calls
    // leaves less, so it still works once the channels stop taking senders.
    static constexpr int ChannelReserve = 64;
    static constexpr int ControlReserve = 16;

    // The handler takes over the socket of each connection it is given.
    using Handler = std::function<void(QLocalSocket* socket)>;

    LocalListener(int reserve, Handler handler, QObject* parent = nullptr);
    ~LocalListener() override;
    LocalListener(const LocalListener&) = delete;
    LocalListener& operator=(const LocalListener&) = delete;

    // Binds a new socket at path, readable by this user only; false with the
    // reason when the path is taken or the socket cannot be made.
    bool listen(const QString& path, QString* error);
    // Stops listening and removes the socket file.
    void close();
    bool isListening() const { return m_fd >= 0; }
    QString path() const { return m_path; }

private:
    void acceptPending();
    // Out of descriptors: takes one waiting connection off the queue and
    // closes it, so the queue cannot stay full; false when accepting rests
    // for a while instead.
    bool shedOne();

    const int m_reserve;
    Handler m_handler;
    QString m_path;
    int m_fd = -1;
    int m_spare = -1;
    QSocketNotifier* m_notifier = nullptr;
    bool m_warnedFull = false;
};

// Whether the peer of a connected local socket runs as this user.
bool peerIsSameUser(int fd);

// Raises the soft limit of open descriptors to the hard one, so that many
// connections do not starve the program's own files.
void raiseDescriptorLimit();

#pragma once

#include "platform/LocalListener.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QLocalSocket;

// A private control socket that takes one request line per connection; what
// comes after the line is ignored. Only this user's programs are answered, as
// on the channels. The handler answers on the socket and
// closes it when it is done; connections outlive the listening socket, so a
// request in progress keeps its peer after close().
class LineRequestServer : public QObject {
    Q_OBJECT
public:
    // The request line without its newline, or nullopt when more than
    // maxLineBytes came without one.
    using Handler = std::function<void(QLocalSocket* socket, const std::optional<QByteArray>& line)>;

    LineRequestServer(qsizetype maxLineBytes, Handler handler, QObject* parent = nullptr);

    // Takes over a socket left by a program that ended; false with the
    // reason when a living program serves at path, or it cannot listen.
    bool listen(const QString& path, QString* error);
    void close();
    bool isListening() const { return m_server.isListening(); }

private:
    void accept(QLocalSocket* socket);

    qsizetype m_maxLineBytes;
    Handler m_handler;
    LocalListener m_server;
};

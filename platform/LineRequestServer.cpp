#include "platform/LineRequestServer.h"

#include <QLocalSocket>

#include <memory>

LineRequestServer::LineRequestServer(qsizetype maxLineBytes, Handler handler, QObject* parent)
    : QObject(parent)
    , m_maxLineBytes(maxLineBytes)
    , m_handler(std::move(handler))
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &LineRequestServer::accept);
}

bool LineRequestServer::listen(const QString& path, QString* error)
{
    // Ask first: with access options set, listening puts a new socket over
    // whatever the path holds, a living program's one too. A socket with
    // nobody behind it is what an ended program leaves.
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(200)) {
        *error = QStringLiteral("another program already serves at ") + path;
        return false;
    }
    QLocalServer::removeServer(path);
    if (m_server.listen(path))
        return true;
    *error = QStringLiteral("cannot listen on ") + path + QStringLiteral(": ") + m_server.errorString();
    return false;
}

void LineRequestServer::close()
{
    m_server.close();
}

void LineRequestServer::accept()
{
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        struct Pending {
            QByteArray buffer;
            bool handled = false;
        };
        auto pending = std::make_shared<Pending>();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, pending] {
            const QByteArray data = socket->readAll();
            if (pending->handled)
                return;
            pending->buffer += data;
            const qsizetype end = pending->buffer.indexOf('\n');
            if (end < 0 && pending->buffer.size() <= m_maxLineBytes)
                return;
            pending->handled = true;
            const QByteArray buffer = std::exchange(pending->buffer, {});
            if (end < 0)
                m_handler(socket, std::nullopt);
            else
                m_handler(socket, buffer.left(end));
        });
    }
}

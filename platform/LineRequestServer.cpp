#include "platform/LineRequestServer.h"

#include <QFile>
#include <QLocalSocket>

#include <memory>

LineRequestServer::LineRequestServer(qsizetype maxLineBytes, Handler handler, QObject* parent)
    : QObject(parent)
    , m_maxLineBytes(maxLineBytes)
    , m_handler(std::move(handler))
    , m_server(LocalListener::ControlReserve, [this](QLocalSocket* socket) { accept(socket); })
{
}

bool LineRequestServer::listen(const QString& path, QString* error)
{
    // Ask first: a socket with nobody behind it is what an ended program
    // leaves, and only that one is taken over.
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(200)) {
        *error = QStringLiteral("another program already serves at ") + path;
        return false;
    }
    QFile::remove(path);
    return m_server.listen(path, error);
}

void LineRequestServer::close()
{
    m_server.close();
}

void LineRequestServer::accept(QLocalSocket* socket)
{
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

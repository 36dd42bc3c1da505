#include "platform/ChannelConnection.h"

#include <QLocalSocket>
#include <QLoggingCategory>
#include <QPointer>

Q_DECLARE_LOGGING_CATEGORY(lcChannels)

ChannelConnection::ChannelConnection(QLocalSocket* socket, QObject* parent)
    : QObject(parent)
    , m_socket(socket)
{
    m_socket->setParent(this);
    connect(m_socket, &QLocalSocket::readyRead, this, &ChannelConnection::readAvailable);
    connect(m_socket, &QLocalSocket::disconnected, this, [this] {
        readAvailable();
        m_ended = true;
        scheduleDelivery();
    });
    // Bytes that came with the connection itself.
    if (m_socket->bytesAvailable() > 0)
        readAvailable();
}

void ChannelConnection::shutdown()
{
    m_ended = true;
    m_reader = {};
    m_socket->abort();
    deleteLater();
}

void ChannelConnection::readAvailable()
{
    if (m_ended)
        return;
    m_reader.append(m_socket->readAll());
    if (m_reader.failed()) {
        qCWarning(lcChannels) << "dropping a sender whose text is longer than" << ChannelFrame::MaxPayload
                              << "bytes";
        m_ended = true;
        m_socket->abort();
    }
    scheduleDelivery();
}

void ChannelConnection::scheduleDelivery()
{
    if (m_scheduled)
        return;
    m_scheduled = true;
    QMetaObject::invokeMethod(this, &ChannelConnection::deliver, Qt::QueuedConnection);
}

void ChannelConnection::deliver()
{
    m_scheduled = false;
    // A handler below that runs a nested event loop lands here again; the
    // running loop hands out whatever has come meanwhile, in order.
    if (m_delivering)
        return;
    m_delivering = true;
    const QPointer<ChannelConnection> self(this);
    while (std::optional<QByteArray> payload = m_reader.next()) {
        emit textArrived(QString::fromUtf8(*payload));
        if (!self)
            return;
    }
    m_delivering = false;
    if (m_ended)
        deleteLater();
}

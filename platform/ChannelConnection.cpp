#include "platform/ChannelConnection.h"

#include <QLocalSocket>
#include <QLoggingCategory>
#include <QPointer>

Q_DECLARE_LOGGING_CATEGORY(lcChannels)

ChannelConnection::ChannelConnection(QLocalSocket* socket, int frameBoundMs, QObject* parent)
    : QObject(parent)
    , m_socket(socket)
{
    m_socket->setParent(this);
    m_frameBound.setSingleShot(true);
    m_frameBound.setInterval(frameBoundMs);
    connect(&m_frameBound, &QTimer::timeout, this, [this] {
        qCWarning(lcChannels) << "dropping a sender whose text did not come whole within"
                              << m_frameBound.interval() << "ms";
        end();
    });
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
    m_frameBound.stop();
    m_reader = {};
    m_socket->abort();
    deleteLater();
}

void ChannelConnection::readAvailable()
{
    if (m_ended)
        return;
    m_reader.append(m_socket->readAll());
    if (!m_frameBound.isActive())
        watchFrame(false);
    scheduleDelivery();
}

void ChannelConnection::watchFrame(bool newFrame)
{
    if (m_ended || m_reader.buffered() == 0)
        m_frameBound.stop();
    else if (newFrame || !m_frameBound.isActive())
        m_frameBound.start();
}

void ChannelConnection::end()
{
    m_ended = true;
    m_frameBound.stop();
    m_socket->abort();
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
    bool delivered = false;
    while (std::optional<QByteArray> payload = m_reader.next()) {
        delivered = true;
        emit textArrived(QString::fromUtf8(*payload));
        if (!self)
            return;
    }
    m_delivering = false;
    if (m_reader.failed() && !m_ended) {
        qCWarning(lcChannels) << "dropping a sender whose text is longer than" << ChannelFrame::MaxPayload
                              << "bytes";
        end();
        return;
    }
    watchFrame(delivered);
    if (m_ended)
        deleteLater();
}

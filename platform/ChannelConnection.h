#pragma once

#include "platform/ChannelFrame.h"

#include <QObject>
#include <QString>
#include <QTimer>

class QLocalSocket;

// The receiving end of one sender's connection to an endpoint. Texts are handed
// out from the event loop, never from inside the socket's own signals, so a
// receiver may process events or destroy the endpoint in its handler; a nested
// event loop never reorders one sender's texts. A text that has not come whole
// within frameBoundMs of its first byte ends the connection, so a sender
// cannot hold a part of one for ever.
class ChannelConnection : public QObject {
    Q_OBJECT
public:
    // Takes the socket over.
    ChannelConnection(QLocalSocket* socket, int frameBoundMs, QObject* parent);

    // Closes the connection at once; texts not yet handed out are lost.
    void shutdown();

signals:
    void textArrived(const QString& text);

private:
    void readAvailable();
    void scheduleDelivery();
    void deliver();
    // Starts the bound when a new text has begun, stops it when none is open.
    void watchFrame(bool newFrame);
    void end();

    QLocalSocket* m_socket;
    ChannelFrame::Reader m_reader;
    QTimer m_frameBound;
    bool m_scheduled = false;
    bool m_delivering = false;
    bool m_ended = false;
};

#pragma once

#include "platform/LineRequestServer.h"
#include "platform/SimulatedLineProtocol.h"

#include <QObject>

class QLocalSocket;
class SimulatedLines;

// The control socket of the simulated lines: one request per connection,
// answered with progress lines and one final line. A call keeps its
// connection until the call is idle again.
class SimulatedLineServer : public QObject {
    Q_OBJECT
public:
    explicit SimulatedLineServer(SimulatedLines* lines);

    // Takes over a socket left by a program that ended; leaves a living
    // program's socket alone. False when not listening afterwards.
    bool listen();
    void close();
    bool isListening() const { return m_server->isListening(); }

private:
    void take(QLocalSocket* socket, const std::optional<QByteArray>& line);
    void handle(QLocalSocket* socket, const SimulatedLineRequest& request);
    QString status(const SimulatedLineRequest& request) const;
    QString fail(const SimulatedLineRequest& request);

    SimulatedLines* m_lines;
    LineRequestServer* m_server;
};

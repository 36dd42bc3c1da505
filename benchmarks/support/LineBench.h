#pragma once

// What the benchmarks that drive the simulated line share: waiting with
// events running, running a helper program, and one request on the line's
// control socket.
#include "platform/SimulatedLineProtocol.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QProcess>

namespace LineBench {

// Runs events until done() or the time is up.
template<typename Done>
bool runUntil(Done done, int timeoutMs = 10000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

inline bool run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, args);
    return process.waitForFinished(20000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}

// One request on the line's control socket; true once it was written.
inline bool lineRequest(SimulatedLineRequest request)
{
    QLocalSocket socket;
    socket.connectToServer(SimulatedLineProtocol::socketPath());
    if (!socket.waitForConnected(3000))
        return false;
    socket.write(SimulatedLineProtocol::encodeRequest(request));
    if (!socket.waitForBytesWritten(3000))
        return false;
    // The final reply says it was done; progress lines may come first.
    QByteArray buffer;
    const QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        if (!socket.waitForReadyRead(100) && socket.state() != QLocalSocket::ConnectedState)
            break;
        buffer += socket.readAll();
        for (const QByteArray& line : buffer.split('\n')) {
            const std::optional<SimulatedLineReply> reply = SimulatedLineProtocol::decodeReply(line);
            if (reply && reply->final)
                return reply->ok;
        }
    }
    return false;
}

} // namespace LineBench

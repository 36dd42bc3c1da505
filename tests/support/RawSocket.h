#pragma once

#include <QString>
#include <QtGlobal>

// A plain local-socket client, for tests that act as a hostile program would:
// hold connections, send a channel text's header and only part of it.
namespace RawSocket {

// A client socket connected to path, or -1. Never waits: a listener whose
// queue is full is a failure.
int connectTo(const QString& path);

// The other end closed this connection (end of stream or reset); what it
// sent before is discarded.
bool closedByPeer(int fd);

// Writes a channel text's header claiming `length` bytes, then up to `total`
// bytes of it, as fast as the receiver takes them; stops when the receiver
// closes the connection or takes nothing for the bound. What was written.
qint64 sendClaiming(int fd, quint32 length, qint64 total);

} // namespace RawSocket

#pragma once

#include <QtGlobal>

// A local TCP port that refuses connections for as long as this lives: a
// socket bound to it that never listens. No other server can take the port
// meanwhile, as it could one found free and let go.
class ClosedPort {
public:
    ClosedPort();
    ~ClosedPort();
    ClosedPort(const ClosedPort&) = delete;
    ClosedPort& operator=(const ClosedPort&) = delete;

    // 0 when no port could be bound.
    quint16 port() const { return m_port; }

private:
    int m_fd = -1;
    quint16 m_port = 0;
};

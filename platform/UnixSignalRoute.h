#pragma once

#include <csignal>
#include <utility>
#include <vector>

// Unix signals turned into bytes on a socket pair, so they are handled as
// ordinary input on a thread of our choosing instead of inside a signal
// handler (which may do nothing but write the byte). One route per process at
// a time; the signals' previous handling comes back when the route goes.
class UnixSignalRoute {
public:
    UnixSignalRoute();
    ~UnixSignalRoute();
    UnixSignalRoute(const UnixSignalRoute&) = delete;
    UnixSignalRoute& operator=(const UnixSignalRoute&) = delete;

    // False when the socket pair could not be made or another route exists.
    bool isValid() const { return m_readFd >= 0; }
    // Sends one more signal here; false when it cannot be caught.
    bool route(int signal);
    // The end to watch for input; non-blocking.
    int readFd() const { return m_readFd; }
    // The oldest signal not yet taken, 0 when none is waiting.
    int takeSignal();

private:
    int m_readFd = -1;
    int m_writeFd = -1;
    std::vector<std::pair<int, struct sigaction>> m_previous;
};

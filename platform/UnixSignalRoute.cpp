#include "platform/UnixSignalRoute.h"

#include <atomic>
#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace {

std::atomic<int> g_writeFd{-1};
static_assert(std::atomic<int>::is_always_lock_free, "read inside a signal handler");

extern "C" void onRoutedSignal(int signal)
{
    const int savedErrno = errno;
    const int fd = g_writeFd.load(std::memory_order_relaxed);
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signal);
        // A full pair (thousands of signals nobody read) drops the extra ones.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

UnixSignalRoute::UnixSignalRoute()
{
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds) != 0)
        return;
    int expected = -1;
    if (!g_writeFd.compare_exchange_strong(expected, fds[1])) {
        ::close(fds[0]);
        ::close(fds[1]);
        return;
    }
    m_readFd = fds[0];
    m_writeFd = fds[1];
}

UnixSignalRoute::~UnixSignalRoute()
{
    for (auto it = m_previous.rbegin(); it != m_previous.rend(); ++it)
        ::sigaction(it->first, &it->second, nullptr);
    if (m_readFd < 0)
        return;
    g_writeFd.store(-1);
    ::close(m_readFd);
    ::close(m_writeFd);
}

bool UnixSignalRoute::route(int signal)
{
    if (!isValid() || signal <= 0 || signal > 255)
        return false;
    for (const auto& [routed, previous] : m_previous) {
        if (routed == signal)
            return true;
    }
    struct sigaction action { };
    action.sa_handler = onRoutedSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    struct sigaction previous { };
    if (::sigaction(signal, &action, &previous) != 0)
        return false;
    m_previous.emplace_back(signal, previous);
    return true;
}

int UnixSignalRoute::takeSignal()
{
    if (!isValid())
        return 0;
    unsigned char byte = 0;
    ssize_t n;
    do {
        n = ::read(m_readFd, &byte, 1);
    } while (n < 0 && errno == EINTR);
    return n == 1 ? byte : 0;
}

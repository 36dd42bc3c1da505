#pragma once

#include <QtGlobal>

#include <span>

class WaitHandle;

namespace WaitResult {
constexpr quint32 Timeout = 258;
constexpr quint32 Failed = 0xFFFFFFFFu;
} // namespace WaitResult

// Waits until one of the handles is signalled or timeoutMs has passed (-1:
// never), running this thread's events meanwhile in a nested event loop, so
// timers and sockets keep working. Returns the index of the first signalled
// handle in the given order, WaitResult::Timeout, or WaitResult::Failed when a
// handle is missing (a thread that was never created) or none is given.
quint32 WaitWithMessages(qint32 timeoutMs, std::span<WaitHandle* const> handles);

#pragma once

#include <QString>

// At most one process per lock file: an exclusive flock held for the life of
// the object. The kernel drops it when the process ends, however it ends, so
// nothing stale can keep a new instance out, and the descriptor is closed on
// exec so programs the holder starts never inherit it.
class SingleInstanceLock {
public:
    enum class State {
        Acquired, // this process is the one instance
        HeldElsewhere, // another process holds the lock
        Failed, // the lock file could not be opened or locked
    };

    explicit SingleInstanceLock(const QString& path);
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    State state() const { return m_state; }

private:
    int m_fd = -1;
    State m_state = State::Failed;
};

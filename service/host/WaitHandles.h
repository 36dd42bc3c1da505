#pragma once

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// Something the start-up waits for with WaitWithMessages: an event or a thread.
class WaitHandle : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual bool isSignalled() const = 0;

Q_SIGNALS:
    // Emitted on the thread that signals; a waiter on another thread gets it
    // queued into its own event loop.
    void signalled();
};

// A manual-reset event: once set it stays set. Set from any thread.
class ServiceEvent final : public WaitHandle {
public:
    void set();
    bool isSignalled() const override;
    // Blocks the calling thread until the event is set, running nothing
    // meanwhile; for the service threads, which own no objects.
    void wait() const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    bool m_set = false;
};

// A thread that runs one procedure at once; signalled when it has returned.
// Destroying the handle waits for the thread to end.
class ThreadHandle final : public WaitHandle {
public:
    // nullptr when no thread could be created.
    static std::unique_ptr<ThreadHandle> start(std::function<void()> procedure);
    ~ThreadHandle() override;
    bool isSignalled() const override { return m_finished.load(); }

private:
    ThreadHandle() = default;
    std::thread m_thread;
    std::atomic<bool> m_finished{false};
};

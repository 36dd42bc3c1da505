#include "service/host/WaitHandles.h"

#include <system_error>

void ServiceEvent::set()
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_set)
            return;
        m_set = true;
    }
    m_changed.notify_all();
    Q_EMIT signalled();
}

bool ServiceEvent::isSignalled() const
{
    const std::lock_guard lock(m_mutex);
    return m_set;
}

void ServiceEvent::wait() const
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_set; });
}

std::unique_ptr<ThreadHandle> ThreadHandle::start(std::function<void()> procedure)
{
    std::unique_ptr<ThreadHandle> handle(new ThreadHandle);
    ThreadHandle* self = handle.get();
    try {
        handle->m_thread = std::thread([self, procedure = std::move(procedure)] {
            procedure();
            self->m_finished.store(true);
            Q_EMIT self->signalled();
        });
    } catch (const std::system_error&) {
        return nullptr;
    }
    return handle;
}

ThreadHandle::~ThreadHandle()
{
    if (m_thread.joinable())
        m_thread.join();
}

#include "service/host/NTService.h"

#include "platform/ServiceManagerNotifier.h"
#include "platform/UnixSignalRoute.h"
#include "service/host/HostLog.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace {

QByteArray statusAssignments(quint32 state)
{
    switch (state) {
    case ServiceState::StartPending:
        return QByteArrayLiteral("STATUS=Starting");
    case ServiceState::Running:
        return QByteArrayLiteral("READY=1\nSTATUS=Running");
    case ServiceState::StopPending:
        return QByteArrayLiteral("STOPPING=1\nSTATUS=Stopping");
    case ServiceState::Stopped:
        return QByteArrayLiteral("STATUS=Stopped");
    default:
        return {};
    }
}

} // namespace

NTService::NTService(const QByteArray& notifySocket, UnixSignalRoute& controls)
    : m_notifySocket(notifySocket)
    , m_controls(controls)
{
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

NTService::~NTService()
{
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

std::unique_ptr<ThreadHandle> NTService::StartServiceThread()
{
    return ThreadHandle::start([this] { ServiceThread(); });
}

void NTService::ServiceThread()
{
    // Like a dispatcher that finds no service manager to connect to.
    if (m_notifySocket.isEmpty() || m_wakeFd < 0)
        return;
    std::thread entry;
    try {
        entry = std::thread([this] {
            ServiceMain();
            m_entryReturned.store(true);
            wakeDispatcher();
        });
    } catch (const std::system_error&) {
        return;
    }
    while (!m_entryReturned.load()) {
        // Controls wait in the signal pair while the service is starting, as
        // the manager accepts none from a start-pending service; so the
        // reports keep their order and an early stop is only delayed.
        pollfd fds[2] = {{m_wakeFd, POLLIN, 0}, {acceptsControls() ? m_controls.readFd() : -1, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            qCDebug(lcHost) << "dispatcher poll failed, errno" << errno;
            break;
        }
        if (fds[0].revents & POLLIN) {
            uint64_t count = 0;
            [[maybe_unused]] const ssize_t n = ::read(m_wakeFd, &count, sizeof count);
        }
        if (fds[1].revents & POLLIN) {
            while (const int signal = m_controls.takeSignal()) {
                if (signal == SIGTERM)
                    ServiceControlHandler(ServiceControl::Stop);
                else if (signal == SIGHUP)
                    ServiceControlHandler(ServiceControl::Interrogate);
            }
        }
    }
    entry.join();
}

void NTService::ServiceMain()
{
    {
        const std::lock_guard lock(m_statusMutex);
        // A notifier that cannot send is not examined: reports then fail quietly.
        hServiceStatus = std::make_unique<ServiceManagerNotifier>(m_notifySocket);
        if (!hServiceStatus->isValid())
            qCDebug(lcHost) << "cannot use NOTIFY_SOCKET" << m_notifySocket;
    }
    SetServiceState(ServiceState::StartPending);
    hStartedEvent.set();
    hEndEvent.wait();
}

void NTService::ServiceControlHandler(quint32 control)
{
    if (control == ServiceControl::Stop || control == ServiceControl::Shutdown) {
        SetServiceState(ServiceState::StopPending);
        hStopEvent.set();
    } else {
        SetServiceState(0);
    }
}

void NTService::SetServiceState(quint32 state)
{
    {
        const std::lock_guard lock(m_statusMutex);
        if (state != 0)
            m_currentState = state;
        const QByteArray assignments = statusAssignments(m_currentState);
        if (!hServiceStatus || assignments.isEmpty() || !hServiceStatus->notify(assignments))
            qCDebug(lcHost) << "status report failed, state" << m_currentState;
    }
    if (state != 0)
        wakeDispatcher();
}

void NTService::RequestStop()
{
    if (!hStopEvent.isSignalled())
        ServiceControlHandler(ServiceControl::Stop);
}

quint32 NTService::CurrentState() const
{
    const std::lock_guard lock(m_statusMutex);
    return m_currentState;
}

bool NTService::acceptsControls() const
{
    const quint32 state = CurrentState();
    return state != 0 && state != ServiceState::StartPending;
}

void NTService::wakeDispatcher()
{
    if (m_wakeFd < 0)
        return;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_wakeFd, &one, sizeof one);
}

#pragma once

#include "service/host/WaitHandles.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <memory>
#include <mutex>

class ServiceManagerNotifier;
class UnixSignalRoute;

// States the service reports, with their service-manager codes.
namespace ServiceState {
constexpr quint32 Stopped = 1;
constexpr quint32 StartPending = 2;
constexpr quint32 StopPending = 3;
constexpr quint32 Running = 4;
} // namespace ServiceState

// Controls the dispatcher hands to the control handler.
namespace ServiceControl {
constexpr quint32 Stop = 1;
constexpr quint32 Interrogate = 4;
constexpr quint32 Shutdown = 5;
} // namespace ServiceControl

// The service side of the service manager, on systemd: a dispatcher thread
// that turns SIGTERM (stop) and SIGHUP (interrogate) into controls for
// ServiceControlHandler, the service entry thread, the three events, and the
// status record whose every change goes out on the notify socket:
//   start-pending  STATUS=Starting
//   running        READY=1, STATUS=Running
//   stop-pending   STOPPING=1, STATUS=Stopping
//   stopped        STATUS=Stopped (then the process exits)
// The service threads touch only the status record and the events.
class NTService {
public:
    // notifySocket: NOTIFY_SOCKET as the start-up found it; empty when the
    // process was not started by systemd. controls: where SIGTERM and SIGHUP
    // arrive; read only on the dispatcher thread.
    NTService(const QByteArray& notifySocket, UnixSignalRoute& controls);
    ~NTService();
    NTService(const NTService&) = delete;
    NTService& operator=(const NTService&) = delete;

    // Starts the dispatcher thread; nullptr when none was created. The thread
    // ends at once when the process was not started by systemd, else when the
    // service entry has returned (after hEndEvent).
    std::unique_ptr<ThreadHandle> StartServiceThread();

    // Stores state (unless 0) as the current state and reports the record; 0
    // re-reports the current state. The record and the report share one lock,
    // so the manager always ends up with the state the record holds.
    void SetServiceState(quint32 state);
    quint32 CurrentState() const;
    // A stop the service asks for itself: reported and signalled as the stop
    // control would, unless a stop is already under way.
    void RequestStop();

    const QString ServiceName = QStringLiteral("RingvaleSvc");
    // Manual-reset, unset, created in this order.
    ServiceEvent hEndEvent; // stopped was reported: the entry may return
    ServiceEvent hStopEvent; // a stop control came
    ServiceEvent hStartedEvent; // the entry registered and reported start-pending

private:
    void ServiceThread();
    void ServiceMain();
    void ServiceControlHandler(quint32 control);
    bool acceptsControls() const;
    void wakeDispatcher();

    const QByteArray m_notifySocket;
    UnixSignalRoute& m_controls;
    int m_wakeFd = -1; // eventfd: a state change or the entry's return
    std::atomic<bool> m_entryReturned{false};

    mutable std::mutex m_statusMutex;
    quint32 m_currentState = 0;
    std::unique_ptr<ServiceManagerNotifier> hServiceStatus;
};

#include "common/Clock.h"

#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>

namespace {
std::atomic<Clock*> g_override{nullptr};
}

Clock::~Clock() = default;

void Clock::cancelWakeUps(QObject*)
{
}

Clock& Clock::instance()
{
    if (Clock* clock = g_override.load())
        return *clock;
    static SystemClock systemClock;
    return systemClock;
}

SystemClock::SystemClock()
{
    m_started.start();
}

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

qint64 SystemClock::elapsedMs() const
{
    return m_started.elapsed();
}

void SystemClock::sleepUntil(qint64 deadlineMs)
{
    // A signal may end a sleep early: sleep again for what is left.
    for (qint64 left = deadlineMs - elapsedMs(); left > 0; left = deadlineMs - elapsedMs())
        std::this_thread::sleep_for(std::chrono::milliseconds(left));
}

void SystemClock::requestWakeUp(qint64 deadlineMs, QObject* waiter)
{
    const qint64 left = deadlineMs - elapsedMs();
    if (left <= 0) {
        QTimer::singleShot(0, waiter, [this] { emit wakeUp(); });
        return;
    }
    // A timer may fire a little early: wake nobody before the deadline.
    QTimer::singleShot(std::chrono::milliseconds(left), Qt::PreciseTimer, waiter,
        [this, deadlineMs, waiter] { requestWakeUp(deadlineMs, waiter); });
}

ClockOverride::ClockOverride(Clock& clock)
    : m_previous(g_override.exchange(&clock))
{
}

ClockOverride::~ClockOverride()
{
    g_override.store(m_previous);
}

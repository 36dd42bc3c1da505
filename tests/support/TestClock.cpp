#include "tests/support/TestClock.h"

#include <QTimer>

TestClock::TestClock(const QDateTime& start)
    : m_wallAtZero(start), m_override(new ClockOverride(*this))
{
}

TestClock::~TestClock()
{
    delete m_override;
}

QDateTime TestClock::now() const
{
    return m_wallAtZero.addMSecs(m_elapsed);
}

void TestClock::sleepUntil(qint64 deadlineMs)
{
    ++m_sleeps;
    advanceTo(deadlineMs);
}

void TestClock::requestWakeUp(qint64 deadlineMs)
{
    if (!m_autoAdvance)
        return;
    QTimer::singleShot(0, this, [this, deadlineMs] { advanceTo(deadlineMs); });
}

void TestClock::advance(qint64 ms)
{
    m_elapsed += ms;
    emit wakeUp();
}

void TestClock::setNow(const QDateTime& dateTime)
{
    m_wallAtZero = dateTime.addMSecs(-m_elapsed);
}

void TestClock::advanceTo(qint64 deadlineMs)
{
    if (deadlineMs > m_elapsed)
        advance(deadlineMs - m_elapsed);
}

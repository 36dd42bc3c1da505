#include "tests/support/TestClock.h"

#include <QTimer>

TestClock::TestClock(const QDateTime& start)
    : m_wallAtZero(start)
    , m_override(new ClockOverride(*this))
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

void TestClock::requestWakeUp(qint64 deadlineMs, QObject* waiter)
{
    if (m_autoAdvance)
        jumpAfterRounds(waiter, deadlineMs, 2);
}

namespace {
const QString kJump = QStringLiteral("TestClockJump");
}

void TestClock::jumpAfterRounds(QObject* waiter, qint64 deadlineMs, int rounds)
{
    // Zero timers rather than posted calls: they run after the posted events
    // and the timers already due. A timer started from a timeout fires no
    // earlier than the next round, so the waiter checks in between.
    auto* timer = new QTimer(waiter);
    timer->setObjectName(kJump);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [this, waiter, deadlineMs, rounds, timer] {
        timer->deleteLater();
        if (rounds > 1)
            jumpAfterRounds(waiter, deadlineMs, rounds - 1);
        else
            advanceTo(deadlineMs);
    });
    timer->start(0);
}

void TestClock::cancelWakeUps(QObject* waiter)
{
    for (QTimer* timer : waiter->findChildren<QTimer*>(kJump, Qt::FindDirectChildrenOnly))
        timer->stop();
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

#pragma once

#include "common/Clock.h"

// A clock that only moves when told, installed as the process's clock for its
// lifetime. Nothing waits for real:
// - WaitTenths (sleepUntil) moves the clock to its deadline at once;
// - a Pause (requestWakeUp) moves it to its deadline once the events already
//   pending have run and the wait has seen them (two rounds of the event
//   loop), unless the wait ended first or auto-advance is off; then the test
//   moves it with advance(), for instance from a handler inside the Pause.
class TestClock final : public Clock {
    Q_OBJECT
public:
    explicit TestClock(const QDateTime& start = QDateTime(QDate(2026, 12, 10), QTime(9, 30, 0)));
    ~TestClock() override;

    QDateTime now() const override;
    qint64 elapsedMs() const override { return m_elapsed; }
    void sleepUntil(qint64 deadlineMs) override;
    void requestWakeUp(qint64 deadlineMs, QObject* waiter) override;
    void cancelWakeUps(QObject* waiter) override;

    void advance(qint64 ms);
    // Puts the wall time at dateTime; elapsed time goes on from where it is.
    void setNow(const QDateTime& dateTime);
    void setAutoAdvance(bool on) { m_autoAdvance = on; }
    int sleeps() const { return m_sleeps; }

private:
    void advanceTo(qint64 deadlineMs);
    void jumpAfterRounds(QObject* waiter, qint64 deadlineMs, int rounds);

    QDateTime m_wallAtZero;
    qint64 m_elapsed = 0;
    bool m_autoAdvance = true;
    int m_sleeps = 0;
    ClockOverride* m_override = nullptr;
};

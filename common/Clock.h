#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>

// Where every wait, date and time of the programs comes from. The process uses
// the system clock unless a test installs its own (ClockOverride), so a test
// can move time on instead of sleeping and can put the date where it wants.
//
// Two kinds of time: now() is the local wall time (dates, stamps, day folders,
// journals); elapsedMs() is monotonic and is what waits measure, so a change of
// the wall clock neither lengthens nor shortens a wait.
class Clock : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~Clock() override;

    virtual QDateTime now() const = 0;
    virtual qint64 elapsedMs() const = 0;

    // Blocks the calling thread until elapsedMs() reaches deadlineMs; no event
    // runs meanwhile (WaitTenths).
    virtual void sleepUntil(qint64 deadlineMs) = 0;

    // Asks for wakeUp() through the event loop once elapsedMs() has reached
    // deadlineMs; the request lapses when waiter is destroyed first. Waiters
    // that let events run (Pause) re-check their deadline on every wakeUp(),
    // whoever asked for it.
    virtual void requestWakeUp(qint64 deadlineMs, QObject* waiter) = 0;

    // The waiter is done: what it asked for may be dropped. A late wakeUp()
    // would be harmless; a test clock must not move time for nobody.
    virtual void cancelWakeUps(QObject* waiter);

    // The clock of this process: the system clock, or the installed override.
    static Clock& instance();

signals:
    void wakeUp();
};

class SystemClock final : public Clock {
    Q_OBJECT
public:
    SystemClock();
    QDateTime now() const override;
    qint64 elapsedMs() const override;
    void sleepUntil(qint64 deadlineMs) override;
    void requestWakeUp(qint64 deadlineMs, QObject* waiter) override;

private:
    QElapsedTimer m_started;
};

// Makes another clock the process's clock for its lifetime; the previous one
// comes back on destruction.
class ClockOverride {
public:
    explicit ClockOverride(Clock& clock);
    ~ClockOverride();
    ClockOverride(const ClockOverride&) = delete;
    ClockOverride& operator=(const ClockOverride&) = delete;

private:
    Clock* m_previous;
};

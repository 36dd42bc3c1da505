#include "common/Waits.h"

#include "common/Clock.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QTimer>

bool WaitLettingEventsRun(qint64 timeoutMs, const std::function<bool()>& done)
{
    Clock& clock = Clock::instance();
    const qint64 deadline = timeoutMs < 0 ? -1 : clock.elapsedMs() + timeoutMs;
    QEventLoop loop;
    bool finished = false;
    bool ended = false;
    const auto check = [&] {
        if (ended)
            return;
        finished = done && done();
        ended = finished || (deadline >= 0 && clock.elapsedMs() >= deadline);
        if (ended) {
            clock.cancelWakeUps(&loop);
            loop.quit();
        }
    };
    QObject::connect(&clock, &Clock::wakeUp, &loop, check);
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &loop, check);
    // A quit before exec() would be lost: the first check runs inside the
    // loop, after the events that were already pending.
    QTimer::singleShot(0, &loop, check);
    if (deadline >= 0)
        clock.requestWakeUp(deadline, &loop);
    loop.exec();
    return finished;
}

void Pause(qint32 tenths)
{
    WaitLettingEventsRun(qMax<qint64>(0, tenths) * 100);
}

void WaitTenths(qint32 tenths)
{
    Clock& clock = Clock::instance();
    clock.sleepUntil(clock.elapsedMs() + qMax<qint64>(0, tenths) * 100);
}

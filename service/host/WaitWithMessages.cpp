#include "service/host/WaitWithMessages.h"

#include "service/host/WaitHandles.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

quint32 WaitWithMessages(qint32 timeoutMs, std::span<WaitHandle* const> handles)
{
    if (handles.empty())
        return WaitResult::Failed;
    for (WaitHandle* handle : handles) {
        if (!handle)
            return WaitResult::Failed;
    }
    const QDeadlineTimer deadline = timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever)
                                                  : QDeadlineTimer(qint64(timeoutMs), Qt::PreciseTimer);
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    // A handle signalled from another thread posts the quit into this loop,
    // so a signal that comes between the check and exec() is not missed.
    for (WaitHandle* handle : handles)
        QObject::connect(handle, &WaitHandle::signalled, &loop, &QEventLoop::quit);

    for (;;) {
        for (size_t i = 0; i < handles.size(); ++i) {
            if (handles[i]->isSignalled())
                return quint32(i);
        }
        if (deadline.hasExpired())
            return WaitResult::Timeout;
        if (!deadline.isForever())
            timer.start(int(qMax<qint64>(deadline.remainingTime(), 0)));
        loop.exec();
    }
}

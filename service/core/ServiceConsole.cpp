#include "service/core/ServiceConsole.h"

#include <QMutex>

#include <cstdio>

namespace ServiceConsole {

void say(const QString& text)
{
    static QMutex mutex;
    const QByteArray line = "RingvaleSvc: " + text.toUtf8() + '\n';
    const QMutexLocker lock(&mutex);
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}

} // namespace ServiceConsole

#include "common/FileIdentity.h"

#include <QFile>

#include <sys/stat.h>
#include <time.h>

namespace {

qint64 nanoseconds(const timespec& at)
{
    return qint64(at.tv_sec) * 1'000'000'000 + qint64(at.tv_nsec);
}

} // namespace

FileIdentity FileIdentity::of(const QString& path)
{
    FileIdentity identity;
    struct stat info { };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return identity;
    identity.exists = true;
    identity.device = quint64(info.st_dev);
    identity.inode = quint64(info.st_ino);
    identity.size = qint64(info.st_size);
    identity.modified = nanoseconds(info.st_mtim);
    identity.changed = nanoseconds(info.st_ctim);
    return identity;
}

bool FileIdentity::isSettled() const
{
    if (!exists)
        return true;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    // A time stamp in the future (a clock set back) never settles.
    return modified <= nanoseconds(now) - SettleNs;
}

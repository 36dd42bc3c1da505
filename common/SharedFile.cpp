#include "common/SharedFile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include <algorithm>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

struct HeldLock {
    int fd = -1;
    int depth = 0;
};

// The locks this thread holds, by lock file. Other threads open their own
// descriptor, which flock makes wait like another process.
thread_local QHash<QString, HeldLock> t_held;

} // namespace

SharedFileLock::SharedFileLock(const QString& path)
    : m_lockPath(lockPathFor(path))
{
    const auto held = t_held.find(m_lockPath);
    if (held != t_held.end()) {
        ++held->depth;
        m_fd = held->fd;
        return;
    }
    const QByteArray lockPath = QFile::encodeName(m_lockPath);
    m_fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0)
        return;
    int rc;
    do {
        rc = ::flock(m_fd, LOCK_EX);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    t_held.insert(m_lockPath, HeldLock{m_fd, 1});
}

SharedFileLock::~SharedFileLock()
{
    if (m_fd < 0)
        return;
    const auto held = t_held.find(m_lockPath);
    if (held != t_held.end()) {
        if (--held->depth > 0)
            return;
        t_held.erase(held);
    }
    ::close(m_fd); // closing drops the flock
}

QString SharedFileLock::lockPathFor(const QString& path)
{
    const QFileInfo info(path);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".lock");
}

namespace SharedFile {

bool writeAtomically(const QString& path, const QByteArray& data, QFileDevice::Permissions permissions)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (permissions != QFileDevice::Permissions() && !file.setPermissions(permissions))
        return false;
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

std::optional<QByteArray> readBounded(const QString& path, qint64 maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Read in pieces: QIODevice::read(n) allocates all n bytes up front, so
    // one read of the bound would take the bound's memory on every call.
    QByteArray data;
    char piece[64 * 1024];
    while (data.size() <= maxBytes) {
        const qint64 wanted = std::min<qint64>(qint64(sizeof piece), maxBytes + 1 - data.size());
        const qint64 got = file.read(piece, wanted);
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        data.append(piece, qsizetype(got));
    }
    if (data.size() > maxBytes || file.error() != QFileDevice::NoError)
        return std::nullopt;
    return data;
}

bool append(const QString& path, const QByteArray& data)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    return file.write(data) == data.size() && file.flush();
}

} // namespace SharedFile

#include "common/SharedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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

namespace {

thread_local QString t_failure;

bool fail(const QString& what, const QString& path, int error)
{
    t_failure = what + u' ' + path + QStringLiteral(": ") + qt_error_string(error);
    return false;
}

mode_t modeOf(QFileDevice::Permissions permissions)
{
    if (permissions == QFileDevice::Permissions())
        return 0600;
    mode_t mode = 0;
    const std::pair<QFileDevice::Permission, mode_t> bits[] = {
        {QFileDevice::ReadOwner, S_IRUSR},
        {QFileDevice::WriteOwner, S_IWUSR},
        {QFileDevice::ExeOwner, S_IXUSR},
        {QFileDevice::ReadGroup, S_IRGRP},
        {QFileDevice::WriteGroup, S_IWGRP},
        {QFileDevice::ExeGroup, S_IXGRP},
        {QFileDevice::ReadOther, S_IROTH},
        {QFileDevice::WriteOther, S_IWOTH},
        {QFileDevice::ExeOther, S_IXOTH},
    };
    for (const auto& [permission, bit] : bits) {
        if (permissions.testFlag(permission))
            mode |= bit;
    }
    return mode;
}

bool writeAll(int fd, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0) {
            errno = ENOSPC;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// Copies a range of from to the end of to, in the kernel where the file
// systems allow it, else by reads into buffer (sized once for the largest range).
bool copyRange(int from, int to, qint64 offset, qint64 length, QByteArray& buffer, qint64 bufferSize)
{
    off_t in = off_t(offset);
    bool kernel = true;
    while (length > 0 && kernel) {
        const ssize_t copied = ::copy_file_range(from, &in, to, nullptr, size_t(length), 0);
        if (copied < 0) {
            if (errno == EINTR)
                continue;
            if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
                return false;
            kernel = false;
            break;
        }
        if (copied == 0) {
            errno = ENODATA; // the old file is shorter than it was
            return false;
        }
        length -= copied;
    }
    if (length == 0)
        return true;
    if (buffer.size() != bufferSize)
        buffer.resize(bufferSize);
    while (length > 0) {
        const ssize_t got = ::pread(from, buffer.data(), size_t(qMin<qint64>(length, buffer.size())), in);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            if (got == 0)
                errno = ENODATA;
            return false;
        }
        if (!writeAll(to, buffer.constData(), got))
            return false;
        in += got;
        length -= got;
    }
    return true;
}

void syncFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // The new file is in place already: a folder that cannot be synced is no
    // reason to tell the caller the old one stayed.
    if (fd < 0 || ::fsync(fd) != 0)
        qWarning("cannot sync the folder %s: %s", folder.constData(), std::strerror(errno));
    if (fd >= 0)
        ::close(fd);
}

} // namespace

bool writeAtomically(const QString& path, const QByteArray& data, QFileDevice::Permissions permissions)
{
    return replaceFromPieces(path, {Piece{data}}, permissions);
}

bool replaceFromPieces(const QString& given, const QList<Piece>& pieces, QFileDevice::Permissions permissions)
{
    t_failure.clear();
    // A link is kept and its target replaced, as a save through QSaveFile did.
    const QFileInfo link(given);
    const QString path = link.isSymLink() ? link.symLinkTarget() : given;
    const QFileInfo info(path);
    const QByteArray target = QFile::encodeName(path);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    QByteArray temporary
        = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName()) + ".XXXXXX";
    mode_t mode = modeOf(permissions);
    struct stat old { };
    const bool hadOld = ::stat(target.constData(), &old) == 0;
    if (hadOld && permissions == QFileDevice::Permissions())
        mode = old.st_mode & 07777;

    int from = -1;
    qint64 largest = 0;
    for (const Piece& piece : pieces) {
        if (piece.oldOffset >= 0)
            largest = qMax(largest, piece.length);
    }
    if (largest > 0) {
        from = ::open(target.constData(), O_RDONLY | O_CLOEXEC);
        if (from < 0)
            return fail(QStringLiteral("cannot read"), path, errno);
    }
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (from >= 0)
            ::close(from);
        return fail(QStringLiteral("cannot create a temporary file for"), path, error);
    }
    QByteArray buffer;
    const char* step = "write";
    bool ok = ::fchmod(fd, mode) == 0;
    for (qsizetype i = 0; ok && i < pieces.size(); ++i) {
        const Piece& piece = pieces.at(i);
        ok = piece.oldOffset >= 0 ? copyRange(from, fd, piece.oldOffset, piece.length, buffer, largest)
                                  : writeAll(fd, piece.bytes.constData(), piece.bytes.size());
    }
    if (ok) {
        step = "sync";
        ok = ::fsync(fd) == 0;
    }
    int error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (from >= 0)
        ::close(from);
    if (ok) {
        step = "rename";
        ok = ::rename(temporary.constData(), target.constData()) == 0;
        error = errno;
    }
    if (!ok) {
        ::unlink(temporary.constData());
        return fail(QStringLiteral("cannot %1").arg(QLatin1String(step)), path, error);
    }
    syncFolder(folder);
    return true;
}

QString lastWriteFailure()
{
    return t_failure;
}

void setWriteFailure(const QString& reason)
{
    t_failure = reason;
}

bool makeFolder(const QString& path)
{
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (QFileInfo(clean).isDir())
        return true;
    // Parents first, so each missing one is made with the same mode.
    const qsizetype slash = clean.lastIndexOf(u'/');
    if (slash > 0 && !makeFolder(clean.left(slash)))
        return false;
    if (::mkdir(QFile::encodeName(clean).constData(), 0700) != 0 && errno != EEXIST)
        return fail(QStringLiteral("cannot create the folder"), clean, errno);
    if (!QFileInfo(clean).isDir())
        return fail(QStringLiteral("cannot create the folder"), clean, ENOTDIR);
    return true;
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
    t_failure.clear();
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return fail(QStringLiteral("cannot open"), path, errno);
    struct stat before { };
    bool ok = ::fstat(fd, &before) == 0;
    ok = ok && writeAll(fd, data.constData(), data.size());
    const int error = errno;
    if (!ok)
        static_cast<void>(::ftruncate(fd, before.st_size)); // no torn line left behind
    ::close(fd);
    return ok || fail(QStringLiteral("cannot write"), path, error);
}

} // namespace SharedFile

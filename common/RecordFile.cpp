#include "common/RecordFile.h"

#include "common/FixedRecord.h"
#include "common/RecordReader.h"
#include "common/SharedFile.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

Q_LOGGING_CATEGORY(lcRecords, "ringvale.records", QtWarningMsg)

// Far beyond any day's calls or any contact list: a larger file is damage, and
// a rewrite that cannot copy in the kernel reads the kept records into memory.
constexpr qint64 kMaxRewriteBytes = 64 * 1024 * 1024;

} // namespace

RecordFile::RecordFile(const QString& path, int recordSize)
    : m_path(path)
    , m_size(recordSize)
{
}

qint32 RecordFile::count() const
{
    const QFileInfo info(m_path);
    return info.isFile() ? FixedRecord::wholeRecords(info.size(), m_size) : 0;
}

std::optional<QByteArray> RecordFile::read(qint32 n) const
{
    if (n < 1)
        return std::nullopt;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (n > FixedRecord::wholeRecords(file.size(), m_size) || !file.seek(qint64(n - 1) * m_size))
        return std::nullopt;
    QByteArray bytes = file.read(m_size);
    if (bytes.size() != m_size)
        return std::nullopt;
    return bytes;
}

qint32 RecordFile::scan(const std::function<bool(const QByteArray&)>& visit) const
{
    RecordReader reader(m_path, m_size);
    qint32 n = 0;
    for (QByteArrayView block = reader.nextBlock(); !block.isEmpty(); block = reader.nextBlock()) {
        for (qsizetype at = 0; at < block.size(); at += m_size) {
            ++n;
            if (visit(block.sliced(at, m_size).toByteArray()))
                return n;
        }
    }
    return -1;
}

qint32 RecordFile::append(const QByteArray& record) const
{
    SharedFile::setWriteFailure({});
    if (record.size() != m_size)
        return -1;
    if (!SharedFile::makeFolder(QFileInfo(m_path).absolutePath())) {
        qCDebug(lcRecords) << SharedFile::lastWriteFailure();
        return -1;
    }
    const SharedFileLock lock(m_path);
    if (!lock.isLocked()) {
        SharedFile::setWriteFailure(QStringLiteral("cannot lock ") + m_path);
        return -1;
    }
    const QByteArray name = QFile::encodeName(m_path);
    const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return failed(QStringLiteral("cannot open "));
    struct stat info { };
    qint64 end = -1;
    if (::fstat(fd, &info) == 0) {
        end = qint64(FixedRecord::wholeRecords(info.st_size, m_size)) * m_size;
        // A torn tail from a write cut short goes before the next record.
        if (info.st_size != end && ::ftruncate(fd, off_t(end)) != 0)
            end = -1;
    }
    bool ok = end >= 0;
    qint64 done = 0;
    while (ok && done < record.size()) {
        const ssize_t n
            = ::pwrite(fd, record.constData() + done, size_t(record.size() - done), off_t(end + done));
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (n == 0)
            errno = ENOSPC;
        done += ok ? n : 0;
    }
    // The record counts as stored only once it is on the disk.
    ok = ok && ::fdatasync(fd) == 0;
    const int error = errno;
    if (!ok && end >= 0)
        static_cast<void>(::ftruncate(fd, off_t(end)));
    ::close(fd);
    if (!ok) {
        errno = error;
        return failed(QStringLiteral("cannot write "));
    }
    return qint32(end / m_size) + 1;
}

qint32 RecordFile::failed(const QString& what) const
{
    SharedFile::setWriteFailure(what + m_path + QStringLiteral(": ") + qt_error_string(errno));
    qCDebug(lcRecords) << SharedFile::lastWriteFailure();
    return -1;
}

bool RecordFile::replace(qint32 n, const QByteArray& record) const
{
    return record.size() == m_size && rewrite(n, record) == true;
}

std::optional<bool> RecordFile::replaceIf(
    qint32 n, const QByteArray& record, const std::function<bool(const QByteArray&)>& expected) const
{
    if (record.size() != m_size)
        return std::nullopt;
    return rewrite(n, record, expected);
}

bool RecordFile::remove(qint32 n) const
{
    return rewrite(n, std::nullopt) == true;
}

std::optional<bool> RecordFile::rewrite(qint32 n, const std::optional<QByteArray>& record,
    const std::function<bool(const QByteArray&)>& expected) const
{
    SharedFile::setWriteFailure({});
    if (n < 1 || !QFileInfo(m_path).isFile())
        return std::nullopt;
    const SharedFileLock lock(m_path);
    if (!lock.isLocked()) {
        SharedFile::setWriteFailure(QStringLiteral("cannot lock ") + m_path);
        return std::nullopt;
    }
    const QFileInfo info(m_path);
    if (!info.isFile() || info.size() > kMaxRewriteBytes)
        return std::nullopt;
    const qint32 whole = FixedRecord::wholeRecords(info.size(), m_size);
    if (n > whole)
        return expected ? std::optional<bool>(false) : std::nullopt;
    if (expected) {
        const std::optional<QByteArray> now = read(n);
        if (!now)
            return std::nullopt;
        if (!expected(*now))
            return false;
    }
    // Only the changed record passes through memory; the records kept on
    // either side are copied from the old file.
    const qint64 at = qint64(n - 1) * m_size;
    QList<SharedFile::Piece> pieces;
    if (at > 0)
        pieces.append(SharedFile::Piece::kept(0, at));
    if (record)
        pieces.append(SharedFile::Piece{*record});
    const qint64 after = qint64(whole - n) * m_size;
    if (after > 0)
        pieces.append(SharedFile::Piece::kept(at + m_size, after));
    if (!SharedFile::replaceFromPieces(m_path, pieces)) {
        qCDebug(lcRecords) << SharedFile::lastWriteFailure();
        return std::nullopt;
    }
    return true;
}

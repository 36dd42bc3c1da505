#include "common/RecordFile.h"

#include "common/FixedRecord.h"
#include "common/RecordReader.h"
#include "common/SharedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(lcRecords, "ringvale.records", QtWarningMsg)

// A whole rewrite holds the file in memory: far beyond any day's calls or any
// contact list, and small enough never to exhaust memory.
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
    if (record.size() != m_size)
        return -1;
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath())) {
        qCDebug(lcRecords) << "cannot create the folder of" << m_path;
        return -1;
    }
    const SharedFileLock lock(m_path);
    if (!lock.isLocked())
        return -1;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite)) {
        qCDebug(lcRecords) << "cannot open" << m_path << file.errorString();
        return -1;
    }
    const qint32 whole = FixedRecord::wholeRecords(file.size(), m_size);
    const qint64 end = qint64(whole) * m_size;
    if (file.size() != end && !file.resize(end))
        return -1;
    if (!file.seek(end))
        return -1;
    if (file.write(record) != record.size() || !file.flush()) {
        qCDebug(lcRecords) << "cannot append to" << m_path << file.errorString();
        file.resize(end);
        return -1;
    }
    return whole + 1;
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
    if (n < 1 || !QFileInfo(m_path).isFile())
        return std::nullopt;
    const SharedFileLock lock(m_path);
    if (!lock.isLocked())
        return std::nullopt;
    const std::optional<QByteArray> old = SharedFile::readBounded(m_path, kMaxRewriteBytes);
    if (!old)
        return std::nullopt;
    const qint32 whole = FixedRecord::wholeRecords(old->size(), m_size);
    if (n > whole)
        return expected ? std::optional<bool>(false) : std::nullopt;
    const qint64 at = qint64(n - 1) * m_size;
    if (expected && !expected(old->mid(at, m_size)))
        return false;
    QByteArray data = old->left(at);
    if (record)
        data += *record;
    data += old->mid(at + m_size, qint64(whole - n) * m_size);
    if (!SharedFile::writeAtomically(m_path, data)) {
        qCDebug(lcRecords) << "cannot rewrite" << m_path;
        return std::nullopt;
    }
    return true;
}

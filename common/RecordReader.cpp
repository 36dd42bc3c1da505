#include "common/RecordReader.h"

#include "common/FixedRecord.h"

#include <QFile>

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Blocks go back here when a reader ends, so files read one after another
// reuse one buffer; a reader opened while another lives makes its own.
thread_local QByteArray t_spare;

} // namespace

RecordReader::RecordReader(const QString& path, int recordSize)
    : m_size(recordSize)
{
    if (recordSize <= 0)
        return;
    // O_NONBLOCK: a FIFO in the file's place must not hang the reader.
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (m_fd < 0)
        return;
    struct stat info { };
    if (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_count = FixedRecord::wholeRecords(info.st_size, m_size);
    m_block = std::exchange(t_spare, QByteArray());
}

RecordReader::~RecordReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_block.size() <= BlockBytes && m_block.size() > t_spare.size())
        t_spare = std::move(m_block);
}

QByteArrayView RecordReader::nextBlock()
{
    if (m_fd < 0 || m_cut || m_next >= m_count)
        return {};
    const qint32 perBlock = qMax<qint32>(1, qint32(BlockBytes / m_size));
    const qsizetype want = qsizetype(qMin(m_count - m_next, perBlock)) * m_size;
    if (m_block.size() < want)
        m_block.resize(want);
    qsizetype got = 0;
    const off_t offset = off_t(m_next) * m_size;
    while (got < want) {
        const ssize_t n = ::pread(m_fd, m_block.data() + got, size_t(want - got), offset + got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    const qint32 records = qint32(got / m_size);
    m_next += records;
    if (got != want)
        m_cut = true;
    return QByteArrayView(m_block.constData(), qsizetype(records) * m_size);
}

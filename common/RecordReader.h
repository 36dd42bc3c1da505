#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Reads a file of fixed-size records front to back, a large block of whole
// records at a time, for readers that look at every record of large files (the
// call search tests 1,000,000 records as views into the blocks). Like
// RecordFile::scan it counts the whole records when it opens the file and
// takes no lock; a file cut meanwhile ends early.
class RecordReader {
public:
    // A day of calls (467 KB) in one read, into a block that still fits a
    // processor's second-level cache.
    static constexpr qsizetype BlockBytes = 512 * 1024;

    RecordReader(const QString& path, int recordSize);
    ~RecordReader();
    RecordReader(const RecordReader&) = delete;
    RecordReader& operator=(const RecordReader&) = delete;

    // Whether the file is there and a regular file.
    bool isOpen() const { return m_fd >= 0; }
    // The next block: whole records in file order, record 1 first, valid
    // until the next call. Empty at the end of the file, on a read error, and
    // when the file has become shorter (cut()).
    QByteArrayView nextBlock();
    // Whether the file ended before the records counted at the opening.
    bool cut() const { return m_cut; }

private:
    int m_fd = -1;
    int m_size;
    qint32 m_count = 0;
    qint32 m_next = 0; // records handed out so far
    bool m_cut = false;
    QByteArray m_block;
};

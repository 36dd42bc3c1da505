#include "common/RecordReader.h"
#include "common/RecordFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// Records of a size that does not divide a block, so blocks end at records
// and not at a round number of bytes.
constexpr int kBigSize = 100003;
constexpr qint32 kBigPerBlock = qint32(RecordReader::BlockBytes / kBigSize);

QByteArray bigRecord(int n)
{
    return QByteArray::number(n).leftJustified(kBigSize, '.');
}

class RecordReaderTest : public ::testing::Test {
protected:
    void write(qint32 records, const QByteArray& tail = {})
    {
        QByteArray data;
        for (int n = 1; n <= records; ++n)
            data += bigRecord(n);
        data += tail;
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(data), data.size());
    }

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Data"));
};

TEST_F(RecordReaderTest, BlocksHoldWholeRecordsInFileOrderAndLeaveTheTornTail)
{
    const qint32 records = 2 * kBigPerBlock + 2;
    write(records, QByteArray(kBigSize / 2, 'x'));
    RecordReader reader(path, kBigSize);
    ASSERT_TRUE(reader.isOpen());
    QList<qsizetype> sizes;
    int n = 0;
    for (QByteArrayView block = reader.nextBlock(); !block.isEmpty(); block = reader.nextBlock()) {
        sizes.append(block.size() / kBigSize);
        ASSERT_EQ(block.size() % kBigSize, 0);
        for (qsizetype at = 0; at < block.size(); at += kBigSize)
            ASSERT_EQ(block.sliced(at, kBigSize), bigRecord(++n));
    }
    EXPECT_EQ(sizes, (QList<qsizetype>{kBigPerBlock, kBigPerBlock, 2}));
    EXPECT_FALSE(reader.cut());
    // Scan numbers records across blocks alike.
    EXPECT_EQ(
        RecordFile(path, kBigSize).scan([](const QByteArray& r) { return r == bigRecord(kBigPerBlock + 1); }),
        kBigPerBlock + 1);
}

TEST_F(RecordReaderTest, AFileCutAfterTheOpeningEndsEarlyAndSaysSo)
{
    write(2 * kBigPerBlock);
    RecordReader reader(path, kBigSize);
    EXPECT_EQ(reader.nextBlock().size(), qsizetype(kBigPerBlock) * kBigSize);
    ASSERT_TRUE(QFile::resize(path, qint64(kBigPerBlock + 1) * kBigSize + 7));
    const QByteArrayView rest = reader.nextBlock();
    ASSERT_EQ(rest.size(), kBigSize);
    EXPECT_EQ(rest, bigRecord(kBigPerBlock + 1));
    EXPECT_TRUE(reader.nextBlock().isEmpty());
    EXPECT_TRUE(reader.cut());
}

TEST_F(RecordReaderTest, OnlyARegularFileIsRead)
{
    struct Case {
        const char* why;
        std::function<void(const QString&)> make;
    };
    const QList<Case> cases = {
        {"missing", [](const QString&) {}},
        {"a folder", [](const QString& p) { ASSERT_EQ(::mkdir(QFile::encodeName(p).constData(), 0700), 0); }},
        // Opening a FIFO for reading would wait for a writer.
        {"a FIFO", [](const QString& p) { ASSERT_EQ(::mkfifo(QFile::encodeName(p).constData(), 0600), 0); }},
    };
    int i = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const QString where = dir.filePath(QStringLiteral("Data%1").arg(++i));
        c.make(where);
        RecordReader reader(where, kBigSize);
        EXPECT_FALSE(reader.isOpen());
        EXPECT_TRUE(reader.nextBlock().isEmpty());
        EXPECT_EQ(RecordFile(where, kBigSize).scan([](const QByteArray&) { return true; }), -1);
    }
}

TEST_F(RecordReaderTest, ReadersOpenAtOnceEachKeepTheirOwnBlock)
{
    write(3);
    const QString other = dir.filePath(QStringLiteral("Other"));
    ASSERT_TRUE(QFile::copy(path, other));
    ASSERT_TRUE(QFile::resize(other, kBigSize)); // record 1 only
    RecordReader outer(path, kBigSize);
    const QByteArrayView block = outer.nextBlock();
    {
        RecordReader inner(other, kBigSize);
        EXPECT_EQ(inner.nextBlock(), bigRecord(1));
    }
    // A reader that follows takes the spare block, not the one in use.
    RecordReader later(other, kBigSize);
    EXPECT_EQ(later.nextBlock(), bigRecord(1));
    EXPECT_EQ(block, QByteArray(bigRecord(1) + bigRecord(2) + bigRecord(3)));
}

} // namespace

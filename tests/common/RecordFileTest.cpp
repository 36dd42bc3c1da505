#include "common/RecordFile.h"
#include "common/SharedFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr int kSize = 8;

QByteArray rec(char c)
{
    return QByteArray(kSize, c);
}

class RecordFileTest : public ::testing::Test {
protected:
    void write(const QByteArray& data)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(data), data.size());
    }
    QByteArray contents() const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Data"));
    RecordFile file{path, kSize};
};

TEST_F(RecordFileTest, AppendCreatesFolderAndFileAndNumbersFromOne)
{
    const RecordFile nested(dir.filePath(QStringLiteral("Log/2026/12/10/Data")), kSize);
    EXPECT_EQ(nested.append(rec('a')), 1);
    EXPECT_EQ(nested.append(rec('b')), 2);
    EXPECT_EQ(nested.count(), 2);
    EXPECT_EQ(nested.read(2), rec('b'));
}

TEST_F(RecordFileTest, TornTailIsNotCountedAndTheNextAppendCutsIt)
{
    write(rec('a') + rec('b') + QByteArray("xyz"));
    EXPECT_EQ(file.count(), 2);
    EXPECT_FALSE(file.read(3));
    EXPECT_EQ(file.append(rec('c')), 3);
    EXPECT_EQ(contents(), rec('a') + rec('b') + rec('c'));
}

TEST_F(RecordFileTest, ReadRefusesNumbersOutsideTheFile)
{
    write(rec('a') + rec('b'));
    for (qint32 n : {-1, 0, 3})
        EXPECT_FALSE(file.read(n)) << n;
    EXPECT_EQ(file.read(1), rec('a'));
}

TEST_F(RecordFileTest, ScanStopsAtTheFirstMatchAndLeavesAMissingFileMissing)
{
    int visited = 0;
    EXPECT_EQ(file.scan([&](const QByteArray&) { return ++visited, true; }), -1);
    EXPECT_EQ(visited, 0);
    EXPECT_FALSE(QFile::exists(path));

    write(rec('a') + rec('b') + rec('b') + QByteArray("bbbb"));
    EXPECT_EQ(file.scan([&](const QByteArray& r) { return ++visited, r == rec('b'); }), 2);
    EXPECT_EQ(visited, 2);
    EXPECT_EQ(file.scan([](const QByteArray& r) { return r == rec('z'); }), -1);
}

TEST_F(RecordFileTest, RemoveMovesLaterRecordsDownAndRefusesNumbersOutsideTheFile)
{
    write(rec('1') + rec('2') + rec('3') + rec('4') + rec('5'));
    for (qint32 n : {-1, 0, 6}) {
        EXPECT_FALSE(file.remove(n)) << n;
        EXPECT_EQ(contents().size(), 5 * kSize) << "a refused delete cut the file";
    }
    EXPECT_TRUE(file.remove(2));
    EXPECT_EQ(contents(), rec('1') + rec('3') + rec('4') + rec('5'));
    EXPECT_TRUE(file.remove(4)); // the last one
    EXPECT_EQ(contents(), rec('1') + rec('3') + rec('4'));
}

TEST_F(RecordFileTest, RemovingTheOnlyRecordLeavesAnEmptyFile)
{
    write(rec('1'));
    EXPECT_TRUE(file.remove(1));
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(contents().size(), 0);
    EXPECT_FALSE(file.remove(1));
}

TEST_F(RecordFileTest, ReplaceRewritesOneRecordAndRefusesNumbersOutsideTheFile)
{
    write(rec('1') + rec('2') + QByteArray("tail"));
    EXPECT_FALSE(file.replace(3, rec('x')));
    EXPECT_FALSE(file.replace(1, QByteArray("short")));
    EXPECT_TRUE(file.replace(2, rec('x')));
    EXPECT_EQ(contents(), rec('1') + rec('x'));
}

TEST_F(RecordFileTest, MissingFileIsNeitherRewrittenNorCreated)
{
    EXPECT_EQ(file.count(), 0);
    EXPECT_FALSE(file.remove(1));
    EXPECT_FALSE(file.replace(1, rec('x')));
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(RecordFileTest, RewriteKeepsTheFilesPermissions)
{
    write(rec('1') + rec('2'));
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    ASSERT_TRUE(file.remove(1));
    // Owner, group and other bits; Qt's "user" bits mirror whoever runs the test.
    const QFileDevice::Permissions mode = QFile::permissions(path) & QFileDevice::Permissions(0x7077);
    EXPECT_EQ(mode, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

} // namespace

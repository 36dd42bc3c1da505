#include "common/SharedFile.h"
#include "tests/support/WaitUntil.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(SharedFile, ReadBoundedTakesWholeFilesUpToTheBoundOnly)
{
    QTemporaryDir dir;
    struct Row {
        const char* name;
        qsizetype size;
        qint64 bound;
        bool whole;
    };
    // Sizes around the bound and across the pieces it is read in.
    const Row rows[] = {
        {"empty", 0, 10, true},
        {"small", 5, 10, true},
        {"exactly the bound", 10, 10, true},
        {"one past the bound", 11, 10, false},
        {"several pieces", 200000, 200000, true},
        {"several pieces, one past", 200001, 200000, false},
        {"far below a large bound", 3, 64 * 1024 * 1024, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QByteArray bytes(row.size, '\0');
        for (qsizetype i = 0; i < bytes.size(); ++i)
            bytes[i] = char('a' + i % 26);
        const QString path = dir.filePath(QString::fromLatin1(row.name));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
        file.close();
        const std::optional<QByteArray> read = SharedFile::readBounded(path, row.bound);
        ASSERT_EQ(read.has_value(), row.whole);
        if (read) {
            EXPECT_EQ(*read, bytes);
        }
    }
    EXPECT_FALSE(SharedFile::readBounded(dir.filePath(QStringLiteral("missing")), 10));
    EXPECT_FALSE(SharedFile::readBounded(dir.path(), 10)) << "a folder is no file";
}

} // namespace

namespace {

// A step that changes two files holds the first lock while each change takes
// its own again: the same thread gets it at once, another thread waits until
// the outer holder lets go.
TEST(SharedFile, ALockIsTakenAgainByItsThreadAndWaitedForByOthers)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Data"));
    std::atomic<bool> otherHasIt = false;
    std::thread other;
    {
        const SharedFileLock outer(path);
        ASSERT_TRUE(outer.isLocked());
        other = std::thread([&] {
            const SharedFileLock lock(path);
            otherHasIt = lock.isLocked();
        });
        {
            const SharedFileLock inner(path);
            EXPECT_TRUE(inner.isLocked());
        }
        // The inner release leaves the lock held.
        EXPECT_TRUE(staysFalse([&] { return otherHasIt.load(); }, 200));
    }
    other.join();
    EXPECT_TRUE(otherHasIt);
}

} // namespace

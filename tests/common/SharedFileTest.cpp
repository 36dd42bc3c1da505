#include "common/SharedFile.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <sys/stat.h>

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

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing");
}

// A rewrite that keeps most of a file copies the kept ranges from the old
// file; the result is the same as writing the whole content.
TEST(SharedFile, ReplaceFromPiecesJoinsKeptRangesAndNewBytes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Data"));
    QByteArray old;
    for (int i = 0; i < 300000; ++i)
        old += char('A' + i % 23);
    using SharedFile::Piece;
    struct Row {
        const char* name;
        QList<Piece> pieces;
        QByteArray expected;
    };
    const Row rows[] = {
        {"first record replaced", {Piece{"xyz"}, Piece::kept(3, old.size() - 3)}, "xyz" + old.mid(3)},
        {"middle removed", {Piece::kept(0, 1000), Piece::kept(2000, old.size() - 2000)},
            old.left(1000) + old.mid(2000)},
        {"last replaced", {Piece::kept(0, old.size() - 5), Piece{"12345"}},
            old.left(old.size() - 5) + "12345"},
        {"all kept", {Piece::kept(0, old.size())}, old},
        {"nothing kept", {Piece{"new"}}, "new"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(SharedFile::writeAtomically(path, old));
        ASSERT_TRUE(SharedFile::replaceFromPieces(path, row.pieces))
            << SharedFile::lastWriteFailure().toStdString();
        EXPECT_EQ(readAll(path), row.expected);
    }

    // Through a link, the target is replaced and the link stays.
    const QString link = dir.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(path, link));
    ASSERT_TRUE(SharedFile::writeAtomically(link, "via the link"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readAll(path), QByteArray("via the link"));
}

// What a failed replace leaves: the old file byte for byte, no temporary,
// and the reason.
TEST(SharedFile, AFailedReplaceKeepsTheOldFileAndSaysWhy)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Last"));
    ASSERT_TRUE(SharedFile::writeAtomically(path, "1:\\Data\\Log\\2026\\12\\10\\\r\n"));
    // A range past the old file's end: the copy comes up short.
    EXPECT_FALSE(SharedFile::replaceFromPieces(path, {SharedFile::Piece::kept(0, 1000)}));
    EXPECT_FALSE(SharedFile::lastWriteFailure().isEmpty());
    EXPECT_EQ(readAll(path), QByteArray("1:\\Data\\Log\\2026\\12\\10\\\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Last")});

    EXPECT_FALSE(SharedFile::writeAtomically(dir.filePath(QStringLiteral("none/Last")), "x"));
    EXPECT_TRUE(SharedFile::lastWriteFailure().contains(QStringLiteral("none/Last")))
        << SharedFile::lastWriteFailure().toStdString();
    EXPECT_TRUE(SharedFile::writeAtomically(path, "y"));
    EXPECT_TRUE(SharedFile::lastWriteFailure().isEmpty()) << "a success clears the reason";
}

// A new file is the user's alone; an existing one keeps the mode it has
// (the program folder's installed files stay as they are).
TEST(SharedFile, NewFilesAndFoldersArePrivateAndOldFilesKeepTheirMode)
{
    QTemporaryDir dir;
    const mode_t oldMask = ::umask(022);
    const QString fresh = dir.filePath(QStringLiteral("fresh"));
    const QString installed = dir.filePath(QStringLiteral("installed"));
    QFile file(installed);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ASSERT_EQ(::chmod(QFile::encodeName(installed).constData(), 0644), 0);
    const QString folder = dir.filePath(QStringLiteral("a/b/c"));
    const bool made = SharedFile::makeFolder(folder);
    ::umask(oldMask);
    ASSERT_TRUE(SharedFile::writeAtomically(fresh, "x"));
    ASSERT_TRUE(SharedFile::writeAtomically(installed, "y"));
    ASSERT_TRUE(made);
    const auto mode = [](const QString& path) {
        struct stat info { };
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
    };
    EXPECT_EQ(mode(fresh), 0600u);
    EXPECT_EQ(mode(installed), 0644u);
    for (const char* level : {"a", "a/b", "a/b/c"})
        EXPECT_EQ(mode(dir.filePath(QLatin1String(level))), 0700u) << level;
}

} // namespace

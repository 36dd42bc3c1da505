#include "common/SharedFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

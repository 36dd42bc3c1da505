#include "common/LastList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(LastList_Line, IsTheNumberAColonAndTheDayFolder)
{
    EXPECT_EQ(LastList::lineFor(3, QStringLiteral("\\Data\\Log\\2026\\12\\10\\")),
        u"3:\\Data\\Log\\2026\\12\\10\\");
}

TEST(LastList_Line, ParsesAtTheFirstColonAndRefusesDamagedNumbers)
{
    struct Case {
        const char* line;
        qint32 number; // 0: refused
        const char* folder;
    };
    const Case cases[] = {
        {"3:\\Data\\Log\\2026\\12\\10\\", 3, "\\Data\\Log\\2026\\12\\10\\"},
        {"12:a:b", 12, "a:b"},
        {"2147483647:x", 2147483647, "x"},
        {"2147483648:x", 0, ""},
        {"0:x", 0, ""},
        {"03:x", 0, ""},
        {"-3:x", 0, ""},
        {" 3:x", 0, ""},
        {"3 :x", 0, ""},
        {":x", 0, ""},
        {"3", 0, ""},
        {"", 0, ""},
    };
    for (const Case& c : cases) {
        const auto entry = LastList::parseLine(QString::fromLatin1(c.line));
        if (c.number == 0) {
            EXPECT_FALSE(entry) << c.line;
            continue;
        }
        ASSERT_TRUE(entry) << c.line;
        EXPECT_EQ(entry->recordNumber, c.number);
        EXPECT_EQ(entry->dayFolder, QString::fromLatin1(c.folder));
    }
}

class LastListFileTest : public ::testing::Test {
protected:
    void write(const QByteArray& data)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
    }
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Data/Last"));
};

TEST_F(LastListFileTest, ReadsCrLfAndLfLinesAndAMissingFileAsEmpty)
{
    EXPECT_EQ(LastList::readLines(path), QStringList());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Data")));
    write("1:a\r\n2:b\n\r\n3:c");
    EXPECT_EQ(LastList::readLines(path),
        (QStringList{QStringLiteral("1:a"), QStringLiteral("2:b"), QString(), QStringLiteral("3:c")}));
    EXPECT_EQ(LastList::readLines(path, 2), (QStringList{QStringLiteral("1:a"), QStringLiteral("2:b")}));
}

TEST_F(LastListFileTest, OverLongLineDoesNotSwallowTheNext)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Data")));
    write(QByteArray(10000, 'x') + "\r\n2:b\r\n");
    const auto lines = LastList::readLines(path);
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 2);
    EXPECT_EQ(lines->at(1), u"2:b");
}

TEST_F(LastListFileTest, ChangeWritesCrLfLinesAndWritesNothingWhenRefused)
{
    EXPECT_FALSE(LastList::change(path, -1, [](QStringList&) { return false; }));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(LastList::change(path, -1, [](QStringList& lines) {
        lines = {QStringLiteral("2:b"), QStringLiteral("1:a")};
        return true;
    }));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("2:b\r\n1:a\r\n"));
}

} // namespace

#include "common/TranslationFile.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class TranslationFileTest : public ::testing::Test {
protected:
    QString write(const QByteArray& data)
    {
        const QString path = env.programFolder() + QStringLiteral("/t.txt");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
        return path;
    }
    TestEnvironment env;
};

TEST_F(TranslationFileTest, ReadsLinesEndedByCrLfOrLf)
{
    struct Case {
        QByteArray data;
        int count;
        QStringList lines;
        qint32 error;
    };
    const Case cases[] = {
        {"one\r\ntwo\r\nthree\r\n", 3, {u"one"_s, u"two"_s, u"three"_s}, TranslationFile::NoError},
        {"one\ntwo\nthree\n", 3, {u"one"_s, u"two"_s, u"three"_s}, TranslationFile::NoError},
        {"one\r\ntwo\nthree", 3, {u"one"_s, u"two"_s, u"three"_s}, TranslationFile::NoError},
        // Lines after the count are not read.
        {"one\r\ntwo\r\nthree\r\n", 2, {u"one"_s, u"two"_s}, TranslationFile::NoError},
        {"one\r\n\r\n\r\n", 3, {u"one"_s, QString(), QString()}, TranslationFile::NoError},
        {"one\r\ntwo\r\n", 3, {u"one"_s, u"two"_s}, TranslationFile::InputPastEnd},
        {"", 1, {}, TranslationFile::InputPastEnd},
        // A BOM must not hide the user-translation mark.
        {"\xEF\xBB\xBF"
         "1\r\n",
            1, {u"1"_s}, TranslationFile::NoError},
        {"Zo\xC3\xAB \xE9\x9B\xBB\xE8\xA9\xB1 \xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D\r\n", 1,
            {QStringLiteral("Zoë 電話 שלום")}, TranslationFile::NoError},
    };
    for (const Case& c : cases) {
        const TranslationFile::ReadResult read = TranslationFile::readLines(write(c.data), c.count);
        EXPECT_EQ(read.lines, c.lines) << c.data.toStdString();
        EXPECT_EQ(read.error, c.error) << c.data.toStdString();
    }
}

TEST_F(TranslationFileTest, MissingAndUnreadableFilesSayWhy)
{
    EXPECT_EQ(TranslationFile::readLines(env.programFolder() + QStringLiteral("/none.txt"), 20).error,
        TranslationFile::FileNotFound);
    EXPECT_EQ(TranslationFile::readLines(env.programFolder(), 20).error, TranslationFile::FileAccess);
}

TEST_F(TranslationFileTest, EncodesExactly1000CrLfLinesWithoutInnerBreaks)
{
    const QByteArray data = TranslationFile::encode({u"1"_s, u"two\r\nlines"_s, u"a\nb\rc"_s});
    EXPECT_EQ(data.count("\r\n"), 1000);
    EXPECT_EQ(data.count('\n'), 1000);
    EXPECT_EQ(data.count('\r'), 1000);
    EXPECT_TRUE(data.startsWith("1\r\ntwo lines\r\na b c\r\n\r\n"));

    QStringList tooMany(1005, u"x"_s);
    EXPECT_EQ(TranslationFile::encode(tooMany).count("\r\n"), 1000);
}

TEST_F(TranslationFileTest, WriteReplacesTheFileWholeOrNotAtAll)
{
    const QString path = write("old\r\n");
    QStringList lines = TranslationFile::newTranslation(true);
    lines[500] = QStringLiteral("Zoë <%S> 電話");
    ASSERT_TRUE(TranslationFile::write(path, lines));
    const TranslationFile::ReadResult read = TranslationFile::readLines(path, 1000);
    EXPECT_EQ(read.error, TranslationFile::NoError);
    EXPECT_EQ(read.lines, lines);

    // A failed write says so and leaves nothing behind, not even a temporary file.
    EXPECT_FALSE(TranslationFile::write(env.programFolder() + QStringLiteral("/no/such/folder.txt"), lines));
    EXPECT_FALSE(TranslationFile::write(path + QStringLiteral("/below-a-file.txt"), lines));
    EXPECT_EQ(TranslationFile::readLines(path, 1000).lines, lines);
    EXPECT_EQ(QDir(env.programFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList{u"t.txt"_s});
}

TEST_F(TranslationFileTest, NewTranslationHasTheMarksAndEmptyLines)
{
    for (const bool rtl : {true, false}) {
        const QStringList lines = TranslationFile::newTranslation(rtl);
        ASSERT_EQ(lines.size(), 1000);
        EXPECT_EQ(lines[0], u"1");
        EXPECT_EQ(lines[9], rtl ? u"RTL" : u"LTR");
        EXPECT_EQ(lines.count(QString()), 998);
    }
}

TEST_F(TranslationFileTest, PathForTakesPlainFileNamesOnly)
{
    EXPECT_EQ(TranslationFile::pathFor(u"English.txt"_s),
        env.programFolder() + QStringLiteral("/Trans/English.txt"));
    EXPECT_EQ(TranslationFile::pathFor(u"Mine"_s), env.programFolder() + QStringLiteral("/Trans/Mine"));
    for (const QString& name : QStringList{QString(), u"."_s, u".."_s, u"..\\Data\\Last"_s, u"../x"_s,
             u"a/b"_s, QString(QStringLiteral("a") + QChar(0))})
        EXPECT_FALSE(TranslationFile::pathFor(name).has_value()) << name.toStdString();
}

} // namespace

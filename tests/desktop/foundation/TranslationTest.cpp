#include "desktop/foundation/Translation.h"
#include "common/TranslationFile.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class TranslationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetTranslation();
        ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Trans"_s));
    }
    void TearDown() override { ResetTranslation(); }

    QString path(const QString& name) const { return g_sTransPath() + name; }

    // lineCount lines "text n", with the given replacements.
    QString makeFile(const QString& name, int lineCount, const QMap<int, QString>& lines = {}) const
    {
        QByteArray data;
        for (int n = 1; n <= lineCount; ++n)
            data += lines.value(n, u"text "_s + QString::number(n)).toUtf8() + "\r\n";
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
        return path(name);
    }

    TestEnvironment env;
};

TEST_F(TranslationTest, LoadsThousandLinesIntoEntriesOneToThousand)
{
    EXPECT_EQ(
        LoadTranslation(makeFile(u"English.txt"_s, 1000, {{10, u"LTR"_s}, {500, u"Zoë 電話 <%S>"_s}})), 0);
    EXPECT_EQ(g_sTrans(1), u"text 1");
    EXPECT_EQ(g_sTrans(500), u"Zoë 電話 <%S>");
    EXPECT_EQ(g_sTrans(1000), u"text 1000");
    EXPECT_EQ(g_sTrans(0), QString());
    EXPECT_EQ(g_sTrans(1001), QString());
    EXPECT_EQ(g_sTrans(5000), QString());
    EXPECT_EQ(g_sTrans(5001), QString());
    EXPECT_EQ(g_sTrans(-1), QString());
    EXPECT_FALSE(g_bRTL());
}

TEST_F(TranslationTest, DirectionIsRightToLeftOnlyForExactRtlInACompleteFile)
{
    struct Case {
        int lineCount;
        QString line10;
        bool rtl;
    };
    const Case cases[] = {
        {1000, u"RTL"_s, true}, {1001, u"RTL"_s, true}, // lines after the 1000th are never read
        {1000, u"rtl"_s, false}, {1000, u"RTL "_s, false}, {1000, u"LTR"_s, false},
        {999, u"RTL"_s, false}, // a short file reads left to right
    };
    for (const Case& c : cases) {
        ResetTranslation();
        LoadTranslation(makeFile(u"x.txt"_s, c.lineCount, {{10, c.line10}}));
        EXPECT_EQ(g_bRTL(), c.rtl) << c.lineCount << " " << c.line10.toStdString();
        EXPECT_EQ(g_sTrans(10), c.line10);
    }
}

TEST_F(TranslationTest, AShortFileGivesTheTextsItHasAndSaysSo)
{
    EXPECT_EQ(
        LoadTranslation(makeFile(u"short.txt"_s, 999, {{10, u"RTL"_s}})), TranslationFile::InputPastEnd);
    EXPECT_EQ(g_sTrans(999), u"text 999");
    EXPECT_EQ(g_sTrans(1000), QString());
    EXPECT_FALSE(g_bRTL());
}

TEST_F(TranslationTest, AMissingFileLeavesTheTableAsItWas)
{
    EXPECT_EQ(LoadTranslation(path(u"none.txt"_s)), TranslationFile::FileNotFound);
    EXPECT_EQ(g_sTrans(11), QString());
    EXPECT_FALSE(g_bRTL());

    LoadTranslation(makeFile(u"English.txt"_s, 1000, {{10, u"RTL"_s}}));
    EXPECT_EQ(LoadTranslation(path(u"none.txt"_s)), TranslationFile::FileNotFound);
    EXPECT_EQ(g_sTrans(11), u"text 11");
    EXPECT_TRUE(g_bRTL()); // never set back
}

TEST_F(TranslationTest, SavingAfterOneEditRewritesAllThousandLinesAsTheyWere)
{
    QMap<int, QString> lines{
        {1, u"1"_s}, {10, u"RTL"_s}, {11, u"''Main window"_s}, {12, QString()}, {700, u"שלום <%S>"_s}};
    const QString file = makeFile(u"Mine.txt"_s, 1000, lines);
    TranslationEditBuffer& buffer = g_sTransEdit();
    ASSERT_EQ(buffer.load(u"Mine.txt"_s), 0);
    buffer.setEntry(500, u"Neuer Text"_s);
    ASSERT_TRUE(SaveTranslationFile(u"Mine.txt"_s));

    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray data = saved.readAll();
    EXPECT_EQ(data.count("\r\n"), 1000);
    EXPECT_EQ(data.count('\n'), 1000);
    const QStringList read = TranslationFile::readLines(file, 1000).lines;
    ASSERT_EQ(read.size(), 1000);
    for (int n = 1; n <= 1000; ++n) {
        const QString expected = n == 500 ? u"Neuer Text"_s : lines.value(n, u"text "_s + QString::number(n));
        EXPECT_EQ(read[n - 1], expected) << n;
    }
}

TEST_F(TranslationTest, AnEditHoldingALineBreakCannotShiftTheFollowingLines)
{
    makeFile(u"Mine.txt"_s, 1000, {{1, u"1"_s}});
    ASSERT_EQ(g_sTransEdit().load(u"Mine.txt"_s), 0);
    g_sTransEdit().setEntry(20, u"two\r\nlines"_s);
    ASSERT_TRUE(SaveTranslationFile(u"Mine.txt"_s));
    const QStringList read = TranslationFile::readLines(path(u"Mine.txt"_s), 1000).lines;
    EXPECT_EQ(read[19], u"two lines");
    EXPECT_EQ(read[20], u"text 21");
    EXPECT_EQ(read[999], u"text 1000");
}

TEST_F(TranslationTest, SaveRefusesAnotherFilesLinesAndBadNames)
{
    makeFile(u"Mine.txt"_s, 1000, {{1, u"1"_s}});
    const QString other = makeFile(u"Other.txt"_s, 1000, {{1, u"1"_s}, {11, u"keep me"_s}});
    ASSERT_EQ(g_sTransEdit().load(u"Mine.txt"_s), 0);
    // The target list moved on without a new load: Other.txt must not get Mine.txt's lines.
    EXPECT_FALSE(SaveTranslationFile(u"Other.txt"_s));
    EXPECT_EQ(TranslationFile::readLines(other, 11).lines.value(10), u"keep me");

    for (const QString& name : {u"../Mine.txt"_s, u"..\\Mine.txt"_s, QString()})
        EXPECT_FALSE(SaveTranslationFile(name)) << name.toStdString();
}

TEST_F(TranslationTest, SaveReportsAWriteThatCannotBeMade)
{
    const QString file = makeFile(u"Mine.txt"_s, 1000, {{1, u"1"_s}});
    ASSERT_EQ(g_sTransEdit().load(u"Mine.txt"_s), 0);
    g_sTransEdit().setEntry(11, u"changed"_s);
    // The folder is gone: the write cannot be made.
    ASSERT_TRUE(QDir(g_sTransPath()).removeRecursively());
    EXPECT_FALSE(SaveTranslationFile(u"Mine.txt"_s));
    EXPECT_FALSE(QFile::exists(file));
}

TEST_F(TranslationTest, AShortOrMissingTargetIsCompletedByTheSave)
{
    makeFile(u"Short.txt"_s, 12, {{1, u"1"_s}});
    ASSERT_EQ(g_sTransEdit().load(u"Short.txt"_s), TranslationFile::InputPastEnd);
    g_sTransEdit().setEntry(999, u"late"_s);
    ASSERT_TRUE(SaveTranslationFile(u"Short.txt"_s));
    const TranslationFile::ReadResult read = TranslationFile::readLines(path(u"Short.txt"_s), 1000);
    EXPECT_EQ(read.error, TranslationFile::NoError);
    EXPECT_EQ(read.lines[11], u"text 12");
    EXPECT_EQ(read.lines[12], QString());
    EXPECT_EQ(read.lines[998], u"late");

    ASSERT_EQ(g_sTransEdit().load(u"New.txt"_s), TranslationFile::FileNotFound);
    EXPECT_EQ(g_sTransEdit().entry(1), QString());
    EXPECT_TRUE(SaveTranslationFile(u"New.txt"_s));
}

TEST_F(TranslationTest, ANewTranslationReadsBackWithItsMarks)
{
    ASSERT_TRUE(TranslationFile::write(path(u"Hebrew.txt"_s), TranslationFile::newTranslation(true)));
    EXPECT_EQ(LoadTranslation(path(u"Hebrew.txt"_s)), 0);
    EXPECT_EQ(g_sTrans(1), u"1");
    EXPECT_EQ(g_sTrans(10), u"RTL");
    EXPECT_TRUE(g_bRTL());
    for (int n = 2; n <= 1000; ++n) {
        if (n == 10)
            continue;
        EXPECT_EQ(g_sTrans(n), QString()) << n;
    }
}

} // namespace

namespace {

// The installation's English file: a complete basic translation read left to right.
TEST(TranslationInstalledEnglish, IsACompleteBasicTranslation)
{
    const QString path = QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    EXPECT_EQ(data.count("\r\n"), 1000);
    EXPECT_EQ(data.count('\n'), 1000);
    EXPECT_EQ(data.count('\r'), 1000); // no lone CR to shift the lines
    EXPECT_TRUE(data.endsWith("\r\n"));
    EXPECT_TRUE(QString::fromUtf8(data).toUtf8() == data); // valid UTF-8

    ResetTranslation();
    EXPECT_EQ(LoadTranslation(path), 0);
    EXPECT_NE(g_sTrans(1), u"1"); // basic, not a user translation
    EXPECT_EQ(g_sTrans(10), u"LTR");
    EXPECT_FALSE(g_bRTL());
    EXPECT_EQ(g_sTrans(11), u"OK");
    EXPECT_EQ(g_sTrans(12), u"Cancel");
    for (const int withPlaceholder : {161, 394, 396, 430, 842, 843, 855, 856})
        EXPECT_TRUE(g_sTrans(withPlaceholder).contains(u"<%S>"_s)) << withPlaceholder;
    ResetTranslation();
}

} // namespace

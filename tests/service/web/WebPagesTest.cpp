#include "service/web/WebPages.h"
#include "common/AppPaths.h"
#include "common/CallStore.h"
#include "tests/service/web/WebFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class WebPagesTest : public ::testing::Test {
protected:
    QString lastPath() const { return AppPaths::programFolder() + QStringLiteral("/Data/Last"); }

    TestEnvironment env;
    WebPages pages{
        QStringLiteral("Ringvale 1.1"), [] { return QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)); }};
};

TEST_F(WebPagesTest, MissingListGivesTheHeadingWithNoRowsAndStaysMissing)
{
    const QString table = pages.LastCalls();
    EXPECT_TRUE(table.contains(u"01/02/2026 03:04:05</font>"));
    EXPECT_TRUE(table.contains(u"| <font size=\"2\">0 Calls</font></font></td>\r\n"));
    EXPECT_FALSE(table.contains(u"<td bgcolor='"));
    EXPECT_TRUE(table.endsWith(
        u"valign=\"bottom\"><font color=\"#FFFFFF\"></font></td>\r\n</tr>\r\n</table>\r\n</center>\r\n"));
    // Nothing was dropped, so nothing is written.
    EXPECT_FALSE(QFileInfo::exists(lastPath()));
}

TEST_F(WebPagesTest, UnreadableLinesAreDroppedFromPageAndList)
{
    ASSERT_TRUE(
        AddCallRecord(WebFixture::call(QStringLiteral("A"), QStringLiteral("1"), QStringLiteral("08:00:00")),
            WebFixture::kDay, false, 30));
    WebFixture::writeFile(QStringLiteral("Data/Last"),
        "no colon\r\n"
        "1:\\Data\\Log\\2026\\12\\10\\\r\n"
        "2:\\Data\\Log\\2026\\12\\10\\\r\n"
        "01:\\Data\\Log\\2026\\12\\10\\\r\n"
        "1:\\..\\..\\etc\\\r\n"
        "1:\\Data\\Log\\2026\\12\\10\\\n");
    const QString table = pages.LastCalls();
    EXPECT_TRUE(table.contains(u"| <font size=\"2\">6 Calls</font>"));
    EXPECT_EQ(table.count(u"<a href=/del?call="), 2);
    EXPECT_TRUE(table.contains(u"/del?call=1>") && table.contains(u"/del?call=2>"));
    EXPECT_EQ(WebFixture::readFile(QStringLiteral("Data/Last")),
        "1:\\Data\\Log\\2026\\12\\10\\\r\n1:\\Data\\Log\\2026\\12\\10\\\r\n");
}

TEST_F(WebPagesTest, InsertedValuesAreEscaped)
{
    const QString name = QStringLiteral("<script>alert('x')</script>");
    const QString number = QStringLiteral("\"5&5\"");
    ASSERT_TRUE(AddCallRecord(
        WebFixture::call(name, number, QStringLiteral("08:00:00")), WebFixture::kDay, false, 30));
    const QString table = pages.LastCalls();
    EXPECT_FALSE(table.contains(u"<script>"));
    EXPECT_TRUE(table.contains(u"&lt;script&gt;alert('x')&lt;/script&gt;</td></font>"));
    EXPECT_TRUE(table.contains(u"&quot;5&amp;5&quot;</td></font>"));

    WebFixture::writeFile(QStringLiteral("Journal/12-10-2026_<b>.txt"), "</textarea><script>x</script>\r\n");
    const QString journal = pages.Journal(QStringLiteral("12-10-2026_<B>.TXT"));
    EXPECT_TRUE(journal.contains(u"<option selected>12-10-2026_&lt;b&gt;.txt</option>"));
    EXPECT_TRUE(journal.contains(u"&lt;/textarea&gt;&lt;script&gt;x&lt;/script&gt;\r\n</textarea>"));
    EXPECT_FALSE(WebPages(QStringLiteral("<i>")).PageFooter().contains(u"<i>"));
}

TEST_F(WebPagesTest, JournalListFollowsTheKindAndSelectsTheCurrentFile)
{
    for (const char* name : {"12-08-2026_Sys.txt", "12-09-2026_Calls.txt", "12-10-2026_WWW.txt", "readme"})
        WebFixture::writeFile(QStringLiteral("Journal/") + QString::fromLatin1(name), "x\r\n");
    EXPECT_EQ(pages.MakeLogList(QStringLiteral("All"), QString()),
        u"<select "
        u"name=\"dt\"><option>12-10-2026_WWW.txt</option>\r\n<option>12-09-2026_Calls.txt</option>\r\n"
        u"<option>12-08-2026_Sys.txt</option>\r\n</select>\r\n");
    EXPECT_EQ(pages.MakeLogList(QStringLiteral("System"), QStringLiteral("12-08-2026_SYS.TXT")),
        u"<select name=\"dt\"><option selected>12-08-2026_Sys.txt</option>\r\n</select>\r\n");
    EXPECT_EQ(pages.MakeLogList(QStringLiteral("Calls"), QString()),
        u"<select name=\"dt\"><option>12-09-2026_Calls.txt</option>\r\n</select>\r\n");
    EXPECT_TRUE(pages.MakeLogList(QStringLiteral("all"), QString()).contains(u"<option>readme</option>"))
        << "kinds compare exactly: any other lists every file";

    const QString empty = pages.Journal();
    EXPECT_FALSE(empty.contains(u"selected"));
    EXPECT_TRUE(empty.contains(u"<textarea rows=\"27\" cols=\"72\">\r\n</textarea>"));
}

TEST_F(WebPagesTest, LogFileIsItsLinesEachEndedByCrLf)
{
    WebFixture::writeFile(QStringLiteral("Journal/12-10-2026_Sys.txt"), "one\r\ntwo\nthree\r\n");
    EXPECT_EQ(pages.GetLogFile(QStringLiteral("12-10-2026_sys.txt")), u"one\r\ntwo\r\nthree\r\n");
    EXPECT_EQ(pages.GetLogFile(QStringLiteral("12-11-2026_sys.txt")), QString());
    EXPECT_EQ(pages.GetLogFile(QStringLiteral("../Journal/12-10-2026_Sys.txt")), QString());

    // Of a journal too large to show whole, the newest lines are shown, from
    // the first whole line on; the page says that earlier ones are left out.
    const int lineCount = 400000; // 14 bytes a line: about 5.3 MiB
    QByteArray large;
    large.reserve(lineCount * 14);
    for (int i = 0; i < lineCount; ++i)
        large += QByteArray::number(i).rightJustified(12, '0') + "\r\n";
    WebFixture::writeFile(QStringLiteral("Journal/12-09-2026_WWW.txt"), large);
    const QString big = pages.GetLogFile(QStringLiteral("12-09-2026_WWW.txt"));
    const QStringList lines = big.split(QStringLiteral("\r\n"));
    ASSERT_GT(lines.size(), 3);
    EXPECT_EQ(lines.first(), u"(earlier lines of this journal are not shown)");
    const int tailLines = 4 * 1024 * 1024 / 14; // whole lines in the last 4 MiB
    EXPECT_EQ(lines.at(1), QString::number(lineCount - tailLines).rightJustified(12, u'0'));
    EXPECT_EQ(lines.at(lines.size() - 2), QString::number(lineCount - 1).rightJustified(12, u'0'));
    EXPECT_EQ(lines.last(), QString());

    // Up to the bound: shown whole, without the note.
    WebFixture::writeFile(QStringLiteral("Journal/12-08-2026_WWW.txt"), large.left(tailLines * 14));
    EXPECT_TRUE(pages.GetLogFile(QStringLiteral("12-08-2026_WWW.txt")).startsWith(u"000000000000\r\n"));
}

} // namespace

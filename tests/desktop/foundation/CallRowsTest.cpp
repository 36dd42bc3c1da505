#include "desktop/foundation/CallRows.h"

#include "desktop/foundation/CallIcons.h"
#include "desktop/foundation/Translation.h"
#include "tests/support/CallDays.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/widgets/WidgetShots.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A Notes field as the desktop stores it: the text, blank-padded to 256.
QString notesField(const QString& text)
{
    return text.leftJustified(256, u' ');
}

TEST(CallRows, NoteExtraHeightGoesByTheNumberOfLines)
{
    struct Case {
        QString note;
        qint32 expected;
    };
    const Case cases[] = {
        {notesField(u"one line"_s), 2}, {notesField(u"one\r\ntwo"_s), 18},
        {notesField(u"one\r\ntwo\r\nthree"_s), 30}, {notesField(u"1\r\n2\r\n3\r\n4"_s), 42},
        {notesField(u"1\r\n2\r\n3\r\n4\r\n5"_s), 54}, {QString(), 54},
        {notesField(u"a\nb"_s), 2}, // only CR LF breaks a line
    };
    for (const Case& c : cases)
        EXPECT_EQ(NoteExtraHeight(c.note), c.expected) << c.note.trimmed().toStdString();
}

TEST(CallRows, OnlyAWrittenNonBlankNoteIsANote)
{
    struct Case {
        QString notes;
        bool expected;
    };
    const Case cases[] = {
        {QString(256, QChar(0)), false}, // as the service leaves it
        {QString(256, u' '), false},
        {notesField(u"call back"_s), true},
        {u"\0call back"_s.leftJustified(256, u' '), false},
    };
    for (const Case& c : cases) {
        CallRecord record;
        record.Notes = c.notes;
        EXPECT_EQ(HasNote(record), c.expected) << c.notes.trimmed().toStdString();
    }
}

class CallRowsGridTest : public ::testing::Test {
protected:
    void SetUp() override { SetCallsHeaders(grid, CallGrid::Main); }

    void addRow(const CallRecord& record, qint32 number)
    {
        SetCallRow(grid, grid.Rows() + 1, record, kDay, number);
    }

    TestEnvironment env;
    vbalGrid grid;
};

TEST_F(CallRowsGridTest, TheHeadersGiveTheMainListThirteenColumnsAndTheSearchTwelve)
{
    EXPECT_EQ(grid.Columns(), 13);
    EXPECT_EQ(grid.DefaultRowHeight(), 22);
    EXPECT_FALSE(grid.Redraw());
    EXPECT_EQ(grid.ImageList().size(), CallImage::Count);
    EXPECT_EQ(grid.ColumnHeader(4), g_sTrans(136));
    EXPECT_EQ(grid.ColumnKey(10), u"body"_s);
    EXPECT_EQ(grid.ColumnSortType(13), 200);
    EXPECT_EQ(grid.ColumnSortType(1), 300);
    EXPECT_FALSE(grid.ColumnVisible(8));
    EXPECT_EQ(grid.columnWidth(1), 36);

    vbalGrid search;
    SetCallsHeaders(search, CallGrid::Search);
    EXPECT_EQ(search.Columns(), 12);
    EXPECT_TRUE(search.ColumnVisible(8));
    EXPECT_EQ(search.ColumnHeader(8), g_sTrans(139));
    EXPECT_EQ(search.columnWidth(1), 32);
    EXPECT_EQ(search.columnWidth(3), 180);
}

TEST_F(CallRowsGridTest, ARowShowsTheCallInItsColumns)
{
    CallRecord voice = storedCall(u"Ann Lee"_s, u"5551234"_s, u"21:30:05"_s);
    voice.CallType = u"2"_s;
    voice.Length = u"0:01:10"_s;
    voice.ReadMark = u" "_s;
    voice.FlagMark = u"1"_s;
    voice.EmergencyMark = u"1"_s;
    voice.Notes = notesField(u"call back\r\nafter six\r\nat home"_s);
    addRow(voice, 4);
    addRow(storedCall(u"Bob"_s, u"5559876"_s, u"08:05:00"_s, u"01/02/2027"_s), 1);

    EXPECT_EQ(grid.CellIcon(1, 1), CallImage::Emergency);
    EXPECT_EQ(grid.CellIcon(1, 2), CallImage::Flag);
    EXPECT_EQ(grid.CellIcon(1, 3), CallImage::EnvelopeClosed);
    EXPECT_EQ(grid.CellText(1, 3), u"0:01:10"_s);
    EXPECT_EQ(grid.CellText(1, 4), u"Ann Lee - 5551234"_s);
    EXPECT_EQ(grid.CellText(1, 5), u"Thursday, December 10, 2026 21:30:05"_s);
    EXPECT_EQ(grid.CellText(1, 7), u"Ann Lee_5551234_12-10-2026_21-30-05.wav"_s);
    EXPECT_EQ(grid.CellText(1, 8), kDay);
    EXPECT_EQ(grid.CellText(1, 9), u"4"_s);
    EXPECT_EQ(grid.CellItemData(1, 6), 4);
    EXPECT_EQ(grid.CellText(1, 10), u"call back\r\nafter six\r\nat home"_s);
    EXPECT_EQ(grid.CellForeColor(1, 10), 0xBF0000);
    EXPECT_EQ(grid.CellText(1, 13), u"12/10/2026 21:30:05"_s);
    EXPECT_TRUE(grid.CellFont(1, 4).bold());
    EXPECT_EQ(grid.CellFont(1, 4).pointSize(), 8);
    EXPECT_EQ(grid.RowHeight(1), grid.CellTextHeight(1, 8) + 22 + 30);

    // A plain incoming call, read, without a note.
    EXPECT_EQ(grid.CellIcon(2, 1), -1);
    EXPECT_EQ(grid.CellIcon(2, 3), -1);
    EXPECT_EQ(grid.CellText(2, 3), QString());
    EXPECT_EQ(grid.CellText(2, 7), QString());
    EXPECT_EQ(grid.CellText(2, 10), QString());
    EXPECT_FALSE(grid.CellFont(2, 4).bold());
    EXPECT_EQ(grid.RowHeight(2), 22);

    // Sorted by column 13, newest first: 2027 before 2026.
    grid.SortCriteria().Add(CallColumn::SortDate, GridSort::Descending, grid.ColumnSortType(13));
    grid.Sort();
    EXPECT_EQ(grid.CellText(1, 11), u"Bob"_s);
}

TEST_F(CallRowsGridTest, ReadFontSwapsTheEnvelopeOfAVoiceMessageOnly)
{
    struct Case {
        const char* type;
        qint32 unread;
        qint32 read;
    };
    const Case cases[] = {
        {"2", CallImage::EnvelopeClosed, CallImage::EnvelopeOpen},
        {"3", CallImage::SpeakerRight, CallImage::SpeakerRight},
        {"4", CallImage::SpeakerLeft, CallImage::SpeakerLeft},
        {"0", -1, -1},
    };
    for (const Case& c : cases) {
        CallRecord record = storedCall(u"Ann"_s, u"1"_s, u"10:00:00"_s);
        record.CallType = QString::fromLatin1(c.type);
        record.ReadMark = u" "_s;
        grid.Clear();
        addRow(record, 1);
        grid.SetSelectedRow(1);
        EXPECT_EQ(grid.CellIcon(1, 3), c.unread) << c.type;
        EXPECT_EQ(SelectedRowHasWave(grid), c.unread >= 0) << c.type;

        SetRowReadFont(grid, 1, false);
        EXPECT_EQ(grid.CellIcon(1, 3), c.read) << c.type;
        EXPECT_FALSE(grid.CellFont(1, 9).bold());
        SetRowReadFont(grid, 1, true);
        EXPECT_EQ(grid.CellIcon(1, 3), c.unread) << c.type;
        EXPECT_TRUE(grid.CellFont(1, 5).bold());
        // The note and the columns after it keep the grid's own font.
        EXPECT_FALSE(grid.CellFont(1, 10).bold());
        EXPECT_FALSE(grid.CellFont(1, 13).bold());
    }
}

TEST_F(CallRowsGridTest, RenumberRowsLowersOnlyTheLaterCallsOfThatDay)
{
    for (qint32 n = 1; n <= 4; ++n)
        addRow(storedCall(u"a"_s, u"1"_s, u"10:00:00"_s), n);
    SetCallRow(grid, 5, storedCall(u"b"_s, u"1"_s, u"10:00:00"_s), u"\\Data\\Log\\2026\\12\\09\\"_s, 3);
    RenumberRows(grid, 2, kDay);
    QStringList numbers;
    for (qint32 r = 1; r <= grid.Rows(); ++r)
        numbers.append(grid.CellText(r, CallColumn::Index));
    EXPECT_EQ(numbers.join(u' ').toStdString(), "1 2 2 3 3");
    EXPECT_EQ(grid.CellItemData(4, CallColumn::Flag), 3);
}

// The look of a day's list, for review: unread bold, read, flagged,
// emergency, a voice message, recorded calls both ways and a note.
TEST(CallRowsShot, ScreenshotOfADay)
{
    TestEnvironment env;
    ASSERT_EQ(LoadTranslation(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt")), 0);
    vbalGrid grid;
    SetCallsHeaders(grid, CallGrid::Main);
    QList<CallRecord> day;
    CallRecord unread = storedCall(u"Ann Lee"_s, u"5551234"_s, u"08:15:02"_s);
    unread.ReadMark = u" "_s;
    day.append(unread);
    day.append(storedCall(u"Bob Stone"_s, u"5559876"_s, u"09:40:11"_s));
    CallRecord flagged = storedCall(u"Carol Diaz"_s, u"5554321"_s, u"11:02:45"_s);
    flagged.FlagMark = u"1"_s;
    day.append(flagged);
    CallRecord emergency = storedCall(u"Dad"_s, u"5550001"_s, u"12:30:00"_s);
    emergency.EmergencyMark = u"1"_s;
    emergency.ReadMark = u" "_s;
    day.append(emergency);
    CallRecord voice = storedCall(u"Erin Moss"_s, u"5552468"_s, u"14:05:19"_s);
    voice.CallType = u"2"_s;
    voice.Length = u"0:00:42"_s;
    voice.ReadMark = u" "_s;
    day.append(voice);
    CallRecord recordedIn = storedCall(u"Frank Hale"_s, u"5551357"_s, u"16:20:08"_s);
    recordedIn.CallType = u"3"_s;
    day.append(recordedIn);
    CallRecord recordedOut = storedCall(u"UNKNOWN"_s, u"5558642"_s, u"18:45:33"_s);
    recordedOut.CallType = u"4"_s;
    recordedOut.Notes = notesField(u"Asked for the quote again.\r\nSend it by Friday.\r\nHe prefers mail."_s);
    day.append(recordedOut);
    writeDay(kDay, day);

    AppendDayRows(grid, kDay);
    grid.SetRedraw(true);
    grid.SetBorderStyle(1);
    grid.resize(620, 300);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    EXPECT_EQ(grid.Rows(), 7);
    EXPECT_TRUE(WidgetShots::save(&grid, u"call-grid.png"_s));
    ResetTranslation();
}

} // namespace

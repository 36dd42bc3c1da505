#include "desktop/calls/CallGridActions.h"

#include "common/CallStore.h"
#include "common/DataPaths.h"
#include "common/FixedRecord.h"
#include "desktop/foundation/CallIcons.h"
#include "desktop/foundation/CallRows.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/MainWindowSurfaces.h"
#include "tests/support/CallDays.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Three calls of one day, listed in Data/Last; the grid shows them. Call 2
// is unread, call 3 an unread voice message.
class CallGridActionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetCallsHeaders(grid, CallGrid::Main);
        reset();
        SetMainWindow(&window);
    }

    void reset()
    {
        CallRecord unread = storedCall(u"b"_s, u"2"_s, u"10:02:00"_s);
        unread.ReadMark = u" "_s;
        CallRecord voice = storedCall(u"c"_s, u"3"_s, u"10:03:00"_s);
        voice.CallType = u"2"_s;
        voice.ReadMark = u" "_s;
        writeDay(kDay, {storedCall(u"a"_s, u"1"_s, u"10:01:00"_s), unread, voice});
        writeLast({u"3:"_s + kDay, u"2:"_s + kDay, u"1:"_s + kDay});
        grid.Clear();
        AppendDayRows(grid, kDay);
        grid.SetRedraw(true);
    }

    void TearDown() override
    {
        SetMainWindow(nullptr);
        g_bMarkAsReadInPlay = false;
        g_bDelFromDiaryWhenDelLast = false;
    }

    CallRecord stored(qint32 n)
    {
        CallRecord record;
        EXPECT_TRUE(ReadCallRecord(record, kDay, n));
        return record;
    }

    // Clicks a cell as the user does, with the main window's handler on MouseUp.
    void click(qint32 row, qint32 column)
    {
        if (!grid.isVisible()) {
            grid.resize(600, 200);
            grid.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
            QObject::connect(&grid, &vbalGrid::MouseUp, &grid,
                [this](qint32 button, qint32, float, float) { CallGridMouseUp(grid, button); });
        }
        const QPoint at = grid.visualRect(grid.model()->index(row - 1, column - 1)).center();
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, at);
    }

    TestEnvironment env;
    RecordedMainWindow window;
    vbalGrid grid;
};

TEST_F(CallGridActionsTest, TheDeleteCommandChoosesBetweenTheListAndTheDayFile)
{
    struct Case {
        const char* why;
        bool recentView;
        bool deleteFromDay;
        QStringList callsLeft;
        QStringList lastLeft;
    };
    const QStringList all{u"a"_s, u"b"_s, u"c"_s};
    const QStringList withoutB{u"a"_s, u"c"_s};
    const Case cases[] = {
        {"recent view: only the line goes", true, false, all, {u"3:"_s + kDay, u"1:"_s + kDay}},
        {"recent view, set to delete from the day too", true, true, withoutB,
            {u"2:"_s + kDay, u"1:"_s + kDay}},
        {"a day's list", false, false, withoutB, {u"2:"_s + kDay, u"1:"_s + kDay}},
        {"a day's list, the setting on", false, true, withoutB, {u"2:"_s + kDay, u"1:"_s + kDay}},
    };
    for (const Case& c : cases) {
        reset();
        window.clear();
        g_bDelFromDiaryWhenDelLast = c.deleteFromDay;
        grid.SetSelectedRow(2);
        EXPECT_TRUE(DeleteChosenCalls(grid, c.recentView)) << c.why;
        EXPECT_EQ(dayNames(kDay), c.callsLeft) << c.why;
        EXPECT_EQ(lastLines(), c.lastLeft) << c.why;
        EXPECT_EQ(grid.Rows(), 2) << c.why;
        const bool fromDay = c.callsLeft.size() == 2;
        const RecordedMainWindow::Call shown{RecordedMainWindow::Call::ProgressVisible, 1, {}};
        const RecordedMainWindow::Call hidden{RecordedMainWindow::Call::ProgressVisible, 0, {}};
        EXPECT_EQ(window.calls().contains(shown), fromDay) << c.why;
        EXPECT_EQ(window.calls().contains(hidden), fromDay) << c.why;
        EXPECT_EQ(window.panelText(2).left(2), u"2 "_s) << c.why;
    }
}

TEST_F(CallGridActionsTest, ClickingTheFlagColumnSetsAndClearsTheFlag)
{
    click(1, CallColumn::Flag);
    EXPECT_EQ(FixedRecord::trimBlanks(stored(1).FlagMark), u"1"_s);
    EXPECT_EQ(grid.CellIcon(1, CallColumn::Flag), CallImage::Flag);

    click(1, CallColumn::Flag);
    EXPECT_EQ(FixedRecord::trimBlanks(stored(1).FlagMark), u"0"_s);
    EXPECT_EQ(grid.CellIcon(1, CallColumn::Flag), -1);

    // Another column leaves the flag alone.
    click(1, CallColumn::Caller);
    EXPECT_EQ(FixedRecord::trimBlanks(stored(1).FlagMark), u"0"_s);

    // A call deleted meanwhile by another window: nothing shows as flagged.
    QFile::remove(DataPaths::native(DataPaths::dayFile(kDay)));
    click(2, CallColumn::Flag);
    EXPECT_EQ(grid.CellIcon(2, CallColumn::Flag), -1);
}

TEST_F(CallGridActionsTest, AClickMarksAnUnreadCallReadOnlyWhenSetAndWithoutARecording)
{
    click(2, CallColumn::Caller);
    EXPECT_TRUE(grid.CellFont(2, CallColumn::When).bold()) << "off by default";
    EXPECT_EQ(FixedRecord::trimBlanks(stored(2).ReadMark), QString());

    g_bMarkAsReadInPlay = true;
    click(2, CallColumn::Caller);
    EXPECT_FALSE(grid.CellFont(2, CallColumn::When).bold());
    EXPECT_EQ(FixedRecord::trimBlanks(stored(2).ReadMark), u"1"_s);

    click(3, CallColumn::Caller);
    EXPECT_TRUE(grid.CellFont(3, CallColumn::When).bold()) << "a voice message is read by playing it";
    EXPECT_EQ(FixedRecord::trimBlanks(stored(3).ReadMark), QString());
}

TEST_F(CallGridActionsTest, SaveNoteCutsTheNoteToTheFieldAndShowsItUnderTheRow)
{
    // 200 two-byte characters: the field holds the first 128 whole.
    const QString longNote = QString(200, u'é');
    ASSERT_TRUE(SaveNote(grid, 1, longNote));
    const CallRecord record = stored(1);
    EXPECT_EQ(FixedRecord::trimBlanks(record.Notes), QString(128, u'é'));
    EXPECT_EQ(grid.CellText(1, CallColumn::Note), QString(128, u'é'));
    EXPECT_EQ(grid.RowHeight(1), grid.CellTextHeight(1, CallColumn::Folder) + 22 + 2);

    ASSERT_TRUE(SaveNote(grid, 2, u"first\r\nsecond"_s));
    EXPECT_EQ(grid.RowHeight(2), grid.CellTextHeight(2, CallColumn::Folder) + 22 + 18);
    EXPECT_EQ(FixedRecord::trimBlanks(stored(2).CallerName), u"b"_s) << "the rest of the record stays";

    ASSERT_TRUE(SaveNote(grid, 2, QString()));
    EXPECT_EQ(grid.CellText(2, CallColumn::Note), QString());
    EXPECT_EQ(grid.RowHeight(2), 22);
}

TEST_F(CallGridActionsTest, SaveNoteWritesNothingOverACallThatNoLongerReadsAsValid)
{
    // Another program blanked the record's date (a damaged record).
    CallRecord damaged = stored(3);
    damaged.CallDate = QString(50, u' ');
    QList<CallRecord> day{stored(1), stored(2), damaged};
    writeDay(kDay, day);
    const QByteArray before = dayBytes(kDay);

    EXPECT_FALSE(SaveNote(grid, 3, u"note"_s));
    EXPECT_EQ(dayBytes(kDay), before);
    EXPECT_EQ(grid.CellText(3, CallColumn::Note), QString());

    // Record 3 gone: row 3 names a number past the file's end.
    writeDay(kDay, {stored(1), stored(2)});
    EXPECT_FALSE(SaveNote(grid, 3, u"note"_s));
    EXPECT_EQ(dayBytes(kDay).size(), 2 * CallRecord::Size);
}

} // namespace

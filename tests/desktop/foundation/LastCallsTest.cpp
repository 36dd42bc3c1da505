#include "desktop/foundation/LastCalls.h"

#include "common/CallStore.h"
#include "common/DataPaths.h"
#include "common/RecordFile.h"
#include "desktop/foundation/CallRows.h"
#include "tests/desktop/foundation/StandInDesktop.h"
#include "tests/support/CallDays.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString kOldDay = u"\\Data\\Log\\2005\\03\\14\\"_s;

QString lastPath()
{
    return DataPaths::native(DataPaths::lastList());
}

// A main window whose progress bar lets a test act in the middle of a load,
// as the service storing a call would.
class InterruptedWindow : public RecordedMainWindow {
public:
    std::function<void()> onFirstProgress;
    void SetProgressValue(qint32 value) override
    {
        RecordedMainWindow::SetProgressValue(value);
        if (value > 0 && onFirstProgress)
            std::exchange(onFirstProgress, nullptr)();
    }
};

class LastCallsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeDay(kDay,
            {storedCall(u"Ann"_s, u"5550001"_s, u"10:00:00"_s),
                storedCall(u"Bob"_s, u"5550002"_s, u"11:00:00"_s),
                storedCall(u"Cid"_s, u"5550003"_s, u"12:00:00"_s)});
        QList<CallRecord> old;
        for (int i = 1; i <= 7; ++i)
            old.append(storedCall(u"old%1"_s.arg(i), u"555100%1"_s.arg(i), u"08:00:00"_s, u"03/14/2005"_s));
        writeDay(kOldDay, old);
        SetMainWindow(&window);
        SetCallsHeaders(grid, CallGrid::Main);
    }
    void TearDown() override { SetMainWindow(nullptr); }

    // "name:index" of each row, top to bottom.
    QString rows() const
    {
        QStringList shown;
        for (qint32 r = 1; r <= grid.Rows(); ++r)
            shown.append(
                grid.CellText(r, CallColumn::CallerName) + u':' + grid.CellText(r, CallColumn::Index));
        return shown.join(u' ');
    }

    TestEnvironment env;
    StandInDesktop desktop;
    InterruptedWindow window;
    vbalGrid grid;
};

TEST_F(LastCallsTest, FillsRowsInListOrderAndDropsLinesThatNameNoCall)
{
    struct Case {
        const char* why;
        QStringList last;
        QString rows;
        QStringList writtenBack; // what Data/Last holds afterwards
    };
    const QList<Case> cases = {
        {"all readable: nothing rewritten", {u"3:"_s + kDay, u"1:"_s + kDay}, u"Cid:3 Ann:1"_s,
            {u"3:"_s + kDay, u"1:"_s + kDay}},
        {"the second line is past its file's end", {u"2:"_s + kDay, u"9:"_s + kDay, u"1:"_s + kDay},
            u"Bob:2 Ann:1"_s, {u"2:"_s + kDay, u"1:"_s + kDay}},
        {"a day of another year", {u"7:"_s + kOldDay}, u"old7:7"_s, {u"7:"_s + kOldDay}},
        {"numbers that are no numbers", {u"x:"_s + kDay, u"01:"_s + kDay, u"-1:"_s + kDay, u"2:"_s + kDay},
            u"Bob:2"_s, {u"2:"_s + kDay}},
        {"no colon, an empty line, a missing day",
            {u"garbage"_s, QString(), u"1:\\Data\\Log\\1999\\01\\01\\"_s}, QString(), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        writeLast(c.last);
        window.clear();
        LoadLastCalls(grid);
        EXPECT_EQ(rows(), c.rows);
        EXPECT_EQ(lastLines(), c.writtenBack);
        EXPECT_EQ(window.panelText(2), QString::number(grid.Rows()) + u' ' + g_sTrans(19));
        EXPECT_TRUE(window.calls().contains(
            RecordedMainWindow::Call{RecordedMainWindow::Call::EditMenuEna, grid.Rows() > 0 ? 1 : 0, {}}));
    }
}

TEST_F(LastCallsTest, MissingOrEmptyListShowsTheEmptyListAndMakesNoFile)
{
    for (const bool exists : {false, true}) {
        SCOPED_TRACE(exists ? "empty file" : "missing file");
        if (exists)
            writeLast({});
        window.clear();
        const LastCallsLoad load = LoadLastCalls(grid);
        EXPECT_EQ(grid.Rows(), 0);
        EXPECT_FALSE(load.rewritten);
        EXPECT_EQ(QFileInfo::exists(lastPath()), exists);
        EXPECT_EQ(window.panelText(2), u"0 "_s + g_sTrans(19));
        ASSERT_FALSE(window.calls().isEmpty());
        const auto& calls = window.calls();
        const auto lastNoItems = std::find_if(calls.rbegin(), calls.rend(),
            [](const auto& call) { return call.kind == RecordedMainWindow::Call::NoItemsVisible; });
        ASSERT_NE(lastNoItems, calls.rend());
        EXPECT_EQ(lastNoItems->number, 1);
    }
}

// The service stores a call while the list is being loaded: cleaning the
// stale line must not undo it. (The stale line names a record that is there
// but is no call: the service's own trimming keeps it, the load drops it.)
TEST_F(LastCallsTest, CleaningKeepsACallPutOnTopDuringTheLoad)
{
    CallRecord noCall = storedCall(u"Dee"_s, u"5550004"_s, u"13:00:00"_s);
    noCall.CallDate = QString();
    ASSERT_EQ(
        RecordFile(DataPaths::native(DataPaths::dayFile(kDay)), CallRecord::Size).append(noCall.toBytes()),
        4);
    writeLast({u"2:"_s + kDay, u"4:"_s + kDay, u"1:"_s + kDay});
    window.onFirstProgress = [] { ASSERT_TRUE(AddToLastList(3, kDay, 30)); };
    const LastCallsLoad load = LoadLastCalls(grid);
    EXPECT_EQ(rows(), u"Bob:2 Ann:1"_s);
    EXPECT_TRUE(load.rewritten);
    EXPECT_EQ(lastLines(), (QStringList{u"3:"_s + kDay, u"2:"_s + kDay, u"1:"_s + kDay}));
}

// A list too large to read (only by damage) is read up to its bound and
// written back cut to it, so the service can put calls on it again.
TEST_F(LastCallsTest, ListOverItsBoundIsReadUpToItAndWrittenBack)
{
    {
        QFile file(lastPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write((u"1:"_s + kDay + u"\r\n"_s).toUtf8());
        file.write(QByteArray(LastList::kMaxListBytes + 1024, 'x'));
    }
    const LastCallsLoad load = LoadLastCalls(grid);
    EXPECT_EQ(rows(), u"Ann:1"_s);
    EXPECT_TRUE(load.rewritten);
    EXPECT_EQ(lastLines(), QStringList{u"1:"_s + kDay});
    ASSERT_TRUE(AddToLastList(2, kDay, 30));
    EXPECT_EQ(lastLines(), (QStringList{u"2:"_s + kDay, u"1:"_s + kDay}));
}

TEST_F(LastCallsTest, RowsAreSortedByTheMainWindowsSortAndRowOneIsSelected)
{
    writeLast({u"1:"_s + kDay, u"3:"_s + kDay, u"2:"_s + kDay});
    grid.SortCriteria().Clear();
    grid.SortCriteria().Add(CallColumn::SortDate, 1, grid.ColumnSortType(CallColumn::SortDate));
    LoadLastCalls(grid);
    EXPECT_EQ(rows(), u"Cid:3 Bob:2 Ann:1"_s);
    EXPECT_EQ(grid.SelectedRow(), 1);
}

} // namespace

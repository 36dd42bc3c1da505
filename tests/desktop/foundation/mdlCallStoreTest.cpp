#include "desktop/foundation/mdlCallStore.h"

#include "common/DataPaths.h"
#include "common/FixedRecord.h"
#include "desktop/foundation/CallRows.h"
#include "desktop/foundation/MainWindowSurfaces.h"
#include "desktop/foundation/Translation.h"
#include "tests/support/CallDays.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString kOtherDay = u"\\Data\\Log\\2026\\12\\09\\"_s;

// Five calls a1 to a5 in one day, two in the day before, and Data/Last
// naming them all, newest first.
class mdlCallStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QList<CallRecord> day;
        for (int i = 1; i <= 5; ++i)
            day.append(storedCall(u"a%1"_s.arg(i), u"555000%1"_s.arg(i), u"10:0%1:00"_s.arg(i)));
        writeDay(kDay, day);
        writeDay(kOtherDay,
            {storedCall(u"b1"_s, u"5551001"_s, u"09:00:00"_s, u"12/09/2026"_s),
                storedCall(u"b2"_s, u"5551002"_s, u"09:30:00"_s, u"12/09/2026"_s)});
        writeLast({u"5:"_s + kDay, u"4:"_s + kDay, u"2:"_s + kOtherDay, u"3:"_s + kDay, u"2:"_s + kDay,
            u"1:"_s + kOtherDay, u"1:"_s + kDay});
        SetMainWindow(&window);
    }

    void TearDown() override { SetMainWindow(nullptr); }

    // The grid with the day's rows, then the day before's.
    void fillGrid()
    {
        SetCallsHeaders(grid, CallGrid::Main);
        AppendDayRows(grid, kDay);
        AppendDayRows(grid, kOtherDay);
        grid.SetRedraw(true);
    }

    // "name:number" of each row, top to bottom, with its column 9.
    QString rows()
    {
        QStringList shown;
        for (qint32 r = 1; r <= grid.Rows(); ++r)
            shown.append(
                grid.CellText(r, CallColumn::CallerName) + u':' + grid.CellText(r, CallColumn::Index));
        return shown.join(u' ');
    }

    // The caller each line of Data/Last leads to now.
    QString listedCallers()
    {
        QStringList callers;
        for (const QString& line : lastLines()) {
            const auto entry = LastList::parseLine(line);
            CallRecord record;
            callers.append(entry && ReadCallRecord(record, entry->dayFolder, entry->recordNumber)
                    ? FixedRecord::trimBlanks(record.CallerName)
                    : u"<stale " + line + u'>');
        }
        return callers.join(u' ');
    }

    TestEnvironment env;
    RecordedMainWindow window;
    vbalGrid grid;
};

TEST_F(mdlCallStoreTest, FlagAndReadMarkChangeExactlyOneByte)
{
    const QByteArray before = dayBytes(kDay);
    const qsizetype third = 2 * CallRecord::Size;
    const auto changedBytes = [&](const QByteArray& after) {
        QList<qsizetype> at;
        for (qsizetype i = 0; i < qMin(before.size(), after.size()); ++i) {
            if (before[i] != after[i])
                at.append(i);
        }
        return at;
    };

    ASSERT_TRUE(SetCallFlag(3, kDay, u"1"_s));
    QByteArray after = dayBytes(kDay);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(changedBytes(after), QList<qsizetype>{third + 1});
    EXPECT_EQ(after[third + 1], '1');

    ASSERT_TRUE(SetCallFlag(3, kDay, u"0"_s));
    after = dayBytes(kDay);
    EXPECT_EQ(changedBytes(after), QList<qsizetype>{third + 1});
    EXPECT_EQ(after[third + 1], '0') << "a cleared flag is stored as \"0\", not a blank";

    ASSERT_TRUE(SetCallFlag(3, kDay, QString()));
    EXPECT_EQ(dayBytes(kDay)[third + 1], ' ') << "an empty flag is a blank";

    // The service stores calls read: marking one read again rewrites it unchanged.
    ASSERT_TRUE(MarkCallRead(4, kDay, u"1"_s));
    EXPECT_EQ(dayBytes(kDay).mid(3 * CallRecord::Size), before.mid(3 * CallRecord::Size));
}

TEST_F(mdlCallStoreTest, ChangesToACallThatIsNotThereWriteAndCreateNothing)
{
    const QByteArray before = dayBytes(kDay);
    const QString missingDay = u"\\Data\\Log\\2026\\12\\11\\"_s;
    struct Case {
        qint32 number;
        QString folder;
    };
    const Case cases[] = {{0, kDay}, {6, kDay}, {-1, kDay}, {1, missingDay}, {1, u"\\..\\..\\"_s}};
    for (const Case& c : cases) {
        const std::string name = QString::number(c.number).toStdString() + " in " + c.folder.toStdString();
        EXPECT_FALSE(SetCallFlag(c.number, c.folder, u"1"_s)) << name;
        EXPECT_FALSE(MarkCallRead(c.number, c.folder, u"1"_s)) << name;
        EXPECT_FALSE(DeleteCallRecord(c.number, c.folder)) << name;
        EXPECT_FALSE(WriteCallRecord(storedCall(u"x"_s, u"1"_s, u"10:00:00"_s), c.folder, c.number)) << name;
    }
    EXPECT_EQ(dayBytes(kDay), before);
    EXPECT_FALSE(QFileInfo::exists(DataPaths::native(missingDay)));
    EXPECT_EQ(lastLines().size(), 7);
}

TEST_F(mdlCallStoreTest, ReadCallRecordIsFalseForEveryCallThatIsNotThere)
{
    CallRecord blankDate = storedCall(u"blank"_s, u"1"_s, u"10:00:00"_s, u"          "_s);
    CallRecord garbage = storedCall(u"garbage"_s, u"1"_s, u"10:00:00"_s, u"UNKNOWN"_s);
    writeDay(u"\\Data\\Log\\2026\\12\\12\\"_s, {blankDate, garbage, CallRecord()});

    struct Case {
        const char* why;
        QString folder;
        qint32 number;
    };
    const Case cases[] = {
        {"no day file", u"\\Data\\Log\\2026\\12\\11\\"_s, 1},
        {"number 0", kDay, 0},
        {"one beyond the last record", kDay, 6},
        {"a blank date", u"\\Data\\Log\\2026\\12\\12\\"_s, 1},
        {"a date that is no date", u"\\Data\\Log\\2026\\12\\12\\"_s, 2},
        {"a record of NULs", u"\\Data\\Log\\2026\\12\\12\\"_s, 3},
    };
    for (const Case& c : cases) {
        CallRecord record = storedCall(u"kept"_s, u"1"_s, u"10:00:00"_s);
        EXPECT_FALSE(ReadCallRecord(record, c.folder, c.number)) << c.why;
    }
    CallRecord record;
    ASSERT_TRUE(ReadCallRecord(record, kDay, 5));
    EXPECT_EQ(FixedRecord::trimBlanks(record.CallerName), u"a5"_s);
}

TEST_F(mdlCallStoreTest, DeletingACallMovesTheLaterOnesDownAndRenumbersTheRecentCalls)
{
    ASSERT_TRUE(DeleteCallRecord(2, kDay));
    EXPECT_EQ(dayNames(kDay), (QStringList{u"a1"_s, u"a3"_s, u"a4"_s, u"a5"_s}));
    EXPECT_EQ(dayBytes(kDay).size(), 4 * CallRecord::Size);
    EXPECT_EQ(lastLines(),
        (QStringList{u"4:"_s + kDay, u"3:"_s + kDay, u"2:"_s + kOtherDay, u"2:"_s + kDay, u"1:"_s + kOtherDay,
            u"1:"_s + kDay}));
    EXPECT_EQ(listedCallers().toStdString(), "a5 a4 b2 a3 b1 a1");

    // The last record: the file only gets shorter.
    const QByteArray before = dayBytes(kDay);
    ASSERT_TRUE(DeleteCallRecord(4, kDay));
    EXPECT_EQ(dayBytes(kDay), before.left(3 * CallRecord::Size));
    EXPECT_EQ(listedCallers().toStdString(), "a4 b2 a3 b1 a1");
    EXPECT_EQ(dayNames(kOtherDay), (QStringList{u"b1"_s, u"b2"_s}));
}

TEST_F(mdlCallStoreTest, DeletingRowsTwoAndFourInOneCommandDeletesTheCallsTheyShowed)
{
    fillGrid();
    grid.SetSelectedRow(2);
    grid.SelectRow(4);
    ASSERT_TRUE(DeleteSelectedCalls(grid));

    EXPECT_EQ(dayNames(kDay), (QStringList{u"a1"_s, u"a3"_s, u"a5"_s}));
    EXPECT_EQ(rows().toStdString(), "a1:1 a3:2 a5:3 b1:1 b2:2");
    EXPECT_EQ(dayNames(kOtherDay), (QStringList{u"b1"_s, u"b2"_s}));
    EXPECT_EQ(listedCallers().toStdString(), "a5 b2 a3 b1 a1");
    EXPECT_EQ(lastLines().size(), 5);

    EXPECT_EQ(window.ProgressMaximum(), 2);
    EXPECT_EQ(window.ProgressValue(), 0);
    EXPECT_EQ(window.panelText(2), u"5 "_s + g_sTrans(19));
    EXPECT_GE(grid.SelectedRow(), 1);
    EXPECT_EQ(grid.SelectedCount(), 1);
}

TEST_F(mdlCallStoreTest, DeletingEveryRowShowsTheEmptyList)
{
    fillGrid();
    for (qint32 r = 1; r <= grid.Rows(); ++r)
        grid.SelectRow(r);
    ASSERT_TRUE(DeleteSelectedCalls(grid));
    EXPECT_EQ(grid.Rows(), 0);
    EXPECT_TRUE(dayNames(kDay).isEmpty());
    EXPECT_TRUE(lastLines().isEmpty());
    EXPECT_TRUE(
        window.calls().contains(RecordedMainWindow::Call{RecordedMainWindow::Call::NoItemsVisible, 1, {}}));
    EXPECT_TRUE(
        window.calls().contains(RecordedMainWindow::Call{RecordedMainWindow::Call::EditMenuEna, 0, {}}));
    EXPECT_EQ(window.panelText(2), u"0 "_s + g_sTrans(19));
}

// The list sorted by caller name: the file keeps its newest-first order and
// a line the service put on top meanwhile.
TEST_F(mdlCallStoreTest, RemovingFromTheRecentCallsTakesOutExactlyTheSelectedLines)
{
    SetCallsHeaders(grid, CallGrid::Main);
    for (const QString& line : lastLines()) {
        const auto entry = LastList::parseLine(line);
        CallRecord record;
        ASSERT_TRUE(ReadCallRecord(record, entry->dayFolder, entry->recordNumber));
        SetCallRow(grid, grid.Rows() + 1, record, entry->dayFolder, entry->recordNumber);
    }
    grid.SortCriteria().Add(CallColumn::CallerName, GridSort::Descending, 0);
    grid.Sort();
    ASSERT_EQ(rows().toStdString(), "b2:2 b1:1 a5:5 a4:4 a3:3 a2:2 a1:1");
    grid.SetSelectedRow(1); // b2
    grid.SelectRow(4); // a4
    ASSERT_TRUE(AddToLastList(1, u"\\Data\\Log\\2026\\12\\11\\"_s, 100));

    ASSERT_TRUE(RemoveSelectedFromLast(grid));
    EXPECT_EQ(lastLines(),
        (QStringList{u"1:\\Data\\Log\\2026\\12\\11\\"_s, u"5:"_s + kDay, u"3:"_s + kDay, u"2:"_s + kDay,
            u"1:"_s + kOtherDay, u"1:"_s + kDay}));
    EXPECT_EQ(rows().toStdString(), "b1:1 a5:5 a3:3 a2:2 a1:1");
    EXPECT_EQ(dayNames(kDay).size(), 5) << "the day files stay";
    EXPECT_EQ(window.panelText(2), u"5 "_s + g_sTrans(19));
}

// The service appends calls and puts each on top of the list while the
// desktop deletes from the same day: every call stays once in the file and
// every line names the call it was written for.
TEST_F(mdlCallStoreTest, DeletingWhileAnotherProcessStoresCallsLosesAndMisnumbersNothing)
{
    constexpr int kCalls = 120;
    fillGrid();
    QProcess writer;
    writer.setProcessEnvironment(env.processEnvironment());
    writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    writer.start(QStringLiteral(RINGVALE_CALLWRITER), {u"w"_s, QString::number(kCalls), kDay, u"100000"_s});
    ASSERT_TRUE(waitUntil([&] { return dayNames(kDay).size() > 5 + 10; }, 20000));

    grid.SetSelectedRow(1);
    grid.SelectRow(3);
    grid.SelectRow(5);
    ASSERT_TRUE(DeleteSelectedCalls(grid));
    ASSERT_TRUE(writer.waitForFinished(testTimeout(30000)));
    ASSERT_EQ(writer.exitCode(), 0);

    QStringList expected{u"a2"_s, u"a4"_s};
    for (int i = 0; i < kCalls; ++i)
        expected.append(u"w"_s);
    EXPECT_EQ(dayNames(kDay), expected);

    // Newest first: the writer's calls kCalls down to 1, then what was listed.
    QStringList listed;
    for (const QString& line : lastLines()) {
        const auto entry = LastList::parseLine(line);
        CallRecord record;
        ASSERT_TRUE(entry && ReadCallRecord(record, entry->dayFolder, entry->recordNumber))
            << line.toStdString();
        listed.append(
            FixedRecord::trimBlanks(record.CallerName) + FixedRecord::trimBlanks(record.CallerNumber));
    }
    QStringList want;
    for (int i = kCalls; i >= 1; --i)
        want.append(u"w"_s + QString::number(i));
    want += QStringList{u"a45550004"_s, u"b25551002"_s, u"a25550002"_s, u"b15551001"_s};
    EXPECT_EQ(listed, want);
}

} // namespace

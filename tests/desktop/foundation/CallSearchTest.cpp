#include "desktop/foundation/CallSearch.h"

#include "common/CallRecord.h"
#include "common/DataPaths.h"
#include "desktop/foundation/CallIcons.h"
#include "desktop/foundation/CallRows.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "tests/desktop/foundation/StandInDesktop.h"
#include "tests/support/CallDays.h"
#include "tests/support/TestClock.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString kDayA = u"\\Data\\Log\\2026\\12\\09\\"_s;
const QString kDayB = u"\\Data\\Log\\2026\\12\\10\\"_s; // the test clock's today
const QString kSaved = u"\\Data\\Saved\\"_s;

CallRecord call(const QString& name, const QString& number, const QString& type, bool flag = false,
    const QString& date = u"12/09/2026"_s)
{
    CallRecord record = storedCall(name, number, u"10:00:00"_s, date);
    record.CallType = type;
    if (flag)
        record.FlagMark = u"1"_s;
    return record;
}

// Two days below Data\Log, a call in Data\Saved itself, and two folders the
// walk must not enter: a hidden one and a link back to Data\Saved.
class CallSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CallRecord zed = call(u"Zed"_s, u"1234"_s, u"0"_s);
        zed.EmergencyMark = u"1"_s;
        zed.Notes = u"call Jo back"_s;
        writeDay(kDayA,
            {call(u"John"_s, u"5550001"_s, u"0"_s, true), call(u"jOHN"_s, u"5550002"_s, u"0"_s),
                call(u"Bob"_s, u"4445555"_s, u"3"_s, true), call(u"Joan"_s, u"1112222"_s, u"2"_s), zed});
        writeDay(kDayB,
            {call(u"Jolene"_s, u"9990000"_s, u"4"_s, true, u"12/10/2026"_s),
                call(u"Ann"_s, u"0000"_s, u"0"_s, false, u"12/10/2026"_s)});
        writeDay(kSaved, {call(u"Johnny"_s, u"7775550"_s, u"0"_s)});
        writeDay(u"\\Data\\Log\\.trash\\"_s, {call(u"Joker"_s, u"5555"_s, u"0"_s)});
        const QString log = DataPaths::native(u"\\Data\\Log"_s);
        EXPECT_TRUE(QFile::link(DataPaths::native(u"\\Data\\Saved"_s), log + u"/link"_s));
        SetCallsHeaders(grid, CallGrid::Search);
    }
    void TearDown() override
    {
        SetSearchEventInterval(50);
        g_bSearchRunning = false;
    }

    // "name@folder:number" of each row, top to bottom.
    QString rows() const
    {
        QStringList shown;
        for (qint32 r = 1; r <= grid.Rows(); ++r)
            shown.append(grid.CellText(r, CallColumn::CallerName) + u'@'
                + grid.CellText(r, CallColumn::Folder) + u':' + grid.CellText(r, CallColumn::Index));
        return shown.join(u' ');
    }

    TestEnvironment env;
    TestClock clock;
    StandInDesktop desktop;
    RecordedMainWindow searchWindow;
    vbalGrid grid;
};

TEST_F(CallSearchTest, FindsTheMatchingCallsDepthFirstInNameOrder)
{
    struct Case {
        const char* why;
        qint32 position;
        SearchCriteria criteria;
        QString rows;
    };
    const QString a = u"@"_s + kDayA + u':';
    const QString b = u"@"_s + kDayB + u':';
    const QString s = u"@"_s + kSaved + u':';
    const QList<Case> cases = {
        {"case-sensitive: John, not jOHN", 0, {u"Jo"_s, {}, {}},
            u"John"_s + a + u"1 Joan"_s + a + u"4 Jolene"_s + b + u"1 Johnny"_s + s + u'1'},
        {"name or number", 0, {u"Jo"_s, u"555"_s, {}},
            u"John"_s + a + u"1 jOHN"_s + a + u"2 Bob"_s + a + u"3 Joan"_s + a + u"4 Jolene"_s + b
                + u"1 Johnny"_s + s + u'1'},
        {"flagged only", 0, {u"Jo"_s, {}, {}, true, false}, u"John"_s + a + u"1 Jolene"_s + b + u'1'},
        {"recordings only", 0, {u"Jo"_s, {}, {}, false, true}, u"Joan"_s + a + u"4 Jolene"_s + b + u'1'},
        {"flagged recordings", 0, {u"Jo"_s, {}, {}, true, true}, u"Jolene"_s + b + u'1'},
        {"notes", 0, {{}, {}, u"Jo"_s}, u"Zed"_s + a + u'5'},
        {"today's day folder", 1, {u"Jo"_s, {}, {}}, u"Jolene"_s + b + u'1'},
        {"Data\\Log", 2, {u"Jo"_s, {}, {}}, u"John"_s + a + u"1 Joan"_s + a + u"4 Jolene"_s + b + u'1'},
        {"Data\\Saved", 3, {u"Jo"_s, {}, {}}, u"Johnny"_s + s + u'1'},
        {"a missing Data\\Recycle", 4, {u"Jo"_s, {}, {}}, QString()},
        {"position 5 is position 0", 5, {{}, {}, u"Jo"_s}, u"Zed"_s + a + u'5'},
        // Fields are compared with their padding trimmed.
        {"a text ending in a blank is not found in the padding", 0, {u"Zed "_s, {}, {}}, QString()},
        {"a text starting with a blank is not found in it either", 0, {{}, u" 1234"_s, {}}, QString()},
        {"blanks inside the field count", 0, {{}, {}, u" Jo back"_s}, u"Zed"_s + a + u'5'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const std::optional<qint32> found = StartCallSearch(grid, c.position, c.criteria, searchWindow);
        EXPECT_EQ(rows(), c.rows);
        ASSERT_TRUE(found);
        EXPECT_EQ(*found, grid.Rows());
        EXPECT_EQ(searchWindow.panelText(1), u"Found %1 calls"_s.arg(grid.Rows()));
    }
}

TEST_F(CallSearchTest, WithoutTextsNothingIsSearchedAndTheGridStays)
{
    ASSERT_TRUE(StartCallSearch(grid, 0, {u"Jo"_s, {}, {}, false, false}, searchWindow));
    const qint32 before = grid.Rows();
    EXPECT_FALSE(StartCallSearch(grid, 0, {{}, {}, {}, true, true}, searchWindow));
    EXPECT_EQ(grid.Rows(), before);
}

TEST_F(CallSearchTest, SearchRowsNameEveryCallsRecordingAndShowTheEmergencyImage)
{
    ASSERT_TRUE(StartCallSearch(grid, 2, {u"Zed"_s, u"9990000"_s, {}}, searchWindow));
    ASSERT_EQ(grid.Rows(), 2);
    // An incoming call (type 0) has a file name here, unlike in the main list.
    EXPECT_EQ(grid.CellText(1, CallColumn::FileName), u"Zed_1234_12-09-2026_10-00-00.wav"_s);
    EXPECT_EQ(grid.CellIcon(1, CallColumn::Emergency), CallImage::Emergency);
    EXPECT_EQ(grid.CellIcon(2, CallColumn::Emergency), -1);
    EXPECT_EQ(grid.Columns(), 12);
}

TEST_F(CallSearchTest, StopMidFileReadsNoFurtherRecordAndTheCountIsTheRows)
{
    QList<CallRecord> many;
    for (int i = 1; i <= 40; ++i)
        many.append(call(u"Jo%1"_s.arg(i), u"1"_s, u"0"_s));
    writeDay(kDayA, many);
    SetSearchEventInterval(0);
    QTimer stopper;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        if (grid.Rows() >= 3)
            StopCallSearch(grid);
    });
    stopper.start(0);
    const std::optional<qint32> found = StartCallSearch(grid, 2, {u"Jo"_s, {}, {}}, searchWindow);
    ASSERT_TRUE(found);
    EXPECT_EQ(grid.Rows(), 3);
    EXPECT_EQ(*found, 3);
    EXPECT_FALSE(g_bSearchRunning);
    EXPECT_TRUE(grid.Redraw());
    EXPECT_EQ(searchWindow.panelText(1), u"Found 3 calls"_s);
    // The running count went through the status bar as the rows came in.
    EXPECT_TRUE(searchWindow.calls().contains(
        RecordedMainWindow::Call{RecordedMainWindow::Call::PanelText, 1, u"Found 2 calls"_s}));
}

} // namespace

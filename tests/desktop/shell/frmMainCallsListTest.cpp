#include "common/CallStore.h"
#include "common/DataPaths.h"
#include "common/RegistryRoutines.h"
#include "desktop/calls/CallsList.h"
#include "desktop/calls/frmDater.h"
#include "desktop/foundation/CallIcons.h"
#include "desktop/foundation/CallRows.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/MainWindowSurfaces.h"
#include "desktop/foundation/Translation.h"
#include "desktop/shell/ShellGlobals.h"
#include "desktop/shell/frmMain.h"
#include "platform/ScriptedServiceManager.h"
#include "platform/grid/vbalGrid.h"
#include "tests/desktop/shell/RecordingOpener.h"
#include "tests/desktop/shell/RecordingTray.h"
#include "tests/support/CallDays.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestClock.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/widgets/WidgetShots.h"

#include <QAction>
#include <QCalendarWidget>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QProgressBar>
#include <QScreen>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString kDayBefore = u"\\Data\\Log\\2026\\12\\09\\"_s;

// The main window loaded on 12/10/2026 09:30 with a translation whose line n
// reads "#n"; each test writes its day files first.
class frmMainCallsListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.installDefaults();
        QDir().mkpath(env.programFolder() + u"/Trans"_s);
        QFile file(env.programFolder() + u"/Trans/Test.txt"_s);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (int n = 1; n <= 1000; ++n)
            file.write(u"#%1\r\n"_s.arg(n).toUtf8());
        file.close();
        ASSERT_EQ(LoadTranslation(file.fileName()), 0);
        g_sColOrder.clear();
        lCol = 0;
        g_bMarkAsReadInPlay = false;
        g_bDelFromDiaryWhenDelLast = false;
    }
    void TearDown() override
    {
        SetMainWindow(nullptr);
        window.reset();
        ResetTranslation();
        g_bMarkAsReadInPlay = false;
        g_bDelFromDiaryWhenDelLast = false;
        g_bStartingUp = false;
    }

    frmMain& load()
    {
        window = std::make_unique<frmMain>();
        SetMainWindow(window.get());
        window->Load(false);
        return *window;
    }

    frmMain& shown()
    {
        frmMain& w = window ? *window : load();
        w.ShowWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
        return w;
    }

    vbalGrid& grid() { return *window->vbalGrid1; }
    CallsList& list() { return *window->CallsList1(); }

    bool menuChecked(const QString& key) { return window->m_cMenu.Checked(window->m_cMenu.IndexForKey(key)); }
    bool editMenuOn() { return window->m_cMenu.Enabled(window->m_cMenu.IndexForKey(u"Edit"_s)); }
    bool noItemsShown() { return !window->picNoItems->isHidden(); }

    QPoint cellCentre(qint32 row, qint32 column)
    {
        return grid().visualRect(grid().model()->index(row - 1, column - 1)).center();
    }
    void clickHeader(qint32 column)
    {
        QHeaderView* header = grid().horizontalHeader();
        const int x = header->sectionViewportPosition(column - 1) + header->sectionSize(column - 1) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }

    QStringList shownNames()
    {
        QStringList names;
        for (qint32 r = 1; r <= grid().Rows(); ++r)
            names << grid().CellText(r, CallColumn::CallerName);
        return names;
    }

    TestEnvironment env;
    TestClock clock;
    ScriptedServiceManager manager;
    ServiceManagerOverride managerInstalled{manager};
    RecordingTrays trays;
    RecordingOpener opener;
    std::unique_ptr<frmMain> window;
};

CallRecord withNote(CallRecord record, const QString& note)
{
    record.Notes = note;
    return record;
}

TEST_F(frmMainCallsListTest, CreateCallsListListsWholeRecordsOnly)
{
    const CallRecord plain = storedCall(u"Ann"_s, u"1"_s, u"09:30:05"_s);
    CallRecord unreadVoice = plain;
    unreadVoice.CallType = u"2"_s;
    unreadVoice.ReadMark = u" "_s;
    CallRecord readVoice = unreadVoice;
    readVoice.ReadMark = u"1"_s;
    CallRecord nulMarks = plain;
    nulMarks.EmergencyMark = QString(1, QChar(0));
    nulMarks.FlagMark = QString(1, QChar(0));
    const QByteArray three = plain.toBytes() + plain.toBytes() + plain.toBytes();

    struct Case {
        const char* why;
        std::optional<QByteArray> file; // nullopt: no Data file
        qint32 rows;
        std::function<void(vbalGrid&)> check;
    };
    const Case cases[] = {
        {"no Data file", std::nullopt, 0, {}},
        {"an empty Data file", QByteArray(), 0, {}},
        {"a torn tail of 233 bytes", three + QByteArray(233, 'x'), 3, {}},
        {"a torn tail of 234 bytes is no call either", three + QByteArray(234, 'x'), 3, {}},
        {"a note never written", plain.toBytes(), 1,
            [](vbalGrid& g) {
                EXPECT_EQ(g.CellText(1, CallColumn::Note), QString());
                EXPECT_EQ(g.RowHeight(1), 22);
            }},
        {"a three-line note", withNote(plain, u"one\r\ntwo\r\nthree"_s).toBytes(), 1,
            [](vbalGrid& g) {
                EXPECT_EQ(g.CellText(1, CallColumn::Note), u"one\r\ntwo\r\nthree"_s);
                EXPECT_EQ(g.RowHeight(1), g.CellTextHeight(1, 8) + 22 + 30);
            }},
        {"a read voice message", readVoice.toBytes(), 1,
            [](vbalGrid& g) {
                EXPECT_EQ(g.CellIcon(1, CallColumn::Type), CallImage::EnvelopeOpen);
                EXPECT_FALSE(g.CellFont(1, CallColumn::When).bold());
            }},
        {"an unread voice message", unreadVoice.toBytes(), 1,
            [](vbalGrid& g) {
                EXPECT_EQ(g.CellIcon(1, CallColumn::Type), CallImage::EnvelopeClosed);
                EXPECT_TRUE(g.CellFont(1, CallColumn::When).bold());
            }},
        {"marks left unwritten", nulMarks.toBytes(), 1,
            [](vbalGrid& g) {
                EXPECT_EQ(g.CellIcon(1, CallColumn::Emergency), -1);
                EXPECT_EQ(g.CellIcon(1, CallColumn::Flag), -1);
                EXPECT_EQ(g.CellText(1, CallColumn::SortDate), u"12/10/2026 09:30:05"_s);
                EXPECT_EQ(g.CellText(1, CallColumn::Folder), kDay);
            }},
    };
    load();
    const QString file = DataPaths::native(DataPaths::dayFile(kDay));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        QFile::remove(file);
        if (c.file) {
            QFile data(file);
            ASSERT_TRUE(data.open(QIODevice::WriteOnly));
            data.write(*c.file);
        }
        window->cToolbar2_ButtonClick(1);
        EXPECT_EQ(list().SelectedTreeItem, kDay);
        EXPECT_EQ(grid().Rows(), c.rows);
        EXPECT_EQ(window->PanelText(2), QString::number(c.rows) + u" #19"_s);
        EXPECT_EQ(noItemsShown(), c.rows == 0);
        EXPECT_EQ(editMenuOn(), c.rows > 0);
        EXPECT_EQ(grid().SelectedRow(), c.rows > 0 ? 1 : 0);
        EXPECT_FALSE(window->vbalProgressBar1->isVisibleTo(window.get()));
        EXPECT_TRUE(grid().Redraw());
        if (c.check)
            c.check(grid());
    }
}

TEST_F(frmMainCallsListTest, HeaderClicksSortAndDrawTheArrowOnlyOnTitledHeaders)
{
    writeDay(kDay,
        {storedCall(u"b"_s, u"2"_s, u"09:00:00"_s), storedCall(u"a"_s, u"1"_s, u"11:00:00"_s),
            storedCall(u"c"_s, u"3"_s, u"10:00:00"_s)});
    shown();
    // The start-up replayed the first-run sort: the caller, ascending.
    EXPECT_EQ(lCol, 4);
    EXPECT_EQ(grid().SortCriteria().column, 4);
    EXPECT_EQ(grid().SortCriteria().order, GridSort::Ascending);
    EXPECT_EQ(grid().ColumnIcon(4), CallImage::TriangleUp);
    window->cToolbar2_ButtonClick(1);
    EXPECT_EQ(shownNames(), QStringList({u"a"_s, u"b"_s, u"c"_s}));

    clickHeader(CallColumn::When);
    EXPECT_EQ(grid().SortCriteria().column, CallColumn::SortDate);
    EXPECT_EQ(shownNames(), QStringList({u"a"_s, u"c"_s, u"b"_s}));
    EXPECT_EQ(grid().ColumnIcon(CallColumn::When), CallImage::TriangleDown);
    EXPECT_EQ(grid().ColumnIcon(CallColumn::Caller), -1);
    clickHeader(CallColumn::When);
    EXPECT_EQ(shownNames(), QStringList({u"b"_s, u"c"_s, u"a"_s}));
    EXPECT_EQ(grid().ColumnIcon(CallColumn::When), CallImage::TriangleUp);
    EXPECT_EQ(lCol, CallColumn::When);
    EXPECT_EQ(g_sColOrder, QString());

    for (const qint32 column : {CallColumn::Emergency, CallColumn::Flag, CallColumn::Type}) {
        SCOPED_TRACE(column);
        if (grid().ColumnVisible(column))
            clickHeader(column);
        else
            window->vbalGrid1_ColumnClick(column); // hidden: the menus' and the replay's road
        EXPECT_EQ(grid().SortCriteria().column, column);
        EXPECT_EQ(grid().SortCriteria().sortType, GridSort::Icon);
        for (qint32 k = 1; k <= grid().Columns(); ++k) {
            EXPECT_NE(grid().ColumnIcon(k), CallImage::TriangleUp) << k;
            EXPECT_NE(grid().ColumnIcon(k), CallImage::TriangleDown) << k;
        }
    }
}

TEST_F(frmMainCallsListTest, FolderButtonsKeepOneDownAndTheViewMenuMarksFollow)
{
    writeDay(kDay, {storedCall(u"today"_s, u"1"_s, u"09:00:00"_s)});
    writeDay(kDayBefore, {storedCall(u"before"_s, u"2"_s, u"09:00:00"_s, u"12/09/2026"_s)});
    writeLast({u"1:"_s + kDayBefore});
    frmMain& w = load();
    struct Step {
        qint32 button;
        qint32 down;
        QStringList names;
    };
    const Step steps[] = {
        {1, 1, {u"today"_s}},
        {0, 0, {u"before"_s}},
        {2, 2, {u"before"_s}}, // the picker opens; the list stays
        {1, 1, {u"today"_s}},
    };
    const QString marks[] = {u"Last"_s, u"Today"_s, u"Log"_s};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.button);
        w.toolbar2Buttons.at(s.button)->trigger();
        for (qint32 b = 0; b < 3; ++b) {
            EXPECT_EQ(w.toolbar2Buttons.at(b)->isChecked(), b == s.down) << b;
            EXPECT_EQ(menuChecked(marks[b]), b == s.down) << b;
        }
        EXPECT_EQ(shownNames(), s.names);
    }
    ASSERT_NE(list().Dater(), nullptr);
    EXPECT_TRUE(list().Dater()->isVisible());
    EXPECT_EQ(list().Dater()->parentWidget(), &w);
    EXPECT_TRUE(list().Dater()->windowFlags().testFlag(Qt::Tool));
}

TEST_F(frmMainCallsListTest, DeleteTakesTheViewAndTheSettingIntoAccount)
{
    struct Case {
        const char* why;
        qint32 view; // folder button shown
        bool fromDay;
        QStringList dayLeft;
        QStringList lastLeft;
    };
    const QStringList all{u"a"_s, u"b"_s, u"c"_s};
    const QStringList withoutB{u"a"_s, u"c"_s};
    const Case cases[] = {
        {"today, the setting off", 1, false, withoutB, {u"2:"_s + kDay, u"1:"_s + kDay}},
        {"today, the setting on", 1, true, withoutB, {u"2:"_s + kDay, u"1:"_s + kDay}},
        {"recent calls, the setting off: only the line goes", 0, false, all,
            {u"3:"_s + kDay, u"1:"_s + kDay}},
        {"recent calls, the setting on", 0, true, withoutB, {u"2:"_s + kDay, u"1:"_s + kDay}},
    };
    frmMain& w = load();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        writeDay(kDay,
            {storedCall(u"a"_s, u"1"_s, u"09:01:00"_s), storedCall(u"b"_s, u"2"_s, u"09:02:00"_s),
                storedCall(u"c"_s, u"3"_s, u"09:03:00"_s)});
        writeLast({u"3:"_s + kDay, u"2:"_s + kDay, u"1:"_s + kDay});
        g_bDelFromDiaryWhenDelLast = c.fromDay;
        w.toolbar2Buttons.at(c.view)->trigger();
        const qint32 row = qint32(shownNames().indexOf(u"b"_s)) + 1;
        ASSERT_GT(row, 0);
        grid().SetSelectedRow(row);
        w.toolbar2Buttons.at(3)->trigger();
        EXPECT_EQ(dayNames(kDay), c.dayLeft);
        EXPECT_EQ(lastLines(), c.lastLeft);
        EXPECT_EQ(shownNames().size(), 2);
        EXPECT_FALSE(shownNames().contains(u"b"_s));
        // Delete leaves the folder buttons as they were.
        EXPECT_TRUE(w.toolbar2Buttons.at(c.view)->isChecked());
    }
}

// The day file cannot be written: read-only, and its lock cannot be taken
// (root writes through file modes).
void makeUnwritable(const QString& dayFolder)
{
    const QString file = DataPaths::native(DataPaths::dayFile(dayFolder));
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    const QString lock = QFileInfo(file).absolutePath() + u"/.Data.lock"_s;
    QFile::remove(lock);
    ASSERT_TRUE(QDir().mkpath(lock));
}

TEST_F(frmMainCallsListTest, AFlagClickWritesTheFlagAndTheRowFollowsOnlyAWrite)
{
    writeDay(kDay, {storedCall(u"a"_s, u"1"_s, u"09:01:00"_s), storedCall(u"b"_s, u"2"_s, u"09:02:00"_s)});
    shown();
    window->cToolbar2_ButtonClick(1);
    const qint32 row = qint32(shownNames().indexOf(u"b"_s)) + 1;
    const qint64 at = (2 - 1) * CallRecord::Size + 1; // record 2's FlagMark
    QTest::mouseClick(grid().viewport(), Qt::LeftButton, {}, cellCentre(row, CallColumn::Flag));
    EXPECT_EQ(dayBytes(kDay).at(at), '1');
    EXPECT_EQ(grid().CellIcon(row, CallColumn::Flag), CallImage::Flag);
    // The click moved the current column off the flag, as the grid's
    // column-select says; the next click still flags.
    EXPECT_EQ(grid().SelectedColumn(), CallColumn::Emergency);
    QTest::mouseClick(grid().viewport(), Qt::LeftButton, {}, cellCentre(row, CallColumn::Flag));
    EXPECT_EQ(dayBytes(kDay).at(at), '0');
    EXPECT_EQ(grid().CellIcon(row, CallColumn::Flag), -1);

    ASSERT_NO_FATAL_FAILURE(makeUnwritable(kDay));
    const QByteArray before = dayBytes(kDay);
    QTest::mouseClick(grid().viewport(), Qt::LeftButton, {}, cellCentre(row, CallColumn::Flag));
    EXPECT_EQ(dayBytes(kDay), before);
    EXPECT_EQ(grid().CellIcon(row, CallColumn::Flag), -1);
}

TEST_F(frmMainCallsListTest, TheRightButtonOpensTheCallMenuOnlyOverAList)
{
    shown();
    window->cToolbar2_ButtonClick(1); // no calls today
    QMenu* menu = window->m_cMenu.MenuOf(window->m_cMenu.IndexForKey(u"RCC_CallProp"_s));
    ASSERT_NE(menu, nullptr);
    QTest::mouseClick(grid().viewport(), Qt::RightButton, {}, QPoint(20, 20));
    QCoreApplication::processEvents();
    EXPECT_FALSE(menu->isVisible());

    writeDay(kDay, {storedCall(u"a"_s, u"1"_s, u"09:01:00"_s)});
    window->cToolbar2_ButtonClick(1);
    QTest::mouseClick(grid().viewport(), Qt::RightButton, {}, cellCentre(1, CallColumn::Caller));
    EXPECT_TRUE(waitUntil([&] { return menu->isVisible(); }));
    menu->hide();
}

TEST_F(frmMainCallsListTest, AClickMarksAnUnreadCallReadOnlyWithoutARecording)
{
    CallRecord unread = storedCall(u"plain"_s, u"1"_s, u"09:01:00"_s);
    unread.ReadMark = u" "_s;
    CallRecord voice = storedCall(u"voice"_s, u"2"_s, u"09:02:00"_s);
    voice.CallType = u"2"_s;
    voice.ReadMark = u" "_s;
    writeDay(kDay, {unread, voice});
    ASSERT_TRUE(RegistryRoutines::forProduct(u"Properties\\TabGeneral"_s)
                    .setString(u"chkMarkAsReadInPlay"_s, u"1"_s));
    shown();
    ASSERT_TRUE(g_bMarkAsReadInPlay);
    window->cToolbar2_ButtonClick(1);
    struct Case {
        const char* name;
        qint32 record;
        bool boldAfter;
        QString markAfter;
    };
    const Case cases[] = {{"plain", 1, false, u"1"_s}, {"voice", 2, true, u" "_s}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const qint32 row = qint32(shownNames().indexOf(QString::fromLatin1(c.name))) + 1;
        QTest::mouseClick(grid().viewport(), Qt::LeftButton, {}, cellCentre(row, CallColumn::Caller));
        EXPECT_EQ(grid().CellFont(row, CallColumn::When).bold(), c.boldAfter);
        CallRecord stored;
        ASSERT_TRUE(ReadCallRecord(stored, kDay, c.record));
        EXPECT_EQ(stored.ReadMark.left(1), c.markAfter);
    }
}

TEST_F(frmMainCallsListTest, ADoubleClickOpensTheCallUnlessTheWindowWaits)
{
    writeDay(kDay, {storedCall(u"a"_s, u"1"_s, u"09:01:00"_s)});
    frmMain& w = shown();
    w.cToolbar2_ButtonClick(1);
    bool waitedWhileOpen = false;
    opener.onShow = [&] { waitedWhileOpen = w.cursor().shape() == Qt::WaitCursor; };

    w.setCursor(Qt::WaitCursor);
    QTest::mouseDClick(grid().viewport(), Qt::LeftButton, {}, cellCentre(1, CallColumn::Caller));
    EXPECT_TRUE(opener.shown().isEmpty());
    EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor);

    QTest::mouseDClick(grid().viewport(), Qt::LeftButton, {}, cellCentre(1, CallColumn::Caller));
    EXPECT_EQ(opener.shown(), QStringList({u"show frmCallDetails 0"_s}));
    EXPECT_TRUE(waitedWhileOpen);
    EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor);
}

// Picks date in the open picker as the keyboard does: select it, press Enter.
void pick(frmDater& dater, const QDate& date)
{
    dater.MonthCal1->setSelectedDate(date);
    auto* view = dater.MonthCal1->findChild<QTableView*>();
    ASSERT_NE(view, nullptr);
    QTest::keyClick(view, Qt::Key_Return);
}

TEST_F(frmMainCallsListTest, ThePickerOpensAtTheStoredEdgesOrCentred)
{
    struct Case {
        const char* why;
        const char* left; // nullptr: not stored
        const char* top;
        bool leftCentred;
        bool topCentred;
    };
    const Case cases[] = {
        {"both stored", "1500", "3000", false, false},
        {"the top missing", "1500", nullptr, true, true},
        {"the left no number", "abc", "3000", true, false},
    };
    frmMain& w = load();
    const QRect screen = w.screen()->geometry();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const RegistryRoutines dater = RegistryRoutines::forProduct(u"Dater"_s);
        for (const auto& [name, value] : {std::pair{u"Left"_s, c.left}, std::pair{u"Top"_s, c.top}}) {
            if (value)
                ASSERT_TRUE(dater.setString(name, QString::fromLatin1(value)));
            else
                (void)dater.DeleteValue(name);
        }
        w.cToolbar2_ButtonClick(2);
        frmDater* picker = list().Dater();
        ASSERT_NE(picker, nullptr);
        const QPoint pos = picker->pos() - screen.topLeft();
        const QSize outer = picker->MonthCal1->size() + QSize(60 / 15, 330 / 15);
        const int centreX = (screen.width() - outer.width()) / 2;
        const int centreY = (screen.height() - outer.height()) / 2;
        EXPECT_NEAR(pos.x(), c.leftCentred ? centreX : 100, 1);
        EXPECT_NEAR(pos.y(), c.topCentred ? centreY : 200, 1);
        EXPECT_EQ(picker->MonthCal1->pos(), QPoint(-1, -1));
        (void)dater.DeleteValue(u"Left"_s);
        picker->setAttribute(Qt::WA_DeleteOnClose, false);
        picker->close();
        delete picker;
    }
}

TEST_F(frmMainCallsListTest, APickedDayIsListedAndTheSameDayReloadsOnlyAfterAnotherView)
{
    writeDay(kDay, {storedCall(u"today"_s, u"1"_s, u"09:00:00"_s)});
    writeDay(kDayBefore, {storedCall(u"before"_s, u"2"_s, u"09:00:00"_s, u"12/09/2026"_s)});
    writeLast({u"1:"_s + kDayBefore});
    frmMain& w = shown();
    w.cToolbar2_ButtonClick(2);
    frmDater* picker = list().Dater();
    ASSERT_NE(picker, nullptr);
    pick(*picker, QDate(2026, 12, 9));
    EXPECT_EQ(list().SelectedTreeItem, kDayBefore);
    EXPECT_EQ(shownNames(), QStringList({u"before"_s}));
    EXPECT_TRUE(picker->isVisible());

    // The list already shows that day: a second pick leaves it.
    writeDay(kDayBefore, {storedCall(u"changed"_s, u"2"_s, u"09:00:00"_s, u"12/09/2026"_s)});
    pick(*picker, QDate(2026, 12, 9));
    EXPECT_EQ(shownNames(), QStringList({u"before"_s}));

    // Today, then the recent calls, then today in the picker: today again.
    w.cToolbar2_ButtonClick(1);
    w.cToolbar2_ButtonClick(0);
    EXPECT_EQ(list().SelectedTreeItem, kDay);
    pick(*picker, QDate(2026, 12, 10));
    EXPECT_EQ(shownNames(), QStringList({u"today"_s}));
    // The list no longer shows the recent calls: the picker's button is down.
    EXPECT_TRUE(w.toolbar2Buttons.at(2)->isChecked());
    EXPECT_FALSE(w.toolbar2Buttons.at(0)->isChecked());

    // A day without calls: the empty list.
    pick(*picker, QDate(2026, 12, 1));
    EXPECT_EQ(grid().Rows(), 0);
    EXPECT_TRUE(noItemsShown());
}

TEST_F(frmMainCallsListTest, ClosingThePickerStoresItsPlaceAndTheNextOpeningRestoresIt)
{
    frmMain& w = shown();
    w.cToolbar2_ButtonClick(2);
    QPointer<frmDater> picker = list().Dater();
    ASSERT_TRUE(picker);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(picker.data()));
    const QPoint screenTop = picker->screen()->geometry().topLeft();
    picker->move(screenTop + QPoint(40, 60));
    picker->close();
    EXPECT_TRUE(waitUntil([&] { return picker.isNull(); }));
    const RegistryRoutines dater = RegistryRoutines::forProduct(u"Dater"_s);
    EXPECT_EQ(dater.getString(u"Left"_s), u"600"_s);
    EXPECT_EQ(dater.getString(u"Top"_s), u"900"_s);

    w.cToolbar2_ButtonClick(2);
    ASSERT_NE(list().Dater(), nullptr);
    EXPECT_EQ(list().Dater()->pos(), screenTop + QPoint(40, 60));
}

TEST_F(frmMainCallsListTest, Screenshots)
{
    CallRecord unread = storedCall(u"Maria Lopez"_s, u"555-0101"_s, u"08:15:42"_s);
    unread.ReadMark = u" "_s;
    CallRecord flagged = storedCall(u"Hardware Store"_s, u"555-0199"_s, u"09:02:10"_s);
    flagged.FlagMark = u"1"_s;
    CallRecord emergency = storedCall(u"Dr. Chen"_s, u"555-0123"_s, u"09:20:00"_s);
    emergency.EmergencyMark = u"1"_s;
    emergency.ReadMark = u" "_s;
    CallRecord voice = storedCall(u"Tom Baker"_s, u"555-0142"_s, u"10:05:31"_s);
    voice.CallType = u"2"_s;
    voice.ReadMark = u" "_s;
    voice.Length = u"0:00:48"_s;
    CallRecord recorded = storedCall(u"Office"_s, u"555-0177"_s, u"10:40:03"_s);
    recorded.CallType = u"4"_s;
    recorded.Length = u"0:03:12"_s;
    const CallRecord noted = withNote(storedCall(u"Jane Doe"_s, u"555-0188"_s, u"11:12:59"_s),
        u"Called about the invoice.\r\nWants a call back after 3 pm.\r\nNumber checked."_s);
    writeDay(kDay, {unread, flagged, emergency, voice, recorded, noted});
    frmMain& w = shown();
    w.resize(900, 620);
    w.cToolbar2_ButtonClick(1);
    clickHeader(CallColumn::When);
    QCoreApplication::processEvents();
    EXPECT_TRUE(WidgetShots::save(&w, u"call-list.png"_s));

    w.cToolbar2_ButtonClick(2);
    ASSERT_NE(list().Dater(), nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list().Dater()));
    EXPECT_TRUE(WidgetShots::save(list().Dater(), u"date-picker.png"_s));
}

} // namespace

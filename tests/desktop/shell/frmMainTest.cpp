#include "desktop/shell/frmMain.h"

#include "common/DataPaths.h"
#include "common/RegistryRoutines.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/MainWindowSurfaces.h"
#include "desktop/foundation/Translation.h"
#include "desktop/shell/ShellGlobals.h"
#include "desktop/shell/frmProc.h"
#include "platform/ScriptedServiceManager.h"
#include "platform/grid/vbalGrid.h"
#include "tests/desktop/shell/RecordingOpener.h"
#include "tests/desktop/shell/RecordingTray.h"
#include "tests/support/CallDays.h"
#include "tests/support/ChannelListener.h"
#include "tests/support/TestClock.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/widgets/WidgetShots.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString root(const QString& name)
{
    return RegistryRoutines::forProduct(QString()).getString(name);
}

void setValue(const QString& subkey, const QString& name, const QString& value)
{
    ASSERT_TRUE(RegistryRoutines::forProduct(subkey).setString(name, value)) << name.toStdString();
}

// One installation, a recording tray and opener and a test clock at
// 12/10/2026 09:30; the window is made by each test after its settings.
class frmMainTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.installDefaults();
        g_sColOrder.clear();
        lCol = 0;
        g_bMainHidden = false;
        g_bExiting = false;
        g_bServiceMode = false;
    }
    void TearDown() override
    {
        SetMainWindow(nullptr);
        window.reset();
        g_bExiting = false;
        g_bServiceMode = false;
        g_bStartingUp = false;
        g_bAutoMode = false;
        g_bLineOff = false;
    }

    frmMain& load(bool shown = false)
    {
        window = std::make_unique<frmMain>();
        SetMainWindow(window.get());
        window->Load(shown);
        return *window;
    }

    TestEnvironment env;
    TestClock clock;
    ScriptedServiceManager manager;
    ServiceManagerOverride managerInstalled{manager};
    RecordingTrays trays;
    RecordingOpener opener;
    std::unique_ptr<frmMain> window;
};

TEST_F(frmMainTest, LoadMarksTheRunMakesTodaysFolderAndLoadsTheHiddenWindowsInOrder)
{
    frmMain& w = load();
    EXPECT_EQ(root(u"bRun"_s), u"1");
    EXPECT_TRUE(QDir(env.programFolder() + u"/Data/Log/2026/12/10"_s).exists());
    EXPECT_EQ(opener.log, QStringList({u"load frmEvents"_s, u"load frmContact"_s, u"load frmProperties"_s}));
    EXPECT_EQ(w.windowTitle(), g_sProductTitle);
    EXPECT_FALSE(g_bStartingUp);
    EXPECT_EQ(g_sToday, u"12/10/2026");
    EXPECT_EQ(w.PanelText(1), u"12/10/2026 - 09:30 AM");
    // Loaded into the tray: a call ending unseen must find it hidden.
    EXPECT_TRUE(g_bMainHidden);
}

TEST_F(frmMainTest, OptionsConvertAsStoredAndKeepTheirValueWhereTheTextIsNoNumber)
{
    struct Case {
        const char* stored; // nullptr: nothing stored
        bool before;
        bool after;
        qint32 numberBefore;
        qint32 numberAfter;
    };
    const Case cases[] = {
        {"1", false, true, 0, 1},
        {"0", true, false, 5, 0},
        {"abc", true, true, 5, 5},
        {nullptr, true, false, 5, 0},
    };
    const std::pair<QString, QString> values[] = {{u"Properties\\TabGeneral"_s, u"chkMarkAsReadInPlay"_s},
        {u"Events\\TabInCommingCall"_s, u"chkWhenCallerID"_s},
        {u"Events\\Advanced"_s, u"txtCLosePersonalAfter"_s}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "nothing");
        for (const auto& [subkey, name] : values) {
            if (c.stored)
                setValue(subkey, name, QString::fromLatin1(c.stored));
            else
                (void)RegistryRoutines::forProduct(subkey).DeleteValue(name);
        }
        g_bMarkAsReadInPlay = c.before;
        g_bWhenCallerID = c.before;
        g_lClosePersonalAfter = c.numberBefore;
        load();
        EXPECT_EQ(g_bMarkAsReadInPlay, c.after);
        EXPECT_EQ(g_bWhenCallerID, c.after);
        EXPECT_EQ(g_lClosePersonalAfter, c.numberAfter);
        SetMainWindow(nullptr);
        window.reset();
    }
}

TEST_F(frmMainTest, SortRestoreReplaysTheStoredColumnAndOrder)
{
    struct Case {
        const char* lCol; // nullptr: nothing stored
        const char* order;
        qint32 column;
        qint32 sortColumn;
        qint32 sortOrder;
        const char* orderAfter;
    };
    const Case cases[] = {
        {nullptr, nullptr, 4, 4, GridSort::Ascending, ""},
        {"0", "", 4, 4, GridSort::Ascending, ""},
        {"5", "DESC", 5, 13, GridSort::Descending, "DESC"},
        {"abc", "", 4, 4, GridSort::Ascending, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lCol ? c.lCol : "nothing");
        if (c.lCol) {
            setValue(QString(), u"lCol"_s, QString::fromLatin1(c.lCol));
            setValue(QString(), u"g_sColOrder"_s, QString::fromLatin1(c.order));
        }
        frmMain& w = load();
        EXPECT_EQ(lCol, c.column);
        EXPECT_EQ(g_sColOrder, QString::fromLatin1(c.orderAfter));
        EXPECT_EQ(w.vbalGrid1->SortCriteria().column, c.sortColumn);
        EXPECT_EQ(w.vbalGrid1->SortCriteria().order, c.sortOrder);
        EXPECT_TRUE(w.vbalGrid1->Redraw());
        w.ExitApp();
        EXPECT_EQ(root(u"lCol"_s), QString::number(c.column));
        EXPECT_EQ(root(u"g_sColOrder"_s), QString::fromLatin1(c.orderAfter));
        SetMainWindow(nullptr);
        window.reset();
    }
}

TEST_F(frmMainTest, PlacementIsRestoredInTwipsAndAMaximisedExitKeepsTheNormalRectangle)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    {
        SCOPED_TRACE("nothing stored");
        frmMain& w = load();
        EXPECT_EQ(w.size(), QSize(633, 492));
        EXPECT_NEAR(w.x() - screen.x(), (screen.width() * 15 / 2 - 9495 / 2) / 15, 1);
        EXPECT_NEAR(w.y() - screen.y(), (screen.height() * 15 / 2 - 7380 / 2) / 15, 1);
        EXPECT_EQ(w.windowState(), Qt::WindowNoState);
        SetMainWindow(nullptr);
        window.reset();
    }
    struct Case {
        const char* state;
        Qt::WindowStates restored;
        const char* stateAfter;
    };
    const Case cases[] = {{"1", Qt::WindowNoState, "0"}, {"2", Qt::WindowMaximized, "2"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        setValue(QString(), u"lLeft"_s, u"1500"_s);
        setValue(QString(), u"lTop"_s, u"750"_s);
        setValue(QString(), u"lWidth"_s, u"9000"_s);
        setValue(QString(), u"lHeight"_s, u"6000"_s);
        setValue(QString(), u"lState"_s, QString::fromLatin1(c.state));
        frmMain& w = load(true);
        EXPECT_EQ(w.windowState() & (Qt::WindowMaximized | Qt::WindowMinimized), c.restored);
        if (c.restored == Qt::WindowNoState) {
            EXPECT_EQ(w.size(), QSize(600, 400));
            EXPECT_EQ(w.pos(), screen.topLeft() + QPoint(100, 50));
        }
        w.ExitApp();
        EXPECT_EQ(root(u"lState"_s), QString::fromLatin1(c.stateAfter));
        EXPECT_EQ(root(u"lWidth"_s), u"9000");
        EXPECT_EQ(root(u"lHeight"_s), u"6000");
        EXPECT_EQ(root(u"lLeft"_s), u"1500");
        EXPECT_EQ(root(u"bRun"_s), u"0");
        SetMainWindow(nullptr);
        window.reset();
    }
}

TEST_F(frmMainTest, ResizesLayTheRegionsOutAndATinyWindowStopsAtTheSmallestSize)
{
    frmMain& w = load(true);
    w.setWindowState(Qt::WindowNoState);
    w.resize(800, 600);
    QApplication::processEvents();
    const int holder = w.picHolder->height();
    EXPECT_GT(holder, 0);
    EXPECT_EQ(w.PicCallDetails->geometry(), QRect(0, holder, 800, 97));
    EXPECT_EQ(w.picCallsList->y(), holder + 97);
    EXPECT_GE(w.picCallsList->height(), 33);
    EXPECT_EQ(w.vbalGrid1->y(), holder + 97 + w.picCallsList->height() - 10);
    EXPECT_EQ(w.vbalGrid1->x(), 0);
    EXPECT_EQ(w.vbalGrid1->width(), (800 * 15 - 100) / 15);
    const int expectedHeight = (600 * 15 - (w.statusBar()->height() * 15 + (holder + 97) * 15 + 340)) / 15;
    EXPECT_NEAR(w.vbalGrid1->height(), expectedHeight, 1);
    // No blank band: the list reaches the status bar.
    EXPECT_NEAR(w.vbalGrid1->geometry().bottom() + 1, w.statusBar()->y(), 1);
    // The folder bar stays clear of the list's top.
    EXPECT_LE(w.picCallsList->y() + w.cToolbar2->geometry().bottom() + 1, w.vbalGrid1->y());
    EXPECT_EQ(w.picNoItems->size(), QSize(313, 17));
    EXPECT_NEAR(w.picNoItems->x(), w.vbalGrid1->width() / 2 - 313 / 2, 1);
    EXPECT_NEAR(w.picNoItems->y(), w.vbalGrid1->y() + 53, 1);

    // A tiny window stops at the smallest size, where the list keeps room.
    w.resize(200, 120);
    QApplication::processEvents();
    EXPECT_EQ(w.size(), QSize(frmMain::kMinimumWidth, frmMain::kMinimumHeight));
    EXPECT_GT(w.vbalGrid1->height(), 0);
    EXPECT_NEAR(w.vbalGrid1->geometry().bottom() + 1, w.statusBar()->y(), 1);
    EXPECT_EQ(w.PicCallDetails->width(), frmMain::kMinimumWidth);
}

TEST_F(frmMainTest, TheCloseBoxHidesAndExitEndsTheServiceOnlyOutsideServiceMode)
{
    ChannelListener service(env, {u"305"_s});
    ASSERT_TRUE(service.waitUntilListening());
    {
        SCOPED_TRACE("close box");
        frmMain& w = load(true);
        g_bMainHidden = false;
        EXPECT_FALSE(w.close());
        EXPECT_FALSE(w.isVisible());
        EXPECT_TRUE(g_bMainHidden);
        EXPECT_FALSE(g_bExiting);
        EXPECT_EQ(root(u"bRun"_s), u"1");
        EXPECT_TRUE(staysFalse([&] { return !service.waitForLines(1, 0).isEmpty(); }, 300));
        SetMainWindow(nullptr);
        window.reset();
    }
    struct Case {
        const char* runAsProc;
        QList<QByteArray> heard;
    };
    const Case cases[] = {{"1", {}}, {"0", {"305 UNLOAD"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.runAsProc);
        setValue(u"Properties\\TabGeneral"_s, u"ChkRunAsProc"_s, QString::fromLatin1(c.runAsProc));
        frmMain& w = load(true);
        w.ExitApp();
        EXPECT_TRUE(g_bExiting);
        EXPECT_FALSE(w.isVisible());
        EXPECT_EQ(root(u"bRun"_s), u"0");
        EXPECT_EQ(root(u"lWidth"_s), u"9495");
        if (c.heard.isEmpty())
            EXPECT_TRUE(staysFalse([&] { return !service.waitForLines(1, 0).isEmpty(); }, 300));
        else
            EXPECT_EQ(service.waitForLines(1), c.heard);
        SetMainWindow(nullptr);
        window.reset();
        g_bExiting = false;
    }
}

TEST_F(frmMainTest, WithoutATrayTheCloseBoxMinimisesInsteadOfHiding)
{
    trays.available = false;
    frmMain& w = load(true);
    w.close();
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.isMinimized());
}

TEST_F(frmMainTest, PaneColoursKeepTheDesignWhenMissingAndApplyAStoredZero)
{
    frmMain& designed = load();
    const QColor back = designed.PaneBackColour();
    const QColor text = designed.PaneTextColour();
    EXPECT_NE(back, text);
    SetMainWindow(nullptr);
    window.reset();

    struct Case {
        const char* bg;
        const char* font;
        QColor back;
        QColor text;
    };
    const Case cases[] = {
        {"0", "16777215", QColor(0, 0, 0), QColor(255, 255, 255)},
        {"255", "0", QColor(255, 0, 0), QColor(0, 0, 0)},
        {"", "abc", back, text},
        {"16777216", "-1", back, text},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bg);
        setValue(u"Events\\Advanced"_s, u"picBG"_s, QString::fromLatin1(c.bg));
        setValue(u"Events\\Advanced"_s, u"picFont"_s, QString::fromLatin1(c.font));
        frmMain& w = load();
        EXPECT_EQ(w.PaneBackColour(), c.back);
        EXPECT_EQ(w.PaneTextColour(), c.text);
        EXPECT_EQ(w.lblMainCallerName->font().family(), u"Tahoma");
        EXPECT_TRUE(w.lblMainCallerName->font().bold());
        SetMainWindow(nullptr);
        window.reset();
    }
}

// For review: the window with recent calls and a caller in the pane, left to
// right and mirrored by a right-to-left translation.
TEST_F(frmMainTest, ScreenshotsWithRecentCallsAndACallerInThePane)
{
    const QString day = u"\\Data\\Log\\2026\\12\\10\\"_s;
    CallRecord unread = storedCall(u"Ann Lee"_s, u"5551234"_s, u"09:12:00"_s);
    unread.ReadMark = u" "_s;
    writeDay(day,
        {storedCall(u"Zoë Öberg"_s, u"5550101"_s, u"08:01:00"_s), unread,
            storedCall(u"Bob Hart"_s, u"5557788"_s, u"09:30:00"_s)});
    writeLast({u"3:"_s + day, u"2:"_s + day, u"1:"_s + day});

    QFile english(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt"));
    ASSERT_TRUE(english.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = english.readAll().split('\n');
    lines[9] = "RTL\r";
    QFile rtl(env.programFolder() + u"/Rtl.txt"_s);
    ASSERT_TRUE(rtl.open(QIODevice::WriteOnly));
    rtl.write(lines.join('\n'));
    rtl.close();

    struct Shot {
        QString translation;
        Qt::LayoutDirection direction;
        QString file;
    };
    const Shot shots[] = {
        {english.fileName(), Qt::LeftToRight, u"main-window.png"_s},
        {rtl.fileName(), Qt::RightToLeft, u"main-window-rtl.png"_s},
    };
    for (const Shot& shot : shots) {
        SCOPED_TRACE(shot.file.toStdString());
        ResetTranslation();
        ASSERT_EQ(LoadTranslation(shot.translation), 0);
        QApplication::setLayoutDirection(shot.direction);
        frmMain& w = load(true);
        w.lblMainDate->setText(u"12/10/2026"_s);
        w.lblMainTime->setText(u"09:30 AM"_s);
        w.lblMainCallerName->setText(u"Bob Hart"_s);
        w.lblMainCallerNumber->setText(u"5557788"_s);
        w.lblMainRingNum->setText(u"Ring 2"_s);
        for (QLabel* label :
            {w.lblMainDate, w.lblMainTime, w.lblMainCallerName, w.lblMainCallerNumber, w.lblMainRingNum})
            label->adjustSize();
        ASSERT_TRUE(waitUntil([&] { return w.isVisible(); }, 5000));
        QApplication::processEvents();
        EXPECT_EQ(w.vbalGrid1->Rows(), 3);
        EXPECT_EQ(w.PanelText(2), u"3 "_s + g_sTrans(19));
        const int first = w.cToolbar1->widgetForAction(w.toolbar1Buttons.first())->x();
        const int last = w.cToolbar1->widgetForAction(w.toolbar1Buttons.at(1))->x();
        EXPECT_EQ(first < last, shot.direction == Qt::LeftToRight);
        EXPECT_TRUE(WidgetShots::save(&w, shot.file));
        SetMainWindow(nullptr);
        window.reset();
    }
    QApplication::setLayoutDirection(Qt::LeftToRight);
    ResetTranslation();
}

} // namespace

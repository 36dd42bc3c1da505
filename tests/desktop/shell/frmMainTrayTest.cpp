#include "desktop/shell/frmMain.h"

#include "common/ChannelMessages.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/MainWindowSurfaces.h"
#include "desktop/foundation/Translation.h"
#include "desktop/shell/ShellGlobals.h"
#include "desktop/shell/frmProc.h"
#include "desktop/shell/frmSysTray.h"
#include "platform/ScriptedServiceManager.h"
#include "tests/desktop/shell/RecordingOpener.h"
#include "tests/desktop/shell/RecordingTray.h"
#include "tests/support/ChannelListener.h"
#include "tests/support/TestClock.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class frmMainTray : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.installDefaults();
        window = std::make_unique<frmMain>();
        SetMainWindow(window.get());
        window->Load(false);
        trays.last->requests.clear();
    }
    void TearDown() override
    {
        SetMainWindow(nullptr);
        window.reset();
        g_bStartingUp = false;
        g_bMainHidden = false;
        g_bAutoMode = false;
        g_bLineOff = false;
    }
    qsizetype iconChanges() const { return trays.last->requests.count(u"icon"_s); }

    TestEnvironment env;
    TestClock clock{QDateTime(QDate(2026, 12, 31), QTime(23, 59, 0))};
    ScriptedServiceManager manager;
    ServiceManagerOverride managerInstalled{manager};
    RecordingTrays trays;
    RecordingOpener opener;
    std::unique_ptr<frmMain> window;
};

TEST_F(frmMainTray, ALeftClickWhileStartingShowsTheBalloonAndLaterTheWindow)
{
    g_bStartingUp = true;
    window->m_frmSysTray_SysTrayMouseDown(1);
    EXPECT_EQ(trays.balloons(), QStringList({u"balloon 1 30000 "_s + g_sProductTitle + u'|' + g_sTrans(18)}));
    EXPECT_FALSE(window->isVisible());

    g_bStartingUp = false;
    window->showMinimized();
    window->m_frmSysTray_SysTrayMouseDown(1);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized());
}

TEST_F(frmMainTray, ARightClickOpensTheTrayMenuAndEndsTheBlinkVisible)
{
    window->tmrBlink.start();
    window->tmrBlink_Timer(); // blank now
    ASSERT_TRUE(window->m_bTrayIconHidden);
    g_bMainHidden = true;
    trays.last->activated(TrayIcon::Activation::Context);
    QMenu* menu = window->m_cMenu.MenuOf(window->m_cMenu.IndexForKey(u"stShow"_s));
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(waitUntil([&] { return menu->isVisible(); }));
    EXPECT_FALSE(window->tmrBlink.isActive());
    EXPECT_FALSE(window->m_bTrayIconHidden);
    EXPECT_FALSE(g_bMainHidden);
    EXPECT_EQ(iconChanges(), 2); // blanked, then back
    menu->hide();
}

TEST_F(frmMainTray, ABalloonClickShowsTheWindowOnlyWhileNoCallIsInProgress)
{
    ASSERT_NE(window->hub(), nullptr);
    for (const char* status : {"INCOME", "ANSWERED"}) {
        window->hub()->sCallStatus = QString::fromLatin1(status);
        trays.last->messageClicked();
        EXPECT_FALSE(window->isVisible()) << status;
    }
    window->hub()->sCallStatus = u"NOTHING"_s;
    trays.last->messageClicked();
    EXPECT_TRUE(window->isVisible());
}

TEST_F(frmMainTray, TheBlinkAlternatesEvery700MsAndEndsVisibleWhenTheWindowIsShown)
{
    EXPECT_EQ(window->tmrBlink.interval(), 700);
    window->tmrBlink.start();
    const bool phases[] = {true, false, true};
    for (bool hidden : phases) {
        window->tmrBlink_Timer();
        EXPECT_EQ(window->m_bTrayIconHidden, hidden);
    }
    EXPECT_EQ(iconChanges(), 3);
    window->ShowWindow();
    EXPECT_FALSE(window->tmrBlink.isActive());
    EXPECT_FALSE(window->m_bTrayIconHidden);
    EXPECT_EQ(iconChanges(), 4);
}

TEST_F(frmMainTray, TheClockShowsTheMediumTimeAndRenewsTodayAtMidnight)
{
    EXPECT_EQ(window->tmrStatus.interval(), 1000);
    EXPECT_TRUE(window->tmrStatus.isActive());
    window->tmrStatus_Timer();
    EXPECT_EQ(window->PanelText(1), u"12/31/2026 - 11:59 PM");
    EXPECT_EQ(g_sToday, u"12/31/2026");
    EXPECT_EQ(window->toolbar2Buttons.at(1)->data().toString(), u"*\\Data\\Log\\2026\\12\\31\\");

    clock.setNow(QDateTime(QDate(2027, 1, 1), QTime(0, 0, 0)));
    window->tmrStatus_Timer();
    EXPECT_EQ(window->PanelText(1), u"01/01/2027 - 12:00 AM");
    EXPECT_EQ(g_sToday, u"01/01/2027");
    EXPECT_EQ(window->toolbar2Buttons.at(1)->data().toString(), u"*\\Data\\Log\\2027\\01\\01\\");
}

TEST_F(frmMainTray, BarsCarryTheirButtonsKindsAndKeys)
{
    ASSERT_EQ(window->toolbar1Buttons.size(), 9);
    EXPECT_EQ(window->cToolbar1->iconSize(), QSize(32, 32));
    EXPECT_EQ(window->cToolbar1->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    EXPECT_FALSE(window->toolbar1Buttons.at(8)->isEnabled());
    EXPECT_EQ(window->toolbar1Buttons.at(1)->text(), u"     "_s + g_sTrans(104) + u"    "_s);
    auto* line
        = qobject_cast<QToolButton*>(window->cToolbar1->widgetForAction(window->toolbar1Buttons.at(0)));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->popupMode(), QToolButton::MenuButtonPopup);
    EXPECT_EQ(line->menu(), window->m_cMenu.MenuOf(window->m_cMenu.IndexForKey(u"ON"_s)));

    ASSERT_EQ(window->toolbar2Buttons.size(), 4);
    EXPECT_EQ(window->cToolbar2->iconSize(), QSize(16, 16));
    EXPECT_EQ(window->toolbar2Buttons.at(0)->data().toString(), g_sTrans(123));
    EXPECT_EQ(window->toolbar2Buttons.at(2)->data().toString(), u"\\Data\\Log\\");
    EXPECT_TRUE(window->toolbar2Buttons.at(0)->isChecked());
    window->toolbar2Buttons.at(2)->trigger();
    EXPECT_FALSE(window->toolbar2Buttons.at(0)->isChecked());
    EXPECT_FALSE(window->toolbar2Buttons.at(3)->isCheckable());
}

// Buttons 1 to 7 open their windows; the line button switches the line
// through the command channel unless auto mode or a call stands in its way.
TEST_F(frmMainTray, ToolbarButtonsOpenTheirWindowsAndSwitchTheLine)
{
    ChannelListener service(env, {u"308"_s});
    ASSERT_TRUE(service.waitUntilListening());
    struct Case {
        qint32 button;
        bool autoMode;
        bool lineOff;
        const char* callStatus;
        QStringList shown;
        QList<QByteArray> sent;
        bool changingText;
    };
    const Case cases[] = {
        {1, false, false, "NOTHING", {u"show frmEvents 1"_s}, {}, false},
        {2, false, false, "NOTHING", {u"show frmForward 0"_s}, {}, false},
        {3, false, false, "NOTHING", {u"show frmAccess 0"_s}, {}, false},
        {4, false, false, "NOTHING", {u"show frmContactList 0"_s}, {}, false},
        {5, false, false, "NOTHING", {u"show frmSearch 0"_s}, {}, false},
        {6, false, false, "NOTHING", {u"show frmProperties 1"_s}, {}, false},
        {7, false, false, "NOTHING", {u"show frmLog 0"_s}, {}, false},
        {0, false, false, "NOTHING", {}, {"308 OFF"}, true},
        {0, false, true, "NOTHING", {}, {"308 ON"}, true},
        {0, true, false, "NOTHING", {u"show frmProperties 3"_s}, {}, false},
        {0, false, false, "INCOME", {}, {}, true},
        {8, false, false, "NOTHING", {}, {}, false},
    };
    QList<QByteArray> heard;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
            << c.button << " auto " << c.autoMode << " off " << c.lineOff << " " << c.callStatus);
        opener.log.clear();
        window->SetPanelText(3, QString());
        g_bAutoMode = c.autoMode;
        g_bLineOff = c.lineOff;
        window->hub()->sCallStatus = QString::fromLatin1(c.callStatus);
        window->cToolbar1_ButtonClick(c.button);
        EXPECT_EQ(opener.shown(), c.shown);
        EXPECT_EQ(window->PanelText(3), c.changingText ? g_sTrans(813) : QString());
        if (c.sent.isEmpty()) {
            EXPECT_TRUE(staysFalse(
                [&] { return service.waitForLines(heard.size() + 1, 0).size() > heard.size(); }, 200));
        } else {
            heard << c.sent;
            EXPECT_EQ(service.waitForLines(heard.size()), heard);
        }
    }
}

TEST_F(frmMainTray, TheJournalButtonShowsTheHourglassUntilTheViewerCloses)
{
    Qt::CursorShape during = Qt::ArrowCursor;
    opener.onShow = [&] { during = window->cursor().shape(); };
    window->cToolbar1_ButtonClick(7);
    EXPECT_EQ(during, Qt::WaitCursor);
    EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
}

} // namespace

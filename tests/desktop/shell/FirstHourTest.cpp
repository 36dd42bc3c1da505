#include "desktop/calls/frmDialer.h"
#include "desktop/contacts/frmContact.h"
#include "desktop/contacts/mdlContactList.h"
#include "desktop/foundation/ContactStore.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/Translation.h"
#include "desktop/shell/MainWindowFrame.h"
#include "desktop/shell/ShellGlobals.h"
#include "desktop/shell/frmMain.h"
#include "desktop/shell/frmMessenger.h"
#include "platform/ScriptedServiceManager.h"
#include "platform/grid/vbalGrid.h"
#include "platform/widgets/BalloonTip.h"
#include "tests/desktop/foundation/ScriptedDialogs.h"
#include "tests/desktop/shell/RecordingTray.h"
#include "tests/e2e/LiveLine.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/widgets/WidgetShots.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// A person's first hour: the real main window, hub, pop-up, contact editor
// and dialer over the real service on the simulated line, the far end played
// by ringvale-line. Screenshots at each step go beside the others.
class FirstHour : public LiveLine {
protected:
    void SetUp() override
    {
        LiveLine::SetUp();
        ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Data/Log"_s));
        ASSERT_EQ(LoadTranslation(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt")), 0);
        g_bServiceMode = false;
        g_bCallOutPending = false;
        g_bCallOutRecPending = false;
        SetCallerPopUp(&popUp);
    }
    void TearDown() override
    {
        popUp.Unload();
        UnloadMainWindow();
        SetCallerPopUp(nullptr);
        ResetTranslation();
        LiveLine::TearDown();
        g_bStartingUp = false;
        g_bServiceMode = false;
        g_bMainHidden = false;
    }

    // The grid row that shows the number, or 0.
    qint32 rowOf(const QString& number) const
    {
        for (qint32 row = 1; row <= window->vbalGrid1->Rows(); ++row)
            if (window->vbalGrid1->CellText(row, 4).contains(number))
                return row;
        return 0;
    }
    bool call(const QString& number, const QString& name)
    {
        return line({u"call"_s, u"--number"_s, number, u"--name"_s, name, u"--fast"_s}).exitCode == 0;
    }
    static void shot(QWidget* widget, const QString& name)
    {
        QApplication::processEvents();
        EXPECT_TRUE(WidgetShots::save(widget, u"first-hour-"_s + name + u".png"_s));
    }

    ScriptedDialogs dialogs;
    ScriptedServiceManager manager;
    ServiceManagerOverride managerInstalled{manager};
    RecordingTrays trays;
    frmMessenger popUp;
    frmMain* window = nullptr;
};

} // namespace

TEST_F(FirstHour, CallsAContactTheDialerAndBackAgain)
{
    // Calls show in the pop-up window.
    set(u"Events\\TabInCommingCall"_s, u"chkICViewCD"_s, u"1"_s);
    set(u"Events\\TabInCommingCall"_s, u"cmbCallDisplayStyleIncomming"_s, u"0"_s);
    set(u"Events\\TabInCommingCall"_s, u"chkWhenCallerID"_s, u"0"_s);
    ASSERT_NO_FATAL_FAILURE(start());
    // The first window appears and shows the line the service opened.
    g_lLineStatusCount = 0;
    window = dynamic_cast<frmMain*>(&LoadMainWindow(true));
    ASSERT_NE(window, nullptr);
    g_bDisplayIC = true;
    sCallDisplay = 0;
    g_bWhenCallerID = false;
    g_bAnimate = false;
    g_bClosePersonal = false;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    ASSERT_TRUE(waitUntil([] { return g_lLineStatusCount > 0; }, 10000));
    EXPECT_EQ(window->PanelText(3), u"The line is on"_s);
    shot(window, u"1-window"_s);

    // A call from a new number: the pop-up and the list show it.
    const QString number = u"5550188"_s;
    ASSERT_TRUE(call(number, u"NADIA KOWALSKA"_s));
    ASSERT_TRUE(waitForIdles(1, 20000));
    ASSERT_TRUE(waitUntil([&] { return rowOf(number) > 0; }, 10000));
    ASSERT_TRUE(popUp.IsLoaded());
    EXPECT_EQ(popUp.lblCallerName->text(), u"NADIA KOWALSKA"_s);
    EXPECT_EQ(popUp.lblContact->text(), QString());
    EXPECT_TRUE(popUp.Shape1->isHidden()) << "no picture, no empty frame";
    shot(popUp.window(), u"2-popup-new-caller"_s);
    shot(window, u"2-new-caller"_s);
    popUp.Unload();

    // The contact editor from that call: a 40-character name is cut at 32
    // with the balloon, Tab moves on and typing goes on there; Save.
    const QString typedName = u"Nadia Kowalska-Wisniewska of Riverside"_s + u"xx"_s;
    ASSERT_EQ(typedName.size(), 40);
    bool edited = false;
    QTimer::singleShot(0, window, [&] {
        frmContact& f = LoadContactEditor();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&f));
        f.activateWindow();
        f.txtContactName->setFocus();
        EXPECT_TRUE(waitUntil([&] { return f.txtContactName->hasFocus(); }, 5000));
        EXPECT_EQ(f.txtCallerNumber->text(), number);
        QTest::keyClicks(f.txtContactName, typedName);
        EXPECT_EQ(f.txtContactName->text(), typedName.left(32));
        EXPECT_NE(BalloonTip::current(), nullptr);
        shot(&f, u"3-editor-at-the-limit"_s);
        QTest::keyClick(f.txtContactName, Qt::Key_Tab);
        EXPECT_TRUE(f.txtCallerName->hasFocus());
        QTest::keyClick(f.txtCallerName, Qt::Key_End);
        QTest::keyClicks(f.txtCallerName, u" K"_s);
        EXPECT_EQ(f.txtCallerName->text(), u"NADIA KOWALSKA K"_s);
        EXPECT_EQ(f.windowTitle(), typedName.left(32));
        shot(&f, u"4-editor-filled"_s);
        edited = true;
        f.cmdOK_Click();
        if (f.isVisible())
            f.cmdCancel_Click();
    });
    NewContact(u"NADIA KOWALSKA"_s, number, QString());
    ASSERT_TRUE(edited);
    EXPECT_EQ(dialogs.messageRequests.size(), 0);
    ASSERT_EQ(GetContactNameByNumber(number), typedName.left(32));

    // A call from that number shows the contact's name in the pop-up and
    // the window.
    ASSERT_TRUE(call(number, u"NADIA KOWALSKA"_s));
    ASSERT_TRUE(waitForIdles(2, 20000));
    ASSERT_TRUE(popUp.IsLoaded());
    const QString shownContact
        = popUp.lblContact->toolTip().isEmpty() ? popUp.lblContact->text() : popUp.lblContact->toolTip();
    EXPECT_EQ(shownContact, typedName.left(32));
    const QString paneContact = window->lblMainContactName->toolTip().isEmpty()
        ? window->lblMainContactName->text()
        : window->lblMainContactName->toolTip();
    EXPECT_EQ(paneContact, typedName.left(32));
    shot(popUp.window(), u"5-popup-contact"_s);
    shot(window, u"5-contact-call"_s);
    popUp.Unload();

    // A call dialled from the dialer; the far end hangs up; the dialer is
    // ready again and a second call dials.
    frmDialer dialer;
    dialer.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialer));
    dialer.SetNumber(u"5559876"_s);
    events.clear();
    QTest::mouseClick(dialer.cndSend, Qt::LeftButton);
    ASSERT_TRUE(waitForEvent(u"Tapi_Dialing\r\n0"_s, 10000));
    ASSERT_TRUE(waitUntil([&] { return !dialer.cndSend->isEnabled(); }, 10000));
    ASSERT_EQ(line({u"answer"_s}).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return dialer.PanelText() == u"Connected"_s; }, 10000))
        << dialer.PanelText().toStdString();
    shot(&dialer, u"6-dialer-connected"_s);
    ASSERT_EQ(line({u"hangup"_s, u"--fast"_s}).exitCode, 0);
    ASSERT_TRUE(waitForIdles(3, 20000));
    ASSERT_TRUE(waitUntil([&] { return dialer.PanelText() == u"Ready"_s; }, 10000))
        << dialer.PanelText().toStdString();
    EXPECT_TRUE(dialer.cndSend->isEnabled());
    shot(&dialer, u"7-dialer-ready"_s);
    events.clear();
    QTest::mouseClick(dialer.cndSend, Qt::LeftButton);
    ASSERT_TRUE(waitForEvent(u"Tapi_Dialing\r\n0"_s, 10000)) << events.join(u" | "_s).toStdString();
    QTest::mouseClick(dialer.cmdEnd, Qt::LeftButton);
    ASSERT_TRUE(waitForIdles(4, 20000));
    ASSERT_TRUE(waitUntil([&] { return dialer.PanelText() == u"Ready"_s; }, 10000));
    dialer.close();
}

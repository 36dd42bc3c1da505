#include "desktop/calls/frmDialer.h"

#include "tests/desktop/foundation/ScriptedDialogs.h"
#include "tests/desktop/shell/LineEventsFixture.h"
#include "tests/support/WaitUntil.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// The real dialer and Qt's own message box under the real hub: what a
// person sees when the far end hangs up after a dialled call.
class DialerCallEndTest : public LineEventsTest {
protected:
    // The "call is up" boxes of the dialer still open.
    static QList<QMessageBox*> openBoxes(const frmDialer& dialer)
    {
        QList<QMessageBox*> open;
        for (QMessageBox* box : dialer.findChildren<QMessageBox*>())
            if (box->isVisible())
                open << box;
        return open;
    }
};

} // namespace

TEST_F(DialerCallEndTest, TheFarEndHangingUpMakesTheDialerReadyAndClosesItsBox)
{
    for (const bool recorded : {false, true}) {
        SCOPED_TRACE(recorded ? "recorded call" : "plain call");
        frmDialer dialer;
        dialer.show();
        g_bCallOutPending = !recorded;
        g_bCallOutRecPending = recorded;
        g_bIdleHandled = false;
        arrive(307, {u"Tapi_Dialing"_s, u"0"_s});
        ASSERT_FALSE(dialer.cndSend->isEnabled());

        // While the box asks to pick up the handset, the far end hangs up.
        bool boxWasShown = false;
        QTimer::singleShot(0, &dialer, [&] {
            boxWasShown = !openBoxes(dialer).isEmpty();
            arrive(310, {u"Tapi_Idle"_s, u"0"_s, recorded ? u"4"_s : u"1"_s});
        });
        // A box nobody closes would hang the test: it ends it instead.
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &dialer, [&] {
            for (QMessageBox* box : openBoxes(dialer))
                box->done(QMessageBox::Ok);
        });
        guard.start(testTimeout(5000));
        arrive(307, {u"Tapi_Connected"_s, u"0"_s});
        const bool closedInTime = guard.isActive();
        guard.stop();

        EXPECT_TRUE(boxWasShown);
        EXPECT_TRUE(closedInTime) << "the box stayed up after the hang-up";
        EXPECT_TRUE(openBoxes(dialer).isEmpty());
        EXPECT_EQ(dialer.PanelText(), u"Ready"_s);
        EXPECT_TRUE(dialer.cndSend->isEnabled());
        EXPECT_TRUE(dialer.cmdRecCall->isEnabled());
        EXPECT_FALSE(dialer.Timer1.isActive());
        EXPECT_EQ(status(), u"Ready"_s);
        EXPECT_NE(hub().sCallStatus, u"ANSWERED"_s);
        arrive(307, {u"Tapi_Idle"_s, u"0"_s, u"1"_s});
        dialer.close();
    }
}

TEST_F(DialerCallEndTest, AHangUpAfterTheBoxLeavesTheDialerReady)
{
    ScriptedDialogs dialogs;
    frmDialer dialer;
    g_bCallOutPending = true;
    arrive(307, {u"Tapi_Dialing"_s, u"0"_s});
    arrive(307, {u"Tapi_Connected"_s, u"0"_s});
    ASSERT_EQ(dialogs.messageRequests.size(), 1);
    EXPECT_EQ(dialer.PanelText(), u"Connected"_s);
    EXPECT_FALSE(dialer.cndSend->isEnabled());
    arrive(307, {u"Tapi_Disconnected"_s, u"0"_s});
    arrive(310, {u"Tapi_Idle"_s, u"0"_s, u"1"_s});
    EXPECT_EQ(dialer.PanelText(), u"Ready"_s);
    EXPECT_TRUE(dialer.cndSend->isEnabled());
    // A call that never connects (no answer, busy) ends the same way.
    arrive(307, {u"Tapi_Dialing"_s, u"0"_s});
    arrive(307, {u"Tapi_Disconnected"_s, u"0"_s});
    arrive(310, {u"Tapi_Idle"_s, u"0"_s, u"1"_s});
    EXPECT_EQ(dialer.PanelText(), u"Ready"_s);
    EXPECT_TRUE(dialer.cndSend->isEnabled());
}

#include "common/SharedUtilities.h"
#include "desktop/calls/CallsList.h"
#include "desktop/shell/frmMessenger.h"
#include "platform/grid/vbalGrid.h"
#include "tests/desktop/shell/LineEventsFixture.h"
#include "tests/support/CallDays.h"
#include "tests/support/ChannelListener.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/widgets/WidgetShots.h"

#include <QDir>
#include <QImage>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QStringList kIncoming{u"Tapi_Incomming"_s, u"0"_s, u"False"_s};
const QStringList kIdle{u"Tapi_Idle"_s, u"0"_s, u"0"_s};

QStringList ring(int count)
{
    return {u"Tapi_Ring"_s, u"0"_s, QString::number(count), u"False"_s};
}

// A picture in Pics/ under name; the path it has.
QString putPicture(const QString& folder, const QString& name, const QColor& colour)
{
    QDir().mkpath(folder);
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = folder + u'/' + name;
    image.save(path, "PNG");
    return path;
}

TEST_F(LineEventsTest, BalloonsWithoutWaitingAnnounceTheCallThenTheCaller)
{
    arrive(307, kIncoming);
    arrive(307, ring(1));
    arrive(309, cid(u"Ann Lee"_s, u"5551234"_s, u"Ann"_s));
    EXPECT_EQ(
        balloons(), QStringList({balloon(u"UNKNOWN  UNKNOWN"_s), balloon(u"Ann Lee  5551234 - Ann"_s)}));
    EXPECT_EQ(window->lblMainDate->text(), u"12/10/2026"_s);
    EXPECT_EQ(window->lblMainTime->text(), u"09:30:00"_s);
    EXPECT_EQ(window->lblMainCallerName->text(), u"Ann Lee"_s);
    EXPECT_EQ(window->lblMainContactName->text(), u"Ann"_s);
    EXPECT_EQ(status(), u"Ann Lee 5551234"_s);
    EXPECT_EQ(hub().sCallStatus, u"INCOME"_s);

    // The next caller without a contact: no " - ".
    arrive(310, kIdle);
    arrive(307, kIncoming);
    arrive(309, cid(u"Bo"_s, u"5550000"_s));
    EXPECT_EQ(balloons().last(), balloon(u"Bo  5550000"_s));
}

TEST_F(LineEventsTest, CallerTextsArePlainTextAndBalloonsEscapeMarkup)
{
    const QString name = u"<b>Eve</b> & co"_s;
    arrive(307, kIncoming);
    arrive(309, cid(name, u"<i>1</i>"_s));
    EXPECT_EQ(window->lblMainCallerName->text(), name);
    EXPECT_EQ(window->lblMainCallerName->textFormat(), Qt::PlainText);
    EXPECT_EQ(balloons().last(), balloon(u"&lt;b&gt;Eve&lt;/b&gt; &amp; co  &lt;i&gt;1&lt;/i&gt;"_s));
}

TEST_F(LineEventsTest, AClosedPopUpIsNotMadeAgainButTheLabelsAreFilled)
{
    frmMessenger messenger;
    SetCallerPopUp(&messenger);
    sCallDisplay = 0;
    arrive(307, kIncoming);
    ASSERT_TRUE(messenger.IsLoaded());
    EXPECT_EQ(messenger.lblTitle->text(), u"Incoming Call"_s);
    EXPECT_EQ(messenger.lblCallerName->text(), u"UNKNOWN"_s);
    EXPECT_EQ(messenger.lblCallerNumber->text(), u"UNKNOWN"_s);

    messenger.UnDisplay(); // the user's click; no animation
    ASSERT_FALSE(messenger.IsLoaded());
    arrive(309, cid(u"Ann Lee"_s, u"5551234"_s, u"Ann"_s, {}, u"True"_s, u"0"_s));
    EXPECT_FALSE(messenger.IsLoaded());
    EXPECT_FALSE(IsFormLoaded(u"frmMessenger"_s));
    EXPECT_EQ(window->lblMainCallerName->text(), u"Ann Lee"_s);
    EXPECT_EQ(window->lblMainCallerNumber->text(), u"5551234"_s);
    EXPECT_EQ(window->lblMainContactName->text(), u"Ann"_s);
    SetCallerPopUp(&popUp);
}

TEST_F(LineEventsTest, AnOpenPopUpTakesTheCallerAndThePictureFromPics)
{
    frmMessenger messenger;
    SetCallerPopUp(&messenger);
    sCallDisplay = 0;
    putPicture(env.programFolder() + u"/Pics"_s, u"ann.png"_s, Qt::red);
    arrive(307, kIncoming);
    arrive(309, cid(u"Ann Lee"_s, u"5551234"_s, u"Ann"_s, u"ann.png"_s, u"True"_s, u"0"_s));
    ASSERT_TRUE(messenger.IsLoaded());
    EXPECT_EQ(messenger.lblCallerName->text(), u"Ann Lee"_s);
    EXPECT_EQ(messenger.lblContact->text(), u"Ann"_s);
    EXPECT_EQ(messenger.lblCallerName->textFormat(), Qt::PlainText);
    EXPECT_FALSE(messenger.imgContact->pixmap().isNull());
    EXPECT_FALSE(window->imgMainCallerPic->pixmap().isNull());
    SetCallerPopUp(&popUp);
}

// A picture name is a plain file name inside Pics/; anything else is none,
// even where a file of that path exists.
TEST_F(LineEventsTest, APictureNameOutsidePicsShowsNoPicture)
{
    putPicture(env.programFolder() + u"/Pics"_s, u"ann.png"_s, Qt::red);
    putPicture(env.programFolder(), u"secret.png"_s, Qt::blue);
    const QStringList names{u"../secret.png"_s, env.programFolder() + u"/secret.png"_s, u"..\\secret.png"_s};
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        arrive(307, kIncoming);
        arrive(309, cid(u"Ann Lee"_s, u"5551234"_s, u"Ann"_s, u"ann.png"_s));
        ASSERT_FALSE(window->imgMainCallerPic->pixmap().isNull());
        arrive(310, kIdle);
        arrive(307, kIncoming);
        arrive(309, cid(u"Ann Lee"_s, u"5551234"_s, u"Ann"_s, name));
        EXPECT_TRUE(window->imgMainCallerPic->pixmap().isNull());
        arrive(310, kIdle);
    }
}

TEST_F(LineEventsTest, ACallerWithoutAContactEmptiesTheLabelAndRemovesThePicture)
{
    putPicture(env.programFolder() + u"/Pics"_s, u"ann.png"_s, Qt::red);
    arrive(307, kIncoming);
    arrive(309, cid(u"Ann Lee"_s, u"5551234"_s, u"Ann"_s, u"ann.png"_s));
    ASSERT_EQ(window->lblMainContactName->text(), u"Ann"_s);
    ASSERT_FALSE(window->imgMainCallerPic->pixmap().isNull());
    arrive(310, kIdle);

    arrive(307, kIncoming);
    // The new call keeps the last contact until its caller ID.
    EXPECT_EQ(window->lblMainContactName->text(), u"Ann"_s);
    arrive(309, cid(u"Bo"_s, u"5550000"_s));
    EXPECT_EQ(window->lblMainContactName->text(), QString());
    EXPECT_TRUE(window->imgMainCallerPic->pixmap().isNull());
}

// A contact's "no display" holds for its own call; the next caller is shown
// as the settings say, whether the display waits for the caller ID or not.
TEST_F(LineEventsTest, AContactsDisplaySettingsHoldForItsCallOnly)
{
    for (bool waiting : {true, false}) {
        SCOPED_TRACE(waiting ? "waiting for the caller ID" : "at the first ring");
        g_bWhenCallerID = waiting;
        trays.all.clear();
        arrive(307, kIncoming);
        arrive(307, ring(1));
        arrive(309, cid(u"Ann Lee"_s, u"5551234"_s, u"Ann"_s, {}, u"False"_s));
        arrive(310, kIdle);
        EXPECT_EQ(balloons().size(), waiting ? 0 : 1);
        EXPECT_EQ(g_bDisplayIC, true); // the stored setting stays

        trays.all.clear();
        arrive(307, kIncoming);
        arrive(307, ring(1));
        arrive(309, cid(u"Bo"_s, u"5550000"_s, {}, {}, {}, {}));
        arrive(310, kIdle);
        EXPECT_EQ(balloons(), QStringList({balloon(u"UNKNOWN  UNKNOWN"_s), balloon(u"Bo  5550000"_s)}));
    }
}

TEST_F(LineEventsTest, WaitingForTheCallerIdTheRingsOnlyCountAndTheCallerIdAnnounces)
{
    g_bWhenCallerID = true;
    arrive(307, kIncoming);
    arrive(307, ring(1));
    arrive(307, ring(2));
    EXPECT_TRUE(balloons().isEmpty());
    EXPECT_EQ(window->lblMainRingNum->text(), u"Ring : 2"_s);
    EXPECT_EQ(hub().sCallStatus, u"INCOME"_s);
    // The contact's own style applies to this call's announcement.
    arrive(309, cid(u"Ann Lee"_s, u"5551234"_s, u"Ann"_s, {}, u"True"_s, u"0"_s));
    EXPECT_TRUE(balloons().isEmpty());
    EXPECT_TRUE(popUp.log.contains(u"name UNKNOWN"_s));
    EXPECT_TRUE(popUp.log.contains(u"name Ann Lee"_s));
}

TEST_F(LineEventsTest, TheFirstRingRunsTheIncomingActionsTheSecondDoesNot)
{
    arrive(307, ring(1));
    arrive(307, ring(2));
    EXPECT_EQ(balloons(), QStringList({balloon(u"UNKNOWN  UNKNOWN"_s)}));
    // A call whose first report is its second ring announces nothing.
    arrive(310, kIdle);
    trays.all.clear();
    arrive(307, ring(2));
    EXPECT_TRUE(balloons().isEmpty());
}

TEST_F(LineEventsTest, TheMainWindowComesUpOnACallWhenAsked)
{
    for (bool open : {false, true}) {
        g_bOpenAppOnCall = open;
        arrive(307, kIncoming);
        EXPECT_EQ(window->isVisible(), open);
        arrive(310, kIdle);
    }
}

TEST_F(LineEventsTest, TheTrayBlinksAfterACallOnlyWhenTheWindowIsMinimisedOrHidden)
{
    enum Look { Shown, Minimised, Hidden };
    for (Look look : {Shown, Minimised, Hidden}) {
        SCOPED_TRACE(int(look));
        window->tmrBlink.stop();
        window->ShowWindow();
        if (look == Minimised)
            window->showMinimized();
        if (look == Hidden)
            window->close(); // to the tray
        ASSERT_TRUE(waitUntil([&] { return window->isMinimized() == (look == Minimised); }));
        arrive(307, kIncoming);
        arrive(310, kIdle);
        EXPECT_EQ(window->tmrBlink.isActive(), look != Shown);
    }
}

TEST_F(LineEventsTest, ADialledCallRunsTheEndActions)
{
    // Left set by the last call's end.
    g_bEndActionsDone = true;
    g_bIdleHandled = true;
    window->close();
    arrive(307, {u"Tapi_Dialing"_s, u"0"_s});
    EXPECT_EQ(hub().sCallStatus, u"NOTHING"_s);
    arrive(307, {u"Tapi_Connected"_s, u"0"_s});
    EXPECT_EQ(hub().sCallStatus, u"ANSWERED"_s);
    arrive(310, kIdle);
    EXPECT_EQ(hub().sCallStatus, u"NOTHING"_s);
    EXPECT_EQ(status(), u"Ready"_s);
    EXPECT_TRUE(window->tmrBlink.isActive());
    EXPECT_TRUE(balloons().isEmpty());
}

// The end of a call is reported on 310 and again on 307: the list is shown
// afresh once, and the service is greeted twice, 4 and 5 s after the end.
TEST_F(LineEventsTest, TwoIdlesReloadOnceAndGreetTwiceAfterThreeSeconds)
{
    ChannelListener service(env, {u"308"_s});
    ASSERT_TRUE(service.waitUntilListening());
    const QString day = u"\\Data\\Log\\2026\\12\\10\\"_s;
    writeDay(day,
        {storedCall(u"Ann Lee"_s, u"5551234"_s, u"09:12:00"_s),
            storedCall(u"Bo"_s, u"5550000"_s, u"09:20:00"_s)});
    writeLast({u"1:"_s + day});
    clock.setAutoAdvance(false);

    arrive(310, kIdle);
    EXPECT_EQ(window->vbalGrid1->Rows(), 1);
    writeLast({u"2:"_s + day, u"1:"_s + day});
    arrive(307, kIdle);
    EXPECT_EQ(window->vbalGrid1->Rows(), 1); // not shown afresh

    clock.advance(2999);
    QCoreApplication::processEvents();
    EXPECT_FALSE(hub().tmrHello.isActive());
    clock.advance(1);
    ASSERT_TRUE(waitUntil([&] { return hub().tmrHello.isActive(); }));
    EXPECT_EQ(service.waitForLines(2, testTimeout(5000)), QList<QByteArray>({"308 HELLO", "308 HELLO"}));
    ASSERT_TRUE(waitUntil([&] { return !hub().tmrHello.isActive(); }));
    EXPECT_TRUE(staysFalse([&] { return service.waitForLines(3, 0).size() > 2; }, 300));
}

TEST_F(LineEventsTest, ANewCallWithinTheThreeSecondsIsHandledAndTheGreetingStillComes)
{
    clock.setAutoAdvance(false);
    arrive(310, kIdle);
    arrive(307, kIncoming);
    EXPECT_EQ(balloons(), QStringList({balloon(u"UNKNOWN  UNKNOWN"_s)}));
    EXPECT_EQ(hub().sCallStatus, u"INCOME"_s);
    clock.advance(3000);
    EXPECT_TRUE(waitUntil([&] { return hub().tmrHello.isActive(); }));
    // The new call's end is its own.
    arrive(310, kIdle);
    EXPECT_EQ(hub().sCallStatus, u"NOTHING"_s);
}

} // namespace

namespace {

// For review, and the README's picture: the main window with two earlier
// calls listed and the pop-up, as a contact's call leaves them.
TEST_F(LineEventsTest, ScreenshotOfTheMainWindowWithACaller)
{
    frmMessenger messenger;
    SetCallerPopUp(&messenger);
    sCallDisplay = 0;
    QDir().mkpath(env.programFolder() + u"/Pics"_s);
    QImage face(60, 60, QImage::Format_RGB32);
    face.fill(QColor(0xd9, 0x8c, 0x3f));
    ASSERT_TRUE(face.save(env.programFolder() + u"/Pics/ann.png"_s, "PNG"));
    writeDay(kDay,
        {storedCall(u"Bo Chen"_s, u"5550100"_s, u"08:41:00"_s),
            storedCall(u"Cara Diaz"_s, u"5550199"_s, u"09:05:00"_s)});
    writeLast({u"2:"_s + kDay, u"1:"_s + kDay});
    window->ShowWindow();
    ASSERT_TRUE(waitUntil([&] { return window->isVisible(); }));
    // The end of an earlier call lists the recent calls.
    arrive(310, kIdle);
    ASSERT_EQ(window->vbalGrid1->Rows(), 2);
    arrive(307, kIncoming);
    arrive(307, ring(1));
    arrive(307, ring(2));
    arrive(309, cid(u"Ann Lee"_s, u"5551234"_s, u"Ann Lee (work)"_s, u"ann.png"_s, u"True"_s, u"0"_s));
    ASSERT_TRUE(messenger.IsLoaded());
    // Beside the pop-up, which stands at the screen's top left corner.
    window->move(messenger.window()->geometry().right() + 12, 24);
    QCoreApplication::processEvents();
    EXPECT_TRUE(WidgetShots::save(
        WidgetShots::grabWithOverlays(window, {messenger.window()}), u"main-window-caller.png"_s));
    SetCallerPopUp(&popUp);
}

} // namespace

#include "desktop/settings/frmProperties.h"
#include "tests/desktop/shell/LineEventsFixture.h"
#include "tests/desktop/shell/RecordedFrame.h"

#include <QAction>
#include <QComboBox>
#include <QRadioButton>

using namespace Qt::StringLiterals;

namespace {

QString lineStat()
{
    return RegistryRoutines::forProduct(u"Properties\\TabLineStat"_s).getString(u"cmbLineStat"_s);
}

// Every name on the channel it may come on, with what the user then sees.
TEST_F(LineEventsTest, EachNameReachesItsHandlerOnItsChannels)
{
    g_bWhenCallerID = true; // the phases alone
    RecordedDialer dialer;
    struct Case {
        int channel;
        QStringList lines;
        QString status; // panel 3 afterwards; "-" unchanged
        QString callStatus; // empty: unchanged
    };
    const QString name9 = u"Ann Lee 5551234"_s;
    const Case cases[] = {
        {307, {u"Tapi_Incomming"_s, u"0"_s, u"False"_s}, u"Incoming Call"_s, {}},
        {307, cid(u"Ann Lee"_s, u"5551234"_s), name9, u"INCOME"_s},
        {307, {u"Tapi_Connected"_s, u"0"_s}, u"Connected"_s, u"ANSWERED"_s},
        {307, {u"Tapi_Disconnected"_s, u"0"_s}, u"Disconnected"_s, {}},
        {307, {u"Tapi_Idle"_s, u"0"_s, u"0"_s}, u"Ready"_s, u"NOTHING"_s},
        {307, {u"Tapi_MonitorDigit"_s, u"0"_s, u"7"_s}, u"Digit : 7"_s, {}},
        {307, {u"Tapi_Ring"_s, u"0"_s, u"3"_s, u"False"_s}, u"Ring 3"_s, u"INCOME"_s},
        {307, {u"PlayGreet"_s, u"0"_s}, u"Connected - Playing greeting"_s, {}},
        {307, {u"RecMessage"_s, u"0"_s}, u"Connected - Recording message"_s, {}},
        {307, {u"PlayLegalGreet"_s, u"0"_s}, u"Connected - Playing legal greeting"_s, {}},
        {307, {u"RecCall"_s, u"0"_s}, u"Connected - Recording call"_s, {}},
        {307, {u"LineStatus"_s, u"0"_s, u"0"_s, u"False"_s}, u"The line is on"_s, {}},
        {307, {u"MAIL"_s, u"0"_s, u"Sending mail... 50 %"_s}, u"Sending mail... 50 %"_s, {}},
        {307, {u"Tapi_Dialing"_s, u"0"_s}, u"-"_s, {}},
        {307, {u"Comm_Incomming"_s, u"0"_s, u"False"_s}, u"Incoming Call"_s, {}},
        {307, {u"Comm_CID"_s, u"0"_s, u"Ann Lee"_s, u"5551234"_s, {}, {}, u"True"_s, u"1"_s, u"False"_s},
            name9, u"INCOME"_s},
        {307, {u"Comm_Idle"_s, u"0"_s, u"0"_s}, u"Ready"_s, u"NOTHING"_s},
        {309, cid(u"Ann Lee"_s, u"5551234"_s), name9, u"INCOME"_s},
        {309, {u"Comm_CID"_s, u"0"_s, u"Ann Lee"_s, u"5551234"_s, {}, {}, u"True"_s, u"1"_s, u"False"_s},
            name9, u"INCOME"_s},
        // Eight lines: no handler runs.
        {309, cid(u"Ann Lee"_s, u"5551234"_s).mid(0, 8), u"-"_s, {}},
        {307, cid(u"Ann Lee"_s, u"5551234"_s).mid(0, 8), u"-"_s, {}},
        {310, {u"Tapi_Idle"_s, u"0"_s, u"0"_s}, u"Ready"_s, u"NOTHING"_s},
        // The modem's end of a call counts on 307 only.
        {310, {u"Comm_Idle"_s, u"0"_s, u"0"_s}, u"-"_s, {}},
        // Names are compared exactly; unknown ones do nothing anywhere.
        {307, {u"tapi_ring"_s, u"0"_s, u"1"_s}, u"-"_s, {}},
        {309, {u"Hello"_s, u"0"_s, u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"f"_s, u"g"_s}, u"-"_s, {}},
        {310, {u"LineStatus"_s, u"0"_s, u"0"_s, u"False"_s}, u"-"_s, {}},
        // A line that does not convert skips only its statement.
        {307, {u"Tapi_Ring"_s, u"0"_s, u"three"_s}, u"-"_s, {}},
        {307, {u"Tapi_Ring"_s}, u"-"_s, {}},
        {307, {u"LineStatus"_s, u"0"_s, u"0"_s}, u"-"_s, {}},
        {307, {u"MAIL"_s, u"0"_s}, u"-"_s, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(c.channel).arg(c.lines.join(u'|')).toStdString());
        window->SetPanelText(3, u"-"_s);
        hub().sCallStatus = u"unchanged"_s;
        g_bIdleHandled = false;
        g_bEndActionsDone = false;
        arrive(c.channel, c.lines);
        EXPECT_EQ(status(), c.status);
        EXPECT_EQ(hub().sCallStatus, c.callStatus.isEmpty() ? u"unchanged"_s : c.callStatus);
    }
    // The dialling call told the dialer, and every end of a call made it ready.
    EXPECT_EQ(dialer.log,
        QStringList({u"ended"_s, u"disable"_s, u"status Dialing 5559876"_s, u"ended"_s, u"ended"_s}));
    EXPECT_EQ(window->lblMainRingNum->text(), u"Ring : 3"_s);
}

TEST(LineEventsExit, UnLoadMeAloneEndsTheProgram)
{
    TestEnvironment env;
    RecordingTrays trays;
    RecordedFrames frames;
    LoadMainWindow(false);
    frmProc hub;
    emit hub.udiIn.MessageArrived(u"UnLoad_Me"_s);
    EXPECT_EQ(frames.log, QStringList({u"load hidden"_s, u"exit"_s}));
    // On the other channels it means nothing.
    emit hub.uDiCallerID.MessageArrived(u"UnLoad_Me"_s);
    emit hub.udiIdle.MessageArrived(u"UnLoad_Me"_s);
    EXPECT_EQ(frames.log.count(u"exit"_s), 1);
}

TEST_F(LineEventsTest, LineStatusSetsTheStoreTheButtonTheStatusAndTheMarks)
{
    frmProperties& properties = LoadPropertiesWindow();
    g_sTimeOn = u"08:00:00"_s;
    g_sTimeOff = u"18:00:00"_s;
    struct Case {
        QStringList lines;
        bool autoMode; // g_bAutoMode afterwards
        const char* stored; // cmbLineStat afterwards
        QString caption;
        int image;
        bool lineOff;
        QString status;
        bool openMark;
        bool closeMark;
        QRadioButton* frmProperties::*selected;
    };
    const QString before = u"before"_s;
    const Case cases[] = {
        {{u"LineStatus"_s, u"0"_s, u"0"_s, u"True"_s}, true, "2", u"Auto Mode"_s, 0, false,
            u"Auto mode: the line is on until 18:00:00"_s, true, false, &frmProperties::ptnAuto},
        {{u"LineStatus"_s, u"0"_s, u"1"_s, u"True"_s}, true, "2", u"Auto Mode"_s, 1, true,
            u"Auto mode: the line is off until 08:00:00"_s, false, true, &frmProperties::ptnAuto},
        {{u"LineStatus"_s, u"0"_s, u"0"_s, u"False"_s}, false, "0", u"Line On"_s, 0, false,
            u"The line is on"_s, true, false, &frmProperties::ptnOn},
        // Closed: nothing is written.
        {{u"LineStatus"_s, u"0"_s, u"1"_s, u"False"_s}, false, "x", u"Line Off"_s, 1, true,
            u"The line is off"_s, false, true, &frmProperties::ptnOff},
        // A state of neither kind changes the look only as far as the mode.
        {{u"LineStatus"_s, u"0"_s, u"7"_s, u"True"_s}, true, "2", u"Auto Mode"_s, -1, true, before, true,
            true, &frmProperties::ptnAuto},
        {{u"LineStatus"_s, u"0"_s, u"7"_s, u"False"_s}, false, "x", before, -1, true, before, true, true,
            &frmProperties::ptnOff},
        // Two lines: nothing at all.
        {{u"LineStatus"_s, u"0"_s}, true, "x", before, -1, true, before, true, true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines.join(u'|').toStdString());
        ASSERT_TRUE(
            RegistryRoutines::forProduct(u"Properties\\TabLineStat"_s).setString(u"cmbLineStat"_s, u"x"_s));
        window->SetLineButton(before);
        window->SetLineButtonImage(1);
        window->SetLineMarks(true, true);
        window->SetPanelText(3, before);
        g_bLineOff = true;
        g_bAutoMode = true;
        for (QRadioButton* button : {properties.ptnOn, properties.ptnOff, properties.ptnAuto}) {
            button->setAutoExclusive(false);
            button->setChecked(false);
            button->setAutoExclusive(true);
        }
        if (c.lines.size() < 4)
            properties.ptnOff->setChecked(true);

        arrive(307, c.lines);
        EXPECT_EQ(g_bAutoMode, c.autoMode);
        EXPECT_EQ(lineStat(), QString::fromLatin1(c.stored));
        EXPECT_EQ(window->toolbar1Buttons.first()->text(), c.caption);
        EXPECT_EQ(window->LineButtonImage(), c.image < 0 ? 1 : c.image);
        EXPECT_EQ(g_bLineOff, c.lineOff);
        EXPECT_EQ(status(), c.status);
        EXPECT_EQ(window->m_cMenu.Checked(window->m_cMenu.IndexForKey(u"stOpenLine"_s)), c.openMark);
        EXPECT_EQ(window->m_cMenu.Checked(window->m_cMenu.IndexForKey(u"stCloseLine"_s)), c.closeMark);
        if (c.selected) {
            EXPECT_TRUE((properties.*c.selected)->isChecked());
        }
    }
    // Selecting a button is the user's selection: the auto times follow it.
    arrive(307, {u"LineStatus"_s, u"0"_s, u"0"_s, u"True"_s});
    EXPECT_TRUE(properties.txtTimeOn->isEnabled());
    arrive(307, {u"LineStatus"_s, u"0"_s, u"0"_s, u"False"_s});
    EXPECT_FALSE(properties.txtTimeOn->isEnabled());
}

TEST_F(LineEventsTest, TheConnectedCallTellsTheDialerOfItsLastDial)
{
    struct Case {
        bool plain;
        bool recorded;
        QStringList log;
    };
    const Case cases[] = {
        {false, false, {}},
        {true, false, {u"ready"_s, u"status Connected"_s}},
        {false, true, {u"ready"_s, u"seconds"_s}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.plain << c.recorded);
        RecordedDialer dialer;
        g_bCallOutPending = c.plain;
        g_bCallOutRecPending = c.recorded;
        g_bEndActionsDone = g_bInCallActionsDone = g_bIdleHandled = true;
        arrive(307, {u"Tapi_Connected"_s, u"0"_s});
        EXPECT_EQ(dialer.log, c.log);
        EXPECT_FALSE(g_bEndActionsDone || g_bInCallActionsDone || g_bIdleHandled);
        EXPECT_EQ(status(), u"Connected"_s);
    }
    // Without a dialer window only the status and the call state change.
    g_bCallOutPending = true;
    hub().sCallStatus = u"NOTHING"_s;
    arrive(307, {u"Tapi_Connected"_s, u"0"_s});
    EXPECT_EQ(hub().sCallStatus, u"ANSWERED"_s);
}

} // namespace

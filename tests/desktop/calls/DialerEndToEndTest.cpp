#include "desktop/calls/frmDialer.h"

#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/HubLink.h"
#include "desktop/foundation/Translation.h"
#include "tests/desktop/calls/CallWindowsFixture.h"
#include "tests/desktop/foundation/ScriptedDialogs.h"
#include "tests/e2e/LiveLine.h"
#include "tests/support/WaitUntil.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The dialer on the desktop's command endpoint, the real service on the
// simulated line, and a far end played by ringvale-line. What the hub's
// line-event handlers do with the loaded dialer (dialling text, the box when
// the call is up, then the connected text or the counter) is played here on
// the service's own events, through the dialer's feedback interface.
class DialerEndToEnd : public LiveLine {
protected:
    void SetUp() override
    {
        LiveLine::SetUp();
        // As an installation lays out the program folder.
        ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Data/Log"_s));
        ASSERT_NO_FATAL_FAILURE(loadNumberedTranslation(texts.filePath(u"Numbers.txt"_s), false));
        SetHubLink(&hub);
        g_bCallOutPending = false;
        g_bCallOutRecPending = false;
    }
    void TearDown() override
    {
        SetHubLink(nullptr);
        ResetTranslation();
        LiveLine::TearDown();
    }

    // The service's events reach the loaded dialer as the hub hands them on.
    void relayUntil(const QString& event)
    {
        ASSERT_TRUE(waitForEvent(event, 10000)) << events.join(u" | "_s).toStdString();
        DialerFeedback* dialer = LoadedDialer();
        ASSERT_NE(dialer, nullptr);
        if (event.startsWith(u"Tapi_Dialing")) {
            dialer->DisableDialButtons();
            dialer->SetStatusText(g_sTrans(366) + u' ' + dialer->NumberText());
        } else if (event.startsWith(u"Tapi_Connected")) {
            dialer->CallReady();
            if (g_bCallOutPending)
                dialer->SetStatusText(g_sTrans(367));
            else if (g_bCallOutRecPending)
                dialer->StartSecondsCounter();
        }
    }

    QTemporaryDir texts;
    HubLink hub;
    ScriptedDialogs dialogs;
};

} // namespace

TEST_F(DialerEndToEnd, SendDialsAndTheCallsProgressShowsInTheStatusBar)
{
    ASSERT_NO_FATAL_FAILURE(start());
    frmDialer dialer;
    for (const char* key : {"cmd5", "cmd5", "cmd5", "cmd9", "cmd8", "cmd7", "cmd6"})
        QTest::mouseClick(dialer.findChild<QPushButton*>(QString::fromLatin1(key)), Qt::LeftButton);
    QTest::mouseClick(dialer.cndSend, Qt::LeftButton);
    ASSERT_NO_FATAL_FAILURE(relayUntil(u"Tapi_Dialing\r\n0"_s));
    EXPECT_EQ(dialer.PanelText(), u"#366 5559876"_s);
    EXPECT_FALSE(dialer.cndSend->isEnabled());

    ASSERT_EQ(line({u"answer"_s}).exitCode, 0);
    ASSERT_NO_FATAL_FAILURE(relayUntil(u"Tapi_Connected\r\n0"_s));
    ASSERT_EQ(dialogs.messageRequests.size(), 1);
    EXPECT_EQ(dialogs.messageRequests[0].text, u"#370"_s);
    EXPECT_EQ(dialer.PanelText(), u"#367"_s);

    ASSERT_EQ(line({u"hangup"_s, u"--fast"_s}).exitCode, 0);
    ASSERT_TRUE(waitForIdles(1));
    const std::optional<CallRecord> stored = record(1);
    ASSERT_TRUE(stored);
    EXPECT_EQ(trimmed(stored->CallType), u"1"_s);
    EXPECT_EQ(trimmed(stored->CallerNumber), u"5559876"_s);
    // The end of the call changes nothing in the dialer.
    EXPECT_EQ(dialer.PanelText(), u"#367"_s);
    EXPECT_FALSE(dialer.cndSend->isEnabled());
    QFile numbers(frmDialer::DialCallsPath());
    ASSERT_TRUE(numbers.open(QIODevice::ReadOnly));
    EXPECT_EQ(numbers.readAll(), QByteArray("5559876\r\n"));

    // End hangs up a call in progress.
    events.clear();
    dialer.SetNumber(u"5550001"_s);
    dialer.cmdRecCall_Click();
    ASSERT_NO_FATAL_FAILURE(relayUntil(u"Tapi_Dialing\r\n0"_s));
    QTest::mouseClick(dialer.cmdEnd, Qt::LeftButton);
    ASSERT_TRUE(waitForIdles(2)) << events.join(u" | "_s).toStdString()
                                 << line({u"status"_s}).out.toStdString();
}

TEST_F(DialerEndToEnd, ARecordedCallCountsItsSecondsFromTheBoxOn)
{
    ASSERT_NO_FATAL_FAILURE(start());
    frmDialer dialer;
    dialer.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialer));
    dialer.SetNumber(u"5559876"_s);
    QTest::mouseClick(dialer.Picture1, Qt::LeftButton, {}, QPoint(3, 3));
    ASSERT_NO_FATAL_FAILURE(relayUntil(u"Tapi_Dialing\r\n0"_s));
    ASSERT_EQ(line({u"answer"_s}).exitCode, 0);
    ASSERT_NO_FATAL_FAILURE(relayUntil(u"Tapi_Connected\r\n0"_s));
    EXPECT_TRUE(g_bCallOutRecPending);
    QTRY_COMPARE_WITH_TIMEOUT(dialer.PanelText(), u"#368 0:00:01"_s, testTimeout(5000));
    ASSERT_EQ(line({u"hangup"_s, u"--fast"_s}).exitCode, 0);
    ASSERT_TRUE(waitForIdles(1));
    const std::optional<CallRecord> stored = record(1);
    ASSERT_TRUE(stored);
    EXPECT_EQ(trimmed(stored->CallType), u"4"_s);
    // The counter goes on until the window closes.
    QTRY_VERIFY_WITH_TIMEOUT(dialer.PanelText() != u"#368 0:00:01"_s, testTimeout(5000));
    dialer.close();
    EXPECT_FALSE(dialer.Timer1.isActive());
}

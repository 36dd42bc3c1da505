#include "common/ChannelMessages.h"
#include "desktop/calls/frmDialer.h"

#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/DialerFeedback.h"
#include "desktop/foundation/Translation.h"
#include "desktop/shell/MainWindowFrame.h"
#include "desktop/shell/ShellGlobals.h"
#include "desktop/shell/frmProc.h"
#include "platform/ScriptedServiceManager.h"
#include "tests/desktop/calls/CallWindowsFixture.h"
#include "tests/desktop/foundation/ScriptedDialogs.h"
#include "tests/desktop/shell/RecordedFrame.h"
#include "tests/desktop/shell/RecordingTray.h"
#include "tests/e2e/LiveLine.h"
#include "tests/support/TestMailAndLauncher.h"
#include "tests/support/WaitUntil.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The dialer on the desktop's command endpoint, the real service on the
// simulated line, and a far end played by ringvale-line. The real hub,
// loaded under a main window, hears the service's events and hands them on
// to the loaded dialer.
class DialerEndToEnd : public LiveLine {
protected:
    void SetUp() override
    {
        LiveLine::SetUp();
        // As an installation lays out the program folder.
        ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Data/Log"_s));
        ASSERT_NO_FATAL_FAILURE(loadNumberedTranslation(texts.filePath(u"Numbers.txt"_s), false));
        g_bServiceMode = false;
        g_bCallOutPending = false;
        g_bCallOutRecPending = false;
    }
    void TearDown() override
    {
        // The hub goes before the window it reports to, and before the service.
        hub.reset();
        UnloadMainWindow();
        ResetTranslation();
        LiveLine::TearDown();
        g_bStartingUp = false;
        g_bServiceMode = false;
    }

    // The service is up: the hub binds its channels and greets it. The
    // fixture started the service already, so the hub's own start of it
    // is only recorded.
    void startWithHub()
    {
        ASSERT_NO_FATAL_FAILURE(LiveLine::start());
        LoadMainWindow(false);
        hub = std::make_unique<frmProc>();
        auto recording = std::make_unique<TestLauncher>();
        launcher = recording.get();
        hub->launcher = std::move(recording);
        hub->Form_Load();
        ASSERT_EQ(launcher->started().size(), 1);
        ASSERT_EQ(hub->udiIn.number(), ChannelNumber::EventChannel);
    }

    // The service sent the event, and the hub has shown what it means: the
    // two endpoints of this process hear it each in its own time.
    void seen(const QString& event, const std::function<bool()>& shown)
    {
        ASSERT_TRUE(waitForEvent(event, 10000)) << events.join(u" | "_s).toStdString();
        ASSERT_TRUE(waitUntil(shown, 10000)) << event.toStdString();
    }
    static std::function<bool()> showing(const frmDialer& dialer, const QString& text)
    {
        return [&dialer, text] { return dialer.PanelText() == text; };
    }
    std::function<bool()> boxShown()
    {
        return [this] { return !dialogs.messageRequests.isEmpty(); };
    }

    QTemporaryDir texts;
    ScriptedServiceManager manager;
    ServiceManagerOverride managerInstalled{manager};
    RecordingTrays trays;
    RecordedFrames frames;
    ScriptedDialogs dialogs;
    std::unique_ptr<frmProc> hub;
    TestLauncher* launcher = nullptr;
};

} // namespace

TEST_F(DialerEndToEnd, SendDialsAndTheCallsProgressShowsInTheStatusBar)
{
    ASSERT_NO_FATAL_FAILURE(startWithHub());
    frmDialer dialer;
    for (const char* key : {"cmd5", "cmd5", "cmd5", "cmd9", "cmd8", "cmd7", "cmd6"})
        QTest::mouseClick(dialer.findChild<QPushButton*>(QString::fromLatin1(key)), Qt::LeftButton);
    QTest::mouseClick(dialer.cndSend, Qt::LeftButton);
    ASSERT_NO_FATAL_FAILURE(seen(u"Tapi_Dialing\r\n0"_s, showing(dialer, u"#366 5559876"_s)));
    EXPECT_EQ(dialer.PanelText(), u"#366 5559876"_s);
    EXPECT_FALSE(dialer.cndSend->isEnabled());

    ASSERT_EQ(line({u"answer"_s}).exitCode, 0);
    ASSERT_NO_FATAL_FAILURE(seen(u"Tapi_Connected\r\n0"_s, boxShown()));
    ASSERT_EQ(dialogs.messageRequests.size(), 1);
    EXPECT_EQ(dialogs.messageRequests[0].text, u"#370"_s);
    EXPECT_EQ(dialer.PanelText(), u"#367"_s);

    ASSERT_EQ(line({u"hangup"_s, u"--fast"_s}).exitCode, 0);
    ASSERT_TRUE(waitForIdles(1));
    const std::optional<CallRecord> stored = record(1);
    ASSERT_TRUE(stored);
    EXPECT_EQ(trimmed(stored->CallType), u"1"_s);
    EXPECT_EQ(trimmed(stored->CallerNumber), u"5559876"_s);
    // The end of the call makes the dialer ready for the next one.
    ASSERT_TRUE(waitUntil(showing(dialer, u"#801"_s), 10000));
    EXPECT_TRUE(dialer.cndSend->isEnabled());
    QFile numbers(frmDialer::DialCallsPath());
    ASSERT_TRUE(numbers.open(QIODevice::ReadOnly));
    EXPECT_EQ(numbers.readAll(), QByteArray("5559876\r\n"));

    // End hangs up a call in progress.
    events.clear();
    dialer.SetNumber(u"5550001"_s);
    dialer.cmdRecCall_Click();
    ASSERT_NO_FATAL_FAILURE(seen(u"Tapi_Dialing\r\n0"_s, showing(dialer, u"#366 5550001"_s)));
    QTest::mouseClick(dialer.cmdEnd, Qt::LeftButton);
    ASSERT_TRUE(waitForIdles(2)) << events.join(u" | "_s).toStdString()
                                 << line({u"status"_s}).out.toStdString();
}

TEST_F(DialerEndToEnd, ARecordedCallCountsItsSecondsFromTheBoxOn)
{
    ASSERT_NO_FATAL_FAILURE(startWithHub());
    frmDialer dialer;
    dialer.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialer));
    dialer.SetNumber(u"5559876"_s);
    QTest::mouseClick(dialer.Picture1, Qt::LeftButton, {}, QPoint(3, 3));
    ASSERT_NO_FATAL_FAILURE(seen(u"Tapi_Dialing\r\n0"_s, showing(dialer, u"#366 5559876"_s)));
    ASSERT_EQ(line({u"answer"_s}).exitCode, 0);
    ASSERT_NO_FATAL_FAILURE(seen(u"Tapi_Connected\r\n0"_s, boxShown()));
    EXPECT_TRUE(g_bCallOutRecPending);
    QTRY_COMPARE_WITH_TIMEOUT(dialer.PanelText(), u"#368 0:00:01"_s, testTimeout(5000));
    ASSERT_EQ(line({u"hangup"_s, u"--fast"_s}).exitCode, 0);
    ASSERT_TRUE(waitForIdles(1));
    const std::optional<CallRecord> stored = record(1);
    ASSERT_TRUE(stored);
    EXPECT_EQ(trimmed(stored->CallType), u"4"_s);
    // The counter stops with the call, and the dialer is ready again.
    ASSERT_TRUE(waitUntil(showing(dialer, u"#801"_s), 10000));
    EXPECT_FALSE(dialer.Timer1.isActive());
    EXPECT_TRUE(dialer.cndSend->isEnabled());
    dialer.close();
    EXPECT_FALSE(dialer.Timer1.isActive());
}

#pragma once

#include "common/ChannelLayout.h"
#include "common/RegistryRoutines.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/DialerFeedback.h"
#include "desktop/foundation/MainWindowSurfaces.h"
#include "desktop/foundation/Translation.h"
#include "desktop/settings/CallerPopUp.h"
#include "desktop/shell/ShellGlobals.h"
#include "desktop/shell/frmMain.h"
#include "desktop/shell/frmProc.h"
#include "platform/ScriptedServiceManager.h"
#include "tests/desktop/shell/RecordingOpener.h"
#include "tests/desktop/shell/RecordingTray.h"
#include "tests/support/TestClock.h"
#include "tests/support/TestEnvironment.h"

#include <QLabel>

#include <gtest/gtest.h>

#include <memory>

// A dialer window that keeps what the hub asked of it.
class RecordedDialer final : public DialerFeedback {
public:
    RecordedDialer() { SetLoadedDialer(this); }
    ~RecordedDialer() override { SetLoadedDialer(nullptr); }
    RecordedDialer(const RecordedDialer&) = delete;
    RecordedDialer& operator=(const RecordedDialer&) = delete;

    QString NumberText() const override { return QStringLiteral("5559876"); }
    void DisableDialButtons() override { log << QStringLiteral("disable"); }
    void SetStatusText(const QString& text) override { log << QStringLiteral("status ") + text; }
    void CallReady() override { log << QStringLiteral("ready"); }
    void StartSecondsCounter() override { log << QStringLiteral("seconds"); }
    void CallEnded() override { log << QStringLiteral("ended"); }

    QStringList log;
};

// The real main window loaded into the tray over a throw-away installation,
// with the English texts, a recording tray and window opener, a test clock
// and the caller pop-up given (a recording one unless a test installs another).
// Messages go into the hub's endpoints as they would arrive.
class LineEventsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.installDefaults();
        ASSERT_EQ(LoadTranslation(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt")), 0);
        SetCallerPopUp(&popUp);
        // Loaded as the program loads it, so the hub links and reports to it.
        window = dynamic_cast<frmMain*>(&LoadMainWindow(false));
        ASSERT_NE(window, nullptr);
        ASSERT_NE(window->hub(), nullptr);
        // The load's greetings are not what these tests count.
        hub().tmrHello.stop();
        hub().lHelloCount = 0;
        g_bDisplayIC = true;
        sCallDisplay = 1;
        g_bWhenCallerID = false;
        g_bOpenAppOnCall = false;
        g_bAnimate = false;
        g_bClosePersonal = false;
        g_lAnimateFaster = 0;
        g_lClosePersonalAfter = 0;
        g_bInCallActionsDone = false;
        g_bEndActionsDone = false;
        g_bIdleHandled = false;
        g_bCallOutPending = false;
        g_bCallOutRecPending = false;
    }
    void TearDown() override
    {
        UnloadMainWindow();
        window = nullptr;
        SetCallerPopUp(nullptr);
        ResetTranslation();
        g_bStartingUp = false;
        g_bMainHidden = false;
        g_bAutoMode = false;
        g_bLineOff = false;
        g_bExiting = false;
    }

    frmProc& hub() { return *window->hub(); }
    // Arrives on 307, 309 or 310: the lines joined by CR LF.
    void arrive(int channel, const QStringList& lines)
    {
        const QString text = lines.join(QStringLiteral("\r\n"));
        MessageControl& endpoint = channel == 309 ? hub().uDiCallerID
            : channel == 310                      ? hub().udiIdle
                                                  : hub().udiIn;
        emit endpoint.MessageArrived(text);
    }
    static QStringList cid(const QString& name, const QString& number, const QString& contact = {},
        const QString& picture = {}, const QString& show = QStringLiteral("True"),
        const QString& style = QStringLiteral("1"))
    {
        return {QStringLiteral("Tapi_CID"), QStringLiteral("0"), name, number, contact, picture, show, style,
            QStringLiteral("False")};
    }
    QString status() const { return window->PanelText(3); }
    QStringList balloons() const { return trays.balloons(); }
    static QString balloon(const QString& text)
    {
        return QStringLiteral("balloon 1 30000 Incoming Call|") + text;
    }

    TestEnvironment env;
    TestClock clock;
    ScriptedServiceManager manager;
    ServiceManagerOverride managerInstalled{manager};
    RecordingTrays trays;
    RecordingOpener opener;
    RecordedPopUp popUp;
    frmMain* window = nullptr;
};

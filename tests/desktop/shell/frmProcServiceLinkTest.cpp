#include "common/RegistryRoutines.h"
#include "desktop/shell/MainWindowFrame.h"
#include "desktop/shell/ShellGlobals.h"
#include "desktop/shell/frmProc.h"
#include "platform/DetachedLauncher.h"
#include "platform/ScriptedServiceManager.h"
#include "tests/desktop/shell/RecordedFrame.h"
#include "tests/desktop/shell/RecordingTray.h"
#include "tests/support/ChannelListener.h"
#include "tests/support/RecordedLaunch.h"
#include "tests/support/TestClock.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

class CountingLauncher : public ProgramLauncher {
public:
    LaunchResult Start(const QString& program, const QStringList& arguments, WindowStyle) override
    {
        starts << program + u' ' + arguments.join(u' ');
        return {};
    }
    QStringList starts;
};

// The scripted service manager, with something to do after a verb (a
// service coming up where the desktop can reach it).
class HookedServiceManager final : public ServiceManagerControl {
public:
    ServiceManagerReply run(const QString& verb, const QStringList& arguments) override
    {
        ServiceManagerReply reply = script.run(verb, arguments);
        if (verb == afterVerb && after)
            after();
        return reply;
    }
    ScriptedServiceManager script;
    QString afterVerb;
    std::function<void()> after;
};

class frmProcServiceLink : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.installDefaults();
        g_bServiceMode = false;
        LoadMainWindow(true);
        ASSERT_NE(frames.window, nullptr);
    }
    void TearDown() override
    {
        g_bServiceMode = false;
        g_sAppFolder.clear();
    }

    // A hub that starts nothing for real.
    std::unique_ptr<frmProc> makeHub()
    {
        auto hub = std::make_unique<frmProc>();
        auto counting = std::make_unique<CountingLauncher>();
        launcher = counting.get();
        hub->launcher = std::move(counting);
        return hub;
    }

    TestEnvironment env;
    RecordingTrays trays;
    RecordedFrames frames;
    CountingLauncher* launcher = nullptr;
};

} // namespace

TEST_F(frmProcServiceLink, PlainModeStartsTheServiceBesideItOnceWithTheDesktopsEnvironment)
{
    QTemporaryDir out;
    const QString record = out.filePath(u"launch"_s);
    qputenv("ARGS_RECORDER_OUT", record.toLocal8Bit());
    frmProc hub;
    hub.launcher = std::make_unique<DetachedLauncher>();
    hub.sServiceProgram = argsRecorderPath();
    hub.Form_Load();
    qunsetenv("ARGS_RECORDER_OUT");
    std::optional<RecordedLaunch> launch;
    ASSERT_TRUE(waitUntil([&] { return (launch = readRecordedLaunch(record)).has_value(); }));
    EXPECT_EQ(launch->arguments, QStringList{u"-gc"_s});
    EXPECT_EQ(launch->environment.value(u"RINGVALE_HOME"_s), env.programFolder());
    EXPECT_EQ(launch->environment.value(u"RINGVALE_REGISTRY"_s), env.registryFolder());
    EXPECT_EQ(launch->environment.value(u"XDG_RUNTIME_DIR"_s), env.runtimeBase());
    EXPECT_FALSE(g_bStartingUp);
    // The tray says it is the product once linked.
    EXPECT_EQ(trays.last->requests.last(), u"tip Ringvale 1.1"_s);
}

TEST_F(frmProcServiceLink, ThePlainStartIsTheServiceProgramBesideTheDesktop)
{
    auto hub = makeHub();
    hub->Form_Load();
    EXPECT_EQ(launcher->starts, QStringList{g_sAppFolder + u"RingvaleSvc -gc"_s});
}

TEST_F(frmProcServiceLink, TheServiceIsGreetedThreeTimesASecondApart)
{
    ChannelListener service(env, {u"308"_s});
    ASSERT_TRUE(service.waitUntilListening());
    auto hub = makeHub();
    hub->Form_Load();
    EXPECT_EQ(service.waitForLines(3, testTimeout(5000)), QList<QByteArray>(3, "308 HELLO"));
    ASSERT_TRUE(waitUntil([&] { return !hub->tmrHello.isActive(); }));
    EXPECT_EQ(hub->lHelloCount, 0);
    EXPECT_TRUE(staysFalse([&] { return service.waitForLines(4, 0).size() > 3; }, 1300));
}

TEST_F(frmProcServiceLink, RefusedGreetingsStillCountAndTheTimerStopsOnItsThirdTick)
{
    auto hub = makeHub(); // nobody on 308
    hub->Form_Load();
    hub->tmrHello.stop();
    hub->tmrHello.start(); // the ticks below are the test's
    hub->tmrHello.setInterval(3600 * 1000);
    hub->tmrHello_Timer();
    hub->tmrHello_Timer();
    EXPECT_EQ(hub->lHelloCount, 2);
    EXPECT_TRUE(hub->tmrHello.isActive());
    hub->tmrHello_Timer();
    EXPECT_EQ(hub->lHelloCount, 0);
    EXPECT_FALSE(hub->tmrHello.isActive());
}

TEST_F(frmProcServiceLink, UnloadMeFromASecondInstanceEndsTheProgram)
{
    auto hub = makeHub();
    hub->Form_Load();
    frmProc second; // as "-uia" loads it: no main window behind it
    UnloadMainWindow();
    second.Form_Load();
    LoadMainWindow(true);
    hub->udiIn_MessageArrived(u"LineStatus\r\n0\r\n0\r\n0"_s);
    EXPECT_FALSE(frames.log.contains(u"exit"_s));
    hub->udiIn_MessageArrived(u"UnLoad_Me"_s);
    EXPECT_EQ(frames.log.count(u"exit"_s), 1);
}

TEST(frmProcWithoutMainWindow, BindsNothingStartsNothingAndSaysNoHello)
{
    TestEnvironment env;
    ChannelListener service(env, {u"308"_s, u"307"_s});
    ASSERT_TRUE(service.waitUntilListening());
    auto counting = std::make_unique<CountingLauncher>();
    CountingLauncher* launcher = counting.get();
    frmProc hub;
    hub.launcher = std::move(counting);
    hub.Form_Load();
    EXPECT_FALSE(hub.udiIn.number().has_value());
    EXPECT_FALSE(hub.udiProc.number().has_value());
    EXPECT_TRUE(launcher->starts.isEmpty());
    EXPECT_TRUE(hub.tmrCheck.isActive());
    EXPECT_FALSE(hub.tmrHello.isActive());
    // The "-uia" request goes out on 307.
    hub.UnLoadApp();
    EXPECT_EQ(service.waitForLines(1), QList<QByteArray>{"307 UnLoad_Me"});
}

// Service mode: what the hub does about a service it cannot reach.
struct ServiceModeCase {
    const char* name;
    bool reachable; // something answers on 308 from the start
    const char* activeState; // of the installed unit
    bool comesBack; // reachable again after its start
    QStringList verbs; // stop and start requests, in order
};

class frmProcServiceMode : public frmProcServiceLink,
                           public ::testing::WithParamInterface<ServiceModeCase> { };

TEST_P(frmProcServiceMode, RestartsOnlyARunningServiceItCannotReach)
{
    const ServiceModeCase& c = GetParam();
    TestClock clock;
    HookedServiceManager manager;
    const ServiceManagerOverride installed(manager);
    manager.script.setState(u"loaded"_s, QString::fromLatin1(c.activeState));
    manager.script.setStateAfter(u"stop"_s, u"loaded"_s, u"inactive"_s);
    manager.script.setStateAfter(u"start"_s, u"loaded"_s, u"active"_s);
    std::unique_ptr<ChannelListener> service;
    if (c.reachable) {
        service = std::make_unique<ChannelListener>(env, QStringList{u"308"_s});
        ASSERT_TRUE(service->waitUntilListening());
    }
    manager.afterVerb = u"start"_s;
    manager.after = [&] {
        if (!c.comesBack)
            return;
        service = std::make_unique<ChannelListener>(env, QStringList{u"308"_s});
        ASSERT_TRUE(service->waitUntilListening());
    };
    g_bServiceMode = true; // as the main window read it
    const RegistryRoutines general = RegistryRoutines::forProduct(u"Properties\\TabGeneral"_s);
    const QString before = general.getString(u"ChkRunAsProc"_s);
    auto hub = makeHub();
    const qint64 start = clock.elapsedMs();
    hub->Form_Load();
    hub->tmrCheck.stop();

    QStringList verbs;
    qint64 stopAt = -1, startAt = -1;
    for (const ScriptedServiceManager::Request& request : manager.script.requests()) {
        if (request.verb == u"stop")
            stopAt = request.atMs;
        if (request.verb == u"start")
            startAt = request.atMs;
        if (request.verb == u"stop" || request.verb == u"start")
            verbs << request.verb;
    }
    EXPECT_EQ(verbs, c.verbs);
    EXPECT_TRUE(launcher->starts.isEmpty());
    // Bound whatever happened, so the service's events reach the desktop.
    EXPECT_EQ(hub->udiIn.number(), 307);
    EXPECT_EQ(hub->udiMail.number(), 311);
    if (startAt >= 0) {
        EXPECT_GE(startAt - stopAt, 4000);
    }
    if (!c.verbs.isEmpty() && !c.comesBack) {
        EXPECT_GE(clock.elapsedMs() - startAt, 30000);
    }
    if (c.comesBack) {
        EXPECT_LT(clock.elapsedMs() - start, 30000);
    }
    EXPECT_FALSE(g_bStartingUp);
    // A running service puts the desktop in service mode for good.
    EXPECT_EQ(general.getString(u"ChkRunAsProc"_s), qstrcmp(c.activeState, "active") == 0 ? u"1"_s : before);
}

INSTANTIATE_TEST_SUITE_P(Cases, frmProcServiceMode,
    ::testing::Values(ServiceModeCase{"reachable", true, "active", false, {}},
        ServiceModeCase{"unreachable_running", false, "active", true, {u"stop"_s, u"start"_s}},
        ServiceModeCase{"stopped", false, "inactive", false, {}},
        ServiceModeCase{"never_back", false, "active", false, {u"stop"_s, u"start"_s}}),
    [](const auto& info) { return std::string(info.param.name); });

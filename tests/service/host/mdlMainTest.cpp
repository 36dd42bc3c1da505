#include "service/host/mdlMain.h"
#include "common/RegistryRoutines.h"
#include "service/host/ServiceMainForm.h"
#include "tests/support/NotifySocket.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <string_view>

namespace {

struct FormLog {
    int loads = 0;
    int unloads = 0;
    bool unloadedWhileLoading = false;
};

// A main form whose loading runs what the test gives it.
class ScriptedForm final : public ServiceMainForm {
public:
    ScriptedForm(FormLog& log, std::function<void(ScriptedForm&)> onLoad)
        : m_log(log)
        , m_onLoad(std::move(onLoad))
    {
    }

    void load() override
    {
        ++m_log.loads;
        m_loaded = true;
        m_loading = true;
        if (m_onLoad)
            m_onLoad(*this);
        m_loading = false;
    }
    void unload() override
    {
        if (m_loading)
            m_log.unloadedWhileLoading = true;
        if (!m_loaded)
            return;
        m_loaded = false;
        ++m_log.unloads;
        Q_EMIT unloaded();
    }
    bool isLoaded() const override { return m_loaded; }

private:
    FormLog& m_log;
    std::function<void(ScriptedForm&)> m_onLoad;
    bool m_loaded = false;
    bool m_loading = false;
};

// Main runs in this process, against a store and a notify socket of the test.
class MainTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(socket.isValid());
        RegistryRoutines(RegistryRoutines::HKEY_LOCAL_MACHINE, QString(), QString())
            .CreateKey(QStringLiteral("SOFTWARE\\Brask\\Ringvale 1.1\\Properties\\TabGeneral"));
        qputenv("NOTIFY_SOCKET", socket.path().toUtf8());
    }
    void TearDown() override { qunsetenv("NOTIFY_SOCKET"); }

    void setRunAsProc(const QString& value)
    {
        ASSERT_TRUE(RegistryRoutines::forProduct(QStringLiteral("Properties\\TabGeneral"))
                        .setString(QStringLiteral("ChkRunAsProc"), value));
    }

    // A test that goes wrong must fail, not hang: after 10 s (longer in a
    // sanitizer build) the watchdog ends the program the way the mode allows
    // and says so.
    int runMain(std::function<void(ScriptedForm&)> onLoad, const QStringList& args = {})
    {
        bool watchdogFired = false;
        ScriptedForm* form = nullptr;
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [&] {
            watchdogFired = true;
            if (form)
                form->unload();
            ::raise(SIGTERM);
        });
        watchdog.start(testTimeout(10000));
        const int rc = Main(args, [&] {
            auto made = std::make_unique<ScriptedForm>(log, onLoad);
            form = made.get();
            return made;
        });
        EXPECT_FALSE(watchdogFired) << "the program did not end by itself";
        return rc;
    }

    TestEnvironment env;
    NotifySocket socket;
    FormLog log;
};

TEST_F(MainTest, ServiceStopDuringMainFormLoadIsNotLost)
{
    setRunAsProc(QStringLiteral("1"));
    QElapsedTimer elapsed;
    const int rc = runMain([&](ScriptedForm&) {
        EXPECT_EQ(socket.receive(), kStarting);
        EXPECT_EQ(socket.receive(), kRunning);
        elapsed.start();
        ASSERT_EQ(::raise(SIGTERM), 0);
        // Stop-pending goes out at once, while the form is still loading.
        EXPECT_EQ(socket.receive(), kStopping);
    });
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(socket.receive(), kStopped);
    EXPECT_FALSE(socket.receive(0).has_value());
    EXPECT_EQ(log.loads, 1);
    EXPECT_EQ(log.unloads, 1);
    EXPECT_FALSE(log.unloadedWhileLoading);
    // The set stop event ends the first one-second round at once.
    EXPECT_LT(elapsed.elapsed(), testTimeout(900));
}

TEST_F(MainTest, ServiceInterrogateReReportsRunningAndChangesNothing)
{
    setRunAsProc(QStringLiteral("1"));
    const int rc = runMain(
        [&](ScriptedForm& form) {
            QTimer::singleShot(0, [&] {
                EXPECT_EQ(socket.receive(), kStarting);
                EXPECT_EQ(socket.receive(), kRunning);
                ASSERT_EQ(::raise(SIGHUP), 0);
                EXPECT_EQ(socket.receive(), kRunning);
                EXPECT_FALSE(socket.receive(20).has_value());
                EXPECT_TRUE(form.isLoaded());
                ASSERT_EQ(::raise(SIGTERM), 0);
            });
        },
        {QStringLiteral("-gc")}); // "-gc" makes no difference to a service
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(socket.receive(), kStopping);
    EXPECT_EQ(socket.receive(), kStopped);
    EXPECT_EQ(log.unloads, 1);
}

TEST_F(MainTest, ServiceUnloadRequestIsANormalStop)
{
    // A service that reported running with its forms gone would have no line.
    setRunAsProc(QStringLiteral("1"));
    bool stopPendingBeforeUnload = false;
    const int rc = runMain([&](ScriptedForm& form) {
        QObject::connect(&form, &ServiceMainForm::unloaded, [&] {
            EXPECT_EQ(socket.receive(), kStarting);
            EXPECT_EQ(socket.receive(), kRunning);
            stopPendingBeforeUnload = socket.receive() == kStopping;
        });
        QTimer::singleShot(0, [&] { Q_EMIT form.unloadRequested(); }); // "UNLOAD"
    });
    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(stopPendingBeforeUnload);
    EXPECT_EQ(socket.receive(), kStopped);
    EXPECT_FALSE(socket.receive(0).has_value());
    EXPECT_EQ(log.unloads, 1);
}

TEST_F(MainTest, ServiceWhoseMainFormUnloadsItselfStopsNormally)
{
    setRunAsProc(QStringLiteral("1"));
    const int rc = runMain([&](ScriptedForm& form) { QTimer::singleShot(0, [&] { form.unload(); }); });
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(socket.receive(), kStarting);
    EXPECT_EQ(socket.receive(), kRunning);
    EXPECT_EQ(socket.receive(), kStopping);
    EXPECT_EQ(socket.receive(), kStopped);
    EXPECT_FALSE(socket.receive(0).has_value());
    EXPECT_EQ(log.unloads, 1);
}

TEST_F(MainTest, PlainProcessUnloadRequestUnloadsAndEnds)
{
    const int rc
        = runMain([](ScriptedForm& form) { QTimer::singleShot(10, [&] { Q_EMIT form.unloadRequested(); }); });
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(log.unloads, 1);
    EXPECT_FALSE(socket.receive(0).has_value());
}

TEST_F(MainTest, UnloadRequestDuringLoadIsKeptUntilLoaded)
{
    for (const char* mode : {"plain", "service"}) {
        SCOPED_TRACE(mode);
        log = FormLog();
        const bool service = std::string_view(mode) == "service";
        if (service)
            setRunAsProc(QStringLiteral("1"));
        const int rc = runMain([](ScriptedForm& form) { Q_EMIT form.unloadRequested(); });
        EXPECT_EQ(rc, 0);
        EXPECT_EQ(log.unloads, 1);
        EXPECT_FALSE(log.unloadedWhileLoading);
        while (socket.receive(0)) { }
    }
}

TEST_F(MainTest, PlainProcessEndsWhenItsMainFormUnloadsAndReportsNothing)
{
    const int rc = runMain([](ScriptedForm& form) { QTimer::singleShot(10, [&] { form.unload(); }); });
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(log.loads, 1);
    EXPECT_EQ(log.unloads, 1);
    // NOTIFY_SOCKET is set, but a plain process has no service status.
    EXPECT_FALSE(socket.receive(0).has_value());
}

TEST_F(MainTest, PlainProcessEndSignalDuringLoadUnloadsOnceLoaded)
{
    for (const int signal : {SIGTERM, SIGINT}) {
        log = FormLog();
        const int rc = runMain([signal](ScriptedForm&) {
            ASSERT_EQ(::raise(signal), 0);
            // Let the signal's notifier run inside the load.
            for (int i = 0; i < 5; ++i)
                QCoreApplication::processEvents();
        });
        EXPECT_EQ(rc, 0) << signal;
        EXPECT_EQ(log.unloads, 1) << signal;
        EXPECT_FALSE(log.unloadedWhileLoading) << signal;
    }
}

TEST_F(MainTest, SettingZeroEndsAtOnceWithoutLoadingUnlessTheCommandLineIsExactlyGc)
{
    setRunAsProc(QStringLiteral("0"));
    EXPECT_EQ(Main({QStringLiteral("-gc"), QStringLiteral("x")},
                  [&] { return std::make_unique<ScriptedForm>(log, nullptr); }),
        0);
    EXPECT_EQ(log.loads, 0);
    const int rc = runMain(
        [](ScriptedForm& form) { QTimer::singleShot(0, [&] { form.unload(); }); }, {QStringLiteral("-gc")});
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(log.loads, 1);
}

} // namespace

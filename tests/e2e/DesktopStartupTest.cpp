#include "common/AppPaths.h"
#include "common/ChannelMessages.h"
#include "common/RegistryRoutines.h"
#include "platform/MessageControl.h"
#include "platform/SingleInstanceLock.h"
#include "tests/support/ChannelListener.h"
#include "tests/support/FakeSystemctl.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The real desktop program over an installation that has had its first run.
class DesktopStartup : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(systemctl.isValid());
        systemctl.setState(u"not-found"_s, u"inactive"_s);
        env.installShippedDefaults();
        ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Trans"_s));
        ASSERT_TRUE(QFile::copy(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt"),
            env.programFolder() + u"/Trans/English.txt"_s));
        ASSERT_TRUE(RegistryRoutines::forProduct(QString()).setString(u"First"_s, u"0"_s));
        ASSERT_TRUE(
            RegistryRoutines::forProduct(u"Properties\\TabGeneral"_s).setString(u"ChkRunAsProc"_s, u"0"_s));
    }
    void TearDown() override
    {
        // Whatever failed, nothing started here outlives the test.
        for (QProcess* process : {&first, &second}) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished();
            }
        }
        MessageControl proc;
        if (proc.Channel(ChannelNumber::ProcChannel)) {
            proc.Send(MessageName::Unload.toString());
            proc.Flush(2000);
        }
    }

    void start(QProcess& process, const QStringList& arguments)
    {
        process.setProcessEnvironment(desktopEnvironment());
        process.start(TestEnvironment::binary(u"Ringvale"_s), arguments);
    }

    // Offscreen unless the run names a platform (the X server's run does).
    QProcessEnvironment desktopEnvironment() const
    {
        QProcessEnvironment environment = env.processEnvironment();
        if (environment.value(u"QT_QPA_PLATFORM"_s).isEmpty())
            environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        return environment;
    }

    // The service's one-instance lock is free again once it has ended.
    static bool serviceEnded()
    {
        const SingleInstanceLock lock(AppPaths::runtimeFolder() + u"/RingvaleSvc.lock"_s);
        return lock.state() == SingleInstanceLock::State::Acquired;
    }

    FakeSystemctl systemctl;
    TestEnvironment env;
    QProcess first;
    QProcess second;
};

} // namespace

TEST_F(DesktopStartup, TheDesktopStartsTheServiceGreetsItAndEndsItWithUiaStoringItsPlaceAndSort)
{
    ChannelListener listener(env, {u"308"_s, u"307"_s});
    ASSERT_TRUE(listener.waitUntilListening());
    start(first, {});

    // Three greetings, and the service's answer on the event channel.
    ASSERT_TRUE(waitUntil(
        [&] {
            const QList<QByteArray> lines = listener.waitForLines(0, 0);
            return lines.count("308 HELLO") >= 3
                && std::any_of(lines.begin(), lines.end(),
                    [](const QByteArray& line) { return line.startsWith("307 LineStatus"); });
        },
        20000))
        << listener.waitForLines(0, 0).join('\n').toStdString() << first.readAllStandardError().toStdString();
    EXPECT_FALSE(serviceEnded());
    EXPECT_TRUE(staysFalse([&] { return listener.waitForLines(0, 0).count("308 HELLO") > 3; }, 1500));

    // A second start ends at once and says nothing.
    start(second, {});
    ASSERT_TRUE(second.waitForFinished(testTimeout(20000)));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(second.readAllStandardError(), QByteArray());
    EXPECT_EQ(second.readAllStandardOutput(), QByteArray());
    EXPECT_EQ(first.state(), QProcess::Running);

    // "-uia" ends the running desktop, and its exit ends the service.
    QProcess uia;
    uia.setProcessEnvironment(desktopEnvironment());
    uia.start(TestEnvironment::binary(u"Ringvale"_s), {u"-uia"_s});
    ASSERT_TRUE(uia.waitForFinished(testTimeout(20000)));
    EXPECT_EQ(uia.exitCode(), 0);
    ASSERT_TRUE(first.waitForFinished(testTimeout(20000)));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_TRUE(waitUntil(serviceEnded, 20000));

    // Nothing was stored of the window: its exit stored the designed place
    // and the default sort, and the run's end.
    const RegistryRoutines root = RegistryRoutines::forProduct(QString());
    const QList<std::pair<QString, QString>> expected = {{u"lCol"_s, u"4"_s}, {u"g_sColOrder"_s, QString()},
        {u"lWidth"_s, u"9495"_s}, {u"lHeight"_s, u"7380"_s}, {u"lState"_s, u"0"_s}, {u"bRun"_s, u"0"_s}};
    for (const auto& [name, value] : expected) {
        EXPECT_TRUE(root.hasValue(name)) << name.toStdString();
        EXPECT_EQ(root.getString(name), value) << name.toStdString();
    }
}

// In service mode the start installs and starts the unit, with balloons and
// waits, before the main window listens: a "-uia" given at once must still
// end it. The program folder's name holds a blank and a "%".
TEST_F(DesktopStartup, UiaGivenWhileTheServiceModeStartIsUnderWayEndsTheDesktop)
{
    const QString home = env.programFolder() + u"/Ring vale 100%"_s;
    ASSERT_TRUE(QDir(home).mkpath(u"Trans"_s));
    ASSERT_TRUE(QDir(home).mkpath(u"Journal"_s));
    ASSERT_TRUE(QFile::copy(
        QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt"), home + u"/Trans/English.txt"_s));
    ASSERT_TRUE(
        RegistryRoutines::forProduct(u"Properties\\TabGeneral"_s).setString(u"ChkRunAsProc"_s, u"1"_s));
    systemctl.setStateAfter(u"daemon-reload"_s, u"loaded"_s, u"inactive"_s);
    systemctl.setStateAfter(u"start"_s, u"loaded"_s, u"active"_s);
    systemctl.setStateAfter(u"stop"_s, u"loaded"_s, u"inactive"_s);
    systemctl.setStateAfter(u"disable"_s, u"not-found"_s, u"inactive"_s);
    const QString unit = env.configFolder() + u"/systemd/user/RingvaleSvc.service"_s;

    QProcessEnvironment environment = desktopEnvironment();
    environment.insert(u"RINGVALE_HOME"_s, home);
    first.setProcessEnvironment(environment);
    first.start(TestEnvironment::binary(u"Ringvale"_s), {});
    ASSERT_TRUE(first.waitForStarted(testTimeout(10000)));
    // The unit is installed and started; the main window is still to come.
    const auto called = [&](const QString& verb) {
        const QList<QStringList> calls = systemctl.calls();
        return std::any_of(
            calls.begin(), calls.end(), [&](const QStringList& call) { return call.contains(verb); });
    };
    ASSERT_TRUE(waitUntil([&] { return called(u"start"_s); }, 20000))
        << first.readAllStandardError().toStdString();
    QProcess uia;
    uia.setProcessEnvironment(environment);
    uia.start(TestEnvironment::binary(u"Ringvale"_s), {u"-uia"_s});
    ASSERT_TRUE(uia.waitForFinished(testTimeout(20000)));
    EXPECT_EQ(uia.exitCode(), 0) << uia.readAllStandardError().toStdString();
    ASSERT_TRUE(first.waitForFinished(testTimeout(10000)))
        << "the desktop still runs: " << first.readAllStandardError().toStdString();
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();

    // "-uis" takes the unit away again (the unit file gone, a reload forgets it).
    systemctl.setStateAfter(u"daemon-reload"_s, u"not-found"_s, u"inactive"_s);
    QProcess uis;
    uis.setProcessEnvironment(environment);
    uis.start(TestEnvironment::binary(u"Ringvale"_s), {u"-uis"_s});
    ASSERT_TRUE(uis.waitForFinished(testTimeout(30000)));
    EXPECT_EQ(uis.exitCode(), 0) << uis.readAllStandardError().toStdString();
    EXPECT_FALSE(QFile::exists(unit));
    EXPECT_TRUE(called(u"disable"_s));
}

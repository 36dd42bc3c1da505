#include "platform/SystemctlServiceManager.h"
#include "platform/ScriptedServiceManager.h"
#include "tests/support/FakeSystemctl.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestClock.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace {

const char* const kUnit = "RingvaleSvc.service";

struct ArgumentRow {
    const char* verb;
    std::vector<const char*> arguments;
    std::vector<const char*> expected; // what systemctl is given
};

class SystemctlArguments : public ::testing::TestWithParam<ArgumentRow> { };

TEST_P(SystemctlArguments, RunsTheUsersManagerWithoutWaitingForStartOrStop)
{
    FakeSystemctl fake;
    ASSERT_TRUE(fake.isValid());
    const ArgumentRow& row = GetParam();
    SystemctlServiceManager manager;
    EXPECT_EQ(manager.run(QString::fromLatin1(row.verb), ArgumentList(row.arguments)).status, 0);
    EXPECT_EQ(fake.calls(), QList<QStringList>{ArgumentList(row.expected)});
}

INSTANTIATE_TEST_SUITE_P(Verbs, SystemctlArguments,
    ::testing::Values(ArgumentRow{"start", {kUnit}, {"--user", "start", "--no-block", kUnit}},
        ArgumentRow{"stop", {kUnit}, {"--user", "stop", "--no-block", kUnit}},
        ArgumentRow{"enable", {kUnit}, {"--user", "enable", kUnit}},
        ArgumentRow{"disable", {kUnit}, {"--user", "disable", kUnit}},
        ArgumentRow{"daemon-reload", {}, {"--user", "daemon-reload"}},
        // Arguments travel as they are: no shell splits or expands them.
        ArgumentRow{"show", {"-p", "LoadState", "a b;$(touch x)"},
            {"--user", "show", "-p", "LoadState", "a b;$(touch x)"}}),
    [](const ::testing::TestParamInfo<ArgumentRow>& info) {
        return QString::fromLatin1(info.param.verb).remove(u'-').toStdString();
    });

TEST(SystemctlServiceManager, GivesOutputStatusAndErrorAsOneLine)
{
    FakeSystemctl fake;
    ASSERT_TRUE(fake.isValid());
    fake.setState(QStringLiteral("loaded"), QStringLiteral("active"));
    fake.setExitStatus(QStringLiteral("start"), 5);
    fake.setStderr(QStringLiteral("start"), "Failed to start RingvaleSvc.service:\n  Unit not found.\n");
    SystemctlServiceManager manager;

    const ServiceManagerReply shown = manager.run(QStringLiteral("show"), ArgumentList({kUnit}));
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.output, QByteArray("LoadState=loaded\nActiveState=active\n"));
    EXPECT_EQ(shown.error, QString());

    const ServiceManagerReply started = manager.run(QStringLiteral("start"), ArgumentList({kUnit}));
    EXPECT_EQ(started.status, 5);
    EXPECT_EQ(started.error, QStringLiteral("Failed to start RingvaleSvc.service: Unit not found."));
}

TEST(SystemctlServiceManager, FailureWithoutMessageStillSaysWhat)
{
    FakeSystemctl fake;
    ASSERT_TRUE(fake.isValid());
    fake.setExitStatus(QStringLiteral("enable"), 1);
    const ServiceManagerReply reply
        = SystemctlServiceManager().run(QStringLiteral("enable"), ArgumentList({kUnit}));
    EXPECT_EQ(reply.status, 1);
    EXPECT_FALSE(reply.error.isEmpty());
}

TEST(SystemctlServiceManager, MissingProgramIsANamedFailure)
{
    const QByteArray oldPath = qgetenv("PATH");
    QTemporaryDir empty;
    qputenv("PATH", QFile::encodeName(empty.path()));
    const ServiceManagerReply reply
        = SystemctlServiceManager().run(QStringLiteral("start"), ArgumentList({kUnit}));
    qputenv("PATH", oldPath);
    EXPECT_EQ(reply.status, ServiceManagerError::ProgramMissing);
    EXPECT_TRUE(reply.error.contains(u"systemctl")) << reply.error.toStdString();
}

TEST(SystemctlServiceManager, RunThatNeverEndsIsKilledAtTheBound)
{
    FakeSystemctl fake;
    ASSERT_TRUE(fake.isValid());
    fake.setHangs(QStringLiteral("stop"));
    // Room for the fake (a shell script) to start on a loaded machine, well
    // short of its 60-second hang.
    SystemctlServiceManager manager(3000);
    QElapsedTimer timer;
    timer.start();
    const ServiceManagerReply reply = manager.run(QStringLiteral("stop"), ArgumentList({kUnit}));
    EXPECT_EQ(reply.status, ServiceManagerError::TimedOut);
    EXPECT_LT(timer.elapsed(), 20000);
    // The next run is not held up by the killed one.
    EXPECT_EQ(manager.run(QStringLiteral("start"), ArgumentList({kUnit})).status, 0);
}

TEST(ScriptedServiceManager, AnswersFromItsScriptAndStampsEachRequest)
{
    TestClock clock;
    ScriptedServiceManager manager;
    manager.setState(QStringLiteral("loaded"), QStringLiteral("inactive"));
    manager.setStateAfter(QStringLiteral("start"), QStringLiteral("loaded"), QStringLiteral("active"));
    manager.setResult(QStringLiteral("enable"), 1, QStringLiteral("nope"));

    EXPECT_EQ(manager.run(QStringLiteral("show"), ArgumentList({kUnit})).output,
        QByteArray("LoadState=loaded\nActiveState=inactive\n"));
    clock.advance(1500);
    const ServiceManagerReply enabled = manager.run(QStringLiteral("enable"), ArgumentList({kUnit}));
    EXPECT_EQ(enabled.status, 1);
    EXPECT_EQ(enabled.error, QStringLiteral("nope"));
    EXPECT_EQ(manager.run(QStringLiteral("start"), ArgumentList({kUnit})).status, 0);
    EXPECT_EQ(manager.activeState(), QStringLiteral("active"));
    EXPECT_EQ(manager.verbs(), ArgumentList({"show", "enable", "start"}));
    EXPECT_EQ(manager.requests().at(0).atMs, 0);
    EXPECT_EQ(manager.requests().at(2).atMs, 1500);
    EXPECT_EQ(manager.requests().at(2).arguments, ArgumentList({kUnit}));
}

} // namespace

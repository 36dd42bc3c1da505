#include "common/AppPaths.h"
#include "common/RegistryRoutines.h"
#include "tests/support/NotifySocket.h"
#include "tests/support/ServiceProcess.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <ostream>
#include <string>

namespace {

const QByteArray kMustBeService = "This program must be started as a service.\n";

class ServiceStartup : public ::testing::Test {
protected:
    void SetUp() override { env.installDefaults(); }

    void setRunAsProc(const std::optional<QString>& value)
    {
        const RegistryRoutines reg = RegistryRoutines::forProduct(QStringLiteral("Properties\\TabGeneral"));
        if (value)
            ASSERT_TRUE(reg.setString(QStringLiteral("ChkRunAsProc"), *value));
        else
            static_cast<void>(reg.DeleteValue(QStringLiteral("ChkRunAsProc"))); // missing already is fine
    }

    TestEnvironment env;
};

enum class Outcome { Runs, EndsSilently, MustBeService };

struct StartModeRow {
    std::optional<QString> setting; // ChkRunAsProc; nullopt: missing
    QStringList args;
    Outcome outcome;
};

void PrintTo(const StartModeRow& row, std::ostream* os)
{
    *os << "ChkRunAsProc " << (row.setting ? '"' + row.setting->toStdString() + '"' : std::string("missing"))
        << ", arguments \"" << row.args.join(u' ').toStdString() << '"';
}

class StartModeTable : public ServiceStartup, public ::testing::WithParamInterface<StartModeRow> { };

TEST_P(StartModeTable, RunsOrEndsAsTheSettingAndCommandLineSay)
{
    const StartModeRow& row = GetParam();
    setRunAsProc(row.setting);
    // Never started by systemd here: no NOTIFY_SOCKET.
    Svc svc(env, row.args, std::nullopt, row.outcome == Outcome::Runs);
    switch (row.outcome) {
    case Outcome::Runs:
        ASSERT_TRUE(svc.waitForLoaded()) << "ended instead of running: " << svc.userStderr().constData();
        svc.signal(SIGTERM);
        EXPECT_EQ(svc.waitForExit(), 0);
        EXPECT_EQ(svc.userStderr(), QByteArray());
        break;
    case Outcome::EndsSilently:
        EXPECT_EQ(svc.waitForExit(), 0);
        EXPECT_EQ(svc.userStderr(), QByteArray());
        break;
    case Outcome::MustBeService:
        EXPECT_EQ(svc.waitForExit(), 1);
        EXPECT_EQ(svc.userStderr(), kMustBeService);
        break;
    }
}

const QString gc = QStringLiteral("-gc");
const QStringList kNoArgs;
const QStringList kGc{gc};
const QStringList kUpperGc{QStringLiteral("-GC")};
const QStringList kGcAndMore{gc, QStringLiteral("x")};

INSTANTIATE_TEST_SUITE_P(Service, StartModeTable,
    ::testing::Values(StartModeRow{std::nullopt, kNoArgs, Outcome::Runs},
        StartModeRow{std::nullopt, kGc, Outcome::Runs}, StartModeRow{std::nullopt, kUpperGc, Outcome::Runs},
        StartModeRow{std::nullopt, kGcAndMore, Outcome::Runs},
        StartModeRow{QString(), kNoArgs, Outcome::Runs}, StartModeRow{QString(), kGc, Outcome::Runs},
        StartModeRow{QString(), kUpperGc, Outcome::Runs}, StartModeRow{QString(), kGcAndMore, Outcome::Runs},
        StartModeRow{QStringLiteral("0"), kNoArgs, Outcome::EndsSilently},
        StartModeRow{QStringLiteral("0"), kGc, Outcome::Runs},
        StartModeRow{QStringLiteral("0"), kUpperGc, Outcome::EndsSilently},
        StartModeRow{QStringLiteral("0"), kGcAndMore, Outcome::EndsSilently},
        StartModeRow{QStringLiteral("1"), kNoArgs, Outcome::MustBeService},
        StartModeRow{QStringLiteral("1"), kGc, Outcome::MustBeService},
        StartModeRow{QStringLiteral("1"), kUpperGc, Outcome::MustBeService},
        StartModeRow{QStringLiteral("1"), kGcAndMore, Outcome::MustBeService},
        StartModeRow{QStringLiteral("2"), kNoArgs, Outcome::Runs},
        StartModeRow{QStringLiteral("2"), kGc, Outcome::Runs},
        StartModeRow{QStringLiteral("2"), kUpperGc, Outcome::Runs},
        StartModeRow{QStringLiteral("2"), kGcAndMore, Outcome::Runs}),
    [](const ::testing::TestParamInfo<StartModeRow>& info) {
        const StartModeRow& row = info.param;
        QString name = !row.setting  ? QStringLiteral("Missing")
            : row.setting->isEmpty() ? QStringLiteral("Empty")
                                     : QStringLiteral("Set") + *row.setting;
        name += QStringLiteral("_");
        name += row.args.isEmpty() ? QStringLiteral("NoArgs")
            : row.args == kGc      ? QStringLiteral("gc")
            : row.args == kUpperGc ? QStringLiteral("GC")
                                   : QStringLiteral("gcAndMore");
        return name.toStdString();
    });

TEST_F(ServiceStartup, EmptyNotifySocketIsNotAServiceManager)
{
    setRunAsProc(QStringLiteral("1"));
    Svc svc(env, kGc, QString(), false);
    EXPECT_EQ(svc.waitForExit(), 1);
    EXPECT_EQ(svc.userStderr(), kMustBeService);
}

TEST_F(ServiceStartup, UnderSystemdReportsStartRunningStopAndAnswersInterrogate)
{
    setRunAsProc(QStringLiteral("1"));
    NotifySocket notify;
    ASSERT_TRUE(notify.isValid());
    Svc svc(env, kNoArgs, notify.path(), false);
    EXPECT_EQ(notify.receive(), QByteArray("STATUS=Starting"));
    EXPECT_EQ(notify.receive(), QByteArray("READY=1\nSTATUS=Running"));
    svc.signal(SIGHUP);
    EXPECT_EQ(notify.receive(), QByteArray("READY=1\nSTATUS=Running"));
    EXPECT_TRUE(svc.isRunning());
    svc.signal(SIGTERM);
    // Anything the interrogate had set off would come before this.
    EXPECT_EQ(notify.receive(), QByteArray("STOPPING=1\nSTATUS=Stopping"));
    EXPECT_EQ(notify.receive(), QByteArray("STATUS=Stopped"));
    EXPECT_EQ(svc.waitForExit(), 0);
    EXPECT_FALSE(notify.receive(0).has_value());
    EXPECT_EQ(svc.userStderr(), QByteArray());
}

TEST_F(ServiceStartup, SecondInstanceEndsAtOnceAndSilentlyInEitherMode)
{
    NotifySocket firstNotify;
    NotifySocket secondNotify;
    const struct {
        const char* name;
        bool firstIsService;
        bool secondIsService;
    } rows[] = {
        {"plain, then plain", false, false},
        {"plain, then service", false, true},
        {"service, then plain", true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        setRunAsProc(row.firstIsService ? std::optional<QString>(QStringLiteral("1")) : std::nullopt);
        Svc first(
            env, kGc, row.firstIsService ? std::optional<QString>(firstNotify.path()) : std::nullopt, true);
        ASSERT_TRUE(first.waitForLoaded());
        if (row.firstIsService) {
            ASSERT_EQ(firstNotify.receive(), QByteArray("STATUS=Starting"));
            ASSERT_EQ(firstNotify.receive(), QByteArray("READY=1\nSTATUS=Running"));
        }

        setRunAsProc(row.secondIsService ? std::optional<QString>(QStringLiteral("1")) : std::nullopt);
        Svc second(env, kGc, row.secondIsService ? std::optional<QString>(secondNotify.path()) : std::nullopt,
            false);
        EXPECT_EQ(second.waitForExit(), 0);
        EXPECT_EQ(second.userStderr(), QByteArray());
        EXPECT_FALSE(secondNotify.receive(0).has_value()) << "the second instance talked to systemd";
        EXPECT_TRUE(first.isRunning());

        first.signal(SIGTERM);
        EXPECT_EQ(first.waitForExit(), 0);
        while (firstNotify.receive(0)) { }
    }
}

TEST_F(ServiceStartup, InstanceThatWasKilledLeavesNothingThatKeepsTheNextOut)
{
    {
        Svc first(env, kGc, std::nullopt, true);
        ASSERT_TRUE(first.waitForLoaded());
        first.signal(SIGKILL);
        EXPECT_FALSE(first.waitForExit().has_value());
    }
    Svc next(env, kGc, std::nullopt, true);
    ASSERT_TRUE(next.waitForLoaded());
    next.signal(SIGTERM);
    EXPECT_EQ(next.waitForExit(), 0);
}

TEST_F(ServiceStartup, UnusableInstanceLockIsAnErrorNotAFreeStart)
{
    // Without a lock that works, two services could drive one line.
    const struct {
        const char* name;
        bool folderIsAFile; // else the lock file is a planted link
        QByteArray message;
    } rows[] = {
        {"runtime folder is a file", true,
            "RingvaleSvc: no private runtime folder; cannot tell whether another instance runs.\n"},
        {"lock file is a link", false,
            "RingvaleSvc: cannot lock the instance lock file; cannot tell whether another instance runs.\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir runtimeBase;
        const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", runtimeBase.path().toUtf8());
        const QString folder = AppPaths::runtimeFolder();
        qputenv("XDG_RUNTIME_DIR", oldRuntime);
        ASSERT_FALSE(folder.isEmpty());
        if (row.folderIsAFile) {
            ASSERT_TRUE(QDir(folder).removeRecursively());
            QFile file(folder);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        } else {
            ASSERT_TRUE(QFile::link(runtimeBase.path() + QStringLiteral("/elsewhere"),
                folder + QStringLiteral("/RingvaleSvc.lock")));
        }
        Svc svc(env, kGc, std::nullopt, false, runtimeBase.path());
        EXPECT_EQ(svc.waitForExit(), 1);
        EXPECT_EQ(svc.userStderr(), row.message);
    }
}

} // namespace

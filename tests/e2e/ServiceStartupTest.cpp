#include "common/AppPaths.h"
#include "common/RegistryRoutines.h"
#include "tests/support/NotifySocket.h"
#include "tests/support/ServiceProcess.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <ostream>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

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

enum class Outcome { Runs, EndsSayingWhy, MustBeService };

const QByteArray kOnlyWithGc
    = "RingvaleSvc: ChkRunAsProc is \"0\": it runs only when started with -gc alone, as the desktop program "
      "starts it.\n";

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
        EXPECT_TRUE(svc.progress().startsWith("RingvaleSvc: started as a process; "))
            << svc.progress().constData();
        break;
    case Outcome::EndsSayingWhy:
        EXPECT_EQ(svc.waitForExit(), 0);
        EXPECT_EQ(svc.userStderr(), kOnlyWithGc);
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
        StartModeRow{QStringLiteral("0"), kNoArgs, Outcome::EndsSayingWhy},
        StartModeRow{QStringLiteral("0"), kGc, Outcome::Runs},
        StartModeRow{QStringLiteral("0"), kUpperGc, Outcome::EndsSayingWhy},
        StartModeRow{QStringLiteral("0"), kGcAndMore, Outcome::EndsSayingWhy},
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
    // What the system journal shows of it.
    EXPECT_TRUE(svc.progress().startsWith(
        QByteArray("RingvaleSvc: started as a systemd service; program folder " + env.programFolder().toUtf8()
            + ", settings store " + env.registryFolder().toUtf8() + "/HKEY_LOCAL_MACHINE.ini\n")))
        << svc.progress().constData();
    EXPECT_TRUE(svc.progress().endsWith("RingvaleSvc: stopped.\n")) << svc.progress().constData();
}

TEST_F(ServiceStartup, SecondInstanceEndsAtOnceSayingSoInEitherMode)
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
        EXPECT_EQ(second.userStderr(),
            "RingvaleSvc: already running for the program folder " + env.programFolder().toUtf8()
                + "; this one ends.\n");
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
    // Without a lock that works, two services could drive one line. The
    // message names the folder, what is wrong with it and the way out.
    enum class Plant { File, OtherUsersFolder, LinkAsLock };
    const passwd* nobody = getuid() == 0 ? getpwnam("nobody") : nullptr;
    const struct {
        const char* name;
        Plant plant;
        QByteArray says; // after the folder's name
    } rows[] = {
        {"runtime folder is a file", Plant::File, " is a file (owner "},
        {"runtime folder is another user's", Plant::OtherUsersFolder, " belongs to nobody (uid "},
        {"lock file is a link", Plant::LinkAsLock, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.plant == Plant::OtherUsersFolder && !nobody)
            continue; // only root can plant another user's folder
        QTemporaryDir runtimeBase;
        const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", runtimeBase.path().toUtf8());
        const QString folder = AppPaths::runtimeFolder();
        qputenv("XDG_RUNTIME_DIR", oldRuntime);
        ASSERT_FALSE(folder.isEmpty());
        if (row.plant == Plant::File) {
            ASSERT_TRUE(QDir(folder).removeRecursively());
            QFile file(folder);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        } else if (row.plant == Plant::OtherUsersFolder) {
            ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0);
            ASSERT_EQ(::chown(QFile::encodeName(folder).constData(), nobody->pw_uid, gid_t(-1)), 0);
        } else {
            ASSERT_TRUE(QFile::link(runtimeBase.path() + QStringLiteral("/elsewhere"),
                folder + QStringLiteral("/RingvaleSvc.lock")));
        }
        Svc svc(env, kGc, std::nullopt, false, runtimeBase.path());
        EXPECT_EQ(svc.waitForExit(), 1);
        const QByteArray err = svc.userStderr();
        if (row.plant == Plant::LinkAsLock) {
            EXPECT_EQ(err,
                "RingvaleSvc: cannot lock the instance lock file; cannot tell whether another instance "
                "runs.\n");
            continue;
        }
        EXPECT_TRUE(err.startsWith(
            QByteArray("RingvaleSvc: no private runtime folder, so it cannot tell whether another "
                       "instance runs: the runtime folder "
                + QFile::encodeName(folder) + row.says)))
            << err.constData();
        EXPECT_TRUE(err.contains("set XDG_RUNTIME_DIR to a folder of your own")) << err.constData();
        EXPECT_EQ(err.count('\n'), 1);
    }
}

// A store the service cannot use is said with its path and what to run, and
// the service does not start half-blind.
TEST_F(ServiceStartup, BrokenSettingsStoreIsReportedAndNothingRuns)
{
    const struct {
        const char* name;
        std::optional<QByteArray> content; // nothing: a folder in its place
        QByteArray says;
    } rows[] = {
        {"empty", QByteArray(), "holds no key HKLM\\SOFTWARE\\Brask\\Ringvale 1.1 (empty or damaged)"},
        {"garbage",
            QByteArray("\x7f"
                       "ELF\x02\x01\x01\0\0\0 binary",
                17),
            "holds no key"},
        {"cut short before the product's key", "; Ringvale settings: HKEY_LOC", "holds no key"},
        {"no product key", "[SOFTWARE\\Other\\Program]\nName=sz:x\n", "holds no key"},
        {"a folder", std::nullopt, "cannot read the settings store "},
    };
    const QString path = env.registryFolder() + QStringLiteral("/HKEY_LOCAL_MACHINE.ini");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QFile::remove(path);
        QDir().rmdir(path);
        if (row.content) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(*row.content);
        } else {
            ASSERT_TRUE(QDir().mkdir(path));
        }
        Svc svc(env, kGc, std::nullopt, false);
        EXPECT_EQ(svc.waitForExit(), 1);
        const QByteArray err = svc.userStderr();
        EXPECT_TRUE(err.startsWith("RingvaleSvc: ")) << err.constData();
        EXPECT_TRUE(err.contains(QFile::encodeName(path))) << err.constData();
        EXPECT_TRUE(err.contains(row.says)) << err.constData();
        EXPECT_TRUE(err.contains("run `make run`, or `ringvale-reg import data/Defaults.reg`"))
            << err.constData();
        EXPECT_EQ(err.count('\n'), 1) << err.constData();
        EXPECT_EQ(svc.progress(), QByteArray()) << "it started anyway";
    }
}

TEST_F(ServiceStartup, HelpAndVersionPrintAndStartNothing)
{
    const struct {
        QStringList args;
        QByteArray starts;
    } rows[] = {
        {{QStringLiteral("--help")}, "usage: RingvaleSvc [-gc]\n"},
        {{QStringLiteral("-h")}, "usage: RingvaleSvc [-gc]\n"},
        {{QStringLiteral("-gc"), QStringLiteral("--help")}, "usage: RingvaleSvc [-gc]\n"},
        {{QStringLiteral("--version")}, "RingvaleSvc 1.1.0.2"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args.join(u' ').toStdString());
        QProcess svc;
        svc.setProcessEnvironment(env.processEnvironment());
        svc.start(TestEnvironment::binary(QStringLiteral("RingvaleSvc")), row.args);
        ASSERT_TRUE(svc.waitForFinished(5000));
        EXPECT_EQ(svc.exitCode(), 0);
        const QByteArray out = svc.readAllStandardOutput();
        EXPECT_TRUE(out.startsWith(row.starts)) << out.constData();
        EXPECT_EQ(svc.readAllStandardError(), QByteArray());
        // Nothing started: no journal written, no instance lock taken.
        EXPECT_TRUE(QDir(env.programFolder() + QStringLiteral("/Journal")).entryList(QDir::Files).isEmpty());
    }
    QProcess help;
    help.start(TestEnvironment::binary(QStringLiteral("RingvaleSvc")), {QStringLiteral("--help")});
    ASSERT_TRUE(help.waitForFinished(5000));
    const QByteArray text = help.readAllStandardOutput();
    for (const char* part : {"-gc", "--version", "ChkRunAsProc", "RINGVALE_HOME", "RINGVALE_REGISTRY",
             "ringvale-chan send 305 UNLOAD", "Exit status: 0", "; 1 it could not run"})
        EXPECT_TRUE(text.contains(part)) << part;
}

} // namespace

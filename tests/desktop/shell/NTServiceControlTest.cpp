#include "desktop/shell/NTServiceControl.h"
#include "desktop/shell/ShellGlobals.h"
#include "tests/desktop/shell/SystemctlArguments.h"
#include "tests/support/FakeSystemctl.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <vector>

namespace {

class NTServiceControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fake.isValid());
        g_sAppFolder = TestEnvironment::binary(QString()); // ends with "/"
    }
    void TearDown() override { g_sAppFolder.clear(); }

    static QByteArray unitFile()
    {
        QFile file(ServiceUnitPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    TestEnvironment env;
    FakeSystemctl fake;
};

TEST_F(NTServiceControlTest, UnitGoesToTheUsersSystemdFolder)
{
    EXPECT_EQ(ServiceUnitPath(), env.configFolder() + QStringLiteral("/systemd/user/RingvaleSvc.service"));
}

TEST_F(NTServiceControlTest, EachFunctionRunsItsArgumentLists)
{
    const struct {
        const char* name;
        std::function<qint32()> call;
        QList<QStringList> expected;
    } rows[] = {
        {"ServiceGetState", [] { return ServiceGetState(); }, {kShow}},
        {"ServiceIsInstalled", [] { return ServiceIsInstalled(); }, {kShow}},
        {"ServiceStart", [] { return ServiceStart(); },
            {ArgumentList({"--user", "start", "--no-block", kUnit})}},
        {"ServiceStop", [] { return ServiceStop(); },
            {ArgumentList({"--user", "stop", "--no-block", kUnit})}},
        {"ServiceInstall",
            [] {
                QString account = QStringLiteral("LocalSystem");
                return ServiceInstall(account);
            },
            {ArgumentList({"--user", "daemon-reload"}), ArgumentList({"--user", "enable", kUnit})}},
        {"ServiceUninstall", [] { return ServiceUninstall(); },
            {ArgumentList({"--user", "stop", "--no-block", kUnit}),
                ArgumentList({"--user", "disable", kUnit}), ArgumentList({"--user", "daemon-reload"})}},
    };
    for (const auto& row : rows) {
        fake.clearCalls();
        row.call();
        EXPECT_EQ(fake.calls(), row.expected) << row.name;
    }
    EXPECT_FALSE(QFileInfo::exists(ServiceUnitPath())) << "the uninstall removes the unit file";
}

struct StateRow {
    const char* loadState;
    const char* activeState;
    qint32 state;
    bool installed;
};

void PrintTo(const StateRow& row, std::ostream* os)
{
    *os << row.loadState << '/' << row.activeState;
}

class ServiceStateTable : public NTServiceControlTest, public ::testing::WithParamInterface<StateRow> { };

TEST_P(ServiceStateTable, MapsSystemdStatesToServiceStates)
{
    const StateRow& row = GetParam();
    fake.setState(QString::fromLatin1(row.loadState), QString::fromLatin1(row.activeState));
    EXPECT_EQ(ServiceGetState(), row.state);
    EXPECT_EQ(ServiceIsInstalled() == 0, row.installed);
}

INSTANTIATE_TEST_SUITE_P(States, ServiceStateTable,
    ::testing::Values(StateRow{"loaded", "inactive", 1, true}, StateRow{"loaded", "failed", 1, true},
        StateRow{"loaded", "activating", 2, true}, StateRow{"loaded", "deactivating", 3, true},
        StateRow{"loaded", "active", 4, true}, StateRow{"loaded", "reloading", 5, true},
        StateRow{"loaded", "maintenance", 0, true}, StateRow{"not-found", "inactive", 0, false},
        StateRow{"not-found", "active", 0, false}, StateRow{"masked", "inactive", 0, false},
        StateRow{"error", "inactive", 0, false}, StateRow{"bad-setting", "inactive", 0, false}));

TEST_F(NTServiceControlTest, UnreadableStateIsNone)
{
    // systemctl failing (no user manager to talk to, say) and answers without
    // one of the two properties.
    fake.setState(QStringLiteral("loaded"), QStringLiteral("active"));
    fake.setExitStatus(QStringLiteral("show"), 1);
    fake.setStderr(QStringLiteral("show"), "Failed to connect to bus: No medium found\n");
    EXPECT_EQ(ServiceGetState(), 0);
    EXPECT_EQ(ServiceIsInstalled(), 1);
    EXPECT_EQ(ServiceLastError(), QStringLiteral("Failed to connect to bus: No medium found"));

    fake.setExitStatus(QStringLiteral("show"), 0);
    fake.setShowOutput("LoadState=loaded\n");
    EXPECT_EQ(ServiceGetState(), 0);
    EXPECT_NE(ServiceIsInstalled(), 0);
    fake.setShowOutput("ActiveState=active\n");
    EXPECT_EQ(ServiceGetState(), 0);
    EXPECT_NE(ServiceIsInstalled(), 0);
}

TEST_F(NTServiceControlTest, FailuresGiveSystemctlsStatusAndMessage)
{
    fake.setExitStatus(QStringLiteral("start"), 5);
    fake.setStderr(QStringLiteral("start"),
        "Failed to start RingvaleSvc.service: Unit RingvaleSvc.service not found.\n");
    EXPECT_EQ(ServiceStart(), 5);
    EXPECT_EQ(ServiceLastError(),
        QStringLiteral("Failed to start RingvaleSvc.service: Unit RingvaleSvc.service not found."));
    fake.setExitStatus(QStringLiteral("stop"), 4);
    EXPECT_EQ(ServiceStop(), 4);
}

TEST_F(NTServiceControlTest, MissingSystemctlIsANamedFailure)
{
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", "/nonexistent");
    const qint32 started = ServiceStart();
    const qint32 state = ServiceGetState();
    qputenv("PATH", oldPath);
    EXPECT_EQ(started, ServiceManagerError::ProgramMissing);
    EXPECT_EQ(state, 0);
}

struct AccountRow {
    QString typed;
    QString composed; // what the box shows afterwards
    bool accepted;
};

void PrintTo(const AccountRow& row, std::ostream* os)
{
    *os << '"' << row.typed.toStdString() << '"';
}

class AccountTable : public NTServiceControlTest, public ::testing::WithParamInterface<AccountRow> { };

TEST_P(AccountTable, OnlyTheSystemAccountOrTheDesktopsUserIsInstalled)
{
    AccountRow row = GetParam();
    const QString login = DesktopUserLogin();
    ASSERT_FALSE(login.isEmpty());
    row.typed.replace(QStringLiteral("<login>"), login);
    row.composed.replace(QStringLiteral("<login>"), login);
    if (login == u"bob" || login == u"localsystem")
        GTEST_SKIP() << "the table's other user is this machine's user";

    QString account = row.typed;
    const qint32 rc = ServiceInstall(account);
    EXPECT_EQ(account, row.composed);
    if (row.accepted) {
        EXPECT_EQ(rc, 0);
        EXPECT_TRUE(QFileInfo::exists(ServiceUnitPath()));
    } else {
        EXPECT_EQ(rc, ServiceControlError::AccountRefused);
        EXPECT_FALSE(QFileInfo::exists(ServiceUnitPath()));
        EXPECT_TRUE(fake.calls().isEmpty()) << "nothing reaches systemd";
        EXPECT_TRUE(ServiceLastError().contains(u".\\" + login)) << ServiceLastError().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Accounts, AccountTable,
    ::testing::Values(AccountRow{QStringLiteral("LocalSystem"), QStringLiteral("LocalSystem"), true},
        // Another letter case is a user's name, and no user of ours.
        AccountRow{QStringLiteral("localsystem"), QStringLiteral(".\\localsystem"), false},
        AccountRow{QStringLiteral("bob"), QStringLiteral(".\\bob"), false},
        AccountRow{QStringLiteral("DOM\\bob"), QStringLiteral("DOM\\bob"), false},
        AccountRow{QString(), QStringLiteral(".\\"), false},
        AccountRow{QStringLiteral("<login>"), QStringLiteral(".\\<login>"), true},
        AccountRow{QStringLiteral(".\\<login>"), QStringLiteral(".\\<login>"), true}));

TEST_F(NTServiceControlTest, LogonDomainIsEmpty)
{
    EXPECT_EQ(GetLogonDomain(), QString());
}

TEST_F(NTServiceControlTest, ExistingUnitIsNeitherReplacedNorReloaded)
{
    QString account = QStringLiteral("LocalSystem");
    ASSERT_EQ(ServiceInstall(account), 0);
    QFile file(ServiceUnitPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("# edited by hand\n");
    file.close();
    fake.clearCalls();

    EXPECT_EQ(ServiceInstall(account), ServiceControlError::UnitExists);
    EXPECT_EQ(unitFile(), QByteArray("# edited by hand\n"));
    EXPECT_TRUE(fake.calls().isEmpty());
}

TEST_F(NTServiceControlTest, FailedReloadIsReportedAndLeavesNoUnitFileBehind)
{
    fake.setExitStatus(QStringLiteral("daemon-reload"), 1);
    fake.setStderr(QStringLiteral("daemon-reload"), "Failed to reload daemon: Access denied\n");
    QString account = QStringLiteral("LocalSystem");
    EXPECT_EQ(ServiceInstall(account), 1);
    EXPECT_EQ(ServiceLastError(), QStringLiteral("Failed to reload daemon: Access denied"));
    EXPECT_EQ(fake.calls(), QList<QStringList>{ArgumentList({"--user", "daemon-reload"})});
    EXPECT_FALSE(QFileInfo::exists(ServiceUnitPath())) << "a later install can try again";
}

TEST_F(NTServiceControlTest, FolderWithAControlCharacterIsRefusedAndNothingWritten)
{
    const QString folder = env.programFolder() + QStringLiteral("/line\nbreak/");
    const struct {
        const char* which;
        QString appFolder;
        QByteArray home;
    } rows[] = {
        {"program beside the desktop", folder, env.programFolder().toUtf8()},
        {"program folder", TestEnvironment::binary(QString()), folder.toUtf8()},
    };
    const QByteArray oldHome = qgetenv("RINGVALE_HOME");
    for (const auto& row : rows) {
        g_sAppFolder = row.appFolder;
        qputenv("RINGVALE_HOME", row.home);
        QString account = QStringLiteral("LocalSystem");
        EXPECT_EQ(ServiceInstall(account), ServiceControlError::UnitNotWritten) << row.which;
        EXPECT_FALSE(QFileInfo::exists(ServiceUnitPath())) << row.which;
        EXPECT_TRUE(fake.calls().isEmpty()) << row.which;
    }
    qputenv("RINGVALE_HOME", oldHome);
}

TEST_F(NTServiceControlTest, FailedDisableKeepsTheUnitFile)
{
    QString account = QStringLiteral("LocalSystem");
    ASSERT_EQ(ServiceInstall(account), 0);
    fake.setExitStatus(QStringLiteral("disable"), 1);
    fake.setExitStatus(QStringLiteral("stop"), 5); // ignored
    fake.clearCalls();
    EXPECT_EQ(ServiceUninstall(), 1);
    EXPECT_TRUE(QFileInfo::exists(ServiceUnitPath()));
    EXPECT_EQ(fake.calls(),
        (QList<QStringList>{ArgumentList({"--user", "stop", "--no-block", kUnit}),
            ArgumentList({"--user", "disable", kUnit})}));
}

} // namespace

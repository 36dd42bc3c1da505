#include "desktop/shell/frmProc.h"
#include "common/RegistryRoutines.h"
#include "desktop/shell/NTServiceControl.h"
#include "desktop/shell/ShellGlobals.h"
#include "platform/ScriptedServiceManager.h"
#include "tests/desktop/shell/SystemctlArguments.h"
#include "tests/support/FakeSystemctl.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestClock.h"
#include "tests/support/TestEnvironment.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <vector>

namespace {

const QString kLoaded = QStringLiteral("loaded");

const QStringList kStart = ArgumentList({"--user", "start", "--no-block", kUnit});
const QStringList kStop = ArgumentList({"--user", "stop", "--no-block", kUnit});
const QStringList kReload = ArgumentList({"--user", "daemon-reload"});
const QStringList kEnable = ArgumentList({"--user", "enable", kUnit});
const QStringList kDisable = ArgumentList({"--user", "disable", kUnit});

class frmProcTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The setting the buttons must leave alone, there to be overwritten.
        const RegistryRoutines general
            = RegistryRoutines::forProduct(QStringLiteral("Properties\\TabGeneral"));
        ASSERT_EQ(general.CreateKey(), QStringLiteral("0"));
        ASSERT_TRUE(general.setString(QStringLiteral("ChkRunAsProc"), QStringLiteral("0")));
        g_bServiceMode = false;
        form.Form_Load();
        // Tests refresh when they want to; a tick in between would add requests.
        form.tmrCheck.stop();
        g_sAppFolder = TestEnvironment::binary(QString());
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }
    void TearDown() override
    {
        g_bServiceMode = false;
        g_sAppFolder.clear();
    }

    static QString runAsProc()
    {
        return RegistryRoutines::forProduct(QStringLiteral("Properties\\TabGeneral"))
            .getString(QStringLiteral("ChkRunAsProc"));
    }

    // Writes a unit file as an earlier install would have.
    static void placeUnitFile()
    {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(ServiceUnitPath()).absolutePath()));
        QFile file(ServiceUnitPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Service]\n");
    }

    // On the box itself: the check box spans the panel, its middle is empty.
    void clickSystemAccount()
    {
        QTest::mouseClick(form.chkSystem, Qt::LeftButton, {}, QPoint(8, form.chkSystem->height() / 2));
    }

    static QByteArray readUnitFileText()
    {
        QFile file(ServiceUnitPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    TestEnvironment env;
    TestClock clock;
    frmProc form;
};

TEST_F(frmProcTest, PanelAtLoad)
{
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Service Manager"));
    EXPECT_EQ(form.chkSystem->text(), QStringLiteral("System Account"));
    EXPECT_TRUE(form.chkSystem->isChecked());
    EXPECT_EQ(form.lblAccount->text(), QStringLiteral("Account:"));
    EXPECT_EQ(form.lblPassword->text(), QStringLiteral("Password:"));
    EXPECT_EQ(form.cmdInstall->text(), QStringLiteral("Install Service"));
    EXPECT_EQ(form.cmdStart->text(), QStringLiteral("Start Service"));
    EXPECT_EQ(form.txtAccount->text(), QStringLiteral("LocalSystem"));
    EXPECT_FALSE(form.txtAccount->isEnabled());
    EXPECT_FALSE(form.txtPassword->isEnabled());
    EXPECT_FALSE(form.lblAccount->isEnabled());
    EXPECT_FALSE(form.lblPassword->isEnabled());
    EXPECT_EQ(g_sAppFolder, TestEnvironment::binary(QString())); // set again by SetUp
    form.txtPassword->setText(QStringLiteral("secret"));
    EXPECT_EQ(form.txtPassword->displayText(), QStringLiteral("******"));
}

TEST_F(frmProcTest, SystemAccountBoxSwitchesTheAccountFields)
{
    form.txtPassword->setText(QStringLiteral("pw"));
    clickSystemAccount(); // untick
    EXPECT_FALSE(form.chkSystem->isChecked());
    EXPECT_EQ(form.txtAccount->text(), QString());
    for (QWidget* w : QList<QWidget*>{form.txtAccount, form.txtPassword, form.lblAccount, form.lblPassword})
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
    form.txtAccount->setText(QStringLiteral("bob"));
    clickSystemAccount(); // tick
    EXPECT_EQ(form.txtAccount->text(), QStringLiteral("LocalSystem"));
    for (QWidget* w : QList<QWidget*>{form.txtAccount, form.txtPassword, form.lblAccount, form.lblPassword})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_EQ(form.txtPassword->text(), QStringLiteral("pw"));
}

struct ButtonsRow {
    const char* activeState; // nullptr: no unit
    bool ticked;
    bool installed;
    const char* installCaption;
    bool installEnabled;
    const char* startCaption; // "~": unchanged
    bool startEnabled;
    bool accountEnabled; // the two boxes and their labels
    bool systemEnabled;
};

void PrintTo(const ButtonsRow& row, std::ostream* os)
{
    *os << (row.activeState ? row.activeState : "missing") << (row.ticked ? ", ticked" : ", not ticked");
}

class RefreshTable : public frmProcTest, public ::testing::WithParamInterface<ButtonsRow> { };

TEST_P(RefreshTable, ButtonsFollowTheUnit)
{
    const ButtonsRow& row = GetParam();
    ScriptedServiceManager manager;
    ServiceManagerOverride use(manager);
    if (row.activeState)
        manager.setState(kLoaded, QString::fromLatin1(row.activeState));
    form.chkSystem->setChecked(row.ticked);
    form.txtAccount->setText(QStringLiteral("typed"));
    form.txtPassword->setText(QStringLiteral("pw"));
    form.cmdStart->setText(QStringLiteral("~"));
    form.lServiceState = -1;

    form.RefreshServiceButtons();

    EXPECT_EQ(form.bServiceInstalled, row.installed);
    EXPECT_EQ(form.cmdInstall->text(), QString::fromLatin1(row.installCaption));
    EXPECT_EQ(form.cmdInstall->isEnabled(), row.installEnabled);
    EXPECT_EQ(form.cmdStart->text(), QString::fromLatin1(row.startCaption));
    EXPECT_EQ(form.cmdStart->isEnabled(), row.startEnabled);
    for (QWidget* w : QList<QWidget*>{form.txtAccount, form.txtPassword, form.lblAccount, form.lblPassword})
        EXPECT_EQ(w->isEnabled(), row.accountEnabled) << w->objectName().toStdString();
    EXPECT_EQ(form.chkSystem->isEnabled(), row.systemEnabled);
    // The state is read only for an installed unit; the boxes keep their text.
    EXPECT_EQ(form.lServiceState == -1, !row.installed);
    EXPECT_EQ(form.txtAccount->text(), QStringLiteral("typed"));
    EXPECT_EQ(form.txtPassword->text(), QStringLiteral("pw"));
}

INSTANTIATE_TEST_SUITE_P(States, RefreshTable,
    ::testing::Values(ButtonsRow{nullptr, true, false, "Install Service", true, "~", false, false, true},
        ButtonsRow{nullptr, false, false, "Install Service", true, "~", false, true, true},
        ButtonsRow{"inactive", true, true, "Uninstall Service", true, "Start Service", true, false, false},
        ButtonsRow{"inactive", false, true, "Uninstall Service", true, "Start Service", true, false, false},
        ButtonsRow{"activating", true, true, "Uninstall Service", false, "~", false, false, false},
        ButtonsRow{"activating", false, true, "Uninstall Service", false, "~", false, false, false},
        ButtonsRow{"deactivating", true, true, "Uninstall Service", false, "~", false, false, false},
        ButtonsRow{"deactivating", false, true, "Uninstall Service", false, "~", false, false, false},
        ButtonsRow{"active", true, true, "Uninstall Service", false, "Stop Service", true, false, false},
        ButtonsRow{"active", false, true, "Uninstall Service", false, "Stop Service", true, false, false}));

struct ClickRow {
    const char* name;
    const char* activeState; // nullptr: no unit
    bool install; // cmdInstall, else cmdStart
    QStringList verbs; // asked for between the two refreshes
};

TEST_F(frmProcTest, ButtonsActOnTheServiceAndNeverSwitchServiceMode)
{
    const ClickRow rows[] = {
        {"install", nullptr, true, ArgumentList({"daemon-reload", "enable"})},
        {"uninstall a stopped service", "inactive", true, ArgumentList({"stop", "disable", "daemon-reload"})},
        {"uninstall a running service", "active", true, {}},
        {"start a stopped service", "inactive", false, ArgumentList({"start"})},
        {"stop a running service", "active", false, ArgumentList({"stop"})},
        {"start while starting", "activating", false, {}},
        {"start with no unit", nullptr, false, {}},
    };
    for (const bool serviceMode : {false, true}) {
        for (const ClickRow& row : rows) {
            QFile::remove(ServiceUnitPath());
            ScriptedServiceManager manager;
            ServiceManagerOverride use(manager);
            if (row.activeState)
                manager.setState(kLoaded, QString::fromLatin1(row.activeState));
            g_bServiceMode = serviceMode;
            form.chkSystem->setChecked(true);
            form.chkSystem_Click();
            form.txtPassword->setText(QStringLiteral("pw"));
            form.RefreshServiceButtons();
            manager.clearRequests();

            QTest::mouseClick(row.install ? form.cmdInstall : form.cmdStart, Qt::LeftButton);

            QStringList verbs = manager.verbs();
            verbs.removeAll(QStringLiteral("show"));
            EXPECT_EQ(verbs, row.verbs) << row.name;
            EXPECT_EQ(g_bServiceMode, serviceMode) << row.name;
            EXPECT_EQ(runAsProc(), QStringLiteral("0")) << row.name;
            if (row.install && !row.activeState) {
                EXPECT_EQ(form.txtPassword->text(), QString()) << row.name;
            }
        }
    }
}

TEST_F(frmProcTest, InstallButtonShowsTheComposedAccountAndClearsThePassword)
{
    ScriptedServiceManager manager;
    ServiceManagerOverride use(manager);
    clickSystemAccount();
    form.txtAccount->setText(QStringLiteral("DOM\\bob"));
    form.txtPassword->setText(QStringLiteral("pw"));
    QTest::mouseClick(form.cmdInstall, Qt::LeftButton);
    EXPECT_EQ(form.txtAccount->text(), QStringLiteral("DOM\\bob"));
    EXPECT_EQ(form.txtPassword->text(), QString());
    EXPECT_FALSE(QFileInfo::exists(ServiceUnitPath()));

    form.txtAccount->setText(DesktopUserLogin());
    QTest::mouseClick(form.cmdInstall, Qt::LeftButton);
    EXPECT_EQ(form.txtAccount->text(), QStringLiteral(".\\") + DesktopUserLogin());
    EXPECT_TRUE(QFileInfo::exists(ServiceUnitPath()));
}

TEST_F(frmProcTest, InstallRunServInstallsWaitsStartsAndSwitchesServiceModeOn)
{
    FakeSystemctl fake;
    ASSERT_TRUE(fake.isValid());
    fake.setStateAfter(QStringLiteral("daemon-reload"), kLoaded, QStringLiteral("inactive"));
    fake.setStateAfter(QStringLiteral("start"), kLoaded, QStringLiteral("active"));
    form.txtPassword->setText(QStringLiteral("pw"));

    form.InstallRunServ();

    EXPECT_EQ(fake.calls(), (QList<QStringList>{kShow, kReload, kEnable, kShow, kStart, kShow, kShow}));
    EXPECT_TRUE(QFileInfo::exists(ServiceUnitPath()));
    EXPECT_EQ(form.txtPassword->text(), QString());
    EXPECT_EQ(form.lServiceState, 4);
    EXPECT_TRUE(g_bServiceMode);
    EXPECT_EQ(clock.elapsedMs(), 3000);
}

TEST_F(frmProcTest, InstallRunServWithTheUnitThereStartsItAfterThreeSecondsWithoutWaiting)
{
    placeUnitFile();
    ScriptedServiceManager manager;
    ServiceManagerOverride use(manager);
    manager.setState(kLoaded, QStringLiteral("inactive"));
    manager.setStateAfter(QStringLiteral("start"), kLoaded, QStringLiteral("active"));
    form.txtPassword->setText(QStringLiteral("pw"));

    form.InstallRunServ();

    EXPECT_EQ(manager.verbs(), ArgumentList({"show", "start", "show", "show"}));
    EXPECT_EQ(manager.requests().at(1).atMs, 3000);
    EXPECT_EQ(form.txtPassword->text(), QStringLiteral("pw"));
    EXPECT_EQ(readUnitFileText(), QByteArray("[Service]\n"));
    EXPECT_TRUE(g_bServiceMode);
}

TEST_F(frmProcTest, InstallRunServGoesOnWhenTheStateNeverComes)
{
    ScriptedServiceManager manager;
    ServiceManagerOverride use(manager);
    manager.setStateAfter(QStringLiteral("daemon-reload"), kLoaded, QStringLiteral("deactivating"));

    form.InstallRunServ();

    const QStringList verbs = manager.verbs();
    const qsizetype start = verbs.indexOf(QStringLiteral("start"));
    ASSERT_GE(start, 0);
    const qint64 startedAt = manager.requests().at(start).atMs;
    EXPECT_GE(startedAt, 33000);
    EXPECT_LE(startedAt, 34000);
    // The polls between enable and the start covered the 30 seconds.
    EXPECT_GE(start - 3, 30);
    EXPECT_TRUE(g_bServiceMode);
}

TEST_F(frmProcTest, InstallRunServThatInstallsNothingLeavesServiceModeOffAndSaysWhy)
{
    ScriptedServiceManager manager;
    ServiceManagerOverride use(manager);
    manager.setResult(
        QStringLiteral("daemon-reload"), 1, QStringLiteral("Failed to reload daemon: Access denied"));
    manager.setResult(QStringLiteral("start"), 5, QStringLiteral("Unit RingvaleSvc.service not found."));

    ::testing::internal::CaptureStderr();
    form.InstallRunServ();
    const std::string said = ::testing::internal::GetCapturedStderr();

    EXPECT_FALSE(g_bServiceMode);
    EXPECT_EQ(said, "RingvaleSvc.service was not installed: Failed to reload daemon: Access denied\n");
    EXPECT_FALSE(manager.verbs().contains(QStringLiteral("enable")));
}

TEST_F(frmProcTest, InstallRunServWhoseEnableFailsSaysSoThoughTheUnitRuns)
{
    ScriptedServiceManager manager;
    ServiceManagerOverride use(manager);
    // The reload loaded the unit; enabling it for the next login fails.
    manager.setStateAfter(QStringLiteral("daemon-reload"), kLoaded, QStringLiteral("inactive"));
    manager.setResult(
        QStringLiteral("enable"), 1, QStringLiteral("Failed to enable unit: Read-only file system"));

    ::testing::internal::CaptureStderr();
    form.InstallRunServ();
    const std::string said = ::testing::internal::GetCapturedStderr();

    EXPECT_TRUE(g_bServiceMode);
    EXPECT_TRUE(manager.verbs().contains(QStringLiteral("start")));
    EXPECT_NE(said.find("RingvaleSvc.service was installed, but not wholly: "), std::string::npos) << said;
    EXPECT_NE(said.find("Read-only file system"), std::string::npos) << said;
}

TEST_F(frmProcTest, InstallRunServWithARefusedAccountWritesNothing)
{
    ScriptedServiceManager manager;
    ServiceManagerOverride use(manager);
    clickSystemAccount();
    form.txtAccount->setText(QStringLiteral("DOM\\bob"));

    ::testing::internal::CaptureStderr();
    form.InstallRunServ();
    const std::string said = ::testing::internal::GetCapturedStderr();

    EXPECT_FALSE(QFileInfo::exists(ServiceUnitPath()));
    EXPECT_FALSE(g_bServiceMode);
    EXPECT_NE(said.find("was not installed"), std::string::npos) << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << "one line";
}

TEST_F(frmProcTest, UnInstallRunServOfAStoppedServiceRemovesItAndSwitchesServiceModeOff)
{
    FakeSystemctl fake;
    ASSERT_TRUE(fake.isValid());
    placeUnitFile();
    fake.setState(kLoaded, QStringLiteral("inactive"));
    fake.setStateAfter(
        QStringLiteral("daemon-reload"), QStringLiteral("not-found"), QStringLiteral("inactive"));
    g_bServiceMode = true;

    form.UnInstallRunServ();

    EXPECT_EQ(fake.calls(), (QList<QStringList>{kStop, kShow, kStop, kDisable, kReload, kShow, kShow}));
    EXPECT_FALSE(QFileInfo::exists(ServiceUnitPath()));
    EXPECT_EQ(form.lServiceState, 0);
    EXPECT_FALSE(g_bServiceMode);
}

TEST_F(frmProcTest, UnInstallRunServWithNoServiceWaitsForNothing)
{
    FakeSystemctl fake;
    ASSERT_TRUE(fake.isValid());
    fake.setExitStatus(QStringLiteral("stop"), 5);
    fake.setExitStatus(QStringLiteral("disable"), 1);
    g_bServiceMode = true;

    form.UnInstallRunServ();

    EXPECT_EQ(fake.calls(), (QList<QStringList>{kStop, kStop, kDisable, kShow}));
    EXPECT_FALSE(g_bServiceMode);
    EXPECT_EQ(clock.elapsedMs(), 0);
}

TEST_F(frmProcTest, UnInstallRunServThatCannotRemoveKeepsServiceModeAndSaysWhy)
{
    ScriptedServiceManager manager;
    ServiceManagerOverride use(manager);
    placeUnitFile();
    manager.setState(kLoaded, QStringLiteral("inactive"));
    manager.setResult(QStringLiteral("disable"), 1, QStringLiteral("Failed to disable unit: Access denied"));
    g_bServiceMode = true;

    ::testing::internal::CaptureStderr();
    form.UnInstallRunServ();
    const std::string said = ::testing::internal::GetCapturedStderr();

    EXPECT_TRUE(g_bServiceMode);
    EXPECT_TRUE(QFileInfo::exists(ServiceUnitPath()));
    EXPECT_EQ(said, "RingvaleSvc.service was not removed: Failed to disable unit: Access denied\n");
}

TEST_F(frmProcTest, ClosingThePanelOnlyHidesIt)
{
    form.tmrCheck.start();
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.tmrCheck.isActive());
}

TEST_F(frmProcTest, CheckTimerRefreshesEverySecondWhileHidden)
{
    ScriptedServiceManager manager;
    ServiceManagerOverride use(manager);
    manager.setState(kLoaded, QStringLiteral("active"));
    form.hide();
    form.tmrCheck.start();
    EXPECT_EQ(form.tmrCheck.interval(), 1000);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.cmdStart->text() == u"Stop Service"; }, 5000));
}

TEST_F(frmProcTest, ScreenshotsOfThePanelsThreeLooks)
{
    const struct {
        const char* name;
        const char* activeState; // nullptr: no unit
        const char* startCaption;
    } looks[] = {{"missing", nullptr, "Start Service"}, {"stopped", "inactive", "Start Service"},
        {"running", "active", "Stop Service"}};
    const QString folder = QStringLiteral(RINGVALE_SCREENSHOT_DIR);
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const auto& look : looks) {
        ScriptedServiceManager manager;
        ServiceManagerOverride use(manager);
        if (look.activeState)
            manager.setState(kLoaded, QString::fromLatin1(look.activeState));
        form.RefreshServiceButtons();
        EXPECT_EQ(form.cmdStart->text(), QString::fromLatin1(look.startCaption)) << look.name;
        const QString path = folder + QStringLiteral("/service-manager-") + QString::fromLatin1(look.name)
            + QStringLiteral(".png");
        QFile::remove(path);
        EXPECT_TRUE(form.grab().save(path)) << path.toStdString();
    }
}

} // namespace

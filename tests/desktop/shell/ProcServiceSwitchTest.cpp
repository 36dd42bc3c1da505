#include "desktop/shell/ProcServiceSwitch.h"

#include "common/RegistryRoutines.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/Translation.h"
#include "desktop/settings/frmProperties.h"
#include "desktop/shell/NTServiceControl.h"
#include "desktop/shell/ShellGlobals.h"
#include "desktop/shell/frmProc.h"
#include "platform/ProgramLauncher.h"
#include "tests/support/ChannelListener.h"
#include "tests/support/FakeSystemctl.h"
#include "tests/support/TestClock.h"
#include "tests/support/TestEnvironment.h"

#include <QCheckBox>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct RecordingLauncher final : ProgramLauncher {
    LaunchResult Start(const QString& program, const QStringList& arguments, WindowStyle) override
    {
        started << (QStringList{program} + arguments).join(u' ');
        return {};
    }
    QStringList started;
};

} // namespace

// "Run as a service" ticked in the properties window and OK pressed, with the
// hub's own service control over systemctl.
TEST(ProcServiceSwitchTest, TickingRunAsAServiceInstallsTheUnitOrKeepsThePlainProcess)
{
    const struct {
        const char* what;
        bool installFails;
        bool serviceMode;
        bool plainStarted;
    } rows[] = {{"installed and started", false, true, false},
        // Nothing watches the line otherwise: the plain process comes back.
        {"the install fails", true, false, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        TestEnvironment env;
        env.installDefaults();
        TestClock clock;
        FakeSystemctl fake;
        ASSERT_TRUE(fake.isValid());
        fake.setStateAfter(u"daemon-reload"_s, u"loaded"_s, u"inactive"_s);
        fake.setStateAfter(u"start"_s, u"loaded"_s, u"active"_s);
        if (row.installFails) {
            fake.setExitStatus(u"daemon-reload"_s, 1);
            fake.setExitStatus(u"start"_s, 5);
        }
        g_bServiceMode = false;
        g_bExiting = false;
        frmProc proc;
        proc.Form_Load();
        proc.tmrCheck.stop();
        g_sAppFolder = u"/opt/ringvale/"_s;
        auto launcher = std::make_unique<RecordingLauncher>();
        RecordingLauncher& launches = *launcher;
        ProcServiceSwitch serviceSwitch(proc, std::move(launcher));
        SetServiceSwitch(&serviceSwitch);
        ChannelListener listener(env, {u"305"_s});
        ASSERT_TRUE(listener.waitUntilListening());

        frmProperties& form = LoadPropertiesWindow();
        ASSERT_FALSE(form.ChkRunAsProc->isHidden());
        form.ChkRunAsProc->setCheckState(Qt::Checked);
        form.cmdOK_Click();

        EXPECT_EQ(listener.waitForLines(1), QList<QByteArray>{"305 UNLOAD"});
        EXPECT_EQ(g_bServiceMode, row.serviceMode);
        EXPECT_EQ(QFileInfo::exists(ServiceUnitPath()), row.serviceMode);
        EXPECT_EQ(launches.started,
            row.plainStarted ? QStringList{u"/opt/ringvale/RingvaleSvc -gc"_s} : QStringList{});
        EXPECT_EQ(
            RegistryRoutines::forProduct(u"Properties\\TabGeneral"_s).getString(u"ChkRunAsProc"_s), u"1");

        g_bExiting = true;
        UnloadPropertiesWindow();
        SetServiceSwitch(nullptr);
        g_bServiceMode = false;
        g_bExiting = false;
        g_sAppFolder.clear();
    }
}

#include "desktop/shell/StandInMainWindow.h"
#include "common/RegistryRoutines.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/shell/ShellGlobals.h"
#include "desktop/shell/frmProc.h"
#include "platform/ScriptedServiceManager.h"
#include "tests/desktop/shell/RecordingTray.h"
#include "tests/support/ChannelListener.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QMenuBar>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// The close box is the program's exit: the service hears "UNLOAD" unless
// systemd runs it, and ends only through systemd then.
TEST(StandInMainWindow, ItsCloseBoxEndsTheServiceOnlyOutsideServiceMode)
{
    struct Case {
        const char* runAsProc;
        QList<QByteArray> heard;
    };
    const Case cases[] = {{"0", {"305 UNLOAD"}}, {"1", {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.runAsProc);
        TestEnvironment env;
        env.installDefaults();
        ScriptedServiceManager manager; // no unit: nothing to restart
        const ServiceManagerOverride installed(manager);
        RecordingTrays trays;
        ASSERT_TRUE(RegistryRoutines::forProduct(u"Properties\\TabGeneral"_s)
                        .setString(u"ChkRunAsProc"_s, QString::fromLatin1(c.runAsProc)));
        ChannelListener service(env, {u"305"_s});
        ASSERT_TRUE(service.waitUntilListening());
        {
            StandInMainWindow window;
            // In plain mode it starts the RingvaleSvc beside the test
            // program, where there is none: the start fails and is said.
            window.Load(true);
            EXPECT_EQ(g_bServiceMode, qstrcmp(c.runAsProc, "1") == 0);
            QStringList bar;
            for (QAction* action : window.menuBar()->actions())
                if (action->isVisible())
                    bar << action->text();
            EXPECT_EQ(bar.size(), 5);
            window.close();
            EXPECT_TRUE(g_bExiting);
            EXPECT_FALSE(window.isVisible());
        }
        if (c.heard.isEmpty()) {
            EXPECT_TRUE(staysFalse([&] { return !service.waitForLines(1, 0).isEmpty(); }, 500));
        } else {
            EXPECT_EQ(service.waitForLines(1), c.heard);
        }
        g_bExiting = false;
        g_bServiceMode = false;
    }
}

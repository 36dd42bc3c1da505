#include "desktop/foundation/HubLink.h"
#include "desktop/foundation/mdlModemState.h"
#include "desktop/shell/frmProc.h"
#include "tests/support/ChannelListener.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

// The windows' line commands go out through the hub form while it exists.
TEST(frmProcLink, TheHubIsTheProgramsLinkToTheServiceWhileItLives)
{
    TestEnvironment env;
    ChannelListener listener(env, {u"308"_s});
    ASSERT_TRUE(listener.waitUntilListening());
    auto hub = std::make_unique<frmProc>();
    ASSERT_EQ(CurrentHubLink(), hub.get());
    EXPECT_EQ(hub->sCallStatus, u"NOTHING"_s);

    SendModemState(1, {}, {});
    EXPECT_EQ(listener.waitForLines(1), QList<QByteArray>{"308 OFF"});
    hub.reset();
    EXPECT_EQ(CurrentHubLink(), nullptr);
}

#include "service/web/WebAccessSettings.h"
#include "common/RegistryRoutines.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

TEST(WebAccessSettings, DefaultsTurnRemoteAccessOnAtPort8080WithProtection)
{
    TestEnvironment env;
    env.installShippedDefaults();
    const WebAccessSettings settings = LoadWebAccessSettings();
    EXPECT_TRUE(RemoteAccessAllowed());
    EXPECT_EQ(settings.RCWWWAllow, 1);
    EXPECT_EQ(settings.RCWWWPort, 8080);
    EXPECT_EQ(settings.RCWWWProtect, 1);
    EXPECT_EQ(settings.RCWWWViewCalls, 1);
    EXPECT_EQ(settings.RCWWWViewLog, u"1");
    EXPECT_EQ(settings.RCWWWStartPage, u"Calls");
}

TEST(WebAccessSettings, ValuesThatAreNoNumbersReadAsZero)
{
    TestEnvironment env;
    env.installDefaults();
    const RegistryRoutines reg
        = RegistryRoutines::forProduct(QStringLiteral("RemoteAccess\\TabInternetAccess"));
    struct Case {
        const char* allow;
        const char* port;
        const char* protect;
        qint32 allowNumber;
        qint32 portNumber;
        qint32 protectNumber;
        bool allowed;
    };
    const Case cases[] = {
        {"1", "80", "1", 1, 80, 1, true},
        {"0", "", "0", 0, 0, 0, false},
        {"yes", "http", "on", 0, 0, 0, false},
        {"2", " 8080 ", "-1", 2, 8080, -1, true},
        {"", "99999999999", "1x", 0, 0, 0, false},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(reg.setString(QStringLiteral("chkAllowWWWRemoteAccess"), QString::fromLatin1(c.allow)));
        ASSERT_TRUE(reg.setString(QStringLiteral("txtWWWPort"), QString::fromLatin1(c.port)));
        ASSERT_TRUE(reg.setString(QStringLiteral("chkWWWProtect"), QString::fromLatin1(c.protect)));
        ASSERT_TRUE(reg.setString(QStringLiteral("txtWWWUserName"), QStringLiteral("user")));
        ASSERT_TRUE(reg.setString(QStringLiteral("txtWWWPass"), QStringLiteral("pa:ss")));
        const WebAccessSettings settings = LoadWebAccessSettings();
        EXPECT_EQ(settings.RCWWWAllow, c.allowNumber) << c.allow;
        EXPECT_EQ(settings.RCWWWPort, c.portNumber) << c.port;
        EXPECT_EQ(settings.RCWWWProtect, c.protectNumber) << c.protect;
        EXPECT_EQ(settings.RCWWWUserName, u"user");
        EXPECT_EQ(settings.RCWWWPass, u"pa:ss");
        EXPECT_EQ(RemoteAccessAllowed(), c.allowed) << c.allow;
    }
}

} // namespace

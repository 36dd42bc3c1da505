#include "platform/IniRegistry.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    TestEnvironment::clearInheritedVariables();
    // Nothing a test does may touch the real user's settings or folders.
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    IniRegistry::installDefault();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

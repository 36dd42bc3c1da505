#include "platform/IniRegistry.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

// The main of the test programs that show windows: the same as the shared
// one, with a QApplication. Offscreen unless QT_QPA_PLATFORM names another
// (the tests under Xvfb say xcb), so test discovery needs no display either.
int main(int argc, char* argv[])
{
    TestEnvironment::clearInheritedVariables();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    IniRegistry::installDefault();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

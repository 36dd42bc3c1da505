#include "tests/support/TestEnvironment.h"

#include <QByteArray>

#include <gtest/gtest.h>

namespace {

// The test mains clear what a developer's shell may hold, but a run that says
// where its screenshots go (the Xvfb runs, apart from the offscreen ones) is
// heard: else both runs would write the same files.
TEST(InheritedVariables, ProgramSettingsGoAndTheScreenshotFolderStays)
{
    const char* const cleared[] = {"RINGVALE_HOME", "RINGVALE_SIM_FAIL", "NOTIFY_SOCKET", "QT_LOGGING_RULES"};
    for (const char* name : cleared)
        qputenv(name, "from the shell");
    const QByteArray screenshots = qgetenv("RINGVALE_SCREENSHOT_DIR");
    qputenv("RINGVALE_SCREENSHOT_DIR", "/tmp/shots");

    TestEnvironment::clearInheritedVariables();

    for (const char* name : cleared)
        EXPECT_FALSE(qEnvironmentVariableIsSet(name)) << name;
    EXPECT_EQ(qgetenv("RINGVALE_SCREENSHOT_DIR"), QByteArray("/tmp/shots"));
    if (screenshots.isNull())
        qunsetenv("RINGVALE_SCREENSHOT_DIR");
    else
        qputenv("RINGVALE_SCREENSHOT_DIR", screenshots);
}

} // namespace

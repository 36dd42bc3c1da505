#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// Every shell example of the README and of the pages of docs/ works as
// written, against the programs of this build and a scratch installation with
// the service running.
TEST(ReadmeExamples, EveryShellExampleRuns)
{
    QProcess run;
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(u"bash"_s,
        {QStringLiteral(RINGVALE_SOURCE_DIR "/scripts/readme-examples"), QStringLiteral(RINGVALE_BIN_DIR)});
    ASSERT_TRUE(run.waitForStarted(5000));
    // Each example starts programs; a sanitizer build on a busy machine takes
    // minutes for them all.
    const int bound = testTimeout(100000);
    if (!run.waitForFinished(bound)) {
        run.terminate();
        run.waitForFinished(5000);
        FAIL() << "still running after " << bound / 1000 << " s:\n" << run.readAll().toStdString();
    }
    const QString out = QString::fromUtf8(run.readAll());
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(u"examples ran"_s)) << out.toStdString();
    // Every page was read, and the examples that show the point of the pages
    // (the user guide's, the operations page's, the tools') ran.
    const QDir docs(QStringLiteral(RINGVALE_SOURCE_DIR "/docs"));
    for (const QString& page : docs.entryList({u"*.md"_s}, QDir::Files))
        EXPECT_TRUE(out.contains(u"readme-examples: docs/"_s + page + u'\n')) << page.toStdString();
    for (const QString& example : {u"AUTO\\r\\n16:00:00\\r\\n08:00:00"_s, u"txtWWWPass"_s, u"CallOut"_s,
             u"305 OPEN_WEB"_s, u"ringvale-calls journals"_s})
        EXPECT_TRUE(out.contains(example)) << example.toStdString();
}

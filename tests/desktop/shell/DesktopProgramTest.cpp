#include "tests/support/DataFiles.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/widgets/WidgetShots.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct ProgramRun {
    int exitCode = -1;
    QString errors;
};

ProgramRun runRingvale(const TestEnvironment& env, const QStringList& arguments)
{
    QProcess process;
    process.setProcessEnvironment(env.processEnvironment());
    process.start(TestEnvironment::binary(u"Ringvale"_s), arguments);
    ProgramRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.errors = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

// The shipped settings and the English translation they choose.
void installWithEnglish(const TestEnvironment& env)
{
    env.installShippedDefaults();
    ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Trans"_s));
    ASSERT_TRUE(QFile::copy(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt"),
        env.programFolder() + u"/Trans/English.txt"_s));
}

TEST(DesktopProgramTest, ScreenshotWritesTheFirstWindowAndEnds)
{
    TestEnvironment env;
    ASSERT_NO_FATAL_FAILURE(installWithEnglish(env));
    QTemporaryDir out;
    const QString png = out.filePath(u"gallery.png"_s);
    const ProgramRun run = runRingvale(env, {u"--screenshot"_s, png});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_FALSE(run.errors.contains(u"translation"_s)) << run.errors.toStdString();
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(image.width(), 400);
    EXPECT_GT(image.height(), 300);
    image.save(WidgetShots::pathFor(u"ringvale-screenshot.png"_s));
}

TEST(DesktopProgramTest, OneWindowAloneOnItsPage)
{
    TestEnvironment env;
    ASSERT_NO_FATAL_FAILURE(installWithEnglish(env));
    QTemporaryDir out;
    const QString png = out.filePath(u"contact.png"_s);
    const ProgramRun run = runRingvale(
        env, {u"--window"_s, u"frmContact"_s, u"--page"_s, u"Events"_s, u"--screenshot"_s, png});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(image.width(), 300);
    image.save(WidgetShots::pathFor(u"ringvale-window-frmContact.png"_s));

    const ProgramRun unknown = runRingvale(env, {u"--window"_s, u"frmNothing"_s, u"--screenshot"_s, png});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.errors.contains(u"frmNothing"_s)) << unknown.errors.toStdString();
}

TEST(DesktopProgramTest, ContactListAloneShowsTheContactFile)
{
    TestEnvironment env;
    ASSERT_NO_FATAL_FAILURE(installWithEnglish(env));
    ContactRecord emergency = contactAsEditorWrites(u"Zoë Öberg"_s, u"5550101"_s);
    emergency.EmergencyMark = u"1"_s;
    writeContactFile({contactAsEditorWrites(u"Ann Lee"_s, u"5551234"_s), emergency});
    QTemporaryDir out;
    const QString png = out.filePath(u"list.png"_s);
    const ProgramRun run = runRingvale(env, {u"--window"_s, u"frmContactList"_s, u"--screenshot"_s, png});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(image.width(), 600);
    image.save(WidgetShots::pathFor(u"ringvale-window-frmContactList.png"_s));
}

TEST(DesktopProgramTest, ScreenshotThatCannotBeWrittenSaysSoAndFails)
{
    TestEnvironment env;
    env.installShippedDefaults();
    QTemporaryDir out;
    const QString png = out.filePath(u"no such folder/gallery.png"_s);
    const ProgramRun run = runRingvale(env, {u"--screenshot"_s, png});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(u"cannot write the screenshot"_s)) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains(png)) << run.errors.toStdString();
}

TEST(DesktopProgramTest, ScreenshotWithoutAFileNameIsRefused)
{
    TestEnvironment env;
    const ProgramRun run = runRingvale(env, {u"--screenshot"_s});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.errors.contains(u"--screenshot needs"_s)) << run.errors.toStdString();
}

TEST(DesktopProgramTest, AMissingTranslationIsSaidAndTheWindowStillComes)
{
    TestEnvironment env; // no settings at all: Language\Select is empty
    QTemporaryDir out;
    const ProgramRun run = runRingvale(env, {u"--screenshot"_s, out.filePath(u"g.png"_s)});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.errors.contains(u"no translation is chosen"_s)) << run.errors.toStdString();
}

} // namespace

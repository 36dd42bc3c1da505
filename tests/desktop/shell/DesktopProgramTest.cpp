#include "common/AppPaths.h"
#include "common/ChannelMessages.h"
#include "common/RegistryRoutines.h"
#include "platform/MessageControl.h"
#include "platform/SingleInstanceLock.h"
#include "tests/support/CallDays.h"
#include "tests/support/DataFiles.h"
#include "tests/support/FakeSystemctl.h"
#include "tests/support/ServiceProcess.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"
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

// The main window after a normal start of an installation that has had its
// first run, with the service it starts; nothing of it outlives the test.
class MainWindowScreenshot : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(systemctl.isValid());
        systemctl.setState(u"not-found"_s, u"inactive"_s);
        ASSERT_NO_FATAL_FAILURE(installWithEnglish(env));
        ASSERT_TRUE(RegistryRoutines::forProduct(QString()).setString(u"First"_s, u"0"_s));
    }
    void TearDown() override
    {
        MessageControl proc;
        if (proc.Channel(ChannelNumber::ProcChannel)) {
            proc.Send(MessageName::Unload.toString());
            proc.Flush(2000);
        }
    }

    // The service's one-instance lock is free once it has ended.
    static bool serviceEnded()
    {
        const SingleInstanceLock lock(AppPaths::runtimeFolder() + u"/RingvaleSvc.lock"_s);
        return lock.state() == SingleInstanceLock::State::Acquired;
    }

    FakeSystemctl systemctl;
    TestEnvironment env;
};

// Three recent calls, the newest first, as the service lists them.
void writeRecentCalls()
{
    const QString day = u"\\Data\\Log\\2026\\12\\10\\"_s;
    CallRecord unread = storedCall(u"Ann Lee"_s, u"5551234"_s, u"09:12:00"_s);
    unread.ReadMark = u" "_s;
    writeDay(day,
        {storedCall(u"Zoë Öberg"_s, u"5550101"_s, u"08:01:00"_s), unread,
            storedCall(u"Bob Hart"_s, u"5557788"_s, u"09:30:00"_s)});
    writeLast({u"3:"_s + day, u"2:"_s + day, u"1:"_s + day});
}

TEST_F(MainWindowScreenshot, AfterANormalStartTheMainWindowIsWrittenAndTheServiceEnded)
{
    writeRecentCalls();
    QTemporaryDir out;
    const QString png = out.filePath(u"main.png"_s);
    const ProgramRun run = runRingvale(env, {u"--screenshot"_s, png});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_FALSE(run.errors.contains(u"did not listen"_s)) << run.errors.toStdString();
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    // The main window at its designed size, not another window.
    EXPECT_EQ(image.size(), QSize(633, 492));
    image.save(WidgetShots::pathFor(u"ringvale-screenshot.png"_s));
    // It left through Exit: the list kept, the run ended, the service gone.
    EXPECT_EQ(lastLines().size(), 3);
    EXPECT_EQ(RegistryRoutines::forProduct(QString()).getString(u"bRun"_s), u"0");
    EXPECT_TRUE(waitUntil(serviceEnded, 20000));
}

// The line button's picture in the window's top-left corner: the green
// handset of an open line, or the red one of a closed line.
struct LineLook {
    int green = 0;
    int red = 0;
};
LineLook lineLook(const QImage& image)
{
    LineLook look;
    for (int y = 0; y < qMin(image.height(), 110); ++y) {
        for (int x = 0; x < qMin(image.width(), 90); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.green() > 150 && c.red() < 140 && c.blue() < 120)
                ++look.green;
            else if (c.red() > 170 && c.green() < 100 && c.blue() < 100)
                ++look.red;
        }
    }
    return look;
}

TEST_F(MainWindowScreenshot, TheScreenshotShowsTheLineAsTheServiceOpenedIt)
{
    // The shipped settings open the line.
    QTemporaryDir out;
    const QString png = out.filePath(u"main.png"_s);
    const ProgramRun run = runRingvale(env, {u"--screenshot"_s, png});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_FALSE(run.errors.contains(u"line state in time"_s)) << run.errors.toStdString();
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    const LineLook look = lineLook(image);
    EXPECT_GT(look.green, 20) << "the open line's picture";
    EXPECT_LT(look.red, look.green);
    EXPECT_TRUE(waitUntil(serviceEnded, 20000));
}

TEST_F(MainWindowScreenshot, AServiceRunningBeforeIsLeftRunning)
{
    Svc service(env, {u"-gc"_s}, std::nullopt, true);
    ASSERT_TRUE(service.waitForLoaded());
    ASSERT_TRUE(waitUntil([] { return MessageControl().Channel(ChannelNumber::ProcChannel); }, 10000));
    QTemporaryDir out;
    const ProgramRun run = runRingvale(env, {u"--screenshot"_s, out.filePath(u"main.png"_s)});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_FALSE(QImage(out.filePath(u"main.png"_s)).isNull());
    EXPECT_TRUE(staysFalse([&] { return !service.isRunning(); }, 1000));
}

TEST_F(MainWindowScreenshot, OptionsAreTakenOffBeforeTheSwitchesAreCompared)
{
    // "-st" still counts with the screenshot around it.
    QTemporaryDir out;
    const QString png = out.filePath(u"hidden.png"_s);
    const ProgramRun run = runRingvale(env, {u"--screenshot"_s, png, u"-st"_s});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains(u"-st:"_s)) << run.errors.toStdString();
    EXPECT_FALSE(QImage(png).isNull());
    EXPECT_TRUE(waitUntil(serviceEnded, 20000));

    // "-uia" loads no window, so there is nothing to write.
    const ProgramRun uia = runRingvale(env, {u"-uia"_s, u"--screenshot"_s, png});
    EXPECT_EQ(uia.exitCode, 1);
    EXPECT_TRUE(uia.errors.contains(u"no screenshot"_s)) << uia.errors.toStdString();
}

TEST(DesktopProgramTest, ScreenshotWritesTheControlGalleryAndEnds)
{
    TestEnvironment env;
    ASSERT_NO_FATAL_FAILURE(installWithEnglish(env));
    QTemporaryDir out;
    const QString png = out.filePath(u"gallery.png"_s);
    const ProgramRun run = runRingvale(env, {u"--window"_s, u"ControlGallery"_s, u"--screenshot"_s, png});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_FALSE(run.errors.contains(u"translation"_s)) << run.errors.toStdString();
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(image.width(), 400);
    EXPECT_GT(image.height(), 300);
    image.save(WidgetShots::pathFor(u"ringvale-window-ControlGallery.png"_s));
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

TEST(DesktopProgramTest, ForwardingWindowsAlone)
{
    TestEnvironment env;
    ASSERT_NO_FATAL_FAILURE(installWithEnglish(env));
    QTemporaryDir out;
    const QStringList runs[] = {
        {u"frmForward"_s},
        {u"frmForward"_s, u"--page"_s, u"AppNotic"_s},
        {u"frmMailDetails"_s},
        {u"frmSmtp"_s},
    };
    for (const QStringList& window : runs) {
        const QString name = window.join(u'-');
        const QString png = out.filePath(name + u".png"_s);
        const ProgramRun run
            = runRingvale(env, QStringList{u"--window"_s} + window + QStringList{u"--screenshot"_s, png});
        EXPECT_EQ(run.exitCode, 0) << name.toStdString() << run.errors.toStdString();
        const QImage image(png);
        ASSERT_FALSE(image.isNull()) << name.toStdString();
        EXPECT_GT(image.width(), 250) << name.toStdString();
        image.save(WidgetShots::pathFor(u"ringvale-window-"_s + name + u".png"_s));
    }
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

// The caller pop-up alone is the events window's preview: sample texts.
TEST(DesktopProgramTest, ThePopUpAloneIsThePreview)
{
    TestEnvironment env;
    ASSERT_NO_FATAL_FAILURE(installWithEnglish(env));
    QTemporaryDir out;
    const QString png = out.filePath(u"popup.png"_s);
    const ProgramRun run = runRingvale(env, {u"--window"_s, u"frmMessenger"_s, u"--screenshot"_s, png});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(176, 187));
    image.save(WidgetShots::pathFor(u"ringvale-window-frmMessenger.png"_s));
}

TEST(DesktopProgramTest, TheCallWindowsAlone)
{
    TestEnvironment env;
    ASSERT_NO_FATAL_FAILURE(installWithEnglish(env));
    const QString day = u"\\Data\\Log\\2026\\12\\10\\"_s;
    writeDay(day, {storedCall(u"ANN LEE"_s, u"5551234"_s, u"09:12:40"_s)});
    writeLast({u"1:"_s + day});
    QTemporaryDir out;
    for (const QString& name : {u"frmCallDetails"_s, u"frmDialer"_s, u"frmSearch"_s, u"frmLog"_s}) {
        const QString png = out.filePath(name + u".png"_s);
        const ProgramRun run = runRingvale(env, {u"--window"_s, name, u"--screenshot"_s, png});
        EXPECT_EQ(run.exitCode, 0) << name.toStdString() << run.errors.toStdString();
        const QImage image(png);
        ASSERT_FALSE(image.isNull()) << name.toStdString();
        EXPECT_GT(image.width(), 150) << name.toStdString();
        image.save(WidgetShots::pathFor(u"ringvale-window-"_s + name + u".png"_s));
    }
}

TEST(DesktopProgramTest, ScreenshotThatCannotBeWrittenSaysSoAndFails)
{
    TestEnvironment env;
    env.installShippedDefaults();
    QTemporaryDir out;
    const QString png = out.filePath(u"no such folder/gallery.png"_s);
    const ProgramRun run = runRingvale(env, {u"--window"_s, u"ControlGallery"_s, u"--screenshot"_s, png});
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
    const ProgramRun unnamed = runRingvale(env, {u"--screenshot"_s, u"x.png"_s, u"--window"_s});
    EXPECT_EQ(unnamed.exitCode, 2);
    EXPECT_TRUE(unnamed.errors.contains(u"--window needs"_s)) << unnamed.errors.toStdString();
}

TEST(DesktopProgramTest, AMissingTranslationIsSaidAndTheWindowStillComes)
{
    TestEnvironment env; // no settings at all: Language\Select is empty
    QTemporaryDir out;
    const ProgramRun run
        = runRingvale(env, {u"--window"_s, u"ControlGallery"_s, u"--screenshot"_s, out.filePath(u"g.png"_s)});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.errors.contains(u"no translation is chosen"_s)) << run.errors.toStdString();
}

// The about box is fixed English: a right-to-left translation leaves every
// pixel of it as it is.
TEST(DesktopProgramTest, AboutBoxUnderARightToLeftTranslationIsTheEnglishOne)
{
    TestEnvironment env;
    ASSERT_NO_FATAL_FAILURE(installWithEnglish(env));
    QFile english(env.programFolder() + u"/Trans/English.txt"_s);
    ASSERT_TRUE(english.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = english.readAll().split('\n');
    english.close();
    ASSERT_GT(lines.size(), 10);
    lines[9] = "RTL\r";
    QFile mirrored(env.programFolder() + u"/Trans/Mirrored.txt"_s);
    ASSERT_TRUE(mirrored.open(QIODevice::WriteOnly));
    mirrored.write(lines.join('\n'));
    mirrored.close();

    QTemporaryDir out;
    QImage shots[2];
    const QString translations[] = {u"English.txt"_s, u"Mirrored.txt"_s};
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(RegistryRoutines::forProduct(u"Language"_s).setString(u"Select"_s, translations[i]));
        const QString png = out.filePath(translations[i] + u".png"_s);
        const ProgramRun run = runRingvale(env, {u"--window"_s, u"frmAbout"_s, u"--screenshot"_s, png});
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        shots[i] = QImage(png).convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(shots[i].isNull()) << translations[i].toStdString();
        shots[i].save(WidgetShots::pathFor(
            u"ringvale-window-frmAbout-"_s + translations[i].section(u'.', 0, 0) + u".png"_s));
    }
    ASSERT_EQ(shots[0].size(), shots[1].size());
    qsizetype differing = 0;
    for (int y = 0; y < shots[0].height(); ++y)
        for (int x = 0; x < shots[0].width(); ++x)
            differing += shots[0].pixel(x, y) != shots[1].pixel(x, y);
    EXPECT_EQ(differing, 0);
}

// "--help" says how to call the program and starts nothing, even where
// there is no display to start on.
TEST(DesktopProgramTest, HelpPrintsTheUsageAndStartsNothing)
{
    const struct {
        const char* what;
        QStringList arguments;
    } rows[] = {
        {"alone", {u"--help"_s}},
        {"after a switch", {u"-st"_s, u"--help"_s}},
        {"with a window", {u"--window"_s, u"frmAbout"_s, u"--help"_s}},
    };
    for (const auto& row : rows) {
        TestEnvironment env; // nothing installed: a start would write the first run's settings
        QProcessEnvironment environment = env.processEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
        environment.remove(u"DISPLAY"_s);
        environment.remove(u"WAYLAND_DISPLAY"_s);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(TestEnvironment::binary(u"Ringvale"_s), row.arguments);
        ASSERT_TRUE(process.waitForFinished(testTimeout(20000))) << row.what;
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << row.what;
        EXPECT_EQ(process.exitCode(), 0) << row.what;
        EXPECT_EQ(process.readAllStandardError(), QByteArray()) << row.what;
        const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
        EXPECT_TRUE(out.startsWith(u"usage: Ringvale"_s)) << row.what << out.toStdString();
        for (const QString& word : {u"-st"_s, u"-uia"_s, u"-uis"_s, u"--window NAME"_s, u"--page KEY"_s,
                 u"--screenshot FILE"_s, u"--help"_s, u"frmEvents"_s, u"frmCallerID"_s, u"ControlGallery"_s})
            EXPECT_TRUE(out.contains(word)) << row.what << ": " << word.toStdString();
        EXPECT_FALSE(RegistryRoutines::forProduct(QString()).hasValue(u"First"_s)) << row.what;
    }
}

} // namespace

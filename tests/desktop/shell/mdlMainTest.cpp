#include "desktop/shell/mdlMain.h"
#include "common/CallTemplate.h"
#include "common/RegistryRoutines.h"
#include "desktop/foundation/AddressOpener.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/Translation.h"
#include "desktop/shell/MainWindowFrame.h"
#include "desktop/shell/ShellGlobals.h"
#include "platform/ScriptedServiceManager.h"
#include "tests/desktop/foundation/ScriptedDialogs.h"
#include "tests/desktop/shell/RecordedFrame.h"
#include "tests/desktop/shell/RecordingTray.h"
#include "tests/support/ChannelListener.h"
#include "tests/support/TestClock.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class RecordedAddresses : public AddressOpener {
public:
    RecordedAddresses() { SetAddressOpener(this); }
    ~RecordedAddresses() override { SetAddressOpener(nullptr); }
    bool Open(const QString& address) override
    {
        opened << address;
        return true;
    }
    QStringList opened;
};

QString setting(const QString& subkey, const QString& name)
{
    return RegistryRoutines::forProduct(subkey).getString(name);
}

bool hasSetting(const QString& subkey, const QString& name)
{
    return RegistryRoutines::forProduct(subkey).hasValue(name);
}

// A translation whose line n is "#n", so each balloon names its entry.
void installNumberedTranslation(const TestEnvironment& env)
{
    ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Trans"_s));
    QFile file(env.programFolder() + u"/Trans/Numbers.txt"_s);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (int n = 1; n <= 1000; ++n)
        file.write("#" + QByteArray::number(n) + (n == 394 || n == 396 ? " <%S>\r\n" : "\r\n"));
    file.close();
    ASSERT_TRUE(RegistryRoutines::forProduct(u"Language"_s).setString(u"Select"_s, u"Numbers.txt"_s));
}

class mdlMainTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.installDefaults();
        ASSERT_NO_FATAL_FAILURE(installNumberedTranslation(env));
        g_bExiting = false;
        g_bServiceMode = false;
        trays.onRequest = [this](const QString& request) {
            if (request.startsWith(u"balloon "_s))
                balloonTimes << clock.elapsedMs();
        };
    }
    void TearDown() override
    {
        UnloadMainWindow();
        g_bExiting = false;
        g_bServiceMode = false;
    }
    // What a first run writes, taken away so its writes can be seen.
    static void clearFirstRunValues()
    {
        (void)RegistryRoutines::forProduct(u"Properties\\TabDevices"_s).DeleteValue(u"cmbSoundDev"_s);
        (void)RegistryRoutines::forProduct(u"Properties\\TabLineStat"_s).DeleteValue(u"txtTimeOn"_s);
        (void)RegistryRoutines::forProduct(u"Properties\\TabLineStat"_s).DeleteValue(u"txtTimeOff"_s);
        (void)RegistryRoutines::forProduct(u"MailForward\\Details"_s).DeleteValue(u"txtMessage"_s);
    }
    void notFirstRun(const QString& runAsProc = u"0"_s)
    {
        ASSERT_TRUE(RegistryRoutines::forProduct(QString()).setString(u"First"_s, u"0"_s));
        ASSERT_TRUE(RegistryRoutines::forProduct(u"Properties\\TabGeneral"_s)
                        .setString(u"ChkRunAsProc"_s, runAsProc));
    }

    TestEnvironment env;
    TestClock clock;
    ScriptedServiceManager manager;
    ServiceManagerOverride managerInstalled{manager};
    RecordingTrays trays;
    RecordedFrames frames;
    ScriptedDialogs dialogs;
    RecordedAddresses addresses;
    QList<qint64> balloonTimes;
};

} // namespace

TEST_F(mdlMainTest, OnlyTheWholeCommandLineIsASwitch)
{
    struct Case {
        QStringList arguments;
        QString load;
    };
    const Case cases[] = {
        {{u"-st"_s}, u"load hidden"_s},
        {{u"-ST"_s}, u"load shown"_s},
        {{QString(), u"-st"_s}, u"load shown"_s}, // " -st"
        {{u"-st"_s, u"x"_s}, u"load shown"_s},
        {{}, u"load shown"_s},
    };
    ASSERT_NO_FATAL_FAILURE(notFirstRun());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(u'|').toStdString());
        frames.log.clear();
        {
            mdlMain start;
            EXPECT_EQ(start.Main(c.arguments), mdlMain::Outcome::Running);
            EXPECT_EQ(frames.log, QStringList{c.load});
            UnloadMainWindow();
        }
    }
    EXPECT_TRUE(trays.balloons().isEmpty());
    EXPECT_TRUE(manager.verbs().filter(u"start"_s).isEmpty());
}

TEST_F(mdlMainTest, ARightToLeftTranslationMirrorsTheWindowsOfANormalStart)
{
    ASSERT_NO_FATAL_FAILURE(notFirstRun());
    QFile numbers(env.programFolder() + u"/Trans/Numbers.txt"_s);
    ASSERT_TRUE(numbers.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = numbers.readAll().split('\n');
    lines[9] = "RTL\r";
    QFile rtl(env.programFolder() + u"/Trans/Rtl.txt"_s);
    ASSERT_TRUE(rtl.open(QIODevice::WriteOnly));
    rtl.write(lines.join('\n'));
    rtl.close();

    struct Case {
        QString translation;
        Qt::LayoutDirection direction;
    };
    const Case cases[] = {
        {u"Rtl.txt"_s, Qt::RightToLeft},
        {u"Numbers.txt"_s, Qt::LeftToRight},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.translation.toStdString());
        ResetTranslation(); // as a program of its own
        ASSERT_TRUE(RegistryRoutines::forProduct(u"Language"_s).setString(u"Select"_s, c.translation));
        mdlMain start;
        EXPECT_EQ(start.Main({}), mdlMain::Outcome::Running);
        EXPECT_EQ(QApplication::layoutDirection(), c.direction);
        UnloadMainWindow();
    }
    ResetTranslation();
}

TEST_F(mdlMainTest, StartedHiddenWithoutATrayItComesUpMinimised)
{
    ASSERT_NO_FATAL_FAILURE(notFirstRun());
    trays.available = false;
    mdlMain start;
    EXPECT_EQ(start.Main({u"-st"_s}), mdlMain::Outcome::Running);
    EXPECT_EQ(frames.log, (QStringList{u"load hidden"_s, u"minimised"_s}));
}

TEST_F(mdlMainTest, ASecondInstanceEndsAtOnceAndTheFirstIsLeftAlone)
{
    ASSERT_NO_FATAL_FAILURE(notFirstRun());
    mdlMain first;
    ASSERT_EQ(first.Main({}), mdlMain::Outcome::Running);
    MainWindowFrame* running = LoadedMainWindow();
    frames.log.clear();
    mdlMain second;
    EXPECT_EQ(second.Main({}), mdlMain::Outcome::Ended);
    EXPECT_TRUE(frames.log.isEmpty());
    EXPECT_EQ(LoadedMainWindow(), running);
    EXPECT_TRUE(dialogs.messageRequests.isEmpty());
}

TEST_F(mdlMainTest, UiaAsksTheRunningDesktopToEndBesideItsLock)
{
    ASSERT_NO_FATAL_FAILURE(notFirstRun());
    ChannelListener runningDesktop(env, {u"307"_s});
    ASSERT_TRUE(runningDesktop.waitUntilListening());
    mdlMain first;
    ASSERT_EQ(first.Main({}), mdlMain::Outcome::Running);
    UnloadMainWindow();
    frames.log.clear();
    mdlMain uia;
    EXPECT_EQ(uia.Main({u"-uia"_s}), mdlMain::Outcome::Ended);
    EXPECT_EQ(runningDesktop.waitForLines(1), QList<QByteArray>{"307 UnLoad_Me"});
    EXPECT_TRUE(frames.log.isEmpty());
}

TEST_F(mdlMainTest, UisStopsAndRemovesTheServiceAndLoadsNothing)
{
    manager.setState(u"loaded"_s, u"active"_s);
    manager.setStateAfter(u"stop"_s, u"loaded"_s, u"inactive"_s);
    manager.setStateAfter(u"disable"_s, u"not-found"_s, u"inactive"_s);
    mdlMain uis;
    EXPECT_EQ(uis.Main({u"-uis"_s}), mdlMain::Outcome::Ended);
    const QStringList verbs = manager.verbs();
    EXPECT_TRUE(verbs.contains(u"stop"_s)) << verbs.join(u' ').toStdString();
    EXPECT_TRUE(verbs.contains(u"disable"_s)) << verbs.join(u' ').toStdString();
    EXPECT_TRUE(frames.log.isEmpty());
}

TEST_F(mdlMainTest, AFirstRunGreetsWritesItsDefaultsInOrderAndShowsTheWindowEvenWithSt)
{
    clearFirstRunValues();
    QTemporaryDir sink;
    qputenv("RINGVALE_AUDIO_SINK", sink.path().toLocal8Bit());
    QStringList writtenAtBalloon;
    trays.onRequest = [&](const QString& request) {
        if (!request.startsWith(u"balloon "_s))
            return;
        balloonTimes << clock.elapsedMs();
        writtenAtBalloon << u"%1 %2 %3"_s.arg(hasSetting(u"MailForward\\Details"_s, u"txtMessage"_s))
                                .arg(hasSetting(QString(), u"First"_s))
                                .arg(hasSetting(u"Properties\\TabLineStat"_s, u"txtTimeOff"_s));
    };
    mdlMain start;
    const mdlMain::Outcome outcome = start.Main({u"-st"_s});
    qunsetenv("RINGVALE_AUDIO_SINK");
    EXPECT_EQ(outcome, mdlMain::Outcome::Running);

    EXPECT_EQ(trays.balloons(),
        (QStringList{u"balloon 1 30000 Ringvale 1.1|#390"_s, u"balloon 1 30000 Ringvale 1.1|#391"_s,
            u"balloon 1 30000 Ringvale 1.1|#392"_s, u"balloon 2 30000 Ringvale 1.1|#395"_s,
            u"balloon 1 30000 Ringvale 1.1|#396 Ringvale 1.1"_s}));
    EXPECT_EQ(balloonTimes, (QList<qint64>{0, 5000, 7000, 9000, 12500}));
    EXPECT_GE(clock.elapsedMs(), 15000);
    // The mail message before the greeting; the rest once speech is known.
    EXPECT_EQ(writtenAtBalloon, (QStringList{u"1 0 0"_s, u"1 0 0"_s, u"1 0 0"_s, u"1 1 1"_s, u"1 1 1"_s}));
    EXPECT_EQ(setting(u"MailForward\\Details"_s, u"txtMessage"_s), DefaultMailMessage());
    EXPECT_EQ(DefaultMailMessage().count(u"\r\n"_s), 7);
    EXPECT_TRUE(DefaultMailMessage().endsWith(u"Contact : <CONTACT>\r\n"_s));
    EXPECT_EQ(setting(u"Properties\\TabDevices"_s, u"cmbSoundDev"_s), u"Ringvale Audio Sink"_s);
    EXPECT_EQ(setting(QString(), u"First"_s), u"0"_s);
    EXPECT_EQ(setting(u"Properties\\TabLineStat"_s, u"txtTimeOn"_s), u"16:00:00"_s);
    EXPECT_EQ(setting(u"Properties\\TabLineStat"_s, u"txtTimeOff"_s), u"08:00:00"_s);
    EXPECT_FALSE(hasSetting(u"Events\\TabInCommingCall"_s, u"cmbCallDisplayStyleIncomming"_s));
    // Its own icon came and went before the window, which is shown.
    EXPECT_EQ(frames.log, QStringList{u"load shown"_s});
    EXPECT_EQ(trays.made, 2);
}

TEST_F(mdlMainTest, AFirstRunWithoutADeviceNameLeavesTheServicesDeviceAlone)
{
    // The service writes "0" here when it finds no name; a first run must not wipe it.
    ASSERT_TRUE(
        RegistryRoutines::forProduct(u"Properties\\TabDevices"_s).setString(u"cmbSoundDev"_s, u"0"_s));
    mdlMain start;
    EXPECT_EQ(start.Main({}), mdlMain::Outcome::Running);
    const QString written = setting(u"Properties\\TabDevices"_s, u"cmbSoundDev"_s);
    // Without a sound card (as on the build machines) no name is read.
    EXPECT_FALSE(written.isEmpty());
}

TEST_F(mdlMainTest, WithoutSpeechItSaysSoOpensTheDownloadAndEndsAsAFirstRunAgain)
{
    clearFirstRunValues();
    QTemporaryDir noSpeech;
    qputenv("ESPEAK_DATA_PATH", noSpeech.path().toLocal8Bit());
    mdlMain start;
    const mdlMain::Outcome outcome = start.Main({});
    qunsetenv("ESPEAK_DATA_PATH");
    EXPECT_EQ(outcome, mdlMain::Outcome::Ended);
    ASSERT_EQ(dialogs.messageRequests.size(), 1);
    const QStringList lines = dialogs.messageRequests.first().text.split(u"\r\n"_s);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].contains(u"espeak-ng"_s));
    EXPECT_EQ(lines[2], u"After installation run Ringvale 1.1 again."_s);
    EXPECT_FALSE(dialogs.messageRequests.first().yesNo);
    EXPECT_EQ(addresses.opened, QStringList{QString::fromLatin1(mdlMain::kSpeechDownload)});
    EXPECT_TRUE(hasSetting(u"MailForward\\Details"_s, u"txtMessage"_s));
    EXPECT_FALSE(hasSetting(QString(), u"First"_s));
    EXPECT_FALSE(hasSetting(u"Properties\\TabDevices"_s, u"cmbSoundDev"_s));
    EXPECT_FALSE(hasSetting(u"Properties\\TabLineStat"_s, u"txtTimeOn"_s));
    EXPECT_TRUE(frames.log.isEmpty());
    EXPECT_EQ(trays.balloons().size(), 3);
    EXPECT_EQ(trays.all.last(), u"hide"_s); // its own icon is gone
}

TEST_F(mdlMainTest, AServiceDueButMissingIsInstalledBeforeTheWindow)
{
    ASSERT_NO_FATAL_FAILURE(notFirstRun(u"1"_s));
    manager.setStateAfter(u"daemon-reload"_s, u"loaded"_s, u"inactive"_s);
    manager.setStateAfter(u"start"_s, u"loaded"_s, u"active"_s);
    mdlMain start;
    EXPECT_EQ(start.Main({}), mdlMain::Outcome::Running);
    EXPECT_EQ(trays.balloons(),
        (QStringList{
            u"balloon 1 30000 Ringvale 1.1|#393"_s, u"balloon 1 30000 Ringvale 1.1|#394 Ringvale 1.1"_s}));
    EXPECT_TRUE(manager.verbs().contains(u"start"_s)) << manager.verbs().join(u' ').toStdString();
    EXPECT_TRUE(QFile::exists(env.configFolder() + u"/systemd/user/RingvaleSvc.service"_s));
    EXPECT_EQ(setting(u"Properties\\TabGeneral"_s, u"ChkRunAsProc"_s), u"1"_s);
    EXPECT_EQ(frames.log, QStringList{u"load shown"_s});
}

TEST_F(mdlMainTest, NothingIsInstalledOnAFirstRunOrWhenTheServiceIsThere)
{
    struct Case {
        const char* name;
        bool firstRun;
        const char* loadState;
    };
    const Case cases[] = {{"first run", true, "not-found"}, {"installed", false, "loaded"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(notFirstRun(u"1"_s));
        if (c.firstRun)
            (void)RegistryRoutines::forProduct(QString()).DeleteValue(u"First"_s);
        manager.setState(QString::fromLatin1(c.loadState), u"inactive"_s);
        manager.clearRequests();
        trays.all.clear();
        {
            mdlMain start;
            EXPECT_EQ(start.Main({}), mdlMain::Outcome::Running);
            UnloadMainWindow();
        }
        EXPECT_TRUE(trays.balloons().filter(u"#393"_s).isEmpty());
        EXPECT_FALSE(manager.verbs().contains(u"daemon-reload"_s));
        EXPECT_FALSE(manager.verbs().contains(u"start"_s));
    }
}

#include "service/host/frmMain.h"

#include "common/RegistryRoutines.h"
#include "platform/ProgramLauncher.h"
#include "platform/SimulatedLines.h"
#include "platform/SinkWave.h"
#include "platform/SpeechEngine.h"
#include "service/core/Journal.h"
#include "service/host/ServiceRoot.h"
#include "service/host/mdlMain.h"
#include "service/line/frmLine.h"
#include "tests/support/JournalFiles.h"
#include "tests/support/TestClock.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Speech and the web server come later; these note what the main form asks
// of them, in one log shared with the test.
class NotedSpeech final : public SpeechEngine {
public:
    explicit NotedSpeech(QStringList& log, QObject* parent)
        : SpeechEngine(parent)
        , m_log(log)
    {
    }
    void SpeakIt(const QString& text, qint32 device) override
    {
        m_log << u"speak %1 on %2"_s.arg(text).arg(device);
    }
    void SetRate(qint32 rate) override { m_log << u"rate %1"_s.arg(rate); }
    void TTSSetVoice(qint32 voice) override { m_log << u"voice %1"_s.arg(voice); }
    void StopSpeak() override { m_log << u"stop"_s; }
    void SaveTextToWav(const QString& text, const QString& file, qint32 device) override
    {
        m_log << u"wave %1 into %2 then %3"_s.arg(text, file).arg(device);
    }

private:
    QStringList& m_log;
};

class NotedWebServer final : public WebServerControl {
public:
    explicit NotedWebServer(QStringList& log, QObject* parent)
        : WebServerControl(parent)
        , m_log(log)
    {
    }
    void start(WebAccessSettings& settings) override
    {
        m_log << u"web start port %1 protect %2 user %3 pass %4 views %5 %6 %7 %8"_s.arg(settings.RCWWWPort)
                     .arg(settings.RCWWWProtect)
                     .arg(settings.RCWWWUserName, settings.RCWWWPass)
                     .arg(settings.RCWWWViewCalls)
                     .arg(settings.RCWWWViewLog, settings.RCWWWStartPage)
                     .arg(settings.RCWWWViewOptions);
    }
    void stop() override
    {
        const bool lineOpen = SimulatedLines::shared()->device(0)->isOpen();
        m_log << (lineOpen ? u"web stop, line open"_s : u"web stop"_s);
    }

private:
    QStringList& m_log;
};

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.installDefaults();
        ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Journal"_s));
        m_oldSink = qgetenv("RINGVALE_AUDIO_SINK");
        qputenv("RINGVALE_AUDIO_SINK", sink.path().toUtf8());
    }
    void TearDown() override
    {
        form.reset();
        if (m_oldSink.isNull())
            qunsetenv("RINGVALE_AUDIO_SINK");
        else
            qputenv("RINGVALE_AUDIO_SINK", m_oldSink);
    }

    void set(const QString& section, const QString& name, const QString& value)
    {
        ASSERT_TRUE(RegistryRoutines::forProduct(section).setString(name, value)) << name.toStdString();
    }
    QString get(const QString& section, const QString& name)
    {
        return RegistryRoutines::forProduct(section).getString(name);
    }

    void load()
    {
        ServiceRoot::Backends backends;
        backends.tts = new NotedSpeech(log, nullptr);
        backends.makeWebServer
            = [this](const Journal&, QObject* parent) { return new NotedWebServer(log, parent); };
        form = std::make_unique<frmMain>(std::make_unique<ServiceRoot>(std::move(backends)));
        form->load();
    }
    QStringList takeLog() { return std::exchange(log, {}); }
    QStringList journalLines() const { return journalEntries(testDaySysJournal(env.programFolder())); }

    TestEnvironment env;
    TestClock clock; // 12/10/2026 09:30:00
    QTemporaryDir sink;
    QStringList log;
    std::unique_ptr<frmMain> form;

private:
    QByteArray m_oldSink;
};

const QString kWebSection = u"RemoteAccess\\TabInternetAccess"_s;

TEST_F(MainFormTest, LoadAppliesTheStoredSpeechSettingsAndPicksTheSoundDevice)
{
    set(u"Properties\\TabTTS"_s, u"TTSVoices"_s, u"3"_s);
    set(u"Properties\\TabTTS"_s, u"sldrTTS"_s, u"-2"_s);
    load();
    ASSERT_NE(form->line(), nullptr);
    EXPECT_EQ(takeLog(), (QStringList{u"voice 3"_s, u"rate -2"_s}));
    // "0" stands for the first device: its name is stored in its place.
    EXPECT_EQ(get(u"Properties\\TabDevices"_s, u"cmbSoundDev"_s), SinkWave::deviceName());
    EXPECT_EQ(form->lineState().lSoundDeviceIndex, 0);
    EXPECT_FALSE(form->isWebServerLoaded());
}

TEST_F(MainFormTest, SpeechChannelCommands)
{
    load();
    takeLog();
    struct Row {
        QString text;
        QStringList asked;
    };
    const Row rows[] = {
        {u"TestTTSSay\r\nHello there\r\n2\r\n-3"_s,
            {u"voice 2"_s, u"rate -3"_s, u"speak Hello there on 0"_s}},
        {u"Say\r\nGood day\r\nignored"_s, {u"speak Good day on 0"_s}},
        {u"Say\r\n"_s, {u"speak  on 0"_s}},
        {u"StopSay"_s, {u"stop"_s}},
        {u"MakeWave\r\nHi\r\ngreeting.wav"_s,
            {u"wave Hi into "_s + env.programFolder() + u"/Sound/greeting.wav then 0"_s}},
        // Too few lines, or numbers that are none: ignored.
        {u"TestTTSSay\r\nHello\r\ntwo\r\n1"_s, {}},
        {u"TestTTSSay\r\nHello"_s, {}},
        {u"Say"_s, {}},
        {u"say\r\nHello"_s, {}},
        {QString(), {}},
    };
    for (const Row& row : rows) {
        form->uDiTTS_MessageArrived(row.text);
        EXPECT_EQ(takeLog(), row.asked) << row.text.toStdString();
    }
}

TEST_F(MainFormTest, MakeWaveWritesOnlyAPlainFileNameIntoTheSoundFolder)
{
    load();
    takeLog();
    const QString refused[] = {
        u"../Data/Contactes"_s,
        u"/tmp/evil.wav"_s,
        u"Sound/x.wav"_s,
        u"..\\x.wav"_s,
        u".."_s,
        u"."_s,
        QString(),
        u"bad\u0001name.wav"_s,
    };
    for (const QString& name : refused) {
        QFile::remove(testDaySysJournal(env.programFolder()));
        form->uDiTTS_MessageArrived(u"MakeWave\r\nHi\r\n"_s + name);
        EXPECT_EQ(takeLog(), QStringList()) << name.toStdString();
        EXPECT_EQ(journalLines(),
            QStringList{u"09:30:00 : uDiTTS_MessageArrived->MakeWave refused: not a plain file name: "_s
                + QString(name).replace(QChar(1), u' ') + u"(0)"_s})
            << name.toStdString();
    }
    EXPECT_EQ(frmMain::MakeWavePath(u"Hello World.wav"_s), env.programFolder() + u"/Sound/Hello World.wav"_s);
}

TEST_F(MainFormTest, WebServerStartsWhenAllowedAndFollowsOpenAndCloseWeb)
{
    set(kWebSection, u"chkAllowWWWRemoteAccess"_s, u"1"_s);
    set(kWebSection, u"txtWWWPort"_s, u"8081"_s);
    set(kWebSection, u"chkWWWProtect"_s, u"1"_s);
    set(kWebSection, u"txtWWWUserName"_s, u"ann"_s);
    set(kWebSection, u"txtWWWPass"_s, u"s3cret"_s);
    load();
    EXPECT_TRUE(form->isWebServerLoaded());
    EXPECT_TRUE(
        takeLog().contains(u"web start port 8081 protect 1 user ann pass s3cret views 1 1 Calls 0"_s));

    // A port that is no number reads as 0; the running server is restarted
    // with the settings read afresh.
    set(kWebSection, u"txtWWWPort"_s, u"eighty"_s);
    set(kWebSection, u"chkAllowWWWRemoteAccess"_s, u"0"_s);
    form->udiProc_MessageArrived(u"OPEN_WEB"_s);
    EXPECT_EQ(takeLog(),
        (QStringList{u"web stop, line open"_s,
            u"web start port 0 protect 1 user ann pass s3cret views 1 1 Calls 0"_s}));
    EXPECT_EQ(get(kWebSection, u"chkAllowWWWRemoteAccess"_s), u"1"_s);

    form->udiProc_MessageArrived(u"CLOSE_WEB"_s);
    EXPECT_EQ(takeLog(), QStringList{u"web stop, line open"_s});
    EXPECT_FALSE(form->isWebServerLoaded());
    EXPECT_EQ(get(kWebSection, u"chkAllowWWWRemoteAccess"_s), u"0"_s);

    // Nothing runs: only the setting is written.
    set(kWebSection, u"chkAllowWWWRemoteAccess"_s, u"1"_s);
    form->udiProc_MessageArrived(u"CLOSE_WEB"_s);
    EXPECT_EQ(takeLog(), QStringList());
    EXPECT_EQ(get(kWebSection, u"chkAllowWWWRemoteAccess"_s), u"0"_s);
}

TEST_F(MainFormTest, ProcessChannelComparesTheWholeText)
{
    load();
    QSignalSpy requested(form.get(), &ServiceMainForm::unloadRequested);
    for (const QString& text :
        {u"UNLOAD\r\n"_s, u"unload"_s, u"UNLOAD "_s, u"OFF"_s, u"GETSOUNDINDEX\r\n"_s}) {
        form->udiProc_MessageArrived(text);
        EXPECT_EQ(requested.count(), 0) << text.toStdString();
    }
    EXPECT_TRUE(form->isLoaded());
    form->udiProc_MessageArrived(u"UNLOAD"_s);
    EXPECT_EQ(requested.count(), 1);
}

TEST_F(MainFormTest, UnloadClosesTheLineBeforeTheWebServerThenReleasesSpeech)
{
    set(kWebSection, u"chkAllowWWWRemoteAccess"_s, u"1"_s);
    load();
    ASSERT_TRUE(SimulatedLines::shared()->device(0)->isOpen());
    QPointer<SpeechEngine> speech = form->tts();
    QSignalSpy unloaded(form.get(), &ServiceMainForm::unloaded);
    takeLog();
    form->unload();
    EXPECT_EQ(takeLog(), (QStringList{u"web stop"_s, u"stop"_s}));
    EXPECT_FALSE(SimulatedLines::shared()->device(0)->isOpen());
    EXPECT_EQ(unloaded.count(), 1);
    EXPECT_FALSE(form->isLoaded());
    EXPECT_EQ(form->line(), nullptr);
    EXPECT_EQ(form->tts(), nullptr);
    EXPECT_FALSE(form->isWebServerLoaded());
    // Handlers after the unload touch nothing.
    form->uDiTTS_MessageArrived(u"Say\r\nHello"_s);
    EXPECT_EQ(takeLog(), QStringList());
    form->unload();
    EXPECT_EQ(unloaded.count(), 1);
    form.reset();
    EXPECT_TRUE(speech.isNull());
}

} // namespace

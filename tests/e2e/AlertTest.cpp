#include "common/RegistryRoutines.h"
#include "common/WaveFile.h"
#include "platform/EspeakSpeech.h"
#include "tests/e2e/LiveLine.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QProcess>

using namespace Qt::StringLiterals;

namespace {

class Alert : public LiveLine {
protected:
    void SetUp() override
    {
        LiveLine::SetUp();
        ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Sound"_s));
        ASSERT_TRUE(QFile::copy(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Sound/Ring.wav"),
            env.programFolder() + u"/Sound/Ring.wav"_s));
        // Ring.wav lasts 2.4 s; the sink lets it end ten times sooner.
        extra.insert(u"RINGVALE_AUDIO_SINK_SPEED"_s, u"10"_s);
        const QString events = u"Events\\TabInCommingCall"_s;
        set(events, u"chkPlayInCall"_s, u"1"_s);
        set(events, u"CmbPlayWhenCall"_s, u"Ring.wav"_s);
        set(events, u"chkSayInCommingCall"_s, u"1"_s);
        set(events, u"IC_txtTTS"_s, u"Call from <CALLER_NAME>"_s);
        set(events, u"chkWhenCallerID"_s, u"1"_s);
    }

    QStringList played() const { return QDir(sink.path()).entryList(QDir::Files, QDir::Name); }
    QByteArray bytes(const QString& path) const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void call()
    {
        const ToolRun run = line({u"call"_s, u"--number"_s, u"5551234"_s, u"--name"_s, u"Ann Lee"_s,
            u"--rings"_s, u"2"_s, u"--fast"_s});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        ASSERT_TRUE(waitForIdles());
    }
    ToolRun chan(const QStringList& args)
    {
        QProcess tool;
        tool.setProcessEnvironment(env.processEnvironment());
        tool.start(TestEnvironment::binary(u"ringvale-chan"_s), args);
        ToolRun run;
        if (tool.waitForFinished(10000)) {
            run.exitCode = tool.exitCode();
            run.err = QString::fromUtf8(tool.readAllStandardError());
        }
        return run;
    }
};

TEST_F(Alert, AtTheCallerIdTheSoundPlaysAndThenTheTextIsSpoken)
{
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_NO_FATAL_FAILURE(call());
    ASSERT_TRUE(waitUntil([&] { return played().size() >= 2; }, 15000)) << played().join(u' ').toStdString();
    EXPECT_EQ(played(), (QStringList{u"000001-Ring.wav"_s, u"000002-Speech.wav"_s}));
    EXPECT_EQ(bytes(sink.filePath(u"000001-Ring.wav"_s)),
        bytes(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Sound/Ring.wav")));

    // What was said is "Call from Ann Lee" in espeak-ng's own voice.
    QString error;
    const auto spoken = LoadWaveSound(sink.filePath(u"000002-Speech.wav"_s), &error);
    ASSERT_TRUE(spoken.has_value()) << error.toStdString();
    EXPECT_EQ(spoken->samplesPerSec, 22050u);
    EXPECT_EQ(spoken->channels, 1);
    EspeakSpeech here;
    std::optional<PcmSound> expected;
    QObject::connect(
        &here, &SpeechSynthesizer::Synthesized, [&](quint64, const PcmSound& s) { expected = s; });
    here.Synthesize(u"Call from Ann Lee"_s);
    ASSERT_TRUE(waitUntil([&] { return expected.has_value(); }, 15000));
    EXPECT_EQ(spoken->samples, expected->samples);
}

TEST_F(Alert, AlertsForTheDesktopOnlyStaySilentWhileItDoesNotRun)
{
    set(u"Properties\\TabGeneral"_s, u"chkDoEventsWhenGUI"_s, u"1"_s);
    set(QString(), u"bRun"_s, u"0"_s);
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_NO_FATAL_FAILURE(call());
    // The sound would have started inside the caller-ID handler, before the end.
    EXPECT_TRUE(played().isEmpty()) << played().join(u' ').toStdString();

    set(QString(), u"bRun"_s, u"1"_s);
    ASSERT_NO_FATAL_FAILURE(call());
    ASSERT_TRUE(waitUntil([&] { return played().size() >= 2; }, 15000)) << played().join(u' ').toStdString();
}

TEST_F(Alert, MakeWaveOnTheSpeechChannelLeavesAWaveFileInTheSoundFolder)
{
    ASSERT_NO_FATAL_FAILURE(start());
    const ToolRun sent = chan({u"send"_s, u"306"_s, u"MakeWave\\r\\nHello there\\r\\nhello.wav"_s});
    ASSERT_EQ(sent.exitCode, 0) << sent.err.toStdString();
    const QString path = env.programFolder() + u"/Sound/hello.wav"_s;
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(path) && QFileInfo(path).size() > 1000; }, 15000));
    QString error;
    const auto wave = ReadWaveFile(path, &error);
    ASSERT_TRUE(wave.has_value()) << error.toStdString();
    EXPECT_EQ(wave->format.nSamplesPerSec, 8000u);
    EXPECT_EQ(wave->format.nChannels, 1);
    EXPECT_EQ(wave->format.wBitsPerSample, 16);
    EXPECT_TRUE(played().isEmpty());

    // "Say" is heard on the sound card: here, in the sink.
    ASSERT_EQ(chan({u"send"_s, u"306"_s, u"Say\\r\\nHello"_s}).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return played() == QStringList{u"000001-Speech.wav"_s}; }, 15000));
}

TEST(Installation, ShipsTheBeepAndTheRingSound)
{
    TestEnvironment env;
    QProcess install;
    install.setProcessEnvironment(env.processEnvironment());
    install.start(u"bash"_s,
        {QStringLiteral(RINGVALE_SOURCE_DIR "/scripts/install-data"), env.programFolder(),
            TestEnvironment::binary(u"ringvale-reg"_s)});
    ASSERT_TRUE(install.waitForFinished(testTimeout(20000)));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();
    for (const char* file : {"Beep.wav", "Sound/Ring.wav"}) {
        QFile shipped(QStringLiteral(RINGVALE_SOURCE_DIR "/data/") + QLatin1String(file));
        QFile installed(env.programFolder() + u'/' + QLatin1String(file));
        ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
        ASSERT_TRUE(installed.open(QIODevice::ReadOnly)) << file;
        EXPECT_EQ(installed.readAll(), shipped.readAll()) << file;
    }
    // The installation keeps the alerts off until the user turns them on.
    const RegistryRoutines events = RegistryRoutines::forProduct(u"Events\\TabInCommingCall"_s);
    EXPECT_NE(events.getString(u"chkPlayInCall"_s), u"1"_s);
    EXPECT_NE(events.getString(u"chkSayInCommingCall"_s), u"1"_s);
}

} // namespace

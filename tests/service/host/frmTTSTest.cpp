#include "service/host/frmTTS.h"

#include "common/AppPaths.h"
#include "common/RegistryRoutines.h"
#include "common/WaveFile.h"
#include "platform/EspeakSpeech.h"
#include "platform/SinkWave.h"
#include "platform/TestSpeechSynthesizer.h"
#include "service/core/Journal.h"
#include "tests/support/JournalFiles.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestClock.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QList<SpeechVoice> kVoices
    = {{u"Afrikaans"_s, u"gmw/af"_s}, {u"English (Great Britain)"_s, u"gmw/en"_s}, {u"Zulu"_s, u"bnt/zu"_s}};

class SpeechTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.installDefaults();
        ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Journal"_s));
    }
    void TearDown() override { tts.reset(); }

    // frmTTS on the test voice (or the one given) and a sink played 50 times
    // faster than real time.
    void load(SpeechSynthesizer* engine = nullptr)
    {
        if (!engine) {
            voice = new TestSpeechSynthesizer(kVoices);
            engine = voice;
        }
        tts = std::make_unique<frmTTS>(engine, new SinkWave(sink.path(), 50.0), journal);
    }
    QStringList played() const { return QDir(sink.path()).entryList(QDir::Files, QDir::Name); }
    QStringList voiceList() const
    {
        return RegistryRoutines::EnumRegistryValues(
            RegistryRoutines::HKEY_LOCAL_MACHINE, RegistryRoutines::productKey() + u"\\TTS51"_s);
    }
    QStringList journalLines() const { return journalEntries(testDaySysJournal(env.programFolder())); }

    TestEnvironment env;
    TestClock clock; // 12/10/2026 09:30:00
    Journal journal{{true, false, false}};
    QTemporaryDir sink;
    TestSpeechSynthesizer* voice = nullptr; // owned by tts
    std::unique_ptr<frmTTS> tts;
};

TEST_F(SpeechTest, LoadingRewritesTheVoiceListToTodaysVoicesInOrder)
{
    const RegistryRoutines tts51 = RegistryRoutines::forProduct(u"TTS51"_s);
    ASSERT_TRUE(tts51.setString(u"Zulu"_s, QString()));
    ASSERT_TRUE(tts51.setString(u"A Removed Voice"_s, QString()));
    load();
    EXPECT_EQ(voiceList(), (QStringList{u"Afrikaans"_s, u"English (Great Britain)"_s, u"Zulu"_s}));

    // Without the key (an installation that never made it) it is created.
    tts.reset();
    ASSERT_EQ(RegistryRoutines::forProduct(QString()).DeleteKey(u"TTS51"_s), 0);
    ASSERT_FALSE(tts51.KeyExists());
    load();
    EXPECT_EQ(voiceList().size(), 3);
}

TEST_F(SpeechTest, SpokenTextPlaysOnItsOwnSoundOutputAt22kHzMono)
{
    load();
    tts->SpeakIt(u"Hello there"_s, 0);
    ASSERT_TRUE(waitUntil([&] { return played().size() == 1; }));
    QString error;
    const auto wave = ReadWaveFile(sink.filePath(played().first()), &error);
    ASSERT_TRUE(wave.has_value()) << error.toStdString();
    EXPECT_EQ(wave->format.nSamplesPerSec, 22050u);
    EXPECT_EQ(wave->format.nChannels, 1);
    EXPECT_EQ(wave->format.wBitsPerSample, 16);
    ASSERT_EQ(voice->jobs().size(), 1);
    EXPECT_EQ(voice->jobs().first().text, u"Hello there");
    // The speech file's folder, private to the user, goes with the engine.
    const QDir runtime(AppPaths::runtimeFolder());
    const QStringList folders = runtime.entryList({u"tts-*"_s}, QDir::Dirs);
    ASSERT_EQ(folders.size(), 1);
    EXPECT_TRUE(QDir(runtime.filePath(folders.first()))
                    .isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    tts.reset();
    EXPECT_TRUE(runtime.entryList({u"tts-*"_s}, QDir::Dirs).isEmpty());
}

TEST_F(SpeechTest, ANewTextOrStopCutsOffWhatIsBeingMadeOrPlayed)
{
    load();
    voice->holdResults(true);
    tts->SpeakIt(u"first"_s, 0);
    tts->SpeakIt(u"second"_s, 0);
    voice->release();
    ASSERT_TRUE(waitUntil([&] { return played().size() == 1; }));
    EXPECT_TRUE(voice->cancelled().contains(1));
    EXPECT_FALSE(voice->cancelled().contains(2));

    // A long sound playing is stopped by the next text and by StopSpeak.
    voice->holdResults(false);
    voice->setSoundMs(60000);
    tts->SpeakIt(u"long"_s, 0);
    SinkWave* const wave = tts->findChild<SinkWave*>();
    ASSERT_TRUE(waitUntil([&] { return wave->IsPlaying(); }));
    tts->StopSpeak();
    EXPECT_FALSE(wave->IsPlaying());

    voice->holdResults(true);
    tts->SpeakIt(u"never heard"_s, 0);
    tts->StopSpeak();
    voice->release();
    QCoreApplication::processEvents();
    EXPECT_EQ(played().size(), 2);
    // An empty text only stops.
    tts->SpeakIt(QString(), 0);
    EXPECT_EQ(voice->jobs().size(), 4);
}

TEST_F(SpeechTest, RefusedVoiceRateOrDeviceKeepTheOneBefore)
{
    load();
    tts->TTSSetVoice(2);
    tts->SetRate(-4);
    tts->TTSSetVoice(3);
    tts->TTSSetVoice(-1);
    tts->SetRate(11);
    tts->SpeakIt(u"x"_s, 0);
    ASSERT_EQ(voice->jobs().size(), 1);
    EXPECT_EQ(voice->jobs().first().voice, 2);
    EXPECT_EQ(voice->jobs().first().rate, -4);
    ASSERT_TRUE(waitUntil([&] { return played().size() == 1; }));

    tts->SpeakIt(u"y"_s, 5);
    EXPECT_EQ(tts->outputDevice(), 0);
    EXPECT_TRUE(journalLines().contains(u"09:30:00 : ->ErrSetTTSLineOutput:3-no sound device 5(0)"_s))
        << journalLines().join(u'\n').toStdString();
    // Spoken anyway, on the device in force.
    ASSERT_TRUE(waitUntil([&] { return played().size() == 2; }));
}

TEST_F(SpeechTest, SavedTextIsAn8kHzMonoFileAndAnEmptyTextMakesNone)
{
    load();
    const QString path = env.programFolder() + u"/Sound/hello.wav"_s;
    ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Sound"_s));
    tts->SaveTextToWav(QString(), path, 0);
    EXPECT_TRUE(voice->jobs().isEmpty());
    tts->SaveTextToWav(u"Hello there"_s, path, 0);
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(path); }));
    QString error;
    const auto sound = LoadWaveSound(path, &error);
    ASSERT_TRUE(sound.has_value()) << error.toStdString();
    EXPECT_EQ(sound->samplesPerSec, 8000u);
    EXPECT_EQ(sound->channels, 1);
    EXPECT_NEAR(double(sound->durationMs()), 200.0, 2.0);
    EXPECT_TRUE(played().isEmpty());

    // Speaking meanwhile does not drop the file being made.
    voice->holdResults(true);
    const QString second = env.programFolder() + u"/Sound/second.wav"_s;
    tts->SaveTextToWav(u"saved"_s, second, 0);
    tts->SpeakIt(u"spoken"_s, 0);
    voice->release();
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(second) && played().size() == 1; }));
}

TEST_F(SpeechTest, FailuresAreJournaled)
{
    load();
    voice->setFailingText(u"bad"_s);
    tts->SpeakIt(u"bad text"_s, 0);
    tts->SaveTextToWav(u"bad file"_s, env.programFolder() + u"/Sound/x.wav"_s, 0);
    tts->SaveTextToWav(u"good"_s, env.programFolder() + u"/NoSuchFolder/y.wav"_s, 0);
    ASSERT_TRUE(waitUntil([&] { return journalLines().size() >= 3; }))
        << journalLines().join(u'\n').toStdString();
    const QStringList lines = journalLines();
    EXPECT_EQ(lines[0], u"09:30:00 : ErrSpeakIt->cannot speak this text(0)");
    EXPECT_EQ(lines[1], u"09:30:00 : ErrSaveTextToWav->cannot speak this text(0)");
    EXPECT_TRUE(lines[2].startsWith(u"09:30:00 : ErrSaveTextToWav->")) << lines[2].toStdString();
    EXPECT_TRUE(played().isEmpty());
}

// A text whose speech reaches the engine's bound is cut there, and the
// journal says so, spoken or saved; a shorter one says nothing.
TEST_F(SpeechTest, TextCutAtTheBoundIsJournaled)
{
    load();
    tts->SpeakIt(u"short"_s, 0);
    ASSERT_TRUE(waitUntil([&] { return played().size() == 1; }));
    tts->StopSpeak();
    EXPECT_TRUE(journalLines().isEmpty()) << journalLines().join(u'\n').toStdString();

    voice->setSoundMs(SpeechSynthesizer::MaxSpeechMs);
    tts->SpeakIt(u"a very long text"_s, 0);
    tts->SaveTextToWav(u"a very long file"_s, env.programFolder() + u"/long.wav"_s, 0);
    ASSERT_TRUE(waitUntil([&] { return journalLines().size() >= 2; }))
        << journalLines().join(u'\n').toStdString();
    tts->StopSpeak();
    EXPECT_EQ(journalLines(),
        (QStringList{u"09:30:00 : ErrSpeakIt->The text was cut after 10 minutes of speech(0)"_s,
            u"09:30:00 : ErrSaveTextToWav->The text was cut after 10 minutes of speech(0)"_s}));
    EXPECT_TRUE(QFile::exists(env.programFolder() + u"/long.wav"_s)) << "what was made is kept";
}

TEST_F(SpeechTest, WithEspeakNgTheVoiceListIsItsAndASavedTextIsAudible)
{
    ASSERT_TRUE(RegistryRoutines::forProduct(u"TTS51"_s).setString(u"Planted Voice"_s, QString()));
    auto* engine = new EspeakSpeech;
    QStringList names;
    for (const SpeechVoice& v : engine->Voices())
        names.append(v.name);
    load(engine);
    EXPECT_EQ(voiceList(), names);

    ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Sound"_s));
    const QString path = env.programFolder() + u"/Sound/hello.wav"_s;
    tts->SaveTextToWav(u"Hello there, this is Ringvale."_s, path, 0);
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(path); }, 30000));
    QString error;
    const auto wave = ReadWaveFile(path, &error);
    ASSERT_TRUE(wave.has_value()) << error.toStdString();
    EXPECT_EQ(wave->format.wFormatTag, 1); // PCM
    EXPECT_EQ(wave->format.nSamplesPerSec, 8000u);
    EXPECT_EQ(wave->format.nChannels, 1);
    EXPECT_EQ(wave->format.wBitsPerSample, 16);
    const auto sound = LoadWaveSound(path, &error);
    ASSERT_TRUE(sound.has_value());
    EXPECT_GT(sound->durationMs(), 500);
    int peak = 0;
    for (const qint16 s : sound->samples)
        peak = std::max(peak, std::abs(int(s)));
    EXPECT_GT(peak, 3000);
}

} // namespace

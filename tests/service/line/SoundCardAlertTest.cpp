#include "service/line/SoundCardAlert.h"

#include "platform/SinkWave.h"
#include "platform/SpeechEngine.h"
#include "service/core/CallOptions.h"
#include "service/core/Journal.h"
#include "service/line/LineActions.h"
#include "service/line/LineState.h"
#include "tests/service/line/CallFixture.h"
#include "tests/service/line/QuietLine.h"
#include "tests/support/JournalFiles.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestClock.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Notes what it is asked to say, on which device.
class SaidSpeech final : public SpeechEngine {
public:
    void SpeakIt(const QString& text, qint32 device) override
    {
        said.append(u"%1 on %2"_s.arg(text).arg(device));
    }
    void SetRate(qint32) override { }
    void TTSSetVoice(qint32) override { }
    void StopSpeak() override { }
    void SaveTextToWav(const QString&, const QString&, qint32) override { }

    QStringList said;
};

class SoundCardAlertTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.installDefaults();
        const QDir home(env.programFolder());
        ASSERT_TRUE(home.mkpath(u"Journal"_s));
        ASSERT_TRUE(home.mkpath(u"Sound"_s));
        ASSERT_TRUE(QFile::copy(
            QStringLiteral(RINGVALE_SOURCE_DIR "/data/Sound/Ring.wav"), home.filePath(u"Sound/Ring.wav"_s)));
    }

    // An incoming call from Ann Lee whose options ask for the sound and/or
    // the text.
    static CurrentCall call(bool sound, bool speech)
    {
        CurrentCall call;
        call.info.CallerName = u"Ann Lee"_s;
        call.info.CallerNumber = u"5551234"_s;
        call.info.CallType = u"0"_s;
        call.options.bPlaySound_IC = sound;
        call.options.SoundFile = u"Ring.wav"_s;
        call.options.SayText = speech;
        call.options.SpeechText = u"Call from <CALLER_NAME>"_s;
        return call;
    }
    QStringList journalLines() const { return journalEntries(testDaySysJournal(env.programFolder())); }

    TestEnvironment env;
    TestClock clock; // 12/10/2026 09:30:00
    Journal journal{{true, false, false}};
};

TEST_F(SoundCardAlertTest, PlaysAndSaysAsTheDesktopSwitchAndTheOptionsSay)
{
    for (int row = 0; row < 16; ++row) {
        const bool desktopOnly = row & 1;
        const bool desktopRuns = row & 2;
        const bool sound = row & 4;
        const bool speech = row & 8;
        const bool silent = desktopOnly && !desktopRuns;
        const std::string name = "desktop-only " + std::to_string(desktopOnly) + " bRun "
            + std::to_string(desktopRuns) + " sound " + std::to_string(sound) + " speech "
            + std::to_string(speech);

        QTemporaryDir sink;
        SinkWave player(sink.path(), 20.0);
        SaidSpeech tts;
        SoundCardAlert alert(player, tts);
        QuietLine line(journal);
        line.current = call(sound, speech);
        line.current.settings.bDoEventsWhenGUI = desktopOnly;
        line.current.settings.bRun = desktopRuns;
        int playDones = 0;
        QObject::connect(&player, &WaveControl::PlayDone, [&] {
            ++playDones;
            alert.WavePlayer_PlayDone(line);
        });

        alert.PlayIncomingCallAlert(line);
        const QStringList played = QDir(sink.path()).entryList(QDir::Files);
        const QStringList text = {u"Call from Ann Lee on 0"_s};
        EXPECT_EQ(played, sound && !silent ? QStringList{u"000001-Ring.wav"_s} : QStringList()) << name;
        // With a sound, the text waits for its end.
        EXPECT_EQ(tts.said, speech && !sound && !silent ? text : QStringList()) << name;
        EXPECT_EQ(alert.sPlayState(), sound && !silent ? u"PLAY_IC"_s : QString()) << name;
        if (sound && !silent) {
            ASSERT_TRUE(waitUntil([&] { return playDones == 1; })) << name;
            EXPECT_EQ(tts.said, speech ? text : QStringList()) << name;
        }
    }
}

TEST_F(SoundCardAlertTest, CallerTextIsSpokenAsTextNotMarkup)
{
    QTemporaryDir sink;
    SinkWave player(sink.path());
    SaidSpeech tts;
    SoundCardAlert alert(player, tts);
    QuietLine line(journal);
    line.current = call(false, true);
    line.current.info.CallerName = u"<break time=\"9s\"/> & Co"_s;
    line.current.options.SpeechText = u"<emphasis><CALLER_NAME></emphasis> at <TIME>"_s;
    line.current.info.CallTime = u"21:30:05"_s;
    alert.PlayIncomingCallAlert(line);
    EXPECT_EQ(tts.said,
        QStringList{u"<emphasis>&lt;break time=\"9s\"/&gt; &amp; Co</emphasis> at 09:30 PM on 0"_s});
}

// What is spoken of the caller's values: entities only where the engine
// reads the text as markup.
TEST_F(SoundCardAlertTest, ValuesAreEscapedOnlyInAWellFormedText)
{
    const struct {
        const char* what;
        const char16_t* speechText;
        const char16_t* callerName;
        const char16_t* said;
    } rows[] = {
        {"markup template", u"<emphasis><CALLER_NAME></emphasis>", u"Smith & Co",
            u"<emphasis>Smith &amp; Co</emphasis>"},
        {"plain template", u"Call from <CALLER_NAME>", u"Smith & Co", u"Call from Smith &amp; Co"},
        {"a lone & in the template", u"Call from <CALLER_NAME> & family", u"Smith & Co",
            u"Call from Smith & Co & family"},
        {"an unclosed element", u"<emphasis>Call from <CALLER_NAME>", u"<b> R&D",
            u"<emphasis>Call from <b> R&D"},
        {"a caller closing the template's element stays text", u"<emphasis><CALLER_NAME>", u"Ann</emphasis>",
            u"<emphasis>Ann&lt;/emphasis&gt;"},
    };
    for (const auto& row : rows) {
        QTemporaryDir sink;
        SinkWave player(sink.path());
        SaidSpeech tts;
        SoundCardAlert alert(player, tts);
        QuietLine line(journal);
        line.current = call(false, true);
        line.current.info.CallerName = QString::fromUtf16(row.callerName);
        line.current.options.SpeechText = QString::fromUtf16(row.speechText);
        alert.PlayIncomingCallAlert(line);
        EXPECT_EQ(tts.said, QStringList{QString::fromUtf16(row.said) + u" on 0"_s}) << row.what;
    }
}

// Once an alert's sound is over, or did not start, the end of another sound
// of the same player (the line's beep, a test) says nothing.
TEST_F(SoundCardAlertTest, PlayStateEndsWithTheAlertsSound)
{
    for (const char16_t* soundFile : {u"Ring.wav", u"Missing.wav", u"..\\x.wav"}) {
        const std::string what = QString::fromUtf16(soundFile).toStdString();
        QTemporaryDir sink;
        SinkWave player(sink.path(), 20.0);
        SaidSpeech tts;
        SoundCardAlert alert(player, tts);
        QuietLine line(journal);
        line.current = call(true, true);
        line.current.options.SoundFile = QString::fromUtf16(soundFile);
        int playDones = 0;
        QObject::connect(&player, &WaveControl::PlayDone, [&] {
            ++playDones;
            alert.WavePlayer_PlayDone(line);
        });
        alert.PlayIncomingCallAlert(line);
        const bool started = QString::fromUtf16(soundFile) == u"Ring.wav";
        if (started) {
            ASSERT_TRUE(waitUntil([&] { return playDones == 1; })) << what;
            EXPECT_EQ(tts.said.size(), 1) << what;
        }
        EXPECT_EQ(alert.sPlayState(), QString()) << what;
        const qsizetype saidBefore = tts.said.size();
        const QString beep = env.programFolder() + u"/Sound/Ring.wav"_s;
        ASSERT_EQ(player.PlayFile(beep, 0, 8000), WaveResult::Ok) << what;
        ASSERT_TRUE(waitUntil([&] { return playDones == (started ? 2 : 1); })) << what;
        EXPECT_EQ(tts.said.size(), saidBefore) << what;
    }
}

TEST_F(SoundCardAlertTest, ASoundThatDoesNotStartIsJournaledAndNothingIsSaid)
{
    struct Case {
        const char16_t* soundFile;
        const char16_t* journal;
    };
    const Case cases[] = {
        {u"Missing.wav",
            u"09:30:00 : PlayIncomingCallAlert:WavePlayer.PlayFile->The sound \\Sound\\Missing.wav could not "
            u"be "
            u"played(1)"},
        {u"..\\..\\etc\\passwd",
            u"09:30:00 : PlayIncomingCallAlert->The sound is not a file of the sound folder: "
            u"..\\..\\etc\\passwd(0)"},
    };
    for (const Case& c : cases) {
        QTemporaryDir sink;
        SinkWave player(sink.path(), 20.0);
        SaidSpeech tts;
        SoundCardAlert alert(player, tts);
        QuietLine line(journal);
        line.current = call(true, true);
        line.current.options.SoundFile = QString::fromUtf16(c.soundFile);
        alert.PlayIncomingCallAlert(line);
        EXPECT_TRUE(QDir(sink.path()).isEmpty());
        EXPECT_FALSE(player.IsPlaying());
        EXPECT_TRUE(tts.said.isEmpty());
        EXPECT_EQ(journalLines().value(0), QString::fromUtf16(c.journal))
            << journalLines().join(u'\n').toStdString();
        QFile::remove(testDaySysJournal(env.programFolder()));
    }
}

// The line engine with this alert on its WavePlayer.
class AlertOnTheLine : public CallFixture {
protected:
    void SetUp() override
    {
        CallFixture::SetUp();
        const QDir home(env.programFolder());
        ASSERT_TRUE(home.mkpath(u"Sound"_s));
        ASSERT_TRUE(QFile::copy(
            QStringLiteral(RINGVALE_SOURCE_DIR "/data/Sound/Ring.wav"), home.filePath(u"Sound/Ring.wav"_s)));
        ASSERT_TRUE(
            QFile::copy(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Beep.wav"), home.filePath(u"Beep.wav"_s)));
        const QString events = u"Events\\TabInCommingCall"_s;
        set(events, u"chkPlayInCall"_s, u"1"_s);
        set(events, u"CmbPlayWhenCall"_s, u"Ring.wav"_s);
        set(events, u"chkSayInCommingCall"_s, u"1"_s);
        set(events, u"IC_txtTTS"_s, u"Call from <CALLER_NAME>"_s);
        set(events, u"chkWhenCallerID"_s, u"1"_s);
        set(u"Properties\\TabGeneral"_s, u"chkModemSoundControl"_s, u"1"_s);
        player = new SinkWave(sink.path(), 1000);
        alert = new SoundCardAlert(*player, tts);
    }
    QStringList played() const { return QDir(sink.path()).entryList(QDir::Files, QDir::Name); }
};

TEST_F(AlertOnTheLine, TheLineOpenBeepRepeatsNoSpeechOfTheCallBefore)
{
    ASSERT_NO_FATAL_FAILURE(load()); // opens the line: the beep
    ASSERT_TRUE(waitUntil([&] { return !player->IsPlaying(); }));
    ASSERT_NO_FATAL_FAILURE(incomingCall(u"Ann Lee"_s, u"5551234"_s, 2, 1));
    ASSERT_TRUE(waitUntil([&] { return tts.said.size() == 1 && !player->IsPlaying(); }));
    EXPECT_EQ(tts.said, QStringList{u"Call from Ann Lee"_s});

    line->CloseLine();
    line->OpenLine();
    ASSERT_TRUE(waitUntil([&] { return played().size() == 3 && !player->IsPlaying(); }));
    EXPECT_EQ(played(), (QStringList{u"000001-Beep.wav"_s, u"000002-Ring.wav"_s, u"000003-Beep.wav"_s}));
    EXPECT_EQ(tts.said, QStringList{u"Call from Ann Lee"_s});
}

} // namespace

#include "platform/EspeakSpeech.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/WaitUntil.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The finished sound of one job, waiting on the event loop.
struct Outcome {
    bool done = false;
    PcmSound sound;
    QString error;
};

Outcome speak(EspeakSpeech& speech, const QString& text)
{
    Outcome outcome;
    quint64 job = 0;
    const auto ok
        = QObject::connect(&speech, &SpeechSynthesizer::Synthesized, [&](quint64 id, const PcmSound& s) {
              if (id == job) {
                  outcome.sound = s;
                  outcome.done = true;
              }
          });
    const auto failed
        = QObject::connect(&speech, &SpeechSynthesizer::SynthesisFailed, [&](quint64 id, const QString& e) {
              if (id == job) {
                  outcome.error = e;
                  outcome.done = true;
              }
          });
    job = speech.Synthesize(text);
    EXPECT_TRUE(waitUntil([&] { return outcome.done; }, 60000)) << text.toStdString();
    QObject::disconnect(ok);
    QObject::disconnect(failed);
    return outcome;
}

int peak(const PcmSound& sound)
{
    int peak = 0;
    for (const qint16 s : sound.samples)
        peak = std::max(peak, std::abs(int(s)));
    return peak;
}

TEST(EspeakSpeech, RateMapsToWordsPerMinuteThreeTimesEitherWayWithinEspeakLimits)
{
    struct Case {
        qint32 rate;
        qint32 wordsPerMinute;
    };
    const Case cases[] = {
        {-10, 80}, // 58 would be below espeak-ng's slowest
        {-7, 81},
        {-5, 101},
        {-1, 157},
        {0, 175},
        {1, 195},
        {5, 303},
        {8, 421},
        {9, 450}, // 470 would be above its fastest
        {10, 450},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EspeakWordsPerMinute(c.rate), c.wordsPerMinute) << c.rate;
}

TEST(EspeakSpeech, MarkupIsReadOnlyWhenWellFormed)
{
    struct Case {
        const char16_t* text;
        bool wellFormed;
    };
    const Case cases[] = {
        {u"Hello there", true},
        {u"", true},
        {u"Call from <emphasis>Ann</emphasis> <break time=\"1s\"/>", true},
        {u"Tom &amp; Jerry &lt;3", true},
        {u"<speak>Hello</speak>", true},
        {u"Tom & Jerry", false},
        {u"Ann <Lee", false},
        {u"1 < 2", false},
        {u"<emphasis>open", false},
        {u"closed</emphasis>", false},
        {u"&nbsp;", false}, // not an entity of plain markup
        {u"<?xml version=\"1.0\"?><speak>Hi</speak>", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsWellFormedSpeechMarkup(QString::fromUtf16(c.text)), c.wellFormed)
            << QString::fromUtf16(c.text).toStdString();
}

TEST(EspeakSpeech, ListsEspeakNgVoicesInItsOwnOrder)
{
    EspeakSpeech speech;
    ASSERT_TRUE(speech.StartError().isEmpty()) << speech.StartError().toStdString();
    const QList<SpeechVoice> voices = speech.Voices();
    ASSERT_GT(voices.size(), 10);

    // espeak-ng's own listing, one voice a line, names with "_" for blanks.
    QProcess listing;
    listing.start(QStringLiteral("espeak-ng"), {QStringLiteral("--voices")});
    ASSERT_TRUE(listing.waitForFinished(30000));
    QStringList expected;
    const QStringList lines
        = QString::fromUtf8(listing.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList columns = lines[i].split(u' ', Qt::SkipEmptyParts);
        ASSERT_GE(columns.size(), 5) << lines[i].toStdString();
        expected.append(columns[3]);
    }
    QStringList names;
    for (const SpeechVoice& voice : voices) {
        EXPECT_FALSE(voice.identifier.startsWith(u"mb/")) << voice.identifier.toStdString();
        names.append(QString(voice.name).replace(u' ', u'_'));
    }
    EXPECT_EQ(names, expected);
}

TEST(EspeakSpeech, SpeaksTextAsSoundAtEspeakRateAndFasterAtAHigherRate)
{
    EspeakSpeech speech;
    const QString text = QStringLiteral("Call from Ann Lee, five five five, one two three four.");
    ASSERT_TRUE(speech.SetRate(-10));
    const Outcome slow = speak(speech, text);
    ASSERT_TRUE(slow.error.isEmpty()) << slow.error.toStdString();
    EXPECT_EQ(slow.sound.samplesPerSec, 22050u);
    EXPECT_EQ(slow.sound.channels, 1);
    EXPECT_GT(peak(slow.sound), 3000);

    ASSERT_TRUE(speech.SetRate(10));
    const Outcome fast = speak(speech, text);
    ASSERT_TRUE(fast.error.isEmpty());
    // 80 against 450 words a minute; pauses do not shrink, so not fully 5.6 times.
    EXPECT_GT(slow.sound.durationMs(), 3 * fast.sound.durationMs());

    // Refused values keep what was set.
    EXPECT_FALSE(speech.SetRate(11));
    EXPECT_FALSE(speech.SetRate(-11));
    EXPECT_FALSE(speech.SetVoice(speech.Voices().size()));
    EXPECT_FALSE(speech.SetVoice(-1));
    const Outcome still = speak(speech, text);
    EXPECT_NEAR(double(still.sound.durationMs()), double(fast.sound.durationMs()), 50.0);
}

TEST(EspeakSpeech, ObeysWellFormedMarkupAndReadsBrokenMarkupAsText)
{
    EspeakSpeech speech;
    const Outcome pause = speak(speech, QStringLiteral("Hello <break time=\"5s\"/> there"));
    EXPECT_GT(pause.sound.durationMs(), 5000);
    EXPECT_LT(speak(speech, QStringLiteral("Hello there")).sound.durationMs(), 2000);
    // As markup, espeak-ng would drop everything after "<Lee".
    const Outcome broken = speak(speech, QStringLiteral("Ann <Lee and many more words after it"));
    EXPECT_GT(broken.sound.durationMs(), 3 * speak(speech, QStringLiteral("Ann")).sound.durationMs());
}

TEST(EspeakSpeech, AChosenVoiceIsUsed)
{
    EspeakSpeech speech;
    const QList<SpeechVoice> voices = speech.Voices();
    const auto find = [&](const char16_t* identifier) {
        for (qsizetype i = 0; i < voices.size(); ++i) {
            if (voices[i].identifier == QStringView(identifier))
                return i;
        }
        return qsizetype(-1);
    };
    const qsizetype english = find(u"gmw/en");
    const qsizetype finnish = find(u"urj/fi");
    ASSERT_GE(english, 0);
    ASSERT_GE(finnish, 0);
    const QString text = QStringLiteral("seitsemänkymmentäseitsemän");
    ASSERT_TRUE(speech.SetVoice(english));
    const Outcome inEnglish = speak(speech, text);
    ASSERT_TRUE(speech.SetVoice(finnish));
    const Outcome inFinnish = speak(speech, text);
    EXPECT_NE(inEnglish.sound.samples, inFinnish.sound.samples);
}

TEST(EspeakSpeech, CancelledJobsNeverReportAndTheNextOneDoes)
{
    EspeakSpeech speech;
    QSignalSpy done(&speech, &SpeechSynthesizer::Synthesized);
    QString longText;
    for (int i = 0; i < 200; ++i)
        longText += QStringLiteral("This sentence is spoken again and again. ");
    const quint64 running = speech.Synthesize(longText);
    const quint64 queued = speech.Synthesize(longText);
    speech.Cancel(running);
    speech.Cancel(queued);
    speech.Cancel(9999); // unknown: ignored
    const quint64 next = speech.Synthesize(QStringLiteral("Hello"));
    // One worker takes jobs in order: a result of the first two would come first.
    ASSERT_TRUE(waitUntil([&] { return done.count() >= 1; }, 60000));
    ASSERT_EQ(done.count(), 1);
    EXPECT_EQ(done[0][0].value<quint64>(), next);
}

TEST(EspeakSpeech, SynthesisDoesNotHoldUpTheEventLoop)
{
    EspeakSpeech speech;
    QString longText;
    for (int i = 0; i < 200; ++i)
        longText += QStringLiteral("A long text keeps the worker busy for a while. ");
    QElapsedTimer timer;
    timer.start();
    const quint64 job = speech.Synthesize(longText);
    // Seconds of speech; handing it over takes no time worth the name.
    EXPECT_LT(timer.elapsed(), testTimeout(1000));
    speech.Cancel(job);
}

} // namespace

#include "common/WaveFile.h"
#include "platform/AlsaWave.h"
#include "platform/Backends.h"
#include "platform/DeviceLookups.h"
#include "platform/SimulatedTelephony.h"
#include "platform/SinkWave.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

PcmSound ramp(int frames)
{
    PcmSound sound;
    sound.samplesPerSec = 8000;
    sound.channels = 1;
    for (int i = 0; i < frames; ++i)
        sound.samples.push_back(qint16((i * 37) % 20000 - 10000));
    return sound;
}

// A smooth sound, which every recording format can follow.
PcmSound tone(int frames)
{
    PcmSound sound;
    sound.samplesPerSec = 8000;
    sound.channels = 1;
    for (int i = 0; i < frames; ++i)
        sound.samples.push_back(qint16(12000.0 * std::sin(2 * M_PI * 440.0 * i / 8000)));
    return sound;
}

class WaveTest : public ::testing::Test {
protected:
    QString clip(const QString& name, int frames)
    {
        const QString path = m_dir.filePath(name);
        QString error;
        EXPECT_TRUE(WriteWaveFile(path, PcmWaveFormat(8000, 1, 16), ramp(frames), &error))
            << error.toStdString();
        return path;
    }
    QString junk(const QString& name, const QByteArray& bytes)
    {
        QFile file(m_dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    QStringList sinkFiles() const { return QDir(sinkFolder()).entryList(QDir::Files, QDir::Name); }
    QString sinkFolder() const { return m_dir.filePath(QStringLiteral("sink")); }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(WaveTest, UnplayableFilesReturnNonZeroAndRaiseNoPlayDone)
{
    SinkWave wave(sinkFolder());
    AlsaWave alsa;
    QSignalSpy sinkDone(&wave, &WaveControl::PlayDone);
    QSignalSpy alsaDone(&alsa, &WaveControl::PlayDone);
    const QString good = clip(QStringLiteral("good.wav"), 80);
    struct Row {
        const char* name;
        QString path;
        qint32 device;
    };
    const Row rows[] = {
        {"missing", m_dir.filePath(QStringLiteral("missing.wav")), 0},
        {"a folder", m_dir.path(), 0},
        {"text", junk(QStringLiteral("text.wav"), "not a sound"), 0},
        {"truncated header", junk(QStringLiteral("cut.wav"), "RIFF\x10\0\0\0WAVEfmt "), 0},
        {"no such device", good, 7},
        {"negative device", good, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const qint32 sinkResult = wave.PlayFile(row.path, row.device, 8000);
        EXPECT_NE(sinkResult, 0);
        EXPECT_FALSE(wave.RecordErrorText(sinkResult).isEmpty());
        EXPECT_FALSE(wave.IsPlaying());
        EXPECT_NE(alsa.PlayFile(row.path, row.device, 8000), 0);
    }
    // A machine without a sound card has no device at all to play on.
    if (alsa.OutDeviceCount() == 0) {
        EXPECT_NE(alsa.PlayFile(good, 0), 0);
        EXPECT_EQ(GetSoundDeviceName(alsa, 0), QString());
    }
    // A PlayDone of a refused file would have been posted before the one of a
    // playback that runs, so that one's arrival shows there was none.
    ASSERT_EQ(wave.PlayFile(good, 0), 0);
    ASSERT_TRUE(waitUntil([&] { return sinkDone.count() >= 1; }));
    EXPECT_EQ(sinkDone.count(), 1);
    EXPECT_EQ(alsaDone.count(), 0);
    EXPECT_EQ(sinkFiles(), QStringList{QStringLiteral("000001-good.wav")}) << "refused files take no number";
}

TEST_F(WaveTest, SinkWritesTheFileAndEndsAfterItsDuration)
{
    SinkWave wave(sinkFolder());
    QSignalSpy done(&wave, &WaveControl::PlayDone);
    const QString path = clip(QStringLiteral("Beep.wav"), 800); // 100 ms
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(wave.PlayFile(path, 0, 8000), 0);
    EXPECT_TRUE(wave.IsPlaying());
    EXPECT_EQ(done.count(), 0);
    ASSERT_TRUE(waitUntil([&] { return done.count() == 1; }));
    EXPECT_GE(clock.elapsed(), 90);
    EXPECT_FALSE(wave.IsPlaying());
    ASSERT_EQ(sinkFiles(), QStringList{QStringLiteral("000001-Beep.wav")});
    QFile original(path);
    QFile copy(QDir(sinkFolder()).filePath(sinkFiles().first()));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly) && copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), original.readAll());
    EXPECT_TRUE(staysFalse([&] { return done.count() > 1; }, 150));

    // A faster sink (RINGVALE_AUDIO_SINK_SPEED) ends the same sound sooner:
    // started together with a plain one, it ends while that one still plays.
    SinkWave faster(sinkFolder(), 20.0);
    QSignalSpy fasterDone(&faster, &WaveControl::PlayDone);
    const QString longer = clip(QStringLiteral("Ring.wav"), 4000); // 500 ms
    ASSERT_EQ(wave.PlayFile(longer, 0), 0);
    ASSERT_EQ(faster.PlayFile(longer, 0), 0);
    ASSERT_TRUE(waitUntil([&] { return fasterDone.count() == 1; }));
    EXPECT_EQ(done.count(), 1);
    EXPECT_TRUE(wave.IsPlaying());
    ASSERT_TRUE(waitUntil([&] { return done.count() == 2; }));
}

TEST_F(WaveTest, ExactlyOnePlayDonePerPlaybackAlsoWhenStoppedOrReplaced)
{
    SinkWave wave(sinkFolder());
    QSignalSpy done(&wave, &WaveControl::PlayDone);
    const QString longer = clip(QStringLiteral("Ring.wav"), 1600); // 200 ms
    const QString shorter = clip(QStringLiteral("Beep.wav"), 160); // 20 ms

    ASSERT_EQ(wave.PlayFile(longer, 0), 0);
    EXPECT_EQ(wave.StopPlay(), 0);
    EXPECT_FALSE(wave.IsPlaying());
    // Raised from the event loop, not inside StopPlay.
    EXPECT_EQ(done.count(), 0);
    ASSERT_TRUE(waitUntil([&] { return done.count() == 1; }));
    EXPECT_NE(wave.StopPlay(), 0);

    // A playback started over a running one ends that one first.
    ASSERT_EQ(wave.PlayFile(longer, 0), 0);
    ASSERT_EQ(wave.PlayFile(shorter, 0), 0);
    ASSERT_TRUE(waitUntil([&] { return done.count() == 3; }));
    // The first of the two would have ended by itself in this time.
    EXPECT_TRUE(staysFalse([&] { return done.count() > 3; }, 300));

    // Another program's sink on the same folder goes on with the numbers.
    SinkWave other(sinkFolder(), 10.0);
    ASSERT_EQ(other.PlayFile(shorter, 0), 0);
    EXPECT_EQ(sinkFiles(),
        (QStringList{QStringLiteral("000001-Ring.wav"), QStringLiteral("000002-Ring.wav"),
            QStringLiteral("000003-Beep.wav"), QStringLiteral("000004-Beep.wav")}));
    // CloseDevices ends a running playback like StopPlay.
    QSignalSpy otherDone(&other, &WaveControl::PlayDone);
    other.CloseDevices();
    ASSERT_TRUE(waitUntil([&] { return otherDone.count() == 1; }));
}

TEST_F(WaveTest, FactoryPicksTheSinkWhenAFolderIsNamed)
{
    QObject owner;
    qputenv("RINGVALE_AUDIO_SINK", sinkFolder().toUtf8());
    WaveControl* sink = CreateWaveControl(&owner);
    qunsetenv("RINGVALE_AUDIO_SINK");
    WaveControl* card = CreateWaveControl(&owner);
    EXPECT_EQ(sink->OutDeviceCount(), 1);
    EXPECT_EQ(GetSoundDeviceName(*sink, 0), SinkWave::deviceName());
    EXPECT_EQ(FindSoundDeviceIndex(*sink, SinkWave::deviceName()), 0);
    EXPECT_EQ(FindSoundDeviceIndex(*sink, QStringLiteral("no such device")), 0);
    EXPECT_EQ(GetSoundDeviceName(*sink, 1), QString());
    EXPECT_NE(dynamic_cast<AlsaWave*>(card), nullptr);
}

namespace {

// A dialled call on a simulated line whose far end answered with a sound.
class LineRecordingTest : public WaveTest {
protected:
    void SetUp() override
    {
        SimulatedLines::Config config;
        m_lines = std::make_unique<SimulatedLines>(config);
        m_tapi = std::make_unique<SimulatedTelephony>(m_lines.get());
        ASSERT_EQ(m_tapi->Initialize(), 0);
        ASSERT_EQ(m_tapi->LineOpen(6, 16), 0);
        ASSERT_EQ(m_tapi->LineDial(QStringLiteral("123")), 0);
        ASSERT_EQ(m_lines->device(0)->farAnswer(), QString());
        m_lines->device(0)->setFarEndSound(m_sent.samples);
    }

    // Records until the far end's sound has all arrived, then stops.
    QString record(SinkWave& wave, const WaveFormat& format, const QString& name)
    {
        const QString path = m_dir.filePath(name);
        qint32 rate = 0;
        EXPECT_EQ(wave.StartRecord(m_tapi->GetDeviceID(LineDeviceClass::WaveIn), path, TelephoneWaveFormat(1),
                      format, rate, true),
            0);
        EXPECT_EQ(rate, 8000);
        EXPECT_TRUE(wave.IsRecording());
        EXPECT_TRUE(waitUntil([&] { return m_lines->device(0)->farEndSamplesLeft() == 0; }, 10000));
        EXPECT_EQ(wave.StopRecord(), 0);
        EXPECT_FALSE(wave.IsRecording());
        return path;
    }

    TestEnvironment m_env;
    PcmSound m_sent = tone(1600); // 200 ms
    std::unique_ptr<SimulatedLines> m_lines;
    std::unique_ptr<SimulatedTelephony> m_tapi;
};

} // namespace

TEST_F(LineRecordingTest, RecordingHoldsWhatTheFarEndSentInTheRequestedFormat)
{
    SinkWave wave(sinkFolder());
    struct Row {
        int record;
        qsizetype dataBytes;
        int tolerance;
    };
    // 1600 samples: 3200 bytes of PCM, 1600 of mu-law, four 505-sample ADPCM blocks.
    const Row rows[] = {{1, 3200, 0}, {2, 1600, 700}, {5, 4 * 256, 1500}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.record);
        m_lines->device(0)->setFarEndSound(m_sent.samples);
        const QString path
            = record(wave, TelephoneWaveFormat(row.record), QStringLiteral("r%1.wav").arg(row.record));
        QString error;
        const std::optional<WaveFileData> file = ReadWaveFile(path, &error);
        ASSERT_TRUE(file) << error.toStdString();
        EXPECT_EQ(file->format, TelephoneWaveFormat(row.record));
        EXPECT_EQ(file->data.size(), row.dataBytes);
        const std::optional<PcmSound> heard
            = DecodeWaveData(file->format, file->data, file->factSamples, &error);
        ASSERT_TRUE(heard);
        ASSERT_EQ(heard->frames(), m_sent.frames());
        int worst = 0;
        for (size_t i = 0; i < m_sent.samples.size(); ++i)
            worst = std::max(worst, std::abs(heard->samples[i] - m_sent.samples[i]));
        EXPECT_LE(worst, row.tolerance);
    }
}

TEST_F(LineRecordingTest, StoppingEarlyKeepsACompleteShorterFile)
{
    SinkWave wave(sinkFolder());
    m_lines->device(0)->setFarEndSound(tone(8000).samples); // a second of it
    const QString path = m_dir.filePath(QStringLiteral("short.wav"));
    qint32 rate = 0;
    ASSERT_EQ(wave.StartRecord(m_tapi->GetDeviceID(LineDeviceClass::WaveIn), path, TelephoneWaveFormat(1),
                  TelephoneWaveFormat(1), rate, true),
        0);
    ASSERT_TRUE(waitUntil([&] { return m_lines->device(0)->farEndSamplesLeft() < 8000 - 400; }, 10000));
    // The far end hangs up: nothing more arrives, the file is still whole.
    ASSERT_EQ(m_tapi->LineDrop(), 0);
    ASSERT_EQ(wave.StopRecord(), 0);
    QString error;
    const std::optional<WaveFileData> file = ReadWaveFile(path, &error);
    ASSERT_TRUE(file) << error.toStdString();
    EXPECT_GT(file->data.size(), 0);
    EXPECT_LT(file->data.size(), 16000);
    // The header's sizes match the file: RIFF size and data size both filled in.
    EXPECT_EQ(QFileInfo(path).size(), 44 + file->data.size());
}

TEST_F(LineRecordingTest, RecordingsThatCannotRunSayWhy)
{
    SinkWave wave(sinkFolder());
    const QString device = m_tapi->GetDeviceID(LineDeviceClass::WaveIn);
    qint32 rate = 0;
    struct Row {
        const char* name;
        QString device;
        QString path;
        WaveFormat format;
        qint32 expected;
    };
    const Row rows[] = {
        {"other rate", device, m_dir.filePath(QStringLiteral("o.wav")), PcmWaveFormat(44100, 1, 16),
            WaveResult::UnsupportedFormat},
        {"TrueSpeech", device, m_dir.filePath(QStringLiteral("t.wav")), TelephoneWaveFormat(3),
            WaveResult::UnsupportedFormat},
        {"GSM", device, m_dir.filePath(QStringLiteral("g.wav")), TelephoneWaveFormat(4),
            WaveResult::UnsupportedFormat},
        {"no such input", QStringLiteral("simline:9"), m_dir.filePath(QStringLiteral("n.wav")),
            TelephoneWaveFormat(1), WaveResult::NoDevice},
        {"no such folder", device, m_dir.filePath(QStringLiteral("missing/x.wav")), TelephoneWaveFormat(1),
            WaveResult::CannotWrite},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(wave.StartRecord(row.device, row.path, TelephoneWaveFormat(1), row.format, rate, true),
            row.expected);
        EXPECT_FALSE(wave.IsRecording());
        EXPECT_FALSE(QFile::exists(row.path));
    }
    EXPECT_TRUE(wave.RecordErrorText(WaveResult::UnsupportedFormat).contains(QStringLiteral("GSM 6.10")));
    EXPECT_EQ(wave.StopRecord(), WaveResult::NotRecording);
    EXPECT_FALSE(wave.RecordErrorText(WaveResult::NotRecording).isEmpty());

    ASSERT_EQ(wave.StartRecord(device, m_dir.filePath(QStringLiteral("a.wav")), TelephoneWaveFormat(1),
                  TelephoneWaveFormat(1), rate, true),
        0);
    EXPECT_EQ(wave.StartRecord(device, m_dir.filePath(QStringLiteral("b.wav")), TelephoneWaveFormat(1),
                  TelephoneWaveFormat(1), rate, true),
        WaveResult::Busy);
    EXPECT_EQ(wave.StopRecord(), 0);

    // A sound card that does not exist cannot be recorded from.
    AlsaWave alsa;
    EXPECT_NE(
        alsa.StartRecord(QStringLiteral("ringvale-no-such-pcm"), m_dir.filePath(QStringLiteral("c.wav")),
            TelephoneWaveFormat(1), TelephoneWaveFormat(1), rate, true),
        0);
    EXPECT_FALSE(QFile::exists(m_dir.filePath(QStringLiteral("c.wav"))));
}

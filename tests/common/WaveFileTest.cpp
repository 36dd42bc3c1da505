#include "common/WaveFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

PcmSound sine(quint32 rate, quint16 channels, int frames, double hz = 440.0)
{
    PcmSound sound;
    sound.samplesPerSec = rate;
    sound.channels = channels;
    for (int f = 0; f < frames; ++f) {
        const auto value = static_cast<qint16>(12000.0 * std::sin(2 * M_PI * hz * f / rate));
        for (int c = 0; c < channels; ++c)
            sound.samples.push_back(value);
    }
    return sound;
}

QByteArray le16(quint16 v)
{
    return QByteArray(1, char(v & 0xFF)) + QByteArray(1, char(v >> 8));
}

QByteArray le32(quint32 v)
{
    return le16(quint16(v & 0xFFFF)) + le16(quint16(v >> 16));
}

QByteArray chunk(const QByteArray& id, const QByteArray& body)
{
    return id + le32(quint32(body.size())) + body;
}

QByteArray riff(const QByteArray& chunks)
{
    return "RIFF" + le32(quint32(chunks.size() + 4)) + "WAVE" + chunks;
}

QByteArray pcmFmt()
{
    return le16(1) + le16(1) + le32(8000) + le32(16000) + le16(2) + le16(16);
}

class WaveFileTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path(name);
    }
    QTemporaryDir m_dir;
};

} // namespace

TEST(WaveFormats, TelephoneRecordsHoldTheTable)
{
    struct Row {
        int record;
        quint16 tag, avgBytes, blockAlign, bits, cbSize;
    };
    const Row rows[] = {
        {1, 1, 16000, 2, 16, 0},
        {2, 7, 8000, 1, 8, 0},
        {3, 34, 1067, 32, 1, 32},
        {4, 49, 1625, 65, 0, 2},
        {5, 17, 4055, 256, 4, 2},
    };
    for (const Row& row : rows) {
        const WaveFormat format = TelephoneWaveFormat(row.record);
        SCOPED_TRACE(row.record);
        EXPECT_EQ(format.wFormatTag, row.tag);
        EXPECT_EQ(format.nChannels, 1);
        EXPECT_EQ(format.nSamplesPerSec, 8000u);
        EXPECT_EQ(format.nAvgBytesPerSec, row.avgBytes);
        EXPECT_EQ(format.nBlockAlign, row.blockAlign);
        EXPECT_EQ(format.wBitsPerSample, row.bits);
        EXPECT_EQ(format.cbSize(), row.cbSize);
    }
    EXPECT_EQ(TelephoneWaveFormat(4).extraWord(0), 320);
    EXPECT_EQ(TelephoneWaveFormat(5).extraWord(0), 505);
    EXPECT_EQ(TelephoneWaveFormat(3).extraWord(0), 1);
    EXPECT_EQ(TelephoneWaveFormat(3).extraWord(1), 240);
    // cbSize 32: a reader that trusts it finds 32 bytes, zero past the given ones.
    EXPECT_EQ(TelephoneWaveFormat(3).extra.size(), 32);
    EXPECT_EQ(TelephoneWaveFormat(3).extra.mid(10), QByteArray(22, '\0'));

    // Every extra byte, as a consumer reading cbSize bytes sees them.
    const QByteArray trueSpeech = QByteArray("\x01\x00\xF0\x00\x00\xF0\x40", 7) + QByteArray(25, '\0');
    EXPECT_EQ(TelephoneWaveFormat(3).extra, trueSpeech);
    EXPECT_EQ(TelephoneWaveFormat(4).extra, QByteArray("\x40\x01", 2));
    EXPECT_EQ(TelephoneWaveFormat(5).extra, QByteArray("\xF9\x01", 2));

    InitWaveFormats();
    for (int record = 1; record <= TelephoneWaveFormatCount; ++record)
        EXPECT_EQ(g_WaveFormats[record], TelephoneWaveFormat(record)) << record;
    WaveFormat copy;
    CopyWaveFormat(g_WaveFormats[1], copy);
    EXPECT_EQ(copy, PcmWaveFormat(8000, 1, 16));
}

TEST(WaveCodec, MuLawKeepsSamplesWithinItsStep)
{
    EXPECT_EQ(WaveCodec::muLawEncode(0), 0xFF);
    EXPECT_EQ(WaveCodec::muLawDecode(0xFF), 0);
    EXPECT_EQ(WaveCodec::muLawDecode(WaveCodec::muLawEncode(32767)), 32124);
    EXPECT_EQ(WaveCodec::muLawDecode(WaveCodec::muLawEncode(-32768)), -32124);
    for (int sample = -32000; sample <= 32000; sample += 97) {
        const int back = WaveCodec::muLawDecode(WaveCodec::muLawEncode(qint16(sample)));
        // The step grows with the level: about 1/16 of it, at least a few units.
        EXPECT_LE(std::abs(back - sample), std::abs(sample) / 16 + 8) << sample;
    }
}

TEST_F(WaveFileTest, EncodableFormatsRoundTrip)
{
    struct Row {
        const char* name;
        WaveFormat format;
        int tolerance;
    };
    const Row rows[] = {
        {"pcm16", PcmWaveFormat(8000, 1, 16), 0},
        {"pcm16 stereo", PcmWaveFormat(22050, 2, 16), 0},
        {"pcm8", PcmWaveFormat(8000, 1, 8), 256},
        {"mu-law", TelephoneWaveFormat(2), 800},
        {"ima adpcm", TelephoneWaveFormat(5), 1500},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // 1234 frames: not a whole number of ADPCM blocks, an odd byte count for 8-bit.
        const PcmSound sound = sine(row.format.nSamplesPerSec, row.format.nChannels, 1234);
        const QString file = path(QString::fromLatin1(row.name) + QStringLiteral(".wav"));
        QString error;
        ASSERT_TRUE(WriteWaveFile(file, row.format, sound, &error)) << error.toStdString();
        const std::optional<WaveFileData> wave = ReadWaveFile(file, &error);
        ASSERT_TRUE(wave) << error.toStdString();
        EXPECT_EQ(wave->format, row.format);
        EXPECT_EQ(QFileInfo(file).size() % 2, 0);
        if (row.format.wFormatTag != WaveFormatTag::Pcm) {
            EXPECT_EQ(wave->factSamples, std::optional<quint32>(1234));
        }
        const std::optional<PcmSound> back
            = DecodeWaveData(wave->format, wave->data, wave->factSamples, &error);
        ASSERT_TRUE(back) << error.toStdString();
        ASSERT_EQ(back->frames(), 1234);
        int worst = 0;
        for (size_t i = 0; i < sound.samples.size(); ++i)
            worst = std::max(worst, std::abs(back->samples[i] - sound.samples[i]));
        EXPECT_LE(worst, row.tolerance);
    }
}

TEST_F(WaveFileTest, ImaAdpcmFillsWholeBlocks)
{
    const PcmSound sound = sine(8000, 1, 2400);
    QString error;
    ASSERT_TRUE(WriteWaveFile(path(QStringLiteral("a.wav")), TelephoneWaveFormat(5), sound, &error));
    const std::optional<WaveFileData> wave = ReadWaveFile(path(QStringLiteral("a.wav")), &error);
    ASSERT_TRUE(wave);
    // 2400 samples need five blocks of 505.
    EXPECT_EQ(wave->data.size(), 5 * 256);
}

TEST_F(WaveFileTest, FormatsWithoutEncoderAreRefusedBeforeAnyFileExists)
{
    for (int record : {3, 4}) {
        const QString file = path(QStringLiteral("r%1.wav").arg(record));
        QString error;
        WaveFileWriter writer;
        EXPECT_FALSE(writer.open(file, TelephoneWaveFormat(record), &error));
        EXPECT_TRUE(error.contains(QStringLiteral("not available"))) << error.toStdString();
        EXPECT_FALSE(QFile::exists(file));
    }
}

TEST_F(WaveFileTest, BadFilesAreErrorsNotCrashes)
{
    const QByteArray data = chunk("data", QByteArray(16, '\1'));
    struct Row {
        const char* name;
        QByteArray bytes;
    };
    const Row rows[] = {
        {"empty", {}},
        {"text", "hello, this is not a wave file at all"},
        {"riff but not wave", "RIFF" + le32(4) + "AVI "},
        {"no format", riff(data)},
        {"no data", riff(chunk("fmt ", pcmFmt()))},
        {"short format", riff(chunk("fmt ", pcmFmt().left(10)) + data)},
        {"chunk past the end", riff("fmt " + le32(5000) + pcmFmt() + data)},
        {"no channels",
            riff(chunk("fmt ", le16(1) + le16(0) + le32(8000) + le32(0) + le16(0) + le16(16)) + data)},
        {"24-bit",
            riff(chunk("fmt ", le16(1) + le16(1) + le32(8000) + le32(24000) + le16(3) + le16(24)) + data)},
        {"gsm",
            riff(chunk("fmt ",
                     le16(49) + le16(1) + le32(8000) + le32(1625) + le16(65) + le16(0) + le16(2) + le16(320))
                + data)},
        {"adpcm bad block",
            riff(chunk("fmt ",
                     le16(17) + le16(1) + le32(8000) + le32(4055) + le16(3) + le16(4) + le16(2) + le16(505))
                + data)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QString error;
        const QString file = write(QString::fromLatin1(row.name), row.bytes);
        EXPECT_FALSE(LoadWaveSound(file, &error));
        EXPECT_FALSE(error.isEmpty());
    }
    QString error;
    EXPECT_FALSE(ReadWaveFile(path(QStringLiteral("missing.wav")), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("does not exist")));
}

TEST_F(WaveFileTest, ReadIsBoundedBySize)
{
    const QString file = write(
        QStringLiteral("big.wav"), riff(chunk("fmt ", pcmFmt()) + chunk("data", QByteArray(4000, 0))));
    QString error;
    EXPECT_TRUE(ReadWaveFile(file, &error, 5000));
    EXPECT_FALSE(ReadWaveFile(file, &error, 1000));
}

TEST_F(WaveFileTest, CutOffRecordingReadsWhatIsThere)
{
    // A recorder that ended without its last step leaves size fields unset.
    const QByteArray bytes = "RIFF" + le32(0) + "WAVE" + chunk("fmt ", pcmFmt()) + "data" + le32(0xFFFFFFFF)
        + QByteArray(100, '\2');
    QString error;
    const std::optional<WaveFileData> wave = ParseWaveFile(bytes, &error);
    ASSERT_TRUE(wave) << error.toStdString();
    EXPECT_EQ(wave->data.size(), 100);
}

TEST_F(WaveFileTest, UnknownChunksAndOddSizesAreSkipped)
{
    const QByteArray bytes = riff(chunk("LIST", "abc") + QByteArray(1, '\0') + chunk("fmt ", pcmFmt())
        + chunk("data", le16(1000) + le16(2000)));
    QString error;
    const std::optional<WaveFileData> wave = ParseWaveFile(bytes, &error);
    ASSERT_TRUE(wave) << error.toStdString();
    const std::optional<PcmSound> sound = DecodeWaveData(wave->format, wave->data, std::nullopt, &error);
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->samples, (std::vector<qint16>{1000, 2000}));
}

TEST(WaveCodec, ConvertSoundMixesAndResamples)
{
    PcmSound stereo;
    stereo.samplesPerSec = 16000;
    stereo.channels = 2;
    for (int f = 0; f < 1600; ++f)
        stereo.samples.insert(stereo.samples.end(), {1000, 3000});
    const PcmSound mono = ConvertSound(stereo, 8000, 1);
    EXPECT_EQ(mono.frames(), 800);
    EXPECT_EQ(mono.durationMs(), 100);
    EXPECT_TRUE(std::all_of(mono.samples.begin(), mono.samples.end(), [](qint16 s) { return s == 2000; }));
}

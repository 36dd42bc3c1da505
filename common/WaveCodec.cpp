#include "common/WaveCodec.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kImaIndexTable[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};
constexpr int kImaStepTable[89] = {7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 19, 21, 23, 25, 28, 31, 34, 37, 41,
    45, 50, 55, 60, 66, 73, 80, 88, 97, 107, 118, 130, 143, 157, 173, 190, 209, 230, 253, 279, 307, 337, 371,
    408, 449, 494, 544, 598, 658, 724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552, 1707, 1878, 2066, 2272,
    2499, 2749, 3024, 3327, 3660, 4026, 4428, 4871, 5358, 5894, 6484, 7132, 7845, 8630, 9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

constexpr quint32 kMaxChannels = 8;
constexpr quint32 kMaxRate = 384000;

qint16 clamp16(int value)
{
    return static_cast<qint16>(std::clamp(value, -32768, 32767));
}

// One IMA ADPCM channel state; the decoder and the encoder step it alike.
struct ImaState {
    int predictor = 0;
    int index = 0;

    qint16 decode(int nibble)
    {
        const int step = kImaStepTable[index];
        int diff = step >> 3;
        if (nibble & 4)
            diff += step;
        if (nibble & 2)
            diff += step >> 1;
        if (nibble & 1)
            diff += step >> 2;
        predictor = (nibble & 8) ? predictor - diff : predictor + diff;
        predictor = clamp16(predictor);
        index = std::clamp(index + kImaIndexTable[nibble], 0, 88);
        return static_cast<qint16>(predictor);
    }

    int encode(qint16 sample)
    {
        int diff = sample - predictor;
        int nibble = 0;
        if (diff < 0) {
            nibble = 8;
            diff = -diff;
        }
        int step = kImaStepTable[index];
        if (diff >= step) {
            nibble |= 4;
            diff -= step;
        }
        step >>= 1;
        if (diff >= step) {
            nibble |= 2;
            diff -= step;
        }
        step >>= 1;
        if (diff >= step)
            nibble |= 1;
        decode(nibble);
        return nibble;
    }
};

qint16 readSignedLe16(const QByteArray& data, qsizetype at)
{
    return qFromLittleEndian<qint16>(data.constData() + at);
}

void decodeImaBlock(const QByteArray& data, qsizetype offset, qsizetype length, int channels,
    int samplesPerBlock, std::vector<qint16>& out)
{
    const qsizetype headerBytes = 4 * channels;
    if (length < headerBytes)
        return;
    std::vector<ImaState> states(channels);
    for (int c = 0; c < channels; ++c) {
        const qsizetype at = offset + 4 * c;
        states[c].predictor = readSignedLe16(data, at);
        states[c].index = std::clamp(int(quint8(data.at(at + 2))), 0, 88);
    }
    // Samples of this block, per channel; the header holds the first.
    const qsizetype bodyBytes = length - headerBytes;
    const qsizetype framesHere = std::min<qsizetype>(samplesPerBlock, 1 + bodyBytes * 2 / channels);
    std::vector<qint16> block(size_t(framesHere * channels));
    for (int c = 0; c < channels; ++c)
        block[size_t(c)] = static_cast<qint16>(states[c].predictor);
    // The body comes in 4-byte words per channel in turn, 8 samples a word,
    // low nibble first.
    std::vector<qsizetype> written(channels, 1);
    const qsizetype words = bodyBytes / 4;
    for (qsizetype w = 0; w < words; ++w) {
        const int c = int(w % channels);
        const qsizetype at = offset + headerBytes + w * 4;
        for (int b = 0; b < 4; ++b) {
            const quint8 byte = quint8(data.at(at + b));
            for (int nibble : {byte & 0x0F, byte >> 4}) {
                const qint16 sample = states[c].decode(nibble);
                if (written[c] < framesHere)
                    block[size_t(written[c] * channels + c)] = sample;
                ++written[c];
            }
        }
    }
    qsizetype complete = framesHere;
    for (int c = 0; c < channels; ++c)
        complete = std::min(complete, written[c]);
    out.insert(out.end(), block.begin(), block.begin() + complete * channels);
}

} // namespace

namespace WaveCodec {

quint8 muLawEncode(qint16 sample)
{
    constexpr int kBias = 0x84;
    constexpr int kClip = 32635;
    int value = sample;
    const int sign = value < 0 ? 0x80 : 0;
    if (sign)
        value = -value;
    value = std::min(value, kClip) + kBias;
    int exponent = 7;
    for (int mask = 0x4000; !(value & mask) && exponent > 0; mask >>= 1)
        --exponent;
    const int mantissa = (value >> (exponent + 3)) & 0x0F;
    return static_cast<quint8>(~(sign | (exponent << 4) | mantissa));
}

qint16 muLawDecode(quint8 code)
{
    constexpr int kBias = 0x84;
    const int u = ~code & 0xFF;
    const int exponent = (u >> 4) & 0x07;
    const int magnitude = ((((u & 0x0F) << 3) + kBias) << exponent) - kBias;
    return static_cast<qint16>((u & 0x80) ? -magnitude : magnitude);
}

int imaSamplesPerBlock(const WaveFormat& format)
{
    const int channels = format.nChannels;
    if (channels < 1 || channels > 2 || format.wBitsPerSample != 4 || format.nBlockAlign <= 4 * channels
        || (format.nBlockAlign - 4 * channels) % (4 * channels) != 0)
        return 0;
    const int computed = (format.nBlockAlign - 4 * channels) * 8 / (4 * channels) + 1;
    const int declared = format.extraWord(0);
    // A declared count that the block cannot hold is not trusted.
    return (declared > 0 && declared < computed) ? declared : computed;
}

} // namespace WaveCodec

QString WaveDecodeProblem(const WaveFormat& format)
{
    if (format.nChannels == 0 || format.nChannels > kMaxChannels)
        return QStringLiteral("the file declares %1 channels").arg(format.nChannels);
    if (format.nSamplesPerSec == 0 || format.nSamplesPerSec > kMaxRate)
        return QStringLiteral("the file declares %1 samples per second").arg(format.nSamplesPerSec);
    switch (format.wFormatTag) {
    case WaveFormatTag::Pcm:
        if (format.wBitsPerSample != 8 && format.wBitsPerSample != 16)
            return QStringLiteral("%1-bit PCM is not supported").arg(format.wBitsPerSample);
        if (format.nBlockAlign != format.nChannels * format.wBitsPerSample / 8)
            return QStringLiteral("the file's block size does not match its format");
        return {};
    case WaveFormatTag::MuLaw:
        if (format.nBlockAlign != format.nChannels)
            return QStringLiteral("the file's block size does not match its format");
        return {};
    case WaveFormatTag::ImaAdpcm:
        if (WaveCodec::imaSamplesPerBlock(format) == 0)
            return QStringLiteral("the file's IMA ADPCM block layout is invalid");
        return {};
    default:
        return WaveFormatName(format) + QStringLiteral(" sound is not supported");
    }
}

std::optional<PcmSound> DecodeWaveData(
    const WaveFormat& format, const QByteArray& data, std::optional<quint32> factSamples, QString* error)
{
    const QString problem = WaveDecodeProblem(format);
    if (!problem.isEmpty()) {
        if (error)
            *error = problem;
        return std::nullopt;
    }
    PcmSound sound;
    sound.samplesPerSec = format.nSamplesPerSec;
    sound.channels = format.nChannels;
    const int channels = format.nChannels;
    if (format.wFormatTag == WaveFormatTag::Pcm && format.wBitsPerSample == 16) {
        const qsizetype count = data.size() / 2 / channels * channels;
        sound.samples.resize(size_t(count));
        for (qsizetype i = 0; i < count; ++i)
            sound.samples[size_t(i)] = readSignedLe16(data, i * 2);
    } else if (format.wFormatTag == WaveFormatTag::Pcm) {
        const qsizetype count = data.size() / channels * channels;
        sound.samples.resize(size_t(count));
        for (qsizetype i = 0; i < count; ++i)
            sound.samples[size_t(i)] = static_cast<qint16>((int(quint8(data.at(i))) - 128) << 8);
    } else if (format.wFormatTag == WaveFormatTag::MuLaw) {
        const qsizetype count = data.size() / channels * channels;
        sound.samples.resize(size_t(count));
        for (qsizetype i = 0; i < count; ++i)
            sound.samples[size_t(i)] = WaveCodec::muLawDecode(quint8(data.at(i)));
    } else {
        const int perBlock = WaveCodec::imaSamplesPerBlock(format);
        for (qsizetype at = 0; at < data.size(); at += format.nBlockAlign) {
            const qsizetype length = std::min<qsizetype>(format.nBlockAlign, data.size() - at);
            decodeImaBlock(data, at, length, channels, perBlock, sound.samples);
        }
    }
    if (factSamples && qint64(*factSamples) < sound.frames())
        sound.samples.resize(size_t(*factSamples) * size_t(channels));
    return sound;
}

PcmSound ConvertSound(const PcmSound& sound, quint32 samplesPerSec, quint16 channels)
{
    PcmSound out;
    out.samplesPerSec = samplesPerSec;
    out.channels = channels;
    const qint64 inFrames = sound.frames();
    if (inFrames == 0 || samplesPerSec == 0 || channels == 0 || sound.samplesPerSec == 0)
        return out;
    std::vector<int> mono(size_t(inFrames), 0);
    for (qint64 f = 0; f < inFrames; ++f) {
        int sum = 0;
        for (int c = 0; c < sound.channels; ++c)
            sum += sound.samples[size_t(f * sound.channels + c)];
        mono[size_t(f)] = sum / sound.channels;
    }
    const qint64 outFrames = inFrames * samplesPerSec / sound.samplesPerSec;
    out.samples.reserve(size_t(outFrames * channels));
    for (qint64 f = 0; f < outFrames; ++f) {
        const double position = double(f) * sound.samplesPerSec / samplesPerSec;
        const qint64 i = qint64(position);
        const double fraction = position - double(i);
        const int a = mono[size_t(std::min(i, inFrames - 1))];
        const int b = mono[size_t(std::min(i + 1, inFrames - 1))];
        const qint16 value = clamp16(int(std::lround(a + (b - a) * fraction)));
        for (int c = 0; c < channels; ++c)
            out.samples.push_back(value);
    }
    return out;
}

QString WaveEncoder::problem(const WaveFormat& format)
{
    switch (format.wFormatTag) {
    case WaveFormatTag::Pcm:
    case WaveFormatTag::MuLaw:
        return WaveDecodeProblem(format);
    case WaveFormatTag::ImaAdpcm:
        if (format.nChannels != 1)
            return QStringLiteral("IMA ADPCM recording is mono only");
        return WaveDecodeProblem(format);
    default:
        return QStringLiteral("recording in ") + WaveFormatName(format) + QStringLiteral(" is not available");
    }
}

WaveEncoder::WaveEncoder(const WaveFormat& format)
    : m_format(format)
    , m_samplesPerBlock(WaveCodec::imaSamplesPerBlock(format))
{
}

QByteArray WaveEncoder::encode(const qint16* interleaved, qsizetype frames)
{
    QByteArray out;
    if (!problem(m_format).isEmpty() || frames <= 0)
        return out;
    const qsizetype count = frames * m_format.nChannels;
    m_frames += quint32(frames);
    switch (m_format.wFormatTag) {
    case WaveFormatTag::Pcm:
        if (m_format.wBitsPerSample == 16) {
            out.resize(count * 2);
            for (qsizetype i = 0; i < count; ++i)
                qToLittleEndian(interleaved[i], out.data() + i * 2);
        } else {
            out.resize(count);
            for (qsizetype i = 0; i < count; ++i)
                out[i] = static_cast<char>((interleaved[i] >> 8) + 128);
        }
        break;
    case WaveFormatTag::MuLaw:
        out.resize(count);
        for (qsizetype i = 0; i < count; ++i)
            out[i] = static_cast<char>(WaveCodec::muLawEncode(interleaved[i]));
        break;
    default:
        for (qsizetype i = 0; i < count; ++i) {
            m_pending.push_back(interleaved[i]);
            if (qsizetype(m_pending.size()) == m_samplesPerBlock)
                out += encodeImaBlock();
        }
        break;
    }
    return out;
}

QByteArray WaveEncoder::finish()
{
    if (m_format.wFormatTag != WaveFormatTag::ImaAdpcm || m_pending.empty())
        return {};
    m_pending.resize(size_t(m_samplesPerBlock), 0);
    return encodeImaBlock();
}

QByteArray WaveEncoder::encodeImaBlock()
{
    QByteArray block(m_format.nBlockAlign, '\0');
    if (m_firstBlock && m_pending.size() > 1) {
        // The first block starts from a step that fits the sound, so its
        // opening samples are not lost while the step grows from the smallest.
        const size_t n = std::min<size_t>(m_pending.size(), 9);
        int total = 0;
        for (size_t i = 1; i < n; ++i)
            total += std::abs(m_pending[i] - m_pending[i - 1]);
        const int average = total / int(n - 1);
        while (m_imaIndex < 88 && kImaStepTable[m_imaIndex] < average)
            ++m_imaIndex;
    }
    ImaState state;
    state.predictor = m_pending.front();
    state.index = m_imaIndex;
    qToLittleEndian(m_pending.front(), block.data());
    block[2] = static_cast<char>(state.index);
    for (size_t i = 1; i < m_pending.size(); ++i) {
        const int nibble = state.encode(m_pending[i]);
        const qsizetype at = 4 + qsizetype(i - 1) / 2;
        if ((i - 1) % 2 == 0)
            block[at] = static_cast<char>(nibble);
        else
            block[at] = static_cast<char>(quint8(block.at(at)) | (nibble << 4));
    }
    m_imaIndex = state.index;
    m_firstBlock = false;
    m_pending.clear();
    return block;
}

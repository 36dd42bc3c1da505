#pragma once

#include "common/WaveFormats.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// Sound as the programs handle it between file and device: signed 16-bit
// samples, channels interleaved.
struct PcmSound {
    quint32 samplesPerSec = 0;
    quint16 channels = 0;
    std::vector<qint16> samples;

    qint64 frames() const { return channels ? qint64(samples.size()) / channels : 0; }
    qint64 durationMs() const { return samplesPerSec ? frames() * 1000 / samplesPerSec : 0; }
};

namespace WaveCodec {
quint8 muLawEncode(qint16 sample);
qint16 muLawDecode(quint8 code);
// Samples held in one IMA ADPCM block of the format (0 when the layout is invalid).
int imaSamplesPerBlock(const WaveFormat& format);
} // namespace WaveCodec

// Empty when the format's data can be turned into samples, else why not.
QString WaveDecodeProblem(const WaveFormat& format);

// The samples of a data chunk. factSamples (from a "fact" chunk) limits the
// count where a compressed format pads its last block. nullopt with a reason
// in error when the format cannot be decoded.
std::optional<PcmSound> DecodeWaveData(
    const WaveFormat& format, const QByteArray& data, std::optional<quint32> factSamples, QString* error);

// Mono or stereo at another rate, by averaging channels and linear interpolation.
PcmSound ConvertSound(const PcmSound& sound, quint32 samplesPerSec, quint16 channels);

// Turns samples into a format's data bytes, a piece at a time, as a recorder
// needs. Encodes PCM 8/16-bit, mu-law and mono IMA ADPCM.
class WaveEncoder {
public:
    // Empty when the format can be encoded, else why not.
    static QString problem(const WaveFormat& format);

    explicit WaveEncoder(const WaveFormat& format);

    // frames: samples per channel; interleaved holds frames * nChannels samples.
    QByteArray encode(const qint16* interleaved, qsizetype frames);
    // Ends the data: a partly filled compressed block is padded with silence.
    QByteArray finish();
    quint32 framesEncoded() const { return m_frames; }

private:
    QByteArray encodeImaBlock();

    WaveFormat m_format;
    quint32 m_frames = 0;
    // IMA ADPCM: samples waiting for a whole block, and the step index carried
    // from block to block.
    std::vector<qint16> m_pending;
    int m_imaIndex = 0;
    bool m_firstBlock = true;
    int m_samplesPerBlock = 0;
};

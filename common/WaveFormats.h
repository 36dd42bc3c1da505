#pragma once

#include <QByteArray>
#include <QString>

#include <array>

// Format tags of the wave formats this system names.
namespace WaveFormatTag {
inline constexpr quint16 Pcm = 1;
inline constexpr quint16 ImaAdpcm = 17;
inline constexpr quint16 MuLaw = 7;
inline constexpr quint16 TrueSpeech = 34;
inline constexpr quint16 Gsm610 = 49;
} // namespace WaveFormatTag

// One wave-format record: what a wave file's "fmt " chunk holds. The extra
// bytes are as long as the format declares (its cbSize), never shorter.
struct WaveFormat {
    quint16 wFormatTag = 0;
    quint16 nChannels = 0;
    quint32 nSamplesPerSec = 0;
    quint32 nAvgBytesPerSec = 0;
    quint16 nBlockAlign = 0;
    quint16 wBitsPerSample = 0;
    QByteArray extra;

    quint16 cbSize() const { return static_cast<quint16>(extra.size()); }
    // The little-endian 16-bit word at extra byte offset 2 * index; 0 past the end.
    quint16 extraWord(int index) const;

    bool operator==(const WaveFormat&) const = default;
};

// Ready-made records for the usual PCM layouts.
WaveFormat PcmWaveFormat(quint32 samplesPerSec, quint16 channels, quint16 bitsPerSample);

// A short name for journals and errors ("16-bit PCM", "mu-law", "GSM 6.10", ...).
QString WaveFormatName(const WaveFormat& format);

// The five telephone formats at 8000 Hz mono, numbered 1 to 5:
// 1 16-bit PCM, 2 mu-law, 3 TrueSpeech, 4 GSM 6.10, 5 IMA ADPCM.
// Dialled calls are recorded in record 1.
inline constexpr int TelephoneWaveFormatCount = 5;
WaveFormat TelephoneWaveFormat(int record);

// The service's table of those records, filled once by InitWaveFormats at the
// load of its main form; index 0 is unused so numbers match the records.
extern std::array<WaveFormat, TelephoneWaveFormatCount + 1> g_WaveFormats;
void InitWaveFormats();

// Copies the source record whole over the destination.
void CopyWaveFormat(const WaveFormat& source, WaveFormat& destination);

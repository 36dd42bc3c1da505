#include "common/WaveFormats.h"

#include <QtEndian>

std::array<WaveFormat, TelephoneWaveFormatCount + 1> g_WaveFormats;

quint16 WaveFormat::extraWord(int index) const
{
    const qsizetype at = qsizetype(index) * 2;
    if (index < 0 || at + 1 >= extra.size())
        return 0;
    return qFromLittleEndian<quint16>(extra.constData() + at);
}

WaveFormat PcmWaveFormat(quint32 samplesPerSec, quint16 channels, quint16 bitsPerSample)
{
    WaveFormat format;
    format.wFormatTag = WaveFormatTag::Pcm;
    format.nChannels = channels;
    format.nSamplesPerSec = samplesPerSec;
    format.wBitsPerSample = bitsPerSample;
    format.nBlockAlign = static_cast<quint16>(channels * bitsPerSample / 8);
    format.nAvgBytesPerSec = format.nBlockAlign * samplesPerSec;
    return format;
}

QString WaveFormatName(const WaveFormat& format)
{
    switch (format.wFormatTag) {
    case WaveFormatTag::Pcm:
        return QString::number(format.wBitsPerSample) + QStringLiteral("-bit PCM");
    case WaveFormatTag::MuLaw:
        return QStringLiteral("mu-law");
    case WaveFormatTag::ImaAdpcm:
        return QStringLiteral("IMA ADPCM");
    case WaveFormatTag::TrueSpeech:
        return QStringLiteral("TrueSpeech");
    case WaveFormatTag::Gsm610:
        return QStringLiteral("GSM 6.10");
    default:
        return QStringLiteral("format ") + QString::number(format.wFormatTag);
    }
}

namespace {

WaveFormat fixed(quint16 tag, quint32 avgBytes, quint16 blockAlign, quint16 bits, quint16 cbSize,
    std::initializer_list<quint8> extraBytes)
{
    WaveFormat format;
    format.wFormatTag = tag;
    format.nChannels = 1;
    format.nSamplesPerSec = 8000;
    format.nAvgBytesPerSec = avgBytes;
    format.nBlockAlign = blockAlign;
    format.wBitsPerSample = bits;
    // TrueSpeech declares 32 extra bytes but gives only the first few; the
    // rest are zero, so a reader that trusts cbSize never reads past the record.
    format.extra = QByteArray(cbSize, '\0');
    int i = 0;
    for (quint8 byte : extraBytes)
        format.extra[i++] = static_cast<char>(byte);
    return format;
}

} // namespace

WaveFormat TelephoneWaveFormat(int record)
{
    switch (record) {
    case 1:
        return PcmWaveFormat(8000, 1, 16);
    case 2:
        return fixed(WaveFormatTag::MuLaw, 8000, 1, 8, 0, {});
    case 3:
        return fixed(WaveFormatTag::TrueSpeech, 1067, 32, 1, 32, {1, 0, 240, 0, 0, 240, 64});
    case 4:
        return fixed(WaveFormatTag::Gsm610, 1625, 65, 0, 2, {64, 1});
    case 5:
        return fixed(WaveFormatTag::ImaAdpcm, 4055, 256, 4, 2, {249, 1});
    default:
        return {};
    }
}

void InitWaveFormats()
{
    for (int record = 1; record <= TelephoneWaveFormatCount; ++record)
        g_WaveFormats[record] = TelephoneWaveFormat(record);
}

void CopyWaveFormat(const WaveFormat& source, WaveFormat& destination)
{
    destination = source;
}

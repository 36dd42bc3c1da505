#pragma once

#include "common/WaveCodec.h"
#include "common/WaveFormats.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>

// A wave file's format and sound data, as read from disk.
struct WaveFileData {
    WaveFormat format;
    QByteArray data;
    std::optional<quint32> factSamples;
};

// Sound files are small; anything bigger is refused rather than read whole.
inline constexpr qint64 kMaxWaveFileBytes = 256 * 1024 * 1024;

// Reads a RIFF/WAVE file of at most maxBytes. nullopt with a reason in error
// when it is missing, unreadable, too big or not a wave file.
std::optional<WaveFileData> ReadWaveFile(
    const QString& path, QString* error, qint64 maxBytes = kMaxWaveFileBytes);
std::optional<WaveFileData> ParseWaveFile(const QByteArray& bytes, QString* error);

// Reads a wave file and decodes it to samples in one go.
std::optional<PcmSound> LoadWaveSound(
    const QString& path, QString* error, qint64 maxBytes = kMaxWaveFileBytes);

// The bytes of a whole wave file around ready-made data.
QByteArray SerializeWaveFile(
    const WaveFormat& format, const QByteArray& data, std::optional<quint32> factSamples = std::nullopt);

// Writes a wave file a piece at a time, for recordings: the header's sizes
// are filled in by finish(). Every call says whether it worked.
class WaveFileWriter {
public:
    WaveFileWriter() = default;
    ~WaveFileWriter();
    WaveFileWriter(const WaveFileWriter&) = delete;
    WaveFileWriter& operator=(const WaveFileWriter&) = delete;

    bool open(const QString& path, const WaveFormat& format, QString* error);
    // frames: samples per channel, interleaved in samples.
    bool write(const qint16* samples, qsizetype frames, QString* error);
    bool finish(QString* error);
    bool isOpen() const { return m_file.isOpen(); }
    quint32 framesWritten() const { return m_encoder ? m_encoder->framesEncoded() : 0; }

private:
    bool writeData(const QByteArray& bytes, QString* error);

    QFile m_file;
    WaveFormat m_format;
    std::optional<WaveEncoder> m_encoder;
    qint64 m_dataBytes = 0;
    qint64 m_dataSizeAt = 0;
    qint64 m_factAt = -1;
};

// Encodes sound in the format and writes the whole file.
bool WriteWaveFile(const QString& path, const WaveFormat& format, const PcmSound& sound, QString* error);

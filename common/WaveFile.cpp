#include "common/WaveFile.h"

#include "common/SharedFile.h"

#include <QFileInfo>
#include <QtEndian>

namespace {

constexpr quint16 kExtensibleTag = 0xFFFE;
// A RIFF size field is 32 bits; the data must leave room for the header.
constexpr qint64 kMaxDataBytes = 0xFFFFFFFFLL - 1024;

quint32 readLe32(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

quint16 readLe16(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

template<typename T>
void appendLe(QByteArray& out, T value)
{
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

QByteArray le32(quint32 value)
{
    QByteArray out;
    appendLe(out, value);
    return out;
}

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

std::optional<WaveFormat> parseFormatChunk(
    const QByteArray& bytes, qsizetype at, quint32 size, QString* error)
{
    if (size < 16) {
        fail(error, QStringLiteral("the format chunk is too short"));
        return std::nullopt;
    }
    WaveFormat format;
    format.wFormatTag = readLe16(bytes, at);
    format.nChannels = readLe16(bytes, at + 2);
    format.nSamplesPerSec = readLe32(bytes, at + 4);
    format.nAvgBytesPerSec = readLe32(bytes, at + 8);
    format.nBlockAlign = readLe16(bytes, at + 12);
    format.wBitsPerSample = readLe16(bytes, at + 14);
    if (size >= 18) {
        const quint16 cbSize = readLe16(bytes, at + 16);
        const qsizetype present = std::min<qsizetype>(cbSize, size - 18);
        format.extra = bytes.mid(at + 18, present);
        // Extra bytes the chunk declares but does not hold read as zero.
        format.extra.resize(cbSize, '\0');
    }
    // The extensible layout names its real format in the first two bytes of
    // its sub-format identifier.
    if (format.wFormatTag == kExtensibleTag) {
        if (format.extra.size() < 22) {
            fail(error, QStringLiteral("the extensible format chunk is too short"));
            return std::nullopt;
        }
        format.wFormatTag = readLe16(format.extra, 6);
        format.extra.clear();
    }
    return format;
}

} // namespace

std::optional<WaveFileData> ParseWaveFile(const QByteArray& bytes, QString* error)
{
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE") {
        fail(error, QStringLiteral("not a RIFF/WAVE file"));
        return std::nullopt;
    }
    std::optional<WaveFormat> format;
    std::optional<QByteArray> data;
    std::optional<quint32> fact;
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const quint32 declared = readLe32(bytes, at + 4);
        const qsizetype body = at + 8;
        const qsizetype available = bytes.size() - body;
        if (id == "data") {
            // A recorder that was cut off leaves the sizes unset: take what is there.
            const qsizetype size = std::min<qsizetype>(declared, available);
            data = bytes.mid(body, size);
            if (qsizetype(declared) > available)
                break;
        } else if (qsizetype(declared) > available) {
            fail(error,
                QStringLiteral("the \"%1\" chunk runs past the end of the file")
                    .arg(QString::fromLatin1(id.toHex())));
            return std::nullopt;
        } else if (id == "fmt ") {
            format = parseFormatChunk(bytes, body, declared, error);
            if (!format)
                return std::nullopt;
        } else if (id == "fact" && declared >= 4) {
            fact = readLe32(bytes, body);
        }
        at = body + qsizetype(declared) + (declared & 1);
    }
    if (!format) {
        fail(error, QStringLiteral("the file has no format chunk"));
        return std::nullopt;
    }
    if (!data) {
        fail(error, QStringLiteral("the file has no data chunk"));
        return std::nullopt;
    }
    return WaveFileData{*format, *data, fact};
}

std::optional<WaveFileData> ReadWaveFile(const QString& path, QString* error, qint64 maxBytes)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        fail(error, QStringLiteral("%1 does not exist").arg(path));
        return std::nullopt;
    }
    const std::optional<QByteArray> bytes = SharedFile::readBounded(path, maxBytes);
    if (!bytes) {
        fail(error, QStringLiteral("%1 cannot be read or is larger than %2 bytes").arg(path).arg(maxBytes));
        return std::nullopt;
    }
    QString reason;
    std::optional<WaveFileData> wave = ParseWaveFile(*bytes, &reason);
    if (!wave)
        fail(error, path + QStringLiteral(": ") + reason);
    return wave;
}

std::optional<PcmSound> LoadWaveSound(const QString& path, QString* error, qint64 maxBytes)
{
    const std::optional<WaveFileData> wave = ReadWaveFile(path, error, maxBytes);
    if (!wave)
        return std::nullopt;
    QString reason;
    std::optional<PcmSound> sound = DecodeWaveData(wave->format, wave->data, wave->factSamples, &reason);
    if (!sound)
        fail(error, path + QStringLiteral(": ") + reason);
    return sound;
}

QByteArray SerializeWaveFile(
    const WaveFormat& format, const QByteArray& data, std::optional<quint32> factSamples)
{
    QByteArray fmt;
    appendLe<quint16>(fmt, format.wFormatTag);
    appendLe<quint16>(fmt, format.nChannels);
    appendLe<quint32>(fmt, format.nSamplesPerSec);
    appendLe<quint32>(fmt, format.nAvgBytesPerSec);
    appendLe<quint16>(fmt, format.nBlockAlign);
    appendLe<quint16>(fmt, format.wBitsPerSample);
    // Plain PCM has the short layout; every other format states its extra size.
    if (format.wFormatTag != WaveFormatTag::Pcm || !format.extra.isEmpty()) {
        appendLe<quint16>(fmt, format.cbSize());
        fmt += format.extra;
    }
    if (fmt.size() & 1)
        fmt.append('\0');

    QByteArray out("RIFF");
    appendLe<quint32>(out, 0); // patched below
    out += "WAVE";
    out += "fmt ";
    appendLe<quint32>(out, quint32(fmt.size()));
    out += fmt;
    if (factSamples) {
        out += "fact";
        appendLe<quint32>(out, 4);
        appendLe<quint32>(out, *factSamples);
    }
    out += "data";
    appendLe<quint32>(out, quint32(data.size()));
    out += data;
    if (data.size() & 1)
        out.append('\0');
    const QByteArray riffSize = le32(quint32(out.size() - 8));
    out.replace(4, 4, riffSize);
    return out;
}

WaveFileWriter::~WaveFileWriter()
{
    if (isOpen())
        finish(nullptr);
}

bool WaveFileWriter::open(const QString& path, const WaveFormat& format, QString* error)
{
    const QString problem = WaveEncoder::problem(format);
    if (!problem.isEmpty())
        return fail(error, problem);
    if (isOpen())
        return fail(error, QStringLiteral("a file is already being written"));
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail(error, QStringLiteral("cannot create %1: %2").arg(path, m_file.errorString()));
    m_format = format;
    m_encoder.emplace(format);
    m_dataBytes = 0;
    const bool hasFact = format.wFormatTag != WaveFormatTag::Pcm;
    const QByteArray header
        = SerializeWaveFile(format, {}, hasFact ? std::optional<quint32>(0) : std::nullopt);
    m_dataSizeAt = header.size() - 4;
    m_factAt = hasFact ? header.size() - 12 : -1;
    if (m_file.write(header) != header.size()) {
        const QString reason = m_file.errorString();
        m_file.close();
        return fail(error, QStringLiteral("cannot write %1: %2").arg(path, reason));
    }
    return true;
}

bool WaveFileWriter::write(const qint16* samples, qsizetype frames, QString* error)
{
    if (!isOpen())
        return fail(error, QStringLiteral("no file is being written"));
    return writeData(m_encoder->encode(samples, frames), error);
}

bool WaveFileWriter::writeData(const QByteArray& bytes, QString* error)
{
    if (bytes.isEmpty())
        return true;
    if (m_dataBytes + bytes.size() > kMaxDataBytes)
        return fail(error, QStringLiteral("the recording reached the largest size a wave file can hold"));
    if (m_file.write(bytes) != bytes.size())
        return fail(
            error, QStringLiteral("cannot write %1: %2").arg(m_file.fileName(), m_file.errorString()));
    m_dataBytes += bytes.size();
    return true;
}

bool WaveFileWriter::finish(QString* error)
{
    if (!isOpen())
        return fail(error, QStringLiteral("no file is being written"));
    QString reason;
    bool ok = writeData(m_encoder->finish(), &reason);
    if (m_dataBytes & 1)
        ok = m_file.write("\0", 1) == 1 && ok;
    const qint64 fileSize = m_file.size();
    ok = m_file.seek(4) && m_file.write(le32(quint32(fileSize - 8))) == 4 && ok;
    ok = m_file.seek(m_dataSizeAt) && m_file.write(le32(quint32(m_dataBytes))) == 4 && ok;
    if (m_factAt >= 0)
        ok = m_file.seek(m_factAt) && m_file.write(le32(m_encoder->framesEncoded())) == 4 && ok;
    ok = m_file.flush() && ok;
    if (!ok && reason.isEmpty())
        reason = QStringLiteral("cannot complete %1: %2").arg(m_file.fileName(), m_file.errorString());
    m_file.close();
    if (!ok)
        return fail(error, reason);
    return true;
}

bool WriteWaveFile(const QString& path, const WaveFormat& format, const PcmSound& sound, QString* error)
{
    if (sound.channels != format.nChannels || sound.samplesPerSec != format.nSamplesPerSec)
        return fail(error, QStringLiteral("the sound does not have the file's rate and channels"));
    WaveFileWriter writer;
    if (!writer.open(path, format, error))
        return false;
    if (!writer.write(sound.samples.data(), sound.frames(), error)) {
        writer.finish(nullptr);
        return false;
    }
    return writer.finish(error);
}

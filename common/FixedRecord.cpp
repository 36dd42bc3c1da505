#include "common/FixedRecord.h"

#include <limits>

namespace FixedRecord {

QByteArray fitField(const QString& text, int width)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.size() > width) {
        // Step back over continuation bytes so no character is split.
        qsizetype cut = width;
        while (cut > 0 && (quint8(bytes.at(cut)) & 0xC0) == 0x80)
            --cut;
        bytes.truncate(cut);
    }
    if (bytes.size() < width)
        bytes.append(width - bytes.size(), ' ');
    return bytes;
}

QString cutToWidth(const QString& text, int width)
{
    // A character is at least one byte: no more than width of them can fit.
    QStringView head = QStringView(text).left(width);
    if (!head.isEmpty() && head.back().isHighSurrogate())
        head.chop(1);
    QByteArray bytes = head.toUtf8();
    if (bytes.size() <= width)
        return head.toString();
    qsizetype cut = width;
    while (cut > 0 && (quint8(bytes.at(cut)) & 0xC0) == 0x80)
        --cut;
    bytes.truncate(cut);
    return QString::fromUtf8(bytes);
}

QString readField(QByteArrayView bytes)
{
    return QString::fromUtf8(bytes);
}

QString trimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    return text.mid(begin, end - begin);
}

qint32 wholeRecords(qint64 length, int recordSize)
{
    if (length <= 0 || recordSize <= 0)
        return 0;
    const qint64 count = length / recordSize;
    return count > std::numeric_limits<qint32>::max() ? std::numeric_limits<qint32>::max() : qint32(count);
}

} // namespace FixedRecord

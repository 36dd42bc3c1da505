#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <cstddef>

// Fixed-record files (the day files Data and Data/Contactes) hold records of
// fixed-width text fields with no gaps. A written field is UTF-8, left-aligned,
// cut to its width in bytes at a character boundary and padded with blanks; a
// field nobody set holds NUL bytes, which trimming keeps, so such a field never
// reads as an empty text, a flag or a number.

template<class Record>
struct RecordField {
    const char* name;
    int offset;
    int width;
    QString Record::*member;
};

namespace FixedRecord {

// The field's bytes: text as UTF-8, cut at a character boundary, blank-padded.
QByteArray fitField(const QString& text, int width);

// The text as a field of this width holds it, without padding: cut to width
// bytes of UTF-8 at a character boundary. Looks at no more of the text than
// that, however long it is.
QString cutToWidth(const QString& text, int width);

// A field as read: every byte decoded, padding and NULs included.
QString readField(QByteArrayView bytes);

// Leading and trailing blanks (byte 32) removed; NULs, tabs and the like stay.
QString trimBlanks(const QString& text);

// Whole records only: a torn tail left by an interrupted write is no record,
// and counting it would shift every record written after it.
qint32 wholeRecords(qint64 length, int recordSize);

template<class Record, std::size_t N>
constexpr bool isContiguous(const std::array<RecordField<Record>, N>& fields, int size)
{
    int next = 0;
    for (const RecordField<Record>& field : fields) {
        if (field.offset != next || field.width <= 0)
            return false;
        next += field.width;
    }
    return next == size;
}

// The width of a record's field.
template<class Record, std::size_t N>
constexpr int widthOf(const std::array<RecordField<Record>, N>& fields, QString Record::*member)
{
    for (const RecordField<Record>& field : fields) {
        if (field.member == member)
            return field.width;
    }
    return 0;
}

// Every field unset: NUL text of the field's width.
template<class Record, std::size_t N>
void clear(Record& record, const std::array<RecordField<Record>, N>& fields)
{
    for (const RecordField<Record>& field : fields)
        record.*field.member = QString(field.width, QChar(0));
}

template<class Record, std::size_t N>
QByteArray encode(const Record& record, const std::array<RecordField<Record>, N>& fields, int size)
{
    QByteArray bytes;
    bytes.reserve(size);
    for (const RecordField<Record>& field : fields)
        bytes += fitField(record.*field.member, field.width);
    return bytes;
}

// bytes must hold a whole record.
template<class Record, std::size_t N>
Record decode(QByteArrayView bytes, const std::array<RecordField<Record>, N>& fields)
{
    Record record;
    for (const RecordField<Record>& field : fields)
        record.*field.member = readField(bytes.sliced(field.offset, field.width));
    return record;
}

} // namespace FixedRecord

#pragma once

#include "common/ContactRecord.h"

#include <QList>
#include <QStringList>

#include <functional>

// Reading the contact file Data/Contactes, for both programs. A missing file
// reads as an empty one and stays missing: only the contact editor creates it.
namespace ContactFile {

// The native path of Data/Contactes.
QString path();

// Reads the records in file order until match answers true and returns that
// record's number, or -1. lastRead then holds the record that matched or, with
// -1, the last record read; it is left alone when no record was read.
qint32 find(const std::function<bool(const ContactRecord&)>& match, ContactRecord& lastRead);

// The first record whose CallerNumber, blanks trimmed, equals number exactly,
// or -1; found then holds it (left alone with -1). Only the number field of
// the other records is decoded: this runs at every caller ID over the whole
// file.
qint32 findByCallerNumber(const QString& number, ContactRecord& found);

// Reads every record once, in file order, decoding only the chosen fields:
// visit gets their texts (padding included) in the order asked for. For lists
// that show a few fields of every contact.
void readFields(
    const QList<QString ContactRecord::*>& fields, const std::function<void(const QStringList&)>& visit);

} // namespace ContactFile

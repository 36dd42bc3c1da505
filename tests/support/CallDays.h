#pragma once

#include "common/CallRecord.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Day files for the call tests, written into the current program folder.

// The day folder of the calls the tests make: 12/10/2026.
inline const QString kDay = QStringLiteral("\\Data\\Log\\2026\\12\\10\\");

// A call as the service stores it (read, no flag, Notes left NUL), taken
// at time on 12/10/2026 unless date says otherwise.
CallRecord storedCall(const QString& name, const QString& number, const QString& time,
    const QString& date = QStringLiteral("12/10/2026"));

// Writes the day file of dayFolder whole with the records in order.
void writeDay(const QString& dayFolder, const QList<CallRecord>& records);

// The day file's bytes; empty when it is missing.
QByteArray dayBytes(const QString& dayFolder);

// The caller names of the day's records in file order.
QStringList dayNames(const QString& dayFolder);

// Writes Data/Last whole: the lines, each ended by CR LF.
void writeLast(const QStringList& lines);
// Data/Last's lines; empty when it is missing.
QStringList lastLines();

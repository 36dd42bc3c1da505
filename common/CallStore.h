#pragma once

#include "common/CallRecord.h"
#include "common/LastList.h"

#include <QList>
#include <QString>

#include <optional>

// The call store both programs share: the day files Data and the recent-calls
// list Data/Last. Day folders are given in the stored form
// "\Data\Log\yyyy\MM\dd\".

// Appends the record to the day file, creating a missing day folder. Its
// record number (from 1), or 0 when it could not be stored.
[[nodiscard]] qint32 AppendCallRecord(const CallRecord& record, const QString& dayFolder);

// AppendCallRecord, then unless skipList puts the record on top of Data/Last,
// which keeps at most itemsInLast lines (at least one). False when the call
// could not be stored, or not listed; a call not stored leaves the list alone.
[[nodiscard]] bool AddCallRecord(
    const CallRecord& record, const QString& dayFolder, bool skipList, qint32 itemsInLast);

// Puts "recordNumber:dayFolder" on top of Data/Last and keeps at most
// itemsInLast lines (at least one).
[[nodiscard]] bool AddToLastList(qint32 recordNumber, const QString& dayFolder, qint32 itemsInLast);

// Reads record recordNumber of the day file into record. True when it was read
// and its CallDate is a date; a missing file or a number outside the file gives
// False and leaves record as it was.
[[nodiscard]] bool ReadCallRecord(CallRecord& record, const QString& dayFolder, qint32 recordNumber);

// ReadCallRecord for every entry of a recent-calls list at once: each day
// file is opened once and read up to the last record asked for. The result
// holds one element per entry, empty where ReadCallRecord would give False.
QList<std::optional<CallRecord>> ReadCallRecords(const QList<LastList::Entry>& entries);

// Removes line lineNumber (from 1) of Data/Last; a number outside the list
// changes nothing and gives False.
[[nodiscard]] bool DeleteFromLastList(qint32 lineNumber);

// The day folder of a call, from its CallDate text, so a call that runs past
// midnight stays in the folder of its first day; empty when the text is no date.
QString CallDayFolder(const QString& callDate);

#pragma once

#include "common/CallRecord.h"
#include "common/LastList.h"
#include "common/SharedFile.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
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
// The day file's lock is held across both, so a deletion in that day never
// sees the call stored but not yet listed.
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

// A day file's lock, held across a change of the day file and the matching
// change of Data/Last (always the day file first, then the list). Creates the
// day folder when asked, as storing a call does.
class DayFileLock {
public:
    explicit DayFileLock(const QString& dayFolder, bool createFolder = false);
    bool isLocked() const;

private:
    std::optional<SharedFileLock> m_lock;
};

// Rewrites record recordNumber of the day file with record, in one locked
// step, only while the record there still reads as a valid call. False when
// nothing was written (a missing file, a number outside it, an invalid call).
[[nodiscard]] bool WriteCallRecord(const CallRecord& record, const QString& dayFolder, qint32 recordNumber);

// Sets one one-character field of record recordNumber (MarkCallRead's and
// SetCallFlag's family) to the first character of value, a blank when it is
// empty; every other byte stays. False when nothing was written.
[[nodiscard]] bool SetCallField(
    qint32 recordNumber, const QString& dayFolder, QString CallRecord::*field, const QString& value);

// Reads record recordNumber, lets change alter it (change answers false to
// leave it alone) and puts it back only while the bytes there are still the
// ones read: a deletion meanwhile moved another call to this number. False
// when nothing was written (a missing file is not created).
[[nodiscard]] bool ChangeCallRecord(
    qint32 recordNumber, const QString& dayFolder, const std::function<bool(CallRecord&)>& change);

// Deletes record recordNumber: later records of the day move down by one, and
// in the same locked step Data/Last loses the deleted call's lines and names
// the moved calls by their new numbers. False when nothing was deleted (a
// missing day file or a number outside it: nothing is created or changed).
[[nodiscard]] bool DeleteCallRecord(qint32 recordNumber, const QString& dayFolder);

// Removes the given lines from Data/Last as the file is now, each once (its
// first occurrence), keeping the order of the rest and every line written
// meanwhile. False when nothing was written.
[[nodiscard]] bool RemoveFromLastList(const QStringList& lines);

// Removes line lineNumber (from 1) of Data/Last; a number outside the list
// changes nothing and gives False.
[[nodiscard]] bool DeleteFromLastList(qint32 lineNumber);

// The day folder of a call, from its CallDate text, so a call that runs past
// midnight stays in the folder of its first day; empty when the text is no date.
QString CallDayFolder(const QString& callDate);

#include "service/core/mdlCalls.h"

#include "service/core/Journal.h"

bool AddCallRecord(const Journal& journal, const CallRecord& record, const QString& dayFolder, bool skipList,
    qint32 itemsInLast)
{
    // Held across the append and the list, as the desktop holds it across a
    // deletion and its renumbering of the list.
    const DayFileLock lock(dayFolder, true);
    const qint32 number = AppendCallRecord(record, dayFolder);
    if (number < 1) {
        journal.WriteSysJournal(
            QStringLiteral("Cannot store the call in ") + dayFolder, -1, QStringLiteral("ErrAddCallRecord"));
        return false;
    }
    if (skipList)
        return true;
    if (!AddToLastList(number, dayFolder, itemsInLast)) {
        journal.WriteSysJournal(
            QStringLiteral("Cannot write the recent-calls list"), -1, QStringLiteral("ErrAddToLastList"));
        return false;
    }
    return true;
}

CallRecord MakeCallRecord(const CurrentCall& call, qint32 lineIndex)
{
    CallRecord record;
    record.EmergencyMark = QString::number(call.EmergencyMark);
    record.CallType = call.info.CallType;
    record.CallerName = call.info.CallerName;
    record.CallerNumber = call.info.CallerNumber;
    record.CallDate = call.info.CallDate;
    record.CallTime = call.info.CallTime;
    record.Length = call.info.Length;
    record.LineIndex = QString::number(lineIndex);
    record.ReadMark = QStringLiteral("1");
    record.Description = call.Description;
    return record;
}

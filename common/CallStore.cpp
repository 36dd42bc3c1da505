#include "common/CallStore.h"

#include "common/AppPaths.h"
#include "common/DataPaths.h"
#include "common/DateTimeText.h"
#include "common/FixedRecord.h"
#include "common/RecordFile.h"

#include <QFileInfo>
#include <QHash>
#include <QLoggingCategory>
#include <QSet>

namespace {

Q_LOGGING_CATEGORY(lcCallStore, "ringvale.calls", QtWarningMsg)

// Whether the deepest existing folder of path lies in the program folder: a
// day folder that is a link out of it is neither read nor written through.
bool staysInProgramFolder(const QString& path)
{
    const QString base = QFileInfo(AppPaths::programFolder()).canonicalFilePath();
    if (base.isEmpty())
        return false;
    QString existing = QFileInfo(path).absolutePath();
    while (!QFileInfo::exists(existing)) {
        const qsizetype slash = existing.lastIndexOf(u'/');
        if (slash <= 0)
            return false;
        existing.truncate(slash);
    }
    const QString canonical = QFileInfo(existing).canonicalFilePath();
    return canonical == base || canonical.startsWith(base + u'/');
}

// A day folder as the call store writes it: a stored path that stays below
// the program folder and names a folder.
QString nativeDayFile(const QString& dayFolder)
{
    // A day folder is stored as "\Data\Log\yyyy\MM\dd\": anything else names no day.
    if (!dayFolder.startsWith(u'\\') || !dayFolder.endsWith(u'\\'))
        return {};
    const QString path = DataPaths::native(DataPaths::dayFile(dayFolder));
    return path.isEmpty() || !staysInProgramFolder(path) ? QString() : path;
}

// A record read from a day file counts only when its date reads as a date.
bool isValidCall(const CallRecord& record)
{
    return DateTimeText::parseDate(FixedRecord::trimBlanks(record.CallDate)).has_value();
}

} // namespace

qint32 AppendCallRecord(const CallRecord& record, const QString& dayFolder)
{
    const QString path = nativeDayFile(dayFolder);
    const qint32 number = path.isEmpty() ? -1 : RecordFile(path, CallRecord::Size).append(record.toBytes());
    return number < 1 ? 0 : number;
}

bool AddCallRecord(const CallRecord& record, const QString& dayFolder, bool skipList, qint32 itemsInLast)
{
    const DayFileLock lock(dayFolder, true);
    const qint32 number = AppendCallRecord(record, dayFolder);
    if (number < 1)
        return false;
    return skipList || AddToLastList(number, dayFolder, itemsInLast);
}

bool AddToLastList(qint32 recordNumber, const QString& dayFolder, qint32 itemsInLast)
{
    if (recordNumber < 1 || nativeDayFile(dayFolder).isEmpty())
        return false; // a line no reader could use, or one that breaks the list
    const qsizetype limit = qMax(itemsInLast, 1);
    const QString line = LastList::lineFor(recordNumber, dayFolder);
    return LastList::change(DataPaths::native(DataPaths::lastList()), -1, [&](QStringList& lines) {
        // Trimming keeps the calls: a damaged line, or one naming a record
        // its day file does not hold, takes no place in the list.
        QStringList kept{line};
        QHash<QString, qint32> records;
        for (const QString& old : std::as_const(lines)) {
            if (kept.size() >= limit)
                break;
            const std::optional<LastList::Entry> entry = LastList::parseLine(old);
            if (!entry)
                continue;
            auto count = records.find(entry->dayFolder);
            if (count == records.end()) {
                const QString file = nativeDayFile(entry->dayFolder);
                count = records.insert(
                    entry->dayFolder, file.isEmpty() ? 0 : RecordFile(file, CallRecord::Size).count());
            }
            if (entry->recordNumber <= *count)
                kept.append(old);
        }
        lines = kept;
        return true;
    });
}

bool ReadCallRecord(CallRecord& record, const QString& dayFolder, qint32 recordNumber)
{
    const QString path = nativeDayFile(dayFolder);
    if (path.isEmpty())
        return false;
    const std::optional<QByteArray> bytes = RecordFile(path, CallRecord::Size).read(recordNumber);
    if (!bytes)
        return false;
    record = CallRecord::fromBytes(*bytes);
    return isValidCall(record);
}

QList<std::optional<CallRecord>> ReadCallRecords(const QList<LastList::Entry>& entries)
{
    QList<std::optional<CallRecord>> records(entries.size());
    // For each day folder, the entries that ask for one of its records.
    QHash<QString, QList<qsizetype>> byDay;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (entries.at(i).recordNumber >= 1)
            byDay[entries.at(i).dayFolder].append(i);
    }
    for (auto day = byDay.cbegin(); day != byDay.cend(); ++day) {
        const QString path = nativeDayFile(day.key());
        if (path.isEmpty())
            continue;
        QSet<qint32> wanted;
        qint32 last = 0;
        for (const qsizetype i : day.value()) {
            wanted.insert(entries.at(i).recordNumber);
            last = qMax(last, entries.at(i).recordNumber);
        }
        QHash<qint32, CallRecord> read;
        qint32 n = 0;
        RecordFile(path, CallRecord::Size).scan([&](const QByteArray& bytes) {
            ++n;
            if (wanted.contains(n))
                read.insert(n, CallRecord::fromBytes(bytes));
            return n >= last;
        });
        for (const qsizetype i : day.value()) {
            const auto found = read.constFind(entries.at(i).recordNumber);
            if (found != read.cend() && isValidCall(*found))
                records[i] = *found;
        }
    }
    return records;
}

DayFileLock::DayFileLock(const QString& dayFolder, bool createFolder)
{
    const QString path = nativeDayFile(dayFolder);
    if (path.isEmpty())
        return;
    if (createFolder && !SharedFile::makeFolder(QFileInfo(path).absolutePath()))
        return;
    m_lock.emplace(path);
}

bool DayFileLock::isLocked() const
{
    return m_lock && m_lock->isLocked();
}

bool WriteCallRecord(const CallRecord& record, const QString& dayFolder, qint32 recordNumber)
{
    const QString path = nativeDayFile(dayFolder);
    if (path.isEmpty())
        return false;
    const std::optional<bool> written
        = RecordFile(path, CallRecord::Size)
              .replaceIf(recordNumber, record.toBytes(),
                  [](const QByteArray& now) { return isValidCall(CallRecord::fromBytes(now)); });
    return written == true;
}

bool SetCallField(
    qint32 recordNumber, const QString& dayFolder, QString CallRecord::*field, const QString& value)
{
    return ChangeCallRecord(recordNumber, dayFolder, [&](CallRecord& record) {
        record.*field = value.isEmpty() ? QStringLiteral(" ") : value.left(1);
        return true;
    });
}

bool ChangeCallRecord(
    qint32 recordNumber, const QString& dayFolder, const std::function<bool(CallRecord&)>& change)
{
    const QString path = nativeDayFile(dayFolder);
    if (path.isEmpty())
        return false;
    const RecordFile file(path, CallRecord::Size);
    const std::optional<QByteArray> old = file.read(recordNumber);
    if (!old)
        return false;
    CallRecord record = CallRecord::fromBytes(*old);
    if (!change(record))
        return false;
    // Only over the record just read: a deletion meanwhile moved another
    // call to this number.
    const std::optional<bool> written
        = file.replaceIf(recordNumber, record.toBytes(), [&](const QByteArray& now) { return now == *old; });
    return written == true;
}

bool DeleteCallRecord(qint32 recordNumber, const QString& dayFolder)
{
    const QString path = nativeDayFile(dayFolder);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    const DayFileLock lock(dayFolder);
    if (!lock.isLocked() || !RecordFile(path, CallRecord::Size).remove(recordNumber))
        return false;
    const QString lastPath = DataPaths::native(DataPaths::lastList());
    if (!QFileInfo::exists(lastPath))
        return true;
    bool renumbered = false;
    const bool listed = LastList::change(lastPath, -1, [&](QStringList& lines) {
        QStringList kept;
        for (const QString& line : std::as_const(lines)) {
            const std::optional<LastList::Entry> entry = LastList::parseLine(line);
            if (!entry || entry->dayFolder != dayFolder || entry->recordNumber < recordNumber)
                kept.append(line);
            else if (entry->recordNumber > recordNumber)
                kept.append(LastList::lineFor(entry->recordNumber - 1, dayFolder));
        }
        renumbered = kept != lines;
        lines = kept;
        return renumbered;
    });
    if (renumbered && !listed)
        qCWarning(lcCallStore) << "the recent-calls list may still name the calls after" << recordNumber
                               << "of" << dayFolder;
    return true;
}

bool RemoveFromLastList(const QStringList& lines)
{
    const QString path = DataPaths::native(DataPaths::lastList());
    if (lines.isEmpty() || !QFileInfo::exists(path))
        return false;
    return LastList::change(path, -1, [&](QStringList& now) {
        bool removed = false;
        for (const QString& line : lines)
            removed = now.removeOne(line) || removed;
        return removed;
    });
}

bool DeleteFromLastList(qint32 lineNumber)
{
    const QString path = DataPaths::native(DataPaths::lastList());
    if (lineNumber < 1 || !QFileInfo::exists(path))
        return false;
    return LastList::change(path, -1, [&](QStringList& lines) {
        if (lineNumber > lines.size())
            return false;
        lines.removeAt(lineNumber - 1);
        return true;
    });
}

QString CallDayFolder(const QString& callDate)
{
    const std::optional<QDate> date = DateTimeText::parseDate(callDate);
    return date ? DataPaths::dayFolderOf(*date) : QString();
}

#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QListWidget;
class QWidget;

// The desktop's side of the journals in <program folder>/Journal/: it lists,
// shows, deletes and purges the files the service appends. Each journal has a
// hidden lock file ".<name>.lock" beside it; those are never listed, go with
// their journal and are purged when old.

// The name pattern of a kind: 0 "*.txt", 1 "*_Sys.txt", 2 "*_Calls.txt",
// 3 "*_WWW.txt"; any other kind lists every file (empty pattern).
QString JournalPattern(qint16 kind);

// The names of the journals of a kind, newest first by the date their names
// begin with; names without one last.
QStringList JournalNames(qint16 kind);

// Empties list and fills it with JournalNames(kind); selects entry 0 when
// there is one.
void FillJournalList(QListWidget& list, qint16 kind);

// Whether name can name a journal: a plain file name, not hidden, nothing
// that leaves the folder or that a person could not type.
bool IsJournalName(const QString& name);

// The lines of the journal, as they are now. A file over the journal bound
// (4 MiB) gives its newest lines up to the bound after a line saying the
// earlier ones are not shown, as the web page does. nullopt when name is no
// journal name or the file cannot be read.
std::optional<QStringList> ReadJournalLines(const QString& name);

// Empties list and fills it with the journal's lines; false (list empty)
// when it could not be read or name was refused.
bool LoadJournalFile(QListWidget& list, const QString& name);

// Deletes the journal and its lock file; false when name was refused or the
// journal is still there.
bool DeleteJournalFile(const QString& name);

// Deletes every file of the journal folder last changed at or before the
// midnight that starts today (Clock::instance()) moved by months calendar
// months (the month's last day when the day is not in it), except "LogDir";
// lock files included. The names deleted.
QStringList PurgeOldJournals(qint32 months);

// The month offset the retention setting cmbLogFor stands for, as the
// properties window stores its list position: "0" (1 Month) -1, "1" (2 Months)
// -2, "2" (3 Months) -3; "3" (Forever!), a missing or any other value keeps
// every journal.
std::optional<qint32> RetentionMonths(const QString& stored);

// The journal viewer's purge as it opens: PurgeOldJournals with the offset of
// Properties\TabLog cmbLogFor. The offset used, nullopt when nothing was
// purged.
std::optional<qint32> RangeForLog();

// The journal viewer's Delete: the selected journal of files, after the
// question "Delete <name> ?" when Properties\TabLog chkWornBeforeDelete is
// "1" (a No keeps it). Then files is filled again for kind and content
// emptied. False when nothing was deleted.
bool DeleteSelectedJournal(QListWidget& files, QListWidget& content, qint16 kind, QWidget* owner);

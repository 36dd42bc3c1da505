#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

// The journal folder as its readers list it: the desktop's journal viewer and
// the web server's journal page show the same files in the same order.
namespace JournalList {

// The date of a journal file from the first ten characters of its name
// ("12-09-2025_Sys.txt"); a name that does not begin with a date gets
// 12/30/1899, which sorts after every real date.
// Stand-in for the shared journal-name format of common/; point it there.
QDate journalNameDate(const QString& fileName);

// Sorts both lists together, newest first, by this exchange procedure exactly:
// the order of names with equal dates depends on it and both readers must agree.
void SortJournalsByDate(QList<QDate>& dates, QStringList& names);

// The names of the files in folder matching pattern ("*.txt", "*_Sys.txt";
// letter case ignored; empty: every file), newest first. Subfolders and
// hidden files are not listed; names with equal dates arrive in name order.
QStringList sortedJournalNames(const QString& folder, const QString& pattern);

} // namespace JournalList

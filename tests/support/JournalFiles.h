#pragma once

#include <QString>
#include <QStringList>

// The entries of a journal file, one per line and without the CR LF; none
// when the file is missing.
QStringList journalEntries(const QString& path);

// The system journal of 12/10/2026 (the test clock's day) in the program
// folder.
QString testDaySysJournal(const QString& programFolder);

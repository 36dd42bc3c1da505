#pragma once

#include <QString>

// The service's journals: one system, calls and web file per day in
// <program folder>/Journal/ ("12-10-2026_Sys.txt", common/JournalFormat.h),
// appended one CR LF line per entry under the file's shared lock. Line breaks
// inside an entry become blanks, so an entry is always one line. The folder
// is the installation's; without it, and on any other failure, the entry is
// lost quietly: a writer never fails its caller.
void WriteSysJournal(const QString& message, qint32 number, const QString& source);
void WriteCallsJournal(const QString& text);
void WriteWWWJournal(const QString& text);

// The three switches (chkLogSys, chkLogCalls, chkLogWWW), set once at start.
struct JournalSwitches {
    bool sys = false;
    bool calls = false;
    bool www = false;
};
void SetJournalSwitches(const JournalSwitches& switches);
JournalSwitches CurrentJournalSwitches();

// The switches as stored under Properties\TabLog: a value is on when it reads
// as a whole number other than 0; "0", missing and non-numbers are off.
JournalSwitches ReadJournalSwitches();

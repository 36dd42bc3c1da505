#pragma once

#include <QString>

// The service's journals: one system, calls and web file per day in
// <program folder>/Journal/, appended one entry at a time. A writer never
// fails its caller: a lost entry is lost quietly.
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

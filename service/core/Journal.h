#pragma once

#include <QString>

// The three switches (chkLogSys, chkLogCalls, chkLogWWW).
struct JournalSwitches {
    bool sys = false;
    bool calls = false;
    bool www = false;
};

// The switches as stored under Properties\TabLog: a value is on when it reads
// as a whole number other than 0; "0", missing and non-numbers are off.
JournalSwitches ReadJournalSwitches();

// The service's journals: one system, calls and web file per day in
// <program folder>/Journal/ ("12-10-2026_Sys.txt", common/JournalFormat.h),
// appended one CR LF line per entry under the file's shared lock. Line breaks
// inside an entry become blanks, so an entry is always one line. The folder
// is the installation's; without it, and on any other failure, the entry is
// lost quietly: a writer never fails its caller.
//
// The service makes one at start-up and hands it to every part that writes;
// the switches are set once while the main form loads, before any other
// thread writes.
class Journal {
public:
    explicit Journal(const JournalSwitches& switches = {})
        : m_switches(switches)
    {
    }

    void WriteSysJournal(const QString& message, qint32 number, const QString& source) const;
    void WriteCallsJournal(const QString& text) const;
    void WriteWWWJournal(const QString& text) const;

    const JournalSwitches& switches() const { return m_switches; }
    void setSwitches(const JournalSwitches& switches) { m_switches = switches; }

private:
    JournalSwitches m_switches;
};

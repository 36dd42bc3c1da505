#pragma once

#include <QString>

#include <functional>
#include <memory>

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
// is the installation's. A writer never fails its caller: an entry that
// cannot be written is lost, but the first failure for a file is said once
// (on standard error unless a test gives its own reporter), and every entry
// tries again, so the journal goes on once the file can be written.
//
// The service makes one at start-up and hands it to every part that writes;
// the switches are set once while the main form loads, before any other
// thread writes. Copies share what was reported.
class Journal {
public:
    using Reporter = std::function<void(const QString&)>;

    explicit Journal(const JournalSwitches& switches = {}, Reporter report = {});

    void WriteSysJournal(const QString& message, qint32 number, const QString& source) const;
    void WriteCallsJournal(const QString& text) const;
    void WriteWWWJournal(const QString& text) const;

    const JournalSwitches& switches() const { return m_switches; }
    void setSwitches(const JournalSwitches& switches) { m_switches = switches; }

    // A day's web journal stops short of this many bytes, with one line
    // (wwwStopText) saying so; 0: no limit.
    static constexpr qint64 kWWWDayLimit = 16 * 1024 * 1024;
    void setWWWDayLimit(qint64 bytes) { m_wwwDayLimit = bytes; }
    static QString wwwStopText(qint64 limit);

private:
    struct Failures;
    void append(int kind, const QString& text) const;

    JournalSwitches m_switches;
    qint64 m_wwwDayLimit = kWWWDayLimit;
    std::shared_ptr<Failures> m_failures;
};

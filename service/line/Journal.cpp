#include "service/line/Journal.h"

// Placeholder until the journal writers land: entries are dropped.
namespace {
JournalSwitches g_switches;
}

void WriteSysJournal(const QString&, qint32, const QString&) {}
void WriteCallsJournal(const QString&) {}
void WriteWWWJournal(const QString&) {}

void SetJournalSwitches(const JournalSwitches& switches)
{
    g_switches = switches;
}

JournalSwitches CurrentJournalSwitches()
{
    return g_switches;
}

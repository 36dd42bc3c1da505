#include "service/core/mdlCalls.h"
#include "tests/support/CallDays.h"

#include "common/DataPaths.h"
#include "common/FixedRecord.h"
#include "service/core/Journal.h"
#include "tests/support/JournalFiles.h"
#include "tests/support/TestClock.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

class mdlCallsTest : public ::testing::Test {
protected:
    TestEnvironment env;
    TestClock clock; // 12/10/2026 09:30:00
    Journal journal{{true, false, false}};
};

TEST_F(mdlCallsTest, StoredRecordIsReadAndLeavesFlagAndNotesUnset)
{
    CurrentCall current;
    SetCallInfo(journal, current, QDateTime(QDate(2026, 12, 10), QTime(23, 59, 59)));
    current.info.CallerNumber = QStringLiteral("555 0100");
    current.EmergencyMark = 1;
    current.Description = QStringLiteral("Incoming call");
    const CallRecord record = MakeCallRecord(current, 3);
    // The call ends after midnight: it stays in the folder of its first day.
    EXPECT_EQ(CallDayFolder(current.info.CallDate), kDay);
    ASSERT_TRUE(AddCallRecord(journal, record, CallDayFolder(current.info.CallDate), false, 30));

    CallRecord back;
    ASSERT_TRUE(ReadCallRecord(back, kDay, 1));
    EXPECT_EQ(back.toBytes(), record.toBytes());
    EXPECT_EQ(back.EmergencyMark, u"1");
    EXPECT_EQ(back.FlagMark, QString(1, QChar(0)));
    EXPECT_EQ(back.CallType, u"0 ");
    EXPECT_EQ(FixedRecord::trimBlanks(back.CallerName), u"UNKNOWN");
    EXPECT_EQ(FixedRecord::trimBlanks(back.CallTime), u"23:59:59");
    EXPECT_EQ(FixedRecord::trimBlanks(back.Length), u"0:00:00");
    EXPECT_EQ(back.LineIndex, u"3 ");
    EXPECT_EQ(back.ReadMark, u"1");
    EXPECT_EQ(back.Notes, QString(256, QChar(0)));
}

TEST_F(mdlCallsTest, ACallThatCannotBeStoredOrListedIsJournaled)
{
    ASSERT_TRUE(QDir(env.programFolder()).mkpath(QStringLiteral("Journal")));
    CurrentCall current;
    SetCallInfo(journal, current, QDateTime(QDate(2026, 12, 10), QTime(9, 30)));
    const CallRecord record = MakeCallRecord(current, 0);

    EXPECT_FALSE(AddCallRecord(journal, record, QStringLiteral("\\Data\\..\\x\\"), false, 30));
    // Data/Last as a folder cannot be rewritten: the call is stored, not listed.
    ASSERT_TRUE(QDir().mkpath(DataPaths::native(DataPaths::lastList())));
    EXPECT_FALSE(AddCallRecord(journal, record, kDay, false, 30));
    EXPECT_EQ(journalEntries(testDaySysJournal(env.programFolder())),
        (QStringList{
            QStringLiteral("09:30:00 : ErrAddCallRecord->Cannot store the call in \\Data\\..\\x\\(-1)"),
            QStringLiteral("09:30:00 : ErrAddToLastList->Cannot write the recent-calls list(-1)")}));
    CallRecord back;
    EXPECT_TRUE(ReadCallRecord(back, kDay, 1));
}

} // namespace

#include "service/core/PendingCallRecords.h"

#include "common/CallStore.h"
#include "common/DataPaths.h"
#include "common/FixedRecord.h"
#include "service/core/Journal.h"
#include "tests/support/CallDays.h"
#include "tests/support/FullDisk.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class PendingCallRecordsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Data"_s)); }

    CallRecord call(int n) const
    {
        return storedCall(u"Caller %1"_s.arg(n), u"555%1"_s.arg(n), u"10:00:00"_s);
    }
    QStringList numbersStored() const
    {
        QStringList numbers;
        for (const QString& name : dayNames(kDay))
            numbers << name.mid(7);
        return numbers;
    }
    QStringList listed(std::initializer_list<int> records) const
    {
        QStringList lines;
        for (const int n : records)
            lines << LastList::lineFor(n, kDay);
        return lines;
    }

    TestEnvironment env;
    Journal journal{{false, false, false}};
    QStringList told; // what the desktop was told
    PendingCallRecords records{journal, [this](const QString& text) { told << text; }};
};

// Calls that end while the disk is full wait and are written, in order and
// once each, when space comes back: on the timer, and before the next call.
TEST_F(PendingCallRecordsTest, CallsThatEndOnAFullDiskAreStoredInOrderOnceSpaceComesBack)
{
    FullDisk disk(DataPaths::native(u"\\Data"_s), 256 * 1024);
    REQUIRE_FULL_DISK(disk);
    ASSERT_TRUE(disk.fill());
    for (int n = 1; n <= 3; ++n)
        EXPECT_FALSE(records.store(call(n), kDay, false, 30));
    EXPECT_EQ(records.waiting(), 3);
    ASSERT_EQ(told.size(), 1) << "the failure is said once";
    EXPECT_TRUE(told.first().contains(u"No space left on device"_s)) << told.first().toStdString();
    EXPECT_TRUE(numbersStored().isEmpty());

    disk.free();
    ASSERT_TRUE(waitUntil([&] { return records.waiting() == 0; }, 3 * PendingCallRecords::kRetryMs));
    EXPECT_EQ(numbersStored(), (QStringList{u"1"_s, u"2"_s, u"3"_s}));
    EXPECT_EQ(lastLines(), listed({3, 2, 1}));
    EXPECT_EQ(told.size(), 2);

    // The next call's own store writes the one that waited first.
    ASSERT_TRUE(disk.fill());
    EXPECT_FALSE(records.store(call(4), kDay, false, 30));
    disk.free();
    EXPECT_TRUE(records.store(call(5), kDay, false, 30));
    EXPECT_EQ(numbersStored(), (QStringList{u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s}));
    EXPECT_EQ(lastLines(), listed({5, 4, 3, 2, 1}));
}

// A list that cannot be written holds no record back; its lines follow in
// order once it can, and no record is appended twice meanwhile. (On the full
// disk a record still fits in the day file's last page; the list's rewrite
// needs a page of its own.)
TEST_F(PendingCallRecordsTest, AnUnwritableListDelaysOnlyTheListLines)
{
    FullDisk disk(DataPaths::native(u"\\Data"_s), 256 * 1024);
    REQUIRE_FULL_DISK(disk);
    EXPECT_TRUE(records.store(call(1), kDay, false, 30));
    ASSERT_TRUE(disk.fill());
    EXPECT_FALSE(records.store(call(2), kDay, false, 30));
    EXPECT_FALSE(records.store(call(3), kDay, false, 30));
    EXPECT_EQ(numbersStored(), (QStringList{u"1"_s, u"2"_s, u"3"_s}));
    EXPECT_EQ(lastLines(), listed({1}));
    EXPECT_EQ(records.waiting(), 2);
    ASSERT_EQ(told.size(), 1);

    disk.free();
    ASSERT_TRUE(waitUntil([&] { return records.waiting() == 0; }, 3 * PendingCallRecords::kRetryMs));
    EXPECT_EQ(numbersStored(), (QStringList{u"1"_s, u"2"_s, u"3"_s}));
    EXPECT_EQ(lastLines(), listed({3, 2, 1}));
}

// A day folder no call can be stored in is refused at once: it never holds
// the later calls back.
TEST_F(PendingCallRecordsTest, ARefusedDayFolderDoesNotHoldLaterCallsBack)
{
    EXPECT_FALSE(records.store(call(1), u"\\Data\\..\\x\\"_s, false, 30));
    EXPECT_TRUE(records.store(call(2), kDay, false, 30));
    EXPECT_EQ(numbersStored(), QStringList{u"2"_s});
    EXPECT_EQ(records.waiting(), 0);
    EXPECT_TRUE(told.isEmpty());
}

} // namespace

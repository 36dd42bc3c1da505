#include "common/CallStore.h"
#include "common/DataPaths.h"
#include "common/FixedRecord.h"
#include "common/LastList.h"
#include "tests/support/CallDays.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kOtherDay = QStringLiteral("\\Data\\Log\\2026\\12\\09\\");

CallRecord call(const QString& number)
{
    CallRecord record;
    record.EmergencyMark = QStringLiteral("0");
    record.CallType = QStringLiteral("0");
    record.CallerName = QStringLiteral("UNKNOWN");
    record.CallerNumber = number;
    record.CallDate = QStringLiteral("12/10/2026");
    record.CallTime = QStringLiteral("10:30:05");
    record.Length = QStringLiteral("0:00:00");
    record.LineIndex = QStringLiteral("0");
    record.ReadMark = QStringLiteral("1");
    record.Description = QStringLiteral("Incoming call");
    return record;
}

class CallStoreTest : public ::testing::Test {
protected:
    QByteArray read(const QString& stored) const
    {
        QFile file(DataPaths::native(stored));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void writeFile(const QString& stored, const QByteArray& data)
    {
        const QString path = DataPaths::native(stored);
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
    }
    QStringList last() const
    {
        return LastList::readLines(DataPaths::native(DataPaths::lastList()))
            .value_or(QStringList{QStringLiteral("unreadable")});
    }

    TestEnvironment env;
};

TEST_F(CallStoreTest, FirstCallOfADayCreatesItsFolderAndFileAndGoesOnTop)
{
    // The day folder is missing (its creation at the offer failed): the call is kept.
    ASSERT_FALSE(QDir(DataPaths::native(kDay)).exists());
    EXPECT_TRUE(AddCallRecord(call(QStringLiteral("1")), kDay, false, 30));
    EXPECT_EQ(read(DataPaths::dayFile(kDay)), call(QStringLiteral("1")).toBytes());
    EXPECT_EQ(read(DataPaths::lastList()), QByteArray("1:\\Data\\Log\\2026\\12\\10\\\r\n"));
}

TEST_F(CallStoreTest, LastListKeepsTheConfiguredNumberOfNewestCalls)
{
    struct Case {
        qint32 limit;
        int calls;
        QList<int> expected; // record numbers, newest first
    };
    const Case cases[] = {
        {5, 1, {1}},
        {5, 5, {5, 4, 3, 2, 1}},
        {5, 7, {7, 6, 5, 4, 3}},
        {0, 3, {3}}, // a missing or zero setting keeps one line
        {-4, 2, {2}},
    };
    for (const Case& c : cases) {
        TestEnvironment fresh;
        for (int i = 1; i <= c.calls; ++i)
            ASSERT_TRUE(AddCallRecord(call(QString::number(i)), kDay, false, c.limit));
        QStringList expected;
        for (int n : c.expected)
            expected << LastList::lineFor(n, kDay);
        EXPECT_EQ(last(), expected) << "limit " << c.limit << ", calls " << c.calls;
    }
}

TEST_F(CallStoreTest, ThirtiethLineIsDroppedForTheNewCall)
{
    QByteArray existing;
    QByteArray otherDay;
    for (int i = 30; i >= 1; --i) {
        existing += LastList::lineFor(i, kOtherDay).toUtf8() + "\n"; // LF only: still read
        otherDay += call(QString::number(i)).toBytes();
    }
    writeFile(DataPaths::lastList(), existing);
    writeFile(DataPaths::dayFile(kOtherDay), otherDay);
    ASSERT_TRUE(AddCallRecord(call(QStringLiteral("x")), kDay, false, 30));
    const QStringList lines = last();
    ASSERT_EQ(lines.size(), 30);
    EXPECT_EQ(lines.first(), u"1:" + kDay);
    EXPECT_EQ(lines.at(1), u"30:" + kOtherDay);
    EXPECT_EQ(lines.last(), u"2:" + kOtherDay);
}

// A damaged list must not push the real calls out: trimming skips lines that
// name no record (garbage, a number past the day file's end) and keeps the
// valid ones, newest first.
TEST_F(CallStoreTest, TrimmingADamagedListKeepsTheValidLines)
{
    QByteArray otherDay;
    for (int i = 1; i <= 5; ++i)
        otherDay += call(QString::number(i)).toBytes();
    writeFile(DataPaths::dayFile(kOtherDay), otherDay);
    QByteArray damaged;
    for (int i = 0; i < 4000; ++i)
        damaged += QByteArray(40, '\xff') + "\r\n";
    for (int i = 5; i >= 1; --i)
        damaged += LastList::lineFor(i, kOtherDay).toUtf8() + "\r\n";
    damaged += LastList::lineFor(9, kOtherDay).toUtf8() + "\r\n"; // past the file's end
    damaged += "12:\\Data\\Log\\2026\\12\\01\\\r\n"; // a day with no file
    writeFile(DataPaths::lastList(), damaged);

    ASSERT_TRUE(AddCallRecord(call(QStringLiteral("new")), kDay, false, 30));
    QStringList expected{LastList::lineFor(1, kDay)};
    for (int i = 5; i >= 1; --i)
        expected << LastList::lineFor(i, kOtherDay);
    EXPECT_EQ(last(), expected);

    // The bound still holds once enough valid lines are there.
    ASSERT_TRUE(AddCallRecord(call(QStringLiteral("newer")), kDay, false, 3));
    EXPECT_EQ(last(),
        (QStringList{
            LastList::lineFor(2, kDay), LastList::lineFor(1, kDay), LastList::lineFor(5, kOtherDay)}));
}

// A day folder that is a link out of the program folder is neither read nor
// written through, as the web server refuses such links.
TEST_F(CallStoreTest, DayFolderLinkedOutOfTheProgramFolderIsNotFollowed)
{
    QTemporaryDir outside;
    const CallRecord record = call(QStringLiteral("secret"));
    QFile foreign(outside.filePath(QStringLiteral("Data")));
    ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
    foreign.write(record.toBytes());
    foreign.close();
    const QString dayPath = QDir::cleanPath(DataPaths::native(kDay));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(dayPath).absolutePath()));
    ASSERT_TRUE(QFile::link(outside.path(), dayPath));

    CallRecord read;
    EXPECT_FALSE(ReadCallRecord(read, kDay, 1));
    EXPECT_FALSE(ReadCallRecords({LastList::Entry{1, kDay}}).constFirst().has_value());
    EXPECT_FALSE(AddCallRecord(call(QStringLiteral("x")), kDay, false, 30));
    EXPECT_EQ(QFileInfo(foreign.fileName()).size(), CallRecord::Size) << "nothing written through the link";

    // A link that stays inside is a folder like any other.
    const QString inside = DataPaths::native(kOtherDay);
    ASSERT_TRUE(QDir().mkpath(QDir::cleanPath(inside)));
    ASSERT_TRUE(QFile::remove(dayPath));
    ASSERT_TRUE(QFile::link(QDir::cleanPath(inside), dayPath));
    EXPECT_TRUE(AddCallRecord(call(QStringLiteral("y")), kDay, false, 30));
    EXPECT_TRUE(ReadCallRecord(read, kDay, 1));
}

TEST_F(CallStoreTest, SkipListStoresTheCallOnly)
{
    EXPECT_TRUE(AddCallRecord(call(QStringLiteral("1")), kDay, true, 30));
    EXPECT_EQ(read(DataPaths::dayFile(kDay)).size(), CallRecord::Size);
    EXPECT_FALSE(QFile::exists(DataPaths::native(DataPaths::lastList())));
}

TEST_F(CallStoreTest, TornTailDoesNotShiftTheNextCall)
{
    const QByteArray two = call(QStringLiteral("1")).toBytes() + call(QStringLiteral("2")).toBytes();
    writeFile(DataPaths::dayFile(kDay), two + QByteArray(300, 'x'));
    ASSERT_TRUE(AddCallRecord(call(QStringLiteral("3")), kDay, false, 30));
    EXPECT_EQ(read(DataPaths::dayFile(kDay)), two + call(QStringLiteral("3")).toBytes());
    EXPECT_EQ(last().first(), u"3:" + kDay);
}

TEST_F(CallStoreTest, DayFolderOutsideTheProgramFolderIsRefused)
{
    for (const QString& folder : {QStringLiteral("\\Data\\..\\..\\x\\"), QStringLiteral("Data\\Log\\"),
             QStringLiteral("\\Data\\Log\\2026\\12\\10"), QString()}) {
        EXPECT_FALSE(AddCallRecord(call(QStringLiteral("1")), folder, false, 30)) << folder.toStdString();
        EXPECT_FALSE(AddToLastList(1, folder, 30)) << folder.toStdString();
        CallRecord record;
        EXPECT_FALSE(ReadCallRecord(record, folder, 1));
    }
    EXPECT_FALSE(AddToLastList(0, kDay, 30));
    EXPECT_FALSE(QFile::exists(DataPaths::native(DataPaths::lastList())));
}

TEST_F(CallStoreTest, ReadGivesFalseForMissingOrInvalidRecords)
{
    CallRecord blankDate = call(QStringLiteral("2"));
    blankDate.CallDate = QString();
    CallRecord otherFormat = call(QStringLiteral("3"));
    otherFormat.CallDate = QStringLiteral("2026-12-10");
    writeFile(DataPaths::dayFile(kDay),
        call(QStringLiteral("1")).toBytes() + blankDate.toBytes() + otherFormat.toBytes()
            + CallRecord().toBytes());

    const CallRecord before = call(QStringLiteral("before"));
    CallRecord record = before;
    EXPECT_FALSE(ReadCallRecord(record, kOtherDay, 1)) << "no day file";
    EXPECT_EQ(record.toBytes(), before.toBytes());
    for (qint32 n : {0, -1, 5}) {
        EXPECT_FALSE(ReadCallRecord(record, kDay, n)) << n;
        EXPECT_EQ(record.toBytes(), before.toBytes());
    }
    EXPECT_FALSE(ReadCallRecord(record, kDay, 2)) << "blank date";
    EXPECT_FALSE(ReadCallRecord(record, kDay, 3)) << "not a date of ours";
    EXPECT_FALSE(ReadCallRecord(record, kDay, 4)) << "NUL record";
    EXPECT_TRUE(ReadCallRecord(record, kDay, 1));
    EXPECT_EQ(FixedRecord::trimBlanks(record.CallerNumber), u"1");
}

TEST_F(CallStoreTest, ReadingManyRecordsAgreesWithReadingEachOne)
{
    CallRecord blankDate = call(QStringLiteral("2"));
    blankDate.CallDate = QString();
    writeFile(DataPaths::dayFile(kDay),
        call(QStringLiteral("1")).toBytes() + blankDate.toBytes() + call(QStringLiteral("3")).toBytes()
            + QByteArray(100, 'x'));
    writeFile(DataPaths::dayFile(kOtherDay), call(QStringLiteral("other")).toBytes());
    const QList<LastList::Entry> entries = {
        {3, kDay},
        {1, kOtherDay},
        {2, kDay},
        {1, kDay},
        {3, kDay},
        {4, kDay}, // a torn tail is no record
        {0, kDay},
        {-1, kDay},
        {1, QStringLiteral("\\Data\\Log\\2026\\12\\08\\")},
        {1, QStringLiteral("\\..\\Data\\Log\\2026\\12\\10\\")},
    };
    const QList<std::optional<CallRecord>> records = ReadCallRecords(entries);
    ASSERT_EQ(records.size(), entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        CallRecord one;
        const bool read = ReadCallRecord(one, entries.at(i).dayFolder, entries.at(i).recordNumber);
        ASSERT_EQ(records.at(i).has_value(), read) << i;
        if (read) {
            EXPECT_EQ(records.at(i)->toBytes(), one.toBytes()) << i;
        }
    }
    EXPECT_EQ(FixedRecord::trimBlanks(records.at(0)->CallerNumber), u"3");
    EXPECT_EQ(FixedRecord::trimBlanks(records.at(1)->CallerNumber), u"other");
}

TEST_F(CallStoreTest, DeleteFromLastListRemovesOneLineOrNothing)
{
    const QByteArray three = "1:a\r\n2:b\r\n3:c\r\n";
    writeFile(DataPaths::lastList(), three);
    for (qint32 n : {0, -1, 4, 5}) {
        EXPECT_FALSE(DeleteFromLastList(n)) << n;
        EXPECT_EQ(read(DataPaths::lastList()), three);
    }
    EXPECT_TRUE(DeleteFromLastList(2));
    EXPECT_EQ(read(DataPaths::lastList()), QByteArray("1:a\r\n3:c\r\n"));
}

TEST_F(CallStoreTest, DeleteFromAMissingListCreatesNothing)
{
    EXPECT_FALSE(DeleteFromLastList(1));
    EXPECT_FALSE(QFile::exists(DataPaths::native(DataPaths::lastList())));
}

TEST_F(CallStoreTest, CallDayFolderNeedsADate)
{
    EXPECT_EQ(CallDayFolder(QStringLiteral("01/02/2026")), u"\\Data\\Log\\2026\\01\\02\\");
    EXPECT_EQ(CallDayFolder(QString()), QString()); // idle before any call
    EXPECT_EQ(CallDayFolder(QStringLiteral("13/40/2026")), QString());
}

} // namespace

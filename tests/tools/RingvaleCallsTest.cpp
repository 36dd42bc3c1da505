#include "common/CallStore.h"
#include "common/FixedRecord.h"
#include "tests/support/CallDays.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"
#include "tests/tools/ToolRun.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A day of four calls: read, unread, an unread voice message with the
// emergency mark, and a recorded dialled call with a two-line note.
class RingvaleCallsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CallRecord unread = storedCall(u"Bob"_s, u"5552222"_s, u"10:02:00"_s);
        unread.ReadMark = u" "_s;
        CallRecord voice = storedCall(u"Carol"_s, u"5553333"_s, u"10:03:00"_s);
        voice.CallType = u"2"_s;
        voice.ReadMark = u" "_s;
        voice.EmergencyMark = u"1"_s;
        CallRecord recorded = storedCall(u"UNKNOWN"_s, u"5554444"_s, u"10:04:00"_s);
        recorded.CallType = u"4"_s;
        recorded.Description = u"Outgoing call"_s;
        recorded.Notes = u"call back\r\nafter six"_s.leftJustified(256, u' ');
        writeDay(kDay, {storedCall(u"Ann"_s, u"5551111"_s, u"10:01:00"_s), unread, voice, recorded});
        writeLast({u"4:"_s + kDay, u"3:"_s + kDay, u"2:"_s + kDay, u"1:"_s + kDay});
    }

    ToolRun calls(const QStringList& args)
    {
        QProcess process;
        process.setProcessEnvironment(env.processEnvironment());
        process.start(TestEnvironment::binary(u"ringvale-calls"_s), args);
        if (!process.waitForFinished(testTimeout(20000)))
            process.kill();
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
    }

    CallRecord stored(qint32 n)
    {
        CallRecord record;
        EXPECT_TRUE(ReadCallRecord(record, kDay, n));
        return record;
    }

    TestEnvironment env;
};

TEST_F(RingvaleCallsTest, RowsPrintsTheDayAsTheMainListHoldsIt)
{
    QTemporaryDir shots;
    const QString png = shots.filePath(u"day.png"_s);
    const ToolRun run = calls({u"rows"_s, kDay, u"--screenshot"_s, png});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << run.out.toStdString();
    const QString date = u"Thursday, December 10, 2026"_s;
    EXPECT_EQ(lines[0],
        u"1\tAnn - 5551111\t"_s + date + u" 10:01:00\tIncoming call\t"_s + kDay + u"\tnormal\t-,-,-\t22"_s);
    EXPECT_TRUE(lines[1].contains(u"\tbold\t-,-,-\t22"_s)) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].endsWith(u"\tbold\t4,-,7\t22"_s)) << lines[2].toStdString();
    const QStringList noted = lines[3].split(u'\t');
    ASSERT_EQ(noted.size(), 8);
    EXPECT_EQ(noted[3], u"Outgoing call"_s);
    EXPECT_EQ(noted[6], u"-,-,10"_s);
    EXPECT_GT(noted[7].toInt(), 22 + 18) << "a two-line note below the row";

    // A PNG whose header (IHDR) gives room for the four rows.
    QFile file(png);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray head = file.read(24);
    ASSERT_EQ(head.size(), 24);
    EXPECT_TRUE(head.startsWith("\x89PNG\r\n\x1a\n"));
    const auto byte = [&](int i) { return quint32(quint8(head[i])); };
    EXPECT_GE(byte(20) << 24 | byte(21) << 16 | byte(22) << 8 | byte(23), quint32(4 * 22));
}

TEST_F(RingvaleCallsTest, EachCommandWritesTheDayFileAsTheDesktopDoes)
{
    EXPECT_EQ(calls({u"flag"_s, kDay, u"2"_s}).exitCode, 0);
    EXPECT_EQ(FixedRecord::trimBlanks(stored(2).FlagMark), u"1"_s);
    EXPECT_EQ(calls({u"unflag"_s, kDay, u"2"_s}).exitCode, 0);
    EXPECT_EQ(FixedRecord::trimBlanks(stored(2).FlagMark), u"0"_s);
    EXPECT_EQ(calls({u"read"_s, kDay, u"2"_s}).exitCode, 0);
    EXPECT_EQ(FixedRecord::trimBlanks(stored(2).ReadMark), u"1"_s);
    EXPECT_EQ(calls({u"note"_s, kDay, u"1"_s, u"ring back; tab\there"_s}).exitCode, 0);
    EXPECT_EQ(FixedRecord::trimBlanks(stored(1).Notes), u"ring back; tab\there"_s);

    const ToolRun deleted = calls({u"delete"_s, kDay, u"4"_s, u"2"_s});
    ASSERT_EQ(deleted.exitCode, 0) << deleted.err.toStdString();
    EXPECT_EQ(dayNames(kDay), (QStringList{u"Ann"_s, u"Carol"_s}));
    EXPECT_EQ(lastLines(), (QStringList{u"2:"_s + kDay, u"1:"_s + kDay}));
}

TEST_F(RingvaleCallsTest, NothingWrittenIsExitStatusOneAndBadArgumentsTwo)
{
    const QByteArray before = dayBytes(kDay);
    struct Case {
        QStringList args;
        int exitCode;
    };
    const Case cases[] = {
        {{u"flag"_s, kDay, u"5"_s}, 1},
        {{u"read"_s, u"\\Data\\Log\\2026\\12\\11\\"_s, u"1"_s}, 1},
        {{u"note"_s, kDay, u"9"_s, u"x"_s}, 1},
        {{u"delete"_s, kDay, u"1"_s, u"9"_s}, 1}, // one unknown call: none deleted
        {{u"flag"_s, kDay, u"0"_s}, 2},
        {{u"flag"_s, kDay, u"1"_s, u"2"_s}, 2},
        {{u"delete"_s, kDay}, 2},
        {{u"note"_s, kDay, u"1"_s}, 2},
        {{u"rows"_s, u"Data/Log/2026/12/10"_s}, 2},
        {{u"wipe"_s, kDay, u"1"_s}, 2},
    };
    for (const Case& c : cases) {
        const ToolRun run = calls(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args.join(u' ').toStdString();
        EXPECT_TRUE(run.err.startsWith(u"ringvale-calls: "_s)) << run.err.toStdString();
    }
    EXPECT_EQ(dayBytes(kDay), before);
    EXPECT_EQ(lastLines().size(), 4);
}

} // namespace

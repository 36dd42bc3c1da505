#include "common/RegistryRoutines.h"
#include "tests/support/CallDays.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString kDayBefore = u"\\Data\\Log\\2026\\12\\09\\"_s;

struct CallsRun {
    int exitCode = -1;
    QStringList lines;
    QString err;
};

// The recent calls, the search and the journals through the real tool.
class RingvaleCallsListsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.installDefaults();
        writeDay(kDayBefore, {storedCall(u"Ann"_s, u"5551111"_s, u"09:00:00"_s, u"12/09/2026"_s)});
        writeDay(kDay,
            {storedCall(u"Bob"_s, u"5552222"_s, u"10:00:00"_s),
                storedCall(u"Annabel"_s, u"5553333"_s, u"11:00:00"_s)});
        ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Journal"_s));
        // The installation's English table, whose texts the tool prints.
        ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Trans"_s));
        ASSERT_TRUE(QFile::copy(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt"),
            env.programFolder() + u"/Trans/English.txt"_s));
    }

    CallsRun calls(const QStringList& args)
    {
        QProcess process;
        process.setProcessEnvironment(env.processEnvironment());
        process.start(TestEnvironment::binary(u"ringvale-calls"_s), args);
        if (!process.waitForFinished(testTimeout(20000)))
            process.kill();
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
            QString::fromUtf8(process.readAllStandardError())};
    }

    QString journal(const QString& name) const { return env.programFolder() + u"/Journal/"_s + name; }

    void writeJournal(const QString& name, const QByteArray& data, const QDateTime& changed) const
    {
        QFile file(journal(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
        ASSERT_TRUE(file.flush()); // a later flush would change the time again
        ASSERT_TRUE(file.setFileTime(changed, QFileDevice::FileModificationTime));
    }

    TestEnvironment env;
};

TEST_F(RingvaleCallsListsTest, LastListsTheRecentCallsNewestFirstAndDropsStaleLines)
{
    writeLast({u"1:"_s + kDayBefore, u"7:"_s + kDay, u"2:"_s + kDay, u"1:"_s + kDay});
    CallsRun run = calls({u"last"_s});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(run.lines.size(), 5) << run.lines.join(u'\n').toStdString();
    EXPECT_TRUE(run.lines[0].startsWith(u"2\tAnnabel - 5553333\t"_s)) << run.lines[0].toStdString();
    EXPECT_TRUE(run.lines[1].startsWith(u"1\tBob - 5552222\t"_s));
    EXPECT_TRUE(run.lines[2].startsWith(u"1\tAnn - 5551111\t"_s));
    EXPECT_EQ(run.lines[3], u"3 Calls"_s);
    EXPECT_EQ(run.lines[4], u"Data/Last rewritten without 1 stale line(s)"_s);
    EXPECT_EQ(lastLines(), (QStringList{u"1:"_s + kDayBefore, u"2:"_s + kDay, u"1:"_s + kDay}));

    run = calls({u"last"_s});
    EXPECT_EQ(run.lines.value(4), u"Data/Last unchanged"_s);

    // Row 1 of the list as shown is Annabel's call, the list's second line.
    run = calls({u"remove-last"_s, u"1"_s});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(lastLines(), (QStringList{u"1:"_s + kDayBefore, u"1:"_s + kDay}));
    EXPECT_EQ(calls({u"remove-last"_s, u"3"_s}).exitCode, 1);
    EXPECT_EQ(calls({u"remove-last"_s, u"x"_s}).exitCode, 2);
}

TEST_F(RingvaleCallsListsTest, SearchListsTheMatchesAndTheCount)
{
    CallsRun run = calls({u"search"_s, u"--in"_s, u"2"_s, u"--name"_s, u"Ann"_s});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(run.lines.size(), 3) << run.lines.join(u'\n').toStdString();
    EXPECT_TRUE(run.lines[0].startsWith(u"1\tAnn - 5551111\t"_s));
    EXPECT_TRUE(run.lines[0].endsWith(u"\tAnn_5551111_12-09-2026_09-00-00.wav"_s))
        << run.lines[0].toStdString();
    EXPECT_TRUE(run.lines[1].startsWith(u"2\tAnnabel - 5553333\t"_s));
    EXPECT_EQ(run.lines[2], u"Found 2 calls"_s);

    run = calls({u"search"_s, u"--number"_s, u"2222"_s, u"--flag"_s});
    EXPECT_EQ(run.lines, QStringList{u"Found 0 calls"_s});

    EXPECT_EQ(calls({u"search"_s, u"--flag"_s}).exitCode, 1);
    EXPECT_EQ(calls({u"search"_s, u"--in"_s, u"9"_s, u"--name"_s, u"Ann"_s}).exitCode, 2);
    EXPECT_EQ(calls({u"search"_s, u"--name"_s}).exitCode, 2);
}

TEST_F(RingvaleCallsListsTest, JournalsAreListedShownDeletedAndPurged)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime old = now.addDays(-100);
    writeJournal(u"12-10-2026_Sys.txt"_s, "10:00:00 : ->start(0)\r\n10:01:00 : ->line(0)\r\n", now);
    writeJournal(u".12-10-2026_Sys.txt.lock"_s, {}, now);
    writeJournal(u"12-10-2026_Calls.txt"_s, "10:00:00 : Ann\r\n", now);
    writeJournal(u"12-09-2026_Sys.txt"_s, "x\r\n", now);
    writeJournal(u"01-02-2026_Sys.txt"_s, "x\r\n", old);

    CallsRun run = calls({u"journals"_s, u"--kind"_s, u"1"_s});
    EXPECT_EQ(
        run.lines, (QStringList{u"12-10-2026_Sys.txt"_s, u"12-09-2026_Sys.txt"_s, u"01-02-2026_Sys.txt"_s}));
    run = calls({u"journal"_s, u"12-10-2026_Sys.txt"_s});
    EXPECT_EQ(run.lines, (QStringList{u"10:00:00 : ->start(0)"_s, u"10:01:00 : ->line(0)"_s}));
    EXPECT_EQ(calls({u"journal"_s, u"../Data/Last"_s}).exitCode, 1);
    EXPECT_EQ(calls({u"delete-journal"_s, u".12-10-2026_Sys.txt.lock"_s}).exitCode, 1);

    EXPECT_EQ(calls({u"delete-journal"_s, u"12-10-2026_Sys.txt"_s}).exitCode, 0);
    EXPECT_FALSE(QFile::exists(journal(u"12-10-2026_Sys.txt"_s)));
    EXPECT_FALSE(QFile::exists(journal(u".12-10-2026_Sys.txt.lock"_s)));
    EXPECT_EQ(calls({u"delete-journal"_s, u"12-10-2026_Sys.txt"_s}).exitCode, 1);

    // "3" is Forever!: nothing goes.
    const RegistryRoutines log = RegistryRoutines::forProduct(u"Properties\\TabLog"_s);
    ASSERT_TRUE(log.setString(u"cmbLogFor"_s, u"3"_s));
    run = calls({u"purge"_s});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(QFile::exists(journal(u"01-02-2026_Sys.txt"_s)));
    // "0" is 1 Month.
    ASSERT_TRUE(log.setString(u"cmbLogFor"_s, u"0"_s));
    run = calls({u"purge"_s});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.lines.contains(u"01-02-2026_Sys.txt"_s)) << run.lines.join(u'\n').toStdString();
    EXPECT_FALSE(QFile::exists(journal(u"01-02-2026_Sys.txt"_s)));
    EXPECT_TRUE(QFile::exists(journal(u"12-09-2026_Sys.txt"_s)));
}

} // namespace

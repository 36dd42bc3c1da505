#include "service/core/Journal.h"

#include "common/RegistryRoutines.h"
#include "common/SharedFile.h"
#include "tests/support/TestClock.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class JournalTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Journal"_s)); }

    QString journal(const QString& name) const { return env.programFolder() + u"/Journal/"_s + name; }
    QByteArray read(const QString& name) const
    {
        QFile file(journal(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QStringList journalFiles() const
    {
        return QDir(env.programFolder() + u"/Journal"_s).entryList(QDir::Files, QDir::Name);
    }

    TestEnvironment env;
    TestClock clock{QDateTime(QDate(2026, 12, 10), QTime(9, 30, 5))};
    Journal writer{{true, true, true}};
};

TEST_F(JournalTest, EachKindGoesToItsDaysFileWithItsLineLayout)
{
    writer.WriteSysJournal(u"Opening Ringvale 1.1 Process"_s, 0, QString());
    writer.WriteSysJournal(u"Can't open"_s, -2147483647 - 1, u"CloseLine:Tapi1.LineClose"_s);
    clock.advance(1000);
    writer.WriteCallsJournal(u"Zoë Ångström 電話 - 555 0100"_s);
    writer.WriteWWWJournal(u"GET /Calls 192.0.2.1"_s);

    EXPECT_EQ(journalFiles(),
        (QStringList{u"12-10-2026_Calls.txt"_s, u"12-10-2026_Sys.txt"_s, u"12-10-2026_WWW.txt"_s}));
    EXPECT_EQ(read(u"12-10-2026_Sys.txt"_s),
        "09:30:05 : ->Opening Ringvale 1.1 Process(0)\r\n"
        "09:30:05 : CloseLine:Tapi1.LineClose->Can't open(-2147483648)\r\n");
    EXPECT_EQ(read(u"12-10-2026_Calls.txt"_s), u"09:30:06 : Zoë Ångström 電話 - 555 0100\r\n"_s.toUtf8());
    EXPECT_EQ(read(u"12-10-2026_WWW.txt"_s), "09:30:06 : GET /Calls 192.0.2.1\r\n");
}

TEST_F(JournalTest, LineBreaksInsideAnEntryCannotForgeLines)
{
    writer.WriteCallsJournal(u"Evil\r\n09:00:00 : forged"_s);
    writer.WriteWWWJournal(u"GET / HTTP/1.1\r\nHost: x\r\n\r\n"_s);
    writer.WriteSysJournal(
        u"Device Details -\r\n   Line Index: 0\n   Device Name: Modem"_s, 0, u"Open\rLine"_s);
    EXPECT_EQ(read(u"12-10-2026_Calls.txt"_s), "09:30:05 : Evil 09:00:00 : forged\r\n");
    EXPECT_EQ(read(u"12-10-2026_WWW.txt"_s), "09:30:05 : GET / HTTP/1.1 Host: x  \r\n");
    EXPECT_EQ(read(u"12-10-2026_Sys.txt"_s),
        "09:30:05 : Open Line->Device Details -    Line Index: 0    Device Name: Modem(0)\r\n");
}

TEST_F(JournalTest, ControlCharactersOfEveryWriterBecomeBlanks)
{
    // ESC, BEL, NUL, DEL and a C1 control; the tab and other letters stay.
    const QString hostile = u"a"_s + QChar(0x1b) + u"[2Jb"_s + QChar(0x07) + u"c"_s + QChar(0) + u"d"_s
        + QChar(0x7f) + QChar(0x9b) + u"e\tf"_s + QChar(0xe9);
    writer.WriteCallsJournal(hostile);
    writer.WriteWWWJournal(hostile);
    writer.WriteSysJournal(hostile, 0, hostile);
    const QByteArray cleaned = "a [2Jb c d  e\tf\xc3\xa9";
    EXPECT_EQ(read(u"12-10-2026_Calls.txt"_s), "09:30:05 : " + cleaned + "\r\n");
    EXPECT_EQ(read(u"12-10-2026_WWW.txt"_s), "09:30:05 : " + cleaned + "\r\n");
    EXPECT_EQ(read(u"12-10-2026_Sys.txt"_s), "09:30:05 : " + cleaned + "->" + cleaned + "(0)\r\n");
}

TEST_F(JournalTest, EntriesAfterMidnightGoToTheNextDaysFile)
{
    clock.setNow(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 500)));
    writer.WriteCallsJournal(u"before"_s);
    clock.advance(1000);
    writer.WriteCallsJournal(u"after"_s);
    EXPECT_EQ(read(u"12-31-2026_Calls.txt"_s), "23:59:59 : before\r\n");
    EXPECT_EQ(read(u"01-01-2027_Calls.txt"_s), "00:00:00 : after\r\n");
}

TEST_F(JournalTest, ASwitchedOffKindWritesNothingAndMakesNoFile)
{
    const JournalSwitches cases[] = {{false, true, true}, {true, false, true}, {true, true, false}};
    for (const JournalSwitches& on : cases) {
        QDir(env.programFolder() + u"/Journal"_s).removeRecursively();
        QDir(env.programFolder()).mkpath(u"Journal"_s);
        writer.setSwitches(on);
        writer.WriteSysJournal(u"s"_s, 1, u"src"_s);
        writer.WriteCallsJournal(u"c"_s);
        writer.WriteWWWJournal(u"w"_s);
        EXPECT_EQ(QFile::exists(journal(u"12-10-2026_Sys.txt"_s)), on.sys);
        EXPECT_EQ(QFile::exists(journal(u"12-10-2026_Calls.txt"_s)), on.calls);
        EXPECT_EQ(QFile::exists(journal(u"12-10-2026_WWW.txt"_s)), on.www);
    }
}

// An entry that cannot be written is lost, but never silently: the first
// failure of each file is said once, and every later entry tries again.
TEST_F(JournalTest, FailuresAreSaidOncePerFileAndWritingGoesOnOnceItCan)
{
    QStringList said;
    const Journal reporting({true, true, true}, [&said](const QString& text) { said << text; });
    const QString folder = env.programFolder() + u"/Journal"_s;
    ASSERT_TRUE(QDir(folder).removeRecursively());
    for (int i = 0; i < 3; ++i) {
        reporting.WriteSysJournal(u"lost"_s, 0, QString());
        reporting.WriteCallsJournal(u"lost"_s);
    }
    ASSERT_EQ(said.size(), 2) << said.join(u'\n').toStdString();
    EXPECT_EQ(said.at(0),
        u"cannot write the journal "_s + journal(u"12-10-2026_Sys.txt"_s) + u": the folder "_s + folder
            + u" does not exist; its entries are lost until it can be written (each entry tries again)."_s);
    EXPECT_TRUE(said.at(1).startsWith(u"cannot write the journal "_s + journal(u"12-10-2026_Calls.txt"_s)));
    EXPECT_FALSE(QFileInfo::exists(folder)) << "the installation makes the folder, not the writer";

    // Kept trying: the next entry lands once the folder is back.
    ASSERT_TRUE(QDir().mkpath(folder));
    reporting.WriteSysJournal(u"back"_s, 0, QString());
    EXPECT_TRUE(read(u"12-10-2026_Sys.txt"_s).contains("back"));

    // A file that stops taking entries after that is said again, once.
    said.clear();
    ASSERT_TRUE(QFile::remove(journal(u"12-10-2026_Sys.txt"_s)));
    ASSERT_TRUE(QDir().mkdir(journal(u"12-10-2026_Sys.txt"_s)));
    reporting.WriteSysJournal(u"lost"_s, 0, QString());
    reporting.WriteSysJournal(u"lost"_s, 0, QString());
    reporting.WriteCallsJournal(u"kept"_s);
    ASSERT_EQ(said.size(), 1) << said.join(u'\n').toStdString();
    EXPECT_TRUE(said.at(0).contains(u"12-10-2026_Sys.txt: it is not a file"_s)) << said.at(0).toStdString();
    EXPECT_TRUE(read(u"12-10-2026_Calls.txt"_s).contains("kept"));

    // Copies share what was said.
    const Journal copy = reporting;
    copy.WriteSysJournal(u"lost"_s, 0, QString());
    EXPECT_EQ(said.size(), 1);
}

TEST_F(JournalTest, EntriesAreAppendedUnderTheFilesLock)
{
    writer.WriteCallsJournal(u"first"_s);
    // A reader holding the lock sees a whole file; the lock is the shared one.
    EXPECT_TRUE(QFile::exists(SharedFileLock::lockPathFor(journal(u"12-10-2026_Calls.txt"_s))));
    writer.WriteCallsJournal(u"second"_s);
    EXPECT_EQ(read(u"12-10-2026_Calls.txt"_s), "09:30:05 : first\r\n09:30:05 : second\r\n");
}

TEST(JournalSwitchesTest, ReadFromTheLogSettingsAsNonZeroNumbers)
{
    TestEnvironment env;
    RegistryRoutines(RegistryRoutines::HKEY_LOCAL_MACHINE, QString(), QString())
        .CreateKey(u"SOFTWARE\\Brask\\Ringvale 1.1\\Properties\\TabLog"_s);
    const RegistryRoutines reg = RegistryRoutines::forProduct(u"Properties\\TabLog"_s);
    struct Case {
        const char16_t* value; // nullptr: missing
        bool on;
    };
    const Case cases[] = {
        {u"1", true},
        {u"2", true},
        {u"-1", true},
        {u" 1 ", true},
        {u"0", false},
        {u"", false},
        {nullptr, false},
        {u"yes", false},
        {u"1x", false},
    };
    for (const Case& c : cases) {
        for (const char16_t* name : {u"chkLogSys", u"chkLogCalls", u"chkLogWWW"}) {
            if (c.value)
                ASSERT_TRUE(reg.setString(QString::fromUtf16(name), QString::fromUtf16(c.value)));
            else
                static_cast<void>(reg.DeleteValue(QString::fromUtf16(name))); // missing already is fine
        }
        const JournalSwitches read = ReadJournalSwitches();
        const QString shown = c.value ? QString::fromUtf16(c.value) : u"(missing)"_s;
        EXPECT_EQ(read.sys, c.on) << shown.toStdString();
        EXPECT_EQ(read.calls, c.on) << shown.toStdString();
        EXPECT_EQ(read.www, c.on) << shown.toStdString();
    }
    // Each switch reads its own value.
    ASSERT_TRUE(reg.setString(u"chkLogSys"_s, u"0"_s));
    ASSERT_TRUE(reg.setString(u"chkLogCalls"_s, u"1"_s));
    ASSERT_TRUE(reg.setString(u"chkLogWWW"_s, u"0"_s));
    const JournalSwitches mixed = ReadJournalSwitches();
    EXPECT_FALSE(mixed.sys);
    EXPECT_TRUE(mixed.calls);
    EXPECT_FALSE(mixed.www);
}

TEST_F(JournalTest, DaysWebJournalStopsAtItsLimitWithOneLineSayingSo)
{
    const qint64 limit = 4096;
    writer.setWWWDayLimit(limit);
    const QString entry(100, u'w');
    for (int i = 0; i < 100; ++i)
        writer.WriteWWWJournal(entry);
    // Another writer (the service started again) does not say it twice.
    Journal again{{true, true, true}};
    again.setWWWDayLimit(limit);
    again.WriteWWWJournal(entry);
    // A short entry that would still fit is left out too: the day is closed.
    writer.WriteWWWJournal(u"x"_s);

    const QByteArray text = read(u"12-10-2026_WWW.txt"_s);
    EXPECT_LE(text.size(), limit);
    EXPECT_GT(text.size(), limit - 512) << "the limit, not far below it";
    const QByteArray stop = Journal::wwwStopText(limit).toUtf8();
    EXPECT_EQ(text.count(stop), 1);
    EXPECT_TRUE(text.endsWith(QByteArray("09:30:05 : " + stop + "\r\n"))) << text.right(200).toStdString();
    EXPECT_EQ(stop, "The web journal of this day has reached 4 KiB: its further entries are left out");

    // The other journals have no such limit, and the next day starts afresh.
    for (int i = 0; i < 100; ++i)
        writer.WriteCallsJournal(entry);
    EXPECT_GT(read(u"12-10-2026_Calls.txt"_s).size(), limit);
    clock.advance(24 * 3600 * 1000);
    writer.WriteWWWJournal(u"next day"_s);
    EXPECT_EQ(read(u"12-11-2026_WWW.txt"_s), "09:30:05 : next day\r\n");
}

} // namespace

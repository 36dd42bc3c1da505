#include "desktop/foundation/mdlJournals.h"

#include "common/RegistryRoutines.h"
#include "common/SharedFile.h"
#include "tests/desktop/foundation/ScriptedDialogs.h"
#include "tests/support/TestClock.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QSet>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class mdlJournalsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.installDefaults();
        ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Journal"_s));
    }

    QString path(const QString& name) const { return env.programFolder() + u"/Journal/"_s + name; }

    void write(const QString& name, const QByteArray& data = "12:00:00 : entry\r\n",
        const QDateTime& changed = {}) const
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
        ASSERT_TRUE(file.flush()); // a later flush would change the time again
        if (changed.isValid()) {
            ASSERT_TRUE(file.setFileTime(changed, QFileDevice::FileModificationTime));
        }
    }

    static void setLog(const QString& name, const QString& value)
    {
        ASSERT_TRUE(RegistryRoutines::forProduct(u"Properties\\TabLog"_s).setString(name, value));
    }

    static QStringList items(const QListWidget& list)
    {
        QStringList texts;
        for (int i = 0; i < list.count(); ++i)
            texts.append(list.item(i)->text());
        return texts;
    }

    TestEnvironment env;
    TestClock clock{QDateTime(QDate(2026, 3, 15), QTime(9, 0))};
};

TEST_F(mdlJournalsTest, EachKindListsItsFilesNewestFirstAndUndatedNamesLast)
{
    for (const char* name : {"03-14-2026_Sys.txt", "03-15-2026_Sys.txt", "03-15-2026_Calls.txt",
             "03-15-2026_WWW.txt", "3-9-2026_Sys.txt", "notes.log"})
        write(QString::fromLatin1(name));
    write(u".03-15-2026_Sys.txt.lock"_s, {});
    ASSERT_TRUE(QDir(path({})).mkdir(u"old_Sys.txt"_s));

    // Names of equal date come in an order of their own; each group is a set.
    struct Case {
        qint16 kind;
        QList<QSet<QString>> groups;
    };
    const QList<Case> cases = {
        {1, {{u"03-15-2026_Sys.txt"_s}, {u"03-14-2026_Sys.txt"_s}, {u"3-9-2026_Sys.txt"_s}}},
        {2, {{u"03-15-2026_Calls.txt"_s}}},
        {3, {{u"03-15-2026_WWW.txt"_s}}},
        {0,
            {{u"03-15-2026_Sys.txt"_s, u"03-15-2026_Calls.txt"_s, u"03-15-2026_WWW.txt"_s},
                {u"03-14-2026_Sys.txt"_s}, {u"3-9-2026_Sys.txt"_s}}},
        {7,
            {{u"03-15-2026_Sys.txt"_s, u"03-15-2026_Calls.txt"_s, u"03-15-2026_WWW.txt"_s},
                {u"03-14-2026_Sys.txt"_s}, {u"3-9-2026_Sys.txt"_s, u"notes.log"_s}}},
    };
    QListWidget list;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        list.addItem(u"left over"_s);
        FillJournalList(list, c.kind);
        QStringList listed = items(list);
        for (const QSet<QString>& group : c.groups) {
            const QStringList head = listed.mid(0, group.size());
            EXPECT_EQ(QSet<QString>(head.begin(), head.end()), group) << listed.join(u' ').toStdString();
            listed = listed.mid(group.size());
        }
        EXPECT_TRUE(listed.isEmpty()) << listed.join(u' ').toStdString();
        EXPECT_EQ(list.currentRow(), 0);
    }
}

TEST_F(mdlJournalsTest, AnEmptyOrMissingFolderSelectsNothing)
{
    QListWidget list;
    FillJournalList(list, 0);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.currentRow(), -1);
    ASSERT_TRUE(QDir(path({})).removeRecursively());
    FillJournalList(list, 0);
    EXPECT_EQ(list.count(), 0);
}

TEST_F(mdlJournalsTest, LoadingGivesOneItemPerLine)
{
    struct Case {
        const char* why;
        QByteArray data;
        QStringList lines;
    };
    const QList<Case> cases = {
        {"three CR LF lines", "a\r\nb\r\nc\r\n", {u"a"_s, u"b"_s, u"c"_s}},
        {"LF lines, the last unended", "a\nb", {u"a"_s, u"b"_s}},
        {"empty", "", {}},
        {"an empty line inside", "a\r\n\r\nb\r\n", {u"a"_s, QString(), u"b"_s}},
    };
    QListWidget list;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        write(u"03-15-2026_Sys.txt"_s, c.data);
        list.addItem(u"left over"_s);
        EXPECT_TRUE(LoadJournalFile(list, u"03-15-2026_Sys.txt"_s));
        EXPECT_EQ(items(list), c.lines);
    }
}

TEST_F(mdlJournalsTest, NamesThatAreNoPlainJournalNameAreRefused)
{
    write(u"03-15-2026_Sys.txt"_s);
    write(u".03-15-2026_Sys.txt.lock"_s, "x");
    QFile outside(env.programFolder() + u"/secret.txt"_s);
    ASSERT_TRUE(outside.open(QIODevice::WriteOnly));
    outside.write("secret\r\n");
    outside.close();
    ASSERT_TRUE(QFile::link(outside.fileName(), path(u"link.txt"_s)));

    QListWidget list;
    for (const QString& name : {QString(), u".."_s, u"../secret.txt"_s, u"..\\secret.txt"_s,
             u".03-15-2026_Sys.txt.lock"_s, u"03-15-2026_Sys.txt\n"_s, u"link.txt"_s, u"missing.txt"_s}) {
        SCOPED_TRACE(name.toStdString());
        list.addItem(u"left over"_s);
        EXPECT_FALSE(LoadJournalFile(list, name));
        EXPECT_EQ(list.count(), 0);
        if (name != u"link.txt") {
            EXPECT_FALSE(DeleteJournalFile(name));
        }
    }
    EXPECT_TRUE(QFile::exists(outside.fileName()));
    EXPECT_TRUE(QFile::exists(path(u".03-15-2026_Sys.txt.lock"_s)));
}

TEST_F(mdlJournalsTest, AJournalOverFourMiBShowsItsNewestLinesUpToTheBound)
{
    QByteArray data;
    const QByteArray line = QByteArray(90, 'x') + "\r\n";
    for (int i = 0; i < 60000; ++i) // about 5.5 MiB
        data += QByteArray::number(i).rightJustified(6, '0') + line;
    write(u"03-15-2026_Sys.txt"_s, data);
    const std::optional<QStringList> lines = ReadJournalLines(u"03-15-2026_Sys.txt"_s);
    ASSERT_TRUE(lines);
    ASSERT_GT(lines->size(), 2);
    EXPECT_EQ(lines->front(), u"(earlier lines of this journal are not shown)"_s);
    EXPECT_TRUE(lines->back().startsWith(u"059999"_s));
    EXPECT_EQ(lines->at(1).size(), 96); // starts on a whole line
    EXPECT_LE(qint64(lines->size() - 1) * 98, 4 * 1024 * 1024);
}

TEST_F(mdlJournalsTest, DeletingAJournalTakesItsLockFileWith)
{
    write(u"03-15-2026_Sys.txt"_s);
    write(u".03-15-2026_Sys.txt.lock"_s, {});
    write(u"03-15-2026_Calls.txt"_s);
    EXPECT_TRUE(DeleteJournalFile(u"03-15-2026_Sys.txt"_s));
    EXPECT_FALSE(QFile::exists(path(u"03-15-2026_Sys.txt"_s)));
    EXPECT_FALSE(QFile::exists(path(u".03-15-2026_Sys.txt.lock"_s)));
    EXPECT_TRUE(QFile::exists(path(u"03-15-2026_Calls.txt"_s)));
    EXPECT_FALSE(DeleteJournalFile(u"03-15-2026_Sys.txt"_s));
}

TEST_F(mdlJournalsTest, PurgeDeletesWhatWasLastChangedAtOrBeforeTheLimit)
{
    struct Case {
        const char* why;
        QDate today;
        qint32 months;
        QDateTime changed;
        bool deleted;
    };
    const QDate march15(2026, 3, 15);
    const QDate march31(2026, 3, 31);
    const QList<Case> cases = {
        {"a month and a day old", march15, -1, QDateTime(QDate(2026, 2, 14), QTime(23, 0)), true},
        {"the midnight starting the limit day", march15, -1, QDateTime(QDate(2026, 2, 15), QTime(0, 0)),
            true},
        {"later on the limit day", march15, -1, QDateTime(QDate(2026, 2, 15), QTime(8, 0)), false},
        {"31 March: the limit is the end of February", march31, -1,
            QDateTime(QDate(2026, 2, 28), QTime(0, 0)), true},
        {"31 March: after the limit", march31, -1, QDateTime(QDate(2026, 2, 28), QTime(0, 1)), false},
        {"three months", march15, -3, QDateTime(QDate(2025, 12, 15), QTime(0, 0)), true},
        {"three months, a day short", march15, -3, QDateTime(QDate(2025, 12, 16), QTime(0, 0)), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        clock.setNow(QDateTime(c.today, QTime(9, 0)));
        write(u"03-01-2026_Sys.txt"_s, "x", c.changed);
        PurgeOldJournals(c.months);
        EXPECT_EQ(QFile::exists(path(u"03-01-2026_Sys.txt"_s)), !c.deleted);
    }
}

TEST_F(mdlJournalsTest, PurgeKeepsLogDirAndTakesOldLockFilesAndOtherOldFiles)
{
    const QDateTime old(QDate(2025, 1, 1), QTime(12, 0));
    const QDateTime fresh(QDate(2026, 3, 15), QTime(8, 0));
    write(u"LogDir"_s, "x", old);
    write(u"notes.log"_s, "x", old);
    write(u"01-01-2025_Sys.txt"_s, "x", old);
    write(u".01-01-2025_Sys.txt.lock"_s, {}, fresh); // goes with its journal
    write(u".12-31-2024_WWW.txt.lock"_s, {}, old); // left by a journal deleted long ago
    write(u".03-15-2026_Sys.txt.lock"_s, {}, fresh);
    write(u".hidden"_s, "x", old);
    write(u"03-15-2026_Sys.txt"_s, "x", fresh);
    const QStringList deleted = PurgeOldJournals(-1);
    EXPECT_EQ(QSet<QString>(deleted.begin(), deleted.end()),
        (QSet<QString>{u"notes.log"_s, u"01-01-2025_Sys.txt"_s, u".12-31-2024_WWW.txt.lock"_s}));
    QStringList left = QDir(path({})).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    EXPECT_EQ(left,
        (QStringList{u".03-15-2026_Sys.txt.lock"_s, u".hidden"_s, u"03-15-2026_Sys.txt"_s, u"LogDir"_s}));
}

// The properties window stores its list position: "0" is 1 Month, "3"
// Forever!.
TEST_F(mdlJournalsTest, RetentionSettingGivesTheMonthsItsListItemNames)
{
    struct Case {
        std::optional<QString> stored; // nullopt: never written
        std::optional<qint32> months;
    };
    const QList<Case> cases = {
        {std::nullopt, std::nullopt},
        {u"0"_s, -1},
        {u"1"_s, -2},
        {u"2"_s, -3},
        {u"3"_s, std::nullopt},
        {QString(), std::nullopt},
        {u"-1"_s, std::nullopt},
        {u" 1"_s, std::nullopt},
        {u"x"_s, std::nullopt},
    };
    const QDateTime twoMonthsOld(QDate(2026, 1, 10), QTime(12, 0));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored.value_or(u"(missing)"_s).toStdString());
        if (c.stored)
            setLog(u"cmbLogFor"_s, *c.stored);
        write(u"01-10-2026_Sys.txt"_s, "x", twoMonthsOld);
        EXPECT_EQ(RetentionMonths(c.stored.value_or(QString())), c.months);
        EXPECT_EQ(RangeForLog(), c.months);
        // Two months old: 1 Month and 2 Months purge it, 3 Months and Forever! keep it.
        EXPECT_EQ(QFile::exists(path(u"01-10-2026_Sys.txt"_s)), !(c.months && *c.months >= -2));
    }
}

TEST_F(mdlJournalsTest, ViewerDeleteAsksWhenToldToAndANoKeepsTheJournal)
{
    write(u"03-15-2026_Sys.txt"_s);
    write(u"03-14-2026_Sys.txt"_s);
    ScriptedDialogs dialogs;
    QListWidget files;
    QListWidget content;
    content.addItem(u"shown"_s);

    setLog(u"chkWornBeforeDelete"_s, u"1"_s);
    FillJournalList(files, 1);
    dialogs.messageAnswers = {7};
    EXPECT_FALSE(DeleteSelectedJournal(files, content, 1, nullptr));
    ASSERT_EQ(dialogs.messageRequests.size(), 1);
    EXPECT_EQ(dialogs.messageRequests[0].text, u"Delete 03-15-2026_Sys.txt ?"_s);
    EXPECT_TRUE(dialogs.messageRequests[0].yesNo);
    EXPECT_TRUE(QFile::exists(path(u"03-15-2026_Sys.txt"_s)));

    dialogs.messageAnswers = {6};
    EXPECT_TRUE(DeleteSelectedJournal(files, content, 1, nullptr));
    EXPECT_FALSE(QFile::exists(path(u"03-15-2026_Sys.txt"_s)));
    EXPECT_EQ(items(files), QStringList{u"03-14-2026_Sys.txt"_s});
    EXPECT_EQ(content.count(), 0);

    setLog(u"chkWornBeforeDelete"_s, u"0"_s);
    EXPECT_TRUE(DeleteSelectedJournal(files, content, 1, nullptr));
    EXPECT_EQ(dialogs.messageRequests.size(), 2);
    EXPECT_EQ(files.count(), 0);
}

} // namespace

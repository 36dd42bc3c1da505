#include "common/JournalList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(JournalList_NameDate, ReadsTheFirstTenCharactersOrSortsLast)
{
    const QDate last(1899, 12, 30);
    struct Case {
        const char* name;
        QDate date;
    };
    const Case cases[] = {
        {"12-09-2025_Sys.txt", QDate(2025, 12, 9)},
        {"01-05-2010_WWW.txt", QDate(2010, 1, 5)},
        {"1-5-2010_Sys.txt", last}, // a short date: the underscore is among the ten
        {"02-30-2026_Sys.txt", last},
        {"LogDir", last},
        {"", last},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JournalList::journalNameDate(QString::fromLatin1(c.name)), c.date) << c.name;
}

TEST(JournalList_Sort, NewestFirstWithEqualDatesWhereTheExchangesLeaveThem)
{
    // Entries a, b, c arrive in this order; the results are the exchange
    // procedure's, which both readers must reproduce.
    const QDate older(2026, 1, 1);
    const QDate newer(2026, 2, 1);
    struct Case {
        QList<QDate> dates;
        QStringList sorted;
    };
    const Case cases[] = {
        {{older, older, newer}, {QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a")}},
        {{newer, newer, older}, {QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("c")}},
        {{newer, older, newer}, {QStringLiteral("a"), QStringLiteral("c"), QStringLiteral("b")}},
        {{older, newer, QDate(2026, 3, 1)}, {QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a")}},
    };
    for (const Case& c : cases) {
        QList<QDate> dates = c.dates;
        QStringList names{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
        JournalList::SortJournalsByDate(dates, names);
        EXPECT_EQ(names, c.sorted);
        for (qsizetype i = 1; i < dates.size(); ++i)
            EXPECT_GE(dates.at(i - 1), dates.at(i));
    }
}

TEST(JournalList_Folder, ListsMatchingFilesNewestFirstAndNothingElse)
{
    QTemporaryDir dir;
    for (const char* name : {"01-05-2026_Sys.txt", "12-09-2026_Sys.txt", "12-10-2026_Calls.txt",
             "12-10-2026_WWW.TXT", "notes.txt", ".hidden.txt", "LogDir"}) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("12-11-2026_Sys.txt")));

    EXPECT_EQ(JournalList::sortedJournalNames(dir.path(), QStringLiteral("*.txt")),
        (QStringList{QStringLiteral("12-10-2026_Calls.txt"), QStringLiteral("12-10-2026_WWW.TXT"),
            QStringLiteral("12-09-2026_Sys.txt"), QStringLiteral("01-05-2026_Sys.txt"),
            QStringLiteral("notes.txt")}));
    EXPECT_EQ(JournalList::sortedJournalNames(dir.path(), QStringLiteral("*_Sys.txt")),
        (QStringList{QStringLiteral("12-09-2026_Sys.txt"), QStringLiteral("01-05-2026_Sys.txt")}));
    EXPECT_TRUE(JournalList::sortedJournalNames(dir.path(), QString()).contains(QStringLiteral("LogDir")));
    EXPECT_TRUE(
        JournalList::sortedJournalNames(dir.filePath(QStringLiteral("missing")), QString()).isEmpty());
}

} // namespace

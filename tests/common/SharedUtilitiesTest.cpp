#include "common/SharedUtilities.h"
#include "tests/support/TestClock.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>

#include <gtest/gtest.h>

namespace {

TEST(SharedUtilities, MakeDateTimeStampFollowsEachProgramsRule)
{
    struct Case {
        QString date;
        QString time;
        bool dashes;
        QString desktop;
        QString service;
    };
    const Case cases[] = {
        {QStringLiteral("12/25/04"), QStringLiteral("10:30:05"), true, QStringLiteral("12-25-04_10-30-05"),
            QStringLiteral("12-25-04_10-30-05")},
        {QStringLiteral("12/10/2026"), QString(), true, QStringLiteral("12-10-2026"),
            QStringLiteral("12-10-2026")},
        {QStringLiteral("25/12/04"), QString(), true, QStringLiteral("25-12-04"), QStringLiteral("25-12-04")},
        {QStringLiteral("12/10/2026"), QStringLiteral("09:30:05"), false, QStringLiteral("12102026093005"),
            QStringLiteral("12102026093005")},
        // A date holding a colon keeps it in the service only.
        {QStringLiteral("2026:12:10"), QString(), true, QStringLiteral("2026-12-10"),
            QStringLiteral("2026:12:10")},
        {QStringLiteral("2026:12:10"), QString(), false, QStringLiteral("20261210"),
            QStringLiteral("2026:12:10")},
        // Other characters stay.
        {QStringLiteral("10.12.2026"), QStringLiteral("9:30:05 PM"), true,
            QStringLiteral("10.12.2026_9-30-05 PM"), QStringLiteral("10.12.2026_9-30-05 PM")},
        {QString(), QString(), true, QString(), QString()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MakeDateTimeStamp(c.date, c.time, c.dashes, StampRule::Desktop), c.desktop)
            << c.date.toStdString() << " " << c.time.toStdString();
        EXPECT_EQ(MakeDateTimeStamp(c.date, c.time, c.dashes, StampRule::Service), c.service)
            << c.date.toStdString() << " " << c.time.toStdString();
    }
}

TEST(SharedUtilities, EnsureDatedFoldersMakesTodaysFolderOnceAndSaysWhenItWasThere)
{
    TestEnvironment env;
    TestClock clock(QDateTime(QDate(2026, 3, 7), QTime(23, 59, 59)));
    const QString log = env.programFolder() + QStringLiteral("/Data/Log");
    ASSERT_TRUE(QDir().mkpath(log));

    EXPECT_EQ(EnsureDatedFolders(QStringLiteral("\\Data\\Log\\")), QString());
    EXPECT_TRUE(QFileInfo(log + QStringLiteral("/2026/03/07")).isDir());
    EXPECT_EQ(EnsureDatedFolders(QStringLiteral("\\Data\\Log\\")), u"07");

    clock.advance(1000); // the next day: only its day folder is new
    EXPECT_EQ(EnsureDatedFolders(QStringLiteral("\\Data\\Log\\")), QString());
    EXPECT_TRUE(QFileInfo(log + QStringLiteral("/2026/03/08")).isDir());
}

TEST(SharedUtilities, EnsureDatedFoldersGoesOnPastAFailingStep)
{
    TestEnvironment env;
    TestClock clock(QDateTime(QDate(2026, 3, 7), QTime(12, 0, 0)));
    const QString log = env.programFolder() + QStringLiteral("/Data/Log");
    ASSERT_TRUE(QDir().mkpath(log + QStringLiteral("/2026/03/07")));
    // The year is a file now: every step fails, nothing is thrown or made.
    ASSERT_TRUE(QDir(log + QStringLiteral("/2026")).removeRecursively());
    QFile blocker(log + QStringLiteral("/2026"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(EnsureDatedFolders(QStringLiteral("\\Data\\Log\\")), QString());
    EXPECT_EQ(EnsureDatedFolders(QStringLiteral("\\..\\outside\\")), QString());
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(env.programFolder()).path() + QStringLiteral("/outside")));
}

TEST(SharedUtilities, TruncateFileCutsExistingFilesOnly)
{
    TestEnvironment env;
    const QString path = env.programFolder() + QStringLiteral("/Data");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(467 * 3, 'x'));
    file.close();

    struct Case {
        qint64 length;
        bool result;
        qint64 size;
    };
    const Case cases[] = {
        {467 * 2, true, 467 * 2},
        {467 * 2, true, 467 * 2}, // already that long
        {0, true, 0},
        {-1, false, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TruncateFile(path, c.length), c.result) << c.length;
        EXPECT_EQ(QFileInfo(path).size(), c.size) << c.length;
    }
    const QString missing = env.programFolder() + QStringLiteral("/Contactes");
    EXPECT_FALSE(TruncateFile(missing, 0));
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_FALSE(TruncateFile(env.programFolder(), 0)); // a folder is no file to cut
}

TEST(SharedUtilities, WithoutLineBreaksKeepsOneLine)
{
    EXPECT_EQ(withoutLineBreaks(QStringLiteral("a\r\nb\rc\nd")), u"a b c d");
    EXPECT_EQ(withoutLineBreaks(QStringLiteral("\n\r")), u"  ");
    EXPECT_EQ(withoutLineBreaks(QStringLiteral("plain\ttext")), u"plain\ttext");
}

TEST(SharedUtilities, YesNo)
{
    EXPECT_EQ(YesNo(true), u"Yes");
    EXPECT_EQ(YesNo(false), u"No");
}

TEST(SharedUtilities, IsFormLoadedKnowsRegisteredFormsByExactName)
{
    EXPECT_FALSE(IsFormLoaded(QStringLiteral("frmLine")));
    {
        QObject frmLine;
        frmLine.setObjectName(QStringLiteral("frmLine"));
        QObject frmHTTP;
        frmHTTP.setObjectName(QStringLiteral("frmHTTP"));
        RegisterLoadedForm(&frmLine);
        RegisterLoadedForm(&frmHTTP);
        RegisterLoadedForm(&frmLine);
        EXPECT_TRUE(IsFormLoaded(QStringLiteral("frmLine")));
        EXPECT_FALSE(IsFormLoaded(QStringLiteral("frmline")));
        EXPECT_FALSE(IsFormLoaded(QStringLiteral("frmTTS")));
        UnregisterLoadedForm(&frmHTTP);
        EXPECT_FALSE(IsFormLoaded(QStringLiteral("frmHTTP")));
    }
    // Destroying a form unloads it.
    EXPECT_FALSE(IsFormLoaded(QStringLiteral("frmLine")));
}

} // namespace

#include "common/DataPaths.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

TEST(DataPaths, DayFolderHasFourDigitYearAndTwoDigitMonthAndDay)
{
    EXPECT_EQ(DataPaths::dayFolderOf(QDate(2026, 3, 4)), u"\\Data\\Log\\2026\\03\\04\\");
    EXPECT_EQ(DataPaths::dayFolderOf(QDate(999, 12, 31)), u"\\Data\\Log\\0999\\12\\31\\");
    EXPECT_EQ(DataPaths::dayFile(QStringLiteral("\\Data\\Log\\2026\\03\\04\\")),
        u"\\Data\\Log\\2026\\03\\04\\Data");
}

TEST(DataPaths, NativeStaysBelowTheProgramFolder)
{
    TestEnvironment env;
    const QString home = env.programFolder();
    const std::pair<const char*, QString> cases[] = {
        {"\\Data\\Last", home + QStringLiteral("/Data/Last")},
        {"\\Data\\Log\\2026\\03\\04\\", home + QStringLiteral("/Data/Log/2026/03/04/")},
        {"\\Data\\.\\Last", home + QStringLiteral("/Data/Last")},
        {"\\Data\\\\Last", home + QStringLiteral("/Data/Last")},
        {"\\Data\\..\\..\\etc\\x", QString()},
        {"\\Data\\..", QString()},
        {"C:\\x", QString()},
        {"\\\\server\\share", QString()},
        {"\\Data\\a\nb", QString()}, // control characters never name a file
        {"\\Data\\a\tb", QString()},
    };
    for (const auto& [stored, native] : cases)
        EXPECT_EQ(DataPaths::native(QString::fromLatin1(stored)), native) << stored;
}

} // namespace

#include "common/ProgramPath.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

const QString kHome = QStringLiteral("/opt/ringvale");

TEST(ProgramPath, TurnsStoredFormsIntoPathsBelowTheProgramFolder)
{
    struct Case {
        QString stored;
        QString native;
    };
    const Case cases[] = {
        {QStringLiteral("\\Data\\Log\\2026\\12\\10\\"), QStringLiteral("/opt/ringvale/Data/Log/2026/12/10/")},
        {QStringLiteral("\\Data\\Last"), QStringLiteral("/opt/ringvale/Data/Last")},
        {QStringLiteral("/Data/DialCalls"), QStringLiteral("/opt/ringvale/Data/DialCalls")},
        {QStringLiteral("Trans\\English.txt"), QStringLiteral("/opt/ringvale/Trans/English.txt")},
        {QStringLiteral("\\Data\\\\Log\\.\\x"), QStringLiteral("/opt/ringvale/Data/Log/x")},
        {QStringLiteral("\\Pics\\Zoë 電話.jpg"), QStringLiteral("/opt/ringvale/Pics/Zoë 電話.jpg")},
        {QStringLiteral("\\a..b\\...\\"),
            QStringLiteral("/opt/ringvale/a..b/.../")}, // dots inside a name are no step up
        {QStringLiteral("\\"), QStringLiteral("/opt/ringvale/")},
        {QString(), QStringLiteral("/opt/ringvale")},
    };
    for (const Case& c : cases) {
        const std::optional<QString> native = ProgramPath::toNative(c.stored, kHome);
        ASSERT_TRUE(native.has_value()) << c.stored.toStdString();
        EXPECT_EQ(*native, c.native) << c.stored.toStdString();
    }
}

TEST(ProgramPath, RefusesWhatWouldLeaveTheProgramFolderOrBeCutShort)
{
    const QString refused[] = {
        QStringLiteral("\\Data\\..\\..\\etc\\passwd"),
        QStringLiteral(".."),
        QStringLiteral("\\Data\\Log\\.."),
        QStringLiteral("/Data/../../x"),
        QStringLiteral("C:\\Windows\\win.ini"),
        QStringLiteral("c:relative"),
        QStringLiteral("\\\\server\\share\\file"),
        QStringLiteral("//host/file"),
        QStringLiteral("\\Data\\Last") + QChar(0) + QStringLiteral(".txt"),
    };
    for (const QString& stored : refused)
        EXPECT_FALSE(ProgramPath::toNative(stored, kHome).has_value()) << stored.toStdString();
}

TEST(ProgramPath, UsesTheProgramFolderOfTheEnvironment)
{
    TestEnvironment env;
    EXPECT_EQ(ProgramPath::toNative(u"\\Journal\\"), env.programFolder() + QStringLiteral("/Journal/"));
}

TEST(ProgramPath, DayFolderIsTheStoredFormOfTheDate)
{
    EXPECT_EQ(ProgramPath::dayFolder(QDate(2026, 12, 10)), u"\\Data\\Log\\2026\\12\\10\\");
    EXPECT_EQ(ProgramPath::dayFolder(QDate(2004, 5, 7)), u"\\Data\\Log\\2004\\05\\07\\");
}

} // namespace

#include "platform/SettingsStoreCheck.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using State = SettingsStoreCheck::Result::State;

QByteArray shippedStore()
{
    TestEnvironment env;
    env.installShippedDefaults();
    QFile file(env.registryFolder() + u"/HKEY_LOCAL_MACHINE.ini"_s);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(SettingsStoreCheck, TellsAStoreTheProgramsCannotUseFromOneTheyCan)
{
    const QByteArray shipped = shippedStore();
    ASSERT_TRUE(shipped.contains("[SOFTWARE\\Brask\\Ringvale 1.1"));
    const struct {
        const char* name;
        std::optional<QByteArray> content; // nothing: no file
        bool folder;
        State state;
        QString says;
    } rows[] = {
        {"no store", std::nullopt, false, State::Missing, u"no settings store at "_s},
        {"empty", QByteArray(), false, State::NoProductKey,
            u"holds no key HKLM\\SOFTWARE\\Brask\\Ringvale 1.1"_s},
        {"garbage", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR garbage", 23), false, State::NoProductKey,
            u"(empty or damaged)"_s},
        {"cut short in its first line", shipped.left(12), false, State::NoProductKey, u"holds no key"_s},
        {"another product's keys only", "[SOFTWARE\\Other]\nA=sz:1\n", false, State::NoProductKey,
            u"holds no key"_s},
        {"a folder", std::nullopt, true, State::Unreadable, u"cannot read the settings store "_s},
        {"the shipped defaults", shipped, false, State::Ok, QString()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TestEnvironment env;
        const QString path = env.registryFolder() + u"/HKEY_LOCAL_MACHINE.ini"_s;
        if (row.folder) {
            ASSERT_TRUE(QDir().mkdir(path));
        }
        if (row.content) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(*row.content);
        }
        const SettingsStoreCheck::Result result = SettingsStoreCheck::check();
        EXPECT_EQ(result.state, row.state);
        EXPECT_EQ(result.usable(), row.state == State::Ok);
        EXPECT_EQ(result.file, path);
        if (row.state == State::Ok) {
            EXPECT_TRUE(result.problem.isEmpty()) << result.problem.toStdString();
            continue;
        }
        // Where, what, and what to run; one line.
        EXPECT_TRUE(result.problem.contains(row.says)) << result.problem.toStdString();
        EXPECT_TRUE(result.problem.contains(path)) << result.problem.toStdString();
        EXPECT_TRUE(result.problem.contains(u"`make run`"_s));
        EXPECT_TRUE(result.problem.contains(u"`ringvale-reg import data/Defaults.reg`"_s));
        EXPECT_FALSE(result.problem.contains(u'\n'));
    }
}

// A copy cut in its last value still runs, but the value may be wrong: said once.
TEST(SettingsStoreCheck, StoreCutShortAfterTheProductKeyIsUsableWithAWarning)
{
    TestEnvironment env;
    env.installShippedDefaults();
    const QString path = env.registryFolder() + u"/HKEY_LOCAL_MACHINE.ini"_s;
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray shipped = file.readAll();
    file.close();
    EXPECT_TRUE(SettingsStoreCheck::check().warning.isEmpty());

    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(shipped.left(shipped.size() - 3) + "\x01");
    file.close();
    const SettingsStoreCheck::Result result = SettingsStoreCheck::check();
    EXPECT_TRUE(result.usable());
    EXPECT_TRUE(result.warning.contains(u"ends in the middle of a line"_s)) << result.warning.toStdString();
    EXPECT_TRUE(result.warning.contains(path));
    EXPECT_FALSE(result.warning.contains(u'\x01'));
}

#include "common/CallStore.h"
#include "common/ContactFile.h"
#include "common/ContactRecord.h"
#include "common/DataPaths.h"
#include "common/RecordFile.h"
#include "common/RegistryRoutines.h"
#include "common/SharedFile.h"
#include "tests/support/CallDays.h"
#include "tests/support/FullDisk.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"
#include "tests/tools/ToolRun.h"

#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QProcess>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Every file below folder by its path, the filler and lock files left out:
// what a failed write must leave exactly as it was, temporaries included.
QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = it.fileName();
        if (name == u".filler" || name.endsWith(u".lock"))
            continue;
        QFile file(path);
        files.insert(path, file.open(QIODevice::ReadOnly) ? file.readAll() : "unreadable"_ba);
    }
    return files;
}

ContactRecord contact(const QString& name)
{
    ContactRecord record;
    record.ContactName = name;
    record.CallerNumber = u"5550100"_s;
    return record;
}

class FullDiskWritesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!home.isMounted() || !registry.isMounted())
            return;
        env.installDefaults();
        QList<CallRecord> calls;
        for (int i = 1; i <= 12; ++i)
            calls << storedCall(u"Caller %1"_s.arg(i), u"555%1"_s.arg(i, 4, 10, QChar(u'0')), u"10:00:00"_s);
        writeDay(kDay, calls);
        writeLast({u"5:"_s + kDay, u"4:"_s + kDay, u"3:"_s + kDay, u"2:"_s + kDay, u"1:"_s + kDay});
        const RecordFile contacts(ContactFile::path(), ContactRecord::Size);
        for (const QString& name : {u"Ann"_s, u"Bob"_s, u"Carol"_s})
            ASSERT_GT(contacts.append(contact(name).toBytes()), 0);
    }

    ToolRun run(const QString& tool, const QStringList& args)
    {
        QProcess process;
        process.setProcessEnvironment(env.processEnvironment());
        process.start(TestEnvironment::binary(tool), args);
        if (!process.waitForFinished(testTimeout(20000)))
            process.kill();
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
    }

    TestEnvironment env;
    // Declared after env: unmounted before its folders go.
    FullDisk home{env.programFolder(), 2 * 1024 * 1024};
    FullDisk registry{env.registryFolder(), 1024 * 1024};
};

// Each whole-file replace on a full disk: it reports the failure with its
// reason, the old file stays byte for byte and no temporary is left; once
// space is freed the same change goes through.
TEST_F(FullDiskWritesTest, AFailedReplaceKeepsTheOldFileAndSaysWhy)
{
    REQUIRE_FULL_DISK(home);
    REQUIRE_FULL_DISK(registry);
    const QString key = u"HKLM\\"_s + RegistryRoutines::productKey() + u"\\Properties\\TabGeneral"_s;
    struct Row {
        const char* name;
        // Done, and the failure text when not.
        std::function<std::pair<bool, QString>()> change;
        // A file the change may write all the same (a call stored whose list line is not).
        QString mayChange = {};
    };
    const auto tool = [this](const QString& name, const QStringList& args) {
        const ToolRun result = run(name, args);
        return std::pair{result.exitCode == 0, result.err};
    };
    const auto inProcess = [](bool done) { return std::pair{done, SharedFile::lastWriteFailure()}; };
    const Row rows[] = {
        {"ringvale-reg set",
            [&] {
                return tool(u"ringvale-reg"_s, {u"set"_s, key, u"ChkRunAsProc"_s, u"1"_s});
            }},
        {"ringvale-calls delete",
            [&] {
                return tool(u"ringvale-calls"_s, {u"delete"_s, kDay, u"1"_s});
            }},
        {"ringvale-calls note",
            [&] {
                return tool(u"ringvale-calls"_s, {u"note"_s, kDay, u"2"_s, u"call back"_s});
            }},
        {"contact saved",
            [&] {
                return inProcess(RecordFile(ContactFile::path(), ContactRecord::Size)
                                     .replace(2, contact(u"Bobby"_s).toBytes()));
            }},
        {"Data/Last after a call",
            [&] {
                return inProcess(
                    AddCallRecord(storedCall(u"New"_s, u"5559999"_s, u"11:00:00"_s), kDay, false, 30));
            },
            QDir::cleanPath(DataPaths::native(DataPaths::dayFile(kDay)))},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(home.fill());
        ASSERT_TRUE(registry.fill());
        QMap<QString, QByteArray> before = snapshot(home.folder());
        before.insert(snapshot(registry.folder()));
        const auto [done, said] = row.change();
        QMap<QString, QByteArray> after = snapshot(home.folder());
        after.insert(snapshot(registry.folder()));
        if (!row.mayChange.isEmpty()) {
            before.remove(row.mayChange);
            after.remove(row.mayChange);
        }
        EXPECT_FALSE(done);
        EXPECT_TRUE(said.contains(u"No space left on device"_s)) << said.toStdString();
        EXPECT_EQ(after.keys(), before.keys()) << "a temporary left behind, or a file gone";
        EXPECT_TRUE(after == before) << "a file changed";

        home.free();
        registry.free();
        EXPECT_TRUE(row.change().first) << "with space the same change goes through";
    }
}

} // namespace

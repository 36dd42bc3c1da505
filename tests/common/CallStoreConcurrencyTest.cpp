#include "common/CallStore.h"
#include "common/DataPaths.h"
#include "common/LastList.h"
#include "common/RecordFile.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QHash>
#include <QProcess>
#include <QSet>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Two programs store calls in the same day file and rewrite Data/Last at the
// same moments: every call must land once in the file and once in the list,
// and each writer's calls must stay newest first.
TEST(CallStore_TwoProcesses, AppendingAndRewritingTheListAtOnceLosesNothing)
{
    TestEnvironment env;
    const QString day = QStringLiteral("\\Data\\Log\\2026\\12\\10\\");
    constexpr int kCalls = 150;
    const QStringList tags{QStringLiteral("first"), QStringLiteral("second")};

    std::vector<std::unique_ptr<QProcess>> writers;
    for (const QString& tag : tags) {
        auto writer = std::make_unique<QProcess>();
        writer->setProcessEnvironment(env.processEnvironment());
        writer->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        writer->start(QStringLiteral(RINGVALE_CALLWRITER),
            {tag, QString::number(kCalls), day, QStringLiteral("100000")});
        writers.push_back(std::move(writer));
    }
    for (auto& writer : writers) {
        ASSERT_TRUE(writer->waitForFinished(testTimeout(30000)));
        ASSERT_EQ(writer->exitStatus(), QProcess::NormalExit);
        ASSERT_EQ(writer->exitCode(), 0);
    }

    const RecordFile dayFile(DataPaths::native(DataPaths::dayFile(day)), CallRecord::Size);
    ASSERT_EQ(dayFile.count(), 2 * kCalls);
    QHash<qint32, QString> callAt; // record number -> "tag:i"
    QSet<QString> stored;
    for (qint32 n = 1; n <= dayFile.count(); ++n) {
        const CallRecord record = CallRecord::fromBytes(*dayFile.read(n));
        const QString id = FixedRecord::trimBlanks(record.CallerName) + u':'
            + FixedRecord::trimBlanks(record.CallerNumber);
        callAt.insert(n, id);
        stored.insert(id);
    }
    EXPECT_EQ(stored.size(), 2 * kCalls) << "a call was lost or overwritten";

    const QStringList lines = LastList::readLines(DataPaths::native(DataPaths::lastList())).value();
    ASSERT_EQ(lines.size(), 2 * kCalls) << "a rewrite of Data/Last undid the other's line";
    QSet<qint32> listed;
    QHash<QString, int> lastSeen{{tags[0], kCalls + 1}, {tags[1], kCalls + 1}};
    for (const QString& line : lines) {
        const auto entry = LastList::parseLine(line);
        ASSERT_TRUE(entry) << line.toStdString();
        EXPECT_EQ(entry->dayFolder, day);
        listed.insert(entry->recordNumber);
        // The line names the record its writer stored, newest first.
        const QStringList id = callAt.value(entry->recordNumber).split(u':');
        ASSERT_EQ(id.size(), 2) << line.toStdString();
        const int i = id[1].toInt();
        EXPECT_LT(i, lastSeen[id[0]]) << line.toStdString();
        lastSeen[id[0]] = i;
    }
    EXPECT_EQ(listed.size(), 2 * kCalls);
}

} // namespace

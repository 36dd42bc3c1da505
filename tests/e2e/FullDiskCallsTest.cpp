#include "common/DataPaths.h"
#include "tests/e2e/LiveLine.h"
#include "tests/support/CallDays.h"
#include "tests/support/FullDisk.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QFileInfo>

#include <csignal>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

using FullDiskCalls = LiveLine;

QStringList fastCall(int n)
{
    return {u"call"_s, u"--number"_s, u"55500%1"_s.arg(n, 2, 10, QChar(u'0')), u"--name"_s,
        u"Caller %1"_s.arg(n), u"--rings"_s, u"1"_s, u"--fast"_s};
}

qsizetype countContaining(const QStringList& texts, const QString& part)
{
    return std::count_if(
        texts.cbegin(), texts.cend(), [&](const QString& text) { return text.contains(part); });
}

// Calls that end while the program folder's disk is full are kept by the
// service and stored, in order and once each, when space comes back; the
// failure is said once on standard error and once to the desktop.
TEST_F(FullDiskCalls, CallsPlacedWhileTheDiskIsFullAreStoredInOrderOnceSpaceIsFreed)
{
    const QString data = env.programFolder() + u"/Data"_s;
    ASSERT_TRUE(QDir().mkpath(data));
    FullDisk disk(data, 256 * 1024);
    REQUIRE_FULL_DISK(disk);
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_TRUE(disk.fill());
    constexpr int kCalls = 8;
    for (int n = 1; n <= kCalls; ++n) {
        const ToolRun call = line(fastCall(n));
        ASSERT_EQ(call.exitCode, 0) << call.err.toStdString();
        ASSERT_TRUE(waitForIdles(n));
    }
    EXPECT_EQ(recordCount(), 0);

    disk.free();
    ASSERT_TRUE(waitUntil([&] { return last().size() == kCalls; }, 5000)) << last().size();
    ASSERT_EQ(recordCount(), kCalls);
    QStringList expectedList;
    for (int n = 1; n <= kCalls; ++n) {
        EXPECT_EQ(trimmed(record(n)->CallerName), u"Caller %1"_s.arg(n));
        expectedList.prepend(lastEntryOf(n));
    }
    EXPECT_EQ(last(), expectedList);
    EXPECT_EQ(countContaining(events, u"A call cannot be stored"_s), 1);
    EXPECT_TRUE(waitUntil([&] { return countContaining(events, u"are stored now"_s) == 1; }));

    svc->signal(SIGTERM);
    ASSERT_TRUE(svc->waitForExit(testTimeout(5000)).has_value());
    const QString said = QString::fromUtf8(svc->userStderr());
    EXPECT_EQ(said.count(u"A call cannot be stored"_s), 1) << said.toStdString();
    EXPECT_TRUE(said.contains(u"No space left on device"_s)) << said.toStdString();
}

// A kill while calls wait loses at most those calls: no torn or doubled
// record, and the next run stores its calls after the ones stored before.
// Eight records fill a page but for less than a record, so the ninth is cut
// short by the full disk.
TEST_F(FullDiskCalls, AKillWhileCallsWaitLeavesNoTornOrDoubledRecord)
{
    const QString data = env.programFolder() + u"/Data"_s;
    ASSERT_TRUE(QDir().mkpath(data));
    FullDisk disk(data, 256 * 1024);
    REQUIRE_FULL_DISK(disk);
    QList<CallRecord> before;
    QStringList listed;
    for (int n = 1; n <= 8; ++n) {
        before << storedCall(u"Before %1"_s.arg(n), u"555%1"_s.arg(n), u"08:00:00"_s, today());
        listed.prepend(u"%1:"_s.arg(n) + todaysFolder());
    }
    writeDay(todaysFolder(), before);
    writeLast(listed);
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_TRUE(disk.fill());
    for (int n = 1; n <= 3; ++n) {
        ASSERT_EQ(line(fastCall(n)).exitCode, 0);
        ASSERT_TRUE(waitForIdles(n));
    }
    svc->signal(SIGKILL);
    ASSERT_TRUE(waitUntil([&] { return !svc->isRunning(); }));
    disk.free();
    const QString dayFile = DataPaths::native(DataPaths::dayFile(todaysFolder()));
    EXPECT_EQ(QFileInfo(dayFile).size(), 8 * CallRecord::Size) << "no torn tail";

    events.clear();
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_EQ(line(fastCall(4)).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return recordCount() == 9 && last().size() == 9; })) << recordCount();
    EXPECT_EQ(QFileInfo(dayFile).size(), 9 * CallRecord::Size);
    EXPECT_EQ(trimmed(record(8)->CallerName), u"Before 8"_s);
    EXPECT_EQ(trimmed(record(9)->CallerName), u"Caller 4"_s);
    EXPECT_EQ(last().first(), lastEntryOf(9));
    EXPECT_EQ(last().mid(1), listed);
}

} // namespace

namespace {

using PrivateFiles = LiveLine;

// Who called is nobody else's business: what the service creates for a call
// (day folders, day file, Data/Last, journals) and the settings store are
// the user's alone.
TEST_F(PrivateFiles, WhatTheServiceCreatesIsTheUsersAlone)
{
    const mode_t oldMask = ::umask(022); // the usual mask, which alone would give 0644 and 0755
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_EQ(line(fastCall(1)).exitCode, 0);
    ASSERT_TRUE(waitForIdles());
    ASSERT_TRUE(waitUntil([&] { return last().size() == 1; }));
    ::umask(oldMask);

    const QString day = DataPaths::native(todaysFolder());
    QStringList files{
        DataPaths::native(DataPaths::dayFile(todaysFolder())), DataPaths::native(DataPaths::lastList())};
    for (const QFileInfo& journal : QDir(env.programFolder() + u"/Journal"_s).entryInfoList(QDir::Files))
        files << journal.filePath();
    ASSERT_GE(files.size(), 3) << "a journal was written";
    files << QDir(env.registryFolder()).entryInfoList({u"*.ini"_s}, QDir::Files).value(0).filePath();
    for (const QString& file : std::as_const(files)) {
        struct stat info { };
        ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &info), 0) << file.toStdString();
        EXPECT_EQ(info.st_mode & 07777, 0600u) << file.toStdString();
    }
    for (QString folder = QDir::cleanPath(day); folder != QDir::cleanPath(env.programFolder());
         folder = QFileInfo(folder).path()) {
        struct stat info { };
        ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &info), 0) << folder.toStdString();
        EXPECT_EQ(info.st_mode & 07777, 0700u) << folder.toStdString();
    }
}

} // namespace

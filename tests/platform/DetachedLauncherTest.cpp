#include "platform/DetachedLauncher.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/RecordedLaunch.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Sets an environment variable for one test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : m_name(name)
        , m_had(qEnvironmentVariableIsSet(name))
        , m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

struct ProcessState {
    char state;
    qint64 parent;
};

// From /proc/PID/stat; nothing once the process is gone.
std::optional<ProcessState> processState(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray text = stat.readAll();
    // "pid (comm) S ppid ...": the name may hold blanks, so read after its ')'.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 2 || fields.at(0).isEmpty())
        return std::nullopt;
    return ProcessState{fields.at(0).at(0), fields.at(1).toLongLong()};
}

class DetachedLauncherTest : public ::testing::Test {
protected:
    QString recordPath() const { return m_dir.filePath(QStringLiteral("record.txt")); }

    // Starts the recorder and waits for what it wrote.
    std::optional<RecordedLaunch> launch(const QStringList& arguments, WindowStyle style)
    {
        const LaunchResult result = m_launcher.Start(argsRecorderPath(), arguments, style);
        EXPECT_TRUE(result.started()) << result.errorNumber << ' ' << result.errorText.toStdString();
        if (!result.started())
            return std::nullopt;
        std::optional<RecordedLaunch> record;
        waitUntil([&] { return (record = readRecordedLaunch(recordPath())).has_value(); }, 10000);
        return record;
    }

    QTemporaryDir m_dir;
    ScopedEnv m_out{"ARGS_RECORDER_OUT", QFile::encodeName(recordPath())};
    DetachedLauncher m_launcher;
};

TEST_F(DetachedLauncherTest, EveryArgumentArrivesWholeAndUnread)
{
    const QStringList arguments{QStringLiteral("plain"), QStringLiteral("two words"),
        QStringLiteral("x; rm -rf ~"), QStringLiteral("$(touch pwned)"), QStringLiteral("`id`"), QString(),
        QStringLiteral("\"quoted\""), QStringLiteral("\xc5\x81ukasz \xc5\xbb\xc3\xb3\xc5\x82\xc4\x87"),
        QStringLiteral("line\nbreak"), QStringLiteral("*"), QStringLiteral("5 5 5 1 2 3 4 ")};
    const std::optional<RecordedLaunch> record = launch(arguments, WindowStyle::Shown);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->arguments, arguments);
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("pwned")));
}

TEST_F(DetachedLauncherTest, RunsOnItsOwnWithNullStreamsAndNoInheritedDescriptors)
{
    // A descriptor the caller left inheritable (a lock, a socket) must not
    // reach the program.
    const int leaked = ::open("/dev/zero", O_RDONLY);
    ASSERT_GE(leaked, 0);
    const QString hold = m_dir.filePath(QStringLiteral("go"));
    ScopedEnv holdEnv("ARGS_RECORDER_HOLD", QFile::encodeName(hold));

    const std::optional<RecordedLaunch> record = launch({}, WindowStyle::Shown);
    ::close(leaked);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->sid, record->pid) << "a session of its own";
    EXPECT_EQ(record->standardInput, QStringLiteral("/dev/null"));
    EXPECT_EQ(record->standardOutput, QStringLiteral("/dev/null"));
    EXPECT_EQ(record->descriptors, (QList<int>{0, 1, 2}));

    // Start came back while the program still runs, and it is not our child,
    // so it never lingers as a zombie of ours.
    const std::optional<ProcessState> running = processState(record->pid);
    ASSERT_TRUE(running);
    EXPECT_NE(running->state, 'Z');
    EXPECT_NE(running->parent, qint64(::getpid()));
    QFile go(hold);
    ASSERT_TRUE(go.open(QIODevice::WriteOnly));
    go.close();
    EXPECT_TRUE(waitUntil(
        [&] {
            const std::optional<ProcessState> now = processState(record->pid);
            return !now || now->state == 'Z';
        },
        10000));
}

struct StyleCase {
    const char* name;
    WindowStyle style;
    bool displayKept;
};

class LauncherWindowStyleTest : public DetachedLauncherTest,
                                public ::testing::WithParamInterface<StyleCase> { };

TEST_P(LauncherWindowStyleTest, DisplayVariablesFollowTheWindowStyle)
{
    ScopedEnv display("DISPLAY", ":99");
    ScopedEnv wayland("WAYLAND_DISPLAY", "wayland-9");
    ScopedEnv other("RINGVALE_LAUNCH_MARK", "kept");
    const std::optional<RecordedLaunch> record = launch({}, GetParam().style);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->environment.contains(QStringLiteral("DISPLAY")), GetParam().displayKept);
    EXPECT_EQ(record->environment.contains(QStringLiteral("WAYLAND_DISPLAY")), GetParam().displayKept);
    EXPECT_EQ(record->environment.value(QStringLiteral("RINGVALE_LAUNCH_MARK")), QStringLiteral("kept"));
    if (GetParam().displayKept) {
        EXPECT_EQ(record->environment.value(QStringLiteral("DISPLAY")), QStringLiteral(":99"));
    }
}

INSTANTIATE_TEST_SUITE_P(Styles, LauncherWindowStyleTest,
    ::testing::Values(
        StyleCase{"shown", WindowStyle::Shown, true}, StyleCase{"hidden", WindowStyle::Hidden, false}),
    [](const ::testing::TestParamInfo<StyleCase>& info) { return std::string(info.param.name); });

TEST_F(DetachedLauncherTest, FindsAProgramByNameInPath)
{
    const QString folder = QFileInfo(argsRecorderPath()).absolutePath();
    ScopedEnv path("PATH", QFile::encodeName(m_dir.path() + u':' + folder));
    const LaunchResult result
        = m_launcher.Start(QStringLiteral("args-recorder"), {QStringLiteral("x")}, WindowStyle::Hidden);
    ASSERT_TRUE(result.started()) << result.errorText.toStdString();
    std::optional<RecordedLaunch> record;
    ASSERT_TRUE(waitUntil([&] { return (record = readRecordedLaunch(recordPath())).has_value(); }, 10000));
    EXPECT_EQ(record->arguments, QStringList{QStringLiteral("x")});
}

struct FailureCase {
    const char* name;
    QString program; // "%1" is the test's folder
    int errorNumber;
    const char* errorText;
};

class LauncherFailureTest : public DetachedLauncherTest,
                            public ::testing::WithParamInterface<FailureCase> { };

TEST_P(LauncherFailureTest, GivesTheSystemsErrorNumberAndText)
{
    QFile plain(m_dir.filePath(QStringLiteral("not-executable")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("#!/bin/sh\n");
    plain.close();
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("folder")));
    // Only the test's folder on PATH: a name is looked up there alone.
    ScopedEnv path("PATH", QFile::encodeName(m_dir.path()));

    const QString program
        = GetParam().program.contains(u"%1") ? GetParam().program.arg(m_dir.path()) : GetParam().program;
    const LaunchResult result = m_launcher.Start(program, {QStringLiteral("a")}, WindowStyle::Hidden);
    EXPECT_FALSE(result.started());
    EXPECT_EQ(result.errorNumber, GetParam().errorNumber);
    EXPECT_EQ(result.errorText, QString::fromUtf8(GetParam().errorText));
}

INSTANTIATE_TEST_SUITE_P(Failures, LauncherFailureTest,
    ::testing::Values(FailureCase{"empty_program", QString(), ENOENT, "No such file or directory"},
        FailureCase{"missing_path", QStringLiteral("%1/missing"), ENOENT, "No such file or directory"},
        FailureCase{
            "name_not_in_path", QStringLiteral("no-such-program"), ENOENT, "No such file or directory"},
        FailureCase{"not_executable", QStringLiteral("%1/not-executable"), EACCES, "Permission denied"},
        FailureCase{
            "not_executable_found_in_path", QStringLiteral("not-executable"), EACCES, "Permission denied"},
        FailureCase{"a_folder", QStringLiteral("%1/folder"), EACCES, "Permission denied"},
        FailureCase{"below_a_file", QStringLiteral("%1/not-executable/x"), ENOTDIR, "Not a directory"}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

} // namespace

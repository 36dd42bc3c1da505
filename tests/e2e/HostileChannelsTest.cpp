// The real service under local programs that abuse its channels: thousands
// of held connections, texts of hundreds of megabytes. The line keeps
// storing calls and the channels stay bound.
#include "common/AppPaths.h"
#include "tests/e2e/LiveLine.h"
#include "tests/support/RawSocket.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <cstring>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using HostileChannels = LiveLine;

int openDescriptors(qint64 pid)
{
    return int(QDir(u"/proc/%1/fd"_s.arg(pid)).entryList(QDir::System | QDir::NoDotAndDotDot).size());
}

// A line of /proc/PID/status in kB ("VmRSS", "VmHWM").
qint64 statusKb(qint64 pid, const QByteArray& key)
{
    QFile file(u"/proc/%1/status"_s.arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith(key) && line.mid(key.size()).startsWith(':'))
            return line.mid(key.size() + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// The service's channel sockets (their file names carry its process id).
QStringList channelSockets(qint64 pid)
{
    QStringList paths;
    const QDir folder(AppPaths::runtimeFolder());
    for (const QString& name : folder.entryList(QDir::System | QDir::NoDotAndDotDot)) {
        const QStringList parts = name.split(u'_');
        if (parts.size() == 4 && parts.at(0) == u"chan" && parts.at(2) == QString::number(pid))
            paths.append(folder.filePath(name));
    }
    return paths;
}

struct Held {
    QList<int> fds;
    ~Held() { closeAll(); }
    void closeAll()
    {
        for (const int fd : std::as_const(fds))
            ::close(fd);
        fds.clear();
    }
    qsizetype alive() const
    {
        return std::count_if(fds.begin(), fds.end(), [](int fd) { return !RawSocket::closedByPeer(fd); });
    }
};

} // namespace

// The service's descriptors are lowered so that a few thousand connections do
// what 20,100 did at the usual limit. Each channel keeps at most 64 senders
// and leaves a reserve free: a call placed meanwhile is stored, and 305 still
// answers once the connections are gone.
TEST_F(HostileChannels, HeldConnectionsNeitherLoseACallNorUnbindAChannel)
{
    ASSERT_NO_FATAL_FAILURE(start());
    const qint64 pid = svc->processId();
    const int used = openDescriptors(pid);
    const rlimit lowered{rlim_t(used + 150), rlim_t(used + 150)};
    ASSERT_EQ(::prlimit(pid_t(pid), RLIMIT_NOFILE, &lowered, nullptr), 0);
    const QStringList sockets = channelSockets(pid);
    ASSERT_GE(sockets.size(), 2) << sockets.join(u' ').toStdString();

    Held held;
    for (int round = 0; round < 400; ++round) {
        for (const QString& path : sockets) {
            if (const int fd = RawSocket::connectTo(path); fd >= 0)
                held.fds.append(fd);
        }
        QCoreApplication::processEvents();
    }
    // Every connection beyond what the service keeps is closed.
    ASSERT_TRUE(waitUntil([&] { return held.alive() <= sockets.size() * 64; }, 10000)) << held.alive();
    EXPECT_LT(openDescriptors(pid), int(lowered.rlim_cur));

    const ToolRun call = line({u"call"_s, u"--number"_s, u"5551234"_s, u"--name"_s, u"Ann Lee"_s,
        u"--rings"_s, u"2"_s, u"--fast"_s});
    ASSERT_EQ(call.exitCode, 0) << call.err.toStdString();
    ASSERT_TRUE(waitForIdles());
    ASSERT_EQ(recordCount(), 1);
    EXPECT_EQ(trimmed(record(1)->CallerNumber), u"5551234"_s);
    EXPECT_EQ(callsJournal(), QStringList{u"Caller Name : Ann Lee     Caller Number : 5551234"_s});

    held.closeAll();
    // Until the service has seen those closes it still lacks the descriptors
    // to take a new connection and closes it at once: UNLOAD would be lost.
    ASSERT_TRUE(waitUntil([&] { return openDescriptors(pid) <= used + 32; }, 10000)) << openDescriptors(pid);
    // 305 answers: UNLOAD ends the service normally.
    unload();
}

// A text that claims 200 MB, and twenty that claim 10 MB, end their senders at
// the header: the service's memory hardly moves.
TEST_F(HostileChannels, HugeTextsDoNotGrowTheService)
{
    ASSERT_NO_FATAL_FAILURE(start());
    const qint64 pid = svc->processId();
    const qint64 before = statusKb(pid, "VmRSS");
    ASSERT_GT(before, 0);
    const QStringList sockets = channelSockets(pid);
    const auto proc = std::find_if(sockets.begin(), sockets.end(),
        [](const QString& path) { return QFileInfo(path).fileName().startsWith(u"chan_305_"_s); });
    ASSERT_NE(proc, sockets.end());

    Held held;
    for (int i = 0; i < 20; ++i) {
        held.fds.append(RawSocket::connectTo(*proc));
        ASSERT_GE(held.fds.last(), 0);
        RawSocket::sendClaiming(held.fds.last(), 10 * 1000 * 1000, 2 * 1024 * 1024);
    }
    held.fds.append(RawSocket::connectTo(*proc));
    ASSERT_GE(held.fds.last(), 0);
    EXPECT_LT(
        RawSocket::sendClaiming(held.fds.last(), 200 * 1000 * 1000, 200 * 1000 * 1000), 200 * 1000 * 1000);
    EXPECT_TRUE(waitUntil([&] { return held.alive() == 0; }));
    const qint64 peak = statusKb(pid, "VmHWM");
    EXPECT_LT(peak - before, 64 * 1024) << "grew from " << before << " kB to a peak of " << peak << " kB";
    held.closeAll();
    unload();
}

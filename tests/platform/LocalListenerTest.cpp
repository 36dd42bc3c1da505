#include "platform/LocalListener.h"

#include "tests/support/RawSocket.h"
#include "tests/support/WaitUntil.h"

#include <QFile>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Lowers this process's soft descriptor limit for the scope.
class SoftLimit {
public:
    explicit SoftLimit(rlim_t soft)
    {
        ::getrlimit(RLIMIT_NOFILE, &m_saved);
        rlimit lowered = m_saved;
        lowered.rlim_cur = soft;
        m_ok = ::setrlimit(RLIMIT_NOFILE, &lowered) == 0;
    }
    ~SoftLimit() { ::setrlimit(RLIMIT_NOFILE, &m_saved); }
    bool ok() const { return m_ok; }

private:
    rlimit m_saved{};
    bool m_ok = false;
};

int lowestFreeDescriptor()
{
    const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ::close(fd);
    return fd;
}

struct ListenerFixture {
    QTemporaryDir dir;
    QList<QLocalSocket*> taken;
    QString path = dir.path() + u"/socket"_s;
};

} // namespace

// With no descriptor left, a new connection is taken off the queue and
// closed; the socket stays bound and takes the next one once there is room.
TEST(LocalListener, OutOfDescriptorsClosesTheNewcomerAndStaysBound)
{
    ListenerFixture f;
    LocalListener listener(0, [&](QLocalSocket* socket) { f.taken.append(socket); });
    QString error;
    ASSERT_TRUE(listener.listen(f.path, &error)) << error.toStdString();

    std::vector<int> filler;
    int client = -1;
    {
        // The listener's warning would be written while this process has no
        // descriptor left, where UBSan cannot check the stream's type (it
        // needs a pipe for that) and reports a fault that is not there.
        QLoggingCategory::setFilterRules(QStringLiteral("ringvale.listener.warning=false"));
        SoftLimit limit(rlim_t(lowestFreeDescriptor()) + 16);
        ASSERT_TRUE(limit.ok());
        for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
            filler.push_back(fd);
        ASSERT_EQ(errno, EMFILE);
        ::close(filler.back());
        filler.pop_back();
        client = RawSocket::connectTo(f.path);
        ASSERT_GE(client, 0);
        EXPECT_TRUE(waitUntil([&] { return RawSocket::closedByPeer(client); }));
        EXPECT_TRUE(f.taken.isEmpty());
        EXPECT_TRUE(listener.isListening());
        ::close(client);
        for (const int fd : filler)
            ::close(fd);
    }
    QLoggingCategory::setFilterRules(QString());
    client = RawSocket::connectTo(f.path);
    ASSERT_GE(client, 0);
    EXPECT_TRUE(waitUntil([&] { return f.taken.size() == 1; }));
    EXPECT_FALSE(RawSocket::closedByPeer(client));
    ::close(client);
}

// Connections that would eat into the reserve are closed, the others kept.
TEST(LocalListener, KeepsTheReserveFree)
{
    ListenerFixture f;
    constexpr int reserve = 8;
    LocalListener listener(reserve, [&](QLocalSocket* socket) { f.taken.append(socket); });
    QString error;
    ASSERT_TRUE(listener.listen(f.path, &error)) << error.toStdString();
    const rlim_t soft = rlim_t(lowestFreeDescriptor()) + 40;
    SoftLimit limit(soft);
    ASSERT_TRUE(limit.ok());
    std::vector<int> clients;
    int refused = 0;
    for (int i = 0; i < 20; ++i) {
        const int client = RawSocket::connectTo(f.path);
        ASSERT_GE(client, 0) << i;
        clients.push_back(client);
        const qsizetype before = f.taken.size();
        ASSERT_TRUE(waitUntil([&] { return f.taken.size() > before || RawSocket::closedByPeer(client); }))
            << i;
        refused += f.taken.size() == before;
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(f.taken.size(), 0);
    for (QLocalSocket* socket : std::as_const(f.taken))
        EXPECT_LT(rlim_t(socket->socketDescriptor()) + reserve, soft);
    for (const int fd : clients)
        ::close(fd);
    EXPECT_TRUE(listener.isListening());
}

// A path that is taken is never listened over; closing removes the socket.
TEST(LocalListener, RefusesAPathThatIsTaken)
{
    ListenerFixture f;
    LocalListener first(0, [](QLocalSocket* socket) { socket->deleteLater(); });
    LocalListener second(0, [](QLocalSocket* socket) { socket->deleteLater(); });
    QString error;
    ASSERT_TRUE(first.listen(f.path, &error));
    EXPECT_FALSE(second.listen(f.path, &error));
    EXPECT_FALSE(error.isEmpty());
    const int client = RawSocket::connectTo(f.path);
    EXPECT_GE(client, 0);
    ::close(client);
    first.close();
    EXPECT_FALSE(QFile::exists(f.path));
}

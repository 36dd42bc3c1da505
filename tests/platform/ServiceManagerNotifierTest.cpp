#include "platform/ServiceManagerNotifier.h"
#include "tests/support/NotifySocket.h"

#include <gtest/gtest.h>

#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

TEST(ServiceManagerNotifier, SendsEachReportAsOneDatagram)
{
    NotifySocket socket;
    ASSERT_TRUE(socket.isValid());
    ServiceManagerNotifier notifier(socket.path().toUtf8());
    ASSERT_TRUE(notifier.isValid());
    EXPECT_TRUE(notifier.notify("READY=1\nSTATUS=Running"));
    EXPECT_TRUE(notifier.notify("STATUS=Stopped"));
    EXPECT_EQ(socket.receive(), QByteArray("READY=1\nSTATUS=Running"));
    EXPECT_EQ(socket.receive(), QByteArray("STATUS=Stopped"));
}

TEST(ServiceManagerNotifier, AbstractAddressIsReached)
{
    // systemd may hand out "@name" for a socket outside the file system.
    const QByteArray name = "ringvale-notify-test-" + QByteArray::number(::getpid());
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address),
                  socklen_t(offsetof(sockaddr_un, sun_path) + 1 + size_t(name.size()))),
        0);
    ServiceManagerNotifier notifier('@' + name);
    EXPECT_TRUE(notifier.notify("STOPPING=1"));
    pollfd ready{fd, POLLIN, 0};
    ASSERT_EQ(::poll(&ready, 1, 5000), 1);
    char buffer[64] = {};
    EXPECT_EQ(::recv(fd, buffer, sizeof buffer, 0), 10);
    EXPECT_STREQ(buffer, "STOPPING=1");
    ::close(fd);
}

TEST(ServiceManagerNotifier, UnusableAddressesAreNotUsed)
{
    const QByteArray addresses[] = {
        "",
        "@",
        "relative/notify",
        "vsock:2:1234",
        QByteArray("/tmp/") + QByteArray(200, 'x'), // longer than a socket path can be
        QByteArray("/tmp/a\0b", 8),
    };
    for (const QByteArray& address : addresses) {
        ServiceManagerNotifier notifier(address);
        EXPECT_FALSE(notifier.isValid()) << address.constData();
        EXPECT_FALSE(notifier.notify("READY=1"));
    }
}

TEST(ServiceManagerNotifier, ReportToAMissingSocketFails)
{
    NotifySocket socket;
    ServiceManagerNotifier notifier(socket.path().toUtf8() + "-gone");
    ASSERT_TRUE(notifier.isValid());
    EXPECT_FALSE(notifier.notify("READY=1"));
}

} // namespace

// A receiving endpoint under senders that misbehave: too many, texts too
// long, texts that never end. The endpoint drops them and stays bound.
#include "platform/ChannelFrame.h"
#include "platform/MessageControl.h"

#include "common/AppPaths.h"
#include "tests/support/RawSocket.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

void writeAll(int fd, const QByteArray& bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::send(fd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (n <= 0)
            return;
        done += n;
    }
}

// The length header of a text, whatever follows it.
QByteArray header(quint32 length)
{
    QByteArray bytes(ChannelFrame::HeaderSize, Qt::Uninitialized);
    qToBigEndian(length, bytes.data());
    return bytes;
}

class ChannelLimits : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (const int fd : std::as_const(m_fds))
            ::close(fd);
        QDir().rmdir(AppPaths::runtimeFolder());
    }
    int sender(const QString& path)
    {
        const int fd = RawSocket::connectTo(path);
        if (fd >= 0)
            m_fds.append(fd);
        return fd;
    }
    TestEnvironment m_env;
    QList<int> m_fds;
};

} // namespace

// More senders than an endpoint holds are closed as they come; once they have
// gone, texts arrive again.
TEST_F(ChannelLimits, AtMostSixtyFourSendersAndTheEndpointStaysBound)
{
    MessageControl endpoint;
    endpoint.Channel(305);
    QSignalSpy arrived(&endpoint, &MessageControl::MessageArrived);
    const QString path = endpoint.socketPath();
    ASSERT_FALSE(path.isEmpty());
    QList<int> held;
    for (int i = 0; i < MessageControl::MaxConnections + 36; ++i) {
        const int fd = sender(path);
        ASSERT_GE(fd, 0) << i;
        held.append(fd);
    }
    const auto closed = [&] { return std::count_if(held.begin(), held.end(), RawSocket::closedByPeer); };
    ASSERT_TRUE(waitUntil([&] { return closed() >= 36; })) << closed();
    EXPECT_TRUE(staysFalse([&] { return closed() > 36; }, 200));
    // The held ones still deliver.
    writeAll(held.first(), ChannelFrame::encode("from the first"));
    ASSERT_TRUE(waitUntil([&] { return arrived.size() == 1; }));
    EXPECT_EQ(arrived.at(0).at(0).toString(), u"from the first"_s);

    for (const int fd : std::as_const(held)) {
        ::close(fd);
        m_fds.removeOne(fd);
    }
    // A sender that comes before the endpoint has seen them go may still be
    // turned away: it tries again, as a program's next text would.
    MessageControl later(nullptr, MessageControl::Delivery::SameProcessToo);
    ASSERT_TRUE(waitUntil([&] {
        if (arrived.size() == 1 && later.Channel(305))
            later.Send(u"after them"_s);
        return arrived.size() >= 2;
    }));
    EXPECT_EQ(arrived.at(1).at(0).toString(), u"after them"_s);
    EXPECT_EQ(endpoint.socketPath(), path);
}

// A length beyond the limit ends the sender at its header; a text that stays
// unfinished ends it at the bound; texts that keep coming whole never do.
TEST_F(ChannelLimits, SenderOfAnOverlongOrUnfinishedTextIsDropped)
{
    MessageControl endpoint;
    endpoint.setFrameBoundMs(1000);
    endpoint.Channel(309);
    QSignalSpy arrived(&endpoint, &MessageControl::MessageArrived);
    const QString path = endpoint.socketPath();

    const int overlong = sender(path);
    ASSERT_GE(overlong, 0);
    writeAll(overlong, ChannelFrame::encode("whole") + header(quint32(ChannelFrame::MaxPayload) + 1) + "xx");
    ASSERT_TRUE(waitUntil([&] { return RawSocket::closedByPeer(overlong); }));

    const int unfinished = sender(path);
    ASSERT_GE(unfinished, 0);
    writeAll(unfinished, header(10) + "12345");
    ASSERT_TRUE(waitUntil([&] { return RawSocket::closedByPeer(unfinished); }));

    // Whole texts, each sent in two halves, for longer than the bound.
    const int steady = sender(path);
    ASSERT_GE(steady, 0);
    QElapsedTimer timer;
    timer.start();
    int sent = 0;
    while (timer.elapsed() < 1500) {
        const QByteArray frame = ChannelFrame::encode("steady " + QByteArray::number(sent++));
        writeAll(steady, frame.left(6));
        QTest::qWait(20);
        writeAll(steady, frame.mid(6));
        QTest::qWait(5);
    }
    ASSERT_TRUE(waitUntil([&] { return arrived.size() == sent + 1; }))
        << arrived.size() << " of " << sent + 1;
    EXPECT_FALSE(RawSocket::closedByPeer(steady));
    EXPECT_EQ(arrived.at(0).at(0).toString(), u"whole"_s);
    EXPECT_EQ(arrived.last().at(0).toString(), u"steady "_s + QString::number(sent - 1));
}

// The sender refuses what no receiver would take.
TEST_F(ChannelLimits, TextOverTheLimitIsNotSent)
{
    MessageControl receiver;
    receiver.Channel(311);
    QSignalSpy arrived(&receiver, &MessageControl::MessageArrived);
    MessageControl endpoint(nullptr, MessageControl::Delivery::SameProcessToo);
    ASSERT_TRUE(endpoint.Channel(311));
    endpoint.Send(QString(ChannelFrame::MaxPayload + 1, u'x'));
    endpoint.Send(u"next"_s);
    ASSERT_TRUE(waitUntil([&] { return arrived.size() == 1; }));
    EXPECT_EQ(arrived.at(0).at(0).toString(), u"next"_s);
}

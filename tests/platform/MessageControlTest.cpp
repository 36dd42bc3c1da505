#include "platform/MessageControl.h"

#include "common/AppPaths.h"
#include "tests/support/ChannelListener.h"
#include "tests/support/FileOpens.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

bool waitForPeer(MessageControl& endpoint, qint32 number, int msecs = 5000)
{
    const QDeadlineTimer deadline(testTimeout(msecs));
    while (!deadline.hasExpired()) {
        if (endpoint.Channel(number))
            return true;
        QTest::qWait(5);
    }
    return false;
}

QStringList socketFiles()
{
    return QDir(AppPaths::runtimeFolder()).entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
}

// How long the sends take with nobody bound to the channel: the sender's own
// work on this machine (sanitizers and load included), against which a
// sender that waits for a peer stands out.
qint64 sendingAlone(qint32 channel, const QStringList& texts)
{
    MessageControl endpoint;
    endpoint.Channel(channel);
    QElapsedTimer timer;
    timer.start();
    for (const QString& text : texts)
        endpoint.Send(text);
    return timer.elapsed();
}

class MessageControlTest : public ::testing::Test {
protected:
    void TearDown() override { QDir().rmdir(AppPaths::runtimeFolder()); }
    TestEnvironment m_env;
};

} // namespace

TEST_F(MessageControlTest, FalseWithoutAPeerAndTheTextIsDropped)
{
    MessageControl endpoint;
    EXPECT_FALSE(endpoint.Channel(307));
    endpoint.Send(u"lost"_s);

    ChannelListener listener(m_env, {u"307"_s});
    ASSERT_TRUE(waitForPeer(endpoint, 307));
    endpoint.Send(u"kept"_s);
    const QList<QByteArray> lines = listener.waitForLines(1);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines.at(0), "307 kept");
}

TEST_F(MessageControlTest, TrueWhileAPeerIsBoundAndNotAfterItEnds)
{
    MessageControl endpoint;
    {
        ChannelListener listener(m_env, {u"308"_s, u"309"_s});
        ASSERT_TRUE(waitForPeer(endpoint, 309));
        EXPECT_TRUE(endpoint.Channel(308));
        EXPECT_FALSE(endpoint.Channel(310));
        listener.process().terminate();
        ASSERT_TRUE(listener.process().waitForFinished(testTimeout(3000)));
    }
    EXPECT_FALSE(endpoint.Channel(308));
    // The listener took its sockets away; only ours is left.
    EXPECT_EQ(socketFiles(), QStringList{QFileInfo(endpoint.socketPath()).fileName()});
}

TEST_F(MessageControlTest, ThousandTextsArriveWholeAndInOrder)
{
    ChannelListener listener(m_env, {u"307"_s});
    MessageControl endpoint;
    ASSERT_TRUE(waitForPeer(endpoint, 307));
    QList<QByteArray> expected;
    for (int i = 0; i < 1000; ++i) {
        const QString filler(i % 97, QChar(u'a' + i % 26));
        endpoint.Send(u"Text "_s + QString::number(i) + u"\r\nx\x14y\\"_s + filler + u" \u00e9"_s);
        expected.append(
            "307 Text " + QByteArray::number(i) + "\\r\\nx\\x14y\\\\" + filler.toUtf8() + " \xc3\xa9");
    }
    EXPECT_EQ(listener.waitForLines(1000), expected);
}

TEST_F(MessageControlTest, OneMebibyteTextArrivesWhole)
{
    ChannelListener listener(m_env, {u"309"_s});
    MessageControl endpoint;
    ASSERT_TRUE(waitForPeer(endpoint, 309));
    QString text;
    for (int i = 0; text.size() < 1024 * 1024; ++i)
        text += QString::number(i) + u' ';
    text.truncate(1024 * 1024 - 2);
    text += u"\r\n"_s;
    endpoint.Send(text);
    endpoint.Send(u"after"_s);
    const QList<QByteArray> lines = listener.waitForLines(2);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines.at(0), "309 " + text.chopped(2).toUtf8() + "\\r\\n");
    EXPECT_EQ(lines.at(1), "309 after");
}

TEST_F(MessageControlTest, ReceivesFromAnotherProcess)
{
    MessageControl endpoint;
    endpoint.Channel(308);
    QSignalSpy arrived(&endpoint, &MessageControl::MessageArrived);
    QProcess sender;
    sender.setProcessEnvironment(m_env.processEnvironment());
    sender.start(
        TestEnvironment::binary(u"ringvale-chan"_s), {u"send"_s, u"308"_s, u"CallOut\\r\\n555\\x14\\\\"_s});
    // Events must run meanwhile: our endpoint accepts the connection.
    QTRY_COMPARE_WITH_TIMEOUT(sender.state(), QProcess::NotRunning, 5000);
    EXPECT_EQ(sender.exitCode(), 0) << sender.readAllStandardError().toStdString();
    QTRY_COMPARE_WITH_TIMEOUT(arrived.size(), 1, 5000);
    EXPECT_EQ(arrived.at(0).at(0).toString(), u"CallOut\r\n555\x14\\"_s);
}

TEST_F(MessageControlTest, EveryPeerGetsTheTextButNotTheSendersOwnProcess)
{
    ChannelListener first(m_env, {u"307"_s});
    ChannelListener second(m_env, {u"307"_s});
    MessageControl endpoint;
    MessageControl neighbour; // same process: hears nothing of its own program
    neighbour.Channel(307);
    QSignalSpy neighbourGot(&neighbour, &MessageControl::MessageArrived);
    // Both listeners are separate processes: a loaded machine can take a
    // while to start them, and a text sent before one listens never reaches it.
    ASSERT_TRUE(first.waitUntilListening());
    ASSERT_TRUE(second.waitUntilListening());
    ASSERT_EQ(socketFiles().size(), 3);
    ASSERT_TRUE(endpoint.Channel(307));
    endpoint.Send(u"LineStatus\r\n0\r\n0\r\nTrue"_s);
    EXPECT_EQ(first.waitForLines(1), QList<QByteArray>{"307 LineStatus\\r\\n0\\r\\n0\\r\\nTrue"});
    EXPECT_EQ(second.waitForLines(1), QList<QByteArray>{"307 LineStatus\\r\\n0\\r\\n0\\r\\nTrue"});
    EXPECT_EQ(neighbourGot.size(), 0);
}

// A receiver killed outright leaves its socket file behind; nobody may wait
// for it and the file goes.
TEST_F(MessageControlTest, ReceiverThatDiesDoesNotStallTheSender)
{
    const QStringList texts(200, QString(256 * 1024, u'x'));
    const qint64 alone = sendingAlone(310, texts);
    auto listener = std::make_unique<ChannelListener>(m_env, QStringList{u"310"_s});
    MessageControl endpoint;
    ASSERT_TRUE(waitForPeer(endpoint, 310));
    endpoint.Send(u"first"_s);
    ASSERT_EQ(listener->waitForLines(1).size(), 1);
    ASSERT_EQ(socketFiles().size(), 2);
    ::kill(listener->pid(), SIGKILL);
    ASSERT_TRUE(listener->process().waitForFinished(testTimeout(3000)));
    listener.reset();

    QElapsedTimer timer;
    timer.start();
    for (const QString& text : texts)
        endpoint.Send(text);
    EXPECT_FALSE(endpoint.Channel(310));
    // A sender that waited for the dead one would wait for good, so the
    // bound can leave room for load.
    EXPECT_LT(timer.elapsed(), 3 * alone + testTimeout(5000)) << "alone: " << alone << " ms";
    EXPECT_EQ(socketFiles(), QStringList{QFileInfo(endpoint.socketPath()).fileName()});
    EXPECT_TRUE(endpoint.Flush(1000));
}

// A receiver that stops reading holds nobody up; what was sent arrives once it
// reads again.
TEST_F(MessageControlTest, SlowReceiverDoesNotBlockTheSender)
{
    const QString big(1024 * 1024 - 1, u'y');
    QStringList texts;
    for (int i = 0; i < 8; ++i)
        texts << QString::number(i) + big;
    const qint64 alone = sendingAlone(311, texts);
    ChannelListener listener(m_env, {u"311"_s});
    MessageControl endpoint;
    ASSERT_TRUE(waitForPeer(endpoint, 311));
    ::kill(listener.pid(), SIGSTOP);
    QElapsedTimer timer;
    timer.start();
    for (const QString& text : texts)
        endpoint.Send(text);
    // The event loop, too, goes on while the receiver reads nothing. A sender
    // that blocked would wait for good, so the bound can leave room for load.
    QTest::qWait(50);
    EXPECT_LT(timer.elapsed(), 3 * alone + testTimeout(5000)) << "alone: " << alone << " ms";
    EXPECT_TRUE(endpoint.Channel(311));
    ::kill(listener.pid(), SIGCONT);
    const QList<QByteArray> lines = listener.waitForLines(8, 60000);
    ASSERT_EQ(lines.size(), 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(lines.at(i), "311 " + QByteArray::number(i) + big.toUtf8()) << i;
}

// The desktop sends "UNLOAD" and ends: the text must still go out.
TEST_F(MessageControlTest, TextSentJustBeforeTheEndpointGoesIsDelivered)
{
    ChannelListener listener(m_env, {u"305"_s});
    const QString big(1024 * 1024, u'z');
    {
        MessageControl endpoint;
        ASSERT_TRUE(waitForPeer(endpoint, 305));
        endpoint.Send(big);
        endpoint.Send(u"UNLOAD"_s);
    }
    const QList<QByteArray> lines = listener.waitForLines(2);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines.at(0).size(), 4 + big.size());
    EXPECT_EQ(lines.at(1), "305 UNLOAD");
    EXPECT_TRUE(socketFiles().size() == 1); // the listener's own
}

TEST_F(MessageControlTest, RebindingMovesTheEndpoint)
{
    MessageControl endpoint;
    endpoint.Channel(305);
    const QString first = endpoint.socketPath();
    ASSERT_TRUE(QFileInfo::exists(first));
    endpoint.Channel(306);
    EXPECT_FALSE(QFileInfo::exists(first));
    EXPECT_TRUE(QFileInfo(endpoint.socketPath()).fileName().startsWith(u"chan_306_"_s));
    endpoint.Channel(306);
    EXPECT_EQ(socketFiles().size(), 1);
}

TEST_F(MessageControlTest, RebindingStillDeliversWhatWasSentBefore)
{
    ChannelListener listener(m_env, {u"305"_s});
    MessageControl endpoint;
    ASSERT_TRUE(waitForPeer(endpoint, 305));
    const QString big(1024 * 1024, u'b');
    endpoint.Send(big);
    endpoint.Send(u"UNLOAD"_s);
    EXPECT_FALSE(endpoint.Channel(306));
    const QList<QByteArray> lines = listener.waitForLines(2);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines.at(0), "305 " + big.toUtf8());
    EXPECT_EQ(lines.at(1), "305 UNLOAD");
}

// A handler may run a nested event loop or end the endpoint; the texts of one
// sender keep their order and nothing is handed to an endpoint that is gone.
TEST_F(MessageControlTest, HandlersMayNestEventLoopsOrDestroyTheEndpoint)
{
    MessageControl sender(nullptr, MessageControl::Delivery::SameProcessToo);
    auto receiver = std::make_unique<MessageControl>();
    receiver->Channel(306);
    ASSERT_TRUE(sender.Channel(306));
    QStringList trace;
    QObject::connect(receiver.get(), &MessageControl::MessageArrived, [&](const QString& text) {
        trace << u"start "_s + text;
        if (text == u"1") {
            // These arrive while the handler still runs.
            for (const char* later : {"2", "3", "4"})
                sender.Send(QString::fromLatin1(later));
            QTest::qWait(50);
        }
        if (text == u"3")
            receiver.reset();
        trace << u"end "_s + text;
    });
    sender.Send(u"1"_s);
    QTRY_VERIFY_WITH_TIMEOUT(!receiver, 5000);
    QTest::qWait(50);
    EXPECT_EQ(
        trace, (QStringList{u"start 1"_s, u"end 1"_s, u"start 2"_s, u"end 2"_s, u"start 3"_s, u"end 3"_s}));
}

// Another local user who reaches the socket (here through folder and socket
// permissions opened on purpose) is turned away by its credentials.
TEST_F(MessageControlTest, RefusesTextsFromAnotherUser)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    MessageControl endpoint;
    endpoint.Channel(305);
    QSignalSpy arrived(&endpoint, &MessageControl::MessageArrived);
    const QByteArray folder = QFile::encodeName(AppPaths::runtimeFolder());
    // The test's own runtime base is private too; let the other user through it.
    const QByteArray base = QFile::encodeName(QFileInfo(AppPaths::runtimeFolder()).absolutePath());
    const QByteArray path = QFile::encodeName(endpoint.socketPath());
    ASSERT_EQ(::chmod(base.constData(), 0711), 0);
    ASSERT_EQ(::chmod(folder.constData(), 0711), 0);
    ASSERT_EQ(::chmod(path.constData(), 0777), 0);

    // Child: connect, send "UNLOAD", exit 0 once our side closes the connection.
    const auto intrude = [&path](uid_t uid) {
        const pid_t child = ::fork();
        if (child != 0)
            return child;
        if (::setuid(uid) != 0)
            ::_exit(3);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.constData(), path.size());
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            ::_exit(4);
        const char frame[] = "\0\0\0\x06UNLOAD";
        if (::write(fd, frame, 10) != 10)
            ::_exit(5);
        ::alarm(3);
        char byte;
        ::_exit(::read(fd, &byte, 1) <= 0 ? 0 : 6);
    };
    const auto finish = [](pid_t child) {
        int status = 0;
        const QDeadlineTimer deadline(testTimeout(5000));
        while (::waitpid(child, &status, WNOHANG) == 0 && !deadline.hasExpired())
            QTest::qWait(5);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };

    EXPECT_EQ(finish(intrude(65534)), 0);
    QTest::qWait(50);
    EXPECT_EQ(arrived.size(), 0);

    // The same texts from our own user do arrive.
    const pid_t own = intrude(::geteuid());
    QTRY_COMPARE_WITH_TIMEOUT(arrived.size(), 1, 5000);
    ::kill(own, SIGKILL);
    finish(own);
    EXPECT_EQ(arrived.at(0).at(0).toString(), u"UNLOAD"_s);
    ::chmod(folder.constData(), 0700);
    ::chmod(base.constData(), 0700);
}

// Peers are found once and then followed: sends list the runtime folder only
// after a socket of the number came or went, and still reach every peer.
TEST_F(MessageControlTest, SendsListTheFolderOnlyWhenASocketComesOrGoes)
{
    using Delivery = MessageControl::Delivery;
    MessageControl sender(nullptr, Delivery::SameProcessToo);
    auto first = std::make_unique<MessageControl>(nullptr, Delivery::SameProcessToo);
    first->Channel(306);
    QSignalSpy firstGot(first.get(), &MessageControl::MessageArrived);
    ASSERT_TRUE(sender.Channel(306));
    FileOpens listings(AppPaths::runtimeFolder());
    ASSERT_TRUE(listings.isWatching());

    for (int i = 0; i < 100; ++i)
        sender.Send(u"text %1"_s.arg(i));
    EXPECT_TRUE(sender.Channel(306));
    EXPECT_EQ(listings.take(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(firstGot.size(), 100, testTimeout(5000));

    // A peer that binds now hears the very next text.
    MessageControl second(nullptr, Delivery::SameProcessToo);
    second.Channel(306);
    QSignalSpy secondGot(&second, &MessageControl::MessageArrived);
    listings.take(); // the new endpoint looking for its own peers
    sender.Send(u"both"_s);
    QTRY_COMPARE_WITH_TIMEOUT(secondGot.size(), 1, testTimeout(5000));
    QTRY_COMPARE_WITH_TIMEOUT(firstGot.size(), 101, testTimeout(5000));
    EXPECT_EQ(listings.take(), 1);

    // One that goes is not counted, and the other still hears.
    first.reset();
    EXPECT_TRUE(sender.Channel(306));
    sender.Send(u"after"_s);
    QTRY_COMPARE_WITH_TIMEOUT(secondGot.size(), 2, testTimeout(5000));
    EXPECT_EQ(secondGot.at(1).at(0).toString(), u"after"_s);
    second.Channel(307);
    EXPECT_FALSE(sender.Channel(306));
}

// A socket found between its bind and its listen refuses the connection; the
// next send tries it again although the folder has not changed since.
TEST_F(MessageControlTest, APeerNotListeningYetIsReachedOnceItListens)
{
    MessageControl sender(nullptr, MessageControl::Delivery::SameProcessToo);
    sender.Channel(304);
    const QByteArray path = QFile::encodeName(
        AppPaths::runtimeFolder() + u"/chan_304_"_s + QString::number(::getpid()) + u"_early"_s);
    const int peer = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    ASSERT_GE(peer, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), path.size());
    ASSERT_EQ(::bind(peer, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_FALSE(sender.Channel(304));
    sender.Send(u"early"_s);

    ASSERT_EQ(::listen(peer, 4), 0);
    sender.Send(u"late"_s);
    const int connection = ::accept4(peer, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    ASSERT_GE(connection, 0) << "the send did not connect";
    QByteArray received;
    const QDeadlineTimer deadline(testTimeout(5000));
    while (received.size() < 8 && !deadline.hasExpired()) {
        char chunk[64];
        const ssize_t n = ::read(connection, chunk, sizeof chunk);
        if (n > 0)
            received.append(chunk, n);
        else
            QTest::qWait(5);
    }
    EXPECT_EQ(received, QByteArray("\0\0\0\x04late", 8));
    ::close(connection);
    ::close(peer);
    ::unlink(path.constData());
}

#include "tests/service/web/WebFixture.h"
#include "tests/service/web/WebTestSupport.h"
#include "tests/support/TestEnvironment.h"

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <iterator>
#include <list>

namespace {

const QByteArray kCalls = "GET /calls HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";

// The n-th of the loopback addresses the test's slow clients come from.
QByteArray otherAddress(int n)
{
    return "127.0.0." + QByteArray::number(2 + n);
}

// Whether the server has closed the client's connection (without a word).
bool closedSilently(Client& client, int timeoutMs)
{
    bool closed = false;
    return client.readToEnd(timeoutMs, &closed).isEmpty() && closed;
}

class WebSlotsTest : public ::testing::Test {
protected:
    void SetUp() override { WebFixture::install(); }

    static bool waitForSlots(ServerThread& server, int taken)
    {
        return waitUntil([&] { return server.slotsTaken() == taken; }, 5000);
    }

    // Clients that each hold a slot with half a request head, from as many
    // addresses as their number needs (32 from each).
    static void holdSlots(std::list<Client>& clients, quint16 port, int count)
    {
        for (int i = 0; i < count; ++i) {
            clients.emplace_back(port, otherAddress(i / 32).constData());
            ASSERT_TRUE(clients.back().connected()) << i;
            ASSERT_TRUE(clients.back().send("GET /calls HTTP/1.0\r\n")) << i;
        }
    }

    TestEnvironment env;
};

TEST_F(WebSlotsTest, HeadMustBeWholeWithinItsTimeHoweverItTrickles)
{
    const int headMs = 1000;
    ServerThread server(openWebSettings(), headMs);
    QElapsedTimer connected;
    connected.start();
    Client client(server.port());
    ASSERT_TRUE(client.send("GET /calls HTTP/1.0\r\n"));
    // One header line every 100 ms keeps a per-line bound waiting for ever;
    // the head's bound counts from the connection.
    bool closed = false;
    for (int line = 0; !closed && connected.elapsed() < testTimeout(3 * headMs); ++line) {
        client.send("X-Line: " + QByteArray::number(line) + "\r\n");
        closed = closedSilently(client, 100);
    }
    EXPECT_TRUE(closed) << "still open after " << connected.elapsed() << " ms";
    // A timer may end a little early; half its time is surely not per line.
    EXPECT_GE(connected.elapsed(), headMs / 2);
    EXPECT_TRUE(waitForSlots(server, 0));
}

TEST_F(WebSlotsTest, OneAddressHoldsAtMostItsShareOfSlots)
{
    ServerThread server(openWebSettings(), 60000);
    std::list<Client> slow;
    ASSERT_NO_FATAL_FAILURE(holdSlots(slow, server.port(), 32));
    ASSERT_TRUE(waitForSlots(server, 32));

    // The 33rd of that address is closed as it comes; the others stay.
    Client extra(server.port(), otherAddress(0).constData());
    ASSERT_TRUE(extra.connected());
    EXPECT_TRUE(closedSilently(extra, testTimeout(3000)));
    EXPECT_EQ(server.slotsTaken(), 32);

    // Another address is served at once, and a slot given back is the
    // address's to take again.
    EXPECT_EQ(splitAnswer(exchange(server.port(), kCalls)).statusLine, "HTTP/1.0 200 OK");
    slow.pop_front();
    ASSERT_TRUE(waitForSlots(server, 31));
    Client again(server.port(), otherAddress(0).constData());
    ASSERT_TRUE(again.send(kCalls));
    EXPECT_EQ(splitAnswer(again.readToEnd(testTimeout(3000))).statusLine, "HTTP/1.0 200 OK");
}

TEST_F(WebSlotsTest, FullSlotsMakeRoomFromTheLongestWaitingConnection)
{
    ServerThread server(openWebSettings(), 60000);
    std::list<Client> slow;
    slow.emplace_back(server.port(), otherAddress(7).constData());
    ASSERT_TRUE(waitForSlots(server, 1)); // the one accepted first
    ASSERT_NO_FATAL_FAILURE(holdSlots(slow, server.port(), frmHTTP::kSlotCount - 1));
    ASSERT_TRUE(waitForSlots(server, frmHTTP::kSlotCount));

    // A request that finds every slot taken by connections that have not
    // authenticated is served without waiting for their time to run out.
    Client late(server.port());
    ASSERT_TRUE(late.send(kCalls));
    EXPECT_EQ(splitAnswer(late.readToEnd(testTimeout(3000))).statusLine, "HTTP/1.0 200 OK");
    EXPECT_TRUE(closedSilently(slow.front(), testTimeout(3000))) << "the longest waiting made room";
    EXPECT_FALSE(closedSilently(*std::next(slow.begin()), 50)) << "the others keep theirs";
}

TEST_F(WebSlotsTest, AuthenticatedConnectionsKeepTheirSlots)
{
    WebAccessSettings settings = openWebSettings();
    settings.RCWWWProtect = 1;
    settings.RCWWWUserName = QStringLiteral("admin");
    settings.RCWWWPass = QStringLiteral("pw");
    // Building an answer is the server's own time: the connection keeps
    // its slot meanwhile, and an authenticated one is not made to give it up.
    ServerThread server(settings, 60000, 16 * 1024, true,
        [](frmHTTP::Options& options) { options.limits.unauthenticatedAnswerMs = 500; });
    const QByteArray big(8 * 1024 * 1024, 'b');
    WebFixture::writeFile(QStringLiteral("WWW/huge.bin"), big);
    const QByteArray request
        = "GET /huge.bin HTTP/1.0\r\nAuthorization: Basic " + QByteArray("admin:pw").toBase64() + "\r\n\r\n";

    // A reader that takes a little at a time outlives the bound of an
    // unauthenticated answer.
    Client reader(server.port());
    ASSERT_TRUE(reader.send(request));
    QElapsedTimer reading;
    reading.start();
    while (reading.elapsed() < 1500) {
        ASSERT_TRUE(reader.readSome(1024, testTimeout(3000))) << "cut after " << reading.elapsed() << " ms";
        QThread::msleep(20); // the reader's pace
    }
}

TEST_F(WebSlotsTest, AnswersThatStallOrTakeTooLongUnauthenticatedEnd)
{
    WebFixture::writeFile(QStringLiteral("WWW/huge.bin"), QByteArray(8 * 1024 * 1024, 'b'));
    const QByteArray request = "GET /huge.bin HTTP/1.0\r\n\r\n";
    {
        // A peer that takes nothing of its answer.
        ServerThread server(openWebSettings(), 60000, 16 * 1024, true,
            [](frmHTTP::Options& options) { options.limits.stallMs = 500; });
        Client still(server.port());
        ASSERT_TRUE(still.send(request));
        ASSERT_TRUE(still.readSome(1, testTimeout(3000)));
        EXPECT_TRUE(waitForSlots(server, 0));
    }
    {
        // A peer that takes a little at a time, past the whole answer's bound.
        ServerThread server(openWebSettings(), 60000, 16 * 1024, true,
            [](frmHTTP::Options& options) { options.limits.unauthenticatedAnswerMs = 500; });
        Client trickle(server.port());
        ASSERT_TRUE(trickle.send(request));
        QElapsedTimer reading;
        reading.start();
        bool cut = false;
        qint64 taken = 0;
        while (!cut && reading.elapsed() < testTimeout(5000)) {
            cut = !trickle.readSome(1024, testTimeout(3000));
            taken += 1024;
            QThread::msleep(20); // the reader's pace
        }
        EXPECT_TRUE(cut);
        EXPECT_LT(taken, 1024 * 1024) << "cut, not finished";
        EXPECT_TRUE(waitForSlots(server, 0));
    }
}

TEST_F(WebSlotsTest, ClosedConnectionsFreeTheirSlotsAtOnce)
{
    ServerThread server(openWebSettings(), 60000);
    {
        std::list<Client> clients;
        for (int i = 0; i < frmHTTP::kSlotCount; ++i)
            clients.emplace_back(server.port(), otherAddress(i / 32).constData());
        ASSERT_TRUE(waitForSlots(server, frmHTTP::kSlotCount));
    }
    EXPECT_TRUE(waitForSlots(server, 0));
    EXPECT_EQ(splitAnswer(exchange(server.port(), kCalls, 2000)).statusLine, "HTTP/1.0 200 OK");
    // A peer going away is no error worth a journal line.
    EXPECT_TRUE(server.sysJournal().isEmpty()) << server.sysJournal().join(u'\n').toStdString();
}

} // namespace

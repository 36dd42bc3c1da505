#include "service/core/Journal.h"
#include "service/host/WebServerControl.h"
#include "tests/service/web/WebFixture.h"
#include "tests/service/web/WebTestSupport.h"
#include "tests/support/TestClock.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QTcpServer>
#include <QThread>

#include <memory>

#include <gtest/gtest.h>

namespace {

// The test's own thread stands for the line's event loop: it never returns to
// its loop while it asks, so only a server with a loop of its own can answer.
TEST(WebServer, AnswersWhileTheLinesLoopIsBusy)
{
    const TestEnvironment env; // a program folder of the test's own, and a port file
    WebFixture::install();
    const TestClock clock; // the fixture's day
    const Journal journal;
    WebServer server(journal);
    WebAccessSettings settings = openWebSettings();
    server.start(settings);
    const quint16 port = server.serverPort();
    ASSERT_NE(port, 0) << server.listenError().toStdString();
    EXPECT_EQ(settings.RCWWWAllow, 1);
    // On a port the system picked, said where the test looks for it.
    EXPECT_EQ(env.waitForWebPort(), port);

    const Answer file = splitAnswer(exchange(server.serverPort(), "GET /style.css HTTP/1.0\r\n\r\n"));
    EXPECT_EQ(file.statusLine, "HTTP/1.0 200 OK");
    const Answer page = splitAnswer(exchange(server.serverPort(), "GET /calls HTTP/1.0\r\n\r\n"));
    EXPECT_EQ(page.statusLine, "HTTP/1.0 200 OK");
    EXPECT_TRUE(page.body.contains("5550142")) << page.body.constData();

    server.stop();
    EXPECT_EQ(server.serverPort(), 0);
    const QByteArray after = exchange(port, "GET /calls HTTP/1.0\r\n\r\n", 1000);
    EXPECT_EQ(after, "(no connection)");
    QFile reported(env.webPortFile());
    ASSERT_TRUE(reported.open(QIODevice::ReadOnly));
    EXPECT_EQ(reported.readAll(), "0\n");
}

TEST(WebServer, APortItCannotTakeIsReportedAndStartAgainListens)
{
    const TestEnvironment env; // a program folder of the test's own
    // The stored port itself, as in a user's installation.
    qunsetenv("RINGVALE_WEB_PORT_FILE");
    WebFixture::install();
    const Journal journal;
    auto first = std::make_unique<QTcpServer>();
    ASSERT_TRUE(first->listen(QHostAddress::Any));
    WebAccessSettings settings = openWebSettings();
    settings.RCWWWPort = first->serverPort();

    // The port is taken: the server says why and turns access off.
    WebServer second(journal);
    WebAccessSettings same = settings;
    second.start(same);
    EXPECT_EQ(second.serverPort(), 0);
    EXPECT_FALSE(second.listenError().isEmpty());
    EXPECT_EQ(same.RCWWWAllow, 0);

    // "OPEN_WEB" after the other let go: stopped and started on a new thread.
    first.reset();
    same.RCWWWAllow = 1;
    second.start(same);
    EXPECT_EQ(second.serverPort(), settings.RCWWWPort);
    EXPECT_EQ(splitAnswer(exchange(second.serverPort(), "GET /style.css HTTP/1.0\r\n\r\n")).statusLine,
        "HTTP/1.0 200 OK");
}

} // namespace

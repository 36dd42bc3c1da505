#include "service/web/RefusedRequests.h"
#include "tests/service/web/WebFixture.h"
#include "tests/service/web/WebTestSupport.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

TEST(RefusedRequests, TwentyLinesAMinuteEachAddressThenOneSummary)
{
    RefusedRequests refusals;
    QStringList summaries;
    int lines = 0;
    for (int i = 0; i < 25; ++i)
        lines += refusals.admit(QStringLiteral("192.0.2.7"), 1000 + i, summaries) ? 1 : 0;
    EXPECT_EQ(lines, 20);
    // Another address has its own allowance.
    EXPECT_TRUE(refusals.admit(QStringLiteral("192.0.2.8"), 2000, summaries));
    EXPECT_TRUE(summaries.isEmpty());
    EXPECT_TRUE(refusals.takeSummaries(60999).isEmpty()) << "the minute is not over";

    // The next refusal after the minute says what was left out, then has a
    // line of its own again.
    EXPECT_TRUE(refusals.admit(QStringLiteral("192.0.2.7"), 61000, summaries));
    EXPECT_EQ(summaries, QStringList{QStringLiteral("5 more refused requests from 192.0.2.7")});

    // Without a further request the timer's sweep says it; an address that
    // lost nothing gets no summary.
    summaries.clear();
    for (int i = 0; i < 22; ++i)
        refusals.admit(QStringLiteral("192.0.2.7"), 62000, summaries);
    EXPECT_EQ(refusals.takeSummaries(121000),
        QStringList{QStringLiteral("3 more refused requests from 192.0.2.7")});
    EXPECT_TRUE(refusals.takeSummaries(200000).isEmpty());
    EXPECT_TRUE(summaries.isEmpty());
}

TEST(RefusedRequests, AddressesPastTheBoundShareOneCount)
{
    RefusedRequests refusals;
    QStringList summaries;
    for (int i = 0; i < RefusedRequests::kMaxAddresses; ++i)
        refusals.admit(QStringLiteral("10.0.%1.%2").arg(i / 256).arg(i % 256), 0, summaries);
    int lines = 0;
    for (int i = 0; i < 100; ++i)
        lines += refusals.admit(QStringLiteral("10.1.0.%1").arg(i), 0, summaries) ? 1 : 0;
    EXPECT_EQ(lines, RefusedRequests::kLinesPerMinute);
    EXPECT_TRUE(refusals.takeSummaries(RefusedRequests::kMinuteMs)
                    .contains(QStringLiteral("80 more refused requests from other addresses")));
}

class WebRefusalsTest : public ::testing::Test {
protected:
    void SetUp() override { WebFixture::install(); }
    TestEnvironment env;
};

TEST_F(WebRefusalsTest, RefusalsOfOneAddressAreJournaledWithinItsAllowance)
{
    ServerThread server(openWebSettings(), testTimeout(3000), 1024);
    const QByteArray missing = "GET /missing.css HTTP/1.0\r\n\r\n";
    const QByteArray tooLarge = "GET / HTTP/1.0\r\nX-Pad: " + QByteArray(2000, 'p') + "\r\n\r\n";
    for (int i = 0; i < 30; ++i) {
        Client client(server.port(), "127.0.0.2");
        ASSERT_TRUE(client.send(i % 2 ? missing : tooLarge));
        EXPECT_TRUE(client.readToEnd(testTimeout(3000)).startsWith(i % 2 ? "HTTP/1.0 404" : "HTTP/1.0 400"));
    }
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(exchange(server.port(), missing).startsWith("HTTP/1.0 404"));

    const QStringList www = server.wwwJournal();
    EXPECT_EQ(www.count(QStringLiteral("GET /missing.css 404")), 10 + 3) << www.join(u'\n').toStdString();
    EXPECT_EQ(www.count(QStringLiteral("GET / 400")), 10);
    // The system journal's line of a refusal is within the same allowance.
    EXPECT_EQ(server.sysJournal().size(), 10);
    // Served requests are never held back.
    EXPECT_EQ(splitAnswer(exchange(server.port(), "GET /style.css HTTP/1.0\r\n\r\n")).statusLine,
        "HTTP/1.0 200 OK");
    EXPECT_EQ(server.wwwJournal().size(), www.size() + 1);

    // Stopping says what was left out, though its minute is not over.
    server.stop();
    EXPECT_TRUE(server.wwwJournal().contains(QStringLiteral("10 more refused requests from 127.0.0.2")))
        << server.wwwJournal().mid(www.size()).join(u'\n').toStdString();
}

// Header spellings a client might use to slip a credential past the mask:
// none of them leaves the secret in a journal, whatever the answer.
TEST_F(WebRefusalsTest, NoHeaderSpellingPutsACredentialInAJournal)
{
    const QByteArray secret = "Zq9-secret-7Wk";
    const QByteArray token = "admin:" + secret;
    const QByteArray basic = token.toBase64();
    struct Case {
        QByteArray header;
        QByteArray status; // with a password asked for
        const char* why;
    };
    const Case cases[] = {
        {"Authorization: Basic " + basic, "HTTP/1.0 200 OK", "the usual spelling"},
        {"authorization:basic " + basic, "HTTP/1.0 200 OK", "lower case, no blank"},
        {"AUTHORIZATION:\tBasic " + basic, "HTTP/1.0 200 OK", "a tab after the colon"},
        {"Authorization : Basic " + basic, "HTTP/1.0 400 Bad Request", "a blank before the colon"},
        {"Authorization\t: Basic " + basic, "HTTP/1.0 400 Bad Request", "a tab before the colon"},
        {" Authorization: Basic " + basic, "HTTP/1.0 400 Bad Request", "a leading blank (a folded line)"},
        {"Proxy-Authorization: Basic " + basic, "HTTP/1.0 401 Access Denied", "the proxy's credentials"},
        {"Cookie: session=" + token, "HTTP/1.0 401 Access Denied", "a session cookie"},
        {"X-Api-Key: " + token, "HTTP/1.0 401 Access Denied", "a key of another scheme"},
        {"X-Note: Authorization: Basic " + basic, "HTTP/1.0 401 Access Denied", "folded into another value"},
    };
    for (const int protect : {1, 0}) {
        WebAccessSettings settings = openWebSettings();
        settings.RCWWWProtect = protect;
        settings.RCWWWUserName = QStringLiteral("admin");
        settings.RCWWWPass = QString::fromLatin1(secret);
        ServerThread server(settings);
        for (const Case& c : cases) {
            const Answer answer = splitAnswer(exchange(
                server.port(), "GET /calls HTTP/1.0\r\nHost: 127.0.0.1\r\n" + c.header + "\r\n\r\n"));
            const QByteArray status = protect || c.status.contains("400") ? c.status : "HTTP/1.0 200 OK";
            EXPECT_EQ(answer.statusLine, status) << c.why << " (protect " << protect << ")";
        }
        const QString journals = server.wwwJournal().join(u'\n') + server.sysJournal().join(u'\n');
        EXPECT_EQ(server.wwwJournal().size(), 10);
        for (const QByteArray& clear : {secret, basic, basic.left(12)})
            EXPECT_FALSE(journals.contains(QString::fromLatin1(clear))) << journals.toStdString();
    }
}

} // namespace

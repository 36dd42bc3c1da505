#include "service/web/WebPages.h"
#include "tests/service/web/WebFixture.h"
#include "tests/service/web/WebTestSupport.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <list>

#include <malloc.h>

namespace {

// A journal over the shown bound whose text is awkward at every block edge:
// characters of two to four bytes, markup characters, LF and CR LF line ends,
// a byte that is no UTF-8, a line far longer than a block, and a last line
// without its end.
QByteArray awkwardJournal()
{
    QByteArray text;
    text.reserve(5 * 1024 * 1024);
    for (int i = 0; text.size() < 5 * 1024 * 1024; ++i) {
        text += QByteArray::number(i) + " Zoë <b>&amp;</b> 東京 🙂 \"x\"";
        text += i % 3 == 0 ? "\n" : "\r\n";
        if (i % 1000 == 7)
            text += "bad \xff\xfe byte\n";
        if (i % 50000 == 11)
            text += QByteArray(40000, 'L') + "é\n";
    }
    return text + "the last line, unended";
}

// Everything the server sends, read to its end.
QByteArray fetch(quint16 port, const QByteArray& request)
{
    return exchange(port, request, testTimeout(20000));
}

TEST(JournalPage, StreamedPageIsExactlyTheWholePageAndItsLength)
{
    const TestEnvironment env; // a program folder of the test's own
    WebFixture::install();
    WebFixture::writeFile(QStringLiteral("Journal/12-07-2026_WWW.txt"), awkwardJournal());
    WebFixture::writeFile(QStringLiteral("Journal/12-06-2026_Sys.txt"), "short <one>\r\n\xff\n");
    // Building the 6 MiB page counts against the idle bound; a starved
    // sanitizer build can take longer than the usual bound for it.
    ServerThread server(openWebSettings(), testTimeout(10000));
    ASSERT_TRUE(server.started());
    const WebPages pages(QString(), &ServerThread::fixedNow);

    for (const char* name : {"12-07-2026_WWW.txt", "12-06-2026_sys.txt", "missing.txt", ""}) {
        SCOPED_TRACE(name);
        const QByteArray expected = (pages.TopPage() + pages.Journal(QString::fromUtf8(name))).toUtf8();
        const Answer answer
            = splitAnswer(fetch(server.port(), "GET /journal?dt=" + QByteArray(name) + " HTTP/1.0\r\n\r\n"));
        EXPECT_EQ(answer.statusLine, "HTTP/1.0 200 OK");
        EXPECT_EQ(answer.header("Content-Length"), QByteArray::number(answer.body.size()));
        EXPECT_TRUE(answer.body == expected) << "sizes " << answer.body.size() << " and " << expected.size();

        // HEAD: the same head, no body.
        const QByteArray head
            = fetch(server.port(), "HEAD /journal?dt=" + QByteArray(name) + " HTTP/1.0\r\n\r\n");
        EXPECT_EQ(head, answer.head + "\r\n");
    }
}

#if !defined(__SANITIZE_ADDRESS__)
// Slow readers that come one after another each get a page of their own: the
// page must not stay in memory for each of them.
TEST(JournalPage, SlowReadersOneAfterAnotherHoldNoPageEach)
{
    const TestEnvironment env; // a program folder of the test's own
    WebFixture::install();
    WebFixture::writeFile(QStringLiteral("Journal/12-07-2026_WWW.txt"), awkwardJournal());
    ServerThread server(openWebSettings(), 60000);
    ASSERT_TRUE(server.started());
    // One reader first, so the process's one-off allocations are made.
    const QByteArray first = fetch(server.port(), "GET /journal?dt=12-07-2026_WWW.txt HTTP/1.0\r\n\r\n");
    ASSERT_GT(first.size(), 4 * 1024 * 1024) << first.constData();
    // Memory freed but kept by the allocator is no page held.
    malloc_trim(0);
    const qint64 idle = residentKiB();

    std::list<Client> readers;
    constexpr int kReaders = 24;
    for (int i = 0; i < kReaders; ++i) {
        Client& reader = readers.emplace_back(server.port());
        ASSERT_TRUE(reader.connected());
        ASSERT_TRUE(reader.send("GET /journal?dt=12-07-2026_WWW.txt HTTP/1.0\r\n\r\n"));
        // Its answer has begun (so its page was built) before the next asks.
        ASSERT_TRUE(reader.readSome(4096, 20000)) << "reader " << i;
    }
    malloc_trim(0);
    const qint64 peak = residentKiB();
    // A page each would be over 100 MiB.
    EXPECT_LT(peak - idle, 40 * 1024) << "idle " << idle << " KiB, peak " << peak << " KiB";
}
#endif

} // namespace

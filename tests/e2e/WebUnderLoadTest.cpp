#include "common/JournalFormat.h"
#include "common/RegistryRoutines.h"
#include "tests/e2e/LiveLine.h"
#include "tests/support/WaitUntil.h"

#include <QFile>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The web server of the real service, with the line open beside it.
class WebUnderLoad : public LiveLine {
protected:
    void SetUp() override
    {
        LiveLine::SetUp();
        set(u"RemoteAccess\\TabInternetAccess"_s, u"chkAllowWWWRemoteAccess"_s, u"1"_s);
        set(u"RemoteAccess\\TabInternetAccess"_s, u"chkWWWProtect"_s, u"0"_s);
    }

    // A connection that sends request and then reads nothing; -1 on failure.
    int openAndAsk(const QByteArray& request) const
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
            || ::send(fd, request.constData(), size_t(request.size()), MSG_NOSIGNAL) != request.size()) {
            if (fd >= 0)
                ::close(fd);
            return -1;
        }
        return fd;
    }

    // The service's resident memory in KiB, from its /proc status.
    qint64 serviceKiB() const
    {
        QFile status(u"/proc/%1/status"_s.arg(svc->processId()));
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
        return -1;
    }

    // The service started, with its web server listening.
    void startServing()
    {
        ASSERT_NO_FATAL_FAILURE(start());
        port = env.waitForWebPort();
        ASSERT_NE(port, 0);
    }

    quint16 port = 0;
};

TEST_F(WebUnderLoad, ClientsThatReadNothingHoldNeitherMemoryNorTheLine)
{
    // The largest journal a page shows: over the 4 MiB it shows of one.
    QByteArray journal;
    for (int i = 0; journal.size() < 5 * 1024 * 1024; ++i)
        journal += "10:00:00 : ->Entry number " + QByteArray::number(i) + " of a long day(0)\r\n";
    QFile file(env.programFolder() + u"/Journal/12-01-2026_Sys.txt"_s);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(journal), journal.size());
    file.close();

    ASSERT_NO_FATAL_FAILURE(startServing());
    const qint64 idle = serviceKiB();
    ASSERT_GT(idle, 0);

    std::vector<int> clients;
    for (int i = 0; i < 64; ++i) {
        const int fd = openAndAsk("GET /Journal?dt=12-01-2026_Sys.txt HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
        ASSERT_GE(fd, 0) << i;
        clients.push_back(fd);
    }
    qint64 peak = idle;
    const auto sample = [&] { peak = std::max(peak, serviceKiB()); };

    // A call placed while the pages are being built and sent goes through:
    // the line never waits for them. How soon is the latency benchmark's.
    ASSERT_EQ(line({u"call"_s, u"--number"_s, u"5551234"_s, u"--name"_s, u"Ann Lee"_s, u"--rings"_s, u"1"_s,
                       u"--fast"_s})
                  .exitCode,
        0);
    ASSERT_TRUE(waitUntil(
        [&] {
            sample();
            return !callerIds.isEmpty();
        },
        20000));
    ASSERT_TRUE(waitForIdles());

    // Every client has its answer waiting, unread: the service holds what
    // it holds for them now.
    const auto everyoneAnswered = [&] {
        sample();
        return std::all_of(clients.begin(), clients.end(), [](int fd) {
            pollfd p{fd, POLLIN, 0};
            return ::poll(&p, 1, 0) == 1;
        });
    };
    EXPECT_TRUE(waitUntil(everyoneAnswered, 20000));
    // What they are sent is the journal's page.
    char start[16] = {};
    ASSERT_EQ(::recv(clients.front(), start, sizeof start - 1, MSG_PEEK), ssize_t(sizeof start - 1));
    EXPECT_STREQ(start, "HTTP/1.0 200 OK");
    sample();
#if !defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer keeps freed blocks resident (its quarantine), so only
    // a plain build can measure what the service holds.
    EXPECT_LT(peak - idle, 64 * 1024) << "idle " << idle << " KiB, peak " << peak << " KiB";
#endif

    for (const int fd : clients)
        ::close(fd);
    unload();
}

TEST_F(WebUnderLoad, ControlCharactersFromTheNetworkNeverReachTheFiles)
{
    ASSERT_NO_FATAL_FAILURE(startServing());
    const QString name = u"Ann"_s + QChar(0x1b) + u"[31m Lee"_s + QChar(0x07);
    ASSERT_EQ(line({u"call"_s, u"--number"_s, u"555"_s + QChar(0x1b) + u"1234"_s, u"--name"_s, name,
                       u"--rings"_s, u"1"_s, u"--fast"_s})
                  .exitCode,
        0);
    ASSERT_TRUE(waitForIdles());
    ASSERT_EQ(recordCount(), 1);
    EXPECT_EQ(trimmed(record(1)->CallerName), u"Ann [31m Lee"_s);
    EXPECT_EQ(trimmed(record(1)->CallerNumber), u"555 1234"_s);

    const int fd = openAndAsk(QByteArray("GET /\x1b[2J\x07") + QByteArray(1, '\0')
        + " HTTP/1.0\r\nX-Pad: " + QByteArray(3000, 'p') + "\r\n\r\n");
    ASSERT_GE(fd, 0);
    const QString www = env.programFolder() + u"/Journal/"_s
        + JournalFormat::fileName(JournalFormat::Kind::WWW, QDate::currentDate());
    QByteArray text;
    ASSERT_TRUE(waitUntil([&] {
        QFile file(www);
        text = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        return text.contains("X-Pad");
    }));
    ::close(fd);
    QFile calls(env.programFolder() + u"/Journal/"_s
        + JournalFormat::fileName(JournalFormat::Kind::Calls, QDate::currentDate()));
    ASSERT_TRUE(calls.open(QIODevice::ReadOnly));
    for (const QByteArray& journalText : {text, calls.readAll()}) {
        const QByteArray body = QByteArray(journalText).replace("\r\n", "");
        EXPECT_FALSE(std::any_of(body.begin(), body.end(), [](char c) {
            return (uchar(c) < 0x20 && c != '\t') || uchar(c) == 0x7f;
        })) << journalText.toStdString();
    }
    // One entry of at most 1 KiB and the time in front of it.
    const QByteArray entry = text.mid(text.indexOf("GET /"));
    EXPECT_LE(entry.size(), 1024 + 2);
    unload();
}

} // namespace

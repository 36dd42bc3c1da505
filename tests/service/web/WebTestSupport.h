#pragma once

#include "service/web/frmHTTP.h"
#include "tests/support/WaitUntil.h"

#include <QByteArray>
#include <QDateTime>
#include <QMutex>
#include <QStringList>
#include <QThread>

#include <functional>
#include <memory>

// The real web server on its own event loop in a second thread, so a test can
// talk to it over 127.0.0.1 with plain blocking sockets.
class ServerThread {
public:
    struct Journals {
        QMutex mutex;
        QStringList www;
        QStringList sys; // "source|message|number"
    };

    // The idle bound counts the server's own work too: a sanitizer build on a
    // full machine spends seconds building a large page before its first byte.
    // anyPort: listen on a port the system picks, not on RCWWWPort (which
    // must still be valid), so tests running side by side never race for one.
    // idleTimeoutMs bounds the head and an answer's stall alike; adjust
    // changes any other option before the server is made.
    explicit ServerThread(const WebAccessSettings& settings, int idleTimeoutMs = testTimeout(3000),
        qsizetype maxRequestBytes = 16 * 1024, bool anyPort = true,
        const std::function<void(frmHTTP::Options&)>& adjust = {});
    ~ServerThread();
    ServerThread(const ServerThread&) = delete;
    ServerThread& operator=(const ServerThread&) = delete;

    // The time shown on every page.
    static QDateTime fixedNow();

    bool started() const { return m_started; }
    // The main form's "CLOSE_WEB" and "OPEN_WEB".
    void stop();
    bool restart();
    quint16 port() const { return m_port; }
    int slotsTaken();
    WebAccessSettings settings();
    QStringList wwwJournal();
    QStringList sysJournal();

private:
    template<class F>
    void run(F&& f);

    QThread m_thread;
    QObject* m_context = nullptr;
    frmHTTP* m_server = nullptr;
    std::shared_ptr<Journals> m_journals = std::make_shared<Journals>();
    bool m_started = false;
    quint16 m_port = 0;
};

// Web settings that allow the server, without a password, on a valid port
// that a server started with anyPort does not take.
WebAccessSettings openWebSettings();

// Kilobytes of memory the process holds (VmRSS of /proc/PID/status; the
// test's own process when pid is 0); -1 when it cannot be read.
qint64 residentKiB(qint64 pid = 0);

// A blocking client socket to 127.0.0.1, from the loopback address from
// (127.0.0.2 is another peer than 127.0.0.1 to the server).
class Client {
public:
    explicit Client(quint16 port, const char* from = "127.0.0.1");
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    bool connected() const { return m_fd >= 0; }
    bool send(const QByteArray& bytes);
    // Everything the server sends until it closes; closedByServer tells
    // whether it did within timeoutMs.
    QByteArray readToEnd(int timeoutMs, bool* closedByServer = nullptr);
    // Reads until at least bytes have come (then reads no more); false when
    // they did not within timeoutMs.
    bool readSome(qsizetype bytes, int timeoutMs);

private:
    int m_fd = -1;
};

// A GET of path over HTTP/1.0 with a Host header.
QByteArray get(const char* path);
// The same from a link on this site's own page, as a browser sends it.
QByteArray fromOwnPage(const char* path);

// One request on a fresh connection; the whole answer.
QByteArray exchange(quint16 port, const QByteArray& request, int timeoutMs = 5000);

struct Answer {
    QByteArray statusLine;
    QByteArray head; // status line and headers, up to the empty line
    QByteArray body;
    QByteArray header(const QByteArray& name) const;
};
Answer splitAnswer(const QByteArray& bytes);

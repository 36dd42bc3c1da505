#pragma once

#include "service/web/HttpRequest.h"
#include "service/web/HttpSlot.h"
#include "service/web/PageBuilder.h"
#include "service/web/RefusedRequests.h"
#include "service/web/WebAccessSettings.h"
#include "service/web/WebPages.h"

#include <QHash>
#include <QObject>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>

class Journal;
class QTcpServer;

// The service's web server: one listener on the configured port and 256
// connection slots, on the event loop of the thread it is made on (WebServer
// gives it one of its own). Each connection carries one request and gets one
// HTTP/1.0 answer: the recent-calls page, the journal
// page, a recording below Data/Log or a file of WWW/. Pages are built on a
// worker (PageBuilder) and every answer goes out with back-pressure, so
// neither a large page nor a slow client holds up the loop or its memory.
// Slow or silent clients cannot keep the slots from others: each connection
// is held to its SlotLimits, one address holds at most
// connectionsPerAddress slots, and when every slot is taken the connection
// that has waited longest without authenticating makes room.
//
// The main form makes it with its web-settings record, calls start() when it
// loads with remote access allowed and on "OPEN_WEB", and stop() (or deletes
// it) on "CLOSE_WEB" and when it unloads.
class frmHTTP : public QObject {
    Q_OBJECT
public:
    static constexpr int kSlotCount = 256;

    struct Options {
        QString productTitle; // the product title, shown in the calls page's footer
        // How long a connection may keep its slot waiting.
        SlotLimits limits;
        // Connections one peer address may hold at once; more are closed
        // as they come.
        int connectionsPerAddress = 32;
        // A request head (request line and header) larger than this is refused.
        qsizetype maxRequestBytes = 16 * 1024;
        // Listen on a port the system picks instead of RCWWWPort, which must
        // still be valid: tests and tools that run beside other servers.
        bool anyPort = false;
        WebPages::Now now; // empty: Clock::instance()
        // The service's journal; none: nothing is journaled.
        const Journal* journal = nullptr;
        // Where the web and system journal lines go in place of journal.
        std::function<void(const QString& text)> wwwJournal;
        std::function<void(const QString& message, qint32 number, const QString& source)> sysJournal;
    };

    frmHTTP(const WebAccessSettings& settings, Options options, QObject* parent = nullptr);
    ~frmHTTP() override;

    // Listens on RCWWWPort (1 to 65535) on every address. When it cannot (a
    // port out of range among the reasons), it journals the failure, sets
    // RCWWWAllow to 0 and returns false; the server then stays without a
    // listener until the next start.
    bool start();
    // Closes the listener and drops every connection; nothing more is sent.
    void stop();

    bool isListening() const;
    // Why the last start could not listen; empty after one that could.
    QString listenError() const { return m_listenError; }
    // The port listened on; 0 when not listening.
    quint16 serverPort() const;
    // Connections now holding a slot.
    int slotsTaken() const;

    // The record as the server uses it; RCWWWAllow is 0 after a failed start.
    const WebAccessSettings& settings() const { return m_settings; }
    // Applies to the next request; the port only at the next start.
    void setSettings(const WebAccessSettings& settings);

private:
    void acceptPending();
    // The slot of the unauthenticated connection accepted first; none when
    // every slot is free or authenticated.
    HttpSlot* longestWaitingUnauthenticated() const;
    void handleRequest(HttpSlot* slot, const QByteArray& head);
    void answerRequest(HttpSlot* slot, const HttpRequest::Request& request, const QByteArray& head);
    // The request is answered in full: its head goes to the web journal.
    void admit(const QByteArray& head);
    // Answers a refusal (400, 401, 403, 404, 501). Its web-journal line
    // (www) and system-journal line (sys, when not empty) are written within
    // the allowance of the peer's address (RefusedRequests).
    void refuse(HttpSlot* slot, const QByteArray& answer, const QString& www, const QString& sys = {});
    void journalRefusalSummaries();
    // Builds a page on the worker and sends it on slot. key: pages of the same
    // key asked for meanwhile share one build.
    void answerPage(HttpSlot* slot, const QString& key, std::function<QString(const WebPages&)> build);
    // The journal page of file: its text is never held whole, but read again
    // a block at a time as the peer takes the answer.
    void answerJournalPage(HttpSlot* slot, const QString& file);
    void sendFile(HttpSlot* slot, const QString& path);
    void onSocketError(HttpSlot* slot, int number, const QString& description);
    void onReleased(HttpSlot* slot);
    void journalError(const QString& text);
    void www(const QString& text) const;
    void sys(const QString& message, qint32 number, const QString& source) const;

    WebAccessSettings m_settings;
    Options m_options;
    WebPages m_pages;
    PageBuilder m_builder;
    std::unique_ptr<QTcpServer> m_listener;
    QString m_listenError;
    std::array<HttpSlot*, kSlotCount> m_slots{};
    // When each slot's connection was accepted, in acceptance order.
    std::array<quint64, kSlotCount> m_acceptedOrder{};
    quint64 m_accepted = 0;
    QHash<QString, int> m_connectionsOf; // peer address: slots it holds
    bool m_accepting = false;
    RefusedRequests m_refusals;
    QTimer m_refusalSummaries;
};

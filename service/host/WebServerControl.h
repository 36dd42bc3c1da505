#pragma once

#include "service/web/WebAccessSettings.h"

#include <QObject>

// The web server as the main form starts and stops it (frmHTTP loaded and
// unloaded). The record stays the main form's and outlives the server.
class WebServerControl : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Listens on settings.RCWWWPort and serves until stop() or destruction;
    // sets settings.RCWWWAllow to 0 when it cannot listen.
    virtual void start(WebAccessSettings& settings) = 0;
    virtual void stop() = 0;
    // The port it listens on; 0 when it does not.
    virtual quint16 serverPort() const { return 0; }
    // Why the last start could not listen.
    virtual QString listenError() const { return {}; }
};

class Journal;
class QThread;

// The real server (frmHTTP) behind the main form's interface. It runs on a
// thread and event loop of its own: under a full web load the line's events
// would otherwise wait behind hundreds of sockets. What it shares with the
// line (the journals, the recent-calls list, the contact index) is locked.
class WebServer final : public WebServerControl {
    Q_OBJECT
public:
    explicit WebServer(const Journal& journal, QObject* parent = nullptr);
    ~WebServer() override;

    void start(WebAccessSettings& settings) override;
    void stop() override;
    quint16 serverPort() const override { return m_port; }
    QString listenError() const override { return m_listenError; }

private:
    const Journal& m_journal;
    QThread* m_thread = nullptr;
    // Lives on m_thread; made, used and deleted only there.
    class frmHTTP* m_server = nullptr;
    // Read on the caller's thread after start(): copied from the server then.
    quint16 m_port = 0;
    QString m_listenError;
};

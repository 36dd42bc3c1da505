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

// The real server (frmHTTP) behind the main form's interface.
class WebServer final : public WebServerControl {
    Q_OBJECT
public:
    explicit WebServer(const Journal& journal, QObject* parent = nullptr)
        : WebServerControl(parent)
        , m_journal(journal)
    {
    }
    ~WebServer() override;

    void start(WebAccessSettings& settings) override;
    void stop() override;
    quint16 serverPort() const override;
    QString listenError() const override;

private:
    const Journal& m_journal;
    class frmHTTP* m_server = nullptr;
};

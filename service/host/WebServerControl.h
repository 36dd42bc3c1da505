#pragma once

#include <QObject>
#include <QString>

// The web-settings record of the main form, filled from
// RemoteAccess\TabInternetAccess; the web server reads it at every request.
struct WebAccessSettings {
    qint32 RCWWWPort = 0;    // txtWWWPort; read at start only
    qint32 RCWWWAllow = 0;   // chkAllowWWWRemoteAccess; the server sets 0 when it cannot listen
    qint32 RCWWWProtect = 0; // chkWWWProtect; 1: Basic credentials required
    QString RCWWWUserName;   // txtWWWUserName
    QString RCWWWPass;       // txtWWWPass
    QString RCWWWStartPage;  // always "Calls"
    qint32 RCWWWViewCalls = 0;   // always 1: the calls pages are served
    qint32 RCWWWViewOptions = 0; // always 0
    QString RCWWWViewLog;        // always "1": the journal pages are served
};

// The web server as the main form starts and stops it (frmHTTP loaded and
// unloaded). The record stays the main form's and outlives the server.
class WebServerControl : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Listens on settings.RCWWWPort and serves until stop() or destruction.
    virtual void start(WebAccessSettings& settings) = 0;
    virtual void stop() = 0;
};

// Holds the web server's place until the real one is wired in: serves
// nothing.
class WebServerStandIn final : public WebServerControl {
    Q_OBJECT
public:
    using WebServerControl::WebServerControl;

    void start(WebAccessSettings&) override {}
    void stop() override {}
};

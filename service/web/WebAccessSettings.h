#pragma once

#include <QString>

// The web-settings record that the service's main form holds and the web
// server reads (RemoteAccess\TabInternetAccess). The members keep the names
// the main form gives them.
struct WebAccessSettings {
    qint32 RCWWWPort = 0; // txtWWWPort: the port to listen on
    qint32 RCWWWAllow = 0; // chkAllowWWWRemoteAccess; the server sets 0 when it cannot listen
    qint32 RCWWWProtect = 0; // chkWWWProtect: exactly 1 asks for Basic credentials
    QString RCWWWUserName; // txtWWWUserName
    QString RCWWWPass; // txtWWWPass
    QString RCWWWStartPage = QStringLiteral("Calls");
    qint32 RCWWWViewCalls = 1; // non-zero: the calls page is served
    qint32 RCWWWViewOptions = 0;
    QString RCWWWViewLog = QStringLiteral("1"); // a non-zero number: the journal page is served
};

// The record as the main form's LoadWebAccessSettings fills it from the
// settings; a value that is missing or not a whole number reads as 0.
WebAccessSettings LoadWebAccessSettings();

// chkAllowWWWRemoteAccess read as the main form's start-up does: only a value
// that reads as True ("1", any non-zero number) lets the server start.
bool RemoteAccessAllowed();

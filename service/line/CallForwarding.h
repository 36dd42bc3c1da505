#pragma once

#include <QObject>

class LineActions;

// Passes an ended call on: by mail (SMTP, or through the desktop in MAPI
// mode) and by starting the configured program with the call's details.
class CallForwarding : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Mails line.call() to its options' MailTo.
    virtual void SendCallByMail(LineActions& line) = 0;
    // Starts its options' AppCommand, filled from line.call().
    virtual void SendToApp(LineActions& line) = 0;
    // The engine unloads: what is still under way reports to it no more.
    virtual void LineUnloading(LineActions&) { }
};

// Whether an ended call of callType is forwarded under an action code
// (MailAction, AppAction): 0 every call, 1 only type "2", 2 only type "3".
// Each matching code forwards once.
bool ForwardsCallType(qint16 action, const QString& callType);

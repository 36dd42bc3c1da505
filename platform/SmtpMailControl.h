#pragma once

#include <QObject>
#include <QString>

// Sends mail through an SMTP server. SendEmail returns at once with the mail's
// number; the mail then goes out on its own, and every event names it, since
// several mails may be on their way at the same time. Each mail ends with
// exactly one Done or one Failed, always later on the event loop (never inside
// SendEmail), so a caller can note the number before any event arrives.
class SmtpMailControl : public QObject {
    Q_OBJECT
public:
    using MailId = quint64;

    using QObject::QObject;

    // server: "host" or "host:port" (port 25 when none). fromName is the
    // sender's display name; attachment must be empty (plain-text mails only).
    // With a user name the login is required and goes only over STARTTLS.
    // The last two arguments keep the callers' argument order and are not
    // used.
    virtual MailId SendEmail(const QString& server, const QString& fromAddress, const QString& fromName,
        const QString& to, const QString& subject, const QString& body, const QString& attachment,
        const QString& userName, const QString& password, const QString& unused1, const QString& unused2)
        = 0;

signals:
    // done of total bytes of the message handed to the server.
    void Progress(SmtpMailControl::MailId id, qint64 total, qint64 done);
    // The server took the mail.
    void Done(SmtpMailControl::MailId id);
    // The mail was not sent: a libcurl error number and a text for a person.
    void Failed(SmtpMailControl::MailId id, int errorNumber, const QString& errorText);
};

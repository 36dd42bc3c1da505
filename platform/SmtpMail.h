#pragma once

#include <QObject>
#include <QString>

// Mail over SMTP: one message at a time per call of SendEmail, several may be
// under way at once. Progress, Done and Failed arrive on the event loop.
class SmtpMail : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // server: "host" or "host:port" (25 when none). An empty user name sends
    // without logging in. The service gives its product title as fromName,
    // mailer and organisation.
    virtual void SendEmail(const QString& server, const QString& fromAddress, const QString& fromName,
        const QString& to, const QString& subject, const QString& body, const QString& attachment,
        const QString& userName, const QString& password, const QString& mailer, const QString& organisation)
        = 0;

Q_SIGNALS:
    void Progress(qint64 total, qint64 done);
    void Done();
    void Failed(qint32 error, const QString& text);
};

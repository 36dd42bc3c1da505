#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// What goes into one plain-text mail.
struct MailContent {
    QString fromAddress;
    QString fromName;
    QString to;
    QString subject;
    QString body;
};

// A head field's text on one line: templates and callers may put line breaks
// into it, which would start new header lines. Control characters become
// blanks.
QString MailHeaderLine(QString text);
// An address as it goes into the envelope and the head: one line, trimmed.
QString MailAddress(const QString& text);

// The whole message as it goes to the server: Date, From (the name quoted, or
// as encoded words when not plain ASCII), To, Subject (encoded words unless
// plain ASCII), Message-ID, and the body as UTF-8 text in base64 (so no line
// of it can be taken for the end of the data, whatever it holds), every line
// ending in CR LF.
QByteArray ComposeMailMessage(const MailContent& mail, const QDateTime& date, const QByteArray& messageId);

// The message as the system's sendmail takes it on its input: To, Subject
// (encoded words unless plain ASCII), MIME-Version, Content-Type (plain UTF-8
// text, sent as 8-bit), a blank line and the body, every line ending in LF.
// The sender, date and message identifier are sendmail's to add.
QByteArray ComposeSendmailMessage(const QString& to, const QString& subject, const QString& body);

// A new "<...@domain>" identifier; the domain is the sender's when it has one.
QByteArray NewMessageId(const QString& fromAddress);

#pragma once

#include "common/ChannelMessages.h"
#include "platform/MessageControl.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTimer>

// The desktop's mail program: on channel 112 it takes each "SENDMAIL" to the
// system's sendmail, one at a time, and answers "DONE_SEND_MAIL" whatever
// became of it (a mail not sent is said on standard error, in the system
// journal and on the desktop's status bar); "UNLOAD" ends it. So
// does a desktop that went without saying it: nobody else on 112 at two
// looks in a row.
namespace PostrunTool {

// The sendmail to run: the first on PATH, else /usr/sbin/sendmail.
QString SendmailProgram();

// What is passed to sendmail for a recipient: "-i", "--" and the recipient,
// no shell. Empty when the recipient may not be run at all: empty, or taken
// for an option.
QStringList SendmailArguments(const QString& recipient);

class Mailer : public QObject {
    Q_OBJECT
public:
    // Longest a sendmail may run before it is ended.
    static constexpr int kSendmailMs = 60000;
    // How often it looks for the desktop on 112.
    static constexpr int kLookMs = 3000;

    explicit Mailer(QObject* parent = nullptr);
    // Binds 112; false when it cannot listen there.
    bool Listen();

signals:
    // "UNLOAD" came and the mail in hand is done.
    void Finished();

private:
    void MessageArrived(const QString& text);
    void DeliverNext();
    void Delivered(const QString& failure);
    void Answer();

    MessageControl m_channel;
    QList<ChannelMessages::MailRequest> m_waiting;
    QProcess* m_sendmail = nullptr;
    QString m_recipient;
    QTimer m_limit;
    QTimer m_look;
    int m_missed = 0;
    bool m_unloading = false;
};

// Postrun -gc: one per program folder and user (a second ends at once, 0).
int run(const QStringList& arguments);

} // namespace PostrunTool

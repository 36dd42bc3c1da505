#pragma once

#include "common/MailProgress.h"
#include "platform/SmtpMailControl.h"
#include "service/line/CallForwarding.h"

#include <QHash>
#include <QString>

class Journal;
class ProgramLauncher;

// Forwards an ended call: a mail through the mail control (SMTP), or to the
// desktop on 311 in MAPI mode; a program through the launcher, its command
// line split by SplitCommandLine and only the arguments filled with the call's
// details, so caller text is never read as a command.
//
// Each SMTP mail is followed to its end, so the journal names the recipient
// of that mail even when several are under way.
class MailAndAppForwarding final : public CallForwarding {
    Q_OBJECT
public:
    MailAndAppForwarding(
        SmtpMailControl& mail, ProgramLauncher& launcher, const Journal& journal, QObject* parent = nullptr);

    void SendCallByMail(LineActions& line) override;
    void SendToApp(LineActions& line) override;
    void LineUnloading(LineActions& line) override;

private:
    struct PendingMail {
        QString MailTo;
        LineActions* line; // nullptr once the engine has gone
    };

    void Mail1_Progress(SmtpMailControl::MailId id, qint64 total, qint64 done);
    void Mail1_Done(SmtpMailControl::MailId id);
    void Mail1_Failed(SmtpMailControl::MailId id, int errorNumber, const QString& errorText);
    // The end of a mail either way: "LineStatus" on 307; its recipient.
    QString finish(SmtpMailControl::MailId id);

    SmtpMailControl& Mail1;
    ProgramLauncher& m_launcher;
    const Journal& m_journal;
    QHash<SmtpMailControl::MailId, PendingMail> m_mails;
};

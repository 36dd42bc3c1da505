#include "service/line/MailAndAppForwarding.h"

#include "common/CallTemplate.h"
#include "common/ChannelMessages.h"
#include "common/MailProgress.h"
#include "platform/CommandLineSplit.h"
#include "platform/ProgramLauncher.h"
#include "service/core/CallOptions.h"
#include "service/core/Journal.h"
#include "service/core/ProductTitle.h"
#include "service/core/ServiceTranslation.h"
#include "service/line/LineActions.h"

namespace {

constexpr int MailProgressTextIndex = 7;

} // namespace

MailAndAppForwarding::MailAndAppForwarding(
    SmtpMailControl& mail, ProgramLauncher& launcher, const Journal& journal, QObject* parent)
    : CallForwarding(parent)
    , Mail1(mail)
    , m_launcher(launcher)
    , m_journal(journal)
{
    connect(&Mail1, &SmtpMailControl::Progress, this, &MailAndAppForwarding::Mail1_Progress);
    connect(&Mail1, &SmtpMailControl::Done, this, &MailAndAppForwarding::Mail1_Done);
    connect(&Mail1, &SmtpMailControl::Failed, this, &MailAndAppForwarding::Mail1_Failed);
}

void MailAndAppForwarding::SendCallByMail(LineActions& line)
{
    const CurrentCall& call = line.call();
    const QString& mailTo = call.options.MailTo;
    if (mailTo.trimmed().isEmpty()) {
        // Nobody to send to: neither SMTP nor the desktop's sendmail could,
        // and the user sees it in the journal and on the status bar.
        m_journal.WriteSysJournal(QStringLiteral("The call details were not sent: no mail address is set"), 0,
            QStringLiteral("SendCallByMail"));
        line.send(ChannelNumber::EventChannel,
            ChannelMessages::mailProgress(
                line.CurrentLine(), QStringLiteral("Mail not sent: no mail address")));
        return;
    }
    const QString subject = FillCallTemplate(call.settings.MailSubject, call.info);
    const QString body = FillCallTemplate(call.settings.MailMessage, call.info);
    if (call.settings.bMapi) {
        if (!line.send(ChannelNumber::MailChannel, ChannelMessages::sendMail(mailTo, subject, body))) {
            m_journal.WriteSysJournal(
                QStringLiteral("The desktop program takes no mail; not sent to ") + mailTo, 0,
                QStringLiteral("SendCallByMail"));
        }
        return;
    }
    const QString title = ProductTitle();
    const SmtpMailControl::MailId id
        = Mail1.SendEmail(call.settings.SmtpServer, call.settings.FromMail, title, mailTo, subject, body,
            QString(), call.settings.SmtpUserName, call.settings.SmtpPassword, title, title);
    m_mails.insert(id, {mailTo, &line});
}

void MailAndAppForwarding::Mail1_Progress(SmtpMailControl::MailId id, qint64 total, qint64 done)
{
    const auto it = m_mails.constFind(id);
    if (it == m_mails.constEnd() || !it->line)
        return;
    LineActions& line = *it->line;
    line.send(ChannelNumber::EventChannel,
        ChannelMessages::mailProgress(
            line.CurrentLine(), MailProgressText(ServiceTrans(MailProgressTextIndex), total, done)));
}

QString MailAndAppForwarding::finish(SmtpMailControl::MailId id)
{
    const PendingMail mail = m_mails.take(id);
    if (mail.line)
        mail.line->SendLineStatus();
    return mail.MailTo;
}

void MailAndAppForwarding::Mail1_Done(SmtpMailControl::MailId id)
{
    if (!m_mails.contains(id))
        return;
    m_journal.WriteSysJournal(
        QStringLiteral("Sent the call details to ") + finish(id) + QStringLiteral(" complete"), 0, QString());
}

void MailAndAppForwarding::Mail1_Failed(SmtpMailControl::MailId id, int errorNumber, const QString& errorText)
{
    if (!m_mails.contains(id))
        return;
    m_journal.WriteSysJournal(
        QStringLiteral("Sending the call details to ") + finish(id) + QStringLiteral(" failed: ") + errorText,
        errorNumber, QStringLiteral("Mail1_Done"));
}

void MailAndAppForwarding::LineUnloading(LineActions& line)
{
    for (PendingMail& mail : m_mails) {
        if (mail.line == &line)
            mail.line = nullptr;
    }
}

void MailAndAppForwarding::SendToApp(LineActions& line)
{
    const CurrentCall& call = line.call();
    // The template is the user's own text: it is split first, and the call's
    // details (caller text from the telephone network among them) are filled
    // into each argument, never read again.
    const CommandLine command = SplitCommandLine(call.options.AppCommand);
    QStringList arguments;
    for (const QString& argument : command.arguments)
        arguments.append(FillCallTemplate(argument, call.info));
    const WindowStyle style = call.settings.bAppInBackground ? WindowStyle::Shown : WindowStyle::Hidden;
    const LaunchResult result = m_launcher.Start(command.program, arguments, style);
    if (!result.started()) {
        m_journal.WriteSysJournal(QStringLiteral("Error Send To APP ->") + QString::number(result.errorNumber)
                + u' ' + result.errorText,
            0, QString());
    }
}

#include "tools/Postrun/PostrunTool.h"

#include "common/AppPaths.h"
#include "platform/MailMessage.h"
#include "platform/SingleInstanceLock.h"
#include "platform/UnixSignalRoute.h"
#include "service/core/Journal.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <cstdio>
#include <memory>

namespace PostrunTool {

namespace {

constexpr int kAnswerFlushMs = 5000;
constexpr int kErrorBytes = 400;

void say(const QString& text)
{
    const QByteArray line = (QStringLiteral("Postrun: ") + text).toUtf8() + '\n';
    std::fwrite(line.constData(), 1, line.size(), stderr);
    std::fflush(stderr);
}

const char* const kHelp
    = "usage: Postrun -gc\n"
      "The desktop's mail program. Ringvale starts it beside itself and hands it\n"
      "one mail at a time on channel 112:\n"
      "  SENDMAIL\\x14recipient\\x14subject\\x14body\\x14attachment\n"
      "Each mail goes to the system's sendmail (the first on PATH, else\n"
      "/usr/sbin/sendmail) as \"sendmail -i -- recipient\" with the message on its\n"
      "input; the attachment is not read. Each is answered \"DONE_SEND_MAIL\",\n"
      "whether it went or not; a mail not sent is said on standard error, in\n"
      "the system journal and on channel 307 (the desktop's status bar).\n"
      "\"UNLOAD\" ends it, and so does a desktop gone without it (nobody else on 112 for\n"
      "about 6 s). One runs per program folder and user: a second ends at once.\n"
      "\n"
      "Exit status: 0 ended by UNLOAD or a signal, or another one runs; 1 channel\n"
      "112 cannot be listened on; 2 bad arguments.\n";

int usage()
{
    say(QStringLiteral("usage: Postrun -gc; Postrun --help tells more"));
    return 2;
}

// A recipient or sendmail's complaint as one line of standard error.
QString oneLine(const QString& text)
{
    return MailHeaderLine(text).simplified();
}

// A mail that did not go out is said where the user looks: standard error,
// the system journal (as the service writes it) and the desktop's status bar
// (a mail event on 307, as the service's own mail sends).
void notSent(const QString& text)
{
    say(text);
    const Journal journal(ReadJournalSwitches());
    journal.WriteSysJournal(text, 0, QStringLiteral("Postrun"));
    MessageControl events;
    if (events.Channel(ChannelNumber::EventChannel)) {
        events.Send(ChannelMessages::mailProgress(0, QStringLiteral("Mail not sent: ") + text));
        events.Flush(2000);
    }
}

} // namespace

QString SendmailProgram()
{
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("sendmail"));
    return onPath.isEmpty() ? QStringLiteral("/usr/sbin/sendmail") : onPath;
}

QStringList SendmailArguments(const QString& recipient)
{
    const QString address = MailAddress(recipient);
    if (address.isEmpty() || address.startsWith(u'-'))
        return {};
    return {QStringLiteral("-i"), QStringLiteral("--"), address};
}

Mailer::Mailer(QObject* parent)
    : QObject(parent)
{
    connect(&m_channel, &MessageControl::MessageArrived, this, &Mailer::MessageArrived);
    m_limit.setSingleShot(true);
    m_limit.setInterval(kSendmailMs);
    connect(&m_limit, &QTimer::timeout, this, [this] {
        if (m_sendmail)
            m_sendmail->kill();
    });
}

bool Mailer::Listen()
{
    m_channel.Channel(ChannelNumber::PostrunChannel);
    if (m_channel.socketPath().isEmpty())
        return false;
    // A desktop that ended before its "UNLOAD" could reach us (killed, or
    // gone before we listened) must not leave us running for good.
    m_look.setInterval(kLookMs);
    connect(&m_look, &QTimer::timeout, this, [this] {
        m_missed = m_channel.Channel(ChannelNumber::PostrunChannel) ? 0 : m_missed + 1;
        if (m_missed >= 2 && !m_sendmail) {
            m_look.stop();
            emit Finished();
        }
    });
    m_look.start();
    return true;
}

void Mailer::MessageArrived(const QString& text)
{
    if (text == MessageName::Unload) {
        m_unloading = true;
        if (!m_waiting.isEmpty())
            notSent(QStringLiteral("%1 mail(s) not sent: the desktop program ends").arg(m_waiting.size()));
        m_waiting.clear();
        if (!m_sendmail)
            emit Finished();
        return;
    }
    const std::optional<ChannelMessages::MailRequest> request = ChannelMessages::parsePostrunSendMail(text);
    if (!request || m_unloading)
        return;
    m_waiting.append(*request);
    if (!m_sendmail)
        DeliverNext();
}

void Mailer::DeliverNext()
{
    while (!m_sendmail && !m_waiting.isEmpty()) {
        const ChannelMessages::MailRequest mail = m_waiting.takeFirst();
        m_recipient = oneLine(mail.mailTo);
        const QStringList arguments = SendmailArguments(mail.mailTo);
        if (arguments.isEmpty()) {
            notSent(QStringLiteral("the mail \"%1\" was not sent: the recipient \"%2\" is no address")
                        .arg(oneLine(mail.subject), m_recipient));
            Answer();
            continue;
        }
        const QString program = SendmailProgram();
        if (!QFileInfo(program).isExecutable()) {
            notSent(QStringLiteral("the mail to %1 was not sent: there is no sendmail on PATH nor %2")
                        .arg(m_recipient, program));
            Answer();
            continue;
        }
        m_sendmail = new QProcess(this);
        m_sendmail->setStandardOutputFile(QProcess::nullDevice());
        connect(m_sendmail, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
            const QString complaint
                = oneLine(QString::fromUtf8(m_sendmail->readAllStandardError().left(kErrorBytes)));
            if (status != QProcess::NormalExit)
                Delivered(QStringLiteral("sendmail ended without finishing")
                    + (m_limit.isActive()
                            ? QString()
                            : QStringLiteral(" (it ran longer than %1 s)").arg(kSendmailMs / 1000)));
            else if (exitCode != 0)
                Delivered(QStringLiteral("sendmail failed with exit status %1%2")
                              .arg(exitCode)
                              .arg(complaint.isEmpty() ? QString() : QStringLiteral(": ") + complaint));
            else
                Delivered(QString());
        });
        connect(m_sendmail, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                Delivered(QStringLiteral("sendmail did not start: ") + m_sendmail->errorString());
        });
        QProcess* process = m_sendmail;
        m_limit.start();
        process->start(program, arguments);
        // A start that failed at once has been answered already.
        if (m_sendmail == process && process->state() != QProcess::NotRunning) {
            process->write(ComposeSendmailMessage(mail.mailTo, mail.subject, mail.body));
            process->closeWriteChannel();
        }
    }
}

void Mailer::Delivered(const QString& failure)
{
    if (!m_sendmail)
        return;
    m_limit.stop();
    m_sendmail->deleteLater();
    m_sendmail = nullptr;
    if (!failure.isEmpty())
        notSent(QStringLiteral("the mail to %1 was not sent: %2").arg(m_recipient, failure));
    Answer();
    if (m_unloading) {
        emit Finished();
        return;
    }
    DeliverNext();
}

void Mailer::Answer()
{
    // The desktop may have gone meanwhile: then nobody waits for the answer.
    if (!m_channel.Channel(ChannelNumber::PostrunChannel))
        return;
    m_channel.Send(MessageName::DoneSendMail.toString());
    m_channel.Flush(kAnswerFlushMs);
}

int run(const QStringList& arguments)
{
    if (arguments.size() == 1
        && (arguments.at(0) == u"--help" || arguments.at(0) == u"-h" || arguments.at(0) == u"help")) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (arguments != QStringList{QStringLiteral("-gc")})
        return usage();

    const AppPaths::RuntimeFolder runtime = AppPaths::openRuntimeFolder();
    if (runtime.path.isEmpty()) {
        say(QStringLiteral("cannot use channel 112: ") + runtime.problem);
        return 1;
    }
    SingleInstanceLock instance(runtime.path + QStringLiteral("/Postrun.lock"));
    if (instance.state() == SingleInstanceLock::State::HeldElsewhere)
        return 0;
    if (instance.state() == SingleInstanceLock::State::Failed)
        say(QStringLiteral("cannot lock Postrun.lock; cannot tell whether another one runs"));

    // Signals end it as UNLOAD does, so its socket goes with it.
    UnixSignalRoute route;
    std::unique_ptr<QSocketNotifier> notifier;
    if (route.isValid() && route.route(SIGINT) && route.route(SIGTERM)) {
        notifier = std::make_unique<QSocketNotifier>(route.readFd(), QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, [&route] {
            while (route.takeSignal() != 0) { }
            QCoreApplication::quit();
        });
    }
    Mailer mailer;
    if (!mailer.Listen()) {
        say(QStringLiteral("cannot listen on channel 112"));
        return 1;
    }
    QObject::connect(&mailer, &Mailer::Finished, [] { QCoreApplication::quit(); });
    return QCoreApplication::exec();
}

} // namespace PostrunTool

#include "desktop/shell/frmMAPI.h"

#include "common/ChannelMessages.h"
#include "common/Clock.h"
#include "common/Waits.h"
#include "desktop/shell/ShellGlobals.h"
#include "platform/Backends.h"
#include "platform/ProgramLauncher.h"

#include <QPointer>

#include <cstdio>

namespace {

constexpr int kTickMs = 500;
constexpr int kUnloadFlushMs = 2000;

void say(const QString& text)
{
    const QByteArray line = (QStringLiteral("Ringvale: ") + text).toUtf8();
    std::fprintf(stderr, "%s\n", line.constData());
    std::fflush(stderr);
}

// A recipient as a line of standard error can show it.
QString shown(const QString& text)
{
    return text.simplified();
}

} // namespace

frmMAPI::frmMAPI(MessageControl::Delivery delivery, QObject* parent)
    : QObject(parent)
    , udiPostrun(nullptr, delivery)
    , launcher(CreateProgramLauncher())
{
    setObjectName(QStringLiteral("frmMAPI"));
    connect(&udiPostrun, &MessageControl::MessageArrived, this, &frmMAPI::udiPostrun_MessageArrived);
    m_tick.setInterval(kTickMs);
    connect(&m_tick, &QTimer::timeout, this, &frmMAPI::CheckHandOver);
    // A test clock moves without the tick: look again whenever it does.
    connect(&Clock::instance(), &Clock::wakeUp, this, &frmMAPI::CheckHandOver);
}

frmMAPI::~frmMAPI()
{
    if (&CurrentMailQueue() == this)
        SetMailQueue(nullptr);
}

void frmMAPI::Form_Load()
{
    StartPostrun();
    // Not looked at: the first hand-over asks again.
    udiPostrun.Channel(ChannelNumber::PostrunChannel);
}

void frmMAPI::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_tick.stop();
    ++m_generation;
    if (udiPostrun.Channel(ChannelNumber::PostrunChannel)) {
        udiPostrun.Send(MessageName::Unload.toString());
        udiPostrun.Flush(kUnloadFlushMs);
    }
    if (!MailsFiles.isEmpty())
        say(QStringLiteral("%1 mail(s) waiting for Postrun were not sent: the program ends")
                .arg(MailsFiles.size()));
    MailsFiles.clear();
    lMailsCount = 0;
}

void frmMAPI::SendByQ(
    const QString& sTo, const QString& Subject, const QString& Content, const QString& FilePath)
{
    if (m_unloaded) {
        say(QStringLiteral("the mail to %1 was not sent: the mail queue has closed").arg(shown(sTo)));
        return;
    }
    const QString attachment
        = FilePath.isEmpty() || FilePath == u"NOFILE" ? QStringLiteral("NOFILE") : FilePath;
    MailsFiles.append({sTo, Subject, Content, attachment});
    ++lMailsCount;
    if (lMailsCount == 1)
        SendNextQueuedMail();
}

void frmMAPI::StartPostrun()
{
    const QString folder = g_sAppFolder.isEmpty() ? ExecutableFolderWithSlash() : g_sAppFolder;
    const QString program = sPostrunProgram.isEmpty() ? folder + QStringLiteral("Postrun") : sPostrunProgram;
    // Every hand-over: a Postrun already running lets the new one end at once.
    const LaunchResult result = launcher->Start(program, {QStringLiteral("-gc")}, WindowStyle::Hidden);
    if (!result.started() && !m_saidLaunch) {
        m_saidLaunch = true;
        say(QStringLiteral("cannot start %1: %2").arg(program, result.errorText));
    }
}

void frmMAPI::SendNextQueuedMail()
{
    if (MailsFiles.isEmpty() || m_unloaded)
        return;
    const quint64 generation = ++m_generation;
    ++m_handOver;
    m_sent = false;
    m_deadline = Clock::instance().elapsedMs() + kHandOverMs;
    m_nextTry = 0;
    m_tick.start();
    StartPostrun();
    // Events run meanwhile: new mails queue behind this one, and an answer
    // may end this hand-over before it sends anything.
    QPointer<frmMAPI> self(this);
    m_pausing = true;
    Pause(kPauseTenths);
    if (!self)
        return;
    if (generation != m_generation)
        return;
    m_pausing = false;
    TryHandOver();
}

void frmMAPI::TryHandOver()
{
    if (MailsFiles.isEmpty())
        return;
    if (!udiPostrun.Channel(ChannelNumber::PostrunChannel)) {
        m_nextTry = Clock::instance().elapsedMs() + kRetryMs;
        return;
    }
    const QueuedMail& head = MailsFiles.constFirst();
    sToAddress = head.to;
    sSubject = head.subject;
    sContent = head.content;
    udiPostrun.Send(ChannelMessages::postrunSendMail(head.to, head.subject, head.content, head.attachment));
    m_sent = true;
    m_headSent = true;
}

void frmMAPI::CheckHandOver()
{
    if (m_pausing || m_unloaded || lMailsCount <= 0 || MailsFiles.isEmpty())
        return;
    const qint64 now = Clock::instance().elapsedMs();
    if (now >= m_deadline) {
        if (m_handOver < kHandOvers) {
            SendNextQueuedMail();
            return;
        }
        const QueuedMail& head = MailsFiles.constFirst();
        say(QStringLiteral("the mail to %1 (\"%2\") was dropped: Postrun did not take it in %3 s, twice")
                .arg(shown(head.to), shown(head.subject))
                .arg(kHandOverMs / 1000));
        OnQueuedMailDone();
        return;
    }
    if (!m_sent && now >= m_nextTry)
        TryHandOver();
}

void frmMAPI::udiPostrun_MessageArrived(const QString& text)
{
    if (!ChannelMessages::isDoneSendMail(text))
        return;
    // Idle, or nothing of the head mail went out yet: the answer is not for
    // it (a late one for a mail given up on), and the count never goes below 0.
    if (lMailsCount <= 0 || !m_headSent)
        return;
    OnQueuedMailDone();
}

void frmMAPI::OnQueuedMailDone()
{
    if (MailsFiles.isEmpty())
        return;
    MailsFiles.removeFirst();
    lMailsCount = qMax(0, lMailsCount - 1);
    m_handOver = 0;
    m_sent = false;
    m_headSent = false;
    m_pausing = false;
    ++m_generation;
    if (lMailsCount > 0)
        SendNextQueuedMail();
    else
        m_tick.stop();
}

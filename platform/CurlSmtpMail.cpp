#include "platform/CurlSmtpMail.h"

#include "common/Clock.h"
#include "platform/MailMessage.h"

#include <QLoggingCategory>
#include <QMetaObject>
#include <QRegularExpression>

#include <algorithm>
#include <cstring>
#include <map>

#include <sys/socket.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcMail, "ringvale.mail", QtCriticalMsg)

namespace {

constexpr int DefaultSmtpPort = 25;

void initCurlOnce()
{
    // Not thread-safe in every libcurl: done once, before any worker starts.
    static const bool done = [] {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        return true;
    }();
    Q_UNUSED(done);
}

std::string utf8(const QString& text)
{
    return text.toStdString();
}

} // namespace

std::optional<QByteArray> SmtpServerUrl(const QString& server)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(?:([A-Za-z0-9._-]+)|\[([0-9A-Fa-f:.]+)\])(?::([0-9]{1,5}))?$)"));
    const QRegularExpressionMatch match = pattern.match(server.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    int port = DefaultSmtpPort;
    if (match.hasCaptured(3)) {
        port = match.captured(3).toInt();
        if (port < 1 || port > 65535)
            return std::nullopt;
    }
    const QString host = match.hasCaptured(1) ? match.captured(1) : u'[' + match.captured(2) + u']';
    return "smtp://" + host.toLatin1() + ':' + QByteArray::number(port);
}

struct CurlSmtpMail::Job {
    Job(CurlSmtpMail* owner, MailId id)
        : owner(owner)
        , id(id)
        , easy(curl_easy_init())
    {
    }
    ~Job()
    {
        curl_easy_cleanup(easy);
        curl_slist_free_all(recipients);
    }
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;

    // libcurl asks for the message piece by piece on the worker; each piece
    // handed over is the progress the caller sees.
    static size_t read(char* buffer, size_t size, size_t count, void* data)
    {
        Job& job = *static_cast<Job*>(data);
        const size_t room = size * count;
        const size_t left = size_t(job.payload.size() - job.sent);
        const size_t n = std::min(room, left);
        std::memcpy(buffer, job.payload.constData() + job.sent, n);
        job.sent += qsizetype(n);
        if (n > 0) {
            CurlSmtpMail* owner = job.owner;
            const MailId id = job.id;
            const qint64 total = job.payload.size();
            const qint64 done = job.sent;
            QMetaObject::invokeMethod(
                owner, [owner, id, total, done] { emit owner->Progress(id, total, done); },
                Qt::QueuedConnection);
        }
        return n;
    }

    CurlSmtpMail* owner;
    MailId id;
    CURL* easy;
    curl_slist* recipients = nullptr;
    QByteArray payload;
    qsizetype sent = 0;
    // libcurl keeps pointers to option strings only where it says so; these
    // live as long as the transfer anyway.
    std::string url, from, user, password, caBundle;
    char errorText[CURL_ERROR_SIZE] = {};
    // The connection's socket while it is open (each mail has its own), so a
    // mail given up can be cut off.
    curl_socket_t socket = CURL_SOCKET_BAD;

    static int opened(void* data, curl_socket_t socket, curlsocktype)
    {
        static_cast<Job*>(data)->socket = socket;
        return CURL_SOCKOPT_OK;
    }
    static int closed(void* data, curl_socket_t socket)
    {
        Job& job = *static_cast<Job*>(data);
        if (job.socket == socket)
            job.socket = CURL_SOCKET_BAD;
        return ::close(socket);
    }
};

CurlSmtpMail::CurlSmtpMail(SmtpTimeouts timeouts, QObject* parent)
    : SmtpMailControl(parent)
    , m_timeouts(timeouts)
{
    initCurlOnce();
    m_multi = curl_multi_init();
}

CurlSmtpMail::~CurlSmtpMail()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    if (m_worker.joinable()) {
        curl_multi_wakeup(m_multi);
        m_worker.join();
    }
    m_pending.clear();
    curl_multi_cleanup(m_multi);
}

SmtpMailControl::MailId CurlSmtpMail::SendEmail(const QString& server, const QString& fromAddress,
    const QString& fromName, const QString& to, const QString& subject, const QString& body,
    const QString& attachment, const QString& userName, const QString& password, const QString&,
    const QString&)
{
    const MailId id = ++m_lastId;
    const std::optional<QByteArray> url = SmtpServerUrl(server);
    if (server.trimmed().isEmpty()) {
        fail(id, CURLE_URL_MALFORMAT, QStringLiteral("No SMTP server is set"));
        return id;
    }
    if (!url) {
        fail(id, CURLE_URL_MALFORMAT, QStringLiteral("Not an SMTP server: ") + MailHeaderLine(server));
        return id;
    }
    const QString recipient = MailAddress(to);
    if (recipient.isEmpty()) {
        fail(id, CURLE_BAD_FUNCTION_ARGUMENT, QStringLiteral("No recipient is set"));
        return id;
    }
    if (!attachment.isEmpty()) {
        fail(id, CURLE_BAD_FUNCTION_ARGUMENT, QStringLiteral("Attachments cannot be sent"));
        return id;
    }

    auto job = std::make_unique<Job>(this, id);
    if (!job->easy) {
        fail(id, CURLE_OUT_OF_MEMORY, QStringLiteral("Out of memory"));
        return id;
    }
    const MailContent content{fromAddress, fromName, to, subject, body};
    job->payload = ComposeMailMessage(content, Clock::instance().now(), NewMessageId(fromAddress));
    job->url = url->toStdString();
    job->from = '<' + utf8(MailAddress(fromAddress)) + '>';
    job->recipients = curl_slist_append(nullptr, ('<' + utf8(recipient) + '>').c_str());
    job->user = utf8(userName);
    job->password = utf8(password);
    job->caBundle = qEnvironmentVariable("CURL_CA_BUNDLE").toStdString();

    CURL* easy = job->easy;
    curl_easy_setopt(easy, CURLOPT_URL, job->url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "smtp");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // Mails are far apart: each ends its session (QUIT) instead of keeping
    // an idle connection open to the server.
    curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, long(m_timeouts.connect.count()));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, long(m_timeouts.total.count()));
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, job->errorText);
    curl_easy_setopt(easy, CURLOPT_MAIL_FROM, job->from.c_str());
    curl_easy_setopt(easy, CURLOPT_MAIL_RCPT, job->recipients);
    curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(easy, CURLOPT_INFILESIZE_LARGE, curl_off_t(job->payload.size()));
    curl_easy_setopt(easy, CURLOPT_READFUNCTION, &Job::read);
    curl_easy_setopt(easy, CURLOPT_READDATA, job.get());
    curl_easy_setopt(easy, CURLOPT_SOCKOPTFUNCTION, &Job::opened);
    curl_easy_setopt(easy, CURLOPT_SOCKOPTDATA, job.get());
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION, &Job::closed);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETDATA, job.get());
    if (!job->caBundle.empty())
        curl_easy_setopt(easy, CURLOPT_CAINFO, job->caBundle.c_str());
    if (userName.isEmpty()) {
        curl_easy_setopt(easy, CURLOPT_USE_SSL, long(CURLUSESSL_TRY));
    } else {
        // Without STARTTLS libcurl stops before AUTH: the password stays here.
        curl_easy_setopt(easy, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
        curl_easy_setopt(easy, CURLOPT_USERNAME, job->user.c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, job->password.c_str());
    }

    qCDebug(lcMail) << "mail" << id << "to" << recipient << "through" << *url;
    {
        std::lock_guard lock(m_mutex);
        m_pending.push_back(std::move(job));
    }
    if (!m_worker.joinable())
        m_worker = std::thread(&CurlSmtpMail::run, this);
    curl_multi_wakeup(m_multi);
    return id;
}

void CurlSmtpMail::fail(MailId id, int errorNumber, const QString& errorText)
{
    qCDebug(lcMail) << "mail" << id << "failed:" << errorNumber << errorText;
    QMetaObject::invokeMethod(
        this, [this, id, errorNumber, errorText] { emit Failed(id, errorNumber, errorText); },
        Qt::QueuedConnection);
}

void CurlSmtpMail::finish(Job& job, CURLcode result)
{
    if (result == CURLE_OK) {
        qCDebug(lcMail) << "mail" << job.id << "sent";
        const MailId id = job.id;
        QMetaObject::invokeMethod(
            this, [this, id] { emit Done(id); }, Qt::QueuedConnection);
        return;
    }
    const QString detail = QString::fromUtf8(job.errorText).trimmed();
    fail(job.id, int(result), detail.isEmpty() ? QString::fromUtf8(curl_easy_strerror(result)) : detail);
}

void CurlSmtpMail::run()
{
    std::map<CURL*, std::unique_ptr<Job>> running;
    for (;;) {
        std::vector<std::unique_ptr<Job>> arrived;
        {
            std::lock_guard lock(m_mutex);
            if (m_stopping)
                break;
            arrived.swap(m_pending);
        }
        for (std::unique_ptr<Job>& job : arrived) {
            CURL* easy = job->easy;
            if (curl_multi_add_handle(m_multi, easy) != CURLM_OK) {
                fail(job->id, CURLE_FAILED_INIT, QStringLiteral("The mail could not be started"));
                continue;
            }
            running.emplace(easy, std::move(job));
        }

        int active = 0;
        curl_multi_perform(m_multi, &active);
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(m_multi, &left)) {
            if (message->msg != CURLMSG_DONE)
                continue;
            CURL* easy = message->easy_handle;
            const CURLcode result = message->data.result;
            curl_multi_remove_handle(m_multi, easy);
            const auto it = running.find(easy);
            if (it == running.end())
                continue;
            finish(*it->second, result);
            running.erase(it);
        }
        curl_multi_poll(m_multi, nullptr, 0, 1000, nullptr);
    }
    for (auto& [easy, job] : running) {
        // Removing a transfer says QUIT and waits for the answer, up to the
        // server's response time; a server that is not answering would hold
        // the owner that much. The mail is given up: its socket is cut first.
        if (job->socket != CURL_SOCKET_BAD)
            ::shutdown(job->socket, SHUT_RDWR);
        curl_multi_remove_handle(m_multi, easy);
    }
}

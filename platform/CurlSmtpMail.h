#pragma once

#include "platform/SmtpMailControl.h"

#include <QByteArray>
#include <QString>

#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// How long a mail may take: to reach the server, and in all.
struct SmtpTimeouts {
    std::chrono::milliseconds connect{30'000};
    std::chrono::milliseconds total{120'000};
};

// "smtp://host:port" for the server text "host" or "host:port" (port 25 when
// none; an IPv6 address in brackets); nothing for a text that names no server.
std::optional<QByteArray> SmtpServerUrl(const QString& server);

// SMTP over libcurl. The mails travel on one worker thread that runs them all
// at once; their events come back on the event loop of the thread that made
// this object.
//
// TLS: STARTTLS whenever the server offers it; with a user name it is
// required, so the login never travels in clear. Certificates are checked
// against the system's store, or the file named by CURL_CA_BUNDLE as the curl
// tool does.
class CurlSmtpMail final : public SmtpMailControl {
    Q_OBJECT
public:
    explicit CurlSmtpMail(SmtpTimeouts timeouts = {}, QObject* parent = nullptr);
    // Mails still on their way are given up.
    ~CurlSmtpMail() override;
    CurlSmtpMail(const CurlSmtpMail&) = delete;
    CurlSmtpMail& operator=(const CurlSmtpMail&) = delete;

    MailId SendEmail(const QString& server, const QString& fromAddress, const QString& fromName,
        const QString& to, const QString& subject, const QString& body, const QString& attachment,
        const QString& userName, const QString& password, const QString& unused1,
        const QString& unused2) override;

private:
    struct Job;

    void fail(MailId id, int errorNumber, const QString& errorText);
    void run();
    void finish(Job& job, CURLcode result);

    SmtpTimeouts m_timeouts;
    MailId m_lastId = 0;
    CURLM* m_multi = nullptr;
    std::thread m_worker;
    std::mutex m_mutex;
    std::vector<std::unique_ptr<Job>> m_pending; // under m_mutex
    bool m_stopping = false; // under m_mutex
};

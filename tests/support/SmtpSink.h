#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A real SMTP server for a test (tests/support/smtp_sink.py over
// python3-aiosmtpd) on a port of its own. It saves every mail it takes with
// its envelope, and everything clients sent it.
class SmtpSink {
public:
    struct Options {
        // Offer STARTTLS with this certificate and key, and require it.
        QString certificateFile;
        QString keyFile;
        // Require a login with these.
        QString user;
        QString password;
    };

    explicit SmtpSink(const Options& options = {});
    ~SmtpSink();
    SmtpSink(const SmtpSink&) = delete;
    SmtpSink& operator=(const SmtpSink&) = delete;

    // Starts the server and waits until it listens.
    bool start();
    quint16 port() const { return m_port; }
    // "127.0.0.1:<port>", as a user would enter it.
    QString server() const;

    // The mails taken so far, in order: mail_from, rcpt_tos, from, to,
    // subject, body (decoded), header_names, tls, authenticated, raw (base64).
    QList<QJsonObject> mails() const;
    // Every byte clients sent, TLS taken off.
    QByteArray transcript() const;

    // A self-signed certificate for localhost and 127.0.0.1, made with
    // openssl in folder: cert.pem and key.pem; false when openssl failed.
    static bool makeCertificate(const QString& folder);

private:
    Options m_options;
    QTemporaryDir m_folder;
    QProcess m_process;
    quint16 m_port = 0;
};

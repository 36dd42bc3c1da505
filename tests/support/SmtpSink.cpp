#include "tests/support/SmtpSink.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>

SmtpSink::SmtpSink(const Options& options)
    : m_options(options)
{
}

SmtpSink::~SmtpSink()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
}

bool SmtpSink::start()
{
    QStringList arguments{QStringLiteral(RINGVALE_SOURCE_DIR "/tests/support/smtp_sink.py"), m_folder.path()};
    if (!m_options.certificateFile.isEmpty())
        arguments << QStringLiteral("--tls") << m_options.certificateFile << m_options.keyFile;
    if (!m_options.user.isEmpty())
        arguments << QStringLiteral("--login") << m_options.user << m_options.password;
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Debian's interpreter, which has aiosmtpd, whatever python3 PATH finds.
    m_process.start(QStringLiteral("/usr/bin/python3"), arguments);
    const QDeadlineTimer deadline(30000);
    QByteArray output;
    while (!output.contains('\n')) {
        if (deadline.hasExpired() || !m_process.waitForReadyRead(int(deadline.remainingTime())))
            return false;
        output += m_process.readAllStandardOutput();
    }
    const QByteArray line = output.left(output.indexOf('\n')).trimmed();
    if (!line.startsWith("PORT "))
        return false;
    bool ok = false;
    m_port = line.mid(5).toUShort(&ok);
    return ok && m_port != 0;
}

QString SmtpSink::server() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

QList<QJsonObject> SmtpSink::mails() const
{
    QList<QJsonObject> result;
    const QDir folder(m_folder.path());
    for (const QString& name : folder.entryList({QStringLiteral("mail-*.json")}, QDir::Files, QDir::Name)) {
        QFile file(folder.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            result.append(QJsonDocument::fromJson(file.readAll()).object());
    }
    return result;
}

QByteArray SmtpSink::transcript() const
{
    QFile file(QDir(m_folder.path()).filePath(QStringLiteral("transcript.txt")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool SmtpSink::makeCertificate(const QString& folder)
{
    const QDir dir(folder);
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"),
        {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("ec"),
            QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"),
            QStringLiteral("-nodes"), QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
            QStringLiteral("/CN=localhost"), QStringLiteral("-addext"),
            QStringLiteral("subjectAltName=DNS:localhost,IP:127.0.0.1"), QStringLiteral("-keyout"),
            dir.filePath(QStringLiteral("key.pem")), QStringLiteral("-out"),
            dir.filePath(QStringLiteral("cert.pem"))});
    if (!openssl.waitForFinished(30000) || openssl.exitStatus() != QProcess::NormalExit
        || openssl.exitCode() != 0) {
        qWarning("openssl: %s", openssl.readAll().constData());
        return false;
    }
    return true;
}

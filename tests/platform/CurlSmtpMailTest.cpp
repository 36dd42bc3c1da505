#include "platform/CurlSmtpMail.h"
#include "tests/support/CaBundle.h"
#include "tests/support/ClosedPort.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/SmtpSink.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QScopeGuard>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

const QString Sender = QStringLiteral("ringvale@example.com");
const QString Title = QStringLiteral("Ringvale 1.1");
const QString Recipient = QStringLiteral("ann@example.com");

// What became of each mail, by its number.
class MailOutcomes {
public:
    explicit MailOutcomes(SmtpMailControl& mail)
    {
        QObject::connect(&mail, &SmtpMailControl::Progress, &m_context,
            [this](SmtpMailControl::MailId id, qint64 total, qint64 done) {
                m_progress[id].append({total, done});
            });
        QObject::connect(&mail, &SmtpMailControl::Done, &m_context, [this](SmtpMailControl::MailId id) {
            m_ends[id].append({0, QStringLiteral("done")});
        });
        QObject::connect(&mail, &SmtpMailControl::Failed, &m_context,
            [this](SmtpMailControl::MailId id, int number, const QString& text) {
                m_ends[id].append({number, text});
            });
    }

    bool waitForEnd(SmtpMailControl::MailId id, int timeoutMs = 30000)
    {
        return waitUntil([&] { return m_ends.count(id) > 0; }, timeoutMs);
    }
    bool ended(SmtpMailControl::MailId id) const { return m_ends.count(id) > 0; }
    // 0 and "done" for Done, else the failure; exactly one end per mail.
    std::pair<int, QString> end(SmtpMailControl::MailId id) const
    {
        const auto it = m_ends.find(id);
        EXPECT_NE(it, m_ends.end());
        if (it == m_ends.end())
            return {-1, QString()};
        EXPECT_EQ(it->second.size(), 1);
        return it->second.first();
    }
    QList<std::pair<qint64, qint64>> progress(SmtpMailControl::MailId id) const
    {
        const auto it = m_progress.find(id);
        return it == m_progress.end() ? QList<std::pair<qint64, qint64>>() : it->second;
    }

private:
    QObject m_context;
    std::map<SmtpMailControl::MailId, QList<std::pair<int, QString>>> m_ends;
    std::map<SmtpMailControl::MailId, QList<std::pair<qint64, qint64>>> m_progress;
};

SmtpMailControl::MailId send(SmtpMailControl& mail, const QString& server, const QString& subject,
    const QString& body, const QString& user = QString(), const QString& password = QString())
{
    return mail.SendEmail(
        server, Sender, Title, Recipient, subject, body, QString(), user, password, Title, Title);
}

TEST(CurlSmtpMailTest, DeliversAPlainTextMailWithItsEnvelope)
{
    SmtpSink sink;
    ASSERT_TRUE(sink.start());
    CurlSmtpMail mail;
    MailOutcomes outcomes(mail);

    const QString subject
        = QStringLiteral("In Coming Call from \xc5\x81ukasz \xc5\xbb\xc3\xb3\xc5\x82\xc4\x87 - 5 5 5 ");
    // A lone "." ends the data in SMTP; here it is just a line of the body.
    const QString body = QStringLiteral("Caller: \xc5\x81ukasz\r\n.\r\nEnd\r\n");
    const auto id = send(mail, sink.server(), subject, body);
    ASSERT_TRUE(outcomes.waitForEnd(id));
    EXPECT_EQ(outcomes.end(id), std::make_pair(0, QStringLiteral("done")));

    const QList<QJsonObject> mails = sink.mails();
    ASSERT_EQ(mails.size(), 1);
    const QJsonObject& m = mails.first();
    EXPECT_EQ(m[u"mail_from"].toString(), Sender);
    EXPECT_EQ(m[u"rcpt_tos"].toArray(), QJsonArray{Recipient});
    EXPECT_EQ(m[u"from"].toString(), QStringLiteral("\"Ringvale 1.1\" <ringvale@example.com>"));
    EXPECT_EQ(m[u"to"].toString(), Recipient);
    EXPECT_EQ(m[u"subject"].toString(), subject);
    EXPECT_EQ(m[u"body"].toString(), body);
    EXPECT_FALSE(m[u"date"].toString().isEmpty());
    EXPECT_TRUE(m[u"message_id"].toString().endsWith(u"@example.com>"));

    const QList<std::pair<qint64, qint64>> progress = outcomes.progress(id);
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_GT(progress.last().first, 0);
    EXPECT_EQ(progress.last().second, progress.last().first) << "ends with all of it handed over";
    // No idle connection is kept open to the server after the mail.
    EXPECT_TRUE(waitUntil([&] { return sink.transcript().endsWith("QUIT\r\n"); }));
}

TEST(CurlSmtpMailTest, SendsSeveralMailsAtOnce)
{
    SmtpSink sink;
    ASSERT_TRUE(sink.start());
    CurlSmtpMail mail;
    MailOutcomes outcomes(mail);
    QList<SmtpMailControl::MailId> ids;
    for (int i = 0; i < 4; ++i)
        ids.append(
            send(mail, sink.server(), QStringLiteral("Call %1").arg(i), QStringLiteral("Body %1").arg(i)));
    for (const auto id : ids) {
        ASSERT_TRUE(outcomes.waitForEnd(id));
        EXPECT_EQ(outcomes.end(id).first, 0) << outcomes.end(id).second.toStdString();
    }
    EXPECT_EQ(QSet<SmtpMailControl::MailId>(ids.begin(), ids.end()).size(), ids.size());
    QStringList subjects;
    for (const QJsonObject& m : sink.mails())
        subjects.append(m[u"subject"].toString());
    subjects.sort();
    EXPECT_EQ(subjects,
        (QStringList{QStringLiteral("Call 0"), QStringLiteral("Call 1"), QStringLiteral("Call 2"),
            QStringLiteral("Call 3")}));
}

class CurlSmtpTlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SmtpSink::makeCertificate(m_certs.path()));
        m_sink = std::make_unique<SmtpSink>(
            SmtpSink::Options{certificate(), QDir(m_certs.path()).filePath(QStringLiteral("key.pem")),
                QStringLiteral("ringvale"), QStringLiteral("s3cret-pass")});
        ASSERT_TRUE(m_sink->start());
    }
    QString certificate() const { return QDir(m_certs.path()).filePath(QStringLiteral("cert.pem")); }

    QTemporaryDir m_certs;
    std::unique_ptr<SmtpSink> m_sink;
};

TEST_F(CurlSmtpTlsTest, LogsInOnlyAfterStartTls)
{
    CaBundle trust(certificate());
    CurlSmtpMail mail;
    MailOutcomes outcomes(mail);
    const auto id = send(mail, m_sink->server(), QStringLiteral("Protected"), QStringLiteral("Hi"),
        QStringLiteral("ringvale"), QStringLiteral("s3cret-pass"));
    ASSERT_TRUE(outcomes.waitForEnd(id));
    EXPECT_EQ(outcomes.end(id).first, 0) << outcomes.end(id).second.toStdString();
    const QList<QJsonObject> mails = m_sink->mails();
    ASSERT_EQ(mails.size(), 1);
    EXPECT_TRUE(mails.first()[u"tls"].toBool());
    EXPECT_TRUE(mails.first()[u"authenticated"].toBool());
    const QByteArray transcript = m_sink->transcript();
    EXPECT_LT(transcript.indexOf("STARTTLS"), transcript.indexOf("AUTH"));
}

struct TlsFailureCase {
    const char* name;
    bool trusted;
    QString password;
    int errorNumber;
    bool loginTried;
};

class CurlSmtpTlsFailureTest : public CurlSmtpTlsTest,
                               public ::testing::WithParamInterface<TlsFailureCase> { };

TEST_P(CurlSmtpTlsFailureTest, FailsWithoutSending)
{
    CaBundle trust(GetParam().trusted ? certificate() : QString());
    CurlSmtpMail mail;
    MailOutcomes outcomes(mail);
    const auto id = send(mail, m_sink->server(), QStringLiteral("Protected"), QStringLiteral("Hi"),
        QStringLiteral("ringvale"), GetParam().password);
    ASSERT_TRUE(outcomes.waitForEnd(id));
    EXPECT_EQ(outcomes.end(id).first, GetParam().errorNumber) << outcomes.end(id).second.toStdString();
    EXPECT_FALSE(outcomes.end(id).second.isEmpty());
    EXPECT_TRUE(m_sink->mails().isEmpty());
    EXPECT_EQ(m_sink->transcript().contains("AUTH"), GetParam().loginTried);
}

INSTANTIATE_TEST_SUITE_P(Cases, CurlSmtpTlsFailureTest,
    ::testing::Values(
        // The self-signed certificate is in no store the mailer trusts.
        TlsFailureCase{"untrusted_certificate", false, QStringLiteral("s3cret-pass"),
            CURLE_PEER_FAILED_VERIFICATION, false},
        TlsFailureCase{"wrong_password", true, QStringLiteral("wrong"), CURLE_LOGIN_DENIED, true}),
    [](const ::testing::TestParamInfo<TlsFailureCase>& info) { return std::string(info.param.name); });

TEST(CurlSmtpMailTest, UserNameWithoutStartTlsIsRefusedBeforeTheLogin)
{
    // The server offers AUTH in clear, but no STARTTLS.
    SmtpSink sink({QString(), QString(), QStringLiteral("ringvale"), QStringLiteral("s3cret-pass")});
    ASSERT_TRUE(sink.start());
    CurlSmtpMail mail;
    MailOutcomes outcomes(mail);
    const auto id = send(mail, sink.server(), QStringLiteral("Protected"), QStringLiteral("Hi"),
        QStringLiteral("ringvale"), QStringLiteral("s3cret-pass"));
    ASSERT_TRUE(outcomes.waitForEnd(id));
    EXPECT_EQ(outcomes.end(id).first, CURLE_USE_SSL_FAILED) << outcomes.end(id).second.toStdString();
    const QByteArray transcript = sink.transcript();
    EXPECT_TRUE(transcript.contains("EHLO")) << "it did talk to the server";
    EXPECT_FALSE(transcript.contains("AUTH")) << transcript.constData();
    EXPECT_FALSE(transcript.contains("MAIL FROM"));
    EXPECT_TRUE(sink.mails().isEmpty());
}

TEST(CurlSmtpMailTest, ClosedPortFailsWithinTheBound)
{
    const ClosedPort closed;
    const quint16 port = closed.port();
    ASSERT_NE(port, 0);
    CurlSmtpMail mail({2s, 4s});
    MailOutcomes outcomes(mail);
    QElapsedTimer timer;
    timer.start();
    const auto id
        = send(mail, QStringLiteral("127.0.0.1:%1").arg(port), QStringLiteral("x"), QStringLiteral("y"));
    // Refused at once; a loaded machine may still take a while to say so.
    ASSERT_TRUE(outcomes.waitForEnd(id, 10000));
    EXPECT_LT(timer.elapsed(), testTimeout(8000));
    EXPECT_EQ(outcomes.end(id).first, CURLE_COULDNT_CONNECT) << outcomes.end(id).second.toStdString();
}

TEST(CurlSmtpMailTest, SilentServerFailsWithinTheBound)
{
    // Takes the connection and never answers.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    QList<QTcpSocket*> held;
    QObject::connect(
        &silent, &QTcpServer::newConnection, [&] { held.append(silent.nextPendingConnection()); });

    CurlSmtpMail mail({1s, 1500ms});
    MailOutcomes outcomes(mail);
    QElapsedTimer timer;
    timer.start();
    const auto id = send(mail, QStringLiteral("127.0.0.1:%1").arg(silent.serverPort()), QStringLiteral("x"),
        QStringLiteral("y"));
    ASSERT_TRUE(outcomes.waitForEnd(id, 15000));
    EXPECT_EQ(outcomes.end(id).first, CURLE_OPERATION_TIMEDOUT) << outcomes.end(id).second.toStdString();
    // libcurl's own bound would be minutes.
    EXPECT_LT(timer.elapsed(), testTimeout(10000));
}

TEST(CurlSmtpMailTest, GivingUpAMailToASilentServerTakesNoTime)
{
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    QList<QTcpSocket*> held;
    QObject::connect(
        &silent, &QTcpServer::newConnection, [&] { held.append(silent.nextPendingConnection()); });
    auto mail = std::make_unique<CurlSmtpMail>();
    (void)send(*mail, QStringLiteral("127.0.0.1:%1").arg(silent.serverPort()), QStringLiteral("x"),
        QStringLiteral("y"));
    ASSERT_TRUE(waitUntil([&] { return !held.isEmpty(); }, 10000));
    // Let libcurl wait for the greeting, the state in which giving up says QUIT.
    ASSERT_TRUE(staysFalse([&] { return held.first()->state() != QAbstractSocket::ConnectedState; }, 300));
    QElapsedTimer timer;
    timer.start();
    mail.reset();
    // Waiting for the answer to QUIT would take the response bound: minutes.
    EXPECT_LT(timer.elapsed(), testTimeout(20000));
}

struct RefusedCase {
    const char* name;
    QString server;
    QString to;
    QString attachment;
    int errorNumber;
};

class CurlSmtpRefusedTest : public ::testing::TestWithParam<RefusedCase> { };

TEST_P(CurlSmtpRefusedTest, FailsLaterOnTheEventLoop)
{
    CurlSmtpMail mail;
    MailOutcomes outcomes(mail);
    const RefusedCase& c = GetParam();
    const auto id = mail.SendEmail(c.server, Sender, Title, c.to, QStringLiteral("x"), QStringLiteral("y"),
        c.attachment, QString(), QString(), Title, Title);
    EXPECT_FALSE(outcomes.ended(id)) << "the caller notes the number first";
    ASSERT_TRUE(outcomes.waitForEnd(id, 5000));
    EXPECT_EQ(outcomes.end(id).first, c.errorNumber);
    EXPECT_FALSE(outcomes.end(id).second.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Cases, CurlSmtpRefusedTest,
    ::testing::Values(RefusedCase{"no_server", QString(), Recipient, QString(), CURLE_URL_MALFORMAT},
        RefusedCase{"blank_server", QStringLiteral("  "), Recipient, QString(), CURLE_URL_MALFORMAT},
        RefusedCase{"server_with_path", QStringLiteral("mail.example.com/x"), Recipient, QString(),
            CURLE_URL_MALFORMAT},
        RefusedCase{"no_recipient", QStringLiteral("127.0.0.1:1"), QStringLiteral(" \r\n"), QString(),
            CURLE_BAD_FUNCTION_ARGUMENT},
        RefusedCase{"attachment", QStringLiteral("127.0.0.1:1"), Recipient, QStringLiteral("/tmp/x"),
            CURLE_BAD_FUNCTION_ARGUMENT}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

struct ServerCase {
    const char* name;
    QString server;
    std::optional<QByteArray> url;
};

class SmtpServerUrlTest : public ::testing::TestWithParam<ServerCase> { };

TEST_P(SmtpServerUrlTest, ReadsHostAndPort)
{
    EXPECT_EQ(SmtpServerUrl(GetParam().server), GetParam().url);
}

INSTANTIATE_TEST_SUITE_P(Cases, SmtpServerUrlTest,
    ::testing::Values(ServerCase{"host", QStringLiteral("mail.example.com"), "smtp://mail.example.com:25"},
        ServerCase{"host_and_port", QStringLiteral("mail.example.com:587"), "smtp://mail.example.com:587"},
        ServerCase{"blanks_around", QStringLiteral(" mail.example.com "), "smtp://mail.example.com:25"},
        ServerCase{"ipv4", QStringLiteral("192.0.2.7:2525"), "smtp://192.0.2.7:2525"},
        ServerCase{"ipv6", QStringLiteral("[2001:db8::1]:2525"), "smtp://[2001:db8::1]:2525"},
        ServerCase{"ipv6_default_port", QStringLiteral("[::1]"), "smtp://[::1]:25"},
        ServerCase{"empty", QString(), std::nullopt},
        ServerCase{"port_missing", QStringLiteral("mail.example.com:"), std::nullopt},
        ServerCase{"port_zero", QStringLiteral("mail.example.com:0"), std::nullopt},
        ServerCase{"port_too_big", QStringLiteral("mail.example.com:65536"), std::nullopt},
        ServerCase{"blank_inside", QStringLiteral("mail example.com"), std::nullopt},
        ServerCase{"user_part", QStringLiteral("me@mail.example.com"), std::nullopt},
        ServerCase{"a_url", QStringLiteral("smtp://mail.example.com"), std::nullopt},
        ServerCase{"line_break", QStringLiteral("mail.example.com\r\nRCPT"), std::nullopt}),
    [](const ::testing::TestParamInfo<ServerCase>& info) { return std::string(info.param.name); });

} // namespace

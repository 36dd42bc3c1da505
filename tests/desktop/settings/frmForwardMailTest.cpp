#include "desktop/settings/frmForward.h"
#include "tests/desktop/settings/SettingsGroups.h"
#include "tests/support/ClosedPort.h"

#include "desktop/foundation/DesktopGlobals.h"
#include "tests/desktop/settings/ForwardFixture.h"
#include "tests/support/CaBundle.h"
#include "tests/support/SmtpSink.h"
#include "tests/support/WaitUntil.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString kTo = u"ann.lee@example.org"_s;

// The test mail through the program's own SMTP mailer to a real server.
class frmForwardMailTest : public ForwardFixture {
protected:
    void SetUp() override
    {
        ForwardFixture::SetUp();
        store(kSmtp, u"MAPI"_s, u"0"_s);
    }
    void TearDown() override
    {
        window.reset();
        ForwardFixture::TearDown();
    }

    // Types the recipient and presses Test against server.
    frmForward& test(const QString& server)
    {
        store(kSmtp, u"txtSMTP"_s, server);
        window = std::make_unique<frmForward>();
        window->chkSendToMail->setChecked(true);
        window->txtMailTo->setText(kTo);
        window->cmdTestMail->click();
        return *window;
    }

    // Waits until the label shows an end: "Done" or a reason.
    QString waitForEnd(const frmForward& f) const
    {
        const QString progress = g_sTrans(7);
        waitUntil(
            [&] {
                const QString text = f.lblMailTester->text();
                return !text.isEmpty() && !text.startsWith(progress);
            },
            30000);
        return f.lblMailTester->text();
    }

    std::unique_ptr<frmForward> window;
};

TEST_F(frmForwardMailTest, TheServerTakesOneMailAndTheLabelEndsDone)
{
    SmtpSink sink;
    ASSERT_TRUE(sink.start());
    frmForward& f = test(sink.server());
    EXPECT_EQ(waitForEnd(f), u"Done");
    const QList<QJsonObject> mails = sink.mails();
    ASSERT_EQ(mails.size(), 1);
    const QJsonObject& mail = mails.first();
    EXPECT_EQ(mail[u"rcpt_tos"].toArray(), QJsonArray{kTo});
    EXPECT_EQ(mail[u"mail_from"].toString(), frmForward::TestMailSender());
    EXPECT_EQ(mail[u"subject"].toString(), u"Test Mail From Ringvale 1.1");
    EXPECT_EQ(mail[u"body"].toString(), u"");
    EXPECT_EQ(mail[u"from"].toString(), u"\"Ringvale 1.1\" <"_s + frmForward::TestMailSender() + u'>');
}

TEST_F(frmForwardMailTest, WithAUserNameTheLoginGoesOverStartTls)
{
    QTemporaryDir certificates;
    ASSERT_TRUE(SmtpSink::makeCertificate(certificates.path()));
    const QString certificate = certificates.filePath(u"cert.pem"_s);
    SmtpSink sink({certificate, certificates.filePath(u"key.pem"_s), u"ringvale"_s, u"s3cret pass"_s});
    ASSERT_TRUE(sink.start());
    CaBundle trust(certificate);
    store(kSmtp, u"txtSMTPUserName"_s, u"ringvale"_s);

    // A wrong password is refused: the label says so.
    store(kSmtp, u"txtSMTPPass"_s, u"wrong"_s);
    const QString refused = waitForEnd(test(sink.server()));
    EXPECT_NE(refused, u"Done");
    EXPECT_TRUE(refused.endsWith(u" (67)"_s)) << refused.toStdString();
    EXPECT_TRUE(sink.mails().isEmpty());

    store(kSmtp, u"txtSMTPPass"_s, u"s3cret pass"_s);
    EXPECT_EQ(waitForEnd(test(sink.server())), u"Done");
    const QList<QJsonObject> mails = sink.mails();
    ASSERT_EQ(mails.size(), 1);
    EXPECT_TRUE(mails.first()[u"tls"].toBool());
    EXPECT_TRUE(mails.first()[u"authenticated"].toBool());
    const QByteArray transcript = sink.transcript();
    EXPECT_LT(transcript.indexOf("STARTTLS"), transcript.indexOf("AUTH"));
}

TEST_F(frmForwardMailTest, NoServerListeningShowsTheErrorNeverDone)
{
    const ClosedPort closed;
    ASSERT_NE(closed.port(), 0);
    const QString text = waitForEnd(test(u"127.0.0.1:"_s + QString::number(closed.port())));
    EXPECT_NE(text, u"Done");
    EXPECT_TRUE(text.endsWith(u" (7)"_s)) << text.toStdString();
}

TEST_F(frmForwardMailTest, ClosingWhileTheMailIsOnItsWayLeavesTheWindowAlone)
{
    // A server that takes the connection and never answers.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    test(u"127.0.0.1:"_s + QString::number(silent.serverPort()));
    ASSERT_TRUE(silent.waitForNewConnection(testTimeout(10000)));
    QTcpSocket* connection = silent.nextPendingConnection();
    ASSERT_NE(connection, nullptr);
    window->cmdCancel->click();
    QElapsedTimer closing;
    closing.start();
    window.reset();
    // The mail is given up with the window at once: its connection closes,
    // and no event of it reaches the window that is gone.
    // Waiting for the silent server would take its response bound: minutes.
    EXPECT_LT(closing.elapsed(), testTimeout(20000));
    EXPECT_TRUE(waitUntil(
        [&] {
            connection->waitForReadyRead(10);
            return connection->state() != QAbstractSocket::ConnectedState;
        },
        10000));
}

} // namespace

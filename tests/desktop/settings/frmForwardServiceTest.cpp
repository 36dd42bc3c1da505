#include "desktop/settings/frmForward.h"
#include "desktop/settings/frmMailDetails.h"
#include "desktop/settings/frmSmtp.h"
#include "tests/desktop/foundation/ScriptedDialogs.h"
#include "tests/e2e/LiveLine.h"
#include "tests/support/SmtpSink.h"
#include "tests/support/WaitUntil.h"

#include <QCheckBox>
#include <QJsonArray>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace Qt::StringLiterals;

namespace {

using frmForwardServiceTest = LiveLine;

// What a person sets through the three windows makes the real service mail
// a call through the real SMTP server.
TEST_F(frmForwardServiceTest, TheServiceMailsACallAsTheWindowsSetItUp)
{
    SmtpSink sink;
    ASSERT_TRUE(sink.start());
    ScriptedDialogs dialogs;
    {
        frmSmtp smtp;
        smtp.ptnAppSMTP->click();
        smtp.txtSMTP->setText(sink.server());
        smtp.cmdOK->click();
    }
    {
        frmMailDetails details;
        details.txtFromMail->setText(u"ringvale@example.com"_s);
        details.cmdDefault->click();
        details.cmdOK->click();
    }
    {
        frmForward forward;
        forward.chkSendToMail->setChecked(true);
        forward.txtMailTo->setText(u"ann@example.com"_s);
        forward.cmdOK->click();
        EXPECT_EQ(forward.result(), QDialog::Accepted);
    }
    EXPECT_TRUE(dialogs.messageRequests.isEmpty());

    ASSERT_NO_FATAL_FAILURE(start());
    const ToolRun call
        = line({u"call"_s, u"--number"_s, u"5551234"_s, u"--name"_s, u"Ann Lee"_s, u"--fast"_s});
    ASSERT_EQ(call.exitCode, 0) << call.err.toStdString();
    ASSERT_TRUE(waitForIdles());
    ASSERT_TRUE(waitUntil([&] { return !sink.mails().isEmpty(); }, 15000));
    const QJsonObject mail = sink.mails().first();
    EXPECT_EQ(mail[u"rcpt_tos"].toArray(), QJsonArray{u"ann@example.com"_s});
    EXPECT_EQ(mail[u"mail_from"].toString(), u"ringvale@example.com");
    EXPECT_EQ(mail[u"subject"].toString(), u"In Coming Call from Ann Lee - 5 5 5 1 2 3 4 ");
    const QString body = mail[u"body"].toString();
    EXPECT_TRUE(body.startsWith(u"Call Details-\r\nCall Type : In Coming Call\r\n"_s)) << body.toStdString();
    EXPECT_TRUE(body.contains(u"\r\nCaller Name : Ann Lee\r\n"_s)) << body.toStdString();
    EXPECT_EQ(sink.mails().size(), 1);
}

} // namespace

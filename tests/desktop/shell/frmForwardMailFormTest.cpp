#include "common/ChannelLayout.h"
#include "desktop/foundation/MailQueue.h"
#include "desktop/settings/frmForward.h"
#include "desktop/shell/frmMAPI.h"
#include "tests/desktop/settings/ForwardFixture.h"
#include "tests/support/TestClock.h"
#include "tests/support/TestMailAndLauncher.h"
#include "tests/support/TestPostrun.h"
#include "tests/support/WaitUntil.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

class frmForwardMailFormTest : public ForwardFixture { };

// The forwarding window's test mail through the real mail form, as the
// desktop runs it: one SENDMAIL on 112 with the window's fields.
TEST_F(frmForwardMailFormTest, MapiTestMailReachesPostrunThroughTheMailForm)
{
    TestClock clock;
    store(u"MailForward\\SMTP"_s, u"MAPI"_s, u"1"_s);
    TestPostrun postrun;
    postrun.bind();
    postrun.answerAtOnce = true;
    frmMAPI form{MessageControl::Delivery::SameProcessToo};
    form.launcher = std::make_unique<TestLauncher>();
    form.Form_Load();
    SetMailQueue(&form);

    auto* mail = new TestSmtpMail;
    frmForward window(nullptr, mail);
    window.chkSendToMail->setChecked(true);
    window.txtMailTo->setText(u"bob@example.org"_s);
    window.cmdTestMail->click();

    ASSERT_TRUE(waitUntil([&] { return !postrun.sendMails().isEmpty(); }));
    ASSERT_TRUE(waitUntil([&] { return form.lMailsCount == 0; }));
    EXPECT_TRUE(staysFalse([&] { return postrun.sendMails().size() > 1; }, 150));
    const QStringList sent = postrun.sendMails();
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0].split(ChannelLayout::MailSeparator),
        QStringList({u"SENDMAIL"_s, u"bob@example.org"_s, u"Test Mail"_s, u"Test Mail From Ringvale 1.1"_s,
            u"NOFILE"_s}));
    EXPECT_TRUE(dialogs.messageRequests.isEmpty());
    EXPECT_TRUE(queue.mails.isEmpty());
    EXPECT_TRUE(mail->sent().isEmpty());
}

} // namespace

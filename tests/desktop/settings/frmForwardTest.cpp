#include "desktop/settings/frmForward.h"
#include "tests/desktop/settings/SettingsGroups.h"

#include "common/RegistryRoutines.h"
#include "desktop/contacts/frmContact.h"
#include "desktop/contacts/mdlContactList.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/TabStrip.h"
#include "desktop/settings/frmSmtp.h"
#include "tests/desktop/settings/ForwardFixture.h"
#include "tests/support/RecordedLaunch.h"
#include "tests/support/TestMailAndLauncher.h"
#include "tests/support/WaitUntil.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString kMail = u"Forward\\Mail"_s;
const QString kApp = u"Forward\\App"_s;

class frmForwardTest : public ForwardFixture {
protected:
    void TearDown() override
    {
        window.reset();
        UnloadContactEditor();
        ForwardFixture::TearDown();
    }

    // With the test mail control, whose events the test plays.
    frmForward& open()
    {
        window.reset();
        mail = new TestSmtpMail;
        window = std::make_unique<frmForward>(nullptr, mail);
        return *window;
    }

    // Ticks mail and types the recipient, on the application page, so a
    // refusal must bring the mail page back.
    frmForward& openWithRecipient(const QString& to)
    {
        frmForward& f = open();
        f.chkSendToMail->setChecked(true);
        f.txtMailTo->setText(to);
        f.TabControl1->SelectTab(u"AppNotic"_s);
        return f;
    }

    QStringList messages() const
    {
        QStringList texts;
        for (const MessageBoxRequest& request : dialogs.messageRequests)
            texts << request.text;
        return texts;
    }

    TestSmtpMail* mail = nullptr;
    std::unique_ptr<frmForward> window;
};

bool hasButtonFace(const QWidget* box)
{
    return box->palette().color(QPalette::Active, QPalette::Base)
        == QApplication::palette().color(QPalette::Active, QPalette::Button);
}

TEST_F(frmForwardTest, FirstOpeningShowsAllClearWithTheMailPageInFront)
{
    frmForward& f = open();
    EXPECT_EQ(f.windowTitle(), u"#105");
    ASSERT_EQ(f.TabControl1->count(), 2);
    EXPECT_EQ(f.TabControl1->tabBar()->tabText(0), u"#301");
    EXPECT_EQ(f.TabControl1->tabBar()->tabText(1), u"#309");
    EXPECT_EQ(f.TabControl1->SelectedKey(), u"MailNotic");
    EXPECT_TRUE(f.TabMail->isVisibleTo(&f));
    EXPECT_FALSE(f.TabApp->isVisibleTo(&f));
    for (QCheckBox* box : {f.chkSendToMail, f.chkApp, f.chkBGAPP})
        EXPECT_EQ(box->checkState(), Qt::Unchecked) << box->objectName().toStdString();
    EXPECT_TRUE(f.txtMailTo->text().isEmpty());
    EXPECT_TRUE(f.txtAppTo->toPlainText().isEmpty());
    for (QWidget* control :
        std::initializer_list<QWidget*>{f.lblMailTo, f.txtMailTo, f.cmdSmtp, f.cmdMailDetails, f.cmdTestMail,
            f.lblAppPath, f.txtAppTo, f.lblAppParm, f.chkBGAPP, f.cmdTestApp})
        EXPECT_FALSE(enabled(control)) << control->objectName().toStdString();
    for (QWidget* control : std::initializer_list<QWidget*>{f.chkSendToMail, f.chkApp, f.lblMail, f.lblApp,
             f.lblMailTester, f.lblAppResults, f.cmdOK, f.cmdCancel, f.cmdHelp})
        EXPECT_TRUE(enabled(control)) << control->objectName().toStdString();
    EXPECT_TRUE(hasButtonFace(f.txtMailTo));
    EXPECT_TRUE(hasButtonFace(f.txtAppTo));
    EXPECT_EQ(f.chkSendToMail->text(), u"#303");
    EXPECT_EQ(f.lblAppParm->text(), u"#318");
    EXPECT_EQ(f.cmdHelp->text(), u"Help");
    EXPECT_TRUE(f.lblMailTester->text().isEmpty());
}

TEST_F(frmForwardTest, StoredValuesLoadAndTheBoxesEnableTheirControls)
{
    store(kMail, u"chkSendToMail"_s, u"1"_s);
    store(kMail, u"txtMailTo"_s, u"ann@example.com"_s);
    store(kApp, u"chkApp"_s, u"1"_s);
    store(kApp, u"txtAppTo"_s, u"/bin/tool \"<CALLER_NAME>\"\r\n--late"_s);
    store(kApp, u"chkBGAPP"_s, u"1"_s);
    frmForward& f = open();
    EXPECT_EQ(f.txtMailTo->text(), u"ann@example.com");
    EXPECT_EQ(f.txtAppTo->toPlainText(), u"/bin/tool \"<CALLER_NAME>\"\n--late");
    EXPECT_TRUE(f.chkBGAPP->isChecked());
    for (QWidget* control :
        std::initializer_list<QWidget*>{f.lblMailTo, f.txtMailTo, f.cmdSmtp, f.cmdMailDetails, f.cmdTestMail,
            f.lblAppPath, f.txtAppTo, f.lblAppParm, f.chkBGAPP, f.cmdTestApp})
        EXPECT_TRUE(enabled(control)) << control->objectName().toStdString();
    EXPECT_FALSE(hasButtonFace(f.txtMailTo));

    // Clearing a box, and the grey state, disable again.
    f.chkApp->setChecked(false);
    EXPECT_FALSE(enabled(f.cmdTestApp));
    EXPECT_TRUE(hasButtonFace(f.txtAppTo));
    f.chkSendToMail->setCheckState(Qt::PartiallyChecked);
    EXPECT_FALSE(enabled(f.cmdTestMail));
    EXPECT_TRUE(hasButtonFace(f.txtMailTo));

    // A stored grey box loads grey, counts as clear, and is stored as it was.
    store(kMail, u"chkSendToMail"_s, u"2"_s);
    store(kApp, u"chkApp"_s, u"yes"_s); // no number: clear
    frmForward& g = open();
    EXPECT_EQ(g.chkSendToMail->checkState(), Qt::PartiallyChecked);
    EXPECT_FALSE(enabled(g.txtMailTo));
    EXPECT_EQ(g.chkApp->checkState(), Qt::Unchecked);
    g.cmdOK->click();
    EXPECT_EQ(stored(kMail, u"chkSendToMail"_s), u"2");
    EXPECT_EQ(stored(kApp, u"chkApp"_s), u"0");
}

TEST_F(frmForwardTest, TabClicksShowOnlyTheirPage)
{
    frmForward& f = open();
    f.show();
    QTest::mouseClick(
        f.TabControl1->tabBar(), Qt::LeftButton, {}, f.TabControl1->tabBar()->tabRect(1).center());
    EXPECT_FALSE(f.TabMail->isVisible());
    EXPECT_TRUE(f.TabApp->isVisible());
    QTest::mouseClick(
        f.TabControl1->tabBar(), Qt::LeftButton, {}, f.TabControl1->tabBar()->tabRect(0).center());
    EXPECT_TRUE(f.TabMail->isVisible());
    EXPECT_FALSE(f.TabApp->isVisible());
}

TEST_F(frmForwardTest, RecipientsTheCheckRefusesStopOkAndTest)
{
    store(kSmtp, u"MAPI"_s, u"1"_s);
    struct Row {
        QString to;
        bool valid;
    };
    const Row rows[] = {
        {u"a@b.c"_s, false}, // five characters
        {u"ab@c.d"_s, true}, // six
        {u""_s, false},
        {u"a b@cd.ef"_s, false},
        {u"ab@c@d.ef"_s, false},
        {u"a\"b@cd.ef"_s, false},
        {u"ab@cd..ef"_s, false},
    };
    for (const Row& row : rows) {
        const std::string at = row.to.toStdString();
        (void)RegistryRoutines::forProduct(kMail).DeleteValue(u"txtMailTo"_s);
        dialogs.messageRequests.clear();
        queue.mails.clear();

        // Test
        frmForward& t = openWithRecipient(row.to);
        t.cmdTestMail->click();
        if (row.valid) {
            EXPECT_TRUE(messages().isEmpty()) << at;
            EXPECT_EQ(queue.mails.size(), 1) << at;
        } else {
            EXPECT_EQ(messages(), QStringList{u"#380"_s}) << at;
            EXPECT_TRUE(queue.mails.isEmpty()) << at;
            EXPECT_EQ(t.TabControl1->SelectedKey(), u"MailNotic") << at;
            EXPECT_TRUE(t.TabMail->isVisibleTo(&t)) << at;
            EXPECT_EQ(t.focusWidget(), t.txtMailTo) << at;
        }
        EXPECT_FALSE(isStored(kMail, u"txtMailTo"_s)) << at; // the test saves nothing

        // OK
        dialogs.messageRequests.clear();
        frmForward& f = openWithRecipient(row.to);
        f.cmdOK->click();
        if (row.valid) {
            EXPECT_TRUE(messages().isEmpty()) << at;
            EXPECT_EQ(f.result(), QDialog::Accepted) << at;
            EXPECT_EQ(stored(kMail, u"txtMailTo"_s), row.to) << at;
        } else {
            EXPECT_EQ(messages(), QStringList{u"#380"_s}) << at;
            EXPECT_EQ(f.TabControl1->SelectedKey(), u"MailNotic") << at;
            EXPECT_TRUE(f.TabMail->isVisibleTo(&f)) << at;
            EXPECT_EQ(f.focusWidget(), f.txtMailTo) << at;
            EXPECT_NE(f.result(), QDialog::Accepted) << at;
            EXPECT_FALSE(isStored(kMail, u"txtMailTo"_s)) << at;
        }
    }
}

TEST_F(frmForwardTest, WithoutATransportOkAndTestOpenTheSmtpWindowAndSaveNothing)
{
    struct Row {
        std::optional<QString> mapi;
        QString server;
        bool passes;
    };
    const Row rows[] = {
        {u"1"_s, QString(), true}, {u"0"_s, QString(), false}, {std::nullopt, QString(), false},
        {u"True"_s, QString(), false}, {u" 1"_s, QString(), false}, {u"0"_s, u"smtp.example.com"_s, true},
        {u"0"_s, u"  "_s, true}, // blanks are a server, as the service reads them
    };
    for (const Row& row : rows) {
        const std::string at
            = row.mapi.value_or(u"(missing)"_s).toStdString() + "/" + row.server.toStdString();
        const RegistryRoutines smtp = RegistryRoutines::forProduct(kSmtp);
        if (row.mapi)
            store(kSmtp, u"MAPI"_s, *row.mapi);
        else
            (void)smtp.DeleteValue(u"MAPI"_s);
        store(kSmtp, u"txtSMTP"_s, row.server);
        (void)RegistryRoutines::forProduct(kMail).DeleteValue(u"chkSendToMail"_s);

        for (const bool viaTest : {false, true}) {
            dialogs.messageRequests.clear();
            queue.mails.clear();
            frmForward& f = openWithRecipient(u"ann@example.com"_s);
            QString opened;
            if (!row.passes)
                WidgetShots::onNextModal([&opened](QWidget* modal) {
                    opened = modal->objectName();
                    static_cast<QDialog*>(modal)->reject();
                });
            (viaTest ? f.cmdTestMail : f.cmdOK)->click();
            const std::string how = at + (viaTest ? " Test" : " OK");
            if (row.passes) {
                EXPECT_TRUE(messages().isEmpty()) << how;
                if (viaTest)
                    EXPECT_EQ(queue.mails.size() + mail->sent().size(), 1) << how;
                else
                    EXPECT_EQ(stored(kMail, u"chkSendToMail"_s), u"1") << how;
            } else {
                EXPECT_EQ(messages(), QStringList{u"#381"_s}) << how;
                EXPECT_EQ(opened, u"frmSmtp") << how;
                EXPECT_FALSE(isStored(kMail, u"chkSendToMail"_s)) << how;
                EXPECT_TRUE(queue.mails.isEmpty()) << how;
                EXPECT_TRUE(mail->sent().isEmpty()) << how;
                EXPECT_NE(f.result(), QDialog::Accepted) << how;
            }
        }
    }
}

TEST_F(frmForwardTest, OkAfterTheSmtpWindowStoredAServerSaves)
{
    frmForward& f = openWithRecipient(u"ann@example.com"_s);
    WidgetShots::onNextModal([](QWidget* modal) {
        auto* smtp = static_cast<frmSmtp*>(modal);
        smtp->txtSMTP->setText(u"smtp.example.com"_s);
        smtp->cmdOK->click();
    });
    f.cmdOK->click();
    // The command ended with the SMTP window: nothing saved yet.
    EXPECT_EQ(stored(kSmtp, u"txtSMTP"_s), u"smtp.example.com");
    EXPECT_FALSE(isStored(kMail, u"txtMailTo"_s));
    f.cmdOK->click();
    EXPECT_EQ(f.result(), QDialog::Accepted);
    EXPECT_EQ(stored(kMail, u"txtMailTo"_s), u"ann@example.com");
    EXPECT_EQ(messages(), QStringList{u"#381"_s});
}

TEST_F(frmForwardTest, OkStoresEveryValueWithBothActionsEveryCall)
{
    store(kMail, u"cmbActMail"_s, u"2"_s);
    store(kApp, u"cmbActApp"_s, u"1"_s);
    frmForward& f = open();
    // Mail clear: the recipient is not checked.
    f.txtMailTo->setText(u"not an address"_s);
    f.chkApp->setChecked(true);
    f.txtAppTo->setPlainText(u"/usr/bin/logger -t ring\n\"<CALLER_NAME>\""_s);
    f.chkBGAPP->setChecked(true);
    f.cmdOK->click();
    EXPECT_EQ(f.result(), QDialog::Accepted);
    EXPECT_TRUE(dialogs.messageRequests.isEmpty());
    EXPECT_EQ(stored(kMail, u"chkSendToMail"_s), u"0");
    EXPECT_EQ(stored(kMail, u"cmbActMail"_s), u"0");
    EXPECT_EQ(stored(kMail, u"txtMailTo"_s), u"not an address");
    EXPECT_EQ(stored(kApp, u"chkApp"_s), u"1");
    EXPECT_EQ(stored(kApp, u"cmbActApp"_s), u"0");
    EXPECT_EQ(stored(kApp, u"txtAppTo"_s), u"/usr/bin/logger -t ring\r\n\"<CALLER_NAME>\"");
    EXPECT_EQ(stored(kApp, u"chkBGAPP"_s), u"1");
}

TEST_F(frmForwardTest, TheCommandLineRoundTripsByteForByte)
{
    const QString values[] = {
        u"/bin/a \"b c\"\r\n-d\r\n"_s,
        u"/bin/a\nb"_s, // a lone LF, as a hand-edited store may hold
        u"/bin/a\rb"_s,
    };
    for (const QString& value : values) {
        store(kApp, u"txtAppTo"_s, value);
        open().cmdOK->click();
        EXPECT_EQ(stored(kApp, u"txtAppTo"_s), value) << value.toStdString();
    }
    // Typed lines are stored with CR LF.
    frmForward& f = open();
    f.txtAppTo->setPlainText(u"one\ntwo"_s);
    f.cmdOK->click();
    EXPECT_EQ(stored(kApp, u"txtAppTo"_s), u"one\r\ntwo");
}

TEST_F(frmForwardTest, CancelAndTheCloseBoxStoreNothing)
{
    for (const bool closeBox : {false, true}) {
        frmForward& f = open();
        f.show();
        f.chkSendToMail->setChecked(true);
        f.txtMailTo->setText(u"ann@example.com"_s);
        f.chkApp->setChecked(true);
        if (closeBox)
            f.close();
        else
            f.cmdCancel->click();
        EXPECT_FALSE(f.isVisible());
        for (const char* name : {"chkSendToMail", "cmbActMail", "txtMailTo"})
            EXPECT_FALSE(isStored(kMail, QString::fromLatin1(name))) << name;
        for (const char* name : {"chkApp", "cmbActApp", "txtAppTo", "chkBGAPP"})
            EXPECT_FALSE(isStored(kApp, QString::fromLatin1(name))) << name;
    }
}

TEST_F(frmForwardTest, OkGivesTheContactEditorTheNewDefaults)
{
    frmContact& editor = LoadContactEditor();
    EXPECT_FALSE(editor.chkSendToMail->isChecked());
    store(kSmtp, u"MAPI"_s, u"1"_s);
    frmForward& f = openWithRecipient(u"ann@example.com"_s);
    f.chkApp->setChecked(true);
    f.txtAppTo->setPlainText(u"/bin/true"_s);
    f.cmdOK->click();
    EXPECT_TRUE(editor.chkSendToMail->isChecked());
    EXPECT_EQ(editor.txtMailTo->text(), u"ann@example.com");
    EXPECT_TRUE(editor.chkApp->isChecked());
    EXPECT_EQ(editor.txtAppTo->text(), u"/bin/true");
}

TEST_F(frmForwardTest, SmtpTestMailCarriesTheElevenArgumentsAndShowsItsEnd)
{
    store(kSmtp, u"MAPI"_s, u"0"_s);
    store(kSmtp, u"txtSMTP"_s, u"smtp.example.com:587"_s);
    store(kSmtp, u"txtSMTPUserName"_s, u"ann"_s);
    store(kSmtp, u"txtSMTPPass"_s, u"se cret"_s);
    frmForward& f = openWithRecipient(u"bob@example.org"_s);
    f.cmdTestMail->click();
    ASSERT_EQ(mail->sent().size(), 1);
    EXPECT_EQ(mail->sent().first().arguments,
        QStringList({u"smtp.example.com:587"_s, frmForward::TestMailSender(), g_sProductTitle,
            u"bob@example.org"_s, u"Test Mail From Ringvale 1.1"_s, QString(), QString(), u"ann"_s,
            u"se cret"_s, g_sProductTitle, u"bob@example.org"_s}));
    EXPECT_TRUE(frmForward::TestMailSender().endsWith(u"@example.com"));
    EXPECT_TRUE(queue.mails.isEmpty());
    EXPECT_FALSE(isStored(kMail, u"txtMailTo"_s));

    const SmtpMailControl::MailId id = mail->sent().first().id;
    emit mail->Progress(id, 200, 100);
    EXPECT_EQ(f.lblMailTester->text(), u"#750 %");
    emit mail->Done(id);
    EXPECT_EQ(f.lblMailTester->text(), u"Done");

    // A refused mail says why; it never reads as sent.
    f.cmdTestMail->click();
    emit mail->Failed(mail->sent().last().id, 67, u"Login denied"_s);
    EXPECT_EQ(f.lblMailTester->text(), u"Login denied (67)");
}

TEST_F(frmForwardTest, MapiTestMailGoesToTheMailQueue)
{
    store(kSmtp, u"MAPI"_s, u"1"_s);
    frmForward& f = openWithRecipient(u"bob@example.org"_s);
    f.lblMailTester->setText(u"earlier"_s);
    f.cmdTestMail->click();
    ASSERT_EQ(queue.mails.size(), 1);
    EXPECT_EQ(queue.mails.first(),
        QStringList({u"bob@example.org"_s, u"Test Mail"_s, u"Test Mail From Ringvale 1.1"_s, QString()}));
    EXPECT_TRUE(mail->sent().isEmpty());
    EXPECT_EQ(f.lblMailTester->text(), u"earlier");
}

TEST_F(frmForwardTest, ProgramTestStartsTheLineAsTypedAndShowsAFailure)
{
    QTemporaryDir out;
    const QString record = out.filePath(u"launch"_s);
    qputenv("ARGS_RECORDER_OUT", QFile::encodeName(record));
    frmForward& f = open();
    f.chkApp->setChecked(true);

    f.txtAppTo->setPlainText(out.filePath(u"missing-program"_s) + u" x"_s);
    f.cmdTestApp->click();
    const QString failure = f.lblAppResults->text();
    EXPECT_TRUE(failure.endsWith(u" (2)"_s)) << failure.toStdString();
    EXPECT_GT(failure.size(), 4);

    // Placeholders stay unfilled; an argument in quotes arrives whole; an
    // earlier failure stays.
    f.txtAppTo->setPlainText(argsRecorderPath() + u" \"Ann Lee\" <CALLER_NAME>"_s);
    f.cmdTestApp->click();
    std::optional<RecordedLaunch> launch;
    ASSERT_TRUE(waitUntil([&] { return (launch = readRecordedLaunch(record)).has_value(); }, 10000));
    EXPECT_EQ(launch->arguments, QStringList({u"Ann Lee"_s, u"<CALLER_NAME>"_s}));
    EXPECT_EQ(f.lblAppResults->text(), failure);
    qunsetenv("ARGS_RECORDER_OUT");
    EXPECT_FALSE(isStored(kApp, u"txtAppTo"_s));
}

TEST_F(frmForwardTest, HelpOpensTheForwardingAndParameterPages)
{
    frmForward& f = open();
    f.chkApp->setChecked(true);
    f.cmdHelp->click();
    f.lblAppParm->click();
    ASSERT_EQ(addresses.opened.size(), 2);
    EXPECT_TRUE(addresses.opened[0].endsWith(u"/Help/HelpEng/Pages/SendCallToEmail.htm"));
    EXPECT_TRUE(addresses.opened[1].endsWith(u"/Help/HelpEng/Pages/Parameters.htm"));
}

TEST(ParametersHelpPage, NamesEveryPlaceholderTheTemplatesFill)
{
    QFile page(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Help/HelpEng/Pages/Parameters.htm"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(page.readAll());
    for (const char* name : {"CALLER_NUMBER", "CALLER_NAME", "MESSAGE_PATH", "DATE", "TIME", "CONTACT",
             "CALL_TYPE", "LENGTH", "READ", "MESSAGEORCALL"})
        EXPECT_TRUE(text.contains(u"&lt;"_s + QLatin1String(name) + u"&gt;"_s)) << name;
}

TEST_F(frmForwardTest, RightToLeftMirrorsLabelsAndBoxesButNotTheTextBoxes)
{
    ResetTranslation();
    ASSERT_NO_FATAL_FAILURE(loadTranslation(u"RTL"_s));
    frmForward& f = open();
    EXPECT_EQ(f.layoutDirection(), Qt::RightToLeft);
    for (QLabel* label : {f.lblMail, f.lblMailTo, f.lblApp, f.lblAppPath}) {
        EXPECT_EQ(label->layoutDirection(), Qt::RightToLeft) << label->objectName().toStdString();
        EXPECT_TRUE(label->alignment() & Qt::AlignRight) << label->objectName().toStdString();
    }
    for (QCheckBox* box : {f.chkSendToMail, f.chkApp, f.chkBGAPP})
        EXPECT_EQ(box->layoutDirection(), Qt::RightToLeft) << box->objectName().toStdString();
    EXPECT_EQ(f.txtMailTo->layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(f.txtAppTo->layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(f.TabControl1->layoutDirection(), Qt::LeftToRight);
}

TEST_F(frmForwardTest, ScreenshotsOfBothPages)
{
    store(kMail, u"chkSendToMail"_s, u"1"_s);
    store(kMail, u"txtMailTo"_s, u"ann@example.com"_s);
    store(kApp, u"chkApp"_s, u"1"_s);
    store(kApp, u"txtAppTo"_s, u"/usr/local/bin/notify \"<CALLER_NAME>\" <CALLER_NUMBER>"_s);
    ASSERT_NO_FATAL_FAILURE(loadEnglish());
    frmForward& f = open();
    f.show();
    f.lblMailTester->setText(u"Done"_s);
    EXPECT_TRUE(WidgetShots::save(&f, u"frmForward-mail.png"_s));
    f.TabControl1->SelectTab(u"AppNotic"_s);
    EXPECT_TRUE(WidgetShots::save(&f, u"frmForward-application.png"_s));
}

} // namespace

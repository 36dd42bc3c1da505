#include "desktop/settings/frmMailDetails.h"

#include "common/CallTemplate.h"
#include "tests/desktop/settings/ForwardFixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString kDetails = u"MailForward\\Details"_s;
const QByteArray kDefaultMessage = "Call Details-\r\n"
                                   "Call Type : <CALL_TYPE>\r\n"
                                   "Date : <DATE>\r\n"
                                   "Time : <TIME>\r\n"
                                   "Caller Name : <CALLER_NAME>\r\n"
                                   "Caller Number : <CALLER_NUMBER>\r\n"
                                   "Contact : <CONTACT>\r\n";

class frmMailDetailsTest : public ForwardFixture {
protected:
    void TearDown() override
    {
        window.reset();
        ForwardFixture::TearDown();
    }
    frmMailDetails& open()
    {
        window = std::make_unique<frmMailDetails>();
        return *window;
    }
    std::unique_ptr<frmMailDetails> window;
};

TEST_F(frmMailDetailsTest, AfterAFirstStartTheDefaultMessageShows)
{
    // As the first start stores it.
    store(kDetails, u"txtMessage"_s, DefaultMailMessage());
    frmMailDetails& f = open();
    EXPECT_EQ(f.windowTitle(), u"#319");
    EXPECT_EQ(f.cmdDefault->text(), u"#317");
    EXPECT_TRUE(f.txtFromMail->text().isEmpty());
    EXPECT_TRUE(f.txtSubject->text().isEmpty());
    const QStringList lines = f.txtMessage->toPlainText().split(u'\n');
    ASSERT_EQ(lines.size(), 8); // seven lines and the empty one after the last break
    EXPECT_EQ(lines[0], u"Call Details-");
    EXPECT_EQ(lines[6], u"Contact : <CONTACT>");
    // Unchanged, it goes back byte for byte.
    f.cmdOK->click();
    EXPECT_EQ(stored(kDetails, u"txtMessage"_s).toUtf8(), kDefaultMessage);
}

TEST_F(frmMailDetailsTest, RestoreKeepsTheSenderAndReplacesSubjectAndMessage)
{
    frmMailDetails& f = open();
    f.txtFromMail->setText(u"not-an-address"_s);
    f.txtSubject->setText(u"mine"_s);
    f.txtMessage->setPlainText(u"my\nlines"_s);
    f.cmdDefault->click();
    EXPECT_EQ(f.txtFromMail->text(), u"not-an-address");
    EXPECT_EQ(f.txtSubject->text(), u"<CALL_TYPE> from <CALLER_NAME> - <CALLER_NUMBER>");
    f.cmdOK->click();
    EXPECT_EQ(stored(kDetails, u"txtFromMail"_s), u"not-an-address");
    EXPECT_EQ(stored(kDetails, u"txtSubject"_s), u"<CALL_TYPE> from <CALLER_NAME> - <CALLER_NUMBER>");
    EXPECT_EQ(stored(kDetails, u"txtMessage"_s).toUtf8(), kDefaultMessage);
}

TEST_F(frmMailDetailsTest, RestoreThenCancelChangesNothing)
{
    store(kDetails, u"txtSubject"_s, u"S"_s);
    store(kDetails, u"txtMessage"_s, u"M\r\n"_s);
    frmMailDetails& f = open();
    f.cmdDefault->click();
    f.cmdCancel->click();
    EXPECT_EQ(stored(kDetails, u"txtSubject"_s), u"S");
    EXPECT_EQ(stored(kDetails, u"txtMessage"_s), u"M\r\n");
    EXPECT_FALSE(isStored(kDetails, u"txtFromMail"_s));
}

TEST_F(frmMailDetailsTest, OkStoresTheTextsAsTyped)
{
    store(kDetails, u"txtSubject"_s, u"old"_s);
    frmMailDetails& f = open();
    f.txtSubject->clear();
    f.txtMessage->setPlainText(u" first \n\nthird"_s);
    f.cmdOK->click();
    EXPECT_EQ(f.result(), QDialog::Accepted);
    EXPECT_TRUE(isStored(kDetails, u"txtFromMail"_s));
    EXPECT_EQ(stored(kDetails, u"txtFromMail"_s), u"");
    EXPECT_EQ(stored(kDetails, u"txtSubject"_s), u"");
    EXPECT_EQ(stored(kDetails, u"txtMessage"_s), u" first \r\n\r\nthird");
}

TEST_F(frmMailDetailsTest, ParametersOpensItsHelpPage)
{
    open().cmdParameters->click();
    ASSERT_EQ(addresses.opened.size(), 1);
    EXPECT_TRUE(addresses.opened.first().endsWith(u"/Help/HelpEng/Pages/Parameters.htm"));
}

TEST_F(frmMailDetailsTest, Screenshot)
{
    store(kDetails, u"txtFromMail"_s, u"ringvale@example.com"_s);
    store(kDetails, u"txtMessage"_s, DefaultMailMessage());
    ASSERT_NO_FATAL_FAILURE(loadEnglish());
    frmMailDetails& f = open();
    f.cmdDefault->click();
    f.show();
    EXPECT_TRUE(WidgetShots::save(&f, u"frmMailDetails.png"_s));
}

} // namespace

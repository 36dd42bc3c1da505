#include "desktop/settings/frmSmtp.h"
#include "tests/desktop/settings/SettingsGroups.h"

#include "tests/desktop/settings/ForwardFixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

class frmSmtpTest : public ForwardFixture {
protected:
    void TearDown() override
    {
        window.reset();
        ForwardFixture::TearDown();
    }
    frmSmtp& open()
    {
        window = std::make_unique<frmSmtp>();
        return *window;
    }
    QList<QWidget*> serverFields() const
    {
        return {window->lblSMTP, window->txtSMTP, window->lblUserName, window->txtSMTPUserName,
            window->lblPass, window->txtSMTPPass};
    }
    std::unique_ptr<frmSmtp> window;
};

TEST_F(frmSmtpTest, OnlyTheExactOneSelectsMapi)
{
    const std::pair<std::optional<QString>, bool> rows[] = {
        {u"1"_s, true},
        {u"0"_s, false},
        {std::nullopt, false},
        {u"True"_s, false},
        {u" 1"_s, false},
        {u"1 "_s, false},
    };
    for (const auto& [mapi, selected] : rows) {
        const std::string at = mapi.value_or(u"(missing)"_s).toStdString();
        if (mapi)
            store(kSmtp, u"MAPI"_s, *mapi);
        else
            (void)RegistryRoutines::forProduct(kSmtp).DeleteValue(u"MAPI"_s);
        frmSmtp& f = open();
        EXPECT_EQ(f.ptnMapi->isChecked(), selected) << at;
        EXPECT_EQ(f.ptnAppSMTP->isChecked(), !selected) << at;
        for (QWidget* field : serverFields())
            EXPECT_EQ(enabled(field), !selected) << at << field->objectName().toStdString();
    }
}

TEST_F(frmSmtpTest, FirstOpeningRefusesOkWithoutAServer)
{
    frmSmtp& f = open();
    EXPECT_EQ(f.windowTitle(), u"#105");
    EXPECT_EQ(f.lblSMTP->text(), u"#306");
    EXPECT_EQ(f.chkUserNamePassServer->text(), u"#322");
    for (QLineEdit* box : {f.txtSMTP, f.txtSMTPUserName, f.txtSMTPPass})
        EXPECT_TRUE(box->text().isEmpty());
    f.cmdOK->click();
    ASSERT_EQ(dialogs.messageRequests.size(), 1);
    EXPECT_EQ(dialogs.messageRequests.first().text, u"#381");
    EXPECT_EQ(f.focusWidget(), f.txtSMTP);
    EXPECT_NE(f.result(), QDialog::Accepted);
    for (const char* name : {"MAPI", "txtSMTP", "txtSMTPUserName", "txtSMTPPass"})
        EXPECT_FALSE(isStored(kSmtp, QString::fromLatin1(name))) << name;
}

TEST_F(frmSmtpTest, MapiDisablesTheServerFieldsButStoresThemAsTheyStand)
{
    store(kSmtp, u"txtSMTP"_s, u"smtp.example.com"_s);
    store(kSmtp, u"txtSMTPUserName"_s, u"ann"_s);
    store(kSmtp, u"txtSMTPPass"_s, u"p*ss word"_s);
    frmSmtp& f = open();
    f.ptnMapi->click();
    for (QWidget* field : serverFields())
        EXPECT_FALSE(enabled(field)) << field->objectName().toStdString();
    EXPECT_EQ(f.txtSMTP->text(), u"smtp.example.com");
    f.txtSMTP->clear(); // no server needed with MAPI
    f.cmdOK->click();
    EXPECT_TRUE(dialogs.messageRequests.isEmpty());
    EXPECT_EQ(stored(kSmtp, u"MAPI"_s), u"1");
    EXPECT_EQ(stored(kSmtp, u"txtSMTP"_s), u"");
    EXPECT_EQ(stored(kSmtp, u"txtSMTPUserName"_s), u"ann");
    EXPECT_EQ(stored(kSmtp, u"txtSMTPPass"_s), u"p*ss word");

    frmSmtp& g = open();
    g.ptnAppSMTP->click();
    for (QWidget* field : serverFields())
        EXPECT_TRUE(enabled(field)) << field->objectName().toStdString();
}

TEST_F(frmSmtpTest, ABlankServerPassesAndThePasswordIsStoredAsTypedAndShownMasked)
{
    frmSmtp& f = open();
    f.txtSMTP->setText(u"   "_s);
    f.txtSMTPUserName->setText(u" ann "_s);
    f.txtSMTPPass->setText(u"s3cr et"_s);
    f.chkUserNamePassServer->setChecked(true);
    f.cmdOK->click();
    EXPECT_TRUE(dialogs.messageRequests.isEmpty());
    EXPECT_EQ(f.result(), QDialog::Accepted);
    EXPECT_EQ(stored(kSmtp, u"MAPI"_s), u"0");
    EXPECT_EQ(stored(kSmtp, u"txtSMTP"_s), u"   ");
    EXPECT_EQ(stored(kSmtp, u"txtSMTPUserName"_s), u" ann ");
    EXPECT_EQ(stored(kSmtp, u"txtSMTPPass"_s), u"s3cr et");
    // The box means nothing: nothing of it is stored or read.
    EXPECT_FALSE(isStored(kSmtp, u"chkUserNamePassServer"_s));

    frmSmtp& g = open();
    EXPECT_EQ(g.txtSMTPPass->text(), u"s3cr et");
    EXPECT_EQ(g.txtSMTPPass->displayText(), u"*******");
    EXPECT_FALSE(g.chkUserNamePassServer->isChecked());
}

TEST_F(frmSmtpTest, CancelStoresNothing)
{
    store(kSmtp, u"MAPI"_s, u"1"_s);
    frmSmtp& f = open();
    f.ptnAppSMTP->click();
    f.txtSMTP->setText(u"smtp.example.com"_s);
    f.cmdCancel->click();
    EXPECT_EQ(stored(kSmtp, u"MAPI"_s), u"1");
    EXPECT_FALSE(isStored(kSmtp, u"txtSMTP"_s));
}

TEST_F(frmSmtpTest, Screenshot)
{
    store(kSmtp, u"txtSMTP"_s, u"smtp.example.com:587"_s);
    store(kSmtp, u"txtSMTPUserName"_s, u"ann"_s);
    store(kSmtp, u"txtSMTPPass"_s, u"secret"_s);
    ASSERT_NO_FATAL_FAILURE(loadEnglish());
    frmSmtp& f = open();
    f.show();
    EXPECT_TRUE(WidgetShots::save(&f, u"frmSmtp.png"_s));
}

} // namespace

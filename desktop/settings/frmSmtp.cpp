#include "desktop/settings/frmSmtp.h"

#include "desktop/foundation/Translation.h"
#include "desktop/foundation/WindowUtilities.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cstdio>

namespace {

const QString kGroup = QStringLiteral("MailForward\\SMTP");
constexpr int kChooseServer = 381;

} // namespace

frmSmtp::frmSmtp(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSmtp"));
    setWindowTitle(QStringLiteral("SMTP Details"));
    Form_Load();
}

void frmSmtp::buildControls()
{
    lblSMTP_Description = named(new QLabel(this), "lblSMTP_Description");
    lblSMTP_Description->setWordWrap(true);
    ptnMapi = named(
        new QRadioButton(QStringLiteral("Use the system's mail program (sendmail)"), this), "ptnMapi");
    ptnAppSMTP = named(
        new QRadioButton(QStringLiteral("Use Ringvale's own mail sending (SMTP)"), this), "ptnAppSMTP");
    lblSMTP = named(new QLabel(QStringLiteral("Mail to:"), this), "lblSMTP");
    txtSMTP = named(new QLineEdit(this), "txtSMTP");
    chkUserNamePassServer
        = named(new QCheckBox(QStringLiteral("The server needs a user name and password"), this),
            "chkUserNamePassServer");
    lblUserName = named(new QLabel(QStringLiteral("User name:"), this), "lblUserName");
    txtSMTPUserName = named(new QLineEdit(this), "txtSMTPUserName");
    lblPass = named(new QLabel(QStringLiteral("Password:"), this), "lblPass");
    txtSMTPPass = named(new QLineEdit(this), "txtSMTPPass");
    txtSMTPPass->setEchoMode(QLineEdit::Password);
    // Every character shows as "*", as the stored text is the real password.
    txtSMTPPass->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    cmdOK = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");
    cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel");
    cmdOK->setDefault(true);

    auto* grid = new QGridLayout;
    grid->addWidget(lblSMTP_Description, 0, 0, 1, 2);
    grid->addWidget(ptnMapi, 1, 0, 1, 2);
    grid->addWidget(ptnAppSMTP, 2, 0, 1, 2);
    grid->addWidget(lblSMTP, 3, 0);
    grid->addWidget(txtSMTP, 3, 1);
    grid->addWidget(chkUserNamePassServer, 4, 0, 1, 2);
    grid->addWidget(lblUserName, 5, 0);
    grid->addWidget(txtSMTPUserName, 5, 1);
    grid->addWidget(lblPass, 6, 0);
    grid->addWidget(txtSMTPPass, 6, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(1, 220);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* window = new QVBoxLayout(this);
    window->addLayout(grid);
    window->addStretch(1);
    window->addLayout(buttons);
}

void frmSmtp::Form_Load()
{
    buildControls();
    // 1
    mirrorForRightToLeft();
    // 2
    const std::pair<QWidget*, int> captions[] = {{this, 105}, {ptnMapi, 325}, {ptnAppSMTP, 326},
        {lblSMTP_Description, 302}, {chkUserNamePassServer, 322}, {lblSMTP, 306}, {lblUserName, 307},
        {lblPass, 308}, {cmdOK, 11}, {cmdCancel, 12}};
    for (const auto& [widget, entry] : captions)
        SetTranslatedCaption(widget, entry);
    // 3, 4
    m_reg = RegistryRoutines::forProduct(kGroup);
    for (QLineEdit* box : {txtSMTP, txtSMTPUserName, txtSMTPPass})
        box->setText(m_reg.getString(box->objectName()));
    // 5: the service and the forwarding window read it the same way.
    if (m_reg.getString(QStringLiteral("MAPI")) == u"1")
        ptnMapi->setChecked(true);
    else
        ptnAppSMTP->setChecked(true);
    // 6
    UpdateSmtpControls();
    connect(ptnMapi, &QRadioButton::toggled, this, &frmSmtp::UpdateSmtpControls);
    connect(cmdOK, &QPushButton::clicked, this, &frmSmtp::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSmtp::cmdCancel_Click);
}

void frmSmtp::mirrorForRightToLeft()
{
    if (!g_bRTL())
        return;
    const Qt::Alignment right = Qt::AlignAbsolute | Qt::AlignRight | Qt::AlignVCenter;
    for (QWidget* choice : std::initializer_list<QWidget*>{ptnAppSMTP, ptnMapi, chkUserNamePassServer})
        choice->setLayoutDirection(Qt::RightToLeft);
    for (QLabel* label : {lblSMTP_Description, lblSMTP, lblUserName, lblPass}) {
        label->setLayoutDirection(Qt::RightToLeft);
        label->setAlignment(right);
    }
    for (QLineEdit* box : {txtSMTP, txtSMTPUserName, txtSMTPPass}) {
        box->setLayoutDirection(Qt::RightToLeft);
        box->setAlignment(right);
    }
    setLayoutDirection(Qt::RightToLeft);
}

void frmSmtp::UpdateSmtpControls()
{
    const bool own = ptnAppSMTP->isChecked();
    for (QLabel* label : {lblSMTP, lblUserName, lblPass})
        label->setEnabled(own);
    for (QLineEdit* box : {txtSMTP, txtSMTPUserName, txtSMTPPass})
        SetTextBoxEnabled(box, own);
}

void frmSmtp::cmdOK_Click()
{
    // 1: exact, so a server of blanks passes.
    if (ptnAppSMTP->isChecked() && txtSMTP->text().isEmpty()) {
        ShowMessage(g_sTrans(kChooseServer), false);
        txtSMTP->setFocus();
        return;
    }
    // 2: the disabled boxes' texts go too.
    const std::pair<QString, QString> values[] = {
        {QStringLiteral("MAPI"), ptnMapi->isChecked() ? QStringLiteral("1") : QStringLiteral("0")},
        {txtSMTP->objectName(), txtSMTP->text()},
        {txtSMTPUserName->objectName(), txtSMTPUserName->text()},
        {txtSMTPPass->objectName(), txtSMTPPass->text()},
    };
    // The group may never have been stored.
    (void)m_reg.CreateKey();
    for (const auto& [name, value] : values) {
        if (!m_reg.setString(name, value))
            std::fprintf(stderr, "Ringvale: cannot store the mail setting %s\n", qPrintable(name));
    }
    // 3
    accept();
}

void frmSmtp::cmdCancel_Click()
{
    reject();
}

#include "desktop/settings/frmMailDetails.h"

#include "common/CallTemplate.h"
#include "desktop/foundation/HelpPages.h"
#include "desktop/foundation/Translation.h"
#include "desktop/foundation/WindowUtilities.h"
#include "desktop/settings/SettingsControls.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>

namespace {

const QString kGroup = QStringLiteral("MailForward\\Details");

} // namespace

frmMailDetails::frmMailDetails(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmMailDetails"));
    setWindowTitle(QStringLiteral("Mail Details"));
    Form_Load();
}

QString frmMailDetails::DefaultSubject()
{
    return QStringLiteral("<CALL_TYPE> from <CALLER_NAME> - <CALLER_NUMBER>");
}

void frmMailDetails::buildControls()
{
    lblFromMail = named(new QLabel(QStringLiteral("From e-mail address:"), this), "lblFromMail");
    txtFromMail = named(new QLineEdit(this), "txtFromMail");
    lblSubject = named(new QLabel(QStringLiteral("Subject:"), this), "lblSubject");
    txtSubject = named(new QLineEdit(this), "txtSubject");
    lblMailMessage = named(new QLabel(QStringLiteral("Mail message:"), this), "lblMailMessage");
    txtMessage = named(new QPlainTextEdit(this), "txtMessage");
    txtMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtMessage->setLineWrapMode(QPlainTextEdit::NoWrap);
    cmdDefault = LinkButton(QStringLiteral("Restore default"), this);
    named(cmdDefault, "cmdDefault");
    cmdParameters = LinkButton(QStringLiteral("Learn about parameters"), this);
    named(cmdParameters, "cmdParameters");
    cmdOK = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");
    cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel");
    cmdOK->setDefault(true);

    auto* grid = new QGridLayout;
    grid->addWidget(lblFromMail, 0, 0);
    grid->addWidget(txtFromMail, 1, 0, 1, 2);
    grid->addWidget(lblSubject, 2, 0);
    grid->addWidget(txtSubject, 3, 0, 1, 2);
    grid->addWidget(lblMailMessage, 4, 0);
    grid->addWidget(txtMessage, 5, 0, 1, 2);
    grid->addWidget(cmdParameters, 6, 0, Qt::AlignLeading);
    grid->addWidget(cmdDefault, 6, 1, Qt::AlignTrailing);
    grid->setRowStretch(5, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* window = new QVBoxLayout(this);
    window->addLayout(grid, 1);
    window->addLayout(buttons);
    resize(420, 380);
}

void frmMailDetails::Form_Load()
{
    buildControls();
    // 1
    mirrorForRightToLeft();
    // 2
    const std::pair<QWidget*, int> captions[] = {{this, 319}, {lblFromMail, 314}, {lblSubject, 315},
        {lblMailMessage, 316}, {cmdParameters, 318}, {cmdDefault, 317}, {cmdOK, 11}, {cmdCancel, 12}};
    for (const auto& [widget, entry] : captions)
        SetTranslatedCaption(widget, entry);
    // 3, 4
    m_reg = RegistryRoutines::forProduct(kGroup);
    txtFromMail->setText(m_reg.getString(txtFromMail->objectName()));
    txtSubject->setText(m_reg.getString(txtSubject->objectName()));
    m_storedMessage = m_reg.getString(txtMessage->objectName());
    ShowStoredLines(txtMessage, m_storedMessage);

    connect(cmdDefault, &QPushButton::clicked, this, &frmMailDetails::cmdDefault_Click);
    connect(cmdParameters, &QPushButton::clicked, this, &frmMailDetails::cmdParameters_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmMailDetails::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmMailDetails::cmdCancel_Click);
}

void frmMailDetails::mirrorForRightToLeft()
{
    if (!g_bRTL())
        return;
    const Qt::Alignment right = Qt::AlignAbsolute | Qt::AlignRight | Qt::AlignVCenter;
    for (QLabel* label : {lblFromMail, lblSubject, lblMailMessage}) {
        label->setLayoutDirection(Qt::RightToLeft);
        label->setAlignment(right);
    }
    for (QPushButton* link : {cmdParameters, cmdDefault})
        link->setLayoutDirection(Qt::RightToLeft);
    txtSubject->setLayoutDirection(Qt::RightToLeft);
    txtSubject->setAlignment(right);
    txtMessage->setLayoutDirection(Qt::RightToLeft);
    // The sender's box stays as laid out.
    txtFromMail->setLayoutDirection(Qt::LeftToRight);
    setLayoutDirection(Qt::RightToLeft);
}

void frmMailDetails::cmdDefault_Click()
{
    txtSubject->setText(DefaultSubject());
    txtMessage->setPlainText(ShownLines(DefaultMailMessage()));
}

void frmMailDetails::cmdParameters_Click()
{
    (void)ShowHelpPage(QStringLiteral("Parameters"));
}

void frmMailDetails::cmdOK_Click()
{
    const std::pair<QWidget*, QString> values[] = {
        {txtFromMail, txtFromMail->text()},
        {txtSubject, txtSubject->text()},
        {txtMessage, StoredLines(txtMessage, m_storedMessage)},
    };
    (void)m_reg.CreateKey();
    for (const auto& [control, value] : values) {
        if (!m_reg.setString(control->objectName(), value))
            std::fprintf(
                stderr, "Ringvale: cannot store the mail detail %s\n", qPrintable(control->objectName()));
    }
    accept();
}

void frmMailDetails::cmdCancel_Click()
{
    reject();
}

#include "desktop/settings/frmForward.h"

#include "common/MailProgress.h"
#include "desktop/contacts/frmContact.h"
#include "desktop/contacts/mdlContactList.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/HelpPages.h"
#include "desktop/foundation/MailQueue.h"
#include "desktop/foundation/TabStrip.h"
#include "desktop/foundation/Translation.h"
#include "desktop/foundation/WindowUtilities.h"
#include "desktop/foundation/mdlFunctions.h"
#include "desktop/settings/SettingsControls.h"
#include "desktop/settings/frmMailDetails.h"
#include "desktop/settings/frmSmtp.h"
#include "platform/Backends.h"
#include "platform/CommandLineSplit.h"
#include "platform/ProgramLauncher.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>

namespace {

const QString kMailGroup = QStringLiteral("Forward\\Mail");
const QString kAppGroup = QStringLiteral("Forward\\App");
const QString kSmtpGroup = QStringLiteral("MailForward\\SMTP");
const QString kMailTab = QStringLiteral("MailNotic");
constexpr int kMailProgress = 7;
constexpr int kInvalidAddress = 380;
constexpr int kChooseServer = 381;

bool ticked(const QCheckBox* box)
{
    return box->checkState() == Qt::Checked;
}

QLabel* boldLabel(QWidget* page, const char* name)
{
    auto* label = named(new QLabel(page), name);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    label->setWordWrap(true);
    return label;
}

} // namespace

frmForward::frmForward(QWidget* parent, SmtpMailControl* mail)
    : QDialog(parent)
    , Mail1(mail ? mail : CreateSmtpMailControl(nullptr))
    , m_launcher(CreateProgramLauncher())
{
    Mail1->setParent(nullptr);
    setObjectName(QStringLiteral("frmForward"));
    setWindowTitle(QStringLiteral("Forward Call"));
    connect(Mail1.get(), &SmtpMailControl::Progress, this, &frmForward::Mail1_Progress);
    connect(Mail1.get(), &SmtpMailControl::Done, this, &frmForward::Mail1_Done);
    connect(Mail1.get(), &SmtpMailControl::Failed, this, &frmForward::Mail1_Failed);
    Form_Load();
}

frmForward::~frmForward() = default;

QString frmForward::TestMailSender()
{
    return QStringLiteral("ringvale-test@example.com");
}

void frmForward::buildMailPage()
{
    QWidget* page = TabMail = named(new QWidget(TabControl1->pageArea()), "TabMail");
    lblMail = boldLabel(page, "lblMail");
    chkSendToMail = named(new QCheckBox(QStringLiteral("Send calls by e-mail"), page), "chkSendToMail");
    lblMailTo = named(new QLabel(QStringLiteral("Mail to:"), page), "lblMailTo");
    txtMailTo = named(new QLineEdit(page), "txtMailTo");
    cmdSmtp = named(new QPushButton(QStringLiteral("SMTP"), page), "cmdSmtp");
    cmdMailDetails = named(new QPushButton(QStringLiteral("Mail Details"), page), "cmdMailDetails");
    cmdTestMail = named(new QPushButton(QStringLiteral("Test"), page), "cmdTestMail");
    lblMailTester = named(new QLabel(page), "lblMailTester");
    lblMailTester->setWordWrap(true);
    for (QPushButton* button : {cmdSmtp, cmdMailDetails, cmdTestMail})
        button->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSmtp);
    buttons->addWidget(cmdMailDetails);
    buttons->addStretch(1);
    buttons->addWidget(cmdTestMail);
    auto* grid = new QGridLayout(page);
    grid->addWidget(lblMail, 0, 0, 1, 2);
    grid->addWidget(chkSendToMail, 1, 0, 1, 2);
    grid->addWidget(lblMailTo, 2, 0);
    grid->addWidget(txtMailTo, 2, 1);
    grid->addLayout(buttons, 3, 0, 1, 2);
    grid->addWidget(lblMailTester, 4, 0, 1, 2);
    grid->setRowStretch(5, 1);
    grid->setColumnStretch(1, 1);
}

void frmForward::buildAppPage()
{
    QWidget* page = TabApp = named(new QWidget(TabControl1->pageArea()), "TabApp");
    lblApp = boldLabel(page, "lblApp");
    chkApp = named(new QCheckBox(QStringLiteral("Send calls to a program"), page), "chkApp");
    lblAppPath = named(new QLabel(QStringLiteral("Program path:"), page), "lblAppPath");
    txtAppTo = named(new QPlainTextEdit(page), "txtAppTo");
    txtAppTo->setMaximumHeight(64);
    chkBGAPP = named(new QCheckBox(QStringLiteral("In background"), page), "chkBGAPP");
    lblAppParm = named(LinkButton(QStringLiteral("Learn about parameters"), page), "lblAppParm");
    cmdTestApp = named(new QPushButton(QStringLiteral("Test"), page), "cmdTestApp");
    cmdTestApp->setAutoDefault(false);
    lblAppResults = named(new QLabel(page), "lblAppResults");
    lblAppResults->setWordWrap(true);

    auto* grid = new QGridLayout(page);
    grid->addWidget(lblApp, 0, 0, 1, 2);
    grid->addWidget(chkApp, 1, 0, 1, 2);
    grid->addWidget(lblAppPath, 2, 0, 1, 2);
    grid->addWidget(txtAppTo, 3, 0, 1, 2);
    grid->addWidget(chkBGAPP, 4, 0);
    grid->addWidget(lblAppParm, 4, 1, Qt::AlignTrailing);
    grid->addWidget(cmdTestApp, 5, 0, Qt::AlignLeading);
    grid->addWidget(lblAppResults, 6, 0, 1, 2);
    grid->setRowStretch(7, 1);
    grid->setColumnStretch(1, 1);
}

void frmForward::Form_Load()
{
    TabControl1 = named(new TabStrip(this), "TabControl1");
    buildMailPage();
    buildAppPage();
    cmdOK = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");
    cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel");
    cmdHelp = named(new QPushButton(QStringLiteral("Help"), this), "cmdHelp");
    cmdOK->setDefault(true);
    cmdHelp->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdHelp);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* window = new QVBoxLayout(this);
    window->addWidget(TabControl1, 1);
    window->addLayout(buttons);
    resize(440, 330);

    // 1
    mirrorForRightToLeft();
    // 2
    const std::pair<QWidget*, int> captions[]
        = {{this, 105}, {lblMail, 302}, {chkSendToMail, 303}, {lblMailTo, 323}, {cmdSmtp, 320},
            {cmdMailDetails, 319}, {cmdTestMail, 321}, {lblApp, 310}, {chkApp, 311}, {lblAppPath, 312},
            {lblAppParm, 318}, {chkBGAPP, 313}, {cmdTestApp, 321}, {cmdOK, 11}, {cmdCancel, 12}};
    for (const auto& [widget, entry] : captions)
        SetTranslatedCaption(widget, entry);
    // 3
    m_reg = RegistryRoutines::forProduct(kMailGroup);
    // 4
    TabMail->setVisible(true);
    TabApp->setVisible(false);
    // 5
    TabControl1->AddTab(g_sTrans(301), -1, kMailTab);
    TabControl1->AddTab(g_sTrans(309), -1, QStringLiteral("AppNotic"));
    // 6
    auto* pages = new QGridLayout(TabControl1->pageArea());
    pages->setContentsMargins(0, 0, 0, 0);
    pages->addWidget(TabMail, 0, 0);
    pages->addWidget(TabApp, 0, 0);
    // 7
    loadValues();
    // 8: values set from code later run these as clicks do.
    chkSendToMail_Click();
    chkApp_Click();
    connect(chkSendToMail, &QCheckBox::stateChanged, this, &frmForward::chkSendToMail_Click);
    connect(chkApp, &QCheckBox::stateChanged, this, &frmForward::chkApp_Click);
    connect(TabControl1, &TabStrip::TabClick, this, &frmForward::TabControl1_TabClick);
    connect(cmdOK, &QPushButton::clicked, this, &frmForward::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmForward::cmdCancel_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &frmForward::cmdHelp_Click);
    connect(lblAppParm, &QPushButton::clicked, this, &frmForward::lblAppParm_Click);
    connect(cmdMailDetails, &QPushButton::clicked, this, &frmForward::cmdMailDetails_Click);
    connect(cmdSmtp, &QPushButton::clicked, this, &frmForward::cmdSmtp_Click);
    connect(cmdTestMail, &QPushButton::clicked, this, &frmForward::cmdTestMail_Click);
    connect(cmdTestApp, &QPushButton::clicked, this, &frmForward::cmdTestApp_Click);
}

void frmForward::mirrorForRightToLeft()
{
    if (!g_bRTL())
        return;
    const Qt::Alignment right = Qt::AlignAbsolute | Qt::AlignRight | Qt::AlignVCenter;
    for (QLabel* label : {lblMail, lblMailTo, lblApp, lblAppPath}) {
        label->setLayoutDirection(Qt::RightToLeft);
        label->setAlignment(right);
    }
    lblAppParm->setLayoutDirection(Qt::RightToLeft);
    for (QCheckBox* box : {chkSendToMail, chkApp, chkBGAPP})
        box->setLayoutDirection(Qt::RightToLeft);
    // The text boxes, buttons, tab strip and pages stay as laid out.
    for (QWidget* control : std::initializer_list<QWidget*>{txtMailTo, txtAppTo, cmdSmtp, cmdMailDetails,
             cmdTestMail, cmdTestApp, cmdOK, cmdCancel, cmdHelp, TabControl1})
        control->setLayoutDirection(Qt::LeftToRight);
    setLayoutDirection(Qt::RightToLeft);
}

void frmForward::loadValues()
{
    m_reg.setSubkey(kMailGroup);
    LoadCheckState(chkSendToMail, m_reg.getString(chkSendToMail->objectName()));
    txtMailTo->setText(m_reg.getString(txtMailTo->objectName()));
    m_reg.setSubkey(kAppGroup);
    LoadCheckState(chkApp, m_reg.getString(chkApp->objectName()));
    m_storedCommand = m_reg.getString(txtAppTo->objectName());
    ShowStoredLines(txtAppTo, m_storedCommand);
    LoadCheckState(chkBGAPP, m_reg.getString(chkBGAPP->objectName()));
}

void frmForward::chkSendToMail_Click()
{
    const bool on = ticked(chkSendToMail);
    for (QWidget* control : std::initializer_list<QWidget*>{lblMailTo, cmdSmtp, cmdMailDetails, cmdTestMail})
        control->setEnabled(on);
    SetTextBoxEnabled(txtMailTo, on);
}

void frmForward::chkApp_Click()
{
    const bool on = ticked(chkApp);
    for (QWidget* control : std::initializer_list<QWidget*>{lblAppPath, lblAppParm, chkBGAPP, cmdTestApp})
        control->setEnabled(on);
    SetTextBoxEnabled(txtAppTo, on);
}

void frmForward::TabControl1_TabClick(int tab)
{
    TabMail->setVisible(false);
    TabApp->setVisible(false);
    if (tab == 1)
        TabMail->setVisible(true);
    else if (tab == 2)
        TabApp->setVisible(true);
}

bool frmForward::recipientPasses()
{
    if (IsValidEmail(txtMailTo->text()))
        return true;
    ShowMessage(g_sTrans(kInvalidAddress), false);
    TabControl1->SelectTab(kMailTab);
    txtMailTo->setFocus();
    return false;
}

bool frmForward::transportChosen()
{
    const RegistryRoutines smtp = RegistryRoutines::forProduct(kSmtpGroup);
    // Exact, as the service reads them: " 1" is not MAPI, blanks are a server.
    if (smtp.getString(QStringLiteral("MAPI")) == u"1"
        || !smtp.getString(QStringLiteral("txtSMTP")).isEmpty())
        return true;
    ShowMessage(g_sTrans(kChooseServer), false);
    frmSmtp window(this);
    window.exec();
    return false;
}

bool frmForward::storeValues()
{
    const std::pair<QString, QString> mail[] = {
        {chkSendToMail->objectName(), StoredCheckState(chkSendToMail)},
        {QStringLiteral("cmbActMail"), QStringLiteral("0")},
        {txtMailTo->objectName(), txtMailTo->text()},
    };
    const std::pair<QString, QString> app[] = {
        {chkApp->objectName(), StoredCheckState(chkApp)},
        {QStringLiteral("cmbActApp"), QStringLiteral("0")},
        {txtAppTo->objectName(), StoredLines(txtAppTo, m_storedCommand)},
        {chkBGAPP->objectName(), StoredCheckState(chkBGAPP)},
    };
    bool all = true;
    const auto write = [this, &all](const QString& group, const auto& values) {
        m_reg.setSubkey(group);
        // The group may never have been stored.
        (void)m_reg.CreateKey();
        for (const auto& [name, value] : values) {
            if (!m_reg.setString(name, value)) {
                std::fprintf(stderr, "Ringvale: cannot store the forwarding value %s\n", qPrintable(name));
                all = false;
            }
        }
    };
    write(kMailGroup, mail);
    write(kAppGroup, app);
    return all;
}

void frmForward::cmdOK_Click()
{
    // 1
    if (ticked(chkSendToMail) && (!recipientPasses() || !transportChosen()))
        return;
    // 2, 3
    (void)storeValues();
    // 4
    if (frmContact* editor = LoadedContactEditor())
        editor->SetDefaultNotice();
    // 5
    accept();
}

void frmForward::cmdCancel_Click()
{
    reject();
}

void frmForward::cmdHelp_Click()
{
    (void)ShowHelpPage(QStringLiteral("SendCallToEmail"));
}

void frmForward::lblAppParm_Click()
{
    (void)ShowHelpPage(QStringLiteral("Parameters"));
}

void frmForward::cmdMailDetails_Click()
{
    frmMailDetails window(this);
    window.exec();
}

void frmForward::cmdSmtp_Click()
{
    frmSmtp window(this);
    window.exec();
}

void frmForward::cmdTestMail_Click()
{
    // 1, 2
    if (!recipientPasses() || !transportChosen())
        return;
    // 3
    const RegistryRoutines smtp = RegistryRoutines::forProduct(kSmtpGroup);
    const QString to = txtMailTo->text();
    if (smtp.getString(QStringLiteral("MAPI")) == u"1") {
        CurrentMailQueue().SendByQ(
            to, QStringLiteral("Test Mail"), QStringLiteral("Test Mail From ") + g_sProductTitle, QString());
        return;
    }
    // 4
    (void)Mail1->SendEmail(smtp.getString(QStringLiteral("txtSMTP")), TestMailSender(), g_sProductTitle, to,
        QStringLiteral("Test Mail From ") + g_sProductTitle, QString(), QString(),
        smtp.getString(QStringLiteral("txtSMTPUserName")), smtp.getString(QStringLiteral("txtSMTPPass")),
        g_sProductTitle, to);
}

void frmForward::Mail1_Progress(SmtpMailControl::MailId, qint64 total, qint64 done)
{
    lblMailTester->setText(MailProgressText(g_sTrans(kMailProgress), total, done));
}

void frmForward::Mail1_Done(SmtpMailControl::MailId)
{
    lblMailTester->setText(QStringLiteral("Done"));
}

void frmForward::Mail1_Failed(SmtpMailControl::MailId, int errorNumber, const QString& errorText)
{
    // A refused or unreachable server is no success.
    lblMailTester->setText(errorText + QStringLiteral(" (") + QString::number(errorNumber) + u')');
}

QString frmForward::commandLine() const
{
    // As stored, placeholders unfilled: what the service would split.
    return StoredLines(txtAppTo, m_storedCommand);
}

void frmForward::cmdTestApp_Click()
{
    const CommandLine command = SplitCommandLine(commandLine());
    // A program here always opens its windows: the desktop has no minimised start.
    const LaunchResult result = m_launcher->Start(command.program, command.arguments, WindowStyle::Shown);
    if (!result.started())
        lblAppResults->setText(
            result.errorText + QStringLiteral(" (") + QString::number(result.errorNumber) + u')');
}

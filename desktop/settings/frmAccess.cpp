#include "desktop/settings/frmAccess.h"

#include "common/ChannelMessages.h"
#include "desktop/foundation/AddressOpener.h"
#include "desktop/foundation/HelpPages.h"
#include "desktop/foundation/HubLink.h"
#include "desktop/foundation/ImageList2.h"
#include "desktop/foundation/TabStrip.h"
#include "desktop/foundation/Translation.h"
#include "desktop/foundation/WindowUtilities.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>

namespace {

bool ticked(const QCheckBox* box)
{
    return box->checkState() == Qt::Checked;
}

const QString kGroup = QStringLiteral("RemoteAccess\\TabInternetAccess");
constexpr int kBalloonTitle = 15;
constexpr int kDigitsOnly = 16;
constexpr int kTabIcon = 11;

} // namespace

frmAccess::frmAccess(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAccess"));
    setWindowTitle(QStringLiteral("Remote Access"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    Form_Load();
}

void frmAccess::buildPage()
{
    QWidget* page = TabWeb = named(new QWidget(TabControl1->pageArea()), "TabWeb");
    lblWeb = named(new QLabel(QStringLiteral("Internet access"), page), "lblWeb");
    QFont bold = lblWeb->font();
    bold.setBold(true);
    lblWeb->setFont(bold);
    chkAllowWWWRemoteAccess
        = named(new QCheckBox(QStringLiteral("Open the web server to read the incoming calls"), page),
            "chkAllowWWWRemoteAccess");
    lblOpenPort = named(new QLabel(QStringLiteral("Port:"), page), "lblOpenPort");
    txtWWWPort = named(new QLineEdit(page), "txtWWWPort");
    txtWWWPort->setFixedWidth(70);
    txtWWWPort->installEventFilter(this);
    chkWWWProtect = named(
        new QCheckBox(QStringLiteral("Protect with a user name and password"), page), "chkWWWProtect");
    lblUserName = named(new QLabel(QStringLiteral("User name:"), page), "lblUserName");
    txtWWWUserName = named(new QLineEdit(page), "txtWWWUserName");
    lblPass = named(new QLabel(QStringLiteral("Password:"), page), "lblPass");
    txtWWWPass = named(new QLineEdit(page), "txtWWWPass");
    txtWWWPass->setEchoMode(QLineEdit::Password);
    lblTip = named(new QLabel(QStringLiteral("Tip: if your internet address changes at every connection, "
                                             "reach this computer through a dynamic DNS name."),
                       page),
        "lblTip");
    lblTip->setWordWrap(true);

    // The port box keeps a fixed gap to its label in either direction.
    auto* port = new QHBoxLayout;
    port->setSpacing(0);
    port->addWidget(lblOpenPort);
    port->addSpacing(kPortGap);
    port->addWidget(txtWWWPort);
    port->addStretch(1);

    auto* grid = new QGridLayout(page);
    grid->addWidget(lblWeb, 0, 0, 1, 2);
    grid->addWidget(chkAllowWWWRemoteAccess, 1, 0, 1, 2);
    grid->addLayout(port, 2, 0, 1, 2);
    grid->addWidget(chkWWWProtect, 3, 0, 1, 2);
    grid->addWidget(lblUserName, 4, 0);
    grid->addWidget(txtWWWUserName, 4, 1);
    grid->addWidget(lblPass, 5, 0);
    grid->addWidget(txtWWWPass, 5, 1);
    grid->addWidget(lblTip, 6, 0, 1, 2);
    grid->setRowStretch(7, 1);
    grid->setColumnStretch(1, 1);
}

void frmAccess::Form_Load()
{
    TabControl1 = named(new TabStrip(this), "TabControl1");
    buildPage();
    auto* pages = new QGridLayout(TabControl1->pageArea());
    pages->setContentsMargins(0, 0, 0, 0);
    pages->addWidget(TabWeb, 0, 0);
    cmdTest = named(new QPushButton(QStringLiteral("Test"), this), "cmdTest");
    cmdOK = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");
    cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel");
    cmdHelp = named(new QPushButton(QStringLiteral("Help"), this), "cmdHelp");
    cmdHelp->setAutoDefault(false);
    cmdOK->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdTest);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdHelp);
    auto* window = new QVBoxLayout(this);
    window->addWidget(TabControl1, 1);
    window->addLayout(buttons);
    resize(440, 330);

    mirrorForRightToLeft();
    const std::pair<QWidget*, int> captions[] = {{this, 106}, {lblWeb, 331}, {chkAllowWWWRemoteAccess, 332},
        {lblOpenPort, 333}, {chkWWWProtect, 334}, {lblUserName, 335}, {lblPass, 336}, {cmdTest, 321},
        {cmdOK, 11}, {cmdCancel, 12}};
    for (const auto& [widget, entry] : captions)
        SetTranslatedCaption(widget, entry);
    m_reg = RegistryRoutines::forProduct(kGroup);

    TabWeb->setVisible(true);
    TabControl1->setImageList(vbalImageList2());
    TabControl1->AddTab(g_sTrans(350), kTabIcon, QStringLiteral("TabInternetAccess"));

    loadValues();
    // Values set from code run these as clicks do.
    connect(
        chkAllowWWWRemoteAccess, &QCheckBox::stateChanged, this, &frmAccess::chkAllowWWWRemoteAccess_Click);
    connect(chkWWWProtect, &QCheckBox::stateChanged, this, &frmAccess::chkWWWProtect_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmAccess::cmdOK_Click);
    connect(cmdTest, &QPushButton::clicked, this, &frmAccess::cmdTest_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmAccess::cmdCancel_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &frmAccess::cmdHelp_Click);
    chkAllowWWWRemoteAccess_Click();
}

void frmAccess::mirrorForRightToLeft()
{
    if (!g_bRTL())
        return;
    setLayoutDirection(Qt::RightToLeft);
    const Qt::Alignment right = Qt::AlignAbsolute | Qt::AlignRight | Qt::AlignVCenter;
    for (QLabel* label : {lblWeb, lblOpenPort, lblUserName, lblPass}) {
        label->setLayoutDirection(Qt::RightToLeft);
        label->setAlignment(right);
    }
    for (QCheckBox* box : {chkAllowWWWRemoteAccess, chkWWWProtect})
        box->setLayoutDirection(Qt::RightToLeft);
    for (QLineEdit* box : {txtWWWPort, txtWWWUserName, txtWWWPass}) {
        box->setLayoutDirection(Qt::RightToLeft);
        box->setAlignment(right);
    }
}

void frmAccess::loadValues()
{
    const auto loadBox = [this](QCheckBox* box) {
        bool number = false;
        const int state = m_reg.getString(box->objectName()).toInt(&number);
        box->setCheckState(number && state == 1 ? Qt::Checked : Qt::Unchecked);
    };
    loadBox(chkAllowWWWRemoteAccess);
    txtWWWPort->setText(m_reg.getString(txtWWWPort->objectName()));
    loadBox(chkWWWProtect);
    txtWWWUserName->setText(m_reg.getString(txtWWWUserName->objectName()));
    txtWWWPass->setText(m_reg.getString(txtWWWPass->objectName()));
}

bool frmAccess::storeValues()
{
    const std::pair<QWidget*, QString> values[] = {
        {chkAllowWWWRemoteAccess,
            ticked(chkAllowWWWRemoteAccess) ? QStringLiteral("1") : QStringLiteral("0")},
        {txtWWWPort, txtWWWPort->text()},
        {chkWWWProtect, ticked(chkWWWProtect) ? QStringLiteral("1") : QStringLiteral("0")},
        {txtWWWUserName, txtWWWUserName->text()},
        {txtWWWPass, txtWWWPass->text()},
    };
    // The group may never have been stored (the values are then missing).
    bool all = !m_reg.CreateKey().isEmpty();
    for (const auto& [control, value] : values) {
        if (!m_reg.setString(control->objectName(), value)) {
            std::fprintf(stderr, "Ringvale: cannot store the remote-access value %s\n",
                qPrintable(control->objectName()));
            all = false;
        }
    }
    return all;
}

void frmAccess::applyDefaultPort()
{
    if (txtWWWPort->text().isEmpty())
        txtWWWPort->setText(QStringLiteral("80"));
}

void frmAccess::chkAllowWWWRemoteAccess_Click()
{
    const bool on = ticked(chkAllowWWWRemoteAccess);
    for (QWidget* control : std::initializer_list<QWidget*>{lblOpenPort, txtWWWPort, chkWWWProtect, cmdTest})
        control->setEnabled(on);
    chkWWWProtect_Click();
}

void frmAccess::chkWWWProtect_Click()
{
    const bool on = ticked(chkAllowWWWRemoteAccess) && ticked(chkWWWProtect);
    for (QWidget* control : std::initializer_list<QWidget*>{lblUserName, txtWWWUserName, lblPass, txtWWWPass})
        control->setEnabled(on);
}

void frmAccess::cmdOK_Click()
{
    applyDefaultPort();
    (void)storeValues();
    HubLink* hub = CurrentHubLink();
    if (hub && hub->udiProc.Channel(ChannelNumber::ProcChannel))
        hub->udiProc.Send(
            (ticked(chkAllowWWWRemoteAccess) ? MessageName::OpenWeb : MessageName::CloseWeb).toString());
    accept();
}

void frmAccess::cmdTest_Click()
{
    // Stored empty, the service would take any free port while the browser
    // went to port 80.
    applyDefaultPort();
    (void)storeValues();
    HubLink* hub = CurrentHubLink();
    if (!hub || !hub->udiProc.Channel(ChannelNumber::ProcChannel))
        return;
    hub->udiProc.Send(MessageName::OpenWeb.toString());
    const QString address = QStringLiteral("http://127.0.0.1:") + txtWWWPort->text();
    if (!CurrentAddressOpener().Open(address))
        std::fprintf(stderr, "Ringvale: cannot open %s\n", qPrintable(address));
}

void frmAccess::cmdCancel_Click()
{
    reject();
}

void frmAccess::cmdHelp_Click()
{
    (void)ShowHelpPage(QStringLiteral("AccessFromInternet"));
}

bool frmAccess::txtWWWPort_KeyPress(QKeyEvent* event)
{
    const QString text = event->text();
    // Keys that type nothing (arrows, Delete) are not keypresses.
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete || text.isEmpty())
        return false;
    if (text.size() == 1 && text.at(0) >= u'0' && text.at(0) <= u'9')
        return false;
    m_cTextBoxXP.setTextBox(txtWWWPort);
    ShowTextBoxBalloon(m_cTextBoxXP, g_sTrans(kBalloonTitle), g_sTrans(kDigitsOnly));
    return true;
}

bool frmAccess::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtWWWPort && event->type() == QEvent::KeyPress)
        return txtWWWPort_KeyPress(static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

#include "desktop/shell/frmProc.h"

#include "common/ChannelMessages.h"
#include "common/Clock.h"
#include "common/RegistryRoutines.h"
#include "common/Waits.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/Translation.h"
#include "desktop/shell/MainWindowFrame.h"
#include "desktop/shell/NTServiceControl.h"
#include "desktop/shell/ShellGlobals.h"
#include "desktop/shell/frmMAPI.h"
#include "desktop/shell/frmSysTray.h"
#include "platform/Backends.h"
#include "platform/ProgramLauncher.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cstdio>

namespace {

constexpr qint64 kStateWaitMs = 30000;
constexpr qint32 kStatePollTenths = 5;
constexpr qint32 kRunning = 4;
constexpr qint32 kStopped = 1;
constexpr qint32 kRestartPauseTenths = 40;
constexpr int kStartingUpText = 18;

// A failure of install or removal that leaves the wrong outcome, said once.
void reportFailure(const QString& what, const QString& why)
{
    const QString text = what + QStringLiteral(": ") + why;
    const QByteArray line = text.simplified().toUtf8();
    std::fprintf(stderr, "%s\n", line.constData());
    std::fflush(stderr);
}

} // namespace

frmProc::frmProc(QWidget* parent)
    : QDialog(parent)
    , chkSystem(new QCheckBox(QStringLiteral("System Account"), this))
    , lblAccount(new QLabel(QStringLiteral("Account:"), this))
    , txtAccount(new QLineEdit(this))
    , lblPassword(new QLabel(QStringLiteral("Password:"), this))
    , txtPassword(new QLineEdit(this))
    , cmdInstall(new QPushButton(QStringLiteral("Install Service"), this))
    , cmdStart(new QPushButton(QStringLiteral("Start Service"), this))
{
    setWindowTitle(QStringLiteral("Service Manager"));
    setObjectName(QStringLiteral("frmProc"));
    chkSystem->setObjectName(QStringLiteral("chkSystem"));
    lblAccount->setObjectName(QStringLiteral("lblAccount"));
    txtAccount->setObjectName(QStringLiteral("txtAccount"));
    lblPassword->setObjectName(QStringLiteral("lblPassword"));
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    cmdInstall->setObjectName(QStringLiteral("cmdInstall"));
    cmdStart->setObjectName(QStringLiteral("cmdStart"));

    chkSystem->setChecked(true);
    txtPassword->setEchoMode(QLineEdit::Password);
    txtPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    // Enter in a text box must not press a button.
    cmdInstall->setAutoDefault(false);
    cmdStart->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(chkSystem, 0, 0, 1, 2);
    grid->addWidget(lblAccount, 1, 0);
    grid->addWidget(txtAccount, 1, 1);
    grid->addWidget(lblPassword, 2, 0);
    grid->addWidget(txtPassword, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdInstall);
    buttons->addWidget(cmdStart);
    grid->addLayout(buttons, 3, 0, 1, 2);
    grid->setColumnMinimumWidth(1, 180);
    setFixedSize(sizeHint());

    connect(chkSystem, &QCheckBox::clicked, this, &frmProc::chkSystem_Click);
    connect(cmdInstall, &QPushButton::clicked, this, &frmProc::cmdInstall_Click);
    connect(cmdStart, &QPushButton::clicked, this, &frmProc::cmdStart_Click);
    tmrCheck.setInterval(1000);
    connect(&tmrCheck, &QTimer::timeout, this, &frmProc::tmrCheck_Timer);
    tmrHello.setInterval(1000);
    connect(&tmrHello, &QTimer::timeout, this, &frmProc::tmrHello_Timer);
    connect(&udiIn, &MessageControl::MessageArrived, this, &frmProc::udiIn_MessageArrived);
    connect(&uDiCallerID, &MessageControl::MessageArrived, this, &frmProc::uDiCallerID_MessageArrived);
    connect(&udiIdle, &MessageControl::MessageArrived, this, &frmProc::udiIdle_MessageArrived);
    launcher = CreateProgramLauncher();
    SetHubLink(this);
}

frmProc::~frmProc() = default;

void frmProc::Form_Load()
{
    g_sAppFolder = ExecutableFolderWithSlash();
    chkSystem_Click();
    sCallStatus = QStringLiteral("NOTHING");
    tmrCheck.start();
    // "-uis" and "-uia" load the hub alone: it links nothing there.
    if (!LoadedMainWindow())
        return;
    if (ServiceIsInstalled() == 0) {
        lServiceState = ServiceGetState();
        if (lServiceState == kRunning) {
            if (!RegistryRoutines::forProduct(QStringLiteral("Properties\\TabGeneral"))
                     .setString(QStringLiteral("ChkRunAsProc"), QStringLiteral("1")))
                reportFailure(QStringLiteral("ChkRunAsProc"), QStringLiteral("cannot be written"));
            g_bServiceMode = true;
        }
    }
    LoadMailForm();
    RunApp();
    if (udiOut.Channel(ChannelNumber::CommandChannel))
        udiOut.Send(MessageName::Hello.toString());
    tmrHello.start();
}

void frmProc::BindAll()
{
    // The results are not looked at: an endpoint that cannot listen shows up
    // as texts that never come.
    udiOut.Channel(ChannelNumber::CommandChannel);
    udiIn.Channel(ChannelNumber::EventChannel);
    uDiTTS.Channel(ChannelNumber::TtsChannel);
    udiProc.Channel(ChannelNumber::ProcChannel);
    uDiCallerID.Channel(ChannelNumber::CallerIdChannel);
    udiIdle.Channel(ChannelNumber::IdleChannel);
    udiMail.Channel(ChannelNumber::MailChannel);
}

void frmProc::RunApp()
{
    MainWindowFrame* window = LoadedMainWindow();
    g_bStartingUp = true;
    if (window)
        window->SysTray().ToolTip(g_sTrans(kStartingUpText));
    if (!g_bServiceMode) {
        BindAll();
        const QString program
            = sServiceProgram.isEmpty() ? g_sAppFolder + QStringLiteral("RingvaleSvc") : sServiceProgram;
        // Every start: a service already running lets the new copy end by itself.
        const LaunchResult result = launcher->Start(program, {QStringLiteral("-gc")}, WindowStyle::Hidden);
        if (!result.started())
            reportFailure(QStringLiteral("cannot start ") + program, result.errorText);
    } else {
        if (window)
            window->SetPanelText(3, g_sTrans(kStartingUpText));
        g_sAppFolder = ExecutableFolderWithSlash();
        chkSystem_Click();
        RefreshServiceButtons();
        BindAll();
        // A reachable service is bound to 308 already.
        if (!udiOut.Channel(ChannelNumber::CommandChannel))
            RestartUnreachableService();
    }
    g_bStartingUp = false;
    if (window) {
        window->SysTray().CloseBalloone();
        window->SysTray().ToolTip(g_sProductTitle);
    }
}

void frmProc::RestartUnreachableService()
{
    lServiceState = ServiceGetState();
    if (lServiceState != kRunning)
        return; // a stopped service stays stopped
    if (ServiceStop() == 0)
        WaitForServiceState(kStopped);
    Pause(kRestartPauseTenths);
    if (ServiceStart() != 0)
        reportFailure(QStringLiteral("RingvaleSvc.service did not start"), ServiceLastError());
    Clock& clock = Clock::instance();
    const qint64 deadline = clock.elapsedMs() + kStateWaitMs;
    while (!udiOut.Channel(ChannelNumber::CommandChannel)) {
        if (clock.elapsedMs() >= deadline) {
            reportFailure(
                QStringLiteral("RingvaleSvc.service"), QStringLiteral("cannot be reached after its restart"));
            return;
        }
        WaitTenths(kStatePollTenths);
    }
}

void frmProc::tmrHello_Timer()
{
    if (lHelloCount < 2) {
        if (udiOut.Channel(ChannelNumber::CommandChannel))
            udiOut.Send(MessageName::Hello.toString());
        ++lHelloCount;
        return;
    }
    tmrHello.stop();
    lHelloCount = 0;
}

void frmProc::UnLoadApp()
{
    // Sent on 307, where the running desktop listens.
    if (udiOut.Channel(ChannelNumber::EventChannel)) {
        udiOut.Send(MessageName::UnLoadMe.toString());
        udiOut.Flush(2000);
    }
}

void frmProc::chkSystem_Click()
{
    const bool system = chkSystem->isChecked();
    txtAccount->setText(system ? QStringLiteral("LocalSystem") : QString());
    for (QWidget* control : {static_cast<QWidget*>(txtAccount), static_cast<QWidget*>(txtPassword),
             static_cast<QWidget*>(lblAccount), static_cast<QWidget*>(lblPassword)})
        control->setEnabled(!system);
}

void frmProc::RefreshServiceButtons()
{
    const QList<QWidget*> accountControls{txtAccount, txtPassword, lblAccount, lblPassword};
    if (ServiceIsInstalled() != 0) {
        bServiceInstalled = false;
        cmdInstall->setText(QStringLiteral("Install Service"));
        cmdInstall->setEnabled(true);
        cmdStart->setEnabled(false);
        chkSystem->setEnabled(true);
        for (QWidget* control : accountControls)
            control->setEnabled(!chkSystem->isChecked());
        return;
    }
    bServiceInstalled = true;
    cmdInstall->setText(QStringLiteral("Uninstall Service"));
    for (QWidget* control : accountControls)
        control->setEnabled(false);
    chkSystem->setEnabled(false);
    lServiceState = ServiceGetState();
    switch (lServiceState) {
    case 1:
        cmdInstall->setEnabled(true);
        cmdStart->setText(QStringLiteral("Start Service"));
        cmdStart->setEnabled(true);
        break;
    case 4:
        cmdInstall->setEnabled(false);
        cmdStart->setText(QStringLiteral("Stop Service"));
        cmdStart->setEnabled(true);
        break;
    default:
        cmdInstall->setEnabled(false);
        cmdStart->setEnabled(false);
        break;
    }
}

void frmProc::cmdInstall_Click()
{
    RefreshServiceButtons();
    if (!cmdInstall->isEnabled())
        return;
    cmdInstall->setEnabled(false);
    if (bServiceInstalled) {
        ServiceUninstall();
    } else {
        QString account = txtAccount->text();
        ServiceInstall(account);
        txtAccount->setText(account);
        txtPassword->clear();
    }
    RefreshServiceButtons();
}

void frmProc::cmdStart_Click()
{
    RefreshServiceButtons();
    if (!cmdStart->isEnabled())
        return;
    cmdStart->setEnabled(false);
    if (lServiceState == 4)
        ServiceStop();
    else if (lServiceState == 1)
        ServiceStart();
    RefreshServiceButtons();
}

void frmProc::tmrCheck_Timer()
{
    RefreshServiceButtons();
}

bool frmProc::WaitForServiceState(qint32 state)
{
    Clock& clock = Clock::instance();
    const qint64 deadline = clock.elapsedMs() + kStateWaitMs;
    for (;;) {
        lServiceState = ServiceGetState();
        if (lServiceState == state)
            return true;
        if (clock.elapsedMs() >= deadline)
            return false;
        WaitTenths(kStatePollTenths);
    }
}

void frmProc::InstallRunServ()
{
    lServiceState = ServiceGetState();
    QString account = txtAccount->text();
    const qint32 installed = ServiceInstall(account);
    txtAccount->setText(account);
    const QString installError = installed != 0 ? ServiceLastError() : QString();
    if (installed == 0) {
        txtPassword->clear();
        WaitForServiceState(1);
    }
    Pause(30);
    const qint32 started = ServiceStart();
    const QString startError = started != 0 ? ServiceLastError() : QString();
    lServiceState = ServiceGetState();
    g_bServiceMode = ServiceIsInstalled() == 0;
    if (!g_bServiceMode) {
        reportFailure(QStringLiteral("RingvaleSvc.service was not installed"),
            installError.isEmpty() ? ServiceLastError() : installError);
        return;
    }
    // Loaded, but a later step failed (enabling it for the next login); a
    // unit that was there already is no failure.
    if (installed != 0 && installed != ServiceControlError::UnitExists)
        reportFailure(QStringLiteral("RingvaleSvc.service was installed, but not wholly"), installError);
    if (started != 0)
        reportFailure(QStringLiteral("RingvaleSvc.service did not start"), startError);
}

void frmProc::UnInstallRunServ()
{
    if (ServiceStop() == 0)
        WaitForServiceState(1);
    const qint32 removed = ServiceUninstall();
    const QString removeError = removed != 0 ? ServiceLastError() : QString();
    if (removed == 0)
        WaitForServiceState(0);
    g_bServiceMode = ServiceIsInstalled() == 0;
    if (g_bServiceMode)
        reportFailure(QStringLiteral("RingvaleSvc.service was not removed"),
            removeError.isEmpty() ? QStringLiteral("it is still loaded") : removeError);
}

void frmProc::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hide();
}

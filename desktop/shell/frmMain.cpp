#include "desktop/shell/frmMain.h"

#include "common/ChannelMessages.h"
#include "common/DataPaths.h"
#include "common/DateTimeText.h"
#include "common/SharedFile.h"
#include "common/SharedUtilities.h"
#include "common/WaveFormats.h"
#include "desktop/calls/CallsList.h"
#include "desktop/contacts/mdlContactList.h"
#include "desktop/foundation/CallRows.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/Translation.h"
#include "desktop/settings/frmEvents.h"
#include "desktop/settings/frmProperties.h"
#include "desktop/shell/MainMenus.h"
#include "desktop/shell/ProcServiceSwitch.h"
#include "desktop/shell/ShellGlobals.h"
#include "desktop/shell/WindowOpener.h"
#include "desktop/shell/frmProc.h"
#include "desktop/shell/frmSysTray.h"
#include "platform/Backends.h"
#include "platform/DeviceLookups.h"
#include "platform/ProgramLauncher.h"
#include "platform/TelephonyControl.h"
#include "platform/WaveControl.h"
#include "platform/grid/vbalGrid.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QThread>
#include <QToolBar>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int kUnloadFlushMs = 2000;
const QString kGeneral = QStringLiteral("Properties\\TabGeneral");
const QString kIncoming = QStringLiteral("Events\\TabInCommingCall");
const QString kAdvanced = QStringLiteral("Events\\Advanced");

// A stored option as the program converts it: missing or empty is False,
// "True"/"False" or a number read as such, anything else keeps the value.
void convertBool(const QString& text, bool& value)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        value = false;
        return;
    }
    if (t.compare(u"True", Qt::CaseInsensitive) == 0 || t.compare(u"False", Qt::CaseInsensitive) == 0) {
        value = t.compare(u"True", Qt::CaseInsensitive) == 0;
        return;
    }
    bool ok = false;
    const double number = t.toDouble(&ok);
    if (ok)
        value = number != 0;
}

// Missing or empty is 0; a number is rounded; anything else keeps the value.
void convertLong(const QString& text, qint32& value)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        value = 0;
        return;
    }
    bool ok = false;
    const double number = t.toDouble(&ok);
    if (ok && std::abs(number) < 2147483647.0)
        value = static_cast<qint32>(std::lrint(number));
}

bool readBool(const QString& subkey, const QString& name, bool& value)
{
    convertBool(RegistryRoutines::forProduct(subkey).getString(name), value);
    return value;
}

} // namespace

frmMain::frmMain()
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowIcon(frmSysTray::DefaultIcon());
    BuildRegions();
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    tmrBlink.setInterval(kBlinkMs);
    tmrStatus.setInterval(kClockMs);
    connect(&tmrBlink, &QTimer::timeout, this, &frmMain::tmrBlink_Timer);
    connect(&tmrStatus, &QTimer::timeout, this, &frmMain::tmrStatus_Timer);
    connect(&m_cMenu, &KeyedPopupMenu::Click, this, &frmMain::m_cMenu_Click);
}

frmMain::~frmMain()
{
    if (!m_bExited) {
        UnloadPropertiesWindow();
        UnloadEventsWindow();
        UnloadContactEditor();
    }
    SetServiceSwitch(nullptr);
    m_serviceSwitch.reset();
    m_callsList.reset();
    // The hub goes first: its link must not outlive the window it reports to.
    m_hub.reset();
    SetMainDevices(nullptr);
}

void frmMain::Load(bool shown)
{
    g_sToday = DateTimeText::currentDate();
    m_reg = RegistryRoutines::forProduct(QString());
    if (!m_reg.setString(QStringLiteral("bRun"), QStringLiteral("1")))
        qWarning("Ringvale: bRun cannot be written in the settings store.");
    setWindowTitle(g_sProductTitle);
    g_bStartingUp = true;
    InitWaveFormats();
    if (g_bRTL())
        lblNoItems->setLayoutDirection(Qt::RightToLeft);
    lblNoItems->setText(g_sTrans(140));
    m_frmSysTray = std::make_unique<frmSysTray>();
    connect(m_frmSysTray.get(), &frmSysTray::SysTrayMouseDown, this, &frmMain::m_frmSysTray_SysTrayMouseDown);
    connect(m_frmSysTray.get(), &frmSysTray::SysTrayMouseUp, this, &frmMain::m_frmSysTray_SysTrayMouseUp);
    connect(m_frmSysTray.get(), &frmSysTray::BalloonClicked, this, &frmMain::m_frmSysTray_BalloonClicked);
    m_frmSysTray->ToolTip(g_sProductTitle);
    SetMainDevices(this);
    g_lSoundDeviceIndex = FindSoundDeviceIndex(Wave1(),
        RegistryRoutines::forProduct(QStringLiteral("Properties\\TabDevices"))
            .getString(QStringLiteral("cmbSoundDev")));
    const RegistryRoutines lineState
        = RegistryRoutines::forProduct(QStringLiteral("Properties\\TabLineStat"));
    g_sTimeOn = lineState.getString(QStringLiteral("txtTimeOn"));
    g_sTimeOff = lineState.getString(QStringLiteral("txtTimeOff"));
    readBool(kGeneral, QStringLiteral("ChkRunAsProc"), g_bServiceMode);
    Tapi1(); // initialised once; what it answers is the devices lists' matter
    BuildMenus(m_cMenu);
    m_cMenu.AttachMenuBar(tbrMenu);
    // A fresh program folder may not have the log folder yet.
    static_cast<void>(SharedFile::makeFolder(DataPaths::native(QStringLiteral("\\Data\\Log\\"))));
    EnsureDatedFolders(QStringLiteral("\\Data\\Log"));
    BuildBars();
    m_callsList = std::make_unique<CallsList>(*this, *vbalGrid1, toolbar2Buttons, m_cMenu,
        [this] { CurrentWindowOpener().ShowModal(QStringLiteral("frmCallDetails"), 0, this); });
    m_callsList->SetCallsHeaders();
    BuildPanels();
    tmrStatus.start();
    tmrStatus_Timer();
    CurrentWindowOpener().Load(QStringLiteral("frmEvents"));
    CurrentWindowOpener().Load(QStringLiteral("frmContact"));
    ReadOptions();
    RestoreSort();
    if (!IsFormLoaded(QStringLiteral("frmProc"))) {
        m_hub = std::make_unique<frmProc>();
        m_hub->Form_Load();
        m_serviceSwitch = std::make_unique<ProcServiceSwitch>(*m_hub);
        SetServiceSwitch(m_serviceSwitch.get());
    }
    CurrentWindowOpener().Load(QStringLiteral("frmProperties"));
    vbalGrid1->move(0, vbalGrid1->y());
    PicCallDetails->resize(width(), PicCallDetails->height());
    cToolbar2_ButtonClick(0);
    RestoreWindowPlacement();
    g_bStartingUp = false;
    m_frmSysTray->ToolTip(g_sProductTitle);
    ApplyPaneColours();
    readBool(kIncoming, QStringLiteral("chkOpenAppOnCall"), g_bOpenAppOnCall);
    if (shown) {
        ShowWindow();
    } else {
        // Loaded into the tray: a call that ends unseen must blink.
        g_bMainHidden = true;
    }
}

void frmMain::ReadOptions()
{
    readBool(kGeneral, QStringLiteral("chkMarkAsReadInPlay"), g_bMarkAsReadInPlay);
    readBool(kGeneral, QStringLiteral("chkDelFromDiaryWhenDelLast"), g_bDelFromDiaryWhenDelLast);
    readBool(kIncoming, QStringLiteral("chkICViewCD"), g_bDisplayIC);
    convertLong(
        RegistryRoutines::forProduct(kIncoming).getString(QStringLiteral("cmbCallDisplayStyleIncomming")),
        sCallDisplay);
    readBool(kIncoming, QStringLiteral("chkWhenCallerID"), g_bWhenCallerID);
    convertLong(
        RegistryRoutines::forProduct(kAdvanced).getString(QStringLiteral("sldAnimateVal")), g_lAnimateFaster);
    readBool(kAdvanced, QStringLiteral("chkAnimate"), g_bAnimate);
    readBool(kAdvanced, QStringLiteral("chkClosePersonalAfrter"), g_bClosePersonal);
    convertLong(RegistryRoutines::forProduct(kAdvanced).getString(QStringLiteral("txtCLosePersonalAfter")),
        g_lClosePersonalAfter);
}

TelephonyControl& frmMain::Tapi1()
{
    if (!m_tapi) {
        m_tapi = CreateTelephonyControl(this);
        (void)m_tapi->Initialize();
    }
    return *m_tapi;
}

WaveControl& frmMain::Wave1()
{
    if (!m_wave) {
        m_wave = CreateWaveControl(this);
        m_wave->InitDevices();
    }
    return *m_wave;
}

void frmMain::ShowWindow()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void frmMain::HideWindow()
{
    hide();
}

void frmMain::ShowMinimized()
{
    showMinimized();
}

void frmMain::ExitApp()
{
    m_bExitRequested = true;
    Form_Unload();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (m_bExitRequested) {
        event->accept();
        return;
    }
    event->ignore();
    if (m_frmSysTray && !m_frmSysTray->isSystemTrayAvailable()) {
        // Without a tray, a hidden window could never come back.
        showMinimized();
        return;
    }
    hide();
    g_bMainHidden = true;
}

void frmMain::Form_Unload()
{
    if (m_bExited)
        return;
    m_bExited = true;
    g_bExiting = true;
    // A systemd service ends only through systemd.
    if (m_hub && !g_bServiceMode && m_hub->udiProc.Channel(ChannelNumber::ProcChannel)) {
        m_hub->udiProc.Send(MessageName::Unload.toString());
        m_hub->udiProc.Flush(kUnloadFlushMs);
    }
    const auto write = [this](const QString& name, const QString& value) {
        if (!m_reg.setString(name, value))
            qWarning("Ringvale: %s cannot be written in the settings store.", qPrintable(name));
    };
    write(QStringLiteral("lCol"), QString::number(lCol));
    write(QStringLiteral("g_sColOrder"), g_sColOrder);
    const qint32 state = isMinimized() ? 1 : isMaximized() ? 2 : 0;
    if (state == 0) {
        write(QStringLiteral("lLeft"), QString::number(TwipsFromPixels(x())));
        write(QStringLiteral("lTop"), QString::number(TwipsFromPixels(y())));
        write(QStringLiteral("lWidth"), QString::number(TwipsFromPixels(width())));
        write(QStringLiteral("lHeight"), QString::number(TwipsFromPixels(height())));
    }
    write(QStringLiteral("lState"), QString::number(state));
    tmrBlink.stop();
    tmrStatus.stop();
    if (m_frmSysTray)
        m_frmSysTray->icon().hide();
    m_frmSysTray.reset();
    if (m_hub) {
        m_hub->tmrHello.stop();
        m_hub->tmrCheck.stop();
        m_hub->UnloadMailForm();
    }
    UnloadPropertiesWindow();
    UnloadEventsWindow();
    UnloadContactEditor();
    write(QStringLiteral("bRun"), QStringLiteral("0"));
    hide();
    // Ends the running event loops; outside any (a test's direct call) there
    // is nothing to end, and Qt would refuse every later loop.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

QString frmMain::PanelText(qint32 n) const
{
    return n >= 1 && n <= m_panels.size() ? m_panels.at(n - 1)->text() : QString();
}

void frmMain::SetPanelText(qint32 n, const QString& text)
{
    if (n >= 1 && n <= m_panels.size())
        m_panels.at(n - 1)->setText(text);
}

void frmMain::SetNoItemsVisible(bool visible)
{
    picNoItems->setVisible(visible);
    if (visible)
        picNoItems->raise();
}

qint32 frmMain::ProgressMinimum() const
{
    return vbalProgressBar1->minimum();
}

void frmMain::SetProgressMinimum(qint32 value)
{
    vbalProgressBar1->setMinimum(value);
}

qint32 frmMain::ProgressMaximum() const
{
    return vbalProgressBar1->maximum();
}

void frmMain::SetProgressMaximum(qint32 value)
{
    vbalProgressBar1->setMaximum(value);
}

qint32 frmMain::ProgressValue() const
{
    return vbalProgressBar1->value();
}

void frmMain::SetProgressValue(qint32 value)
{
    vbalProgressBar1->setValue(value);
}

void frmMain::SetProgressVisible(bool visible)
{
    vbalProgressBar1->setVisible(visible);
}

void frmMain::MakeEditMenuEna(bool bEna)
{
    ::MakeEditMenuEna(m_cMenu, bEna);
}

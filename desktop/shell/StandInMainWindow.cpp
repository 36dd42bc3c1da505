#include "desktop/shell/StandInMainWindow.h"

#include "common/ChannelMessages.h"
#include "common/RegistryRoutines.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/shell/MainMenus.h"
#include "desktop/shell/ShellGlobals.h"
#include "desktop/settings/ServiceSwitch.h"
#include "desktop/settings/frmProperties.h"
#include "desktop/shell/ProcServiceSwitch.h"
#include "platform/ProgramLauncher.h"
#include "desktop/shell/frmProc.h"
#include "desktop/shell/frmSysTray.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>

namespace {

constexpr int kPanelCount = 3;
constexpr int kUnloadFlushMs = 2000;

} // namespace

StandInMainWindow::StandInMainWindow()
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(g_sProductTitle);
    setWindowIcon(frmSysTray::DefaultIcon());
    resize(640, 420);
    auto* place = new QLabel(QStringLiteral("Ringvale"), this);
    place->setAlignment(Qt::AlignCenter);
    place->setEnabled(false);
    setCentralWidget(place);
    for (int n = 1; n <= kPanelCount; ++n) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QStringLiteral("panel%1").arg(n));
        statusBar()->addWidget(panel, n == kPanelCount ? 1 : 0);
        m_panels << panel;
    }
    m_progress = new QProgressBar(this);
    m_progress->setVisible(false);
    statusBar()->addPermanentWidget(m_progress);
}

StandInMainWindow::~StandInMainWindow()
{
    UnloadPropertiesWindow();
    SetServiceSwitch(nullptr);
    m_serviceSwitch.reset();
    // The hub goes first: its link must not outlive the window it reports to.
    m_hub.reset();
}

void StandInMainWindow::Load(bool shown)
{
    g_bServiceMode = RegistryRoutines::forProduct(QStringLiteral("Properties\\TabGeneral"))
                         .getString(QStringLiteral("ChkRunAsProc"))
        == u"1";
    BuildMenus(m_cMenu);
    m_cMenu.AttachMenuBar(menuBar());
    connect(&m_cMenu, &KeyedPopupMenu::Click, this, &StandInMainWindow::m_cMenu_Click);
    m_frmSysTray = std::make_unique<frmSysTray>();
    connect(m_frmSysTray.get(), &frmSysTray::SysTrayMouseUp, this, [this](qint32 button) {
        if (button == 2)
            m_cMenu.ShowTrayPopupMenu(m_cMenu.IndexForKey(QStringLiteral("mnuSysTry")));
    });
    connect(m_frmSysTray.get(), &frmSysTray::SysTrayDoubleClick, this, &StandInMainWindow::ShowWindow);
    if (shown)
        ShowWindow();
    m_hub = std::make_unique<frmProc>();
    m_hub->Form_Load();
    m_serviceSwitch = std::make_unique<ProcServiceSwitch>(*m_hub);
    SetServiceSwitch(m_serviceSwitch.get());
}

void StandInMainWindow::m_cMenu_Click(qint32 itemNumber)
{
    const QString key = m_cMenu.ItemKey(itemNumber);
    if (key == u"Exit" || key == u"stExit")
        ExitApp();
    else if (key == u"stShow")
        ShowWindow();
    else if (key == u"Hide")
        HideWindow();
    else if (key == u"Properties")
        LoadPropertiesWindow().show();
}

void StandInMainWindow::ShowWindow()
{
    show();
    raise();
}

void StandInMainWindow::HideWindow()
{
    hide();
}

void StandInMainWindow::ShowMinimized()
{
    showMinimized();
}

void StandInMainWindow::ExitApp()
{
    if (m_exiting)
        return;
    m_exiting = true;
    g_bExiting = true;
    // A systemd service ends only through systemd.
    if (m_hub && !g_bServiceMode && m_hub->udiProc.Channel(ChannelNumber::ProcChannel)) {
        m_hub->udiProc.Send(MessageName::Unload.toString());
        m_hub->udiProc.Flush(kUnloadFlushMs);
    }
    if (m_hub) {
        m_hub->tmrHello.stop();
        m_hub->tmrCheck.stop();
    }
    hide();
    if (m_frmSysTray)
        m_frmSysTray->icon().hide();
    QCoreApplication::exit(0);
}

void StandInMainWindow::closeEvent(QCloseEvent* event)
{
    ExitApp();
    event->accept();
}

void StandInMainWindow::SetPanelText(qint32 n, const QString& text)
{
    if (n >= 1 && n <= m_panels.size())
        m_panels.at(n - 1)->setText(text);
}

qint32 StandInMainWindow::ProgressMinimum() const
{
    return m_progress->minimum();
}

void StandInMainWindow::SetProgressMinimum(qint32 value)
{
    m_progress->setMinimum(value);
}

qint32 StandInMainWindow::ProgressMaximum() const
{
    return m_progress->maximum();
}

void StandInMainWindow::SetProgressMaximum(qint32 value)
{
    m_progress->setMaximum(value);
}

qint32 StandInMainWindow::ProgressValue() const
{
    return m_progress->value();
}

void StandInMainWindow::SetProgressValue(qint32 value)
{
    m_progress->setValue(value);
}

void StandInMainWindow::SetProgressVisible(bool visible)
{
    m_progress->setVisible(visible);
}

void StandInMainWindow::MakeEditMenuEna(bool bEna)
{
    ::MakeEditMenuEna(m_cMenu, bEna);
}

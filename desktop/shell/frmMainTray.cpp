// The main window's tray reactions, the tray blink, the clock in the status
// bar and the details pane's menu.
#include "desktop/shell/frmMain.h"

#include "common/Clock.h"
#include "common/DateTimeText.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/HubLink.h"
#include "desktop/foundation/StoredColour.h"
#include "desktop/foundation/Translation.h"
#include "desktop/foundation/mdlCommDialog.h"
#include "desktop/settings/frmEvents.h"
#include "desktop/shell/ShellGlobals.h"
#include "desktop/shell/frmSysTray.h"

#include <QAction>
#include <QCursor>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>

void frmMain::DisplayBallonCallSetails(const QString& sTitle, const QString& sMsg)
{
    if (m_frmSysTray)
        m_frmSysTray->ShowBalloonTip(sMsg, sTitle, TrayIcon::Information, kBalloonMs);
}

void frmMain::RestoreTrayIcon()
{
    tmrBlink.stop();
    m_bTrayIconHidden = false;
    if (m_frmSysTray)
        m_frmSysTray->IconHandle(frmSysTray::DefaultIcon());
    g_bMainHidden = false;
}

void frmMain::m_frmSysTray_SysTrayMouseDown(qint32 button)
{
    if (button == 2) {
        raise();
        m_cMenu.ShowPopupMenu(m_cMenu.IndexForKey(QStringLiteral("stShow")), QCursor::pos());
    } else if (button == 1) {
        if (g_bStartingUp)
            DisplayBallonCallSetails(g_sProductTitle, g_sTrans(18));
        else
            ShowWindow();
    }
}

void frmMain::m_frmSysTray_SysTrayMouseUp(qint32)
{
    RestoreTrayIcon();
}

void frmMain::m_frmSysTray_BalloonClicked()
{
    const HubLink* link = CurrentHubLink();
    if (!link || link->sCallStatus == u"NOTHING")
        ShowWindow();
}

void frmMain::tmrBlink_Timer()
{
    if (!m_frmSysTray)
        return;
    if (m_bTrayIconHidden) {
        m_frmSysTray->IconHandle(frmSysTray::DefaultIcon());
        m_bTrayIconHidden = false;
    } else {
        m_frmSysTray->IconHandle(QIcon());
        m_bTrayIconHidden = true;
    }
}

void frmMain::tmrStatus_Timer()
{
    const QDateTime now = Clock::instance().now();
    SetPanelText(1,
        DateTimeText::formatDate(now.date()) + QStringLiteral(" - ")
            + DateTimeText::formatMediumTime(now.time()));
    const QString today = DateTimeText::formatDate(now.date());
    if (today != g_sToday) {
        g_sToday = today;
        if (toolbar2Buttons.size() > 1)
            toolbar2Buttons.at(1)->setData(TodayKey());
    }
}

void frmMain::PicCallDetails_MouseDown(const QPoint& globalPosition)
{
    m_cMenu.ShowPopupMenu(m_cMenu.IndexForKey(QStringLiteral("rcViewBG")), globalPosition);
}

void frmMain::PickPaneColour(bool background)
{
    const ColorChoice choice = ShowColorDialog(this, 0);
    if (choice.Cancelled || choice.Color < 0)
        return;
    const QColor colour = ColorFromColorRef(choice.Color);
    if (background)
        SetPaneColours(colour, PaneTextColour());
    else
        SetPaneColours(PaneBackColour(), colour);
    const QString name = background ? QStringLiteral("picBG") : QStringLiteral("picFont");
    if (!WriteStoredColour(RegistryRoutines::forProduct(QStringLiteral("Events\\Advanced")), name, colour))
        qWarning("Ringvale: the details pane's colour cannot be written in the settings store.");
    // The events window shows the stored colours in its boxes.
    if (frmEvents* events = LoadedEventsWindow())
        events->SetBoxColour(background ? events->picBG : events->picFont, colour);
}

void frmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    RestoreTrayIcon();
}

void frmMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Seen again (un-minimised or brought forward): the blink has done its work.
    if ((event->type() == QEvent::WindowStateChange && !isMinimized() && isVisible())
        || (event->type() == QEvent::ActivationChange && isActiveWindow()))
        RestoreTrayIcon();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == picHolder && event->type() == QEvent::LayoutRequest)
        Form_Resize();
    if (watched == PicCallDetails && event->type() == QEvent::MouseButtonPress)
        PicCallDetails_MouseDown(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
    return QMainWindow::eventFilter(watched, event);
}

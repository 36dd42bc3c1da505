// The main toolbar's buttons.
#include "desktop/shell/frmMain.h"

#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/mdlModemState.h"
#include "desktop/shell/WindowOpener.h"

void frmMain::cToolbar1_ButtonClick(qint32 lButton)
{
    WindowOpener& opener = CurrentWindowOpener();
    switch (lButton) {
    case 0:
        if (g_bAutoMode)
            opener.ShowModal(QStringLiteral("frmProperties"), 3, this);
        else
            SendModemState(g_bLineOff ? 0 : 1, QString(), QString());
        break;
    case 1:
        opener.ShowModal(QStringLiteral("frmEvents"), 1, this);
        break;
    case 2:
        opener.ShowModal(QStringLiteral("frmForward"), 0, this);
        break;
    case 3:
        opener.ShowModal(QStringLiteral("frmAccess"), 0, this);
        break;
    case 4:
        opener.ShowModal(QStringLiteral("frmContactList"), 0, this);
        break;
    case 5:
        opener.ShowModal(QStringLiteral("frmSearch"), 0, this);
        break;
    case 6:
        opener.ShowModal(QStringLiteral("frmProperties"), 1, this);
        break;
    case 7:
        setCursor(Qt::WaitCursor);
        opener.ShowModal(QStringLiteral("frmLog"), 0, this);
        cToolbar1_PointerReset();
        break;
    default:
        break;
    }
}

void frmMain::cToolbar1_PointerReset()
{
    unsetCursor();
}

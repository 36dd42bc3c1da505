#include "desktop/shell/ShellGlobals.h"

#include <QCoreApplication>

bool g_bServiceMode = false;
QString g_sAppFolder;
bool g_bStartingUp = false;

QString g_sToday;
bool g_bMainHidden = false;

bool g_bInCallActionsDone = false;
bool g_bEndActionsDone = false;
bool g_bIdleHandled = false;
qint32 g_lLineStatusCount = 0;

QString ExecutableFolderWithSlash()
{
    QString folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

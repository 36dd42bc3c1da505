#include "desktop/shell/ShellGlobals.h"

#include <QCoreApplication>

bool g_bServiceMode = false;
QString g_sAppFolder;
bool g_bStartingUp = false;

QString g_sToday;
bool g_bMainHidden = false;

QString ExecutableFolderWithSlash()
{
    QString folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

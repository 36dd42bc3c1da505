#include "desktop/shell/ShellGlobals.h"

#include <QCoreApplication>

bool g_bServiceMode = false;
QString g_sAppFolder;
bool g_bStartingUp = false;

QString g_sToday;
bool g_bMainHidden = false;

bool g_bDisplayIC = false;
qint32 sCallDisplay = 0;
bool g_bWhenCallerID = false;
bool g_bOpenAppOnCall = false;
bool g_bAnimate = false;
qint32 g_lAnimateFaster = 0;
bool g_bClosePersonal = false;
qint32 g_lClosePersonalAfter = 0;

QString ExecutableFolderWithSlash()
{
    QString folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

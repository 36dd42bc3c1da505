#include "desktop/foundation/DesktopGlobals.h"

bool g_bExiting = false;
int g_lSoundDeviceIndex = 0;
QString g_sProductTitle = QStringLiteral("Ringvale 1.1");
QString g_sVersion = QStringLiteral("1.1.0.2");
QString g_sInstallationId;
bool g_bLineOff = false;
bool g_bAutoMode = false;
QString g_sTimeOn;
QString g_sTimeOff;
bool g_bMarkAsReadInPlay = false;
bool g_bDelFromDiaryWhenDelLast = false;
bool g_bSearchRunning = false;
bool g_bDisplayIC = false;
qint32 sCallDisplay = 0;
bool g_bWhenCallerID = false;
bool g_bOpenAppOnCall = false;
bool g_bAnimate = false;
qint32 g_lAnimateFaster = 0;
bool g_bClosePersonal = false;
qint32 g_lClosePersonalAfter = 0;
qint32 lCol = 0;
QString g_sColOrder;
bool g_bCallOutPending = false;
bool g_bCallOutRecPending = false;
qint32 g_lCallSeconds = 0;

#include "desktop/foundation/DesktopGlobals.h"

bool g_bExiting = false;
int g_lSoundDeviceIndex = 0;
QString g_sProductTitle = QStringLiteral("Ringvale 1.1");
QString g_sVersion = QStringLiteral("1.1.0.2");
bool g_bLineOff = false;
bool g_bAutoMode = false;
QString g_sTimeOn;
QString g_sTimeOff;
bool g_bMarkAsReadInPlay = false;
bool g_bDelFromDiaryWhenDelLast = false;
bool g_bSearchRunning = false;
qint32 lCol = 0;
QString g_sColOrder;

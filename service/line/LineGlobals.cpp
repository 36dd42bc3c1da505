#include "service/line/LineGlobals.h"

qint16 g_nLineState = 1;
bool g_bAutoMode = false;
QString g_sTimeOn;
QString g_sTimeOff;
bool g_bCallerIdFromTapi = false;
QString g_lCommPort;
QString g_sATCommands;
qint32 g_lSoundDeviceIndex = 0;

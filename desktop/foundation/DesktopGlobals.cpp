#include "desktop/foundation/DesktopGlobals.h"

bool g_bExiting = false;
int g_lSoundDeviceIndex = 0;
bool g_bLineOff = false;
bool g_bAutoMode = false;
QString g_sTimeOn;
QString g_sTimeOff;
bool g_bDelFromDiaryWhenDelLast = false;

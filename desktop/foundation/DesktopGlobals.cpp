#include "desktop/foundation/DesktopGlobals.h"

bool g_bExiting = false;
int g_lSoundDeviceIndex = 0;
bool g_bMarkAsReadInPlay = false;
bool g_bDelFromDiaryWhenDelLast = false;

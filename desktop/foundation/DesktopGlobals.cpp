#include "desktop/foundation/DesktopGlobals.h"

bool g_bExiting = false;
int g_lSoundDeviceIndex = 0;

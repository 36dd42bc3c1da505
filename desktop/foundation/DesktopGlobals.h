#pragma once

#include <QString>

// Program-wide values of the desktop that windows of every folder read.

// False until the program really ends; windows that hide instead of closing
// close for good once it is set.
extern bool g_bExiting;

// The sound card's output device that the desktop plays its sounds on.
extern int g_lSoundDeviceIndex;

// The product's title ("Ringvale 1.1": the main window's caption, the start-up
// balloons' title) and version text, set first by the start-up.
extern QString g_sProductTitle;
extern QString g_sVersion;

#pragma once

// Program-wide values of the desktop that windows of every folder read.

// False until the program really ends; windows that hide instead of closing
// close for good once it is set.
extern bool g_bExiting;

// The sound card's output device that the desktop plays its sounds on.
extern int g_lSoundDeviceIndex;

// A click on an unread call without a recording marks it read.
extern bool g_bMarkAsReadInPlay;

// Deleting from the recent-calls list deletes the calls from their day files
// too, not only their lines of the list.
extern bool g_bDelFromDiaryWhenDelLast;

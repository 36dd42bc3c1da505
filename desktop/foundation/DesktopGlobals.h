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
// This installation's identifier, sent with the update check and named in
// support mail; empty until something sets it.
extern QString g_sInstallationId;

// The line state the service last reported in "LineStatus": the line closed,
// and the daily window in force.
extern bool g_bLineOff;
extern bool g_bAutoMode;

// The daily window's switch-on and switch-off times sent with "AUTO".
extern QString g_sTimeOn;
extern QString g_sTimeOff;

// A click on an unread call without a recording marks it read.
extern bool g_bMarkAsReadInPlay;

// Deleting from the recent-calls list deletes the calls from their day files
// too, not only their lines of the list.
extern bool g_bDelFromDiaryWhenDelLast;

// The main call list's sort, saved at exit and replayed at load.
extern qint32 lCol; // the column last sorted, as clicked
extern QString g_sColOrder; // "DESC" after a descending sort, else empty

// True while a call search may go on; the search window's Stop clears it.
extern bool g_bSearchRunning;

// Options of the call handling and the pop-up, read at the main window's
// load and set again by the events window's OK.
extern bool g_bDisplayIC;
extern qint32 sCallDisplay; // 0 pop-up window, anything else a tray balloon
extern bool g_bWhenCallerID;
extern bool g_bOpenAppOnCall;
extern bool g_bAnimate;
extern qint32 g_lAnimateFaster;
extern bool g_bClosePersonal;
extern qint32 g_lClosePersonalAfter;

// The last dial from the dialer: a plain call, a recorded call. Set by its
// buttons and left set at the call's end, so they describe the last dial.
extern bool g_bCallOutPending;
extern bool g_bCallOutRecPending;
// Seconds of the recorded call the dialer counts.
extern qint32 g_lCallSeconds;

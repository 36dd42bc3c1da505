#pragma once

#include "desktop/foundation/DesktopGlobals.h"

#include <QString>

// Globals of the desktop shell that several of its forms share.

// The service program runs under the service manager (a systemd user unit)
// rather than as a plain process that the desktop starts.
extern bool g_bServiceMode;

// The folder of the running Ringvale, with one trailing "/": the service
// program beside it is the one the desktop starts or installs.
extern QString g_sAppFolder;

// The folder of the running executable with one trailing "/".
QString ExecutableFolderWithSlash();

// True while the hub links to the service at start-up: a left click on the
// tray then tells the user to wait.
extern bool g_bStartingUp;

// The main window's day and hidden state, kept across its load, its clock
// and its exit (the call list's sort is the foundation's).
extern QString g_sToday; // "MM/dd/yyyy" of the day the window calls today
extern bool g_bMainHidden; // a close request hid the window

// Once-per-call guards of the hub's line-event handlers, each set before its
// work and cleared by the events that start the next call: the incoming-call
// actions, the end-of-call actions and the end of a call (which the service
// reports on two channels).
extern bool g_bInCallActionsDone;
extern bool g_bEndActionsDone;
extern bool g_bIdleHandled;

// How many line states the service has reported since the program started;
// until the first, the window shows the line as it was at its load.
extern qint32 g_lLineStatusCount;

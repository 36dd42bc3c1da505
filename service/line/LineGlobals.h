#pragma once

#include <QString>

// The line engine's globals, shared by the main form (which fills them at
// start) and the line engine (which keeps them up to date).

// 0 line open, 1 line closed, 2 auto mode (only between start-up and the
// first open).
extern qint16 g_nLineState;
// Auto mode is on: the line follows the window g_sTimeOn..g_sTimeOff.
extern bool g_bAutoMode;
// The window's ends, times of day "HH:mm:ss".
extern QString g_sTimeOn;
extern QString g_sTimeOff;
// Caller ID comes from the line device's events (Tapi "1"); else from the
// modem's own dialogue on its serial port.
extern bool g_bCallerIdFromTapi;
// The modem's serial port (a device path); empty until the first open in
// modem mode finds it, then kept for the life of the process.
extern QString g_lCommPort;
// cmbATCommands, handed to the modem's dialogue.
extern QString g_sATCommands;
// The sound-card device for the beep, alerts and speech.
extern qint32 g_lSoundDeviceIndex;

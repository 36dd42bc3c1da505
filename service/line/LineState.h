#pragma once

#include <QString>

// What the main form and the line engine both keep of the line: the main form
// fills it at start-up, the engine keeps it up to date. The main form owns it
// and hands it to the engine.
struct LineState {
    // 0 line open, 1 line closed, 2 auto mode (only between start-up and the
    // first open).
    qint16 nLineState = 1;
    // Auto mode is on: the line follows the window sTimeOn..sTimeOff.
    bool bAutoMode = false;
    // The window's ends, times of day "HH:mm:ss".
    QString sTimeOn;
    QString sTimeOff;
    // Caller ID comes from the line device's events (Tapi "1"); else from the
    // modem's own dialogue on its serial port.
    bool bCallerIdFromTapi = false;
    // The modem's serial port (a device path); empty until the first open in
    // modem mode finds it, then kept for the life of the process.
    QString lCommPort;
    // cmbATCommands, handed to the modem's dialogue.
    QString sATCommands;
    // The sound-card device for the beep, alerts and speech.
    qint32 lSoundDeviceIndex = 0;
};

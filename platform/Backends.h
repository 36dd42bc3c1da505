#pragma once

#include <memory>

class ProgramLauncher;
class QObject;
class SerialPort;
class SmtpMailControl;
class TelephonyControl;
class WaveControl;

// The one place that picks the back-end of each device layer; the rest of
// the programs see only the interfaces.
//
// Line devices: the simulated lines (SimulatedLines names their settings).
// Wave audio: a folder sink when RINGVALE_AUDIO_SINK names a folder, else
// the sound card through ALSA.
// Mail: SMTP through libcurl. Programs: started detached, without a shell.
TelephonyControl* CreateTelephonyControl(QObject* parent);
WaveControl* CreateWaveControl(QObject* parent);
SmtpMailControl* CreateSmtpMailControl(QObject* parent);
std::unique_ptr<ProgramLauncher> CreateProgramLauncher();
// Serial port: a device path through Qt SerialPort.
SerialPort* CreateSerialPort(QObject* parent);

#pragma once

#include <QString>

class TelephonyControl;
class WaveControl;

// Device lookups by name over the wave and line layers, as both programs use
// them for the stored device names.

// The last output device with exactly this name; 0 (the first device) when
// none has it.
qint32 FindSoundDeviceIndex(const WaveControl& wave, const QString& name);
// The output device's name; empty when it cannot be read.
QString GetSoundDeviceName(const WaveControl& wave, qint32 index);
// The first line with exactly this name, -1 when none. It leaves the
// control's CurrentLine on the line found (on the last line tried when none
// matched): callers read that line's capabilities next.
qint32 FindModemLineIndex(TelephonyControl& tapi, const QString& name);

#pragma once

class QObject;
class TelephonyControl;
class WaveControl;

// The one place that picks the back-end of each device layer; the rest of
// the programs see only the interfaces.
//
// Line devices: the simulated lines (SimulatedLines names their settings).
// Wave audio: a folder sink when RINGVALE_AUDIO_SINK names a folder, else
// the sound card through ALSA.
TelephonyControl* CreateTelephonyControl(QObject* parent);
WaveControl* CreateWaveControl(QObject* parent);

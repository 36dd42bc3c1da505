#pragma once

class TelephonyControl;
class WaveControl;

// The main window's line and wave controls (frmMain.Tapi1, frmMain.Wave1),
// which the settings windows list devices from. The main window installs
// itself; until it is there, and for a window opened alone, a stand-in with
// controls of its own (made and initialised at the first use) takes it.
class MainDevices {
public:
    virtual ~MainDevices() = default;
    virtual TelephonyControl& Tapi1() = 0;
    virtual WaveControl& Wave1() = 0;
};

MainDevices& CurrentMainDevices();
// Installs devices (not owned); null gives the stand-in back.
void SetMainDevices(MainDevices* devices);

#pragma once

#include "desktop/foundation/MainWindowSurfaces.h"

#include <functional>
#include <memory>

class frmSysTray;

// What the start-up and the hub reach of the main window (frmMain): whether
// it is loaded, shown or hidden, its status bar, its tray icon and its exit.
class MainWindowFrame : public MainWindowSurfaces {
public:
    // Loading: the window reads the service mode, builds its menus and tray,
    // then loads the hub, which links to the service. shown: made visible;
    // else it lives in the tray.
    virtual void Load(bool shown) = 0;
    virtual void ShowWindow() = 0;
    virtual void HideWindow() = 0;
    // Shown, but as an icon on the task bar (where there is no tray).
    virtual void ShowMinimized() = 0;
    virtual bool IsWindowVisible() const = 0;
    virtual frmSysTray& SysTray() = 0;
    // The program's exit: "UNLOAD" to the service unless it runs as a
    // systemd service, every window unloaded, the event loop ended.
    virtual void ExitApp() = 0;
};

// The loaded main window; null before its load and after its exit.
MainWindowFrame* LoadedMainWindow();
// Makes the main window (the program's, unless a test installed a maker),
// installs it as loaded and loads it.
MainWindowFrame& LoadMainWindow(bool shown);
// Unloads it; after this nothing is loaded.
void UnloadMainWindow();
// Tests: the maker of the main window; empty gives the program's back.
void SetMainWindowFactory(std::function<std::unique_ptr<MainWindowFrame>()> factory);

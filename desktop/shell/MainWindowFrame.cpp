#include "desktop/shell/MainWindowFrame.h"

#include "desktop/shell/frmMain.h"

namespace {

std::unique_ptr<MainWindowFrame>& loadedWindow()
{
    static std::unique_ptr<MainWindowFrame> window;
    return window;
}

std::function<std::unique_ptr<MainWindowFrame>()>& installedFactory()
{
    static std::function<std::unique_ptr<MainWindowFrame>()> factory;
    return factory;
}

} // namespace

MainWindowFrame* LoadedMainWindow()
{
    return loadedWindow().get();
}

MainWindowFrame& LoadMainWindow(bool shown)
{
    UnloadMainWindow();
    // The one place the main window is made.
    loadedWindow() = installedFactory() ? installedFactory()() : std::make_unique<frmMain>();
    MainWindowFrame& window = *loadedWindow();
    SetMainWindow(&window);
    window.Load(shown);
    return window;
}

void UnloadMainWindow()
{
    if (!loadedWindow())
        return;
    SetMainWindow(nullptr);
    // Taken out first: what the window's unload runs must see it gone.
    std::unique_ptr<MainWindowFrame> window = std::move(loadedWindow());
    window.reset();
}

void SetMainWindowFactory(std::function<std::unique_ptr<MainWindowFrame>()> factory)
{
    installedFactory() = std::move(factory);
}

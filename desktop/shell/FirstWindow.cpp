#include "desktop/shell/FirstWindow.h"

#include "desktop/shell/ControlGallery.h"

std::unique_ptr<QWidget> CreateFirstWindow()
{
    // The control gallery holds the place until the main window exists.
    return std::make_unique<ControlGallery>();
}

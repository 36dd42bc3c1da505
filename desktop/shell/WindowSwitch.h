#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// "--window NAME [--page KEY]": one window of the desktop alone (or
// "ControlGallery", the desktop's own controls), over the program folder and
// settings in use, without the main window and without starting or greeting
// the service.
namespace WindowSwitch {

// The names load() knows, in alphabetical order.
QStringList names();
// Loads the named window as its usual opener does and brings the page
// forward (a tab key); null for a name no window bears.
QWidget* load(const QString& name, const QString& page);
// Shows the loaded window modally, as the program would; returns when it
// closes.
void run(const QString& name);
// Releases the window for good.
void unload(const QString& name);

} // namespace WindowSwitch

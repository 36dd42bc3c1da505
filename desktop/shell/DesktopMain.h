#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The desktop program's start, after its application object: mdlMain's start
// and the event loop while the main window is loaded. "--window NAME
// [--page KEY]" shows that one window instead (WindowSwitch). "--screenshot
// FILE" writes the window (the control gallery when none is named) as PNG and
// ends: 0, or 1 with a message when the file cannot be written. 2 for a bad
// command line.
int DesktopMain(const QStringList& arguments);

// Before the application object: a screenshot is drawn offscreen unless
// QT_QPA_PLATFORM names a platform, so it needs no display and shows nothing.
void PrepareDesktopPlatform(int argc, char* argv[]);

// Writes the window, as drawn now, to path as PNG. False, with the reason in
// error, when it cannot.
bool SaveWindowScreenshot(QWidget* window, const QString& path, QString* error);

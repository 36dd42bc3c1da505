#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The desktop program's start, after its application object. Its own options
// are taken off the arguments first; what is left is compared with the
// switches (mdlMain):
// - "--screenshot FILE": after a normal start (the main window loaded and its
//   list filled) the main window is written as PNG and the program exits as
//   its Exit does, ending the service it started (one that ran before is
//   left running, and nothing stored): 0, or 1 with a message when the file
//   cannot be written or the window did not load.
// - "--window NAME [--page KEY]": that one window alone (WindowSwitch), with
//   "--screenshot FILE" written instead of shown.
// 2 for a bad command line.
int DesktopMain(const QStringList& arguments);

// "--help" among the arguments: the usage on standard output. Asked before
// the application object, so it needs no display and starts nothing.
bool AsksForHelp(int argc, char* argv[]);
void PrintDesktopHelp();

// Before the application object: a screenshot is drawn offscreen unless
// QT_QPA_PLATFORM names a platform, so it needs no display and shows nothing.
void PrepareDesktopPlatform(int argc, char* argv[]);

// Writes the window, as drawn now, to path as PNG. False, with the reason in
// error, when it cannot.
bool SaveWindowScreenshot(QWidget* window, const QString& path, QString* error);

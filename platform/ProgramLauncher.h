#pragma once

#include <QString>
#include <QStringList>

// How a started program shows itself: Shown keeps the display variables
// (DISPLAY, WAYLAND_DISPLAY) so it can open windows; Hidden removes them.
enum class WindowStyle {
    Hidden = 0,
    Shown = 1,
};

// Why a program did not start: the system's error number and its text.
struct LaunchResult {
    int errorNumber = 0;
    QString errorText;

    bool started() const { return errorNumber == 0; }
};

// Starts programs that run on their own: the caller never waits for them.
class ProgramLauncher {
public:
    virtual ~ProgramLauncher() = default;

    // program: a path, or a name looked up in PATH. Each argument reaches the
    // program as one argument, exactly as given: no shell reads them.
    virtual LaunchResult Start(const QString& program, const QStringList& arguments, WindowStyle style) = 0;
};

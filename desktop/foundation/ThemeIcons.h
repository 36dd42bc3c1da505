#pragma once

#include <QIcon>
#include <QString>

// The program's pictures come from the user's icon theme by their
// freedesktop names; the Adwaita theme (installed with the program) stands
// in where the user's theme has none, and where no theme is set at all.
inline constexpr char kFallbackIconTheme[] = "Adwaita";

// The picture of a freedesktop icon name; a null icon when no theme has it.
QIcon ThemeIcon(const QString& name);

// The picture at exactly side x side pixels: a theme without that size gives
// its next larger picture scaled down, so pictures side by side match.
QIcon SizedThemeIcon(const QString& name, int side);

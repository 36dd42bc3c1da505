#pragma once

#include <QtGlobal>

// The mouse cursor's position on the screen, in pixels; 0 and 0 when the
// platform has no cursor to tell of (no screen, no graphical session).
void GetCursorPosition(qint32& x, qint32& y);

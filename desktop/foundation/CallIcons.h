#pragma once

#include <QList>
#include <QPixmap>

// The call grids' image list, 16 by 16, drawn here. Positions:
namespace CallImage {
inline constexpr qint32 BlankPage = 0;
inline constexpr qint32 FlagOutline = 1;
inline constexpr qint32 BlackExclamation = 2;
inline constexpr qint32 Flag = 3;
inline constexpr qint32 Emergency = 4;
inline constexpr qint32 TriangleUp = 5;
inline constexpr qint32 TriangleDown = 6;
inline constexpr qint32 EnvelopeClosed = 7; // unread voice message
inline constexpr qint32 EnvelopeOpen = 8; // read voice message
inline constexpr qint32 SpeakerRight = 9; // recorded incoming call
inline constexpr qint32 SpeakerLeft = 10; // recorded dialled call
inline constexpr qint32 Count = 11;
} // namespace CallImage

// frmMain.imgCallType: the eleven images in the order above, drawn anew (a
// grid keeps its own copy; nothing outlives the application).
QList<QPixmap> CallTypeImages();

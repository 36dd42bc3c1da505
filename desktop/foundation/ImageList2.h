#pragma once

#include <QIcon>
#include <QList>
#include <QString>

// The pictures that menus and windows name by position (vbalImageList2): one
// position shows the same picture in every window that uses the list.
inline constexpr int kImageList2Count = 25;

// The freedesktop icon name of a position; empty outside the list.
QString ImageList2Name(int position);
// Made once, after the application object, from the icon theme.
const QList<QIcon>& vbalImageList2();

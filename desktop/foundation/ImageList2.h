#pragma once

#include <QIcon>
#include <QList>

// The pictures that menus and windows name by position (vbalImageList2): one
// position shows the same picture in every window that uses the list.
inline constexpr int kImageList2Count = 25;

// Made once, after the application object.
const QList<QIcon>& vbalImageList2();

#pragma once

#include "platform/grid/vbalGrid.h"

#include <QtGlobal>

// What LoadLastCalls did, for the caller that wants to say so.
struct LastCallsLoad {
    qint32 rows = 0; // calls listed
    qint32 dropped = 0; // lines that named no readable call
    bool rewritten = false; // Data/Last was written back without them
};

// Fills the main window's call grid with the recent calls that Data/Last
// names, in its order and then by the grid's sort, and sets the main window's
// status bar, no-items picture and edit menu. Lines that name no readable
// call are removed from the file as it is then, under its lock, so a call
// the service put on top meanwhile stays; a list grown past its bound by
// damage is written back cut to it, so calls can go on it again. A missing
// list lists nothing and makes no file.
LastCallsLoad LoadLastCalls(vbalGrid& grid);

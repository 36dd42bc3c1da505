#pragma once

#include <QtGlobal>

class vbalGrid;

// Fills the main call list with the calls Data/Last names, newest first, and
// selects the first; lines that name no readable call are left out. The
// number of rows. The main window's one way to show the recent calls, until
// the foundation's list loader takes its place.
qint32 LoadRecentCalls(vbalGrid& grid);

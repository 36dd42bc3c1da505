#pragma once

#include "common/CallStore.h"
#include "platform/grid/vbalGrid.h"

#include <QString>

// The desktop's changes to the call store, each one locked step that says
// whether it was written. Reading and writing whole records, and deleting one
// with Data/Last kept in step, are common/CallStore's.

// ReadMark := the first character of mark.
[[nodiscard]] bool MarkCallRead(qint32 recordNumber, const QString& dayFolder, const QString& mark);
// FlagMark := the first character of flag ("0" stays "0").
[[nodiscard]] bool SetCallFlag(qint32 recordNumber, const QString& dayFolder, const QString& flag);

// Deletes the calls of the grid's selected rows from their day files and
// removes the rows, renumbering the rows of each day as its records move,
// under the main window's progress bar; then selects a row or shows the
// empty list, and the count on the status bar. False when a selected call
// could not be deleted (its row stays).
bool DeleteSelectedCalls(vbalGrid& grid);

// Removes the selected rows of the recent-calls grid and exactly their lines
// from Data/Last as the file is now; the day files stay. False when the list
// was not written.
bool RemoveSelectedFromLast(vbalGrid& grid);

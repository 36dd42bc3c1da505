#pragma once

#include "platform/grid/vbalGrid.h"

#include <QString>

#include <optional>

// What the call windows do with a call grid's rows: the delete command, a
// click on a row, and storing a call's note.

// The delete command: in the recent-calls view, unless the setting says to
// delete from the day files too, only the selected lines of Data/Last go;
// otherwise the calls are deleted under the main window's progress bar.
// False when something was not written.
bool DeleteChosenCalls(vbalGrid& grid, bool recentView);

// A mouse button let go over the grid (1 left): a left click in the flag
// column sets or clears the current row's flag; then, with
// g_bMarkAsReadInPlay, an unread call without a recording is marked read.
// The row changes only when the file did. column: the column under the
// click (0 for none); -1 takes the grid's current column.
void CallGridMouseUp(vbalGrid& grid, qint32 button, qint32 column = -1);

// Stores text as the note of the call of row: cut to the Notes field (256
// bytes, at a character boundary), written only while the call still reads
// as valid; then the row shows it. False when nothing was written.
bool SaveNote(vbalGrid& grid, qint32 row, const QString& text);

// A call as a window showing it keeps it: where it is stored, what tells it
// from another call a later list or deletion puts at that place, and the
// row texts that show a row still holds it.
struct ShownCall {
    QString folder; // column 8
    qint32 number = 0; // column 9
    QString callDate; // the record's fields as read
    QString callTime;
    QString callerNumber;
    QString whenText; // column 5
};

// The call that row shows, as stored now; nullopt when the row names no
// call that can be read.
std::optional<ShownCall> ShownCallOf(const vbalGrid& grid, qint32 row);

// Whether row of grid still shows call.
bool RowHoldsCall(const vbalGrid& grid, qint32 row, const ShownCall& call);

// Stores text as the note of call (cut as SaveNote cuts it), only while its
// record is still that call; then the row that still shows it (row first,
// else the first that does) shows the note. False when nothing was written.
bool SaveNote(vbalGrid& grid, const ShownCall& call, qint32 row, const QString& text);

#pragma once

#include "common/CallRecord.h"
#include "platform/grid/vbalGrid.h"

#include <QFont>
#include <QString>

#include <functional>

// One call as a row of a call grid: the main window's list (13 columns) or
// the search window's results (12). Code reads the rows by these columns.
namespace CallColumn {
inline constexpr qint32 Emergency = 1;
inline constexpr qint32 Flag = 2;
inline constexpr qint32 Type = 3; // hidden: Length and the type image
inline constexpr qint32 Caller = 4;
inline constexpr qint32 When = 5;
inline constexpr qint32 Description = 6;
inline constexpr qint32 FileName = 7; // "MSGFILE"
inline constexpr qint32 Folder = 8; // "MSGPATH"
inline constexpr qint32 Index = 9; // "INDEX"
inline constexpr qint32 Note = 10; // "body", the row text
inline constexpr qint32 CallerName = 11;
inline constexpr qint32 CallerNumber = 12;
inline constexpr qint32 SortDate = 13; // main list only
} // namespace CallColumn

enum class CallGrid { Main, Search };

inline constexpr qint32 kCallRowHeight = 22;
// The note's colour, RGB(0, 0, 191) as 0x00BBGGRR.
inline constexpr qint32 kNoteColour = 0xBF0000;

// frmMain.SetCallsHeaders and frmSearch.SetCallsHeaders: the columns, the
// image list and the row height. Drawing stays off until the next fill.
void SetCallsHeaders(vbalGrid& grid, CallGrid kind);

// The row font: Tahoma 8 pt (a sans-serif family where it is missing), bold
// for an unread call.
QFont CallRowFont(bool bold);

// Whether the record's Notes field holds a note: not empty once blanks are
// trimmed, and not left unwritten (NUL first).
bool HasNote(const CallRecord& record);

// Extra row height for a note by its lines (CR LF separated): 1 → 2,
// 2 → 18, 3 → 30, 4 → 42, any other count → 54. Callers pass the whole field.
qint32 NoteExtraHeight(const QString& note);

// Fills row (Rows() + 1 appends) with the record numbered number in folder.
void SetCallRow(vbalGrid& grid, qint32 row, const CallRecord& record, const QString& folder, qint32 number,
    CallGrid kind = CallGrid::Main);

// Appends a row for every whole record of the day file of dayFolder, in file
// order, as the main list shows a day; the number of rows added. onRow runs
// after each row (a progress bar's step).
qint32 AppendDayRows(vbalGrid& grid, const QString& dayFolder, CallGrid kind = CallGrid::Main,
    const std::function<void()>& onRow = {});

// Column 10 and the row height for a Notes field, as filling and saving a
// note set them.
void SetRowNote(vbalGrid& grid, qint32 row, const QString& notesField);

// The row's columns 1 to Columns() - 4 in the row font, bold or not; a voice
// message's image follows (7 bold, 8 not).
void SetRowReadFont(vbalGrid& grid, qint32 row, bool bold);

// Whether the current row's call has a recording (images 7 to 10 in column 3).
bool SelectedRowHasWave(const vbalGrid& grid);

// After records of folder above number moved down by one: column 9 of every
// row of that folder above number goes down by one too.
void RenumberRows(vbalGrid& grid, qint32 number, const QString& folder);

#include "desktop/calls/CallGridActions.h"

#include "common/CallStore.h"
#include "common/FixedRecord.h"
#include "common/SharedFile.h"
#include "desktop/foundation/CallIcons.h"
#include "desktop/foundation/CallRows.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/MainWindowSurfaces.h"
#include "desktop/foundation/WindowUtilities.h"
#include "desktop/foundation/mdlCallStore.h"

#include <cstdio>

namespace {

constexpr int kNotesWidth = 256;

qint32 numberOf(const vbalGrid& grid, qint32 row)
{
    return grid.CellText(row, CallColumn::Index).toInt();
}

QString folderOf(const vbalGrid& grid, qint32 row)
{
    return grid.CellText(row, CallColumn::Folder);
}

void sayNotWritten(const char* what, const vbalGrid& grid, qint32 row)
{
    std::fprintf(stderr, "Ringvale: the %s of call %d of %s could not be written: %s\n", what,
        numberOf(grid, row), qPrintable(folderOf(grid, row)), qPrintable(SharedFile::lastWriteFailure()));
}

} // namespace

bool DeleteChosenCalls(vbalGrid& grid, bool recentView)
{
    if (recentView && !g_bDelFromDiaryWhenDelLast)
        return RemoveSelectedFromLast(grid);
    MainWindowSurfaces& window = CurrentMainWindow();
    window.SetProgressVisible(true);
    const bool deleted = DeleteSelectedCalls(grid);
    window.SetProgressVisible(false);
    if (!deleted)
        ShowWriteFailure(QStringLiteral("Not every chosen call could be deleted"));
    return deleted;
}

void CallGridMouseUp(vbalGrid& grid, qint32 button, qint32 column)
{
    const qint32 row = grid.SelectedRow();
    if (row < 1 || row > grid.Rows())
        return;
    if (column < 0)
        column = grid.SelectedColumn();
    if (button == 1 && column == CallColumn::Flag) {
        const bool flagged = grid.CellIcon(row, CallColumn::Flag) >= 0;
        if (SetCallFlag(numberOf(grid, row), folderOf(grid, row),
                flagged ? QStringLiteral("0") : QStringLiteral("1")))
            grid.SetCellIcon(row, CallColumn::Flag, flagged ? -1 : CallImage::Flag);
        else
            sayNotWritten("flag", grid, row);
    }
    if (g_bMarkAsReadInPlay && !SelectedRowHasWave(grid) && grid.CellFont(row, CallColumn::When).bold()) {
        if (MarkCallRead(numberOf(grid, row), folderOf(grid, row), QStringLiteral("1")))
            SetRowReadFont(grid, row, false);
        else
            sayNotWritten("read mark", grid, row);
    }
}

bool SaveNote(vbalGrid& grid, qint32 row, const QString& text)
{
    if (row < 1 || row > grid.Rows())
        return false;
    const QString folder = folderOf(grid, row);
    const qint32 number = numberOf(grid, row);
    CallRecord record;
    if (!ReadCallRecord(record, folder, number))
        return false;
    // The field as it will be stored: cut to its bytes, blank-padded.
    record.Notes = FixedRecord::readField(FixedRecord::fitField(text, kNotesWidth));
    if (!WriteCallRecord(record, folder, number)) {
        sayNotWritten("note", grid, row);
        return false;
    }
    SetRowNote(grid, row, record.Notes);
    return true;
}

std::optional<ShownCall> ShownCallOf(const vbalGrid& grid, qint32 row)
{
    if (row < 1 || row > grid.Rows())
        return std::nullopt;
    ShownCall call;
    call.folder = folderOf(grid, row);
    call.number = numberOf(grid, row);
    CallRecord record;
    if (!ReadCallRecord(record, call.folder, call.number))
        return std::nullopt;
    call.callDate = record.CallDate;
    call.callTime = record.CallTime;
    call.callerNumber = record.CallerNumber;
    call.whenText = grid.CellText(row, CallColumn::When);
    return call;
}

bool RowHoldsCall(const vbalGrid& grid, qint32 row, const ShownCall& call)
{
    return row >= 1 && row <= grid.Rows() && folderOf(grid, row) == call.folder
        && numberOf(grid, row) == call.number && grid.CellText(row, CallColumn::When) == call.whenText;
}

bool SaveNote(vbalGrid& grid, const ShownCall& call, qint32 row, const QString& text)
{
    QString notes;
    const bool written = ChangeCallRecord(call.number, call.folder, [&](CallRecord& record) {
        if (record.CallDate != call.callDate || record.CallTime != call.callTime
            || record.CallerNumber != call.callerNumber)
            return false;
        record.Notes = FixedRecord::readField(FixedRecord::fitField(text, kNotesWidth));
        notes = record.Notes;
        return true;
    });
    if (!written) {
        const QString reason = SharedFile::lastWriteFailure();
        if (reason.isEmpty()) {
            std::fprintf(stderr,
                "Ringvale: the note of call %d of %s was not written: the call is not there\n", call.number,
                qPrintable(call.folder));
        } else {
            ShowWriteFailure(QStringLiteral("The note of call %1 of %2 was not written")
                                 .arg(call.number)
                                 .arg(call.folder));
        }
        return false;
    }
    if (!RowHoldsCall(grid, row, call)) {
        row = 0;
        for (qint32 r = 1; r <= grid.Rows() && row == 0; ++r)
            if (RowHoldsCall(grid, r, call))
                row = r;
    }
    if (row > 0)
        SetRowNote(grid, row, notes);
    return true;
}

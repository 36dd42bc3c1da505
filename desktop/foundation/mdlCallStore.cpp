#include "desktop/foundation/mdlCallStore.h"

#include "common/LastList.h"
#include "common/SharedFile.h"
#include "desktop/foundation/CallRows.h"
#include "desktop/foundation/MainWindowSurfaces.h"
#include "desktop/foundation/Translation.h"

#include <QStringList>

#include <cstdio>

namespace {

// After rows were removed: the current row is selected again, else row 1;
// an empty list shows its picture and disables the edit menu. The status bar
// counts the rows.
void settleSelection(vbalGrid& grid)
{
    MainWindowSurfaces& window = CurrentMainWindow();
    if (grid.SelectedRow() >= 1) {
        grid.SetSelectedRow(grid.SelectedRow());
    } else if (grid.Rows() > 0) {
        grid.SetSelectedRow(1);
    } else {
        window.SetNoItemsVisible(true);
        window.MakeEditMenuEna(false);
    }
    window.SetPanelText(2, QString::number(grid.Rows()) + u' ' + g_sTrans(19));
}

} // namespace

bool MarkCallRead(qint32 recordNumber, const QString& dayFolder, const QString& mark)
{
    return SetCallField(recordNumber, dayFolder, &CallRecord::ReadMark, mark);
}

bool SetCallFlag(qint32 recordNumber, const QString& dayFolder, const QString& flag)
{
    return SetCallField(recordNumber, dayFolder, &CallRecord::FlagMark, flag);
}

bool DeleteSelectedCalls(vbalGrid& grid)
{
    MainWindowSurfaces& window = CurrentMainWindow();
    window.SetProgressMinimum(0);
    window.SetProgressMaximum(grid.SelectedCount());
    bool all = true;
    QString firstFailure;
    const qint32 count = grid.Rows();
    qint32 removed = 0;
    for (qint32 i = 1; i <= count; ++i) {
        const qint32 r = i - removed;
        if (!grid.Cell(r, CallColumn::Emergency).Selected())
            continue;
        window.SetProgressValue(i);
        const qint32 number = grid.CellText(r, CallColumn::Index).toInt();
        const QString folder = grid.CellText(r, CallColumn::Folder);
        if (!DeleteCallRecord(number, folder)) {
            const QString reason = SharedFile::lastWriteFailure();
            std::fprintf(stderr, "Ringvale: call %d of %s could not be deleted%s%s\n", number,
                qPrintable(folder), reason.isEmpty() ? "" : ": ", qPrintable(reason));
            if (all)
                firstFailure = reason;
            all = false;
            continue;
        }
        RenumberRows(grid, number - 1, folder);
        grid.RemoveRow(r);
        ++removed;
    }
    window.SetProgressValue(0);
    settleSelection(grid);
    if (!all)
        SharedFile::setWriteFailure(firstFailure); // for the window's message
    return all;
}

bool RemoveSelectedFromLast(vbalGrid& grid)
{
    QStringList lines;
    const qint32 count = grid.Rows();
    qint32 removed = 0;
    for (qint32 i = 1; i <= count; ++i) {
        const qint32 r = i - removed;
        if (!grid.Cell(r, CallColumn::Emergency).Selected())
            continue;
        lines.append(LastList::lineFor(
            grid.CellText(r, CallColumn::Index).toInt(), grid.CellText(r, CallColumn::Folder)));
        grid.RemoveRow(r);
        ++removed;
    }
    settleSelection(grid);
    const bool written = RemoveFromLastList(lines);
    if (!written && !lines.isEmpty())
        std::fprintf(stderr, "Ringvale: the recent-calls list could not be written: %s\n",
            qPrintable(SharedFile::lastWriteFailure()));
    return written;
}

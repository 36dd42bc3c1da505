#include "desktop/shell/RecentCalls.h"

#include "common/CallStore.h"
#include "common/DataPaths.h"
#include "common/LastList.h"
#include "desktop/foundation/CallRows.h"
#include "platform/grid/vbalGrid.h"

qint32 LoadRecentCalls(vbalGrid& grid)
{
    grid.SetRedraw(false);
    grid.Clear();
    QList<LastList::Entry> entries;
    const std::optional<QStringList> lines = LastList::readLines(DataPaths::native(DataPaths::lastList()));
    if (!lines)
        qWarning("Ringvale: the recent-calls list cannot be read.");
    for (const QString& line : lines.value_or(QStringList())) {
        if (const std::optional<LastList::Entry> entry = LastList::parseLine(line))
            entries << *entry;
    }
    const QList<std::optional<CallRecord>> records = ReadCallRecords(entries);
    for (qsizetype i = 0; i < records.size() && i < entries.size(); ++i) {
        if (records.at(i))
            SetCallRow(
                grid, grid.Rows() + 1, *records.at(i), entries.at(i).dayFolder, entries.at(i).recordNumber);
    }
    if (grid.Rows() > 0)
        grid.SetSelectedRow(1);
    grid.SetRedraw(true);
    return grid.Rows();
}

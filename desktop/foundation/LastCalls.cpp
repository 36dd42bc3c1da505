#include "desktop/foundation/LastCalls.h"

#include "common/CallStore.h"
#include "common/DataPaths.h"
#include "common/LastList.h"
#include "desktop/foundation/CallRows.h"
#include "desktop/foundation/MainWindowSurfaces.h"
#include "desktop/foundation/Translation.h"

#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>

LastCallsLoad LoadLastCalls(vbalGrid& grid)
{
    MainWindowSurfaces& window = CurrentMainWindow();
    const QString path = DataPaths::native(DataPaths::lastList());
    const std::optional<QStringList> read = LastList::readLines(path);
    if (!read)
        std::fputs("Ringvale: the recent-calls list cannot be read\n", stderr);
    const QStringList lines = read.value_or(QStringList());
    window.SetNoItemsVisible(lines.isEmpty());

    grid.Clear();
    grid.SetRedraw(false);
    window.SetProgressMinimum(0);
    window.SetProgressMaximum(qint32(qMin<qsizetype>(lines.size() + 1, INT_MAX)));
    window.SetProgressValue(0);
    window.SetProgressVisible(true);

    QList<LastList::Entry> entries;
    entries.reserve(lines.size());
    for (const QString& line : lines)
        entries.append(LastList::parseLine(line).value_or(LastList::Entry{}));
    const QList<std::optional<CallRecord>> records = ReadCallRecords(entries);

    LastCallsLoad load;
    QStringList dropped;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!records.at(i)) {
            dropped.append(lines.at(i));
            continue;
        }
        SetCallRow(grid, grid.Rows() + 1, *records.at(i), entries.at(i).dayFolder, entries.at(i).recordNumber,
            CallGrid::Main);
        window.SetProgressValue(window.ProgressValue() + 1);
    }
    load.rows = grid.Rows();
    load.dropped = qint32(dropped.size());

    const bool oversized = QFileInfo(path).size() > LastList::kMaxListBytes;
    if (!dropped.isEmpty() || oversized) {
        load.rewritten = LastList::change(path, -1, [&](QStringList& now) {
            bool removed = false;
            for (const QString& line : std::as_const(dropped))
                removed = now.removeOne(line) || removed;
            return removed || QFileInfo(path).size() > LastList::kMaxListBytes;
        });
        if (!load.rewritten && !dropped.isEmpty() && QFileInfo::exists(path))
            std::fputs("Ringvale: the recent-calls list could not be cleaned of stale lines\n", stderr);
    }

    window.SetPanelText(2, QString::number(grid.Rows()) + u' ' + g_sTrans(19));
    if (grid.Rows() > 0) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        grid.Sort();
        QGuiApplication::restoreOverrideCursor();
        grid.SetSelectedRow(1);
        window.MakeEditMenuEna(true);
    } else {
        window.MakeEditMenuEna(false);
        window.SetNoItemsVisible(true);
    }
    window.SetProgressVisible(false);
    grid.SetRedraw(true);
    grid.SetBorderStyle(1);
    return load;
}

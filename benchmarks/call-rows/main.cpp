// Times the main call list with many calls: a day file of COUNT calls read
// into the desktop's grid (rows built and filled), then sorted by column 13
// newest first, as the list is after loading.
//   bench-call-rows [COUNT...] [--rounds N]      (default 1000 10000, 5 rounds)
// Works in a throw-away program folder; prints the median and worst of each.
#include "common/CallRecord.h"
#include "common/DataPaths.h"
#include "common/DateTimeText.h"
#include "desktop/foundation/CallRows.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

const QString kDay = QStringLiteral("\\Data\\Log\\2026\\12\\10\\");

// COUNT calls over the day and the years before it, one in ten with a note,
// one in three unread, some recorded: the rows take every path.
bool writeDay(int count)
{
    const QString path = DataPaths::native(DataPaths::dayFile(kDay));
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QDateTime start(QDate(2024, 1, 1), QTime(0, 0));
    for (int i = 0; i < count; ++i) {
        // Spread over three years, not in order, so the sort has work to do.
        const QDateTime at = start.addSecs(qint64((i * 7919) % count) * (3 * 365 * 86400LL / count));
        CallRecord record;
        record.EmergencyMark = QStringLiteral("0");
        record.CallType = QString::number(i % 5);
        record.CallerName = QStringLiteral("Caller %1").arg(i);
        record.CallerNumber = QStringLiteral("555%1").arg(i, 7, 10, QLatin1Char('0'));
        record.CallDate = DateTimeText::formatDate(at.date());
        record.CallTime = DateTimeText::formatTime(at.time());
        record.Length = QStringLiteral("0:00:00");
        record.LineIndex = QStringLiteral("0");
        record.ReadMark = i % 3 == 0 ? QStringLiteral(" ") : QStringLiteral("1");
        record.Description = QStringLiteral("Incoming call");
        if (i % 10 == 0)
            record.Notes = QStringLiteral("call back\r\nafter six").leftJustified(256, u' ');
        if (file.write(record.toBytes()) != CallRecord::Size)
            return false;
    }
    return true;
}

struct Times {
    double fill = 0;
    double sort = 0;
};

Times measure()
{
    vbalGrid grid;
    SetCallsHeaders(grid, CallGrid::Main);
    QElapsedTimer timer;
    timer.start();
    AppendDayRows(grid, kDay);
    const double fill = timer.nsecsElapsed() / 1e6;
    timer.restart();
    grid.SortCriteria().Clear();
    grid.SortCriteria().Add(
        CallColumn::SortDate, GridSort::Descending, grid.ColumnSortType(CallColumn::SortDate));
    grid.Sort();
    grid.SetRedraw(true);
    const double sort = timer.nsecsElapsed() / 1e6;
    return {fill, sort};
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir home;
    qputenv("RINGVALE_HOME", QFile::encodeName(home.path()));

    QList<int> counts;
    int rounds = 5;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        bool ok = false;
        if (args[i] == u"--rounds" && i + 1 < args.size())
            rounds = args[++i].toInt(&ok);
        else
            counts.append(args[i].toInt(&ok));
        if (!ok || rounds < 1 || (!counts.isEmpty() && counts.last() < 1)) {
            std::fputs("usage: bench-call-rows [COUNT...] [--rounds N]\n", stderr);
            return 2;
        }
    }
    if (counts.isEmpty())
        counts = {1000, 10000};

    std::printf("calls\tbuild+fill median/worst ms\tsort median/worst ms\ttotal median ms\n");
    for (const int count : counts) {
        if (!writeDay(count)) {
            std::fputs("cannot write the day file\n", stderr);
            return 1;
        }
        QList<double> fills, sorts, totals;
        for (int r = 0; r < rounds; ++r) {
            const Times t = measure();
            fills.append(t.fill);
            sorts.append(t.sort);
            totals.append(t.fill + t.sort);
        }
        std::printf("%d\t%.1f / %.1f\t%.1f / %.1f\t%.1f\n", count, median(fills),
            *std::max_element(fills.begin(), fills.end()), median(sorts),
            *std::max_element(sorts.begin(), sorts.end()), median(totals));
    }
    return 0;
}

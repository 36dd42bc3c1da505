// Times the call search over a large store against grep: DAYS day folders of
// PER calls each below Data/Log, searched for a caller name that one call in a
// thousand has, by SearchFolderTree (events let run as in the window) and by
// `grep -F -r -a -c` over the same tree, each warmed once, then the median of
// ROUNDS; then how long a Stop takes to end a search, and the peak memory.
//   bench-call-search [--days N] [--per N] [--rounds N]   (1000 1000 3)
// Works in a throw-away program folder (about DAYS * PER * 467 bytes).
#include "common/CallRecord.h"
#include "common/DataPaths.h"
#include "common/DateTimeText.h"
#include "desktop/foundation/CallRows.h"
#include "desktop/foundation/CallSearch.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/MainWindowSurfaces.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>

namespace {

bool writeStore(int days, int per)
{
    const QDate first(2024, 1, 1);
    qint64 n = 0;
    for (int d = 0; d < days; ++d) {
        const QDate date = first.addDays(d);
        const QString folder = DataPaths::dayFolderOf(date);
        const QString path = DataPaths::native(DataPaths::dayFile(folder));
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        QByteArray data;
        data.reserve(qsizetype(per) * CallRecord::Size);
        for (int i = 0; i < per; ++i, ++n) {
            CallRecord record;
            record.EmergencyMark = QStringLiteral("0");
            record.CallType = QString::number(n % 5);
            record.CallerName
                = n % 1000 == 7 ? QStringLiteral("Zebedee %1").arg(n) : QStringLiteral("Caller %1").arg(n);
            record.CallerNumber = QStringLiteral("555%1").arg(n, 7, 10, QLatin1Char('0'));
            record.CallDate = DateTimeText::formatDate(date);
            record.CallTime = DateTimeText::formatTime(QTime(0, 0).addSecs(i * 60 % 86400));
            record.Length = QStringLiteral("0:00:00");
            record.LineIndex = QStringLiteral("0");
            record.ReadMark = QStringLiteral("1");
            record.Description = QStringLiteral("Incoming call");
            if (n % 10 == 0)
                record.Notes = QStringLiteral("call back after six");
            data += record.toBytes();
        }
        if (file.write(data) != data.size())
            return false;
    }
    return true;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

long peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int days = 1000;
    int per = 1000;
    int rounds = 3;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        const int value = args[i + 1].toInt();
        if (value < 1)
            continue;
        if (args[i] == u"--days")
            days = value;
        else if (args[i] == u"--per")
            per = value;
        else if (args[i] == u"--rounds")
            rounds = value;
    }
    QTemporaryDir home;
    qputenv("RINGVALE_HOME", home.path().toUtf8());
    std::printf("writing %d day folders of %d calls...\n", days, per);
    if (!writeStore(days, per)) {
        std::fprintf(stderr, "cannot write the store\n");
        return 1;
    }
    const double records = double(days) * per;
    const long peakBefore = peakKiB();

    RecordedMainWindow statusBar;
    vbalGrid grid;
    SetCallsHeaders(grid, CallGrid::Search);
    const SearchCriteria criteria{QStringLiteral("Zebedee"), {}, {}, false, false};
    std::vector<double> ours;
    qint32 found = 0;
    for (int r = 0; r <= rounds; ++r) {
        QElapsedTimer timer;
        timer.start();
        found = StartCallSearch(grid, 2, criteria, statusBar).value_or(-1);
        if (r > 0)
            ours.push_back(timer.nsecsElapsed() / 1e9);
    }

    std::vector<double> grep;
    const QString logFolder = DataPaths::native(QStringLiteral("\\Data\\Log"));
    for (int r = 0; r <= rounds; ++r) {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer timer;
        timer.start();
        process.start(QStringLiteral("grep"),
            {QStringLiteral("-F"), QStringLiteral("-r"), QStringLiteral("-a"), QStringLiteral("-c"),
                QStringLiteral("Zebedee"), logFolder});
        process.waitForFinished(-1);
        if (r > 0)
            grep.push_back(timer.nsecsElapsed() / 1e9);
    }

    // Stop a search 300 ms in and time until it has returned.
    QElapsedTimer sinceStop;
    QTimer::singleShot(300, [&] {
        sinceStop.start();
        StopCallSearch(grid);
    });
    StartCallSearch(grid, 2, criteria, statusBar);
    const double stopMs = sinceStop.isValid() ? sinceStop.nsecsElapsed() / 1e6 : -1;

    const double oursRate = records / median(ours);
    const double grepRate = records / median(grep);
    std::printf("found %d calls in %.0f records\n", found, records);
    std::printf("SearchFolderTree: median %.3f s, %.0f records/s\n", median(ours), oursRate);
    std::printf("grep -F -r -a -c: median %.3f s, %.0f records/s\n", median(grep), grepRate);
    std::printf("ratio (ours / grep): %.2f\n", oursRate / grepRate);
    std::printf("Stop to the end of the search: %.1f ms\n", stopMs);
    std::printf("peak memory: %ld KiB (%ld KiB before searching)\n", peakKiB(), peakBefore);
    return 0;
}

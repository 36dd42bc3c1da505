// Times the call search over a large store beside two references in the same
// run: DAYS day folders of PER calls each below Data/Log, searched for a
// caller name that one call in a thousand has, by SearchFolderTree (events let
// run as in the window), by `grep -F -r -c` over the same tree, and by a plain
// loop that walks the tree, reads each file whole and counts the name with
// memmem. Each is warmed once (the files stay in the page cache), then the
// median of ROUNDS; then how long a Stop takes to end a search, and the peak
// memory.
//   bench-call-search [--days N] [--per N] [--rounds N]   (1000 1000 5)
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

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

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

// The reference: every regular file below folder read whole into one buffer
// and searched with memmem; the number of occurrences.
qint64 memmemTree(const std::string& folder, const std::string& needle, std::vector<char>& buffer)
{
    qint64 found = 0;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        const std::string path = folder + '/' + entry->d_name;
        if (entry->d_type == DT_DIR) {
            found += memmemTree(path, needle, buffer);
            continue;
        }
        if (entry->d_type != DT_REG)
            continue;
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        size_t length = 0;
        for (ssize_t n; (n = ::read(fd, buffer.data() + length, buffer.size() - length)) > 0;) {
            length += size_t(n);
            if (length == buffer.size())
                buffer.resize(buffer.size() * 2);
        }
        ::close(fd);
        const char* at = buffer.data();
        const char* end = buffer.data() + length;
        while (const void* hit = ::memmem(at, size_t(end - at), needle.data(), needle.size())) {
            ++found;
            at = static_cast<const char*>(hit) + needle.size();
        }
    }
    ::closedir(dir);
    return found;
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
    int rounds = 5;
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
    const QString logFolder = DataPaths::native(QStringLiteral("\\Data\\Log"));
    std::vector<char> buffer(1024 * 1024);
    std::vector<double> ours;
    std::vector<double> grep;
    std::vector<double> loop;
    qint32 found = 0;
    qint64 loopFound = 0;
    // The three take turns, so a change of load meets each alike.
    for (int r = 0; r <= rounds; ++r) {
        QElapsedTimer timer;
        timer.start();
        found = StartCallSearch(grid, 2, criteria, statusBar).value_or(-1);
        const double searchSeconds = timer.nsecsElapsed() / 1e9;

        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        timer.start();
        process.start(QStringLiteral("grep"),
            {QStringLiteral("-F"), QStringLiteral("-r"), QStringLiteral("-c"), QStringLiteral("Zebedee"),
                logFolder});
        process.waitForFinished(-1);
        const double grepSeconds = timer.nsecsElapsed() / 1e9;

        timer.start();
        loopFound = memmemTree(logFolder.toStdString(), "Zebedee", buffer);
        const double loopSeconds = timer.nsecsElapsed() / 1e9;
        if (r == 0)
            continue; // the warm-up
        ours.push_back(searchSeconds);
        grep.push_back(grepSeconds);
        loop.push_back(loopSeconds);
    }

    // Stop a search 20 ms in and time until it has returned.
    QElapsedTimer sinceStop;
    QTimer::singleShot(20, [&] {
        sinceStop.start();
        StopCallSearch(grid);
    });
    StartCallSearch(grid, 2, criteria, statusBar);
    const double stopMs = sinceStop.isValid() ? sinceStop.nsecsElapsed() / 1e6 : -1;

    std::printf("found %d calls in %.0f records (the memmem loop: %lld)\n", found, records,
        static_cast<long long>(loopFound));
    const auto line = [records](const char* what, double seconds) {
        std::printf("%-18s median %.3f s  %5.1f M records/s\n", what, seconds, records / seconds / 1e6);
    };
    line("SearchFolderTree", median(ours));
    line("grep -F -r -c", median(grep));
    line("read + memmem", median(loop));
    std::printf("grep / search: %.2f (faster above 1)\n", median(grep) / median(ours));
    std::printf("search / memmem loop: %.2f (slower above 1)\n", median(ours) / median(loop));
    std::printf("Stop to the end of the search: %.1f ms\n", stopMs);
    std::printf("peak memory: %ld KiB (%ld KiB before searching)\n", peakKiB(), peakBefore);
    return 0;
}

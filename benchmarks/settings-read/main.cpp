// Time of one settings read through the store (IniRegistry::queryValue, the
// parsed file kept while it is unchanged) beside reading and parsing the
// whole file for each value, as the store did before, in the same run.
//   bench-settings-read [READS]   (100000)
// The store is a throw-away folder with KEYS keys of VALUES values each, about
// the size of an installation's settings; its file is dated an hour back, as
// a file nobody wrote lately is.
#include "common/SharedFile.h"
#include "platform/IniRegistry.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

constexpr qint32 HKLM = qint32(0x80000002);
constexpr int Keys = 20;
constexpr int Values = 15;
constexpr int Batch = 1000;

QString keyOf(int k)
{
    return QStringLiteral("SOFTWARE\\Ringvale\\Tab%1").arg(k);
}

QString nameOf(int v)
{
    return QStringLiteral("txtValue%1").arg(v);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    bool ok = true;
    const int reads = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt(&ok) : 100000;
    if (!ok || reads < Batch) {
        std::fprintf(stderr, "usage: bench-settings-read [READS >= %d]\n", Batch);
        return 2;
    }
    QTemporaryDir dir;
    IniRegistry store(dir.path());
    for (int k = 0; k < Keys; ++k) {
        QList<std::pair<QString, RegistryBackend::Value>> values;
        for (int v = 0; v < Values; ++v)
            values.append(
                {nameOf(v), {1, QStringLiteral("value %1 of key %2").arg(v).arg(k).toUtf8() + '\0'}});
        if (!store.createKey(HKLM, keyOf(k)) || store.replaceValues(HKLM, keyOf(k), values) != 0) {
            std::fprintf(stderr, "cannot write the store\n");
            return 1;
        }
    }
    const QString file = store.fileFor(HKLM);
    const timespec times[2] = {{0, UTIME_OMIT}, {::time(nullptr) - 3600, 0}};
    ::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0);

    // Per read, in nanoseconds, a batch at a time; the two take turns.
    std::vector<double> kept;
    std::vector<double> parsed;
    qsizetype found = 0;
    for (int done = 0; done < reads; done += Batch) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < Batch; ++i) {
            RegistryBackend::Value value;
            found += store.queryValue(HKLM, keyOf(i % Keys), nameOf(i % Values), value) == 0;
        }
        kept.push_back(double(timer.nsecsElapsed()) / Batch);
        timer.start();
        for (int i = 0; i < Batch / 10; ++i) {
            const IniRegistry::Tree tree
                = IniRegistry::parse(SharedFile::readBounded(file, 64 * 1024 * 1024).value_or(QByteArray()));
            const auto key = tree.constFind(IniRegistry::normalize(keyOf(i % Keys)).toLower());
            found += key != tree.constEnd() && !key->values.isEmpty();
        }
        parsed.push_back(double(timer.nsecsElapsed()) / (Batch / 10));
    }
    std::printf(
        "%d keys of %d values (%lld bytes): %d reads through the store, %d read and parsed, %lld found\n",
        Keys, Values, static_cast<long long>(QFile(file).size()), reads, reads / 10,
        static_cast<long long>(found));
    std::printf("store read (kept)        median %.2f us\n", median(kept) / 1000);
    std::printf("read and parse the file  median %.2f us\n", median(parsed) / 1000);
    std::printf("ratio (read and parse / store): %.1f\n", median(parsed) / median(kept));
    return 0;
}

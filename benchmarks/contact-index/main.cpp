// The service's contact index while the contact file keeps changing:
//   bench-contact-index [--seconds S] [--replace-every MS] [CONTACTS]
// (default 100,000 contacts, the file replaced every 100 ms for 5 s).
// - build: from a replacement of the file to the new index in use, 20 times;
// - lookups: caller-ID lookups, one after another, of the last contact and of
//   a number that is no contact, while another thread replaces the file.
// The file is replaced by renaming one of two prepared copies over it, as
// the desktop's editor does, so each replacement is a new file to index.
#include "common/ContactFile.h"
#include "service/core/ContactIndex.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const QString kKnown = QStringLiteral("5559999999");

void report(const char* what, std::vector<qint64> ns)
{
    if (ns.empty())
        return;
    std::sort(ns.begin(), ns.end());
    const auto ms = [](qint64 v) { return static_cast<double>(v) / 1e6; };
    std::printf("%-28s %7zu  median %8.3f ms  p99 %8.3f ms  worst %8.3f ms\n", what, ns.size(),
        ms(ns[ns.size() / 2]), ms(ns[ns.size() * 99 / 100]), ms(ns.back()));
}

// Puts copy `which` in the file's place, as a new file.
bool replaceWith(const QString& path, int which)
{
    const QByteArray target = QFile::encodeName(path);
    const QByteArray copy = target + (which ? ".b" : ".a");
    const QByteArray temporary = target + ".new";
    ::unlink(temporary.constData());
    return ::link(copy.constData(), temporary.constData()) == 0
        && ::rename(temporary.constData(), target.constData()) == 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    int contacts = 100000;
    int seconds = 5;
    int everyMs = 100;
    const QStringList args = app.arguments().mid(1);
    bool ok = true;
    for (qsizetype i = 0; ok && i < args.size(); ++i) {
        if ((args[i] == u"--seconds" || args[i] == u"--replace-every") && i + 1 < args.size()) {
            (args[i] == u"--seconds" ? seconds : everyMs) = args[i + 1].toInt(&ok);
            ++i;
        } else {
            contacts = args[i].toInt(&ok);
        }
    }
    if (!ok || contacts < 1 || seconds < 1 || everyMs < 1) {
        std::fprintf(stderr, "usage: bench-contact-index [--seconds S] [--replace-every MS] [CONTACTS]\n");
        return 2;
    }
    QTemporaryDir home;
    qputenv("RINGVALE_HOME", home.path().toUtf8());
    QProcess writer;
    writer.setProcessChannelMode(QProcess::ForwardedChannels);
    writer.start(QStringLiteral(RINGVALE_WRITE_CONTACTS), {QString::number(contacts), kKnown});
    if (!writer.waitForFinished(120000) || writer.exitCode() != 0) {
        std::fprintf(stderr, "cannot write the contact file\n");
        return 1;
    }
    const QString path = ContactFile::path();
    if (!QFile::copy(path, path + QStringLiteral(".a")) || !QFile::copy(path, path + QStringLiteral(".b"))) {
        std::fprintf(stderr, "cannot copy the contact file\n");
        return 1;
    }
    ContactIndex& index = ContactIndex::shared();
    ContactRecord found;
    std::printf("%d contacts (%lld MB)\n", contacts, static_cast<long long>(QFile(path).size() >> 20));

    std::vector<qint64> builds;
    for (int i = 0; i < 20; ++i) {
        if (!replaceWith(path, i % 2))
            return 1;
        QElapsedTimer timer;
        timer.start();
        index.findByCallerNumber(kKnown, found);
        while (!index.isCurrent())
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        builds.push_back(timer.nsecsElapsed());
    }
    report("build after a replacement", builds);

    std::atomic<bool> stop{false};
    int replaced = 0;
    std::thread replacer([&] {
        for (int i = 0; !stop; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(everyMs));
            replaced += replaceWith(path, i % 2);
        }
    });
    std::vector<qint64> known;
    std::vector<qint64> unknown;
    QElapsedTimer run;
    run.start();
    bool right = true;
    for (int i = 0; run.elapsed() < seconds * 1000; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (i % 2 == 0) {
            right = right && index.findByCallerNumber(kKnown, found) == contacts;
            known.push_back(timer.nsecsElapsed());
        } else {
            right = right && index.findByCallerNumber(QStringLiteral("5550000000"), found) == -1;
            unknown.push_back(timer.nsecsElapsed());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    stop = true;
    replacer.join();
    std::printf("lookups while the file was replaced %d times, every %d ms:\n", replaced, everyMs);
    report("  caller is the last contact", known);
    report("  caller is no contact", unknown);
    if (!right) {
        std::fprintf(stderr, "a lookup answered wrong\n");
        return 1;
    }
    return 0;
}

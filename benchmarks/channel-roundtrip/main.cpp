// Round-trip time of one small text between two processes over the channels:
// this program sends, a copy of itself started with --echo sends it back.
//   bench-channel-roundtrip [ROUNDS]
#include "common/ChannelMessages.h"
#include "platform/MessageControl.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr qint32 BenchChannel = 999;

int echo()
{
    MessageControl endpoint;
    endpoint.Channel(BenchChannel);
    QObject::connect(&endpoint, &MessageControl::MessageArrived, [&endpoint](const QString& text) {
        if (text == u"quit")
            QCoreApplication::quit();
        else
            endpoint.Send(text);
    });
    return QCoreApplication::exec();
}

// Sends the text and runs events until it comes back; nanoseconds taken.
qint64 roundTrip(MessageControl& endpoint, const QString& text, bool askFirst)
{
    QEventLoop loop;
    const QMetaObject::Connection back
        = QObject::connect(&endpoint, &MessageControl::MessageArrived, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    if (!askFirst || endpoint.Channel(BenchChannel))
        endpoint.Send(text);
    loop.exec();
    const qint64 taken = timer.nsecsElapsed();
    QObject::disconnect(back);
    return taken;
}

void report(const char* what, std::vector<qint64> ns)
{
    std::sort(ns.begin(), ns.end());
    double sum = 0;
    for (const qint64 v : ns)
        sum += static_cast<double>(v);
    const auto at = [&ns](double q) {
        return ns[static_cast<size_t>(q * static_cast<double>(ns.size() - 1))] / 1000.0;
    };
    std::printf("%-22s rounds %zu  min %.1f us  median %.1f us  p99 %.1f us  mean %.1f us\n", what, ns.size(),
        ns.front() / 1000.0, at(0.5), at(0.99), sum / static_cast<double>(ns.size()) / 1000.0);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.value(0) == u"--echo")
        return echo();

    bool ok = true;
    const int rounds = args.isEmpty() ? 5000 : args.at(0).toInt(&ok);
    if (!ok || rounds <= 0) {
        std::fprintf(stderr, "usage: bench-channel-roundtrip [ROUNDS]\n");
        return 2;
    }
    // Channels of a throw-away program folder, so no running program hears us.
    QTemporaryDir home;
    qputenv("RINGVALE_HOME", home.path().toUtf8());
    QProcess peer;
    peer.setProcessChannelMode(QProcess::ForwardedChannels);
    peer.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--echo")});

    MessageControl endpoint;
    const QDeadlineTimer deadline(10000);
    while (!endpoint.Channel(BenchChannel)) {
        if (deadline.hasExpired()) {
            std::fprintf(stderr, "the echo process did not bind\n");
            return 1;
        }
        QThread::msleep(5);
    }
    const QString text = ChannelMessages::tapiRing(0, 1, false);
    for (int i = 0; i < 200; ++i)
        roundTrip(endpoint, text, true);
    std::vector<qint64> sendOnly;
    std::vector<qint64> askThenSend;
    for (int i = 0; i < rounds; ++i) {
        sendOnly.push_back(roundTrip(endpoint, text, false));
        askThenSend.push_back(roundTrip(endpoint, text, true));
    }
    std::printf(
        "one \"Tapi_Ring\" text (%lld bytes) there and back\n", static_cast<long long>(text.toUtf8().size()));
    report("Send", sendOnly);
    report("Channel + Send", askThenSend);
    endpoint.Send(QStringLiteral("quit"));
    endpoint.Flush(1000);
    peer.waitForFinished(5000);
    return 0;
}

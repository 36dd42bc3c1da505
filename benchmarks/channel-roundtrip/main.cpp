// Round-trip time of one small text between two processes over the channels,
// beside a plain Unix-socket ping-pong of the same bytes in the same run: this
// program sends, a copy of itself started with --echo sends it back (with
// --plain-echo PATH, over a plain socket with blocking reads and writes).
//   bench-channel-roundtrip [ROUNDS]
#include "common/ChannelMessages.h"
#include "platform/ChannelFrame.h"
#include "platform/MessageControl.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

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

bool writeAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

bool readAll(int fd, char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::read(fd, data, size);
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

sockaddr_un addressOf(const QString& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(path);
    std::memcpy(
        address.sun_path, native.constData(), qMin<size_t>(native.size(), sizeof address.sun_path - 1));
    return address;
}

// The reference: frames of a fixed size sent back as they come, on a plain
// socket, no event loop.
int plainEcho(const QString& path, int frameSize)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_un address = addressOf(path);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return 1;
    std::vector<char> frame(static_cast<size_t>(frameSize));
    while (readAll(fd, frame.data(), frame.size()) && writeAll(fd, frame.data(), frame.size())) { }
    ::close(fd);
    return 0;
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

// Prints the figures; the median in microseconds.
double report(const char* what, std::vector<qint64> ns)
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
    return at(0.5);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.value(0) == u"--echo")
        return echo();
    if (args.value(0) == u"--plain-echo")
        return plainEcho(args.value(1), args.value(2).toInt());

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
    // The plain socket carries as many bytes as a channel frame.
    const QByteArray frame = ChannelFrame::encode(text.toUtf8());
    const QString plainPath = home.filePath(QStringLiteral("plain"));
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_un address = addressOf(plainPath);
    if (listener < 0 || ::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
        || ::listen(listener, 1) != 0) {
        std::fprintf(stderr, "cannot listen on %s\n", qPrintable(plainPath));
        return 1;
    }
    QProcess plainPeer;
    plainPeer.setProcessChannelMode(QProcess::ForwardedChannels);
    plainPeer.start(QCoreApplication::applicationFilePath(),
        {QStringLiteral("--plain-echo"), plainPath, QString::number(frame.size())});
    const int plain = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (plain < 0) {
        std::fprintf(stderr, "the plain echo did not connect\n");
        return 1;
    }
    QByteArray back(frame.size(), '\0');
    const auto plainRoundTrip = [&] {
        QElapsedTimer timer;
        timer.start();
        if (!writeAll(plain, frame.constData(), size_t(frame.size()))
            || !readAll(plain, back.data(), size_t(back.size())))
            return qint64(-1);
        return timer.nsecsElapsed();
    };

    for (int i = 0; i < 200; ++i) {
        roundTrip(endpoint, text, true);
        plainRoundTrip();
    }
    std::vector<qint64> sendOnly;
    std::vector<qint64> askThenSend;
    std::vector<qint64> plainOnly;
    // Taking turns, so a change of load meets each alike.
    for (int i = 0; i < rounds; ++i) {
        sendOnly.push_back(roundTrip(endpoint, text, false));
        askThenSend.push_back(roundTrip(endpoint, text, true));
        plainOnly.push_back(plainRoundTrip());
    }
    std::printf(
        "one \"Tapi_Ring\" text (%lld bytes framed) there and back\n", static_cast<long long>(frame.size()));
    const double sendMedian = report("Send", sendOnly);
    const double askMedian = report("Channel + Send", askThenSend);
    const double plainMedian = report("plain socket", plainOnly);
    std::printf("median ratio Send / plain socket: %.2f\n", sendMedian / plainMedian);
    std::printf("median ratio Channel + Send / plain socket: %.2f\n", askMedian / plainMedian);
    ::close(plain);
    ::close(listener);
    plainPeer.waitForFinished(5000);
    endpoint.Send(QStringLiteral("quit"));
    endpoint.Flush(1000);
    peer.waitForFinished(5000);
    return 0;
}

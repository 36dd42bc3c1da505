#include "tools/ringvale-chan/ChanTool.h"

#include "common/AppPaths.h"
#include "common/EscapedText.h"
#include "platform/MessageControl.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace ChanTool {

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

// SIGINT and SIGTERM end the event loop, so the endpoints close and remove
// their sockets instead of leaving them behind.
void quitOnSignals(QCoreApplication& app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] { QCoreApplication::quit(); });
    struct sigaction action { };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

void printError(const QString& text)
{
    const QByteArray bytes = QStringLiteral("ringvale-chan: %1\n").arg(text).toUtf8();
    std::fwrite(bytes.constData(), 1, bytes.size(), stderr);
    std::fflush(stderr);
}

int usage()
{
    printError(QStringLiteral(
        "usage: ringvale-chan listen N... | ringvale-chan send N TEXT; ringvale-chan --help tells more"));
    return 2;
}

const char* const kHelp = "usage: ringvale-chan listen N...\n"
                          "       ringvale-chan send N TEXT\n"
                          "Watches and drives the numbered channels of the programs of one program\n"
                          "folder ($RINGVALE_HOME, else the folder of this program).\n"
                          "\n"
                          "  listen N...   print every text arriving on the channels until Ctrl-C, one\n"
                          "                line per text: the channel number, a blank, the text\n"
                          "  send N TEXT   send one text to every program bound to channel N\n"
                          "\n"
                          "Escapes, in TEXT and in what listen prints:\n"
                          "  \\\\    a backslash\n"
                          "  \\r    carriage return (CR)\n"
                          "  \\n    line feed (LF); a message's lines are joined by \\r\\n\n"
                          "  \\xHH  the character of hexadecimal code HH (two digits); the field\n"
                          "        separator 20 of mail messages is \\x14\n"
                          "listen prints every other control character as \\xHH too, so a line of its\n"
                          "output is always one whole text.\n"
                          "\n"
                          "Channels: 305 process control, 306 speech, 307 line events, 308 line\n"
                          "commands, 309 caller ID, 310 idle, 311 mail. Examples:\n"
                          "  ringvale-chan send 308 OFF\n"
                          "  ringvale-chan send 308 'AUTO\\r\\n16:00:00\\r\\n08:00:00'\n"
                          "  ringvale-chan send 308 'CallOut\\r\\n5559876'\n"
                          "\n"
                          "Exit status: 0 sent (listen: ended by a signal); 1 nobody is bound to N, or\n"
                          "the receiver did not take the text (nothing sent), or a channel cannot be\n"
                          "listened on; 2 bad arguments or a bad escape.\n";

std::optional<qint32> channelNumber(const QString& text)
{
    bool ok = false;
    const int number = text.toInt(&ok, 10);
    if (!ok) {
        printError(QStringLiteral("not a channel number: %1").arg(text));
        return std::nullopt;
    }
    return number;
}

int listen(const QStringList& numbers)
{
    if (numbers.isEmpty())
        return usage();
    // Before the first socket exists: a signal from a peer that already sees
    // it must still end the loop and remove the sockets.
    quitOnSignals(*QCoreApplication::instance());
    std::vector<std::unique_ptr<MessageControl>> endpoints;
    for (const QString& text : numbers) {
        const std::optional<qint32> number = channelNumber(text);
        if (!number)
            return 2;
        auto endpoint = std::make_unique<MessageControl>();
        endpoint->Channel(*number);
        if (endpoint->socketPath().isEmpty()) {
            const QString problem = AppPaths::openRuntimeFolder().problem;
            printError(QStringLiteral("cannot listen on channel %1").arg(*number)
                + (problem.isEmpty() ? QString() : QStringLiteral(": ") + problem));
            return 1;
        }
        const QByteArray prefix = QByteArray::number(*number) + ' ';
        QObject::connect(endpoint.get(), &MessageControl::MessageArrived, [prefix](const QString& text) {
            const QByteArray line = prefix + EscapedText::escape(text).toUtf8() + '\n';
            std::fwrite(line.constData(), 1, line.size(), stdout);
            // Whoever reads this reads it live.
            std::fflush(stdout);
        });
        endpoints.push_back(std::move(endpoint));
    }
    printError(QStringLiteral("listening on %1").arg(numbers.join(u' ')));
    return QCoreApplication::exec();
}

int send(const QString& numberText, const QString& escaped)
{
    const std::optional<qint32> number = channelNumber(numberText);
    if (!number)
        return 2;
    const std::optional<QString> text = EscapedText::unescape(escaped);
    if (!text) {
        printError(QStringLiteral("bad escape in: %1").arg(escaped));
        return 2;
    }
    MessageControl endpoint;
    if (!endpoint.Channel(*number)) {
        if (const QString problem = AppPaths::openRuntimeFolder().problem; !problem.isEmpty()) {
            printError(QStringLiteral("cannot use channel %1: %2").arg(*number).arg(problem));
            return 1;
        }
        printError(QStringLiteral("nobody is bound to channel %1; nothing sent").arg(*number));
        return 1;
    }
    endpoint.Send(*text);
    if (!endpoint.Flush(5000)) {
        printError(QStringLiteral("the receiver on channel %1 did not take the text").arg(*number));
        return 1;
    }
    return 0;
}

} // namespace

int run(const QStringList& args)
{
    if (args.size() == 1 && (args.at(0) == u"--help" || args.at(0) == u"-h" || args.at(0) == u"help")) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (args.size() >= 2 && args.at(0) == u"listen")
        return listen(args.mid(1));
    if (args.size() == 3 && args.at(0) == u"send")
        return send(args.at(1), args.at(2));
    return usage();
}

} // namespace ChanTool

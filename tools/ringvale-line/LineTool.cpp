#include "tools/ringvale-line/LineTool.h"

#include "common/AppPaths.h"
#include "platform/SimulatedLineDevice.h"
#include "platform/SimulatedLineProtocol.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalSocket>

#include <optional>

namespace {

constexpr int kDone = 0;
constexpr int kRefused = 1;
constexpr int kUsage = 2;
constexpr int kUnreachable = 3;

const char* const kUsageText = "usage: ringvale-line [--line N] COMMAND [OPTIONS]\n"
                               "  call --number N [--name X] [--rings K] [--cid-after-ring C]\n"
                               "       [--hangup-after-ring H] [--audio FILE] [--fast]\n"
                               "                      a whole incoming call: offer, rings, caller ID, the\n"
                               "                      far end hangs up after ring H (default K), idle\n"
                               "  offer [--number N] [--name X] [--audio FILE]   a call starts ringing\n"
                               "  ring                one ring of the offered call\n"
                               "  cid [--number N] [--name X]   caller ID (default: the offer's)\n"
                               "  hangup [--fast]     the far end hangs up; unless the program drops the\n"
                               "                      call, it clears after 2 s (1 s with --fast)\n"
                               "  answer [--audio FILE]   the far end of a dialled call answers\n"
                               "  status              what the program did on the line\n"
                               "  fail WHAT... [--times N]   make requests fail: initialize open close\n"
                               "                      drop dial answer; 'fail none' clears\n"
                               "Every command takes --line N (default 0). --fast runs about 20 times faster\n"
                               "than a person would follow. Exit status: 0 done, 1 refused by the line,\n"
                               "2 bad arguments, 3 no program has the simulated line open.\n";

// The options each command takes, beyond --line.
const QHash<QString, QStringList>& optionsByCommand()
{
    static const QHash<QString, QStringList> table = {
        {QStringLiteral("call"),
            {QStringLiteral("--number"), QStringLiteral("--name"), QStringLiteral("--rings"),
                QStringLiteral("--cid-after-ring"), QStringLiteral("--hangup-after-ring"),
                QStringLiteral("--audio"), QStringLiteral("--fast")}},
        {QStringLiteral("offer"),
            {QStringLiteral("--number"), QStringLiteral("--name"), QStringLiteral("--audio")}},
        {QStringLiteral("ring"), {}},
        {QStringLiteral("cid"), {QStringLiteral("--number"), QStringLiteral("--name")}},
        {QStringLiteral("hangup"), {QStringLiteral("--fast")}},
        {QStringLiteral("answer"), {QStringLiteral("--audio")}},
        {QStringLiteral("status"), {}},
        {QStringLiteral("fail"), {QStringLiteral("--times")}},
    };
    return table;
}

std::optional<int> wholeNumber(const QString& text, int lowest)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < lowest || value > 1000)
        return std::nullopt;
    return value;
}

// Fills the request from the arguments; an empty text when they are good.
QString parse(const QStringList& args, SimulatedLineRequest& request)
{
    QStringList positional;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (!arg.startsWith(QStringLiteral("--"))) {
            positional << arg;
            continue;
        }
        if (arg == u"--fast") {
            request.fast = true;
            continue;
        }
        if (i + 1 >= args.size())
            return arg + QStringLiteral(" needs a value");
        const QString value = args.at(++i);
        std::optional<int> number;
        if (arg == u"--number") {
            request.number = value;
        } else if (arg == u"--name") {
            request.name = value;
        } else if (arg == u"--audio") {
            const QFileInfo file(value);
            if (!file.isFile())
                return QStringLiteral("no sound file ") + value;
            request.audio = file.absoluteFilePath();
        } else if (arg == u"--line" && (number = wholeNumber(value, 0))) {
            request.line = *number;
        } else if (arg == u"--rings" && (number = wholeNumber(value, 0))) {
            request.rings = *number;
        } else if (arg == u"--cid-after-ring" && (number = wholeNumber(value, 0))) {
            request.cidAfterRing = *number;
        } else if (arg == u"--hangup-after-ring" && (number = wholeNumber(value, 0))) {
            request.hangupAfterRing = *number;
        } else if (arg == u"--times" && (number = wholeNumber(value, 1))) {
            request.times = *number;
        } else if (arg == u"--line" || arg == u"--rings" || arg == u"--cid-after-ring"
            || arg == u"--hangup-after-ring" || arg == u"--times") {
            return arg + QStringLiteral(" needs a whole number, not ") + value;
        } else {
            return QStringLiteral("unknown option ") + arg;
        }
    }
    if (positional.isEmpty())
        return QStringLiteral("no command");
    request.command = positional.takeFirst();
    const auto allowed = optionsByCommand().constFind(request.command);
    if (allowed == optionsByCommand().constEnd())
        return QStringLiteral("unknown command ") + request.command;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg.startsWith(QStringLiteral("--")) && arg != u"--line" && !allowed->contains(arg))
            return request.command + QStringLiteral(" does not take ") + arg;
        if (arg.startsWith(QStringLiteral("--")) && arg != u"--fast")
            ++i;
    }
    if (request.command == u"call" && !request.number)
        return QStringLiteral("call needs --number");
    if (request.command == u"fail") {
        if (positional == QStringList{QStringLiteral("none")})
            positional.clear();
        else if (positional.isEmpty())
            return QStringLiteral("fail needs what to fail, or none");
        for (const QString& what : std::as_const(positional))
            if (!SimulatedFailures::names().contains(what))
                return QStringLiteral("unknown failure ") + what;
        request.failures = positional;
    } else if (!positional.isEmpty()) {
        return QStringLiteral("unexpected argument ") + positional.first();
    }
    return {};
}

// Long enough for the slowest scripted call, at its pacing.
int timeoutMs(const SimulatedLineRequest& request)
{
    if (request.command != u"call")
        return 10000;
    const SimulatedLinePacing pacing
        = request.fast ? SimulatedLinePacing::fast() : SimulatedLinePacing::normal();
    const int steps = std::max({request.rings, request.cidAfterRing, request.hangupAfterRing}) + 2;
    return steps * pacing.ringIntervalMs + pacing.clearDelayMs + 30000;
}

} // namespace

int runLineTool(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        out << kUsageText;
        return kDone;
    }
    SimulatedLineRequest request;
    const QString problem = parse(args, request);
    if (!problem.isEmpty()) {
        err << "ringvale-line: " << problem << "\n" << kUsageText;
        return kUsage;
    }
    const QString path = SimulatedLineProtocol::socketPath();
    QLocalSocket socket;
    socket.connectToServer(path);
    if (path.isEmpty()) {
        if (const QString problem = AppPaths::openRuntimeFolder().problem; !problem.isEmpty()) {
            err << "ringvale-line: " << problem << "\n";
            return kUnreachable;
        }
    }
    if (path.isEmpty() || !socket.waitForConnected(3000)) {
        err << "ringvale-line: no program has the simulated line open (is RingvaleSvc running with the line "
               "on?)\n";
        return kUnreachable;
    }
    socket.write(SimulatedLineProtocol::encodeRequest(request));
    const QDeadlineTimer deadline(timeoutMs(request));
    QByteArray buffer;
    while (true) {
        qsizetype end;
        while ((end = buffer.indexOf('\n')) >= 0) {
            const std::optional<SimulatedLineReply> reply
                = SimulatedLineProtocol::decodeReply(buffer.left(end));
            buffer.remove(0, end + 1);
            if (!reply)
                continue;
            if (!reply->final) {
                out << reply->text << "\n";
                out.flush();
                continue;
            }
            if (!reply->ok) {
                err << "ringvale-line: " << reply->text << "\n";
                return kRefused;
            }
            out << reply->text << (reply->text.endsWith(u'\n') ? "" : "\n");
            return kDone;
        }
        if (deadline.hasExpired() || socket.state() != QLocalSocket::ConnectedState) {
            if (socket.bytesAvailable() > 0) {
                buffer += socket.readAll();
                continue;
            }
            err << "ringvale-line: the program holding the line did not answer\n";
            return kUnreachable;
        }
        if (socket.waitForReadyRead(
                int(std::max<qint64>(1, std::min<qint64>(deadline.remainingTime(), 1000)))))
            buffer += socket.readAll();
    }
}

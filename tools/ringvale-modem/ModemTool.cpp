#include "tools/ringvale-modem/ModemTool.h"

#include "common/EscapedText.h"
#include "platform/FakeModem.h"
#include "platform/FakeModemServer.h"
#include "platform/SimulatedLineProtocol.h"
#include "platform/UnixSignalRoute.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QSocketNotifier>
#include <QThread>

#include <functional>
#include <optional>

namespace {

constexpr int kDone = 0;
constexpr int kRefused = 1;
constexpr int kUsage = 2;
constexpr int kUnreachable = 3;

// A ring every three seconds, as the simulated line's own calls ring.
constexpr int kRingIntervalMs = 3000;
constexpr int kReplyTimeoutMs = 10000;

const char* const kUsageText
    = "usage: ringvale-modem COMMAND [OPTIONS]\n"
      "  serve --link PATH [--error CMD]... [--silent CMD]...\n"
      "                      a fake modem on a pseudo-terminal, reached through the\n"
      "                      link PATH; prints every command it receives. It echoes\n"
      "                      commands (not after ATE0) and answers OK, ERROR for each\n"
      "                      --error CMD, nothing for each --silent CMD. Ctrl-C ends it.\n"
      "  ring                the modem says RING\n"
      "  cid --number N [--name X] [--format formatted|spaced|unformatted|mesg-first]\n"
      "      [--private]     the modem sends a caller ID (--private: withheld)\n"
      "  raw TEXT            the modem sends TEXT as it stands; escapes \\r \\n \\\\ \\xHH\n"
      "  call --number N [--name X] [--rings K]\n"
      "                      a whole call as a line with a caller-ID modem brings it:\n"
      "                      the offer on the simulated line, RING, the caller ID and\n"
      "                      RING on the modem, then the other rings (default 4 in all,\n"
      "                      one every 3 s) and the hang-up on the simulated line\n"
      "Exit status: 0 done, 1 refused, 2 bad arguments, 3 no fake modem serving (for\n"
      "call also: no program has the simulated line).\n";

struct Arguments {
    QString command;
    QStringList positional;
    QHash<QString, QStringList> options; // by name, every value given
    bool isPrivate = false;
};

// The options each command takes; those listed twice may repeat.
const QHash<QString, QStringList>& optionsByCommand()
{
    static const QHash<QString, QStringList> table = {
        {QStringLiteral("serve"),
            {QStringLiteral("--link"), QStringLiteral("--error"), QStringLiteral("--silent")}},
        {QStringLiteral("ring"), {}},
        {QStringLiteral("cid"),
            {QStringLiteral("--number"), QStringLiteral("--name"), QStringLiteral("--format"),
                QStringLiteral("--private")}},
        {QStringLiteral("raw"), {}},
        {QStringLiteral("call"),
            {QStringLiteral("--number"), QStringLiteral("--name"), QStringLiteral("--rings")}},
    };
    return table;
}

QString parse(const QStringList& args, Arguments& parsed)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (!arg.startsWith(QStringLiteral("--"))) {
            if (parsed.command.isEmpty())
                parsed.command = arg;
            else
                parsed.positional << arg;
            continue;
        }
        if (arg == u"--private") {
            parsed.isPrivate = true;
            parsed.options[arg];
            continue;
        }
        if (i + 1 >= args.size())
            return arg + QStringLiteral(" needs a value");
        parsed.options[arg] << args.at(++i);
    }
    if (parsed.command.isEmpty())
        return QStringLiteral("no command");
    const auto allowed = optionsByCommand().constFind(parsed.command);
    if (allowed == optionsByCommand().constEnd())
        return QStringLiteral("unknown command ") + parsed.command;
    for (auto it = parsed.options.cbegin(); it != parsed.options.cend(); ++it) {
        if (!allowed->contains(it.key()))
            return parsed.command + QStringLiteral(" does not take ") + it.key();
        const bool repeats = it.key() == u"--error" || it.key() == u"--silent";
        if (!repeats && it.value().size() > 1)
            return it.key() + QStringLiteral(" is given twice");
    }
    const qsizetype wantedPositional = parsed.command == u"raw" ? 1 : 0;
    if (parsed.positional.size() > wantedPositional)
        return QStringLiteral("unexpected argument ") + parsed.positional.at(wantedPositional);
    if (parsed.positional.size() < wantedPositional)
        return QStringLiteral("raw needs the text to send");
    if (parsed.command == u"serve" && !parsed.options.contains(QStringLiteral("--link")))
        return QStringLiteral("serve needs --link PATH");
    if ((parsed.command == u"call" || (parsed.command == u"cid" && !parsed.isPrivate))
        && !parsed.options.contains(QStringLiteral("--number")))
        return parsed.command + QStringLiteral(" needs --number");
    if (parsed.options.contains(QStringLiteral("--format"))
        && !FakeCallerId::formatNamed(parsed.options.value(QStringLiteral("--format")).first()))
        return QStringLiteral("--format is one of ") + FakeCallerId::formatNames().join(QStringLiteral(", "));
    return {};
}

QString option(const Arguments& parsed, const char* name, const QString& fallback = QString())
{
    const QStringList values = parsed.options.value(QString::fromLatin1(name));
    return values.isEmpty() ? fallback : values.first();
}

int serve(const Arguments& parsed, QTextStream& out, QTextStream& err)
{
    FakeModem modem;
    modem.setErrorCommands(parsed.options.value(QStringLiteral("--error")));
    modem.setSilentCommands(parsed.options.value(QStringLiteral("--silent")));
    QString error;
    // The socket first: a second modem must not take the first one's link.
    FakeModemServer server(&modem);
    const QString socket = FakeModemServer::socketPath();
    if (!server.listen(socket, &error) || !modem.start(option(parsed, "--link"), &error)) {
        err << "ringvale-modem: " << error << "\n";
        return kRefused;
    }
    QObject::connect(&modem, &FakeModem::commandReceived, [&out](const QString& command) {
        out << "received: " << EscapedText::escape(command) << "\n";
        // Whoever reads this reads it live.
        out.flush();
    });
    UnixSignalRoute route;
    std::optional<QSocketNotifier> notifier;
    if (route.isValid() && route.route(SIGINT) && route.route(SIGTERM)) {
        notifier.emplace(route.readFd(), QSocketNotifier::Read);
        QObject::connect(&*notifier, &QSocketNotifier::activated, [&route] {
            if (route.takeSignal() != 0)
                QCoreApplication::quit();
        });
    }
    err << "ringvale-modem: serving on " << modem.linkPath() << " (" << modem.devicePath() << "), control "
        << socket << "\n";
    err.flush();
    return QCoreApplication::exec();
}

struct Reply {
    bool reached = false;
    bool ok = false;
    QString text;
};

// Sends one request line to a control socket and reads lines back until
// one of them is final; reached false when nothing listens there.
Reply exchange(const QString& path, const QByteArray& request,
    const std::function<std::optional<Reply>(const QByteArray&)>& finalReply)
{
    Reply reply;
    QLocalSocket socket;
    socket.connectToServer(path);
    if (path.isEmpty() || !socket.waitForConnected(3000))
        return reply;
    reply.reached = true;
    reply.text = QStringLiteral("the program behind ") + path + QStringLiteral(" did not answer");
    socket.write(request);
    const QDeadlineTimer deadline(kReplyTimeoutMs);
    QByteArray buffer;
    while (!deadline.hasExpired()) {
        qsizetype end;
        while ((end = buffer.indexOf('\n')) >= 0) {
            const std::optional<Reply> answer = finalReply(buffer.left(end));
            buffer.remove(0, end + 1);
            if (answer)
                return *answer;
        }
        if (socket.waitForReadyRead(100) || socket.bytesAvailable() > 0)
            buffer += socket.readAll();
        else if (socket.state() != QLocalSocket::ConnectedState)
            break;
    }
    return reply;
}

Reply modemRequest(const QJsonObject& request)
{
    return exchange(FakeModemServer::socketPath(),
        QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n',
        [](const QByteArray& line) -> std::optional<Reply> {
            const QJsonObject object = QJsonDocument::fromJson(line).object();
            return Reply{true, object.value(QStringLiteral("ok")).toBool(),
                object.value(QStringLiteral("message")).toString()};
        });
}

Reply lineRequest(const SimulatedLineRequest& request)
{
    return exchange(SimulatedLineProtocol::socketPath(), SimulatedLineProtocol::encodeRequest(request),
        [](const QByteArray& line) -> std::optional<Reply> {
            const std::optional<SimulatedLineReply> answer = SimulatedLineProtocol::decodeReply(line);
            if (!answer || !answer->final)
                return std::nullopt;
            return Reply{true, answer->ok, answer->text};
        });
}

int finish(const Reply& reply, const char* what, QTextStream& err)
{
    if (!reply.reached) {
        err << "ringvale-modem: " << what << "\n";
        return kUnreachable;
    }
    if (!reply.ok) {
        err << "ringvale-modem: " << reply.text << "\n";
        return kRefused;
    }
    return kDone;
}

const char* const kNoModem = "no fake modem is serving (start ringvale-modem serve first)";
const char* const kNoLine
    = "no program has the simulated line (is RingvaleSvc running with RINGVALE_SIM_SERIAL naming the modem?)";

// The bytes of a text as a person typed it: characters up to 255 (\xHH
// among them) as one byte each, the others in UTF-8.
QByteArray rawBytes(const QString& text)
{
    QByteArray out;
    for (const QChar c : text) {
        if (c.unicode() < 0x100)
            out += char(c.unicode());
        else
            out += QString(c).toUtf8();
    }
    return out;
}

int call(const Arguments& parsed, QTextStream& out, QTextStream& err)
{
    bool ok = false;
    const int rings = option(parsed, "--rings", QStringLiteral("4")).toInt(&ok);
    if (!ok || rings < 1 || rings > 1000) {
        err << "ringvale-modem: --rings needs a whole number from 1 to 1000\n";
        return kUsage;
    }
    const QString number = option(parsed, "--number");
    const QString name = option(parsed, "--name");
    const auto say = [&out](const QString& text) {
        out << text << "\n";
        out.flush();
    };
    const auto modem = [](const QJsonObject& request) { return modemRequest(request); };
    const auto line = [](const char* command) {
        SimulatedLineRequest request;
        request.command = QString::fromLatin1(command);
        return request;
    };

    // Check the modem first: an offer nobody follows up would stay on the line.
    Reply reply
        = modem({{QStringLiteral("command"), QStringLiteral("raw")}, {QStringLiteral("bytes"), QString()}});
    if (const int code = finish(reply, kNoModem, err); code != kDone)
        return code;
    SimulatedLineRequest offer = line("offer");
    offer.number = number;
    offer.name = name;
    if (const int code = finish(lineRequest(offer), kNoLine, err); code != kDone)
        return code;
    say(QStringLiteral("line: offer"));

    reply = modem({{QStringLiteral("command"), QStringLiteral("ring")}});
    if (const int code = finish(reply, kNoModem, err); code != kDone)
        return code;
    say(QStringLiteral("modem: RING"));
    QThread::msleep(kRingIntervalMs / 6);
    reply = modem({{QStringLiteral("command"), QStringLiteral("cid")}, {QStringLiteral("number"), number},
        {QStringLiteral("name"), name}});
    if (const int code = finish(reply, kNoModem, err); code != kDone)
        return code;
    say(QStringLiteral("modem: caller ID"));
    if (rings >= 2) {
        QThread::msleep(kRingIntervalMs - kRingIntervalMs / 6);
        reply = modem({{QStringLiteral("command"), QStringLiteral("ring")}});
        if (const int code = finish(reply, kNoModem, err); code != kDone)
            return code;
        say(QStringLiteral("modem: RING"));
    }
    for (int ring = 3; ring <= rings; ++ring) {
        QThread::msleep(kRingIntervalMs);
        reply = lineRequest(line("ring"));
        if (!reply.ok) {
            // The program took or dropped the call (a blocked caller).
            say(QStringLiteral("line: no ring %1: %2").arg(ring).arg(reply.text));
            return kDone;
        }
        say(QStringLiteral("line: ring"));
    }
    QThread::msleep(kRingIntervalMs * 2 / 3);
    reply = lineRequest(line("hangup"));
    say(reply.ok ? QStringLiteral("line: hang-up") : QStringLiteral("line: no hang-up: ") + reply.text);
    return kDone;
}

} // namespace

int runModemTool(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        out << kUsageText;
        return kDone;
    }
    Arguments parsed;
    const QString problem = parse(args, parsed);
    if (!problem.isEmpty()) {
        err << "ringvale-modem: " << problem << "\n" << kUsageText;
        return kUsage;
    }
    if (parsed.command == u"serve")
        return serve(parsed, out, err);
    if (parsed.command == u"call")
        return call(parsed, out, err);

    QJsonObject request{{QStringLiteral("command"), parsed.command}};
    if (parsed.command == u"cid") {
        request.insert(QStringLiteral("number"), option(parsed, "--number"));
        request.insert(QStringLiteral("name"), option(parsed, "--name"));
        request.insert(QStringLiteral("format"), option(parsed, "--format", QStringLiteral("formatted")));
        request.insert(QStringLiteral("private"), parsed.isPrivate);
    } else if (parsed.command == u"raw") {
        const std::optional<QString> text = EscapedText::unescape(parsed.positional.first());
        if (!text) {
            err << "ringvale-modem: bad escape in: " << parsed.positional.first() << "\n";
            return kUsage;
        }
        request.insert(QStringLiteral("bytes"), QString::fromLatin1(rawBytes(*text).toHex()));
    }
    return finish(modemRequest(request), kNoModem, err);
}

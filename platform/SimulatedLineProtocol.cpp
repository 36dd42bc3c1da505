#include "platform/SimulatedLineProtocol.h"

#include "common/AppPaths.h"
#include "platform/SimulatedLineDevice.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace SimulatedLineProtocol {

namespace {

constexpr int kMaxCount = 1000;

QByteArray line(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<int> count(
    const QJsonObject& object, const QString& key, int fallback, int lowest, QString* error)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined())
        return fallback;
    const double number = value.toDouble(-1e9);
    if (!value.isDouble() || number != double(int(number)) || number < lowest || number > kMaxCount) {
        *error
            = QStringLiteral("%1 must be a whole number from %2 to %3").arg(key).arg(lowest).arg(kMaxCount);
        return std::nullopt;
    }
    return int(number);
}

std::optional<QString> optionalText(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

} // namespace

const QStringList& commands()
{
    static const QStringList all = {QStringLiteral("call"), QStringLiteral("offer"), QStringLiteral("ring"),
        QStringLiteral("cid"), QStringLiteral("hangup"), QStringLiteral("answer"), QStringLiteral("status"),
        QStringLiteral("fail")};
    return all;
}

QString socketPath()
{
    const QString folder = AppPaths::runtimeFolder();
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/line.sock");
}

QByteArray encodeRequest(const SimulatedLineRequest& request)
{
    QJsonObject object;
    object.insert(QStringLiteral("command"), request.command);
    object.insert(QStringLiteral("line"), request.line);
    if (request.number)
        object.insert(QStringLiteral("number"), *request.number);
    if (request.name)
        object.insert(QStringLiteral("name"), *request.name);
    if (!request.audio.isEmpty())
        object.insert(QStringLiteral("audio"), request.audio);
    object.insert(QStringLiteral("rings"), request.rings);
    object.insert(QStringLiteral("cidAfterRing"), request.cidAfterRing);
    object.insert(QStringLiteral("hangupAfterRing"), request.hangupAfterRing);
    object.insert(QStringLiteral("fast"), request.fast);
    object.insert(QStringLiteral("failures"), QJsonArray::fromStringList(request.failures));
    object.insert(QStringLiteral("times"), request.times);
    return line(object);
}

std::optional<SimulatedLineRequest> decodeRequest(const QByteArray& text, QString* error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
    if (!document.isObject()) {
        *error = QStringLiteral("the request is not a JSON object");
        return std::nullopt;
    }
    const QJsonObject object = document.object();
    SimulatedLineRequest request;
    request.command = object.value(QStringLiteral("command")).toString();
    if (!commands().contains(request.command)) {
        *error = QStringLiteral("unknown command ") + SimulatedLineQuoted(request.command);
        return std::nullopt;
    }
    const std::optional<int> lineIndex = count(object, QStringLiteral("line"), -1, -1, error);
    const std::optional<int> rings = count(object, QStringLiteral("rings"), 4, 0, error);
    const std::optional<int> cid = count(object, QStringLiteral("cidAfterRing"), 1, 0, error);
    const std::optional<int> hangup = count(object, QStringLiteral("hangupAfterRing"), -1, -1, error);
    const std::optional<int> times = count(object, QStringLiteral("times"), -1, -1, error);
    if (!lineIndex || !rings || !cid || !hangup || !times)
        return std::nullopt;
    request.line = *lineIndex;
    request.rings = *rings;
    request.cidAfterRing = *cid;
    request.hangupAfterRing = *hangup;
    request.times = *times;
    request.number = optionalText(object, QStringLiteral("number"));
    request.name = optionalText(object, QStringLiteral("name"));
    request.audio = object.value(QStringLiteral("audio")).toString();
    request.fast = object.value(QStringLiteral("fast")).toBool();
    for (const QJsonValue& value : object.value(QStringLiteral("failures")).toArray()) {
        const QString what = value.toString();
        if (!SimulatedFailures::names().contains(what)) {
            *error = QStringLiteral("unknown failure ") + SimulatedLineQuoted(what);
            return std::nullopt;
        }
        request.failures << what;
    }
    return request;
}

QByteArray encodeReply(const SimulatedLineReply& reply)
{
    QJsonObject object;
    if (reply.final)
        object.insert(QStringLiteral("ok"), reply.ok);
    object.insert(reply.final ? QStringLiteral("message") : QStringLiteral("progress"), reply.text);
    return line(object);
}

std::optional<SimulatedLineReply> decodeReply(const QByteArray& text)
{
    const QJsonDocument document = QJsonDocument::fromJson(text);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    SimulatedLineReply reply;
    if (object.contains(QStringLiteral("ok"))) {
        reply.final = true;
        reply.ok = object.value(QStringLiteral("ok")).toBool();
        reply.text = object.value(QStringLiteral("message")).toString();
    } else {
        reply.text = object.value(QStringLiteral("progress")).toString();
    }
    return reply;
}

} // namespace SimulatedLineProtocol

#include "platform/FakeModemServer.h"

#include "common/AppPaths.h"
#include "platform/FakeModem.h"
#include "platform/LineRequestServer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>

namespace {

QByteArray replyLine(bool ok, const QString& message)
{
    QJsonObject object;
    object.insert(QStringLiteral("ok"), ok);
    object.insert(QStringLiteral("message"), message);
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace

FakeModemServer::FakeModemServer(FakeModem* modem, QObject* parent)
    : QObject(parent)
    , m_modem(modem)
    , m_server(new LineRequestServer(
          MaxRequestBytes,
          [this](QLocalSocket* socket, const std::optional<QByteArray>& line) {
              const QString refused = line ? handle(*line) : QStringLiteral("the request is too long");
              socket->write(
                  replyLine(refused.isEmpty(), refused.isEmpty() ? QStringLiteral("done") : refused));
              socket->disconnectFromServer();
          },
          this))
{
}

QString FakeModemServer::socketPath()
{
    const QString folder = AppPaths::runtimeFolder();
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/modem.sock");
}

bool FakeModemServer::listen(const QString& path, QString* error)
{
    if (path.isEmpty()) {
        *error = QStringLiteral("no private runtime folder for the modem's control socket");
        return false;
    }
    return m_server->listen(path, error);
}

QString FakeModemServer::handle(const QByteArray& request)
{
    const QJsonDocument document = QJsonDocument::fromJson(request);
    if (!document.isObject())
        return QStringLiteral("the request is not a JSON object");
    const QJsonObject object = document.object();
    const QString command = object.value(QStringLiteral("command")).toString();
    bool sent = false;
    if (command == u"ring") {
        sent = m_modem->ring();
    } else if (command == u"cid") {
        FakeCallerId callerId;
        callerId.number = object.value(QStringLiteral("number")).toString();
        callerId.name = object.value(QStringLiteral("name")).toString();
        callerId.isPrivate = object.value(QStringLiteral("private")).toBool();
        const QString formatName
            = object.value(QStringLiteral("format")).toString(QStringLiteral("formatted"));
        const std::optional<FakeCallerId::Format> format = FakeCallerId::formatNamed(formatName);
        if (!format)
            return QStringLiteral("unknown caller-ID format ") + formatName;
        callerId.format = *format;
        sent = m_modem->sendCallerId(callerId);
    } else if (command == u"raw") {
        const QByteArray hex = object.value(QStringLiteral("bytes")).toString().toLatin1();
        const auto decoded = QByteArray::fromHex(hex);
        if (decoded.toHex() != hex.toLower())
            return QStringLiteral("raw bytes must be hex");
        sent = m_modem->sendRaw(decoded);
    } else {
        return QStringLiteral("unknown command ") + command;
    }
    return sent ? QString() : QStringLiteral("the terminal took nothing (nobody reads the port?)");
}

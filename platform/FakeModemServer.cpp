#include "platform/FakeModemServer.h"

#include "common/AppPaths.h"
#include "platform/FakeModem.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>

#include <memory>

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
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &FakeModemServer::accept);
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
    // Listening would replace a living modem's socket: ask first. A socket
    // with nobody behind it is what an ended one leaves.
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(200)) {
        *error = QStringLiteral("another fake modem already serves at ") + path;
        return false;
    }
    QLocalServer::removeServer(path);
    if (m_server.listen(path))
        return true;
    *error = QStringLiteral("cannot listen on ") + path + QStringLiteral(": ") + m_server.errorString();
    return false;
}

void FakeModemServer::accept()
{
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // One request per connection: what comes after it is ignored.
        struct Pending {
            QByteArray buffer;
            bool handled = false;
        };
        auto pending = std::make_shared<Pending>();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, pending] {
            const QByteArray data = socket->readAll();
            if (pending->handled)
                return;
            pending->buffer += data;
            const qsizetype end = pending->buffer.indexOf('\n');
            if (end < 0 && pending->buffer.size() <= MaxRequestBytes)
                return;
            pending->handled = true;
            const QString refused
                = end < 0 ? QStringLiteral("the request is too long") : handle(pending->buffer.left(end));
            pending->buffer.clear();
            socket->write(replyLine(refused.isEmpty(), refused.isEmpty() ? QStringLiteral("done") : refused));
            socket->disconnectFromServer();
        });
    }
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

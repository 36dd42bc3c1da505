#include "platform/SimulatedLineServer.h"

#include "platform/SimulatedLines.h"

#include <QLocalSocket>

namespace {

void reply(QLocalSocket* socket, bool final, bool ok, const QString& text)
{
    if (socket->state() != QLocalSocket::ConnectedState)
        return;
    socket->write(SimulatedLineProtocol::encodeReply({final, ok, text}));
    if (final)
        socket->disconnectFromServer();
}

} // namespace

SimulatedLineServer::SimulatedLineServer(SimulatedLines* lines)
    : QObject(lines)
    , m_lines(lines)
    , m_server(new LineRequestServer(
          SimulatedLineProtocol::MaxLineBytes,
          [this](QLocalSocket* socket, const std::optional<QByteArray>& line) { take(socket, line); }, this))
{
}

bool SimulatedLineServer::listen()
{
    const QString path = SimulatedLineProtocol::socketPath();
    if (path.isEmpty()) {
        qCWarning(lcSimLine) << "no private runtime folder for the line's control socket";
        return false;
    }
    QString error;
    if (m_server->listen(path, &error))
        return true;
    qCWarning(lcSimLine).noquote() << error;
    return false;
}

void SimulatedLineServer::close()
{
    m_server->close();
}

void SimulatedLineServer::take(QLocalSocket* socket, const std::optional<QByteArray>& line)
{
    if (!line) {
        reply(socket, true, false, QStringLiteral("the request is too long"));
        return;
    }
    QString error;
    const std::optional<SimulatedLineRequest> request = SimulatedLineProtocol::decodeRequest(*line, &error);
    if (!request)
        reply(socket, true, false, error);
    else
        handle(socket, *request);
}

void SimulatedLineServer::handle(QLocalSocket* socket, const SimulatedLineRequest& request)
{
    if (request.command == u"status") {
        reply(socket, true, true, status(request));
        return;
    }
    if (request.command == u"fail") {
        const QString refused = fail(request);
        reply(socket, true, refused.isEmpty(), refused.isEmpty() ? status(request) : refused);
        return;
    }
    const int index = std::max(0, request.line);
    SimulatedLineDevice* device = m_lines->device(index);
    if (!device) {
        reply(socket, true, false,
            QStringLiteral("there is no simulated line %1 (this program has %2)")
                .arg(index)
                .arg(m_lines->count()));
        return;
    }
    std::optional<std::vector<qint16>> sound;
    if (!request.audio.isEmpty()) {
        QString error;
        sound = SimulatedLineDevice::loadFarEndSound(request.audio, &error);
        if (!sound) {
            reply(socket, true, false, QStringLiteral("cannot use the far end's sound: ") + error);
            return;
        }
    }
    const SimulatedLinePacing pacing
        = request.fast ? SimulatedLinePacing::fast() : SimulatedLinePacing::normal();
    // Everything the line reports while the request runs goes back to the driver.
    const QMetaObject::Connection progress = connect(device, &SimulatedLineDevice::progress, socket,
        [socket](const QString& text) { reply(socket, false, true, text); });

    QString refused;
    const QString& command = request.command;
    if (command == u"call") {
        SimulatedCallScript script;
        script.number = request.number.value_or(QString());
        script.name = request.name.value_or(QString());
        script.rings = request.rings;
        script.cidAfterRing = request.cidAfterRing;
        script.hangupAfterRing = request.hangupAfterRing;
        refused = device->startCall(script, pacing);
        if (refused.isEmpty()) {
            if (sound)
                device->setFarEndSound(std::move(*sound));
            connect(device, &SimulatedLineDevice::callEnded, socket, [device, socket, progress] {
                QObject::disconnect(progress);
                QObject::disconnect(device, &SimulatedLineDevice::callEnded, socket, nullptr);
                reply(socket, true, true, QStringLiteral("the call has ended"));
            });
            return;
        }
    } else if (command == u"offer") {
        refused = device->farOffer(request.number.value_or(QString()), request.name.value_or(QString()));
    } else if (command == u"ring") {
        refused = device->farRing();
    } else if (command == u"cid") {
        refused = device->farCallerId(
            request.name.value_or(device->offeredName()), request.number.value_or(device->offeredNumber()));
    } else if (command == u"hangup") {
        refused = device->farHangup(pacing.clearDelayMs);
    } else if (command == u"answer") {
        refused = device->farAnswer();
    }
    if (refused.isEmpty() && sound)
        device->setFarEndSound(std::move(*sound));
    disconnect(progress);
    reply(socket, true, refused.isEmpty(), refused.isEmpty() ? QStringLiteral("done") : refused);
}

QString SimulatedLineServer::status(const SimulatedLineRequest& request) const
{
    QString out = QStringLiteral("simulated lines: %1, initialized: %2, initialize failures: %3\n")
                      .arg(m_lines->count())
                      .arg(m_lines->initializeCount())
                      .arg(m_lines->failures().describe());
    for (int i = 0; i < m_lines->count(); ++i)
        if (request.line < 0 || request.line == i)
            out += m_lines->device(i)->statusText();
    return out;
}

QString SimulatedLineServer::fail(const SimulatedLineRequest& request)
{
    if (request.line >= m_lines->count())
        return QStringLiteral("there is no simulated line %1 (this program has %2)")
            .arg(request.line)
            .arg(m_lines->count());
    const auto each = [&](auto action) {
        for (int i = 0; i < m_lines->count(); ++i)
            if (request.line < 0 || request.line == i)
                action(m_lines->device(i));
    };
    if (request.failures.isEmpty()) {
        m_lines->failures().clear();
        each([](SimulatedLineDevice* device) { device->failures().clear(); });
        return {};
    }
    for (const QString& what : request.failures) {
        if (what == u"initialize")
            m_lines->failures().set(what, request.times);
        else
            each([&](SimulatedLineDevice* device) { device->failures().set(what, request.times); });
    }
    return {};
}

#include "service/web/frmHTTP.h"

#include "common/AppPaths.h"
#include "common/CallStore.h"
#include "service/core/CallOptions.h"
#include "service/core/Journal.h"
#include "service/web/HttpRequest.h"
#include "service/web/HttpSlot.h"
#include "service/web/WebLog.h"
#include "service/web/mdlHttp.h"

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

const QByteArray kOk = "200 OK";
const QByteArray kNotFound = "404 Not Found";

QByteArray page(const QString& html)
{
    return HttpAnswer::whole(kOk, HttpAnswer::kHtml, html.toUtf8());
}

bool isNonZeroNumber(const QString& text)
{
    const std::optional<qint64> n = readWholeNumber(text);
    return n && *n != 0;
}

} // namespace

frmHTTP::frmHTTP(const WebAccessSettings& settings, Options options, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_options(std::move(options))
    , m_pages(m_options.productTitle, m_options.now)
{
}

frmHTTP::~frmHTTP()
{
    stop();
}

bool frmHTTP::start()
{
    stop();
    m_listenError.clear();
    m_listener = std::make_unique<QTcpServer>();
    // Room in the kernel's queue for a burst of as many connections as there
    // are slots, so none is dropped and retried a second later.
    m_listener->setListenBacklogSize(kSlotCount);
    connect(m_listener.get(), &QTcpServer::newConnection, this, &frmHTTP::acceptPending);
    const qint32 port = m_settings.RCWWWPort;
    bool listening = false;
    QString description;
    qint32 number = 0;
    if (port < 0 || port > std::numeric_limits<quint16>::max()) {
        description = QStringLiteral("The port ") + QString::number(port) + QStringLiteral(" is not valid");
        number = qint32(QAbstractSocket::UnsupportedSocketOperationError);
    } else {
        listening = m_listener->listen(QHostAddress::Any, quint16(port));
        description = m_listener->errorString();
        number = qint32(m_listener->serverError());
    }
    if (listening) {
        qCDebug(lcWeb) << "listening on port" << m_listener->serverPort();
        return true;
    }
    m_settings.RCWWWAllow = 0;
    m_listenError = description;
    www(QStringLiteral("Can't opening WWW,") + description + QStringLiteral(" (") + QString::number(number)
        + u')');
    sys(QStringLiteral("Can't opening WWW - ") + description, number, QStringLiteral("OpenWeb"));
    return false;
}

void frmHTTP::stop()
{
    if (m_listener) {
        m_listener->close();
        m_listener.reset();
    }
    for (HttpSlot*& slot : m_slots) {
        if (!slot)
            continue;
        HttpSlot* const dropped = std::exchange(slot, nullptr);
        dropped->disconnect(this);
        dropped->abort();
        dropped->deleteLater();
    }
}

bool frmHTTP::isListening() const
{
    return m_listener && m_listener->isListening();
}

quint16 frmHTTP::serverPort() const
{
    return isListening() ? m_listener->serverPort() : 0;
}

int frmHTTP::slotsTaken() const
{
    int taken = 0;
    for (const HttpSlot* slot : m_slots)
        taken += slot ? 1 : 0;
    return taken;
}

void frmHTTP::setSettings(const WebAccessSettings& settings)
{
    m_settings = settings;
}

void frmHTTP::acceptPending()
{
    // A connection that finds every slot taken waits, unanswered, until one
    // is freed.
    while (m_listener && m_listener->hasPendingConnections()) {
        const auto free = std::find(m_slots.begin(), m_slots.end(), nullptr);
        if (free == m_slots.end())
            return;
        QTcpSocket* const socket = m_listener->nextPendingConnection();
        if (!socket)
            return;
        const int index = int(free - m_slots.begin());
        auto* const slot
            = new HttpSlot(index, socket, m_options.idleTimeoutMs, m_options.maxRequestBytes, this);
        *free = slot;
        connect(slot, &HttpSlot::requestArrived, this, &frmHTTP::handleRequest);
        connect(slot, &HttpSlot::requestTooLarge, this, [this](HttpSlot* s) {
            journalError(QStringLiteral("errDataArrival:The request is too large (0)"));
            s->answer(HttpAnswer::whole("400 Bad Request", HttpAnswer::kText, "Bad Request\r\n"));
        });
        connect(slot, &HttpSlot::socketError, this, &frmHTTP::onSocketError);
        connect(slot, &HttpSlot::released, this, &frmHTTP::onReleased);
    }
}

void frmHTTP::handleRequest(HttpSlot* slot, const QByteArray& head)
{
    www(HttpRequest::journalText(head));
    const HttpRequest::Request request = HttpRequest::parse(head);
    if (!request.handled) {
        slot->closeWithoutAnswer();
        return;
    }
    if (m_settings.RCWWWProtect == 1) {
        const QByteArray expected = Base64Encode(m_settings.RCWWWUserName + u':' + m_settings.RCWWWPass);
        if (!request.basicToken || !HttpRequest::tokensEqual(*request.basicToken, expected)) {
            slot->answer(AccessDeniedResponse());
            return;
        }
    }
    QString path = request.path;
    if (path.isEmpty() || path.endsWith(u'/'))
        path = QStringLiteral("calls");
    answerRequest(slot, path);
}

void frmHTTP::answerRequest(HttpSlot* slot, const QString& path)
{
    static const QString kJournalFile = QStringLiteral("journal?dt=");
    static const QString kDelete = QStringLiteral("del?call=");

    if (path == u"calls" && m_settings.RCWWWViewCalls != 0) {
        slot->answer(page(m_pages.TopPage() + m_pages.Links() + QStringLiteral("\r\n") + m_pages.LastCalls()
            + m_pages.PageFooter()));
        return;
    }
    if (const qsizetype at = path.indexOf(kJournalFile); at >= 0) {
        slot->answer(page(m_pages.TopPage() + m_pages.Journal(path.mid(at + kJournalFile.size()))));
        return;
    }
    if (const qsizetype at = path.indexOf(kDelete); at >= 0) {
        const QString text = path.mid(at + kDelete.size());
        const std::optional<qint64> n = readWholeNumber(text);
        if (n && *n >= 1 && *n <= std::numeric_limits<qint32>::max()) {
            // A line that is gone already (a page shown before another delete).
            if (!DeleteFromLastList(qint32(*n)))
                journalError(QStringLiteral("errDataArrival:No line ") + text
                    + QStringLiteral(" in the recent calls to delete (0)"));
        } else if (!n) {
            journalError(
                QStringLiteral("errDataArrival:Not a line number: ") + text + QStringLiteral(" (0)"));
        }
        slot->answer(
            page(m_pages.TopPage() + m_pages.Links() + QStringLiteral("\r\n") + m_pages.LastCalls()));
        return;
    }
    if (path == u"journal" && isNonZeroNumber(m_settings.RCWWWViewLog)) {
        slot->answer(page(m_pages.TopPage() + m_pages.Journal()));
        return;
    }
    const QString programFolder = AppPaths::programFolder();
    if (const qsizetype slash = path.indexOf(u'/'); slash >= 0 && path.left(slash) == u"messages") {
        // Recordings only: the call-log tree, never the settings or lists
        // beside it.
        QStringList pieces = path.mid(slash + 1).split(u'/');
        for (QString& piece : pieces)
            piece = DecodeSpaces(piece);
        QString file;
        if (pieces.size() > 2 && pieces.at(0) == u"data" && pieces.at(1) == u"log")
            file = ResolveInFolder(programFolder + QStringLiteral("/Data/Log"), pieces.mid(2));
        sendFile(slot, file);
        return;
    }
    sendFile(
        slot, ResolveInFolder(programFolder + QStringLiteral("/WWW"), {DecodeSpaces(UrlLastSegment(path))}));
}

void frmHTTP::sendFile(HttpSlot* slot, const QString& path)
{
    if (path.isEmpty()) {
        slot->answer(HttpAnswer::internalError(kNotFound));
        return;
    }
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) {
        journalError(QStringLiteral("errDataArrival:") + file->errorString() + QStringLiteral(" (")
            + QString::number(int(file->error())) + u')');
        slot->answer(HttpAnswer::internalError("500 Internal Server Error"));
        return;
    }
    const qint64 length = file->size();
    slot->answerFile(HttpAnswer::head(kOk, ContentTypeFor(path), length), std::move(file), length);
}

void frmHTTP::onSocketError(HttpSlot*, int number, const QString& description)
{
    journalError(QStringLiteral("sender_Error:") + description + QStringLiteral(" (")
        + QString::number(number) + u')');
}

void frmHTTP::onReleased(HttpSlot* slot)
{
    const int index = slot->index();
    if (index >= 0 && index < kSlotCount && m_slots.at(index) == slot)
        m_slots.at(index) = nullptr;
    slot->disconnect(this);
    slot->deleteLater();
    acceptPending();
}

void frmHTTP::journalError(const QString& text)
{
    www(text);
    sys(text, 0, QString());
}

void frmHTTP::www(const QString& text) const
{
    if (m_options.wwwJournal)
        m_options.wwwJournal(text);
    else if (m_options.journal)
        m_options.journal->WriteWWWJournal(text);
}

void frmHTTP::sys(const QString& message, qint32 number, const QString& source) const
{
    if (m_options.sysJournal)
        m_options.sysJournal(message, number, source);
    else if (m_options.journal)
        m_options.journal->WriteSysJournal(message, number, source);
}

#include "service/web/frmHTTP.h"

#include "common/AppPaths.h"
#include "common/CallStore.h"
#include "common/Clock.h"
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
const QString CRLF = QStringLiteral("\r\n");

QByteArray page(const QString& html)
{
    return HttpAnswer::whole(kOk, HttpAnswer::kHtml, html.toUtf8());
}

// The deletion route: the query is exactly "call=" and the line number.
const QString kDeleteQuery = QStringLiteral("call=");
// The journal page's form adds the chosen file as "dt=".
const QString kJournalQuery = QStringLiteral("dt=");

// Why a deletion is refused, for the person who followed the link.
const QByteArray kNoSiteText = "Forbidden: a deletion must come from this site's own page (no Origin or "
                               "Referer was sent).\r\n";
const QByteArray kForeignSiteText = "Forbidden: a deletion must come from this site's own page.\r\n";

bool isNonZeroNumber(const QString& text)
{
    const std::optional<qint64> n = readWholeNumber(text);
    return n && *n != 0;
}

// A journal page's text read again, a block at a time, as the peer takes it,
// then the rest of the page.
class JournalPageBody final : public AnswerBody {
public:
    explicit JournalPageBody(const BuiltPage& built)
        : m_after(built.after)
    {
        m_open = m_text.open(built.journalPath, built.journalExtent);
    }
    std::optional<QByteArray> next(qint64) override
    {
        if (!m_open)
            return std::nullopt;
        if (!m_textDone) {
            std::optional<QByteArray> piece = m_text.next();
            if (!piece || !piece->isEmpty())
                return piece;
            m_textDone = true;
        }
        return std::exchange(m_after, QByteArray());
    }

private:
    JournalText m_text{true};
    QByteArray m_after;
    bool m_open = false;
    bool m_textDone = false;
};

void sendBuilt(HttpSlot* slot, const BuiltPage& built)
{
    if (built.journalPath.isEmpty()) {
        slot->answer(built.bytes);
        return;
    }
    slot->answerBody(
        built.bytes, std::make_unique<JournalPageBody>(built), built.journalTextBytes + built.after.size());
}

} // namespace

frmHTTP::frmHTTP(const WebAccessSettings& settings, Options options, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_options(std::move(options))
    , m_pages(m_options.productTitle, m_options.now)
{
    // Summaries of refusals are written when their minute is over, even
    // when no further request comes from that address.
    m_refusalSummaries.setInterval(int(RefusedRequests::kMinuteMs));
    connect(&m_refusalSummaries, &QTimer::timeout, this, &frmHTTP::journalRefusalSummaries);
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
    // Port 0 would listen on a port nobody asked for: a missing or mistyped
    // setting reads as 0.
    if (port < 1 || port > std::numeric_limits<quint16>::max()) {
        description = QStringLiteral("The port ") + QString::number(port) + QStringLiteral(" is not valid");
        number = qint32(QAbstractSocket::UnsupportedSocketOperationError);
    } else {
        listening = m_listener->listen(QHostAddress::Any, m_options.anyPort ? quint16(0) : quint16(port));
        description = m_listener->errorString();
        number = qint32(m_listener->serverError());
    }
    if (listening) {
        qCDebug(lcWeb) << "listening on port" << m_listener->serverPort();
        m_refusalSummaries.start();
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
    m_builder.cancelAll();
    m_refusalSummaries.stop();
    // What was left out is said even when its minute is not over.
    for (const QString& summary : m_refusals.takeSummaries(std::numeric_limits<qint64>::max()))
        www(summary);
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
    m_connectionsOf.clear();
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
    // A slot released below, to make room, asks again: this loop goes on.
    if (m_accepting)
        return;
    m_accepting = true;
    // A connection that finds every slot taken by authenticated connections
    // waits, unanswered, until one is freed.
    while (m_listener && m_listener->hasPendingConnections()) {
        auto free = std::find(m_slots.begin(), m_slots.end(), nullptr);
        if (free == m_slots.end() && !longestWaitingUnauthenticated())
            break;
        QTcpSocket* const socket = m_listener->nextPendingConnection();
        if (!socket)
            break;
        const QString peer = HttpSlot::peerText(socket->peerAddress());
        if (m_connectionsOf.value(peer) >= m_options.connectionsPerAddress) {
            qCDebug(lcWeb) << peer << "holds its share of slots already";
            socket->abort();
            socket->deleteLater();
            continue;
        }
        if (free == m_slots.end()) {
            HttpSlot* const waiting = longestWaitingUnauthenticated();
            qCDebug(lcWeb) << "slot" << waiting->index() << "makes room";
            waiting->abort(); // released: its place is free now
            free = std::find(m_slots.begin(), m_slots.end(), nullptr);
        }
        const int index = int(free - m_slots.begin());
        auto* const slot = new HttpSlot(index, socket, m_options.limits, m_options.maxRequestBytes, this);
        *free = slot;
        m_acceptedOrder.at(index) = ++m_accepted;
        ++m_connectionsOf[slot->peer()];
        connect(slot, &HttpSlot::requestArrived, this, &frmHTTP::handleRequest);
        connect(slot, &HttpSlot::requestTooLarge, this, [this](HttpSlot* s, const QByteArray& start) {
            refuse(s, HttpAnswer::badRequest(), HttpRequest::shortJournalText(start, 400),
                QStringLiteral("errDataArrival:The request is too large (0)"));
        });
        connect(slot, &HttpSlot::socketError, this, &frmHTTP::onSocketError);
        connect(slot, &HttpSlot::released, this, &frmHTTP::onReleased);
    }
    m_accepting = false;
}

HttpSlot* frmHTTP::longestWaitingUnauthenticated() const
{
    HttpSlot* oldest = nullptr;
    quint64 oldestOrder = 0;
    for (int i = 0; i < kSlotCount; ++i) {
        HttpSlot* const slot = m_slots.at(i);
        if (slot && !slot->isAuthenticated() && (!oldest || m_acceptedOrder.at(i) < oldestOrder)) {
            oldest = slot;
            oldestOrder = m_acceptedOrder.at(i);
        }
    }
    return oldest;
}

void frmHTTP::handleRequest(HttpSlot* slot, const QByteArray& head)
{
    const HttpRequest::Request request = HttpRequest::parse(head);
    if (request.method == HttpRequest::Method::None || request.malformedHeader) {
        refuse(slot, HttpAnswer::badRequest(), HttpRequest::shortJournalText(head, 400));
        return;
    }
    slot->setHeadOnly(request.method == HttpRequest::Method::Head);
    if (m_settings.RCWWWProtect == 1) {
        const QByteArray expected = Base64Encode(m_settings.RCWWWUserName + u':' + m_settings.RCWWWPass);
        if (!request.basicToken || !HttpRequest::tokensEqual(*request.basicToken, expected)) {
            refuse(slot, AccessDeniedResponse(), HttpRequest::shortJournalText(head, 401));
            return;
        }
        slot->setAuthenticated();
    }
    if (request.method == HttpRequest::Method::Other) {
        slot->setHeadOnly(false);
        refuse(slot, HttpAnswer::notImplemented(), HttpRequest::shortJournalText(head, 501));
        return;
    }
    answerRequest(slot, request, head);
}

void frmHTTP::admit(const QByteArray& head)
{
    www(HttpRequest::journalText(head));
}

void frmHTTP::refuse(HttpSlot* slot, const QByteArray& answer, const QString& wwwText, const QString& sysText)
{
    QStringList summaries;
    const bool ownLine = m_refusals.admit(slot->peer(), Clock::instance().elapsedMs(), summaries);
    for (const QString& summary : summaries)
        www(summary);
    if (ownLine) {
        www(wwwText);
        if (!sysText.isEmpty())
            sys(sysText, 0, QString());
    }
    slot->answer(answer);
}

void frmHTTP::journalRefusalSummaries()
{
    for (const QString& summary : m_refusals.takeSummaries(Clock::instance().elapsedMs()))
        www(summary);
}

void frmHTTP::answerRequest(HttpSlot* slot, const HttpRequest::Request& request, const QByteArray& head)
{
    QString path = request.path;
    if (path.isEmpty() || path.endsWith(u'/'))
        path = QStringLiteral("calls");

    const bool viewCalls = m_settings.RCWWWViewCalls != 0;
    const bool viewLog = isNonZeroNumber(m_settings.RCWWWViewLog);
    if (path == u"calls" && viewCalls) {
        admit(head);
        answerPage(slot, QStringLiteral("calls"), [](const WebPages& pages) -> QString {
            return pages.TopPage() + pages.Links() + CRLF + pages.LastCalls() + pages.PageFooter();
        });
        return;
    }
    if (path == u"journal" && viewLog && request.query.startsWith(kJournalQuery)) {
        admit(head);
        answerJournalPage(slot, request.query.mid(kJournalQuery.size()));
        return;
    }
    if (path == u"del" && viewCalls && request.query.startsWith(kDeleteQuery)) {
        // A link on another site must not delete through the visitor's
        // browser: only this site's own pages may, and a browser names the
        // page a request comes from.
        if (!request.origin && !request.referer) {
            refuse(slot, HttpAnswer::forbidden(kNoSiteText),
                QStringLiteral("errDataArrival:Deletion asked without Origin or Referer (403)"));
            return;
        }
        for (const std::optional<QByteArray>& site : {request.origin, request.referer}) {
            if (site && HttpRequest::isForeignSite(*site, request.host)) {
                const QString text = QStringLiteral("errDataArrival:Deletion asked from another site: ")
                    + HttpRequest::siteText(*site) + QStringLiteral(" (403)");
                refuse(slot, HttpAnswer::forbidden(kForeignSiteText), text, text);
                return;
            }
        }
        admit(head);
        const QString text = request.query.mid(kDeleteQuery.size());
        const std::optional<qint64> n = readWholeNumber(text);
        // HEAD asks what a GET would show; it changes nothing.
        if (request.method != HttpRequest::Method::Head) {
            if (n && *n >= 1 && *n <= std::numeric_limits<qint32>::max()) {
                // A line that is gone already (a page shown before another delete).
                if (!DeleteFromLastList(qint32(*n)))
                    journalError(QStringLiteral("errDataArrival:No line ") + text
                        + QStringLiteral(" in the recent calls to delete (0)"));
            } else if (!n) {
                journalError(QStringLiteral("errDataArrival:Not a line number: ") + text.left(200)
                    + QStringLiteral(" (0)"));
            }
        }
        answerPage(slot, QString(), [](const WebPages& pages) -> QString {
            return pages.TopPage() + pages.Links() + CRLF + pages.LastCalls();
        });
        return;
    }
    if (path == u"journal" && viewLog) {
        admit(head);
        answerPage(slot, QStringLiteral("journal"),
            [](const WebPages& pages) -> QString { return pages.TopPage() + pages.Journal(); });
        return;
    }
    const QString programFolder = AppPaths::programFolder();
    QString file;
    if (const qsizetype slash = path.indexOf(u'/'); slash >= 0 && path.left(slash) == u"messages") {
        // Recordings only: the call-log tree, never the settings or lists
        // beside it.
        QStringList pieces = path.mid(slash + 1).split(u'/');
        for (QString& piece : pieces)
            piece = DecodeSpaces(piece);
        if (pieces.size() > 2 && pieces.at(0) == u"data" && pieces.at(1) == u"log")
            file = ResolveInFolder(programFolder + QStringLiteral("/Data/Log"), pieces.mid(2));
    } else {
        file = ResolveInFolder(programFolder + QStringLiteral("/WWW"), {DecodeSpaces(UrlLastSegment(path))});
    }
    if (file.isEmpty()) {
        refuse(slot, HttpAnswer::internalError(kNotFound), HttpRequest::shortJournalText(head, 404));
        return;
    }
    admit(head);
    sendFile(slot, file);
}

void frmHTTP::answerPage(HttpSlot* slot, const QString& key, std::function<QString(const WebPages&)> build)
{
    // The time shown is the time of the request, taken here: the worker
    // reads no clock of the loop's.
    const QDateTime now = m_options.now ? m_options.now() : Clock::instance().now();
    m_builder.request(
        key,
        [title = m_options.productTitle, now, build = std::move(build)] {
            const WebPages pages(title, [now] { return now; });
            BuiltPage built;
            built.bytes = page(build(pages));
            return built;
        },
        slot, [slot](const BuiltPage& built) { sendBuilt(slot, built); });
}

void frmHTTP::answerJournalPage(HttpSlot* slot, const QString& file)
{
    const QDateTime now = m_options.now ? m_options.now() : Clock::instance().now();
    m_builder.request(
        QStringLiteral("journal?dt=") + file,
        [title = m_options.productTitle, now, file] {
            const WebPages pages(title, [now] { return now; });
            const WebPages::JournalPiece piece = pages.JournalAround(file);
            BuiltPage built;
            const QByteArray before = (pages.TopPage() + piece.before).toUtf8();
            built.after = piece.after.toUtf8();
            // Read through once for the length the head announces; the text
            // itself is read again as it goes out. A file that cannot be read
            // shows no text, as when it is missing.
            JournalText text(true);
            qint64 textBytes = 0;
            bool read = !piece.path.isEmpty() && text.open(piece.path);
            while (read) {
                const std::optional<QByteArray> block = text.next();
                read = block.has_value();
                if (!block || block->isEmpty())
                    break;
                textBytes += block->size();
            }
            if (read) {
                built.journalPath = piece.path;
                built.journalExtent = text.extent();
                built.journalTextBytes = textBytes;
            } else {
                textBytes = 0;
            }
            built.bytes
                = HttpAnswer::head(kOk, HttpAnswer::kHtml, before.size() + textBytes + built.after.size())
                + before;
            if (!read)
                built.bytes += std::exchange(built.after, QByteArray());
            return built;
        },
        slot, [slot](const BuiltPage& built) { sendBuilt(slot, built); });
}

void frmHTTP::sendFile(HttpSlot* slot, const QString& path)
{
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
    if (index >= 0 && index < kSlotCount && m_slots.at(index) == slot) {
        m_slots.at(index) = nullptr;
        const auto held = m_connectionsOf.find(slot->peer());
        if (held != m_connectionsOf.end() && --*held <= 0)
            m_connectionsOf.erase(held);
    }
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

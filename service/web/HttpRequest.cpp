#include "service/web/HttpRequest.h"

#include <QByteArrayList>

#include <algorithm>
#include <cstring>
#include <iterator>

#include <utility>

namespace HttpRequest {

namespace {

QByteArray withoutLineEnd(QByteArray line)
{
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

QByteArrayList headLines(const QByteArray& head)
{
    QByteArrayList lines = head.split('\n');
    for (QByteArray& line : lines)
        line = withoutLineEnd(line);
    return lines;
}

} // namespace

HeadState findHead(const QByteArray& buffer, qsizetype maxBytes, qsizetype& headLength)
{
    const qsizetype lineEnd = buffer.indexOf('\n');
    if (lineEnd >= 0) {
        const QByteArray requestLine = withoutLineEnd(buffer.left(lineEnd));
        // "METHOD target" with no version: a request without a header.
        if (requestLine.count(' ') < 2) {
            headLength = lineEnd + 1;
            return headLength > maxBytes ? HeadState::TooLarge : HeadState::Complete;
        }
        qsizetype from = 0;
        while (true) {
            const qsizetype nl = buffer.indexOf('\n', from);
            if (nl < 0)
                break;
            qsizetype next = nl + 1;
            if (next < buffer.size() && buffer.at(next) == '\r')
                ++next;
            if (next < buffer.size() && buffer.at(next) == '\n') {
                headLength = next + 1;
                return headLength > maxBytes ? HeadState::TooLarge : HeadState::Complete;
            }
            from = nl + 1;
        }
    }
    return buffer.size() > maxBytes ? HeadState::TooLarge : HeadState::Incomplete;
}

namespace {

bool isTokenChar(char c)
{
    static constexpr char kMarks[] = "!#$%&'*+-.^_`|~";
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
        || (c != '\0' && std::strchr(kMarks, c) != nullptr);
}

// Whether line is "name: value" with a token for its name, the colon right
// after it.
bool isWellFormedHeader(const QByteArray& line)
{
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0)
        return false;
    return std::all_of(line.begin(), line.begin() + colon, isTokenChar);
}

// The value of a header line named name (any letter case), else nullopt.
std::optional<QByteArray> headerValue(const QByteArray& line, const QByteArray& name)
{
    const qsizetype colon = line.indexOf(':');
    if (colon < 0 || line.left(colon).toLower() != name)
        return std::nullopt;
    return line.mid(colon + 1).trimmed();
}

QByteArray requestLineOf(const QByteArray& head)
{
    const qsizetype end = head.indexOf('\n');
    return withoutLineEnd(end < 0 ? head : head.left(end));
}

// The host and port of an authority ("host", "host:port", "[v6]:port"),
// lower-cased, the port defaultPort when none is given.
QByteArray normalAuthority(QByteArray authority, const QByteArray& defaultPort)
{
    authority = authority.trimmed().toLower();
    const qsizetype bracket = authority.lastIndexOf(']');
    const qsizetype colon = authority.lastIndexOf(':');
    if (colon < 0 || colon < bracket)
        authority += ':' + defaultPort;
    else if (colon == authority.size() - 1)
        authority += defaultPort;
    return authority;
}

} // namespace

Request parse(const QByteArray& head)
{
    Request request;
    const QByteArrayList lines = headLines(head);
    const QByteArray requestLine = lines.value(0);
    const qsizetype space = requestLine.indexOf(' ');
    request.methodText = space < 0 ? requestLine : requestLine.left(space);
    if (request.methodText.isEmpty())
        request.method = Method::None;
    else if (request.methodText == "GET")
        request.method = Method::Get;
    else if (request.methodText == "POST")
        request.method = Method::Post;
    else if (request.methodText == "HEAD")
        request.method = Method::Head;
    else
        request.method = Method::Other;

    QByteArray target = space < 0 ? QByteArray() : requestLine.mid(space + 1);
    const qsizetype end = target.indexOf(' ');
    if (end >= 0)
        target.truncate(end);
    request.target = target;
    // The first character is the "/" of the target, whatever it is.
    QString path = QString::fromUtf8(target.mid(1));
    const qsizetype question = path.indexOf(u'?');
    if (question >= 0) {
        request.query = path.mid(question + 1).toLower();
        path.truncate(question);
    }
    while (path.endsWith(u' '))
        path.chop(1);
    request.path = path.toLower();

    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines.at(i);
        if (line.isEmpty())
            break; // the end of the head
        if (!isWellFormedHeader(line)) {
            request.malformedHeader = true;
            break;
        }
        if (!request.basicToken) {
            if (const std::optional<QByteArray> value = headerValue(line, "authorization")) {
                const qsizetype blank = value->indexOf(' ');
                const QByteArray scheme = blank < 0 ? *value : value->left(blank);
                if (scheme.toLower() == "basic")
                    request.basicToken = blank < 0 ? QByteArray() : value->mid(blank + 1).trimmed();
                else
                    request.basicToken = QByteArray(); // another scheme: no Basic credentials
                continue;
            }
        }
        for (auto [name, field] : {std::pair{"host", &request.host}, std::pair{"origin", &request.origin},
                 std::pair{"referer", &request.referer}}) {
            if (!*field) {
                if (std::optional<QByteArray> value = headerValue(line, name)) {
                    *field = std::move(value);
                    break;
                }
            }
        }
    }
    return request;
}

bool isCredentialHeader(const QByteArray& name)
{
    static const char* const kParts[]
        = {"auth", "cookie", "token", "key", "pass", "secret", "session", "credential", "signature"};
    const QByteArray lower = name.trimmed().toLower();
    return std::any_of(
        std::begin(kParts), std::end(kParts), [&](const char* part) { return lower.contains(part); });
}

QString journalText(const QByteArray& head, qsizetype maxBytes)
{
    QByteArrayList lines = head.split('\n');
    // The request line is no header, whatever its colons.
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QByteArray& line = lines[i];
        const qsizetype colon = line.indexOf(':');
        // A credential folded into another header's value is masked too.
        if (colon >= 0
            && (isCredentialHeader(line.left(colon))
                || line.mid(colon + 1).toLower().contains("authorization"))) {
            const bool cr = line.endsWith('\r');
            line = line.left(colon + 1) + " *****" + (cr ? "\r" : "");
        }
    }
    QByteArray text = lines.join('\n');
    if (text.size() > maxBytes) {
        qsizetype cut = maxBytes;
        // Back to the start of a character: never half of one.
        while (cut > 0 && (uchar(text.at(cut)) & 0xC0) == 0x80)
            --cut;
        text.truncate(cut);
    }
    return QString::fromUtf8(text);
}

QString shortJournalText(const QByteArray& head, int status)
{
    static constexpr qsizetype kMethodChars = 20;
    static constexpr qsizetype kTargetChars = 200;
    const QByteArray requestLine = requestLineOf(head);
    const qsizetype space = requestLine.indexOf(' ');
    const QString method = QString::fromUtf8(space < 0 ? requestLine : requestLine.left(space));
    QByteArray target = space < 0 ? QByteArray() : requestLine.mid(space + 1);
    if (const qsizetype end = target.indexOf(' '); end >= 0)
        target.truncate(end);
    return method.left(kMethodChars) + u' ' + QString::fromUtf8(target).left(kTargetChars) + u' '
        + QString::number(status);
}

bool isForeignSite(const QByteArray& originOrReferer, const std::optional<QByteArray>& host)
{
    if (!host)
        return true;
    const QByteArray site = originOrReferer.trimmed();
    const qsizetype schemeEnd = site.indexOf("://");
    if (schemeEnd <= 0)
        return true;
    // The server speaks plain HTTP only: an https page is another site.
    if (site.left(schemeEnd).toLower() != "http")
        return true;
    QByteArray authority = site.mid(schemeEnd + 3);
    for (const char stop : {'/', '?', '#'}) {
        if (const qsizetype at = authority.indexOf(stop); at >= 0)
            authority.truncate(at);
    }
    // Credentials in the address are no part of the host.
    if (const qsizetype at = authority.lastIndexOf('@'); at >= 0)
        authority = authority.mid(at + 1);
    return normalAuthority(authority, "80") != normalAuthority(*host, "80");
}

QString siteText(const QByteArray& originOrReferer)
{
    QByteArray site = originOrReferer.trimmed();
    const qsizetype schemeEnd = site.indexOf("://");
    const qsizetype from = schemeEnd < 0 ? 0 : schemeEnd + 3;
    qsizetype end = site.size();
    for (const char stop : {'/', '?', '#'}) {
        if (const qsizetype at = site.indexOf(stop, from); at >= 0)
            end = qMin(end, at);
    }
    if (const qsizetype at = site.lastIndexOf('@', end - 1); at >= from)
        site.replace(from, at - from, "*****");
    return QString::fromUtf8(site.left(200));
}

bool tokensEqual(const QByteArray& token, const QByteArray& expected)
{
    // Every byte of the longer text is looked at, whatever the result.
    const qsizetype n = qMax(token.size(), expected.size());
    unsigned difference = token.size() == expected.size() ? 0u : 1u;
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned char a = i < token.size() ? uchar(token.at(i)) : 0;
        const unsigned char b = i < expected.size() ? uchar(expected.at(i)) : 0;
        difference |= unsigned(a ^ b);
    }
    return difference == 0;
}

} // namespace HttpRequest

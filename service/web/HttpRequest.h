#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// One request as the web server reads it: the header only (a POST body is
// ignored), taken whole before it is handled.
namespace HttpRequest {

enum class HeadState { Incomplete, Complete, TooLarge };

// Whether buffer holds the whole head of a request: up to the empty line that
// ends its header, or only the request line when that carries no version (a
// bare "GET /calls" line, which has no header). headLength then holds the
// bytes the head takes. More than maxBytes without an end is TooLarge.
HeadState findHead(const QByteArray& buffer, qsizetype maxBytes, qsizetype& headLength);

struct Request {
    bool handled = false; // the method is exactly "GET" or "POST"
    // The request target without its first character (the "/"), with
    // trailing blanks removed and lower-cased.
    QString path;
    // The token of the first "Authorization: Basic " header (name and scheme
    // in exactly that case), nullopt when there is none.
    std::optional<QByteArray> basicToken;
};

Request parse(const QByteArray& head);

// The head as the web journal keeps it: credentials are replaced by "*****".
QString journalText(const QByteArray& head);

// Whether the token equals expected, compared in time that does not depend on
// where they differ.
bool tokensEqual(const QByteArray& token, const QByteArray& expected);

} // namespace HttpRequest

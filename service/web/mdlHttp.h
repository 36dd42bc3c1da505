#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Path and answer helpers of the web server.

// The piece after the last "/" (the whole text when there is none).
QString UrlLastSegment(const QString& urlPath);

// Base64 of the text's bytes (UTF-8), as a browser sends Basic credentials.
QByteArray Base64Encode(const QString& text);

// The file named by the pieces, each found without regard to letter case,
// inside folder and nowhere else: a piece that is empty, "." or "..", or holds
// a backslash, a "%" (any escape but the "%20" already decoded), a control
// character or NUL, and a name that resolves (through a link, say) outside
// folder or to anything but a file, give an empty result, as a missing file.
QString ResolveInFolder(const QString& folder, const QStringList& pieces);

// "%20" turned into a space; no other escape is decoded.
QString DecodeSpaces(const QString& piece);

// The media type of a file served by name.
QByteArray ContentTypeFor(const QString& fileName);

namespace HttpAnswer {

// Status line and headers of a whole answer of length bytes; the connection
// is closed after it.
QByteArray head(const QByteArray& status, const QByteArray& contentType, qint64 length);
// A whole answer: head and body.
QByteArray whole(const QByteArray& status, const QByteArray& contentType, const QByteArray& body);

// The page types.
inline constexpr char kHtml[] = "text/html; charset=utf-8";
inline constexpr char kText[] = "text/plain; charset=utf-8";

// "Internal Error" CR LF, the body of every refused or missing file.
QByteArray internalError(const QByteArray& status);

// 400: a request without a method, or a head too large.
QByteArray badRequest();
// 403: a deletion asked from another site, or from none; text says why.
QByteArray forbidden(const QByteArray& text = "Forbidden\r\n");
// 501: a method the server does not handle; says which it does.
QByteArray notImplemented();

} // namespace HttpAnswer

// The refusal when the credentials are missing or wrong: its six lines, the
// end of the header and a body of exactly the announced 118 bytes.
QByteArray AccessDeniedResponse();

#include "service/web/mdlHttp.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

QString UrlLastSegment(const QString& urlPath)
{
    return urlPath.mid(urlPath.lastIndexOf(u'/') + 1);
}

QByteArray Base64Encode(const QString& text)
{
    return text.toUtf8().toBase64();
}

QString DecodeSpaces(const QString& piece)
{
    QString decoded = piece;
    return decoded.replace(QStringLiteral("%20"), QStringLiteral(" "));
}

namespace {

bool isSafePiece(const QString& piece)
{
    if (piece.isEmpty() || piece == u"." || piece == u"..")
        return false;
    for (const QChar c : piece) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == u'\\' || c == u'/' || c == u'%')
            return false;
    }
    return true;
}

// The entry of dir named piece: the exact name first, else the first of the
// folder's entries that differs only in letter case.
QString findEntry(const QDir& dir, const QString& piece)
{
    if (QFileInfo::exists(dir.filePath(piece)))
        return piece;
    const QStringList entries
        = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(piece, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return {};
}

} // namespace

QString ResolveInFolder(const QString& folder, const QStringList& pieces)
{
    if (pieces.isEmpty())
        return {};
    const QString base = QFileInfo(folder).canonicalFilePath();
    if (base.isEmpty())
        return {};
    QDir dir(base);
    QString path;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const QString& piece = pieces.at(i);
        if (!isSafePiece(piece))
            return {};
        const QString entry = findEntry(dir, piece);
        if (entry.isEmpty())
            return {};
        path = dir.filePath(entry);
        if (i + 1 < pieces.size())
            dir.setPath(path);
    }
    // A link inside the folder may still point out of it.
    const QFileInfo file(path);
    const QString canonical = file.canonicalFilePath();
    if (canonical.isEmpty() || !canonical.startsWith(base + u'/') || !QFileInfo(canonical).isFile())
        return {};
    return canonical;
}

QByteArray ContentTypeFor(const QString& fileName)
{
    static const QHash<QString, QByteArray> types = {
        {QStringLiteral("htm"), "text/html"},
        {QStringLiteral("html"), "text/html"},
        {QStringLiteral("css"), "text/css"},
        {QStringLiteral("js"), "text/javascript"},
        {QStringLiteral("txt"), "text/plain"},
        {QStringLiteral("png"), "image/png"},
        {QStringLiteral("gif"), "image/gif"},
        {QStringLiteral("jpg"), "image/jpeg"},
        {QStringLiteral("jpeg"), "image/jpeg"},
        {QStringLiteral("ico"), "image/x-icon"},
        {QStringLiteral("svg"), "image/svg+xml"},
        {QStringLiteral("wav"), "audio/wav"},
    };
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0)
        return "application/octet-stream";
    return types.value(fileName.mid(dot + 1).toLower(), "application/octet-stream");
}

namespace HttpAnswer {

QByteArray head(const QByteArray& status, const QByteArray& contentType, qint64 length)
{
    return "HTTP/1.0 " + status + "\r\nContent-Type: " + contentType
        + "\r\nContent-Length: " + QByteArray::number(length) + "\r\nConnection: close\r\n\r\n";
}

QByteArray whole(const QByteArray& status, const QByteArray& contentType, const QByteArray& body)
{
    return head(status, contentType, body.size()) + body;
}

QByteArray internalError(const QByteArray& status)
{
    return whole(status, kText, "Internal Error\r\n");
}

QByteArray badRequest()
{
    return whole("400 Bad Request", kText, "Bad Request\r\n");
}

QByteArray forbidden(const QByteArray& text)
{
    return whole("403 Forbidden", kText, text);
}

QByteArray notImplemented()
{
    const QByteArray body = "Not Implemented\r\n";
    return "HTTP/1.0 501 Not Implemented\r\nAllow: GET, POST\r\nContent-Type: " + QByteArray(kText)
        + "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

} // namespace HttpAnswer

QByteArray AccessDeniedResponse()
{
    // The header announces 118 bytes: the body is made to that length.
    static const QByteArray body = "<html><head><title>401 Access Denied</title></head>\r\n"
                                   "<body><h1>Access Denied</h1><p>Please log in.</p></body></html>\r\n";
    return "HTTP/1.0 401 Access Denied\r\n"
           "Server: Tallyhouse 5.0\r\n"
           "WWW-Authenticate: Basic realm =\"Tallyhouse\"\r\n"
           "Content-Type: text/html\r\n"
           "Connection: Keep-Alive\r\n"
           "Content-Length: 118"
           "\r\n\r\n"
        + body;
}

#include "service/web/HttpRequest.h"

#include <QByteArrayList>

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

Request parse(const QByteArray& head)
{
    Request request;
    const QByteArrayList lines = headLines(head);
    const QByteArray requestLine = lines.value(0);
    const qsizetype space = requestLine.indexOf(' ');
    const QByteArray method = space < 0 ? requestLine : requestLine.left(space);
    request.handled = method == "GET" || method == "POST";
    if (!request.handled)
        return request;
    QByteArray target = requestLine.mid(space + 1);
    const qsizetype end = target.indexOf(' ');
    if (end >= 0)
        target.truncate(end);
    // The first character is the "/" of the target, whatever it is.
    QString path = QString::fromUtf8(target.mid(1));
    while (path.endsWith(u' '))
        path.chop(1);
    request.path = path.toLower();

    static const QByteArray kBasic = "Authorization: Basic ";
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines.at(i).startsWith(kBasic)) {
            request.basicToken = lines.at(i).mid(kBasic.size()).trimmed();
            break;
        }
    }
    return request;
}

QString journalText(const QByteArray& head)
{
    QByteArrayList lines = head.split('\n');
    for (QByteArray& line : lines) {
        if (line.toLower().startsWith("authorization:")) {
            const bool cr = line.endsWith('\r');
            line = line.left(line.indexOf(':') + 1) + " *****" + (cr ? "\r" : "");
        }
    }
    return QString::fromUtf8(lines.join('\n'));
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

#include "common/EscapedText.h"

namespace EscapedText {

namespace {

int hexDigit(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

} // namespace

QString escape(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\\')
            out += u"\\\\";
        else if (c == u'\r')
            out += u"\\r";
        else if (c == u'\n')
            out += u"\\n";
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'));
        else
            out += c;
    }
    return out;
}

std::optional<QString> unescape(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\\') {
            out += c;
            continue;
        }
        if (++i >= text.size())
            return std::nullopt;
        const QChar kind = text.at(i);
        if (kind == u'\\') {
            out += u'\\';
        } else if (kind == u'r') {
            out += u'\r';
        } else if (kind == u'n') {
            out += u'\n';
        } else if (kind == u'x' && i + 2 < text.size() && hexDigit(text.at(i + 1)) >= 0
            && hexDigit(text.at(i + 2)) >= 0) {
            out += QChar(static_cast<char16_t>(hexDigit(text.at(i + 1)) * 16 + hexDigit(text.at(i + 2))));
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

} // namespace EscapedText

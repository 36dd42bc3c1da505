#include "common/CallTemplate.h"

#include "common/DateTimeText.h"

#include <optional>

namespace {

// The desktop's filler knows the first ten.
constexpr const char16_t* kPlaceholders[] = {
    u"<CALLER_NUMBER>",
    u"<CALLER_NAME>",
    u"<MESSAGE_PATH>",
    u"<DATE>",
    u"<TIME>",
    u"<CONTACT>",
    u"<CALL_TYPE>",
    u"<LENGTH>",
    u"<READ>",
    u"<MESSAGEORCALL>",
    // Keys of a telephone menu, which this system has not: removed.
    u"<PLAY>",
    u"<PREV>",
    u"<EXIT>",
    u"<NEXT>",
    u"<FIRST>",
    u"<DELETE>",
    u"<MARK>",
};
constexpr qsizetype kDesktopPlaceholders = 10;

// The call type as a number, -1 when it is none. The service keeps it as the
// record's text, where only the exact codes count; the desktop as a number.
int callTypeNumber(const CallInfo& call, TemplateRule rule)
{
    if (rule == TemplateRule::Desktop) {
        bool ok = false;
        const qint16 number = call.CallType.toShort(&ok);
        return ok ? number : -1;
    }
    static constexpr const char16_t* kCodes[] = {u"0", u"1", u"2", u"3", u"4"};
    for (int i = 0; i < 5; ++i) {
        if (call.CallType == QStringView(kCodes[i]))
            return i;
    }
    return -1;
}

// The value of placeholder index, or nullopt when the placeholder stays.
std::optional<QString> valueOf(qsizetype index, const CallInfo& call, TemplateRule rule)
{
    switch (index) {
    case 0:
        if (rule == TemplateRule::Desktop || call.CallerNumber == u"UNKNOWN")
            return call.CallerNumber;
        return SpellOutChars(call.CallerNumber);
    case 1:
        return call.CallerName;
    case 2:
        return call.MessagePath;
    case 3: {
        const auto date = DateTimeText::parseDate(call.CallDate);
        return date ? DateTimeText::formatLongDate(*date) : call.CallDate;
    }
    case 4: {
        const auto time = DateTimeText::parseTime(call.CallTime);
        return time ? DateTimeText::formatMediumTime(*time) : call.CallTime;
    }
    case 5:
        return call.ContactName;
    case 6: {
        static constexpr const char16_t* kNames[] = {u"In Coming Call", u"Out Going Call", u"Voice Message",
            u"In Coming Recorded Call", u"Out Going Recorded Call"};
        const int type = callTypeNumber(call, rule);
        if (type < 0 || type > 4)
            return std::nullopt;
        return QString::fromUtf16(kNames[type]);
    }
    case 7:
        return call.Length;
    case 8:
        return call.ReadMark == 1 ? QStringLiteral("read") : QStringLiteral("unread");
    case 9: {
        const int type = callTypeNumber(call, rule);
        return type >= 2 && type <= 4 ? QStringLiteral("voice message") : QStringLiteral("call");
    }
    default:
        return QString();
    }
}

} // namespace

QString FillCallTemplate(const QString& text, const CallInfo& call, TemplateRule rule, TemplateValues values)
{
    // One copy, so the values cannot change under the filling.
    const CallInfo snapshot = call;
    const qsizetype known = rule == TemplateRule::Desktop ? kDesktopPlaceholders : std::size(kPlaceholders);
    const QStringView rest(text);
    QString filled;
    filled.reserve(text.size());
    // One walk over the template: what a value brings in is never read again.
    for (qsizetype at = 0; at < text.size();) {
        qsizetype matched = -1;
        if (text.at(at) == u'<') {
            for (qsizetype i = 0; i < known && matched < 0; ++i) {
                if (rest.mid(at).startsWith(QStringView(kPlaceholders[i])))
                    matched = i;
            }
        }
        if (matched < 0) {
            filled.append(text.at(at++));
            continue;
        }
        const QStringView placeholder(kPlaceholders[matched]);
        std::optional<QString> value = valueOf(matched, snapshot, rule);
        if (!value)
            filled.append(placeholder);
        else if (values == TemplateValues::MarkupEscaped)
            filled.append(EscapeSpeechMarkup(*value));
        else
            filled.append(*value);
        at += placeholder.size();
    }
    return filled;
}

QString SpellOutChars(const QString& text)
{
    QString spelled;
    spelled.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        spelled.append(text[i]);
        // A character outside the basic plane stays whole.
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            spelled.append(text[++i]);
        spelled.append(u' ');
    }
    return spelled;
}

QString EscapeSpeechMarkup(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'&')
            escaped.append(u"&amp;");
        else if (c == u'<')
            escaped.append(u"&lt;");
        else if (c == u'>')
            escaped.append(u"&gt;");
        else
            escaped.append(c);
    }
    return escaped;
}

QString DefaultMailMessage()
{
    return QStringLiteral("Call Details-\r\n"
                          "Call Type : <CALL_TYPE>\r\n"
                          "Date : <DATE>\r\n"
                          "Time : <TIME>\r\n"
                          "Caller Name : <CALLER_NAME>\r\n"
                          "Caller Number : <CALLER_NUMBER>\r\n"
                          "Contact : <CONTACT>\r\n");
}

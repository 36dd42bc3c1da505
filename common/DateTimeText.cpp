#include "common/DateTimeText.h"

#include "common/Clock.h"

namespace DateTimeText {

namespace {

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

// The number written by the digits text[from, from + count), or -1 when any of
// them is not an ASCII digit.
int digitsAt(QStringView text, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

} // namespace

QString formatDate(const QDate& date)
{
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return {};
    return twoDigits(date.month()) + u'/' + twoDigits(date.day()) + u'/'
        + QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
}

QString formatTime(const QTime& time)
{
    if (!time.isValid())
        return {};
    return twoDigits(time.hour()) + u':' + twoDigits(time.minute()) + u':' + twoDigits(time.second());
}

QString formatLongDate(const QDate& date)
{
    static constexpr const char16_t* kDays[]
        = {u"Monday", u"Tuesday", u"Wednesday", u"Thursday", u"Friday", u"Saturday", u"Sunday"};
    static constexpr const char16_t* kMonths[] = {u"January", u"February", u"March", u"April", u"May",
        u"June", u"July", u"August", u"September", u"October", u"November", u"December"};
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return {};
    return QString::fromUtf16(kDays[date.dayOfWeek() - 1]) + u", "
        + QString::fromUtf16(kMonths[date.month() - 1]) + u' ' + QString::number(date.day()) + u", "
        + QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
}

QString formatMediumTime(const QTime& time)
{
    if (!time.isValid())
        return {};
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return twoDigits(hour12) + u':' + twoDigits(time.minute()) + (time.hour() < 12 ? u" AM" : u" PM");
}

std::optional<QDate> parseDate(QStringView text)
{
    if (text.size() != 10 || text[2] != u'/' || text[5] != u'/')
        return std::nullopt;
    const int month = digitsAt(text, 0, 2);
    const int day = digitsAt(text, 3, 2);
    const int year = digitsAt(text, 6, 4);
    if (month < 0 || day < 0 || year < 1)
        return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

std::optional<QTime> parseTime(QStringView text)
{
    if (text.size() != 8 || text[2] != u':' || text[5] != u':')
        return std::nullopt;
    const int hour = digitsAt(text, 0, 2);
    const int minute = digitsAt(text, 3, 2);
    const int second = digitsAt(text, 6, 2);
    if (hour < 0 || minute < 0 || second < 0 || !QTime::isValid(hour, minute, second))
        return std::nullopt;
    return QTime(hour, minute, second);
}

std::optional<QDate> parseLongDate(QStringView text)
{
    // "Weekday, Month D, YYYY": read month, day and year, then let the
    // formatter confirm the whole text, weekday included.
    const qsizetype firstComma = text.indexOf(u", ");
    const qsizetype lastComma = text.lastIndexOf(u", ");
    if (firstComma < 0 || lastComma <= firstComma || text.size() - lastComma != 6)
        return std::nullopt;
    const QStringView monthDay = text.mid(firstComma + 2, lastComma - firstComma - 2);
    const qsizetype blank = monthDay.lastIndexOf(u' ');
    if (blank < 1 || monthDay.size() - blank > 3)
        return std::nullopt;
    const int year = digitsAt(text, lastComma + 2, 4);
    const int day = digitsAt(monthDay, blank + 1, monthDay.size() - blank - 1);
    if (year < 1 || day < 1)
        return std::nullopt;
    for (int month = 1; month <= 12; ++month) {
        const QDate date(year, month, 1);
        if (!formatLongDate(date).contains(QStringLiteral(", ") + monthDay.left(blank).toString() + u' '))
            continue;
        const QDate named(year, month, day);
        if (named.isValid() && formatLongDate(named) == text)
            return named;
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<QDateTime> parseDateAndTime(QStringView text)
{
    const qsizetype blank = text.lastIndexOf(u' ');
    if (blank < 1)
        return std::nullopt;
    const std::optional<QTime> time = parseTime(text.mid(blank + 1));
    const QStringView datePart = text.left(blank);
    std::optional<QDate> date = parseDate(datePart);
    if (!date)
        date = parseLongDate(datePart);
    if (!date || !time)
        return std::nullopt;
    return QDateTime(*date, *time);
}

QString currentDate()
{
    return formatDate(Clock::instance().now().date());
}

QString currentTime()
{
    return formatTime(Clock::instance().now().time());
}

} // namespace DateTimeText

#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <QTime>

#include <optional>

// The one date and time format of both programs: dates "MM/dd/yyyy" (always ten
// characters), times "HH:mm:ss" (24-hour). Call records, journal names, day
// folders and sort keys all derive from these; nothing reads the system locale.
namespace DateTimeText {

inline constexpr QStringView kDateFormat = u"MM/dd/yyyy";
inline constexpr QStringView kTimeFormat = u"HH:mm:ss";

// Empty for an invalid date or time, or a year outside 1 to 9999.
QString formatDate(const QDate& date);
QString formatTime(const QTime& time);

// Exactly the format, digits where digits belong, and a date or time that
// exists; anything else (blanks, a missing leading zero, 02/30/2026) is nullopt.
std::optional<QDate> parseDate(QStringView text);
std::optional<QTime> parseTime(QStringView text);

// The long date and the medium time that message templates speak and mail:
// "Thursday, December 10, 2026" and "09:30 PM" (12-hour clock, minutes
// only), with English names. Empty for an invalid date or time.
QString formatLongDate(const QDate& date);
QString formatMediumTime(const QTime& time);

// The long date as formatLongDate writes it, weekday included; nullopt for
// any other text.
std::optional<QDate> parseLongDate(QStringView text);

// A date (either form), one blank and a time, as call lists show and sort
// calls; nullopt when either part does not read.
std::optional<QDateTime> parseDateAndTime(QStringView text);

// Today and the time of day now, from Clock::instance().
QString currentDate();
QString currentTime();

} // namespace DateTimeText

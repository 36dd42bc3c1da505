#pragma once

#include <QDate>
#include <QString>
#include <QTime>

#include <optional>

// The call's date and time texts as the call record stores them: "MM/dd/yyyy"
// and "HH:mm:ss", whatever the locale.
// Stand-in for the shared date and time formats of common/; point it there.
namespace CallStamp {

QString dateText(const QDate& date);
QString timeText(const QTime& time);
// nullopt when the text is not a date in that format.
std::optional<QDate> readDate(const QString& text);

} // namespace CallStamp

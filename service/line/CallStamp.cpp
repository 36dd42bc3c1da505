#include "service/line/CallStamp.h"

namespace CallStamp {

namespace {
const QString kDateFormat = QStringLiteral("MM/dd/yyyy");
}

QString dateText(const QDate& date)
{
    return date.toString(kDateFormat);
}

QString timeText(const QTime& time)
{
    return time.toString(QStringLiteral("HH:mm:ss"));
}

std::optional<QDate> readDate(const QString& text)
{
    const QDate date = QDate::fromString(text, kDateFormat);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

} // namespace CallStamp

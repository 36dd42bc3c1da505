#include "common/JournalFormat.h"

#include "common/DateTimeText.h"
#include "common/SharedUtilities.h"

namespace JournalFormat {

QString suffix(Kind kind)
{
    switch (kind) {
    case Kind::Sys:
        return QStringLiteral("_Sys.txt");
    case Kind::Calls:
        return QStringLiteral("_Calls.txt");
    case Kind::WWW:
        return QStringLiteral("_WWW.txt");
    }
    return {};
}

QString fileName(Kind kind, const QDate& date)
{
    return MakeDateTimeStamp(DateTimeText::formatDate(date), QString(), true, StampRule::Service)
        + suffix(kind);
}

QString folder()
{
    return QStringLiteral("\\Journal\\");
}

QString sysText(const QString& message, qint32 number, const QString& source)
{
    return source + QStringLiteral("->") + message + u'(' + QString::number(number) + u')';
}

QByteArray line(const QTime& time, const QString& text)
{
    return (DateTimeText::formatTime(time) + QStringLiteral(" : ")
        + withoutControlCharacters(withoutLineBreaks(text)) + QStringLiteral("\r\n"))
        .toUtf8();
}

} // namespace JournalFormat

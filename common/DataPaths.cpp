#include "common/DataPaths.h"

#include "common/AppPaths.h"

#include <QStringList>

namespace DataPaths {

QString contactFile()
{
    return QStringLiteral("\\Data\\Contactes");
}

QString lastList()
{
    return QStringLiteral("\\Data\\Last");
}

QString dayFolderOf(const QDate& date)
{
    return QStringLiteral("\\Data\\Log\\") + QString::number(date.year()).rightJustified(4, u'0')
        + u'\\' + QString::number(date.month()).rightJustified(2, u'0') + u'\\'
        + QString::number(date.day()).rightJustified(2, u'0') + u'\\';
}

QString dayFile(const QString& dayFolder)
{
    return dayFolder + QStringLiteral("Data");
}

QString native(const QString& storedPath)
{
    if (!storedPath.startsWith(u'\\'))
        return {};
    QStringList parts = storedPath.mid(1).split(u'\\');
    const bool folder = parts.last().isEmpty();
    if (folder)
        parts.removeLast();
    if (parts.isEmpty())
        return {};
    for (const QString& part : parts) {
        if (part.isEmpty() || part == u"." || part == u".." || part.contains(u'/')
            || part.contains(u':'))
            return {};
        for (const QChar c : part) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                return {};
        }
    }
    return AppPaths::programFolder() + u'/' + parts.join(u'/') + (folder ? QStringLiteral("/") : QString());
}

} // namespace DataPaths

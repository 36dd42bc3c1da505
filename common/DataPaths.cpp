#include "common/DataPaths.h"

#include "common/ProgramPath.h"

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
    return ProgramPath::dayFolder(date);
}

QString dayFile(const QString& dayFolder)
{
    return dayFolder + QStringLiteral("Data");
}

QString native(const QString& storedPath)
{
    return ProgramPath::toNative(storedPath).value_or(QString());
}

} // namespace DataPaths

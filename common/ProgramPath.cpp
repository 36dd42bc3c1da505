#include "common/ProgramPath.h"

#include "common/AppPaths.h"

#include <QStringList>

namespace ProgramPath {

namespace {

bool isSeparator(QChar c)
{
    return c == u'\\' || c == u'/';
}

} // namespace

std::optional<QString> toNative(QStringView stored)
{
    return toNative(stored, AppPaths::programFolder());
}

std::optional<QString> toNative(QStringView stored, const QString& programFolder)
{
    // No stored name ever holds a control character; a NUL would also cut the
    // path short where it reaches the system.
    for (const QChar c : stored) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return std::nullopt;
    }
    if (stored.size() >= 2 && isSeparator(stored[0]) && isSeparator(stored[1]))
        return std::nullopt;
    if (stored.size() >= 2 && stored[1] == u':' && stored[0].isLetter())
        return std::nullopt;

    QStringList parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= stored.size(); ++i) {
        if (i < stored.size() && !isSeparator(stored[i]))
            continue;
        const QStringView part = stored.mid(start, i - start);
        start = i + 1;
        if (part.isEmpty() || part == u".")
            continue;
        if (part == u"..")
            return std::nullopt;
        parts.append(part.toString());
    }

    QString native = programFolder;
    while (native.endsWith(u'/'))
        native.chop(1);
    for (const QString& part : parts)
        native += u'/' + part;
    if (native.isEmpty() || (!stored.isEmpty() && isSeparator(stored.back())))
        native += u'/';
    return native;
}

QString dayFolder(const QDate& date)
{
    return QStringLiteral("\\Data\\Log\\%1\\%2\\%3\\")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

} // namespace ProgramPath

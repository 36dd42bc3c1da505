#include "common/JournalList.h"

#include "common/DateTimeText.h"

#include <QDir>

#include <utility>

namespace JournalList {

QDate journalNameDate(const QString& fileName)
{
    // File names carry the date with "/" turned into "-".
    QString text = fileName.left(10);
    text.replace(u'-', u'/');
    return DateTimeText::parseDate(text).value_or(QDate(1899, 12, 30));
}

void SortJournalsByDate(QList<QDate>& dates, QStringList& names)
{
    const qsizetype n = qMin(dates.size(), names.size());
    for (qsizetype i = 0; i < n; ++i) {
        for (qsizetype j = 0; j < n; ++j) {
            if (dates.at(j) < dates.at(i)) {
                dates.swapItemsAt(i, j);
                names.swapItemsAt(i, j);
            }
        }
    }
}

QStringList sortedJournalNames(const QString& folder, const QString& pattern)
{
    QDir dir(folder);
    if (!pattern.isEmpty())
        dir.setNameFilters({pattern});
    // Name order, so journals of equal dates always come out the same way
    // whatever order the file system lists the folder in.
    QStringList names = dir.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    QList<QDate> dates;
    dates.reserve(names.size());
    for (const QString& name : std::as_const(names))
        dates.append(journalNameDate(name));
    SortJournalsByDate(dates, names);
    return names;
}

} // namespace JournalList

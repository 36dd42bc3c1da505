#include "tests/support/JournalFiles.h"

#include <QFile>

QStringList journalEntries(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

QString testDaySysJournal(const QString& programFolder)
{
    return programFolder + QStringLiteral("/Journal/12-10-2026_Sys.txt");
}

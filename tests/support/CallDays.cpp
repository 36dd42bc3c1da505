#include "tests/support/CallDays.h"

#include "common/DataPaths.h"
#include "common/FixedRecord.h"
#include "common/LastList.h"
#include "common/RecordFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

CallRecord storedCall(const QString& name, const QString& number, const QString& time, const QString& date)
{
    CallRecord record;
    record.EmergencyMark = QStringLiteral("0");
    record.CallType = QStringLiteral("0");
    record.CallerName = name;
    record.CallerNumber = number;
    record.CallDate = date;
    record.CallTime = time;
    record.Length = QStringLiteral("0:00:00");
    record.LineIndex = QStringLiteral("0");
    record.ReadMark = QStringLiteral("1");
    record.Description = QStringLiteral("Incoming call");
    return record;
}

void writeDay(const QString& dayFolder, const QList<CallRecord>& records)
{
    const QString path = DataPaths::native(DataPaths::dayFile(dayFolder));
    QDir().mkpath(QFileInfo(path).absolutePath());
    QByteArray data;
    for (const CallRecord& record : records)
        data += record.toBytes();
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(data);
}

QByteArray dayBytes(const QString& dayFolder)
{
    QFile file(DataPaths::native(DataPaths::dayFile(dayFolder)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList dayNames(const QString& dayFolder)
{
    QStringList names;
    RecordFile(DataPaths::native(DataPaths::dayFile(dayFolder)), CallRecord::Size)
        .scan([&](const QByteArray& bytes) {
            names.append(FixedRecord::trimBlanks(CallRecord::fromBytes(bytes).CallerName));
            return false;
        });
    return names;
}

void writeLast(const QStringList& lines)
{
    const QString path = DataPaths::native(DataPaths::lastList());
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        for (const QString& line : lines)
            file.write(line.toUtf8() + "\r\n");
    }
}

QStringList lastLines()
{
    return LastList::readLines(DataPaths::native(DataPaths::lastList())).value_or(QStringList());
}

#include "tests/service/web/WebFixture.h"

#include "common/AppPaths.h"
#include "common/CallStore.h"
#include "common/ContactRecord.h"
#include "common/DataPaths.h"
#include "tests/support/DataFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace WebFixture {

void writeFile(const QString& relativePath, const QByteArray& bytes)
{
    const QString path = AppPaths::programFolder() + u'/' + relativePath;
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString& relativePath)
{
    QFile file(AppPaths::programFolder() + u'/' + relativePath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

CallRecord call(const QString& name, const QString& number, const QString& time, const QString& type)
{
    CallRecord record;
    record.EmergencyMark = QStringLiteral("0");
    record.CallType = type;
    record.CallerName = name;
    record.CallerNumber = number;
    record.CallDate = QStringLiteral("12/10/2026");
    record.CallTime = time;
    record.Length = QStringLiteral("0:00:00");
    record.LineIndex = QStringLiteral("0");
    record.ReadMark = QStringLiteral("1");
    record.Description = QStringLiteral("Incoming call");
    return record;
}

QByteArray counting(int length)
{
    QByteArray bytes(length, '\0');
    for (int i = 0; i < length; ++i)
        bytes[i] = char(i % 251);
    return bytes;
}

QString recordingPath()
{
    return QStringLiteral("Data/Log/2026/12/10/")
        + recordingFileName(call(QStringLiteral("UNKNOWN"), QStringLiteral("5550100"),
            QStringLiteral("10:30:05"), QStringLiteral("3")));
}

QByteArray recordingBytes()
{
    return "RIFF" + counting(3000);
}

void install()
{
    ASSERT_TRUE(AddCallRecord(
        call(QStringLiteral("Jane <Roe>"), QStringLiteral("5550142"), QStringLiteral("09:15:00")), kDay,
        false, 30));
    ASSERT_TRUE(AddCallRecord(call(QStringLiteral("UNKNOWN"), QStringLiteral("5550100"),
                                  QStringLiteral("10:30:05"), QStringLiteral("3")),
        kDay, false, 30));
    writeFile(QStringLiteral("Data/Last"),
        "2:\\Data\\Log\\2026\\12\\10\\\r\n"
        "1:\\Data\\Log\\2026\\12\\09\\\r\n"
        "1:\\Data\\Log\\2026\\12\\10\\\r\n");
    writeFile(recordingPath(), recordingBytes());

    ContactRecord jane;
    jane.ContactName = QStringLiteral("Jane & Co");
    jane.CallerName = QStringLiteral("Jane <Roe>");
    jane.CallerNumber = QStringLiteral("5550142");
    writeContactFile({jane});

    writeFile(QStringLiteral("Journal/01-05-2026_Sys.txt"), "08:00:00 : ->January(0)\r\n");
    writeFile(QStringLiteral("Journal/12-09-2026_Sys.txt"),
        "10:00:00 : ->Opening Ringvale 1.1 Process(0)\r\n"
        "10:00:01 : OpenWeb->x < y & z(0)\n"
        "10:00:02 : last line");
    writeFile(QStringLiteral("Journal/12-10-2026_Calls.txt"), "10:30:06 : 5550100\r\n");
    writeFile(QStringLiteral("Journal/12-10-2026_WWW.txt"), "10:31:00 : GET /<script> HTTP/1.0\r\n");

    writeFile(QStringLiteral("WWW/style.css"), "body { color: black }\n");
    writeFile(QStringLiteral("WWW/my file.css"), "p { margin: 0 }\n");
    writeFile(QStringLiteral("WWW/Empty.txt"), QByteArray());
    writeFile(QStringLiteral("WWW/k1.bin"), counting(1024));
    writeFile(QStringLiteral("WWW/k2.bin"), counting(2048));
    writeFile(QStringLiteral("WWW/big.bin"), counting(5000));
    writeFile(QStringLiteral("Secret.txt"), kSecret);
}

} // namespace WebFixture

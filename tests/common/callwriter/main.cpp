// A second process for the call store's concurrency test: stores COUNT calls
// named TAG, numbered 1 to COUNT, in DAYFOLDER, as the service does at the end
// of each call.
#include "common/CallStore.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool ok = false;
    const int count = args.value(2).toInt(&ok);
    bool limitOk = false;
    const qint32 limit = args.value(4).toInt(&limitOk);
    if (args.size() != 5 || !ok || !limitOk) {
        std::fputs("usage: callwriter TAG COUNT DAYFOLDER LIMIT\n", stderr);
        return 2;
    }
    for (int i = 1; i <= count; ++i) {
        CallRecord record;
        record.CallType = QStringLiteral("0");
        record.CallerName = args.at(1);
        record.CallerNumber = QString::number(i);
        record.CallDate = QStringLiteral("12/10/2026");
        record.CallTime = QStringLiteral("10:30:05");
        record.ReadMark = QStringLiteral("1");
        if (!AddCallRecord(record, args.at(3), false, limit))
            return 1;
    }
    return 0;
}

// Writes a contact file of COUNT contacts into the program folder of
// RINGVALE_HOME, for the benchmarks that measure lookups against it:
//   bench-write-contacts COUNT [LAST_NUMBER]
// Contact i is "Contact i", caller "CALLER i", number 555 and i in seven
// digits; the last contact gets LAST_NUMBER when one is given.
#include "common/ContactFile.h"
#include "common/ContactRecord.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool ok = false;
    const int count = args.value(1).toInt(&ok);
    if (args.size() < 2 || args.size() > 3 || !ok || count < 0) {
        std::fputs("usage: bench-write-contacts COUNT [LAST_NUMBER]\n", stderr);
        return 2;
    }
    const QString path = ContactFile::path();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return 1;
    }
    for (int i = 1; i <= count; ++i) {
        ContactRecord contact;
        contact.ContactName = QStringLiteral("Contact %1").arg(i);
        contact.CallerName = QStringLiteral("CALLER %1").arg(i);
        contact.CallerNumber = i == count && args.size() == 3
            ? args.at(2)
            : QStringLiteral("555%1").arg(i, 7, 10, QLatin1Char('0'));
        contact.CallHandling = QStringLiteral("1");
        contact.EmergencyMark = QStringLiteral("0");
        contact.EventsMode = QStringLiteral("1");
        contact.ActionsMode = QStringLiteral("1");
        file.write(contact.toBytes());
    }
    if (!file.commit()) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return 1;
    }
    return 0;
}

// Times the contact list with many contacts, offscreen: opening the window
// until its rows are filled, sorting by Contact both ways and by Caller
// Number, and deleting the middle contact with the rebuild that follows.
//   bench-contact-list [--contacts N] [--rounds N]      (default 10000, 20 rounds)
// Works in a throw-away program folder; prints the median and worst of each.
#include "common/ContactFile.h"
#include "common/ContactRecord.h"
#include "desktop/contacts/frmContactList.h"
#include "desktop/foundation/DialogProvider.h"
#include "platform/grid/vbalGrid.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

// Mixed modes, a tenth with pictures, names in several scripts, in no order.
QByteArray contactFile(int count)
{
    static const QString names[] = {QStringLiteral("Zoë Öberg"), QStringLiteral("Ann Lee"),
        QStringLiteral("Émile Dubois"), QStringLiteral("Ünal Çelik"), QStringLiteral("Дмитрий Орлов"),
        QStringLiteral("李小龍"), QStringLiteral("Bob Stone")};
    QByteArray bytes;
    bytes.reserve(qsizetype(count) * ContactRecord::Size);
    for (int i = 0; i < count; ++i) {
        const int key = (i * 7919) % count;
        ContactRecord record;
        record.ContactName = names[i % 7] + QStringLiteral(" %1").arg(key);
        record.PictureFile = i % 10 == 0 ? QStringLiteral("face%1.jpg").arg(i) : QString();
        record.CallerName = names[(i + 3) % 7].toUpper();
        record.CallerNumber = QStringLiteral("555%1").arg((key * 31) % count, 7, 10, QLatin1Char('0'));
        record.CallHandling = QString::number(1 + i % 4);
        record.EmergencyMark = i % 17 == 0 ? QStringLiteral("1") : QStringLiteral("0");
        record.EventsMode = QString::number(1 + i % 3);
        record.ActionsMode = QString::number(1 + (i / 3) % 3);
        bytes += record.toBytes();
    }
    return bytes;
}

bool writeFile(const QByteArray& bytes)
{
    const QString path = ContactFile::path();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Every question answered Yes.
class AnswerYes : public QtDialogProvider {
public:
    qint16 messageBox(const MessageBoxRequest&) override { return 6; }
};

double timed(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

void report(const char* what, QList<double> values)
{
    std::sort(values.begin(), values.end());
    std::printf(
        "%-32s median %7.1f ms   worst %7.1f ms\n", what, values.at(values.size() / 2), values.last());
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir home;
    qputenv("RINGVALE_HOME", QFile::encodeName(home.path()));
    AnswerYes yes;
    SetDialogProvider(&yes);

    int count = 10000;
    int rounds = 20;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); i += 2) {
        bool ok = false;
        const int value = args.value(i + 1).toInt(&ok);
        if (!ok || value < 1 || (args[i] != u"--contacts" && args[i] != u"--rounds")) {
            std::fputs("usage: bench-contact-list [--contacts N] [--rounds N]\n", stderr);
            return 2;
        }
        (args[i] == u"--contacts" ? count : rounds) = value;
    }

    const QByteArray bytes = contactFile(count);
    QList<double> opens, ascending, descending, byNumber, rebuilds, deletes;
    for (int r = 0; r < rounds; ++r) {
        if (!writeFile(bytes)) {
            std::fputs("cannot write the contact file\n", stderr);
            return 1;
        }
        std::unique_ptr<frmContactList> list;
        opens << timed([&] {
            list = std::make_unique<frmContactList>();
            list->show();
            QApplication::processEvents();
        });
        if (list->GridContactList->Rows() != count) {
            std::fputs("the list did not show every contact\n", stderr);
            return 1;
        }
        const auto sort = [&](qint32 column) {
            return timed([&] {
                list->GridContactList_ColumnClick(column);
                QApplication::processEvents();
            });
        };
        ascending << sort(frmContactList::colContactName);
        descending << sort(frmContactList::colContactName);
        byNumber << sort(frmContactList::colCallerNumber);
        rebuilds << timed([&] {
            list->CreateList(count / 2);
            QApplication::processEvents();
        });
        deletes << timed([&] {
            list->cToolbar1_ButtonClick(frmContactList::btnDelete);
            QApplication::processEvents();
        });
        if (list->GridContactList->Rows() != count - 1) {
            std::fputs("the delete did not take\n", stderr);
            return 1;
        }
    }
    std::printf("%d contacts, %d rounds\n", count, rounds);
    report("open until filled", opens);
    report("sort by Contact ascending", ascending);
    report("sort by Contact descending", descending);
    report("sort by Caller Number", byNumber);
    report("rebuild of the open list", rebuilds);
    report("delete the middle and rebuild", deletes);
    return 0;
}

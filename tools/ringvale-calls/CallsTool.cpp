#include "tools/ringvale-calls/CallsTool.h"

#include "common/SharedFile.h"
#include "desktop/calls/CallGridActions.h"
#include "desktop/foundation/CallRows.h"
#include "desktop/foundation/mdlCallStore.h"
#include "tools/ringvale-calls/ListCommands.h"
#include "tools/ringvale-calls/ToolRows.h"

#include <QHeaderView>

using namespace Qt::StringLiterals;

namespace {

const char kUsageTemplate[]
    = "usage: ringvale-calls COMMAND [FOLDER] ...\n"
      "  rows FOLDER [--screenshot FILE]  the day's calls as the main list shows them:\n"
      "                                   INDEX, CALLER, RECEIVED, DESCRIPTION, FOLDER,\n"
      "                                   bold or normal, the images of columns 1 to 3\n"
      "                                   (- for none) and the row height, tab-separated\n"
      "  flag FOLDER N                    flag call N\n"
      "  unflag FOLDER N                  clear its flag\n"
      "  read FOLDER N                    mark it read\n"
      "  note FOLDER N TEXT               store TEXT as its note (at most 256 bytes)\n"
      "  delete FOLDER N...               delete these calls, as the main list's delete does\n"
      "FOLDER is a day folder as stored, for instance \\Data\\Log\\2026\\12\\10\\\n"
      "%1"
      "Exit status: 0 done, 1 nothing was written (or no such call or row, or\n"
      "refused), 2 bad arguments\n";

QString usage()
{
    return QString::fromUtf8(kUsageTemplate).arg(QString::fromUtf8(kListUsage));
}

int usageError(QTextStream& err, const QString& why)
{
    err << "ringvale-calls: " << why << "\n" << usage();
    return 2;
}

// The day's rows in the main list's columns; the headers in English when
// the program folder has that translation.
void fillDay(vbalGrid& grid, const QString& folder)
{
    loadEnglish();
    SetCallsHeaders(grid, CallGrid::Main);
    AppendDayRows(grid, folder);
    grid.SetRedraw(true);
}

// The row that shows call n; 0 when none does.
qint32 rowOf(const vbalGrid& grid, qint32 n)
{
    for (qint32 r = 1; r <= grid.Rows(); ++r) {
        if (grid.CellText(r, CallColumn::Index).toInt() == n)
            return r;
    }
    return 0;
}

int printRows(const QString& folder, const QString& screenshot, QTextStream& out, QTextStream& err)
{
    vbalGrid grid;
    fillDay(grid, folder);
    for (qint32 r = 1; r <= grid.Rows(); ++r)
        printRow(out, grid, r);
    if (screenshot.isEmpty())
        return 0;
    grid.SetBorderStyle(1);
    grid.resize(
        640, qBound(120, grid.horizontalHeader()->height() + grid.verticalHeader()->length() + 4, 2000));
    if (!grid.grab().save(screenshot, "PNG")) {
        err << "ringvale-calls: cannot write the screenshot " << screenshot << "\n";
        return 1;
    }
    return 0;
}

std::optional<qint32> callNumber(const QString& text)
{
    bool ok = false;
    const qint32 n = text.toInt(&ok);
    return ok && n >= 1 ? std::optional<qint32>(n) : std::nullopt;
}

} // namespace

int runCallsTool(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.size() == 1 && (args[0] == u"--help" || args[0] == u"-h")) {
        out << usage();
        return 0;
    }
    const QString command = args.value(0);
    if (isListCommand(command)) {
        QString why;
        const int status = runListCommand(args, out, err, why);
        return why.isEmpty() ? status : usageError(err, why);
    }
    const QString folder = args.value(1);
    if (args.size() < 2)
        return usageError(err, command.isEmpty() ? u"no command"_s : u"no day folder"_s);
    if (!folder.startsWith(u'\\') || !folder.endsWith(u'\\'))
        return usageError(err, u"a day folder starts and ends with a backslash: "_s + folder);

    if (command == u"rows") {
        if (args.size() == 2)
            return printRows(folder, {}, out, err);
        if (args.size() == 4 && args[2] == u"--screenshot")
            return printRows(folder, args[3], out, err);
        return usageError(err, u"rows takes FOLDER [--screenshot FILE]"_s);
    }

    QList<qint32> numbers;
    const qsizetype last = command == u"note" ? 3 : args.size();
    for (qsizetype i = 2; i < last; ++i) {
        const std::optional<qint32> n = callNumber(args[i]);
        if (!n)
            return usageError(err, u"not a call number: "_s + args[i]);
        numbers.append(*n);
    }
    const bool single = command == u"flag" || command == u"unflag" || command == u"read";
    if (single && numbers.size() != 1)
        return usageError(err, command + u" takes FOLDER N"_s);
    if (command == u"note" && args.size() != 4)
        return usageError(err, u"note takes FOLDER N TEXT"_s);
    if (command == u"delete" && numbers.isEmpty())
        return usageError(err, u"delete takes FOLDER N..."_s);
    if (!single && command != u"note" && command != u"delete")
        return usageError(err, u"no such command: "_s + command);

    if (command == u"flag" || command == u"unflag") {
        if (SetCallFlag(numbers[0], folder, command == u"flag" ? u"1"_s : u"0"_s))
            return 0;
    } else if (command == u"read") {
        if (MarkCallRead(numbers[0], folder, u"1"_s))
            return 0;
    } else {
        vbalGrid grid;
        fillDay(grid, folder);
        QList<qint32> rows;
        for (const qint32 n : std::as_const(numbers)) {
            const qint32 row = rowOf(grid, n);
            if (row == 0) {
                err << "ringvale-calls: no call " << n << " in " << folder << "\n";
                return 1;
            }
            rows.append(row);
        }
        if (command == u"note") {
            if (SaveNote(grid, rows[0], args[3]))
                return 0;
            const QString reason = SharedFile::lastWriteFailure();
            if (reason.isEmpty())
                err << "ringvale-calls: nothing written: call " << numbers[0] << " does not read as a call\n";
            else
                err << "ringvale-calls: nothing written: " << reason << "\n";
            return 1;
        }
        for (const qint32 row : std::as_const(rows))
            grid.SelectRow(row);
        const bool deleted = DeleteSelectedCalls(grid);
        return deleted ? 0 : 1;
    }
    const QString reason = SharedFile::lastWriteFailure();
    if (reason.isEmpty())
        err << "ringvale-calls: nothing written: no call " << numbers[0] << " in " << folder << "\n";
    else
        err << "ringvale-calls: nothing written: " << reason << "\n";
    return 1;
}

#include "tools/ringvale-calls/ListCommands.h"

#include "desktop/foundation/CallRows.h"
#include "desktop/foundation/CallSearch.h"
#include "desktop/foundation/LastCalls.h"
#include "desktop/foundation/MainWindowSurfaces.h"
#include "desktop/foundation/Translation.h"
#include "desktop/foundation/mdlCallStore.h"
#include "desktop/foundation/mdlFunctions.h"
#include "desktop/foundation/mdlJournals.h"
#include "tools/ringvale-calls/ToolRows.h"

#include "common/ProgramPath.h"

#include <QDir>
#include <QSet>

using namespace Qt::StringLiterals;

const char kListUsage[]
    = "  last                             the recent calls as the main list shows them\n"
      "                                   (newest first, rows as for rows), then the\n"
      "                                   status bar's count and whether Data/Last was\n"
      "                                   rewritten without stale lines\n"
      "  remove-last N...                 remove rows N... of last from the recent calls\n"
      "  search [--in N] [--name T] [--number T] [--notes T] [--flag] [--voice]\n"
      "                                   the stored calls that match, as the search\n"
      "                                   window lists them (rows as for rows, then the\n"
      "                                   recording's file name), then the count;\n"
      "                                   --in 0 Data (the default), 1 today, 2 Data\\Log,\n"
      "                                   3 Data\\Saved, 4 Data\\Recycle\n"
      "  journals [--kind K]              the journal files, newest first: K 0 all (the\n"
      "                                   default), 1 system, 2 calls, 3 web, other every file\n"
      "  journal NAME                     the lines of journal NAME\n"
      "  delete-journal NAME              delete journal NAME\n"
      "  purge                            delete the journals older than the retention\n"
      "                                   setting keeps, as the journal viewer does\n";

namespace {

std::optional<qint32> wholeNumber(const QString& text)
{
    bool ok = false;
    const qint32 n = text.toInt(&ok);
    return ok ? std::optional<qint32>(n) : std::nullopt;
}

// The recent calls in the main list's grid, newest first.
LastCallsLoad fillLast(vbalGrid& grid)
{
    loadEnglish();
    SetCallsHeaders(grid, CallGrid::Main);
    grid.SortCriteria().Add(CallColumn::SortDate, 1, grid.ColumnSortType(CallColumn::SortDate));
    return LoadLastCalls(grid);
}

int last(QTextStream& out)
{
    RecordedMainWindow window;
    SetMainWindow(&window);
    vbalGrid grid;
    const LastCallsLoad load = fillLast(grid);
    for (qint32 r = 1; r <= grid.Rows(); ++r)
        printRow(out, grid, r);
    out << window.panelText(2) << '\n';
    if (load.rewritten)
        out << "Data/Last rewritten without " << load.dropped << " stale line(s)\n";
    else if (load.dropped > 0)
        out << "Data/Last names " << load.dropped << " stale line(s) but could not be rewritten\n";
    else
        out << "Data/Last unchanged\n";
    SetMainWindow(nullptr);
    return 0;
}

int removeLast(const QStringList& args, QTextStream& err, QString& why)
{
    QList<qint32> rows;
    for (const QString& arg : args.mid(1)) {
        const std::optional<qint32> n = wholeNumber(arg);
        if (!n || *n < 1) {
            why = u"not a row number: "_s + arg;
            return 2;
        }
        rows.append(*n);
    }
    if (rows.isEmpty()) {
        why = u"remove-last takes N..."_s;
        return 2;
    }
    RecordedMainWindow window;
    SetMainWindow(&window);
    vbalGrid grid;
    fillLast(grid);
    for (const qint32 row : std::as_const(rows)) {
        if (row > grid.Rows()) {
            err << "ringvale-calls: the recent calls have no row " << row << "\n";
            SetMainWindow(nullptr);
            return 1;
        }
        grid.SelectRow(row);
    }
    const bool written = RemoveSelectedFromLast(grid);
    SetMainWindow(nullptr);
    return written ? 0 : 1;
}

int search(const QStringList& args, QTextStream& out, QTextStream& err, QString& why)
{
    SearchCriteria criteria;
    qint32 position = 0;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == u"--flag") {
            criteria.flagOnly = true;
            continue;
        }
        if (arg == u"--voice") {
            criteria.recordedOnly = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            why = u"search: "_s + arg + u" needs a value, or is no option"_s;
            return 2;
        }
        const QString value = args[++i];
        if (arg == u"--in") {
            const std::optional<qint32> n = wholeNumber(value);
            if (!n || *n < 0 || *n > 4) {
                why = u"search: --in takes 0 to 4"_s;
                return 2;
            }
            position = *n;
        } else if (arg == u"--name") {
            criteria.name = value;
        } else if (arg == u"--number") {
            criteria.number = value;
        } else if (arg == u"--notes") {
            criteria.notes = value;
        } else {
            why = u"search: no such option: "_s + arg;
            return 2;
        }
    }
    loadEnglish();
    vbalGrid grid;
    SetCallsHeaders(grid, CallGrid::Search);
    RecordedMainWindow statusBar;
    const std::optional<qint32> found = StartCallSearch(grid, position, criteria, statusBar);
    if (!found) {
        err << "ringvale-calls: nothing searched: give --name, --number or --notes\n";
        return 1;
    }
    for (qint32 r = 1; r <= grid.Rows(); ++r)
        printRow(out, grid, r, true);
    const QString count = statusBar.panelText(1);
    out << (count.isEmpty() ? QString::number(*found) : count) << '\n';
    return 0;
}

int journals(const QStringList& args, QTextStream& out, QString& why)
{
    qint32 kind = 0;
    if (args.size() == 3 && args[1] == u"--kind" && wholeNumber(args[2]))
        kind = *wholeNumber(args[2]);
    else if (args.size() != 1) {
        why = u"journals takes [--kind K]"_s;
        return 2;
    }
    for (const QString& name : JournalNames(qint16(qBound(-32768, kind, 32767))))
        out << name << '\n';
    return 0;
}

QSet<QString> journalFolderNow()
{
    const std::optional<QString> folder = ProgramPath::toNative(u"\\Journal\\"_s);
    const QStringList names = folder ? QDir(*folder).entryList(QDir::Files | QDir::Hidden) : QStringList();
    return QSet<QString>(names.begin(), names.end());
}

int purge(QTextStream& out)
{
    const QSet<QString> before = journalFolderNow();
    const std::optional<qint32> months = RangeForLog();
    if (!months) {
        out << "the retention setting keeps every journal\n";
        return 0;
    }
    QStringList deleted = (before - journalFolderNow()).values();
    deleted.sort();
    out << "deleted what was last changed " << -*months << " month(s) ago or earlier: " << deleted.size()
        << " file(s)\n";
    for (const QString& name : std::as_const(deleted))
        out << name << '\n';
    return 0;
}

} // namespace

bool isListCommand(const QString& command)
{
    static const QStringList commands = {u"last"_s, u"remove-last"_s, u"search"_s, u"journals"_s,
        u"journal"_s, u"delete-journal"_s, u"purge"_s};
    return commands.contains(command);
}

int runListCommand(const QStringList& args, QTextStream& out, QTextStream& err, QString& why)
{
    const QString command = args.value(0);
    if (command == u"last" || command == u"purge") {
        if (args.size() != 1) {
            why = command + u" takes no arguments"_s;
            return 2;
        }
        return command == u"last" ? last(out) : purge(out);
    }
    if (command == u"remove-last")
        return removeLast(args, err, why);
    if (command == u"search")
        return search(args, out, err, why);
    if (command == u"journals")
        return journals(args, out, why);
    if (args.size() != 2) {
        why = command + u" takes NAME"_s;
        return 2;
    }
    const QString name = args[1];
    if (!IsJournalName(name)) {
        err << "ringvale-calls: refused: not the name of a journal file: " << name << "\n";
        return 1;
    }
    if (command == u"journal") {
        const std::optional<QStringList> lines = ReadJournalLines(name);
        if (!lines) {
            err << "ringvale-calls: no journal " << name << " to read\n";
            return 1;
        }
        for (const QString& line : *lines)
            out << line << '\n';
        return 0;
    }
    if (!DeleteJournalFile(name)) {
        err << "ringvale-calls: journal " << name << " was not deleted\n";
        return 1;
    }
    return 0;
}

#include "desktop/shell/SavedCall.h"

#include "common/CallStore.h"
#include "common/FixedRecord.h"
#include "common/SharedUtilities.h"
#include "desktop/foundation/CallRows.h"
#include "desktop/foundation/WindowUtilities.h"
#include "desktop/foundation/mdlCommDialog.h"
#include "platform/grid/vbalGrid.h"

#include <QDir>
#include <QSaveFile>

#include <cstdio>

namespace {

QString noteText(const QString& notes)
{
    // A note never written is NUL bytes.
    if (notes.isEmpty() || notes.at(0) == QChar(0))
        return QString();
    QString text = FixedRecord::trimBlanks(notes);
    text.remove(QChar(0));
    return text;
}

} // namespace

QString SavedCall::text() const
{
    QString lines;
    const auto add = [&lines](const QString& label, const QString& value) {
        lines += label + QStringLiteral(": ") + value + QStringLiteral("\r\n");
    };
    add(QStringLiteral("Caller"), callerName);
    add(QStringLiteral("Number"), callerNumber);
    add(QStringLiteral("Date and time"), dateTime);
    add(QStringLiteral("Description"), description);
    add(QStringLiteral("Length"), length);
    QString shownNote = note;
    shownNote.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shownNote.replace(u'\r', u'\n');
    shownNote.replace(u'\n', QStringLiteral("\r\n"));
    add(QStringLiteral("Note"), shownNote);
    return lines;
}

SavedCall SelectedCall(const vbalGrid& grid)
{
    const qint32 row = grid.SelectedRow();
    SavedCall call;
    call.callerName = grid.CellText(row, CallColumn::CallerName);
    call.callerNumber = grid.CellText(row, CallColumn::CallerNumber);
    call.dateTime = grid.CellText(row, CallColumn::When);
    call.description = grid.CellText(row, CallColumn::Description);
    call.length = grid.CellText(row, CallColumn::Type);
    call.note = grid.CellText(row, CallColumn::Note);
    bool ok = false;
    const qint32 number = grid.CellText(row, CallColumn::Index).toInt(&ok);
    CallRecord record;
    if (ok && ReadCallRecord(record, grid.CellText(row, CallColumn::Folder), number)) {
        call.callerName = FixedRecord::trimBlanks(record.CallerName);
        call.callerNumber = FixedRecord::trimBlanks(record.CallerNumber);
        call.dateTime
            = FixedRecord::trimBlanks(record.CallDate) + u' ' + FixedRecord::trimBlanks(record.CallTime);
        call.description = FixedRecord::trimBlanks(record.Description);
        call.length = FixedRecord::trimBlanks(record.Length);
        call.note = noteText(record.Notes);
    }
    return call;
}

QString ProposedCallFileName(const SavedCall& call)
{
    QString name = call.callerName + u'_' + call.callerNumber + u'_'
        + MakeDateTimeStamp(call.dateTime, QString(), true, StampRule::Desktop);
    for (QChar& c : name) {
        if (c == u'/' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u'-';
    }
    return name.trimmed();
}

bool SaveSelectedCall(const vbalGrid& grid, QWidget* owner)
{
    if (grid.Rows() < 1 || grid.SelectedRow() < 1)
        return false;
    const SavedCall call = SelectedCall(grid);
    OpenFileName& ofn = g_OpenFileName();
    using namespace OpenFileFlags;
    // A file of that name is replaced: ask first.
    ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER | OFN_LONGNAMES | OFN_OVERWRITEPROMPT;
    ofn.lpstrTitle = QStringLiteral("Save");
    ofn.lpstrFilter = {{QStringLiteral("txt (*.txt)"), QStringLiteral("*.txt")}};
    const SelectedFiles chosen = ShowSaveDialog(owner, ProposedCallFileName(call), kCenterOnOwner);
    if (chosen.Cancelled || chosen.Files.isEmpty())
        return false;
    QString target = chosen.Path + chosen.Files.constFirst();
    if (!target.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive))
        target += QStringLiteral(".txt");
    QSaveFile file(target);
    if (file.open(QIODevice::WriteOnly) && file.write(call.text().toUtf8()) >= 0 && file.commit())
        return true;
    const QString problem = QStringLiteral("The call could not be saved to %1: %2")
                                .arg(QDir::toNativeSeparators(target), file.errorString());
    std::fprintf(stderr, "Ringvale: %s\n", problem.toUtf8().constData());
    std::fflush(stderr);
    ShowMessage(problem, false);
    return false;
}

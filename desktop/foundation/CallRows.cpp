#include "desktop/foundation/CallRows.h"

#include "common/DataPaths.h"
#include "common/DateTimeText.h"
#include "common/FixedRecord.h"
#include "common/RecordFile.h"
#include "desktop/foundation/CallIcons.h"
#include "desktop/foundation/Translation.h"

using namespace Qt::StringLiterals;

namespace {

constexpr qint32 kRowTextFlags = GridText::SingleLine | GridText::WordEllipsis;

// A field as a cell shows it: blanks trimmed, and control characters (NULs
// of an unwritten field, line breaks from the telephone network) dropped.
QString shown(const QString& field)
{
    QString text = FixedRecord::trimBlanks(field);
    text.removeIf([](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
    return text;
}

bool isOne(const QString& field)
{
    return FixedRecord::trimBlanks(field) == u"1";
}

// The type image of column 3; -1 for a call without a recording.
qint32 typeImage(const CallRecord& record, bool bold)
{
    const QString type = FixedRecord::trimBlanks(record.CallType);
    if (type == CallType::VoiceMessage)
        return bold ? CallImage::EnvelopeClosed : CallImage::EnvelopeOpen;
    if (type == CallType::RecordedIncoming)
        return CallImage::SpeakerRight;
    if (type == CallType::RecordedDialled)
        return CallImage::SpeakerLeft;
    return -1;
}

} // namespace

void SetCallsHeaders(vbalGrid& grid, CallGrid kind)
{
    const bool main = kind == CallGrid::Main;
    grid.SetRedraw(false);
    grid.SetImageList(CallTypeImages());
    grid.SetDefaultRowHeight(kCallRowHeight);
    grid.AddColumn(u"EMERGENCY"_s, {}, 0, CallImage::BlackExclamation, 32, true, false, {}, false, {}, false,
        GridSort::Icon);
    grid.AddColumn(u"FLAG"_s, {}, 0, CallImage::FlagOutline, main ? 36 : 32, true, false, {}, false, {},
        false, GridSort::Icon);
    grid.AddColumn(
        u"TYPE"_s, {}, 0, CallImage::BlankPage, 100, false, false, {}, false, {}, false, GridSort::Icon);
    grid.AddColumn(u"CALLER"_s, g_sTrans(136), 0, -1, main ? 220 : 180, true, true);
    grid.AddColumn(
        u"DATE"_s, g_sTrans(137), 0, -1, 200, true, false, {}, true, {}, false, GridSort::DateTime);
    grid.AddColumn(u"DESCRIPTION"_s, g_sTrans(138), 0, -1, -1, false, true);
    grid.AddColumn(u"MSGFILE"_s, u"MSGFILE"_s, 0, -1, -1, false, true);
    grid.AddColumn(u"MSGPATH"_s, main ? u"MSGPATH"_s : g_sTrans(139), 0, -1, -1, !main, true);
    grid.AddColumn(u"INDEX"_s, u"INDEX"_s, 0, -1, -1, false, true);
    grid.AddColumn(u"body"_s, {}, 0, -1, 544, true, false, {}, true, {}, true);
    grid.AddColumn(u"CALLERNAME"_s, u"CALLERNAME"_s, 0, -1, -1, false, true);
    grid.AddColumn(u"CALLERNUMBER"_s, u"CALLERNUMBER"_s, 0, -1, -1, false, true);
    if (main)
        grid.AddColumn(
            u"SORTDATE"_s, u"SORTDATE"_s, 0, -1, -1, false, false, {}, true, {}, false, GridSort::DateTime);
}

QFont CallRowFont(bool bold)
{
    QFont font(u"Tahoma"_s);
    font.setFamilies({u"Tahoma"_s, u"DejaVu Sans"_s, u"Liberation Sans"_s});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    font.setBold(bold);
    return font;
}

bool HasNote(const CallRecord& record)
{
    return !record.Notes.isEmpty() && record.Notes.front() != QChar(0)
        && !FixedRecord::trimBlanks(record.Notes).isEmpty();
}

qint32 NoteExtraHeight(const QString& note)
{
    if (note.isEmpty())
        return 54;
    switch (note.count(u"\r\n"_s) + 1) {
    case 1:
        return 2;
    case 2:
        return 18;
    case 3:
        return 30;
    case 4:
        return 42;
    default:
        return 54;
    }
}

void SetCallRow(
    vbalGrid& grid, qint32 row, const CallRecord& record, const QString& folder, qint32 number, CallGrid kind)
{
    const bool bold = !isOne(record.ReadMark);
    const QFont font = CallRowFont(bold);
    const QString date = shown(record.CallDate);
    const QString time = shown(record.CallTime);
    const std::optional<QDate> day = DateTimeText::parseDate(date);
    const std::optional<QTime> at = DateTimeText::parseTime(time);

    grid.SetCell(row, CallColumn::Emergency, {}, kRowTextFlags,
        isOne(record.EmergencyMark) ? CallImage::Emergency : -1, -1, -1, font, 0, -1, number);
    grid.SetCell(row, CallColumn::Flag, {}, kRowTextFlags, isOne(record.FlagMark) ? CallImage::Flag : -1, -1,
        -1, font, 0, -1, number);
    const qint32 image = typeImage(record, bold);
    grid.SetCell(row, CallColumn::Type, image < 0 ? QString() : shown(record.Length), kRowTextFlags, image,
        -1, -1, font);
    grid.SetCell(row, CallColumn::Caller, shown(record.CallerName) + u" - " + shown(record.CallerNumber),
        kRowTextFlags, -1, -1, -1, font);
    grid.SetCell(row, CallColumn::When, (day ? DateTimeText::formatLongDate(*day) : date) + u' ' + time,
        kRowTextFlags, -1, -1, -1, font);
    grid.SetCell(row, CallColumn::Description, shown(record.Description), kRowTextFlags, -1, -1, -1, font, 0,
        -1, number);
    // The search results name a recording file for every call, the main
    // list only for calls that have one.
    grid.SetCell(row, CallColumn::FileName,
        kind == CallGrid::Search || hasRecording(record) ? recordingFileName(record) : QString());
    grid.SetCell(row, CallColumn::Folder, folder);
    grid.SetCell(row, CallColumn::Index, QString::number(number));
    grid.SetCell(row, CallColumn::CallerName, shown(record.CallerName));
    grid.SetCell(row, CallColumn::CallerNumber, shown(record.CallerNumber));
    if (kind == CallGrid::Main) {
        grid.SetCell(row, CallColumn::SortDate,
            day && at ? DateTimeText::formatDate(*day) + u' ' + DateTimeText::formatTime(*at)
                      : date + u' ' + time);
    }
    // Last: the row height measures column 8.
    grid.SetCell(row, CallColumn::Note);
    SetRowNote(grid, row, HasNote(record) ? record.Notes : QString());
}

qint32 AppendDayRows(
    vbalGrid& grid, const QString& dayFolder, CallGrid kind, const std::function<void()>& onRow)
{
    const QString path = DataPaths::native(DataPaths::dayFile(dayFolder));
    if (path.isEmpty())
        return 0;
    qint32 number = 0;
    RecordFile(path, CallRecord::Size).scan([&](const QByteArray& bytes) {
        ++number;
        SetCallRow(grid, grid.Rows() + 1, CallRecord::fromBytes(bytes), dayFolder, number, kind);
        if (onRow)
            onRow();
        return false;
    });
    return number;
}

void SetRowNote(vbalGrid& grid, qint32 row, const QString& notesField)
{
    CallRecord probe;
    probe.Notes = notesField;
    if (!HasNote(probe)) {
        grid.SetCell(row, CallColumn::Note);
        grid.SetRowHeight(row, grid.DefaultRowHeight());
        return;
    }
    QString note = FixedRecord::trimBlanks(notesField);
    note.removeIf([](QChar c) { return c.unicode() < 0x20 && c != u'\r' && c != u'\n' && c != u'\t'; });
    grid.SetCell(row, CallColumn::Note, note, GridText::WordBreak, -1, -1, kNoteColour);
    grid.SetRowHeight(row,
        grid.CellTextHeight(row, CallColumn::Folder) + grid.DefaultRowHeight() + NoteExtraHeight(notesField));
}

void SetRowReadFont(vbalGrid& grid, qint32 row, bool bold)
{
    if (row < 1 || row > grid.Rows())
        return;
    const bool redraw = grid.Redraw();
    grid.SetRedraw(false);
    const QFont font = CallRowFont(bold);
    for (qint32 c = 1; c <= grid.Columns() - 4; ++c)
        grid.SetCellFont(row, c, font);
    const qint32 image = grid.CellIcon(row, CallColumn::Type);
    if (image == CallImage::EnvelopeClosed || image == CallImage::EnvelopeOpen)
        grid.SetCellIcon(row, CallColumn::Type, bold ? CallImage::EnvelopeClosed : CallImage::EnvelopeOpen);
    grid.SetRedraw(redraw);
}

bool SelectedRowHasWave(const vbalGrid& grid)
{
    const qint32 image = grid.CellIcon(grid.SelectedRow(), CallColumn::Type);
    return image >= CallImage::EnvelopeClosed && image <= CallImage::SpeakerLeft;
}

void RenumberRows(vbalGrid& grid, qint32 number, const QString& folder)
{
    for (qint32 r = 1; r <= grid.Rows(); ++r) {
        if (grid.CellText(r, CallColumn::Folder) != folder)
            continue;
        const qint32 n = grid.CellText(r, CallColumn::Index).toInt();
        if (n <= number)
            continue;
        grid.SetCellText(r, CallColumn::Index, QString::number(n - 1));
        for (const qint32 c : {CallColumn::Emergency, CallColumn::Flag, CallColumn::Description})
            grid.SetCellItemData(r, c, n - 1);
    }
}

#include "tools/ringvale-calls/ToolRows.h"

#include "common/TranslationFile.h"
#include "desktop/foundation/CallRows.h"
#include "desktop/foundation/Translation.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

QString image(const vbalGrid& grid, qint32 row, qint32 column)
{
    const qint32 icon = grid.CellIcon(row, column);
    return icon < 0 ? u"-"_s : QString::number(icon);
}

} // namespace

void loadEnglish()
{
    if (const std::optional<QString> english = TranslationFile::pathFor(u"English.txt"_s);
        english && QFileInfo::exists(*english))
        LoadTranslation(*english);
}

void printRow(QTextStream& out, const vbalGrid& grid, qint32 r, bool withFile)
{
    out << grid.CellText(r, CallColumn::Index) << '\t' << grid.CellText(r, CallColumn::Caller) << '\t'
        << grid.CellText(r, CallColumn::When) << '\t' << grid.CellText(r, CallColumn::Description) << '\t'
        << grid.CellText(r, CallColumn::Folder) << '\t'
        << (grid.CellFont(r, CallColumn::Caller).bold() ? "bold" : "normal") << '\t'
        << image(grid, r, CallColumn::Emergency) << ',' << image(grid, r, CallColumn::Flag) << ','
        << image(grid, r, CallColumn::Type) << '\t' << grid.RowHeight(r);
    if (withFile)
        out << '\t' << grid.CellText(r, CallColumn::FileName);
    out << '\n';
}

#include "platform/grid/GridModel.h"

#include "common/DateTimeText.h"

#include <QColor>
#include <QIcon>

#include <algorithm>
#include <numeric>

namespace {

// 0x00BBGGRR as the stored layouts give colours.
QColor colourOf(qint32 value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

// Negative, zero or positive as a sorts before, with or after b.
// Sort type 200 goes by keys read once per row (GridModel::sortBy).
int compareCells(const GridCell& a, const GridCell& b, qint32 sortType)
{
    if (sortType == GridSort::Icon)
        return (a.icon > b.icon) - (a.icon < b.icon);
    return a.text.compare(b.text, Qt::CaseInsensitive);
}

} // namespace

GridModel::GridModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= m_columns.size())
        return {};
    const GridCell& c = m_rows.at(index.row()).at(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return c.text;
    case Qt::FontRole:
        return c.font ? QVariant(*c.font) : QVariant();
    case FlagsRole:
        return c.textFlags;
    case IconRole:
        return c.icon;
    case IndentRole:
        return c.indent;
    case BackRole:
        return c.backColor < 0 ? QVariant() : QVariant(colourOf(c.backColor));
    case ForeRole:
        return c.foreColor < 0 ? QVariant() : QVariant(colourOf(c.foreColor));
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return {};
    const GridColumn& c = m_columns.at(section);
    switch (role) {
    case Qt::DisplayRole:
        return c.header;
    case Qt::DecorationRole:
        return !c.headerIconRight && c.headerIcon >= 0 && c.headerIcon < m_images.size()
            ? QVariant(QIcon(m_images.at(c.headerIcon)))
            : QVariant();
    case Qt::TextAlignmentRole:
        return int(Qt::AlignVCenter
            | ((c.headerAlignment & GridText::Right)         ? Qt::AlignRight
                    : (c.headerAlignment & GridText::Center) ? Qt::AlignHCenter
                                                             : Qt::AlignLeft));
    default:
        return {};
    }
}

void GridModel::setImages(const QList<QPixmap>& images)
{
    m_images = images;
    if (!m_rows.isEmpty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

QPixmap GridModel::image(qint32 index) const
{
    return index >= 0 && index < m_images.size() ? m_images.at(index) : QPixmap();
}

void GridModel::addColumn(const GridColumn& column)
{
    const int at = columnCount();
    beginInsertColumns({}, at, at);
    m_columns.append(column);
    for (QList<GridCell>& row : m_rows)
        row.append(GridCell{});
    endInsertColumns();
}

bool GridModel::setCell(int row, int column, GridCell cell)
{
    if (row < 0 || row > m_rows.size() || column < 0 || column >= m_columns.size())
        return false;
    if (row == m_rows.size()) {
        beginInsertRows({}, row, row);
        m_rows.append(QList<GridCell>(m_columns.size()));
        m_heights.append(0);
        m_rows[row][column] = std::move(cell);
        endInsertRows();
        return true;
    }
    m_rows[row][column] = std::move(cell);
    const QModelIndex at = index(row, column);
    emit dataChanged(at, at);
    return true;
}

void GridModel::clearRows()
{
    beginResetModel();
    m_rows.clear();
    m_heights.clear();
    endResetModel();
}

void GridModel::removeRow(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    m_heights.removeAt(row);
    endRemoveRows();
}

void GridModel::sortBy(int column, qint32 order, qint32 sortType)
{
    if (column < 0 || column >= m_columns.size() || m_rows.size() < 2)
        return;
    // Date texts are read once per row, not once per comparison; texts that
    // name no time sort before every time, among themselves as text.
    QList<int> order_(m_rows.size());
    std::iota(order_.begin(), order_.end(), 0);
    const bool descending = order == GridSort::Descending;
    if (sortType == GridSort::DateTime) {
        QList<std::optional<QDateTime>> keys(m_rows.size());
        for (int r = 0; r < m_rows.size(); ++r)
            keys[r] = DateTimeText::parseDateAndTime(m_rows.at(r).at(column).text);
        std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
            const auto& x = keys.at(a);
            const auto& y = keys.at(b);
            int c = 0;
            if (x && y)
                c = (*x > *y) - (*x < *y);
            else if (x || y)
                c = x ? 1 : -1;
            else
                c = m_rows.at(a).at(column).text.compare(m_rows.at(b).at(column).text, Qt::CaseInsensitive);
            return descending ? c > 0 : c < 0;
        });
    } else {
        std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
            const int c = compareCells(m_rows.at(a).at(column), m_rows.at(b).at(column), sortType);
            return descending ? c > 0 : c < 0;
        });
    }

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    QList<int> newRowOf(m_rows.size());
    QList<QList<GridCell>> rows;
    QList<qint32> heights;
    rows.reserve(m_rows.size());
    heights.reserve(m_rows.size());
    for (int i = 0; i < order_.size(); ++i) {
        newRowOf[order_.at(i)] = i;
        rows.append(std::move(m_rows[order_.at(i)]));
        heights.append(m_heights.at(order_.at(i)));
    }
    m_rows = std::move(rows);
    m_heights = std::move(heights);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& i : before)
        after.append(index(newRowOf.at(i.row()), i.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

#include "platform/grid/vbalGrid.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr int kIconSize = 16;
constexpr int kTextMargin = 3;

int qtAlignment(qint32 flags)
{
    const int horizontal = (flags & GridText::Right) ? Qt::AlignRight
        : (flags & GridText::Center)                 ? Qt::AlignHCenter
                                                     : Qt::AlignLeft;
    return horizontal | Qt::AlignVCenter;
}

// Draws one cell in the top band of its row (DefaultRowHeight high); the rest
// of a taller row belongs to the row text the grid draws afterwards.
class CellPainter : public QStyledItemDelegate {
public:
    CellPainter(const GridModel& model, const qint32& bandHeight, QObject* parent)
        : QStyledItemDelegate(parent)
        , m_model(model)
        , m_bandHeight(bandHeight)
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->save();
        const bool selected = option.state & QStyle::State_Selected;
        const QVariant back = index.data(GridModel::BackRole);
        if (selected)
            painter->fillRect(option.rect, option.palette.brush(QPalette::Highlight));
        else if (back.isValid())
            painter->fillRect(option.rect, back.value<QColor>());

        QRect band = option.rect;
        band.setHeight(qMin(option.rect.height(), m_bandHeight));
        band.adjust(kTextMargin + index.data(GridModel::IndentRole).toInt(), 0, -kTextMargin, 0);
        const QPixmap icon = m_model.image(index.data(GridModel::IconRole).toInt());
        if (!icon.isNull()) {
            const QRect at(band.left(), band.top() + (band.height() - kIconSize) / 2, kIconSize, kIconSize);
            painter->drawPixmap(at, icon);
            band.setLeft(at.right() + kTextMargin);
        }
        const QString text = index.data(Qt::DisplayRole).toString();
        if (!text.isEmpty()) {
            const QVariant font = index.data(Qt::FontRole);
            painter->setFont(font.isValid() ? font.value<QFont>() : option.font);
            const QVariant fore = index.data(GridModel::ForeRole);
            painter->setPen(selected ? option.palette.color(QPalette::HighlightedText)
                    : fore.isValid() ? fore.value<QColor>()
                                     : option.palette.color(QPalette::Text));
            const qint32 flags = index.data(GridModel::FlagsRole).toInt();
            if (flags & GridText::WordBreak) {
                painter->drawText(band, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
            } else {
                const QString shown = (flags & (GridText::WordEllipsis | GridText::EndEllipsis))
                    ? painter->fontMetrics().elidedText(text, Qt::ElideRight, band.width())
                    : text;
                painter->drawText(band, qtAlignment(flags) | Qt::TextSingleLine, shown);
            }
        }
        painter->restore();
    }

private:
    const GridModel& m_model;
    const qint32& m_bandHeight;
};

// Draws a header image that stands after the text (a sort arrow) itself: the
// style puts every header image before the text.
class GridHeader : public QHeaderView {
public:
    GridHeader(const GridModel& model, QWidget* parent)
        : QHeaderView(Qt::Horizontal, parent)
        , m_model(model)
    {
    }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int section) const override
    {
        QHeaderView::paintSection(painter, rect, section);
        if (section < 0 || section >= m_model.columnCount() || !m_model.column(section).headerIconRight)
            return;
        const QPixmap icon = m_model.image(m_model.column(section).headerIcon);
        if (icon.isNull())
            return;
        const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
        const int text = fontMetrics().horizontalAdvance(m_model.column(section).header);
        const int room = qMax(0, rect.width() - kIconSize - 2 * margin);
        const int offset = qMin(2 * margin + text, room);
        // The style draws header texts from the section's left edge either
        // way round, so the image follows the text there too.
        const int x = rect.left() + offset;
        painter->save();
        painter->setClipRect(rect);
        painter->drawPixmap(
            QRect(x, rect.top() + (rect.height() - kIconSize) / 2, kIconSize, kIconSize), icon);
        painter->restore();
    }

private:
    const GridModel& m_model;
};

qint32 buttonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

qint32 shiftCode(Qt::KeyboardModifiers modifiers)
{
    return ((modifiers & Qt::ShiftModifier) ? 1 : 0) | ((modifiers & Qt::ControlModifier) ? 2 : 0)
        | ((modifiers & Qt::AltModifier) ? 4 : 0);
}

} // namespace

// --- GridCellRef ---

GridCellRef::GridCellRef(vbalGrid& grid, qint32 row, qint32 column)
    : m_grid(grid)
    , m_row(row)
    , m_column(column)
{
}

QString GridCellRef::Text() const
{
    return m_grid.CellText(m_row, m_column);
}

void GridCellRef::SetText(const QString& text)
{
    m_grid.SetCellText(m_row, m_column, text);
}

qint32 GridCellRef::Icon() const
{
    return m_grid.CellIcon(m_row, m_column);
}

void GridCellRef::SetIcon(qint32 icon)
{
    m_grid.SetCellIcon(m_row, m_column, icon);
}

QFont GridCellRef::Font() const
{
    return m_grid.CellFont(m_row, m_column);
}

bool GridCellRef::Selected() const
{
    return m_grid.CellSelected(m_row, m_column);
}

// --- vbalGrid ---

vbalGrid::vbalGrid(QWidget* parent)
    : QTableView(parent)
{
    setModel(&m_model);
    setHorizontalHeader(new GridHeader(m_model, this));
    horizontalHeader()->setSectionsClickable(true);
    setItemDelegate(new CellPainter(m_model, m_defaultRowHeight, this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setIconSize(QSize(kIconSize, kIconSize));
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(m_defaultRowHeight);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
        [this](int section) { emit ColumnClick(section + 1); });
    connect(&m_model, &QAbstractItemModel::layoutChanged, this, &vbalGrid::applyRowHeights);
}

void vbalGrid::AddColumn(const QString& key, const QString& header, qint32 headerAlignment, qint32 headerIcon,
    qint32 width, bool visible, bool, const QString&, bool, const QString&, bool rowText, qint32 sortType)
{
    GridColumn column;
    column.key = key;
    column.header = header;
    column.headerAlignment = headerAlignment;
    column.headerIcon = headerIcon;
    if (width > 0)
        column.width = width;
    column.visible = visible;
    column.rowText = rowText;
    column.sortType = sortType;
    m_model.addColumn(column);
    const int section = m_model.columnCount() - 1;
    setColumnWidth(section, column.width);
    // The row-text column is drawn under the cells, never as a column.
    setColumnHidden(section, !visible || rowText);
}

void vbalGrid::SetCell(qint32 row, qint32 column, const QString& text, qint32 textFlags, qint32 icon,
    qint32 backColor, qint32 foreColor, const std::optional<QFont>& font, qint32 indent, qint32 extraIcon,
    qint32 itemData)
{
    GridCell cell;
    cell.text = text;
    cell.textFlags = textFlags;
    cell.icon = icon;
    cell.backColor = backColor;
    cell.foreColor = foreColor;
    if (font)
        cell.font = QFont(*font); // its state now, not the caller's object
    cell.indent = indent;
    cell.extraIcon = extraIcon;
    cell.itemData = itemData;
    m_model.setCell(row - 1, column - 1, std::move(cell));
}

bool vbalGrid::validCell(qint32 row, qint32 column) const
{
    return row >= 1 && row <= Rows() && column >= 1 && column <= Columns();
}

QString vbalGrid::CellText(qint32 row, qint32 column) const
{
    return validCell(row, column) ? m_model.cell(row - 1, column - 1).text : QString();
}

void vbalGrid::SetCellText(qint32 row, qint32 column, const QString& text)
{
    if (validCell(row, column))
        m_model.changeCell(row - 1, column - 1, [&](GridCell& c) { c.text = text; });
}

qint32 vbalGrid::CellIcon(qint32 row, qint32 column) const
{
    return validCell(row, column) ? m_model.cell(row - 1, column - 1).icon : -1;
}

void vbalGrid::SetCellIcon(qint32 row, qint32 column, qint32 icon)
{
    if (validCell(row, column))
        m_model.changeCell(row - 1, column - 1, [&](GridCell& c) { c.icon = icon; });
}

QFont vbalGrid::CellFont(qint32 row, qint32 column) const
{
    if (!validCell(row, column))
        return font();
    const std::optional<QFont>& f = m_model.cell(row - 1, column - 1).font;
    return f ? *f : font();
}

void vbalGrid::SetCellFont(qint32 row, qint32 column, const QFont& cellFont)
{
    if (validCell(row, column))
        m_model.changeCell(row - 1, column - 1, [&](GridCell& c) { c.font = QFont(cellFont); });
}

qint32 vbalGrid::CellItemData(qint32 row, qint32 column) const
{
    return validCell(row, column) ? m_model.cell(row - 1, column - 1).itemData : 0;
}

void vbalGrid::SetCellItemData(qint32 row, qint32 column, qint32 itemData)
{
    if (validCell(row, column))
        m_model.changeCell(row - 1, column - 1, [&](GridCell& c) { c.itemData = itemData; });
}

qint32 vbalGrid::CellForeColor(qint32 row, qint32 column) const
{
    return validCell(row, column) ? m_model.cell(row - 1, column - 1).foreColor : -1;
}

qint32 vbalGrid::CellTextFlags(qint32 row, qint32 column) const
{
    return validCell(row, column) ? m_model.cell(row - 1, column - 1).textFlags : 0;
}

bool vbalGrid::CellSelected(qint32 row, qint32 column) const
{
    return validCell(row, column) && selectionModel()->isRowSelected(row - 1, {});
}

qint32 vbalGrid::CellTextHeight(qint32 row, qint32 column) const
{
    if (!validCell(row, column))
        return 0;
    const GridCell& c = m_model.cell(row - 1, column - 1);
    const QFontMetrics metrics(CellFont(row, column));
    if (!(c.textFlags & GridText::WordBreak) || c.text.isEmpty())
        return metrics.height();
    const int width = qMax(1, m_model.column(column - 1).width - 2 * kTextMargin);
    return metrics.boundingRect(QRect(0, 0, width, 1 << 20), Qt::TextWordWrap, c.text).height();
}

void vbalGrid::Clear()
{
    m_model.clearRows();
}

void vbalGrid::RemoveRow(qint32 row)
{
    m_model.removeRow(row - 1);
}

qint32 vbalGrid::Rows() const
{
    return m_model.rowCount();
}

qint32 vbalGrid::Columns() const
{
    return m_model.columnCount();
}

qint32 vbalGrid::RowHeight(qint32 row) const
{
    if (row < 1 || row > Rows())
        return 0;
    const qint32 height = m_model.rowHeight(row - 1);
    return height > 0 ? height : m_defaultRowHeight;
}

void vbalGrid::SetRowHeight(qint32 row, qint32 height)
{
    if (row < 1 || row > Rows())
        return;
    m_model.setRowHeight(row - 1, height > 0 ? height : 0);
    setRowHeight(row - 1, RowHeight(row));
}

void vbalGrid::SetDefaultRowHeight(qint32 height)
{
    m_defaultRowHeight = qMax(1, height);
    verticalHeader()->setDefaultSectionSize(m_defaultRowHeight);
    applyRowHeights();
}

void vbalGrid::applyRowHeights()
{
    QHeaderView* header = verticalHeader();
    for (qint32 r = 1; r <= Rows(); ++r) {
        const qint32 height = RowHeight(r);
        if (header->sectionSize(r - 1) != height)
            header->resizeSection(r - 1, height);
    }
}

qint32 vbalGrid::SelectedRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

void vbalGrid::SetSelectedRow(qint32 row)
{
    if (row < 1 || row > Rows()) {
        selectionModel()->clearSelection();
        selectionModel()->clearCurrentIndex();
        return;
    }
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    selectionModel()->setCurrentIndex(
        m_model.index(row - 1, column), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(m_model.index(row - 1, column));
}

qint32 vbalGrid::SelectedColumn() const
{
    return currentIndex().isValid() ? currentIndex().column() + 1 : 0;
}

void vbalGrid::SetSelectedColumn(qint32 column)
{
    if (column < 1 || column > Columns() || !currentIndex().isValid())
        return;
    selectionModel()->setCurrentIndex(
        m_model.index(currentIndex().row(), column - 1), QItemSelectionModel::NoUpdate);
}

qint32 vbalGrid::SelectedCount() const
{
    return qint32(selectionModel()->selectedRows().size());
}

void vbalGrid::SelectRow(qint32 row, bool selected)
{
    if (row < 1 || row > Rows())
        return;
    selectionModel()->select(m_model.index(row - 1, 0),
        (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) | QItemSelectionModel::Rows);
}

void vbalGrid::Sort()
{
    if (m_criteria.column < 1)
        return;
    m_model.sortBy(m_criteria.column - 1, m_criteria.order, m_criteria.sortType);
}

qint32 vbalGrid::ColumnSortType(qint32 column) const
{
    return column >= 1 && column <= Columns() ? m_model.column(column - 1).sortType : 0;
}

QString vbalGrid::ColumnHeader(qint32 column) const
{
    return column >= 1 && column <= Columns() ? m_model.column(column - 1).header : QString();
}

qint32 vbalGrid::ColumnIcon(qint32 column) const
{
    return column >= 1 && column <= Columns() ? m_model.column(column - 1).headerIcon : -1;
}

void vbalGrid::SetColumnIcon(qint32 column, qint32 icon)
{
    if (column >= 1 && column <= Columns())
        m_model.changeHeader(column - 1, [&](GridColumn& c) { c.headerIcon = icon; });
}

bool vbalGrid::ColumnIconOnRight(qint32 column) const
{
    return column >= 1 && column <= Columns() && m_model.column(column - 1).headerIconRight;
}

void vbalGrid::SetColumnIconOnRight(qint32 column, bool onRight)
{
    if (column >= 1 && column <= Columns())
        m_model.changeHeader(column - 1, [&](GridColumn& c) { c.headerIconRight = onRight; });
}

QString vbalGrid::ColumnTag(qint32 column) const
{
    return column >= 1 && column <= Columns() ? m_model.column(column - 1).tag : QString();
}

void vbalGrid::SetColumnTag(qint32 column, const QString& tag)
{
    if (column >= 1 && column <= Columns())
        m_model.column(column - 1).tag = tag;
}

QString vbalGrid::ColumnKey(qint32 column) const
{
    return column >= 1 && column <= Columns() ? m_model.column(column - 1).key : QString();
}

bool vbalGrid::ColumnVisible(qint32 column) const
{
    return column >= 1 && column <= Columns() && m_model.column(column - 1).visible;
}

void vbalGrid::SetRedraw(bool on)
{
    if (on == m_redraw)
        return;
    m_redraw = on;
    setUpdatesEnabled(on);
    if (on) {
        viewport()->update();
        emit RedrawOn(0);
    }
}

void vbalGrid::SetImageList(const QList<QPixmap>& images)
{
    m_model.setImages(images);
}

void vbalGrid::SetBorderStyle(qint32 style)
{
    setFrameShape(style == 1 ? QFrame::StyledPanel : QFrame::NoFrame);
}

double vbalGrid::twipsPerPixelX() const
{
    return kTwipsPerInch / logicalDpiX();
}

double vbalGrid::twipsPerPixelY() const
{
    return kTwipsPerInch / logicalDpiY();
}

int vbalGrid::rowTextColumn() const
{
    for (int c = 0; c < m_model.columnCount(); ++c) {
        if (m_model.column(c).rowText)
            return c;
    }
    return -1;
}

void vbalGrid::mousePressEvent(QMouseEvent* event)
{
    m_pressRow = currentIndex().isValid() ? currentIndex().row() + 1 : 0;
    m_pressColumn = SelectedColumn();
    QTableView::mousePressEvent(event);
    const QPointF at = viewport()->mapTo(this, event->position());
    emit MouseDown(buttonCode(event->button()), shiftCode(event->modifiers()),
        float(at.x() * twipsPerPixelX()), float(at.y() * twipsPerPixelY()));
}

void vbalGrid::mouseReleaseEvent(QMouseEvent* event)
{
    QTableView::mouseReleaseEvent(event);
    const QPointF at = viewport()->mapTo(this, event->position());
    // The click has made the clicked cell current: MouseUp reads its column,
    // and only then is the move of the current column announced.
    emit MouseUp(buttonCode(event->button()), shiftCode(event->modifiers()), float(at.x() * twipsPerPixelX()),
        float(at.y() * twipsPerPixelY()));
    if (SelectedColumn() != m_pressColumn)
        emit ColumnSelect(SelectedRow(), SelectedColumn(), m_pressRow, m_pressColumn, 0);
}

void vbalGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    const QModelIndex at = indexAt(event->position().toPoint());
    if (at.isValid())
        emit DblClick(at.row() + 1, at.column() + 1);
}

void vbalGrid::paintEvent(QPaintEvent* event)
{
    QTableView::paintEvent(event);
    const int textColumn = rowTextColumn();
    if (textColumn < 0 || Rows() == 0)
        return;
    QPainter painter(viewport());
    const QRect area = viewport()->rect();
    const int first = qMax(0, rowAt(area.top()));
    int last = rowAt(area.bottom());
    if (last < 0)
        last = Rows() - 1;
    for (int r = first; r <= last; ++r) {
        const GridCell& c = m_model.cell(r, textColumn);
        const int height = rowHeight(r);
        if (c.text.isEmpty() || height <= m_defaultRowHeight)
            continue;
        const QRect band(kTextMargin, rowViewportPosition(r) + m_defaultRowHeight,
            area.width() - 2 * kTextMargin, height - m_defaultRowHeight);
        const bool selected = selectionModel()->isRowSelected(r, {});
        painter.setFont(c.font ? *c.font : font());
        painter.setPen(selected ? palette().color(QPalette::HighlightedText)
                : c.foreColor < 0
                ? palette().color(QPalette::Text)
                : QColor(c.foreColor & 0xFF, (c.foreColor >> 8) & 0xFF, (c.foreColor >> 16) & 0xFF));
        painter.drawText(band, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, c.text);
    }
}

#pragma once

#include "platform/grid/GridModel.h"

#include <QFont>
#include <QPixmap>
#include <QString>
#include <QTableView>

#include <optional>

class vbalGrid;

// One cell as Cell(row, column) hands it out: reads and writes go to the grid.
class GridCellRef {
public:
    GridCellRef(vbalGrid& grid, qint32 row, qint32 column);

    QString Text() const;
    void SetText(const QString& text);
    qint32 Icon() const; // -1: none
    void SetIcon(qint32 icon);
    QFont Font() const;
    bool Selected() const; // the cell's row is selected

private:
    vbalGrid& m_grid;
    qint32 m_row;
    qint32 m_column;
};

// The one sort criterion Sort orders by.
struct GridSortCriteria {
    qint32 column = 0; // 0: none
    qint32 order = GridSort::Ascending;
    qint32 sortType = 0;

    void Clear() { *this = GridSortCriteria(); }
    void Add(qint32 sortColumn, qint32 sortOrder, qint32 type)
    {
        column = sortColumn;
        order = sortOrder;
        sortType = type;
    }
};

// The grid the desktop shows calls, contacts and translations in. Rows and
// columns count from 1; a cell holds text, drawing flags, an icon from the
// image list, colours, a font and an item number. The row-text column is not
// a column on screen: its text is drawn under the row's cells, across the
// grid, in the height the row has beyond DefaultRowHeight.
class vbalGrid : public QTableView {
    Q_OBJECT
public:
    explicit vbalGrid(QWidget* parent = nullptr);

    // Appends the next column; trailing arguments may be left out.
    void AddColumn(const QString& key, const QString& header = {}, qint32 headerAlignment = 0,
        qint32 headerIcon = -1, qint32 width = -1, bool visible = true, bool flag1 = false,
        const QString& keyBefore = {}, bool flag2 = false, const QString& format = {}, bool rowText = false,
        qint32 sortType = 0);

    // Sets every part of one cell; row Rows() + 1 adds a row. The font's
    // state is copied now, so a caller may change its font object afterwards.
    void SetCell(qint32 row, qint32 column, const QString& text = {}, qint32 textFlags = 0, qint32 icon = -1,
        qint32 backColor = -1, qint32 foreColor = -1, const std::optional<QFont>& font = std::nullopt,
        qint32 indent = 0, qint32 extraIcon = -1, qint32 itemData = 0);

    GridCellRef Cell(qint32 row, qint32 column) { return GridCellRef(*this, row, column); }
    QString CellText(qint32 row, qint32 column) const;
    void SetCellText(qint32 row, qint32 column, const QString& text);
    qint32 CellIcon(qint32 row, qint32 column) const;
    void SetCellIcon(qint32 row, qint32 column, qint32 icon);
    QFont CellFont(qint32 row, qint32 column) const;
    void SetCellFont(qint32 row, qint32 column, const QFont& font);
    qint32 CellItemData(qint32 row, qint32 column) const;
    void SetCellItemData(qint32 row, qint32 column, qint32 itemData);
    qint32 CellForeColor(qint32 row, qint32 column) const;
    qint32 CellTextFlags(qint32 row, qint32 column) const;
    bool CellSelected(qint32 row, qint32 column) const;
    // The height the cell's text needs in pixels.
    qint32 CellTextHeight(qint32 row, qint32 column) const;

    void Clear(); // rows only; the columns stay
    void RemoveRow(qint32 row);
    qint32 Rows() const;
    qint32 Columns() const;

    qint32 RowHeight(qint32 row) const;
    void SetRowHeight(qint32 row, qint32 height);
    qint32 DefaultRowHeight() const { return m_defaultRowHeight; }
    void SetDefaultRowHeight(qint32 height);

    // The current row; 0: none.
    qint32 SelectedRow() const;
    // Makes row the one selected and current row; 0 or less selects none.
    void SetSelectedRow(qint32 row);
    qint32 SelectedColumn() const;
    void SetSelectedColumn(qint32 column);
    qint32 SelectedCount() const;
    // Adds row to the selection (as a control-click does).
    void SelectRow(qint32 row, bool selected = true);

    GridSortCriteria& SortCriteria() { return m_criteria; }
    void Sort();

    qint32 ColumnSortType(qint32 column) const;
    QString ColumnHeader(qint32 column) const;
    qint32 ColumnIcon(qint32 column) const; // -1: none
    void SetColumnIcon(qint32 column, qint32 icon);
    // The header image stands to the right of the header text instead of
    // before it.
    bool ColumnIconOnRight(qint32 column) const;
    void SetColumnIconOnRight(qint32 column, bool onRight);
    QString ColumnTag(qint32 column) const;
    void SetColumnTag(qint32 column, const QString& tag);
    QString ColumnKey(qint32 column) const;
    bool ColumnVisible(qint32 column) const;

    bool Redraw() const { return m_redraw; }
    void SetRedraw(bool on);
    void SetImageList(const QList<QPixmap>& images);
    const QList<QPixmap>& ImageList() const { return m_model.images(); }
    void SetBorderStyle(qint32 style);

    // Twips (1/1440 inch) per pixel on this screen.
    double twipsPerPixelX() const;
    double twipsPerPixelY() const;

signals:
    void ColumnClick(qint32 column);
    // Raised after MouseUp when a click moved the current column; the five
    // arguments are the row, the column, the previous row and column, and 0.
    void ColumnSelect(qint32 row, qint32 column, qint32 previousRow, qint32 previousColumn, qint32 unused);
    // Button: 1 left, 2 right, 4 middle; Shift: 1 Shift, 2 Ctrl, 4 Alt; X, Y in twips.
    void MouseDown(qint32 button, qint32 shift, float x, float y);
    void MouseUp(qint32 button, qint32 shift, float x, float y);
    void DblClick(qint32 row, qint32 column);
    void RedrawOn(qint32 unused);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool validCell(qint32 row, qint32 column) const;
    int rowTextColumn() const;
    void applyRowHeights();

    GridModel m_model;
    GridSortCriteria m_criteria;
    qint32 m_defaultRowHeight = 20;
    bool m_redraw = true;
    qint32 m_pressRow = 0;
    qint32 m_pressColumn = 0;
};

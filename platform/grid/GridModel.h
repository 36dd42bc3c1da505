#pragma once

#include <QAbstractTableModel>
#include <QFont>
#include <QList>
#include <QPixmap>
#include <QString>

#include <optional>

// Text-drawing flags the grid's callers pass with a cell (the values the
// stored layouts use).
namespace GridText {
inline constexpr qint32 Center = 0x1;
inline constexpr qint32 Right = 0x2;
inline constexpr qint32 VCenter = 0x4;
inline constexpr qint32 WordBreak = 0x10;
inline constexpr qint32 SingleLine = 0x20;
inline constexpr qint32 EndEllipsis = 0x8000;
inline constexpr qint32 WordEllipsis = 0x40000;
} // namespace GridText

// Sort types a column can carry; any other value sorts as text.
namespace GridSort {
inline constexpr qint32 DateTime = 200;
inline constexpr qint32 Icon = 300;
inline constexpr qint32 Descending = 1;
inline constexpr qint32 Ascending = 2;
} // namespace GridSort

struct GridCell {
    QString text;
    qint32 textFlags = 0;
    qint32 icon = -1;
    qint32 backColor = -1; // 0x00BBGGRR, -1 the grid's own
    qint32 foreColor = -1;
    std::optional<QFont> font; // none: the grid's font
    qint32 indent = 0;
    qint32 extraIcon = -1;
    qint32 itemData = 0;
};

struct GridColumn {
    QString key;
    QString header;
    qint32 headerAlignment = 0;
    qint32 headerIcon = -1;
    bool headerIconRight = false; // drawn by the grid's header after the text
    qint32 width = 100;
    bool visible = true;
    bool rowText = false;
    qint32 sortType = 0;
    QString tag;
};

// The cells of a vbalGrid, rows and columns from 0 inside; the grid turns its
// 1-based numbers into these. Roles carry what the grid's painter needs.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Role { FlagsRole = Qt::UserRole + 1, IconRole, BackRole, ForeRole, IndentRole };

    explicit GridModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void setImages(const QList<QPixmap>& images);
    const QList<QPixmap>& images() const { return m_images; }
    QPixmap image(qint32 index) const;

    void addColumn(const GridColumn& column);
    const GridColumn& column(int c) const { return m_columns.at(c); }
    GridColumn& column(int c) { return m_columns[c]; }
    // Changes one column's header in place and repaints it.
    template<class Change>
    void changeHeader(int c, Change change)
    {
        change(m_columns[c]);
        emit headerDataChanged(Qt::Horizontal, c, c);
    }

    // Row rowCount() appends a row; anything further off is refused.
    bool setCell(int row, int column, GridCell cell);
    const GridCell& cell(int row, int column) const { return m_rows.at(row).at(column); }
    // Changes one cell in place and repaints it.
    template<class Change>
    void changeCell(int row, int column, Change change)
    {
        change(m_rows[row][column]);
        const QModelIndex at = index(row, column);
        emit dataChanged(at, at);
    }

    // 0: the grid's default height.
    qint32 rowHeight(int row) const { return m_heights.at(row); }
    void setRowHeight(int row, qint32 height) { m_heights[row] = height; }

    void clearRows();
    void removeRow(int row);

    // Stable: rows that compare equal keep their order.
    void sortBy(int column, qint32 order, qint32 sortType);

private:
    QList<GridColumn> m_columns;
    QList<QList<GridCell>> m_rows;
    QList<qint32> m_heights;
    QList<QPixmap> m_images;
};

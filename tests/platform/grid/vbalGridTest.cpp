#include "platform/grid/vbalGrid.h"

#include <QHeaderView>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Three columns: a shown text column, an icon column and a hidden one.
class vbalGridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        grid.resize(400, 200);
        grid.SetDefaultRowHeight(22);
        grid.AddColumn(u"name"_s, u"Name"_s, 0, -1, 150);
        grid.AddColumn(u"when"_s, u"When"_s, 0, -1, 150, true, false, {}, false, {}, false, 200);
        grid.AddColumn(u"mark"_s, {}, 0, -1, 40, true, false, {}, false, {}, false, 300);
        grid.AddColumn(u"hidden"_s, u"HIDDEN"_s, 0, -1, 60, false);
    }

    void addRow(const QString& name, const QString& when, qint32 icon)
    {
        const qint32 row = grid.Rows() + 1;
        grid.SetCell(row, 1, name);
        grid.SetCell(row, 2, when);
        grid.SetCell(row, 3, {}, 0, icon);
        grid.SetCell(row, 4, QString::number(row));
    }

    // Column 4 of every row, top to bottom: the rows' first positions.
    QString order()
    {
        QStringList numbers;
        for (qint32 r = 1; r <= grid.Rows(); ++r)
            numbers.append(grid.CellText(r, 4));
        return numbers.join(u' ');
    }

    QPoint centreOf(qint32 row, qint32 column)
    {
        return grid.visualRect(grid.model()->index(row - 1, column - 1)).center();
    }

    vbalGrid grid;
};

TEST_F(vbalGridTest, SetCellOnTheRowAfterTheLastAddsOneRowAndNothingFurther)
{
    EXPECT_EQ(grid.Rows(), 0);
    EXPECT_EQ(grid.Columns(), 4);
    grid.SetCell(1, 2, u"first"_s);
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(grid.CellText(1, 2), u"first"_s);
    EXPECT_EQ(grid.CellText(1, 1), QString());
    EXPECT_EQ(grid.CellIcon(1, 1), -1);

    grid.SetCell(3, 1, u"too far"_s);
    grid.SetCell(2, 5, u"no such column"_s);
    EXPECT_EQ(grid.Rows(), 1);

    // Setting a cell again replaces all of it: an omitted text leaves none.
    grid.SetCell(1, 2, {}, 0, 4);
    EXPECT_EQ(grid.CellText(1, 2), QString());
    EXPECT_EQ(grid.CellIcon(1, 2), 4);
}

TEST_F(vbalGridTest, ARowKeepsTheFontItWasSetWithAfterTheSharedFontObjectChanges)
{
    QFont rowFont(u"Tahoma"_s, 8);
    rowFont.setBold(true);
    grid.SetCell(1, 1, u"unread"_s, 0, -1, -1, -1, rowFont);
    rowFont.setBold(false);
    grid.SetCell(2, 1, u"read"_s, 0, -1, -1, -1, rowFont);

    EXPECT_TRUE(grid.CellFont(1, 1).bold());
    EXPECT_FALSE(grid.CellFont(2, 1).bold());
    EXPECT_EQ(grid.Cell(1, 1).Font().pointSize(), 8);
    EXPECT_EQ(grid.CellFont(1, 2), grid.font()); // no font given: the grid's own
}

TEST_F(vbalGridTest, SortsByDateAndTimeAcrossYearsByIconAndByTextStably)
{
    addRow(u"carol"_s, u"Thursday, December 10, 2026 09:00:00"_s, 9);
    addRow(u"Ann"_s, u"12/31/2025 23:59:59"_s, -1);
    addRow(u"bob"_s, u"Friday, January 1, 2027 00:00:00"_s, 3);
    addRow(u"ann"_s, u"Thursday, December 10, 2026 08:59:59"_s, 3);
    addRow(u"dave"_s, u"not a date"_s, -1);

    struct Case {
        qint32 column;
        qint32 order;
        const char* expected;
    };
    const Case cases[] = {
        // Dates, not texts: 2025 before 2026 before 2027; no date first.
        {2, GridSort::Ascending, "5 2 4 1 3"},
        {2, GridSort::Descending, "3 1 4 2 5"},
        // Icons by number, rows of one icon in the order they had.
        {3, GridSort::Ascending, "2 5 3 4 1"},
        // Text without regard to case; "Ann" and "ann" keep their order.
        {1, GridSort::Ascending, "2 4 3 1 5"},
    };
    for (const Case& c : cases) {
        grid.SortCriteria().Clear();
        grid.SortCriteria().Add(c.column, c.order, grid.ColumnSortType(c.column));
        grid.Sort();
        // Each sort starts from the previous one's order: go back to row order.
        const QString sorted = order();
        EXPECT_EQ(sorted.toStdString(), c.expected) << "column " << c.column;
        grid.SortCriteria().Add(4, GridSort::Ascending, 0);
        grid.Sort();
    }
}

TEST_F(vbalGridTest, HiddenColumnsAreNotShownButKeepTheirText)
{
    addRow(u"ann"_s, u"12/31/2025 23:59:59"_s, -1);
    EXPECT_TRUE(grid.isColumnHidden(3));
    EXPECT_FALSE(grid.ColumnVisible(4));
    EXPECT_EQ(grid.CellText(1, 4), u"1"_s);
    grid.Cell(1, 4).SetText(u"\\Data\\Log\\2025\\12\\31\\"_s);
    EXPECT_EQ(grid.Cell(1, 4).Text(), u"\\Data\\Log\\2025\\12\\31\\"_s);
    EXPECT_EQ(grid.ColumnHeader(4), u"HIDDEN"_s);
    EXPECT_EQ(grid.ColumnSortType(2), 200);
}

TEST_F(vbalGridTest, SelectionCountsRowsAndZeroMeansNone)
{
    for (int i = 0; i < 4; ++i)
        addRow(u"row"_s, {}, -1);
    EXPECT_EQ(grid.SelectedRow(), 0);
    EXPECT_EQ(grid.SelectedCount(), 0);

    grid.SetSelectedRow(3);
    EXPECT_EQ(grid.SelectedRow(), 3);
    EXPECT_EQ(grid.SelectedCount(), 1);
    EXPECT_TRUE(grid.Cell(3, 1).Selected());
    EXPECT_FALSE(grid.Cell(2, 1).Selected());

    grid.SelectRow(1);
    EXPECT_EQ(grid.SelectedCount(), 2);
    EXPECT_EQ(grid.SelectedRow(), 3); // adding to the selection keeps the current row

    grid.SetSelectedRow(0);
    EXPECT_EQ(grid.SelectedRow(), 0);
    EXPECT_EQ(grid.SelectedCount(), 0);
}

TEST_F(vbalGridTest, RemoveRowMovesTheRowsBelowUpWithTheirHeightsAndSelection)
{
    for (int i = 0; i < 4; ++i)
        addRow(u"row"_s, {}, -1);
    grid.SetRowHeight(3, 60);
    grid.SetSelectedRow(4);

    grid.RemoveRow(2);
    EXPECT_EQ(order().toStdString(), "1 3 4");
    EXPECT_EQ(grid.RowHeight(2), 60);
    EXPECT_EQ(grid.rowHeight(1), 60);
    EXPECT_EQ(grid.RowHeight(3), 22);
    EXPECT_EQ(grid.SelectedRow(), 3);

    grid.RemoveRow(9);
    EXPECT_EQ(grid.Rows(), 3);
    grid.Clear();
    EXPECT_EQ(grid.Rows(), 0);
    EXPECT_EQ(grid.Columns(), 4);
}

TEST_F(vbalGridTest, RowHeightsFollowTheirRowsThroughASort)
{
    addRow(u"b"_s, {}, -1);
    addRow(u"a"_s, {}, -1);
    EXPECT_EQ(grid.RowHeight(1), 22);
    grid.SetRowHeight(1, 70);
    grid.SortCriteria().Add(1, GridSort::Ascending, 0);
    grid.Sort();
    EXPECT_EQ(grid.CellText(2, 1), u"b"_s);
    EXPECT_EQ(grid.RowHeight(2), 70);
    EXPECT_EQ(grid.rowHeight(1), 70);
    EXPECT_EQ(grid.rowHeight(0), 22);

    // A word-wrapped text needs more height than one line.
    const QString text = u"one two three four five six seven eight nine ten eleven twelve"_s;
    grid.SetCell(1, 1, text, GridText::WordBreak);
    grid.SetCell(2, 1, text, GridText::SingleLine);
    EXPECT_GT(grid.CellTextHeight(1, 1), grid.CellTextHeight(2, 1));
}

TEST_F(vbalGridTest, MouseUpSeesTheClickedColumnBeforeColumnSelectIsRaised)
{
    addRow(u"ann"_s, {}, -1);
    addRow(u"bob"_s, {}, 3);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    grid.SetSelectedRow(1);

    QStringList events;
    qint32 columnAtMouseUp = 0;
    qint32 rowAtMouseUp = 0;
    QList<float> where;
    QObject::connect(&grid, &vbalGrid::MouseUp, &grid, [&](qint32 button, qint32, float x, float y) {
        events.append(u"MouseUp %1"_s.arg(button));
        columnAtMouseUp = grid.SelectedColumn();
        rowAtMouseUp = grid.SelectedRow();
        where = {x, y};
    });
    QObject::connect(
        &grid, &vbalGrid::ColumnSelect, &grid, [&](qint32, qint32 column, qint32, qint32, qint32) {
            events.append(u"ColumnSelect %1"_s.arg(column));
        });

    const QPoint at = centreOf(2, 3);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(events, (QStringList{u"MouseUp 1"_s, u"ColumnSelect 3"_s}));
    EXPECT_EQ(columnAtMouseUp, 3);
    EXPECT_EQ(rowAtMouseUp, 2);
    ASSERT_EQ(where.size(), 2);
    const QPoint inGrid = grid.viewport()->mapTo(&grid, at); // below the header
    EXPECT_GT(inGrid.y(), at.y());
    EXPECT_FLOAT_EQ(where[0], float(inGrid.x() * grid.twipsPerPixelX()));
    EXPECT_FLOAT_EQ(where[1], float(inGrid.y() * grid.twipsPerPixelY()));

    // A second click in the same column moves nothing: no ColumnSelect.
    events.clear();
    QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, centreOf(1, 3));
    EXPECT_EQ(events, QStringList{u"MouseUp 2"_s});
}

TEST_F(vbalGridTest, RedrawOnIsRaisedOnlyWhenDrawingIsTurnedBackOn)
{
    QSignalSpy redrawOn(&grid, &vbalGrid::RedrawOn);
    grid.SetRedraw(false);
    addRow(u"ann"_s, {}, -1);
    EXPECT_EQ(redrawOn.count(), 0);
    grid.SetRedraw(true);
    EXPECT_EQ(redrawOn.count(), 1);
    grid.SetRedraw(true);
    EXPECT_EQ(redrawOn.count(), 1);
}

// The leftmost and rightmost x of pure red in the header's section of column 1
// (the test's header image is solid red); -1 when none is drawn.
std::pair<int, int> redSpan(vbalGrid& grid)
{
    const QImage shot = grid.horizontalHeader()->grab().toImage();
    const int first = grid.horizontalHeader()->sectionViewportPosition(0);
    const int last = first + grid.horizontalHeader()->sectionSize(0) - 1;
    int left = -1;
    int right = -1;
    for (int x = first; x <= last; ++x) {
        for (int y = 0; y < shot.height(); ++y) {
            if (shot.pixelColor(x, y) == QColor(Qt::red)) {
                left = left < 0 ? x : left;
                right = x;
                break;
            }
        }
    }
    return {left, right};
}

TEST_F(vbalGridTest, AHeaderImageOnTheRightStandsAfterTheTextAndAClickStillRaisesColumnClick)
{
    QPixmap red(16, 16);
    red.fill(Qt::red);
    grid.SetImageList({red});
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    const int section = grid.horizontalHeader()->sectionViewportPosition(0);
    const int textEnd = section + grid.horizontalHeader()->fontMetrics().horizontalAdvance(u"Name"_s);

    grid.SetColumnIcon(1, 0);
    EXPECT_EQ(grid.ColumnIcon(1), 0);
    const auto before = redSpan(grid);
    ASSERT_GE(before.first, 0);
    EXPECT_LT(before.first, textEnd); // the style's place: before the text

    grid.SetColumnIconOnRight(1, true);
    EXPECT_TRUE(grid.ColumnIconOnRight(1));
    const auto after = redSpan(grid);
    EXPECT_GT(after.first, textEnd);
    EXPECT_EQ(after.second - after.first, 15);

    grid.SetColumnIcon(1, -1);
    EXPECT_EQ(redSpan(grid).first, -1);

    QSignalSpy clicks(&grid, &vbalGrid::ColumnClick);
    const QHeaderView* header = grid.horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
        QPoint(header->sectionViewportPosition(1) + 10, header->height() / 2));
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.at(0).at(0).toInt(), 2);
}

} // namespace

#include "desktop/calls/CallsList.h"

#include "common/CallRecord.h"
#include "common/DataPaths.h"
#include "common/RecordFile.h"
#include "desktop/calls/CallGridActions.h"
#include "desktop/calls/frmDater.h"
#include "desktop/foundation/CallIcons.h"
#include "desktop/foundation/CallRows.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/LastCalls.h"
#include "desktop/foundation/MainWindowSurfaces.h"
#include "desktop/foundation/Translation.h"
#include "platform/grid/vbalGrid.h"
#include "platform/widgets/KeyedPopupMenu.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFileInfo>
#include <QWidget>

namespace {

const QString kMarks[] = {QStringLiteral("Last"), QStringLiteral("Today"), QStringLiteral("Log")};

CallsList* g_mainList = nullptr;

bool pointerIs(const QWidget& window, Qt::CursorShape shape)
{
    return window.cursor().shape() == shape;
}

} // namespace

CallsList::CallsList(QWidget& window, vbalGrid& grid, const QList<QAction*>& buttons, KeyedPopupMenu& menu,
    std::function<void()> openDetails)
    : m_window(window)
    , m_grid(grid)
    , m_buttons(buttons)
    , m_menu(menu)
    , m_openDetails(std::move(openDetails))
{
    g_mainList = this;
    // The handler raises all three buttons before it presses one.
    for (QAction* button : std::as_const(m_buttons))
        if (button->actionGroup())
            button->actionGroup()->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    connect(&m_grid, &vbalGrid::ColumnClick, this, &CallsList::vbalGrid1_ColumnClick);
    connect(&m_grid, &vbalGrid::DblClick, this, [this] { vbalGrid1_DblClick(); });
    connect(&m_grid, &vbalGrid::ColumnSelect, this, [this] { vbalGrid1_ColumnSelect(); });
    connect(&m_grid, &vbalGrid::MouseDown, this, [this] { vbalGrid1_MouseDown(); });
    connect(&m_grid, &vbalGrid::MouseUp, this,
        [this](qint32 button, qint32, float x, float y) { vbalGrid1_MouseUp(button, x, y); });
    connect(&m_grid, &vbalGrid::RedrawOn, this, [this] { m_grid.SetRedraw(true); });
}

CallsList::~CallsList()
{
    if (g_mainList == this)
        g_mainList = nullptr;
    delete m_dater.data();
}

frmDater* CallsList::Dater() const
{
    return m_dater.data();
}

void CallsList::SetCallsHeaders()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    font.setPointSizeF(8.25);
    m_grid.setFont(font);
    ::SetCallsHeaders(m_grid, CallGrid::Main);
}

void CallsList::CreateCallsList(const QString& sPath)
{
    MainWindowSurfaces& window = CurrentMainWindow();
    m_grid.Clear();
    m_grid.SetRedraw(false);
    m_shownDay = SelectedTreeItem;
    const QString file = sPath + QStringLiteral("Data");
    if (!QFileInfo(file).isFile()) {
        window.SetNoItemsVisible(true);
        window.SetPanelText(2, u"0 " + g_sTrans(19));
        window.MakeEditMenuEna(false);
        m_grid.SetRedraw(true);
        return;
    }
    // Whole records only: a tail the service is still writing, or one a
    // crash left, is no call.
    const qint32 count = RecordFile(file, CallRecord::Size).count();
    window.SetPanelText(2, QString::number(count) + u' ' + g_sTrans(19));
    window.SetProgressMinimum(0);
    window.SetProgressMaximum(count + 1);
    window.SetProgressValue(0);
    window.SetProgressVisible(true);
    AppendDayRows(m_grid, SelectedTreeItem, CallGrid::Main, [&window] {
        window.SetNoItemsVisible(false);
        window.SetProgressValue(window.ProgressValue() + 1);
    });
    if (m_grid.Rows() == 0) {
        window.SetNoItemsVisible(true);
        window.MakeEditMenuEna(false);
    } else {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_grid.Sort();
        QApplication::restoreOverrideCursor();
        m_grid.SetSelectedRow(1);
        window.MakeEditMenuEna(true);
    }
    window.SetProgressVisible(false);
    m_grid.SetRedraw(true);
    m_grid.SetBorderStyle(1);
}

void CallsList::ShowDay(const QString& folder)
{
    SelectedTreeItem = folder;
    CreateCallsList(DataPaths::native(folder) + u'/');
}

void CallsList::PickDay(const QString& folder)
{
    setMarks(2);
    ShowDay(folder);
}

bool CallsList::ShowsDay(const QString& folder) const
{
    return !m_shownDay.isEmpty() && m_shownDay == folder;
}

void CallsList::Reload()
{
    if (m_shownDay.isEmpty())
        LoadLastCalls(m_grid);
    else
        ShowDay(m_shownDay);
}

CallsList* MainCallsList()
{
    return g_mainList;
}

void CallsList::setMarks(qint32 pressed)
{
    for (qint32 b = 0; b < 3 && b < m_buttons.size(); ++b) {
        m_buttons.at(b)->setChecked(b == pressed);
        m_menu.SetChecked(m_menu.IndexForKey(kMarks[b]), b == pressed);
    }
}

void CallsList::cToolbar2_ButtonClick(qint32 lButton)
{
    if (lButton != 3)
        setMarks(lButton);
    switch (lButton) {
    case 0:
        m_shownDay.clear();
        LoadLastCalls(m_grid);
        break;
    case 1:
        if (m_buttons.size() > 1)
            ShowDay(m_buttons.at(1)->data().toString().mid(1));
        break;
    case 2:
        if (!m_dater) {
            m_dater = new frmDater(*this, &m_window);
            m_dater->Form_Load();
        }
        m_dater->show();
        m_dater->raise();
        break;
    case 3:
        DeleteChosenCalls(m_grid, !m_buttons.isEmpty() && m_buttons.at(0)->isChecked());
        break;
    default:
        break;
    }
}

void CallsList::vbalGrid1_ColumnClick(qint32 column)
{
    lCol = column;
    const qint32 sortColumn = column == CallColumn::When ? CallColumn::SortDate : column;
    qint32 order = GridSort::Ascending;
    if (g_sColOrder.isEmpty()) {
        g_sColOrder = QStringLiteral("DESC");
        order = GridSort::Descending;
    } else {
        g_sColOrder.clear();
    }
    m_grid.SortCriteria().Clear();
    m_grid.SortCriteria().Add(sortColumn, order, m_grid.ColumnSortType(sortColumn));
    for (qint32 k = 1; k <= m_grid.Columns(); ++k) {
        if (k == column && !m_grid.ColumnHeader(k).isEmpty())
            m_grid.SetColumnIcon(
                k, order == GridSort::Descending ? CallImage::TriangleDown : CallImage::TriangleUp);
        else if (m_grid.ColumnIcon(k) == CallImage::TriangleUp
            || m_grid.ColumnIcon(k) == CallImage::TriangleDown)
            m_grid.SetColumnIcon(k, -1);
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_grid.Sort();
    QApplication::restoreOverrideCursor();
}

void CallsList::vbalGrid1_DblClick()
{
    // A double click that lands while the window is busy only ends the wait.
    if (m_window.cursor().shape() != Qt::ArrowCursor) {
        m_window.unsetCursor();
        return;
    }
    m_window.setCursor(Qt::WaitCursor);
    if (m_openDetails)
        m_openDetails();
    m_window.unsetCursor();
}

void CallsList::vbalGrid1_ColumnSelect()
{
    if (m_grid.SelectedColumn() == CallColumn::Flag)
        m_grid.SetSelectedColumn(CallColumn::Emergency);
}

void CallsList::vbalGrid1_MouseDown()
{
    if (pointerIs(m_window, Qt::SizeHorCursor))
        m_window.unsetCursor();
}

void CallsList::vbalGrid1_MouseUp(qint32 button, float x, float y)
{
    const QPoint inGrid(qRound(x / m_grid.twipsPerPixelX()), qRound(y / m_grid.twipsPerPixelY()));
    const QModelIndex at = m_grid.indexAt(m_grid.viewport()->mapFrom(&m_grid, inGrid));
    // The flag column is the one under the click, not the current column a
    // key or an earlier click left.
    const qint32 column = at.isValid() && at.row() + 1 == m_grid.SelectedRow() ? at.column() + 1 : 0;
    CallGridMouseUp(m_grid, button, column);
    if (button == 2 && m_grid.Rows() > 0)
        m_menu.ShowPopupMenu(m_menu.IndexForKey(QStringLiteral("RCC_CallProp")), m_grid.mapToGlobal(inGrid));
}

#include "desktop/contacts/frmContactList.h"

#include "common/ContactFile.h"
#include "common/FixedRecord.h"
#include "common/SharedUtilities.h"
#include "desktop/contacts/ContactListOpeners.h"
#include "desktop/foundation/CallIcons.h"
#include "desktop/foundation/ContactStore.h"
#include "desktop/foundation/ImageList2.h"
#include "desktop/foundation/Translation.h"
#include "desktop/foundation/WindowUtilities.h"
#include "desktop/foundation/mdlFunctions.h"
#include "platform/grid/vbalGrid.h"
#include "platform/widgets/KeyedPopupMenu.h"

#include <QAction>
#include <QApplication>
#include <QPainter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include <cstdio>
#include <memory>
#include <optional>

namespace {

constexpr qint32 kCellFlags = GridText::SingleLine | GridText::WordEllipsis;

// A framed landscape: the contact has a picture.
QPixmap pictureMark(const QColor& frame)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(frame);
    painter.setBrush(QColor(0xcf, 0xe8, 0xff));
    painter.drawRect(QRectF(1.5, 2.5, 13, 11));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x3c, 0x9a, 0x3c));
    painter.drawPolygon(QPolygonF({QPointF(2, 13), QPointF(7, 7), QPointF(10, 10), QPointF(14, 13)}));
    painter.setBrush(QColor(0xf0, 0xc0, 0x20));
    painter.drawEllipse(QPointF(11, 6), 1.6, 1.6);
    return pixmap;
}

// imgContactList, in the order of frmContactList::Image.
QList<QPixmap> contactListImages()
{
    const QList<QPixmap> calls = CallTypeImages();
    return {calls.at(CallImage::Emergency), pictureMark(Qt::darkBlue), calls.at(CallImage::TriangleDown),
        calls.at(CallImage::TriangleUp), calls.at(CallImage::BlackExclamation), pictureMark(Qt::darkGray)};
}

// vbalImageList1: 0 Delete, 1 Edit, 2 New, 24 by 24.
QIcon toolbarImage(frmContactList::Button button)
{
    const QStyle::StandardPixmap picture = button == frmContactList::btnNew ? QStyle::SP_FileIcon
        : button == frmContactList::btnEdit ? QStyle::SP_FileDialogDetailedView
                                            : QStyle::SP_TrashIcon;
    return QApplication::style()->standardIcon(picture);
}

// A field's number, for fields compared as numbers; nothing when it is none.
std::optional<double> number(const QString& field)
{
    bool ok = false;
    const double value = FixedRecord::trimBlanks(field).toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

QString handlingText(const QString& field)
{
    static const int texts[] = {1, 674, 5, 6};
    const std::optional<double> value = number(field);
    for (int n = 1; n <= 4; ++n) {
        if (value == double(n))
            return g_sTrans(texts[n - 1]);
    }
    return {};
}

// EventsMode and ActionsMode: "1", "2" or "3" exactly.
QString modeText(const QString& field)
{
    const QString mode = FixedRecord::trimBlanks(field);
    if (mode == u"1")
        return g_sTrans(1);
    if (mode == u"2")
        return g_sTrans(675);
    if (mode == u"3")
        return g_sTrans(6);
    return {};
}

} // namespace

frmContactList::frmContactList(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmContactList"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    RegisterLoadedForm(this);
    Form_Load();
}

frmContactList::~frmContactList()
{
    UnregisterLoadedForm(this);
}

void frmContactList::Form_Load()
{
    if (g_bRTL())
        setLayoutDirection(Qt::RightToLeft);
    setWindowTitle(g_sTrans(107));

    picHolder = new QWidget(this);
    picHolder->setObjectName(QStringLiteral("picHolder"));
    cToolbar1 = new QToolBar(picHolder);
    cToolbar1->setObjectName(QStringLiteral("cToolbar1"));
    cToolbar1->setIconSize(QSize(24, 24));
    cToolbar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    cToolbar1->setMovable(false);
    const QString blanks(4, u' ');
    const QString texts[] = {g_sTrans(401), g_sTrans(402), blanks + g_sTrans(403) + blanks};
    for (const Button button : {btnNew, btnEdit, btnDelete}) {
        QAction* action = cToolbar1->addAction(toolbarImage(button), texts[button]);
        connect(action, &QAction::triggered, this, [this, button] { cToolbar1_ButtonClick(button); });
        toolbarButtons << action;
    }
    auto* holderLayout = new QHBoxLayout(picHolder);
    holderLayout->setContentsMargins(0, 0, 0, 0);
    holderLayout->addWidget(cToolbar1);
    holderLayout->addStretch();

    CreateContactMenu();

    GridContactList = new vbalGrid(this);
    GridContactList->setObjectName(QStringLiteral("GridContactList"));
    connect(GridContactList, &vbalGrid::ColumnClick, this, &frmContactList::GridContactList_ColumnClick);
    connect(GridContactList, &vbalGrid::DblClick, this, [this] { GridContactList_DblClick(); });
    connect(GridContactList, &vbalGrid::MouseUp, this, &frmContactList::GridContactList_MouseUp);
    InitContactGrid();

    vbalStatusBar1 = new QStatusBar(this);
    vbalStatusBar1->setObjectName(QStringLiteral("vbalStatusBar1"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(picHolder);
    layout->addWidget(GridContactList, 1);
    layout->addWidget(vbalStatusBar1);
    resize(800, 420);

    CreateList(0);
}

void frmContactList::CreateContactMenu()
{
    m_cMenu = new KeyedPopupMenu(this);
    m_cMenu->SetImageList(vbalImageList2());
    const qint32 title = m_cMenu->AddItem(
        QStringLiteral("&") + g_sTrans(75), {}, 0, 0, -1, false, true, QStringLiteral("mnuContact"));
    m_cMenu->AddItem(g_sTrans(402), {}, 0, title, 9, false, true, QStringLiteral("Edit"));
    m_cMenu->AddItem(g_sTrans(403), {}, 0, title, 4, false, true, QStringLiteral("Delete"));
    m_cMenu->AddItem(QStringLiteral("-"), {}, 0, title, -1, false, true, QStringLiteral("Pass2"));
    m_cMenu->AddItem(g_sTrans(363), {}, 0, title, 17, false, true, QStringLiteral("Dialer"));
    m_cMenu->AddItem(g_sTrans(410), {}, 0, title, 13, false, true, QStringLiteral("Search"));
    connect(m_cMenu, &KeyedPopupMenu::Click, this, &frmContactList::m_cMenu_Click);
}

void frmContactList::InitContactGrid()
{
    vbalGrid& grid = *GridContactList;
    grid.SetRedraw(false);
    grid.SetImageList(contactListImages());
    grid.AddColumn({}, {}, 0, imgEmergencyHeader, 32);
    grid.AddColumn({}, {}, 0, imgPictureHeader, 32);
    grid.AddColumn({}, g_sTrans(404), 0, -1, 100);
    grid.AddColumn({}, g_sTrans(405), 0, -1, 100);
    grid.AddColumn({}, g_sTrans(406), 0, -1, 120);
    grid.AddColumn({}, g_sTrans(407), 0, -1, 120);
    grid.AddColumn({}, g_sTrans(408), 0, -1, 100);
    grid.AddColumn({}, g_sTrans(491), 0, -1, 100);
    grid.AddColumn({}, {}, 0, -1, 100, false);
    grid.SetRedraw(true);
}

void frmContactList::CreateList(qint32 lSelectedIndex)
{
    vbalGrid& grid = *GridContactList;
    grid.Clear();
    grid.SetRedraw(false);
    qint32 n = 0;
    ContactFile::readFields(
        {&ContactRecord::EmergencyMark, &ContactRecord::PictureFile, &ContactRecord::ContactName,
            &ContactRecord::CallerName, &ContactRecord::CallerNumber, &ContactRecord::CallHandling,
            &ContactRecord::EventsMode, &ContactRecord::ActionsMode},
        [&](const QStringList& field) {
            ++n;
            const auto cell = [&](Column column, const QString& text, qint32 icon = -1) {
                grid.SetCell(n, column, text, kCellFlags, icon, -1, -1, std::nullopt, 0, -1, n);
            };
            cell(colEmergency, {}, number(field[0]) == 1.0 ? imgEmergency : -1);
            cell(colPicture, {}, FixedRecord::trimBlanks(field[1]).isEmpty() ? -1 : imgPicture);
            cell(colContactName, FixedRecord::trimBlanks(field[2]));
            cell(colCallerName, FixedRecord::trimBlanks(field[3]));
            cell(colCallerNumber, FixedRecord::trimBlanks(field[4]));
            cell(colHandling, handlingText(field[5]));
            cell(colEvents, modeText(field[6]));
            cell(colActions, modeText(field[7]));
            cell(colRecord, QString::number(n));
        });
    grid.SetRedraw(true);
    if (lSelectedIndex > 0)
        grid.SetSelectedRow(lSelectedIndex);
    else
        grid.SetSelectedRow(grid.Rows() > 0 ? 1 : 0);
}

void frmContactList::GridContactList_ColumnClick(qint32 column)
{
    vbalGrid& grid = *GridContactList;
    if (column < 1 || column > grid.Columns())
        return;
    const bool ascending = grid.ColumnTag(column).isEmpty();
    grid.SortCriteria().Clear();
    grid.SortCriteria().Add(
        column, ascending ? GridSort::Ascending : GridSort::Descending, grid.ColumnSortType(column));
    grid.SetColumnTag(column, ascending ? QStringLiteral("DESC") : QString());
    for (qint32 c = 1; c <= grid.Columns(); ++c) {
        if (c == column) {
            if (!grid.ColumnHeader(c).isEmpty()) {
                grid.SetColumnIcon(c, ascending ? imgAscending : imgDescending);
                grid.SetColumnIconOnRight(c, true);
            }
        } else if (grid.ColumnIcon(c) == imgAscending || grid.ColumnIcon(c) == imgDescending) {
            grid.SetColumnIcon(c, -1);
        }
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    grid.Sort();
    QApplication::restoreOverrideCursor();
}

QString frmContactList::selectedText(Column column) const
{
    const qint32 row = GridContactList->SelectedRow();
    return row > 0 ? GridContactList->CellText(row, column) : QString();
}

void frmContactList::cToolbar1_ButtonClick(qint32 position)
{
    switch (position) {
    case btnNew:
        CurrentContactListOpeners().NewContact(this);
        break;
    case btnEdit:
        if (GridContactList->SelectedRow() > 0)
            editSelected(selectedText(colRecord).toInt());
        break;
    case btnDelete:
        deleteSelected();
        break;
    default:
        break;
    }
}

void frmContactList::editSelected(qint32 recordNumber)
{
    CurrentContactListOpeners().OpenContactForEdit(this, selectedText(colContactName), recordNumber,
        selectedText(colCallerName), selectedText(colCallerNumber));
}

void frmContactList::deleteSelected()
{
    if (GridContactList->SelectedRow() < 1)
        return;
    if (ShowMessage(ReplacePlaceholder(g_sTrans(856), selectedText(colContactName)), true) != 6)
        return;
    bool ok = false;
    const qint32 k = selectedText(colRecord).toInt(&ok);
    if (!ok)
        return;
    // A refused delete (the file changed meanwhile) still rebuilds, so the
    // list shows the file as it is.
    if (!DeleteContactRecord(k))
        std::fprintf(stderr, "Ringvale: the contact at record %d could not be deleted\n", int(k));
    CreateList(k - 1);
}

void frmContactList::GridContactList_DblClick()
{
    const qint32 row = GridContactList->SelectedRow();
    if (row > 0)
        editSelected(GridContactList->CellItemData(row, colEmergency));
}

void frmContactList::GridContactList_MouseUp(qint32 button, qint32, float x, float y)
{
    if (button != 2 || GridContactList->Rows() < 1)
        return;
    const QPoint at(
        qRound(x / GridContactList->twipsPerPixelX()), qRound(y / GridContactList->twipsPerPixelY()));
    m_cMenu->ShowPopupMenu(m_cMenu->IndexForKey(QStringLiteral("Edit")), GridContactList->mapToGlobal(at));
}

void frmContactList::m_cMenu_Click(qint32 itemNumber)
{
    switch (itemNumber) {
    case mnuEdit:
        cToolbar1_ButtonClick(btnEdit);
        break;
    case mnuDelete:
        cToolbar1_ButtonClick(btnDelete);
        break;
    case mnuDialer:
        CurrentContactListOpeners().ShowDialer(this, selectedText(colCallerNumber));
        break;
    case mnuSearch:
        CurrentContactListOpeners().ShowSearch(
            this, selectedText(colCallerName), selectedText(colCallerNumber));
        break;
    default:
        break;
    }
}

void ShowContactList(QWidget* owner)
{
    const std::unique_ptr<frmContactList> list = std::make_unique<frmContactList>(owner);
    list->exec();
}

#include "tests/desktop/contacts/ContactListFixture.h"

#include "common/SharedUtilities.h"
#include "platform/widgets/KeyedPopupMenu.h"
#include "tests/support/widgets/WidgetShots.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QToolBar>

using namespace Qt::StringLiterals;

namespace {

using frmContactListTest = ContactListFixture;

constexpr qint32 kRecord = frmContactList::colRecord;

TEST_F(frmContactListTest, CellsFollowTheFieldsWithTheirModeTextsImagesAndRecordNumber)
{
    struct Case {
        const char16_t* handling;
        const char16_t* mode; // EventsMode and ActionsMode
        const char16_t* emergency;
        const char16_t* picture;
        const char16_t* handlingText;
        const char16_t* modeText;
        qint32 emergencyIcon;
        qint32 pictureIcon;
    };
    const Case cases[] = {
        {u"1", u"1", u"1", u"ann.jpg", u"#1", u"#1", 0, 1},
        {u"2", u"2", u"0", u"", u"#674", u"#675", -1, -1},
        {u"3", u"3", u"1", u"  ", u"#5", u"#6", 0, -1},
        {u"4", u"4", u"", u"b.bmp", u"#6", u"", -1, 1},
        {u"9", u"x", u"2", u"", u"", u"", -1, -1},
        {u"", u"", u"", u"", u"", u"", -1, -1},
    };
    QList<ContactRecord> records;
    for (const Case& c : cases) {
        const QString n = QString::number(records.size() + 1);
        records << contact(u"Name "_s + n, u"Caller "_s + n, u"55"_s + n, QString::fromUtf16(c.handling),
            QString::fromUtf16(c.mode), QString::fromUtf16(c.mode), QString::fromUtf16(c.emergency),
            QString::fromUtf16(c.picture));
    }
    records[5].CallHandling = QString(8, QChar(0)); // never written: no number
    records[5].EmergencyMark = QString(1, QChar(0));
    writeContactFile(records);

    open();
    ASSERT_EQ(grid().Rows(), qint32(std::size(cases)));
    for (qint32 r = 1; r <= grid().Rows(); ++r) {
        const Case& c = cases[r - 1];
        SCOPED_TRACE(r);
        EXPECT_EQ(grid().CellIcon(r, 1), c.emergencyIcon);
        EXPECT_EQ(grid().CellIcon(r, 2), c.pictureIcon);
        EXPECT_EQ(grid().CellText(r, 1), QString());
        EXPECT_EQ(grid().CellText(r, 3), u"Name %1"_s.arg(r));
        EXPECT_EQ(grid().CellText(r, 4), u"Caller %1"_s.arg(r));
        EXPECT_EQ(grid().CellText(r, 5), u"55%1"_s.arg(r));
        EXPECT_EQ(grid().CellText(r, 6), QString::fromUtf16(c.handlingText));
        EXPECT_EQ(grid().CellText(r, 7), QString::fromUtf16(c.modeText));
        EXPECT_EQ(grid().CellText(r, 8), QString::fromUtf16(c.modeText));
        EXPECT_EQ(grid().CellText(r, kRecord), QString::number(r));
        for (qint32 col = 1; col <= kRecord; ++col) {
            EXPECT_EQ(grid().CellItemData(r, col), r) << col;
            EXPECT_EQ(grid().CellTextFlags(r, col), 0x40020) << col;
        }
    }
    EXPECT_EQ(grid().SelectedRow(), 1);
}

TEST_F(frmContactListTest, WindowHasItsCaptionButtonsColumnsAndMenu)
{
    frmContactList& f = open();
    EXPECT_EQ(f.windowTitle(), u"#107");
    QStringList buttons;
    for (QAction* a : f.toolbarButtons)
        buttons << a->text();
    EXPECT_EQ(buttons, (QStringList{u"#401"_s, u"#402"_s, u"    #403    "_s}));

    const QStringList headers{
        QString(), QString(), u"#404"_s, u"#405"_s, u"#406"_s, u"#407"_s, u"#408"_s, u"#491"_s, QString()};
    const qint32 widths[] = {32, 32, 100, 100, 120, 120, 100, 100, 100};
    ASSERT_EQ(grid().Columns(), 9);
    for (qint32 c = 1; c <= 9; ++c) {
        EXPECT_EQ(grid().ColumnHeader(c), headers[c - 1]) << c;
        EXPECT_EQ(grid().ColumnVisible(c), c != 9) << c;
        EXPECT_EQ(grid().ColumnIcon(c), c == 1 ? 4 : c == 2 ? 5 : -1) << c;
        EXPECT_EQ(grid().ColumnTag(c), QString()) << c;
        if (c < 9) {
            EXPECT_EQ(grid().columnWidth(c - 1), widths[c - 1]) << c;
        }
    }
    EXPECT_TRUE(grid().isColumnHidden(8));

    KeyedPopupMenu& menu = *f.m_cMenu;
    ASSERT_EQ(menu.Count(), 6);
    const char* keys[] = {"mnuContact", "Edit", "Delete", "Pass2", "Dialer", "Search"};
    const QString captions[] = {u"&#75"_s, u"#402"_s, u"#403"_s, u"-"_s, u"#363"_s, u"#410"_s};
    const qint32 icons[] = {-1, 9, 4, -1, 17, 13};
    for (qint32 i = 1; i <= 6; ++i) {
        EXPECT_EQ(menu.ItemKey(i), QString::fromLatin1(keys[i - 1]));
        EXPECT_EQ(menu.Caption(i), captions[i - 1]);
        EXPECT_EQ(menu.IconIndex(i), icons[i - 1]);
        EXPECT_EQ(menu.Parent(i), i == 1 ? 0 : 1);
    }
}

TEST_F(frmContactListTest, HeaderClicksSortByEachColumnsOwnTurnWithOneArrow)
{
    writeContactFile({contact(u"Bea"_s, u"Zed"_s, u"2"_s),
        contact(u"Cy"_s, u"Amy"_s, u"3"_s, u"1"_s, u"1"_s, u"1"_s, u"1"_s),
        contact(u"Al"_s, u"Max"_s, u"1"_s, u"1"_s, u"1"_s, u"1"_s, u"0"_s, u"p.jpg"_s)});
    open();
    struct Step {
        qint32 click;
        const char16_t* order; // column 9 top to bottom
        qint32 arrow3; // contact name column's header image
        qint32 arrow4; // caller name column's
    };
    const Step steps[] = {
        {3, u"3 1 2", 3, -1}, // ascending
        {3, u"2 1 3", 2, -1}, // descending
        {3, u"3 1 2", 3, -1}, // ascending again
        {4, u"2 3 1", -1, 3}, // B ascending: A's arrow goes
        {3, u"2 1 3", 2, -1}, // A takes its own turn: descending
        // The mark columns hold no text: the default (text) sort keeps the
        // order, and their images stay.
        {1, u"2 1 3", -1, -1},
        {2, u"2 1 3", -1, -1},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.click);
        list->GridContactList_ColumnClick(s.click);
        EXPECT_EQ(column(kRecord).join(u' '), QString::fromUtf16(s.order));
        EXPECT_EQ(grid().ColumnIcon(3), s.arrow3);
        EXPECT_EQ(grid().ColumnIcon(4), s.arrow4);
        EXPECT_EQ(grid().ColumnIcon(1), 4);
        EXPECT_EQ(grid().ColumnIcon(2), 5);
        if (s.arrow3 >= 0) {
            EXPECT_TRUE(grid().ColumnIconOnRight(3));
        }
    }
    EXPECT_EQ(grid().ColumnTag(3), QString()); // descending last
    EXPECT_EQ(grid().ColumnTag(4), u"DESC");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // A real click on the header goes the same way.
    const QHeaderView* header = grid().horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
        QPoint(header->sectionViewportPosition(4) + 20, header->height() / 2));
    EXPECT_EQ(column(kRecord).join(u' '), u"3 1 2");
    EXPECT_EQ(grid().ColumnIcon(5), 3);
}

TEST_F(frmContactListTest, RebuildAfterASortIsInFileOrderWithTagsAndArrowsKept)
{
    writeContactFile({contact(u"Bea"_s, u"B"_s, u"2"_s), contact(u"Cy"_s, u"C"_s, u"3"_s),
        contact(u"Al"_s, u"A"_s, u"1"_s)});
    open();
    list->GridContactList_ColumnClick(3);
    ASSERT_EQ(column(3), (QStringList{u"Al"_s, u"Bea"_s, u"Cy"_s}));
    list->CreateList(2);
    EXPECT_EQ(column(3), (QStringList{u"Bea"_s, u"Cy"_s, u"Al"_s}));
    EXPECT_EQ(grid().SelectedRow(), 2);
    EXPECT_EQ(grid().ColumnTag(3), u"DESC");
    EXPECT_EQ(grid().ColumnIcon(3), 3);
    list->GridContactList_ColumnClick(3);
    EXPECT_EQ(column(3), (QStringList{u"Cy"_s, u"Bea"_s, u"Al"_s}));
}

TEST_F(frmContactListTest, CreateListSelectsTheRowAskedTheFirstForZeroAndNoneBeyond)
{
    writeContactFile({contact(u"A"_s, {}, u"1"_s), contact(u"B"_s, {}, u"2"_s), contact(u"C"_s, {}, u"3"_s)});
    open();
    const std::pair<qint32, qint32> cases[] = {{0, 1}, {-5, 1}, {2, 2}, {3, 3}, {4, 0}, {99, 0}};
    for (const auto& [asked, selected] : cases) {
        list->CreateList(asked);
        EXPECT_EQ(grid().SelectedRow(), selected) << asked;
        EXPECT_EQ(grid().Rows(), 3);
    }
}

TEST_F(frmContactListTest, DeleteAsksThenRemovesTheRecordAndSelectsTheOneBefore)
{
    struct Case {
        qint32 contacts;
        qint32 selectedRow;
        qint32 sortFirst; // a header clicked before, 0 none
        QStringList left;
        qint32 selectedAfter;
    };
    const Case cases[] = {
        {3, 1, 0, {u"C2"_s, u"C3"_s}, 1},
        {3, 2, 0, {u"C1"_s, u"C3"_s}, 1},
        {4, 3, 0, {u"C1"_s, u"C2"_s, u"C4"_s}, 2},
        // Sorted descending by number: row 1 is record 4, deleted, then
        // record 3 in file order is selected.
        {4, 1, 5, {u"C1"_s, u"C2"_s, u"C3"_s}, 3},
        {1, 1, 0, {}, 0},
    };
    QDir().mkpath(home() + u"/Pics"_s);
    QFile picture(home() + u"/Pics/face.jpg"_s);
    ASSERT_TRUE(picture.open(QIODevice::WriteOnly));
    picture.write("jpg");
    picture.close();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.selectedRow);
        QList<ContactRecord> records;
        for (qint32 n = 1; n <= c.contacts; ++n)
            records << contact(
                u"C%1"_s.arg(n), {}, QString::number(n), u"1"_s, u"1"_s, u"1"_s, u"0"_s, u"face.jpg"_s);
        writeContactFile(records);
        dialogs.messageRequests.clear();
        dialogs.messageAnswers = {6};
        open();
        if (c.sortFirst) {
            list->GridContactList_ColumnClick(c.sortFirst);
            list->GridContactList_ColumnClick(c.sortFirst);
        }
        grid().SetSelectedRow(c.selectedRow);
        const QString name = grid().CellText(c.selectedRow, 3);
        const qint64 before = fileSize();
        list->cToolbar1_ButtonClick(frmContactList::btnDelete);

        ASSERT_EQ(dialogs.messageRequests.size(), 1);
        EXPECT_EQ(dialogs.messageRequests[0].text, u"#856 "_s + name + u'?');
        EXPECT_TRUE(dialogs.messageRequests[0].yesNo);
        EXPECT_EQ(fileSize(), before - 1794);
        EXPECT_EQ(column(3), c.left);
        EXPECT_EQ(grid().SelectedRow(), c.selectedAfter);
        EXPECT_TRUE(QFile::exists(picture.fileName()));
    }
}

TEST_F(frmContactListTest, DeleteAnsweredNoChangesNothing)
{
    writeContactFile({contact(u"A"_s, {}, u"1"_s), contact(u"B"_s, {}, u"2"_s)});
    const QByteArray before = [] {
        QFile f(ContactFile::path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    open();
    list->GridContactList_ColumnClick(3);
    list->GridContactList_ColumnClick(3); // B first
    grid().SetSelectedRow(1);
    dialogs.messageAnswers = {7};
    list->cToolbar1_ButtonClick(frmContactList::btnDelete);
    ASSERT_EQ(dialogs.messageRequests.size(), 1);
    EXPECT_EQ(dialogs.messageRequests[0].text, u"#856 B?");
    QFile f(ContactFile::path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    EXPECT_EQ(column(3), (QStringList{u"B"_s, u"A"_s}));
    EXPECT_EQ(grid().SelectedRow(), 1);
}

TEST_F(frmContactListTest, EditAndDoubleClickOpenTheSelectedContactWithItsRecordNumber)
{
    writeContactFile({contact(u"Ann"_s, u"ANN LEE"_s, u"100"_s), contact(u"Bob"_s, u"BOB"_s, u"200"_s),
        contact(u"Cy"_s, u"CY"_s, u"300"_s)});
    frmContactList& f = open();
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    f.GridContactList_ColumnClick(3);
    f.GridContactList_ColumnClick(3); // descending: Cy, Bob, Ann
    grid().SetSelectedRow(2);
    f.cToolbar1_ButtonClick(frmContactList::btnEdit);
    f.m_cMenu_Click(frmContactList::mnuEdit);
    const QRect cell = grid().visualRect(grid().model()->index(2, 3));
    QTest::mouseDClick(grid().viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(openers.opened,
        (QStringList{u"Edit|Bob|2|BOB|200"_s, u"Edit|Bob|2|BOB|200"_s, u"Edit|Ann|1|ANN LEE|100"_s}));
    f.toolbarButtons[frmContactList::btnNew]->trigger();
    EXPECT_EQ(openers.opened.last(), u"New");
}

TEST_F(frmContactListTest, RightButtonMenuOpensOverRowsAndItsCommandsUseTheSelectedRow)
{
    writeContactFile({contact(u"Ann"_s, u"ANN LEE"_s, u"100"_s), contact(u"Bob"_s, u"BOB"_s, u"200"_s)});
    frmContactList& f = open();
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    QMenu* menu = f.m_cMenu->MenuOf(f.m_cMenu->IndexForKey(u"Edit"_s));
    ASSERT_NE(menu, nullptr);
    const QPoint row2 = grid().visualRect(grid().model()->index(1, 3)).center();

    QTest::mouseClick(grid().viewport(), Qt::LeftButton, {}, row2);
    EXPECT_FALSE(menu->isVisible()) << "the left button opens no menu";
    ASSERT_EQ(grid().SelectedRow(), 2);

    QTest::mouseClick(grid().viewport(), Qt::RightButton, {}, row2);
    ASSERT_TRUE(waitUntil([&] { return menu->isVisible(); }));
    QStringList captions;
    for (QAction* a : menu->actions())
        captions << (a->isSeparator() ? u"-"_s : a->text());
    EXPECT_EQ(captions, (QStringList{u"#402"_s, u"#403"_s, u"-"_s, u"#363"_s, u"#410"_s}));
    EXPECT_EQ(grid().SelectedRow(), 2);
    menu->actions().at(3)->trigger();
    menu->close();
    f.m_cMenu_Click(frmContactList::mnuSearch);
    EXPECT_EQ(openers.opened, (QStringList{u"Dialer|200"_s, u"Search|BOB|200"_s}));
}

TEST_F(frmContactListTest, AnEmptyListOpensNoMenuAndItsCommandsDoNothing)
{
    ASSERT_FALSE(QFile::exists(ContactFile::path()));
    frmContactList& f = open();
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    EXPECT_EQ(grid().Rows(), 0);
    EXPECT_EQ(grid().SelectedRow(), 0);
    QMenu* menu = f.m_cMenu->MenuOf(f.m_cMenu->IndexForKey(u"Edit"_s));
    QTest::mouseClick(grid().viewport(), Qt::RightButton, {}, QPoint(50, 20));
    EXPECT_TRUE(staysFalse([&] { return menu->isVisible(); }, 100));
    f.cToolbar1_ButtonClick(frmContactList::btnEdit);
    f.cToolbar1_ButtonClick(frmContactList::btnDelete);
    f.GridContactList_DblClick();
    QTest::mouseDClick(grid().viewport(), Qt::LeftButton, {}, QPoint(50, 20));
    EXPECT_TRUE(openers.opened.isEmpty());
    EXPECT_TRUE(dialogs.messageRequests.isEmpty());
    EXPECT_FALSE(QFile::exists(ContactFile::path()));
}

TEST_F(frmContactListTest, ShowContactListRunsOneModalListAndUnloadsIt)
{
    writeContactFile({contact(u"Ann"_s, {}, u"100"_s)});
    bool seen = false;
    WidgetShots::onNextModal([&](QWidget* w) {
        auto* shown = qobject_cast<frmContactList*>(w);
        seen = shown && LoadedForm(u"frmContactList"_s) == shown && shown->GridContactList->Rows() == 1;
        w->close();
    });
    ShowContactList(nullptr);
    EXPECT_TRUE(seen);
    EXPECT_EQ(LoadedForm(u"frmContactList"_s), nullptr);
}

} // namespace

#include "tests/desktop/contacts/ContactListFixture.h"

#include "common/FixedRecord.h"
#include "tests/support/widgets/WidgetShots.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

// The list with the real contact editor over it.
class frmContactListEditorTest : public ContactListFixture {
protected:
    void SetUp() override
    {
        ContactListFixture::SetUp();
        SetContactListOpeners(nullptr);
        writeContactFile({contact(u"Bea"_s, u"BEA"_s, u"200"_s), contact(u"Cy"_s, u"CY"_s, u"300"_s)});
        open().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(list.get()));
    }

    // Presses the button, and act on the editor it opens.
    void withEditor(frmContactList::Button button, std::function<void(frmContact&)> act)
    {
        bool opened = false;
        WidgetShots::onNextModal([&](QWidget* w) {
            auto* editor = qobject_cast<frmContact*>(w);
            ASSERT_NE(editor, nullptr);
            opened = true;
            act(*editor);
        });
        list->toolbarButtons[button]->trigger();
        EXPECT_TRUE(opened);
    }
};

TEST_F(frmContactListEditorTest, NewSavedAddsARowInFileOrderAndSelectsTheFirst)
{
    list->GridContactList_ColumnClick(3);
    list->GridContactList_ColumnClick(3); // descending: Cy, Bea
    grid().SetSelectedRow(2);
    withEditor(frmContactList::btnNew, [](frmContact& editor) {
        EXPECT_EQ(editor.NewOrEdit, u"NEW");
        EXPECT_EQ(editor.txtContactName->text(), QString());
        editor.txtContactName->setText(u"Al"_s);
        editor.txtCallerNumber->setText(u"100"_s);
        QTest::mouseClick(editor.cmdOK, Qt::LeftButton);
    });
    EXPECT_EQ(column(3), (QStringList{u"Bea"_s, u"Cy"_s, u"Al"_s}));
    EXPECT_EQ(column(frmContactList::colRecord), (QStringList{u"1"_s, u"2"_s, u"3"_s}));
    EXPECT_EQ(grid().SelectedRow(), 1);
    EXPECT_EQ(grid().ColumnIcon(3), 2); // the arrow stays
}

TEST_F(frmContactListEditorTest, AnEditSavedShowsTheChangeAndSelectsItsRow)
{
    grid().SetSelectedRow(2);
    withEditor(frmContactList::btnEdit, [](frmContact& editor) {
        EXPECT_EQ(editor.NewOrEdit, u"EDIT");
        EXPECT_EQ(editor.txtContactName->text(), u"Cy");
        editor.txtCallerName->setText(u"Cy Young"_s);
        QTest::mouseClick(editor.cmdOK, Qt::LeftButton);
    });
    EXPECT_EQ(column(4), (QStringList{u"BEA"_s, u"Cy Young"_s}));
    EXPECT_EQ(grid().SelectedRow(), 2);
    EXPECT_EQ(FixedRecord::trimBlanks(stored()[1].CallerName), u"Cy Young");
}

TEST_F(frmContactListEditorTest, CancelLeavesTheSortedListAsItWas)
{
    list->GridContactList_ColumnClick(3);
    list->GridContactList_ColumnClick(3); // descending: Cy, Bea
    grid().SetSelectedRow(2);
    withEditor(frmContactList::btnEdit, [](frmContact& editor) {
        editor.txtCallerName->setText(u"changed"_s);
        QTest::mouseClick(editor.cmdCancel, Qt::LeftButton);
    });
    EXPECT_EQ(column(3), (QStringList{u"Cy"_s, u"Bea"_s}));
    EXPECT_EQ(column(4), (QStringList{u"CY"_s, u"BEA"_s}));
    EXPECT_EQ(grid().SelectedRow(), 2);
}

// For review: the list sorted by Contact, with its arrow, both ways round.
TEST_F(frmContactListEditorTest, Screenshots)
{
    writeContactFile({contact(u"Zoë Öberg"_s, u"ZOE"_s, u"5550101"_s, u"1"_s, u"3"_s, u"2"_s, u"1"_s),
        contact(u"Ann Lee"_s, u"ANN LEE"_s, u"5551234"_s, u"1"_s, u"1"_s, u"1"_s, u"0"_s, u"ann.jpg"_s),
        contact(u"Pest"_s, u"UNKNOWN"_s, u"5550666"_s, u"2"_s, u"2"_s, u"2"_s),
        contact(u"Émile Dubois-Laurent de la Fontaine"_s, u"EMILE"_s, u"0033144556677"_s, u"1"_s, u"3"_s,
            u"3"_s, u"0"_s, u"emile.png"_s)});
    for (const QString& direction : {u"LTR"_s, u"RTL"_s}) {
        // The English texts, read either way round.
        QFile english(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt"));
        ASSERT_TRUE(english.open(QIODevice::ReadOnly));
        QList<QByteArray> lines = english.readAll().split('\n');
        lines[9] = direction.toLatin1() + '\r';
        QFile shown(home() + u"/Trans/Shown.txt"_s);
        ASSERT_TRUE(shown.open(QIODevice::WriteOnly));
        shown.write(lines.join('\n'));
        shown.close();
        ASSERT_EQ(LoadTranslation(shown.fileName()), 0);
        open().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(list.get()));
        list->GridContactList_ColumnClick(3);
        grid().SetSelectedRow(2);
        QApplication::processEvents();
        EXPECT_TRUE(WidgetShots::save(list.get(), u"frmContactList-sorted-"_s + direction + u".png"_s));
    }
}

} // namespace

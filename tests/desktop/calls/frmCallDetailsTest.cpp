#include "desktop/calls/frmCallDetails.h"

#include "common/CallStore.h"
#include "common/ContactRecord.h"
#include "common/DataPaths.h"
#include "common/FixedRecord.h"
#include "desktop/contacts/ClickLabel.h"
#include "desktop/contacts/frmContact.h"
#include "desktop/contacts/mdlContactList.h"
#include "desktop/foundation/CallRows.h"
#include "desktop/foundation/ContactStore.h"
#include "platform/grid/vbalGrid.h"
#include "platform/widgets/BalloonTip.h"
#include "platform/widgets/KeyedPopupMenu.h"
#include "tests/desktop/calls/CallWindowsFixture.h"
#include "tests/desktop/foundation/ScriptedDialogs.h"
#include "tests/support/CallDays.h"
#include "tests/support/FullDisk.h"
#include "tests/support/widgets/WidgetShots.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

ContactRecord contact(const QString& name, const QString& number, const QString& handling = u"1"_s,
    const QString& events = u"1"_s, const QString& actions = u"1"_s, const QString& notes = {})
{
    ContactRecord record;
    record.ContactName = name;
    record.CallerName = name;
    record.CallerNumber = number;
    record.CallHandling = handling;
    record.EventsMode = events;
    record.ActionsMode = actions;
    record.Notes = notes;
    return record;
}

// Three calls of one day in the main list's grid, file order; call 2 unread.
class frmCallDetailsTest : public CallWindowsFixture {
protected:
    void SetUp() override
    {
        CallWindowsFixture::SetUp();
        SetCallsHeaders(grid, CallGrid::Main);
        CallRecord unread = storedCall(u"Bob"_s, u"555-2"_s, u"10:02:00"_s);
        unread.ReadMark = u" "_s;
        writeDay(kDay,
            {storedCall(u"Ann"_s, u"555-1"_s, u"10:01:00"_s), unread,
                storedCall(u"Cy"_s, u"555-3"_s, u"10:03:00"_s)});
        fill();
    }

    void fill()
    {
        grid.Clear();
        AppendDayRows(grid, kDay);
        grid.SetRedraw(true);
    }

    std::unique_ptr<frmCallDetails> open(qint32 row)
    {
        grid.SetSelectedRow(row);
        auto window = std::make_unique<frmCallDetails>();
        window->SetGrid(&grid);
        return window;
    }

    static QString storedNote(qint32 n)
    {
        CallRecord record;
        EXPECT_TRUE(ReadCallRecord(record, kDay, n));
        // A note never written is NULs.
        return HasNote(record) ? FixedRecord::trimBlanks(record.Notes) : QString();
    }

    static bool enabled(const frmCallDetails& window, int button)
    {
        return window.toolbarButtons.at(button)->isEnabled();
    }

    vbalGrid grid;
};

} // namespace

TEST_F(frmCallDetailsTest, NextWritesTheNoteOfRowKAtItsRecordAndShowsRowKPlusOne)
{
    auto window = open(1);
    EXPECT_EQ(window->lblFromInf->text(), u"Ann - 555-1"_s);
    EXPECT_FALSE(window->lblFrom->font().bold());
    window->txtNote->setPlainText(u"call back\nafter six"_s);
    window->cToolbar1_ButtonClick(frmCallDetails::btnNext);

    EXPECT_EQ(storedNote(1), u"call back\r\nafter six"_s);
    EXPECT_EQ(grid.CellText(1, CallColumn::Note), u"call back\r\nafter six"_s);
    EXPECT_EQ(grid.RowHeight(1),
        grid.CellTextHeight(1, CallColumn::Folder) + grid.DefaultRowHeight() + NoteExtraHeight(u"a\r\nb"_s));
    EXPECT_EQ(grid.SelectedRow(), 2);
    EXPECT_EQ(window->lblFromInf->text(), u"Bob - 555-2"_s);
    EXPECT_EQ(window->lblReceiveInf->text(), grid.CellText(2, CallColumn::When));
    EXPECT_TRUE(window->txtNote->toPlainText().isEmpty());
    // The unread call's labels are bold; the next, read one makes them normal.
    EXPECT_TRUE(window->lblFrom->font().bold());
    EXPECT_TRUE(window->lblFromInf->font().bold());
    window->m_cMenu_Click(window->m_cMenu->IndexForKey(u"Next"_s));
    EXPECT_FALSE(window->lblFromInf->font().bold());
    EXPECT_EQ(grid.SelectedRow(), 3);
}

TEST_F(frmCallDetailsTest, PrevAndNextFollowTheRowAndTheRowCount)
{
    struct Case {
        qint32 rows;
        qint32 selected;
        bool prev;
        bool next;
    };
    const Case cases[] = {{1, 1, false, false}, {3, 1, false, true}, {3, 2, true, true}, {3, 3, true, false}};
    for (const Case& c : cases) {
        fill();
        while (grid.Rows() > c.rows)
            grid.RemoveRow(grid.Rows());
        auto window = open(c.selected);
        EXPECT_EQ(enabled(*window, frmCallDetails::btnPrev), c.prev) << c.rows << " rows, row " << c.selected;
        EXPECT_EQ(enabled(*window, frmCallDetails::btnNext), c.next) << c.rows << " rows, row " << c.selected;
    }
    // With one row the menu items still run, and nothing moves.
    fill();
    grid.RemoveRow(3);
    grid.RemoveRow(2);
    auto window = open(1);
    window->m_cMenu_Click(window->m_cMenu->IndexForKey(u"Prev"_s));
    window->m_cMenu_Click(window->m_cMenu->IndexForKey(u"Next"_s));
    EXPECT_EQ(grid.SelectedRow(), 1);
    EXPECT_TRUE(window->isHidden());
}

TEST_F(frmCallDetailsTest, TheNoteStopsAtItsFieldWhileTypingAndIsCutAtTheWriteBack)
{
    auto window = open(1);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const QString full(256, u'x');
    window->txtNote->setPlainText(full);
    window->txtNote->moveCursor(QTextCursor::End);
    QTest::keyClick(window->txtNote, Qt::Key_A);
    EXPECT_EQ(window->txtNote->toPlainText(), full);
    ASSERT_NE(BalloonTip::current(), nullptr);
    EXPECT_EQ(BalloonTip::current()->title(), entry(15));
    EXPECT_EQ(BalloonTip::current()->text(), entry(864));
    QTest::keyClick(window->txtNote, Qt::Key_Backspace);
    EXPECT_EQ(window->txtNote->toPlainText().size(), 255);
    QTest::keyClick(window->txtNote, Qt::Key_B);
    EXPECT_EQ(window->txtNote->toPlainText(), QString(255, u'x') + u'b');

    // Pasted text is not held back; the write-back cuts it, in the box too.
    window->txtNote->setPlainText(QString(300, u'y'));
    window->SaveNote();
    EXPECT_EQ(storedNote(1), QString(256, u'y'));
    EXPECT_EQ(window->txtNote->toPlainText(), QString(256, u'y'));
}

TEST_F(frmCallDetailsTest, AClearedNoteLeavesBlanksAndTheRowAtItsDefaultHeight)
{
    auto window = open(2);
    window->txtNote->setPlainText(u"first"_s);
    window->SaveNote();
    ASSERT_EQ(storedNote(2), u"first"_s);
    window->txtNote->clear();
    window->cToolbar1_ButtonClick(frmCallDetails::btnPrev);
    CallRecord record;
    ASSERT_TRUE(ReadCallRecord(record, kDay, 2));
    EXPECT_EQ(record.Notes, QString(256, u' '));
    EXPECT_TRUE(grid.CellText(2, CallColumn::Note).isEmpty());
    EXPECT_EQ(grid.RowHeight(2), grid.DefaultRowHeight());
    EXPECT_EQ(grid.SelectedRow(), 1);
}

TEST_F(frmCallDetailsTest, ClosingWithoutAChangeRewritesTheSameRecord)
{
    const QByteArray before = dayBytes(kDay);
    auto window = open(3);
    window->show();
    window->close();
    EXPECT_EQ(
        dayBytes(kDay), before.left(2 * CallRecord::Size) + [&] {
            CallRecord record = CallRecord::fromBytes(before.mid(2 * CallRecord::Size));
            record.Notes = QString(256, u' ');
            return record.toBytes();
        }());
}

TEST_F(frmCallDetailsTest, TheFirstContactWithTheNumberIsShownAndCalledUpByTheContactCommand)
{
    ASSERT_EQ(AddContactRecord(contact(u"Other"_s, u"555-9"_s)), 1);
    ASSERT_EQ(AddContactRecord(contact(u"Ann Lee"_s, u"555-1"_s, u"2"_s, u"3"_s, u"1"_s)), 2);
    ASSERT_EQ(AddContactRecord(contact(u"Ann Twin"_s, u"555-1"_s)), 3);
    auto window = open(1);
    EXPECT_EQ(window->ContactIndex(), 2);
    EXPECT_EQ(window->lblContactInf->text(), u"Ann Lee"_s);
    EXPECT_FALSE(window->lblContactInf->isHidden());
    EXPECT_FALSE(window->lblContact->isHidden());
    EXPECT_EQ(window->ContactInfo(), u"#407: #674\r\n#408: #6\r\n#491: #1"_s);

    // No contact for the next call: the panel hides.
    window->cToolbar1_ButtonClick(frmCallDetails::btnNext);
    EXPECT_EQ(window->ContactIndex(), -1);
    EXPECT_TRUE(window->lblContactInf->isHidden());
    EXPECT_TRUE(window->lblContactInf->text().isEmpty());
    EXPECT_TRUE(window->lblContact->isHidden());
    EXPECT_EQ(window->imgContact->pixmap().isNull(), true);
}

TEST_F(frmCallDetailsTest, ContactOpensTheEditorOnTheContactOrOnANewOneForTheCaller)
{
    ASSERT_EQ(AddContactRecord(contact(u"Ann Lee"_s, u"555-1"_s)), 1);
    auto window = open(1);
    QStringList seen;
    const auto look = [&seen](QWidget* modal) {
        auto* editor = qobject_cast<frmContact*>(modal);
        ASSERT_NE(editor, nullptr);
        seen << editor->NewOrEdit + u'|' + editor->OriginalContact + u'|' + editor->txtCallerName->text()
                + u'|' + editor->txtCallerNumber->text();
        editor->cmdCancel_Click();
    };
    WidgetShots::onNextModal(look);
    window->cToolbar1_ButtonClick(frmCallDetails::btnContact);
    window->cToolbar1_ButtonClick(frmCallDetails::btnNext);
    WidgetShots::onNextModal(look);
    window->cToolbar1_ButtonClick(frmCallDetails::btnContact);
    EXPECT_EQ(seen, (QStringList{u"EDIT|Ann Lee|Ann Lee|555-1"_s, u"NEW||Bob|555-2"_s}));
    window.reset();
    UnloadContactEditor();
}

TEST_F(frmCallDetailsTest, TheContactsPictureComesFromPicsByItsPlainName)
{
    ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Pics"_s));
    QImage face(8, 8, QImage::Format_RGB32);
    face.fill(Qt::red);
    ASSERT_TRUE(face.save(env.programFolder() + u"/Pics/ann.png"_s));
    ASSERT_TRUE(face.save(env.programFolder() + u"/outside.png"_s));
    ContactRecord ann = contact(u"Ann"_s, u"555-1"_s);
    ann.PictureFile = u"ann.png"_s;
    ContactRecord bob = contact(u"Bob"_s, u"555-2"_s);
    bob.PictureFile = u"../outside.png"_s;
    ASSERT_EQ(AddContactRecord(ann), 1);
    ASSERT_EQ(AddContactRecord(bob), 2);
    auto window = open(1);
    EXPECT_FALSE(window->imgContact->pixmap().isNull());
    window->cToolbar1_ButtonClick(frmCallDetails::btnNext);
    EXPECT_EQ(window->lblContactInf->text(), u"Bob"_s);
    EXPECT_TRUE(window->imgContact->pixmap().isNull());
}

TEST_F(frmCallDetailsTest, TheContactBalloonShowsOncePerEntryIntoTheName)
{
    ASSERT_EQ(AddContactRecord(contact(u"Ann Lee"_s, u"555-1"_s, u"1"_s, u"2"_s, u"3"_s, u"gate"_s)), 1);
    auto window = open(1);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->lblContactInf_MouseMove();
    ASSERT_NE(BalloonTip::current(), nullptr);
    EXPECT_EQ(BalloonTip::current()->anchor(), window->txtBallon);
    EXPECT_EQ(BalloonTip::current()->title(), u"Ann Lee"_s);
    EXPECT_EQ(BalloonTip::current()->text(), window->ContactInfo());
    BalloonTip::hideFor(window->txtBallon);
    window->lblContactInf_MouseMove();
    EXPECT_EQ(BalloonTip::current(), nullptr);
    window->Form_MouseMove();
    window->lblContactInf_MouseMove();
    EXPECT_NE(BalloonTip::current(), nullptr);
}

TEST_F(frmCallDetailsTest, RightToLeftPutsTheCaptionsRightOfTheValues)
{
    loadNumberedTranslation(true);
    auto window = open(1);
    EXPECT_EQ(window->layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(window->tabContactPic->x(), 250 / 15);
    EXPECT_EQ(window->tabTitels->x(), window->tabDetails->x() + window->tabDetails->width() + 2);
    EXPECT_TRUE(window->lblFromInf->alignment() & Qt::AlignRight);
}

TEST_F(frmCallDetailsTest, TheBalloonTextHasTheModesAndTheNotesWhenThereAreAny)
{
    EXPECT_EQ(frmCallDetails::ContactInfoText(contact(u"A"_s, u"1"_s, u"2"_s, u"3"_s, u"1"_s)),
        u"#407: #674\r\n#408: #6\r\n#491: #1"_s);
    EXPECT_EQ(
        frmCallDetails::ContactInfoText(contact(u"A"_s, u"1"_s, u" 4 "_s, u"2"_s, u"9"_s, u" the vet "_s)),
        u"#407: #6\r\n#408: #675\r\n\r\n\r\n#511:\r\nthe vet"_s);
    // A record with nothing set: no modes, no notes (NULs are none).
    EXPECT_EQ(frmCallDetails::ContactInfoText(ContactRecord()), u"\r\n"_s.repeated(2));
}

TEST_F(frmCallDetailsTest, AReloadWhileOpenKeepsTheNoteWithTheCallShown)
{
    auto window = open(1); // Ann
    // The end of a call reloads the list: another order, row 1 selected.
    grid.SortCriteria().Clear();
    grid.SortCriteria().Add(CallColumn::CallerNumber, GridSort::Descending, grid.ColumnSortType(12));
    fill();
    grid.Sort();
    grid.SetSelectedRow(1);
    ASSERT_EQ(grid.CellText(1, CallColumn::CallerName), u"Cy"_s);
    ASSERT_EQ(grid.CellText(3, CallColumn::CallerName), u"Ann"_s);
    window->txtNote->setPlainText(u"for Ann"_s);
    window->close();
    window.reset();

    EXPECT_EQ(storedNote(1), u"for Ann"_s);
    EXPECT_EQ(storedNote(3), QString());
    EXPECT_TRUE(grid.CellText(1, CallColumn::Note).isEmpty());
    EXPECT_EQ(grid.CellText(3, CallColumn::Note), u"for Ann"_s);
}

TEST_F(frmCallDetailsTest, ACallThatCannotBeReadGetsNothingWritten)
{
    // A call deleted while shown: another call moved to its number.
    auto window = open(1);
    writeDay(kDay, {storedCall(u"Bob"_s, u"555-2"_s, u"10:02:00"_s)});
    const QByteArray moved = dayBytes(kDay);
    window->txtNote->setPlainText(u"for Ann"_s);
    window->cToolbar1_ButtonClick(frmCallDetails::btnNext);
    EXPECT_EQ(dayBytes(kDay), moved);

    // The day file gone: it is not made again.
    QFile::remove(DataPaths::native(DataPaths::dayFile(kDay)));
    window->txtNote->setPlainText(u"for Bob"_s);
    window->close();
    EXPECT_FALSE(QFile::exists(DataPaths::native(DataPaths::dayFile(kDay))));
}

// A note written on a full disk: the window says why and the day file
// stays byte for byte.
TEST_F(frmCallDetailsTest, ANoteWrittenOnAFullDiskKeepsTheDayFileAndSaysWhy)
{
    const QString day = QDir::cleanPath(DataPaths::native(kDay));
    const QByteArray before = dayBytes(kDay);
    // The day folder moves onto a small disk of its own, its file with it.
    ASSERT_TRUE(QDir(day).removeRecursively());
    ASSERT_TRUE(QDir().mkpath(day));
    FullDisk disk(day, 256 * 1024);
    REQUIRE_FULL_DISK(disk);
    QFile file(DataPaths::native(DataPaths::dayFile(kDay)));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(before), before.size());
    file.close();
    ScriptedDialogs dialogs;
    auto window = open(2);
    ASSERT_TRUE(disk.fill());
    window->txtNote->setPlainText(u"call back"_s);
    window->SaveNote();
    ASSERT_EQ(dialogs.messageRequests.size(), 1);
    EXPECT_TRUE(dialogs.messageRequests.constFirst().text.contains(u"No space left on device"_s))
        << dialogs.messageRequests.constFirst().text.toStdString();
    EXPECT_EQ(dayBytes(kDay), before);
    window.reset();
}

TEST_F(frmCallDetailsTest, AnEmptyGridClosesTheWindowBeforeItShows)
{
    grid.Clear();
    frmCallDetails window;
    window.SetGrid(&grid);
    EXPECT_EQ(window.exec(), QDialog::Rejected);
}

TEST_F(frmCallDetailsTest, Screenshot)
{
    ASSERT_EQ(LoadTranslation(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt")), 0);
    ASSERT_EQ(AddContactRecord(contact(u"Bob Stone"_s, u"555-2"_s, u"1"_s, u"2"_s, u"1"_s, u"Plumber"_s)), 1);
    fill();
    grid.SetSelectedRow(2);
    frmCallDetails window;
    window.SetGrid(&grid);
    window.txtNote->setPlainText(u"Wants the quote by Friday."_s);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(WidgetShots::save(&window, u"call-details.png"_s));
}

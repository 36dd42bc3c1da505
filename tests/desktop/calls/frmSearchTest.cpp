#include "desktop/calls/frmSearch.h"

#include "common/CallStore.h"
#include "common/FixedRecord.h"
#include "desktop/calls/CallsList.h"
#include "desktop/calls/frmCallDetails.h"
#include "desktop/foundation/CallRows.h"
#include "desktop/foundation/CallSearch.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/MainWindowSurfaces.h"
#include "platform/grid/vbalGrid.h"
#include "platform/widgets/KeyedPopupMenu.h"
#include "tests/desktop/calls/CallWindowsFixture.h"
#include "tests/support/CallDays.h"
#include "tests/support/widgets/WidgetShots.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QString kMarch = u"\\Data\\Log\\2024\\03\\05\\"_s;
const QString kDecember = u"\\Data\\Log\\2026\\12\\10\\"_s;

CallRecord call(const QString& name, const QString& number, const QString& note = {}, bool flagged = false)
{
    CallRecord record = storedCall(name, number, u"10:00:00"_s);
    record.FlagMark = flagged ? u"1"_s : u"0"_s;
    if (!note.isEmpty())
        record.Notes = note;
    return record;
}

class frmSearchTest : public CallWindowsFixture {
protected:
    void SetUp() override
    {
        CallWindowsFixture::SetUp();
        SetMainWindow(&mainWindow);
        writeDay(kMarch,
            {call(u"Ann"_s, u"5551234"_s, u"gate code"_s), call(u"ann lee"_s, u"2345555"_s),
                call(u"Bob"_s, u"999"_s, u"call ann"_s, true)});
        writeDay(kDecember, {call(u"Ann Lee"_s, u"0555"_s, {}, true)});
    }
    void TearDown() override
    {
        SetSearchEventInterval(50);
        g_bSearchRunning = false;
        SetMainWindow(nullptr);
        CallWindowsFixture::TearDown();
    }

    static QStringList names(const frmSearch& window)
    {
        QStringList result;
        for (qint32 row = 1; row <= window.vbalGrid1->Rows(); ++row)
            result << window.vbalGrid1->CellText(row, CallColumn::CallerName);
        return result;
    }

    // Many calls over many days, for searches stopped midway.
    static void writeManyDays()
    {
        for (int day = 1; day <= 20; ++day) {
            QList<CallRecord> calls;
            for (int n = 0; n < 10; ++n)
                calls << call(u"Many"_s, u"555"_s + QString::number(n));
            writeDay(u"\\Data\\Log\\2025\\01\\%1\\"_s.arg(day, 2, 10, QChar(u'0')), calls);
        }
    }

    RecordedMainWindow mainWindow;
};

} // namespace

TEST_F(frmSearchTest, EachCriterionIsASubstringOfItsTrimmedFieldWithItsCase)
{
    struct Case {
        const char* why;
        QString name;
        QString number;
        QString notes;
        bool flagged;
        QStringList found;
    };
    const Case cases[] = {
        {"ann is not Ann", u"ann"_s, {}, {}, false, {u"ann lee"_s}},
        {"555 anywhere", {}, u"555"_s, {}, false, {u"Ann"_s, u"ann lee"_s, u"Ann Lee"_s}},
        {"the note alone", {}, {}, u"ann"_s, false, {u"Bob"_s}},
        {"two criteria, listed once", u"Ann"_s, u"555"_s, {}, false, {u"Ann"_s, u"ann lee"_s, u"Ann Lee"_s}},
        {"a trailing blank must be inside", u"Ann "_s, {}, {}, false, {u"Ann Lee"_s}},
        {"flagged only", {}, u"5"_s, {}, true, {u"Ann Lee"_s}},
    };
    for (const Case& c : cases) {
        frmSearch window;
        window.txtCallerName->setText(c.name);
        window.txtCallerNumber->setText(c.number);
        window.txtNotes->setText(c.notes);
        window.chkWithFlag->setChecked(c.flagged);
        QTest::mouseClick(window.cmdSearch, Qt::LeftButton);
        EXPECT_EQ(names(window), c.found) << c.why;
        EXPECT_EQ(window.PanelText(), u"#161 "_s + QString::number(c.found.size())) << c.why;
        EXPECT_TRUE(window.cmdSearch->isEnabled()) << c.why;
        EXPECT_FALSE(window.cmdStop->isEnabled()) << c.why;
        EXPECT_TRUE(window.txtNotes->isEnabled()) << c.why;
        EXPECT_FALSE(window.picFolder->isHidden()) << c.why;
    }
}

TEST_F(frmSearchTest, EmptyTextsStartNothingEvenWithTheFlagBoxOrEnter)
{
    frmSearch window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.chkWithFlag->setChecked(true);
    QTest::mouseClick(window.cmdSearch, Qt::LeftButton);
    QTest::keyClick(window.chkWithFlag, Qt::Key_Return);
    EXPECT_EQ(window.vbalGrid1->Rows(), 0);
    EXPECT_TRUE(window.picFolder->isHidden());
    EXPECT_EQ(window.PanelText(), u"#161 0"_s);
    // Enter in a text box searches.
    QTest::keyClicks(window.txtCallerNumber, u"999"_s);
    QTest::keyClick(window.txtCallerNumber, Qt::Key_Return);
    EXPECT_EQ(names(window), QStringList{u"Bob"_s});
}

TEST_F(frmSearchTest, TheFolderColumnShowsTheDayTheCallWasFoundIn)
{
    frmSearch window;
    window.txtCallerName->setText(u"Bob"_s);
    window.cmdSearch_Click();
    ASSERT_EQ(window.vbalGrid1->Rows(), 1);
    EXPECT_EQ(window.vbalGrid1->CellText(1, CallColumn::Folder), u"\\Data\\Log\\2024\\03\\05\\"_s);
    EXPECT_TRUE(window.vbalGrid1->ColumnVisible(CallColumn::Folder));
    EXPECT_EQ(window.vbalGrid1->CellText(1, CallColumn::Index), u"3"_s);
    EXPECT_EQ(window.vbalGrid1->CellText(1, CallColumn::Note), u"call ann"_s);
    // A header click changes nothing.
    emit window.vbalGrid1->ColumnClick(CallColumn::Caller);
    EXPECT_EQ(window.vbalGrid1->CellText(1, CallColumn::CallerName), u"Bob"_s);
}

TEST_F(frmSearchTest, StopKeepsTheRowsFoundAndTheirCount)
{
    writeManyDays();
    SetSearchEventInterval(0);
    frmSearch window;
    window.txtCallerNumber->setText(u"555"_s);
    QTimer stopper;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        if (window.IsSearching() && window.vbalGrid1->Rows() >= 15) {
            stopper.stop();
            EXPECT_TRUE(window.cmdStop->isEnabled());
            EXPECT_FALSE(window.txtCallerName->isEnabled());
            EXPECT_FALSE(window.cmdNew->isEnabled());
            window.cmdStop->click();
        }
    });
    stopper.start(0);
    window.cmdSearch_Click();
    const qint32 rows = window.vbalGrid1->Rows();
    EXPECT_GE(rows, 15);
    EXPECT_LT(rows, 203);
    EXPECT_EQ(window.PanelText(), u"#161 "_s + QString::number(rows));
    EXPECT_TRUE(window.cmdSearch->isEnabled());
    EXPECT_FALSE(window.cmdStop->isEnabled());
    EXPECT_TRUE(window.cmdNew->isEnabled());
    EXPECT_FALSE(window.Timer1.isActive());
}

TEST_F(frmSearchTest, NewEmptiesAllButTheFlagBox)
{
    frmSearch window;
    window.txtCallerName->setText(u"A"_s);
    window.txtCallerNumber->setText(u"5"_s);
    window.txtNotes->setText(u"x"_s);
    window.chkWithFlag->setChecked(true);
    window.cmdSearch_Click();
    ASSERT_EQ(window.vbalGrid1->Rows(), 1);
    QTest::mouseClick(window.cmdNew, Qt::LeftButton);
    EXPECT_TRUE(window.txtCallerName->text().isEmpty());
    EXPECT_TRUE(window.txtCallerNumber->text().isEmpty());
    EXPECT_TRUE(window.txtNotes->text().isEmpty());
    EXPECT_TRUE(window.chkWithFlag->isChecked());
    EXPECT_EQ(window.vbalGrid1->Rows(), 0);
    EXPECT_EQ(window.PanelText(), u"#161 0"_s);
    EXPECT_TRUE(window.picFolder->isHidden());
}

TEST_F(frmSearchTest, ClosingMidSearchStopsItFirstAndEnterInTheFlagBoxStartsNoSecond)
{
    writeManyDays();
    SetSearchEventInterval(0);
    frmSearch window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.txtCallerNumber->setText(u"555"_s);
    bool enterPressed = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (!window.IsSearching() || window.vbalGrid1->Rows() < 5)
            return;
        if (!enterPressed) {
            enterPressed = true;
            const qint32 before = window.vbalGrid1->Rows();
            QTest::keyClick(window.chkWithFlag, Qt::Key_Return);
            // Still the first search: its rows stay and Stop is still there.
            EXPECT_GE(window.vbalGrid1->Rows(), before);
            EXPECT_TRUE(window.cmdStop->isEnabled());
            return;
        }
        closer.stop();
        window.close();
    });
    closer.start(0);
    window.cmdSearch_Click();
    EXPECT_TRUE(enterPressed);
    EXPECT_FALSE(window.IsSearching());
    EXPECT_FALSE(g_bSearchRunning);
    EXPECT_TRUE(window.isHidden());
    EXPECT_LT(window.vbalGrid1->Rows(), 203);
    const QStringList found = names(window);
    EXPECT_EQ(found.size(), window.vbalGrid1->Rows());
}

TEST_F(frmSearchTest, ClosingReloadsTheMainListOnlyAfterADetailsWindow)
{
    QWidget mainWindowWidget;
    vbalGrid mainGrid;
    KeyedPopupMenu menu;
    CallsList list(mainWindowWidget, mainGrid, {}, menu, {});
    list.SetCallsHeaders();
    list.ShowDay(kMarch);
    ASSERT_EQ(mainGrid.Rows(), 3);
    const auto addCall = [] { ASSERT_GT(AppendCallRecord(call(u"Late"_s, u"1"_s), kMarch), 0); };

    addCall();
    {
        frmSearch window;
        window.txtCallerName->setText(u"Ann"_s);
        window.cmdSearch_Click();
        window.show();
        window.close();
    }
    EXPECT_EQ(mainGrid.Rows(), 3);

    {
        frmSearch window;
        window.txtCallerName->setText(u"Ann"_s);
        window.cmdSearch_Click();
        ASSERT_EQ(window.vbalGrid1->Rows(), 2);
        window.vbalGrid1->SetSelectedRow(1);
        WidgetShots::onNextModal([](QWidget* modal) {
            auto* details = qobject_cast<frmCallDetails*>(modal);
            ASSERT_NE(details, nullptr);
            details->txtNote->setPlainText(u"seen"_s);
            details->close();
        });
        window.vbalGrid1_DblClick();
        EXPECT_TRUE(window.DetailsOpened());
        EXPECT_EQ(window.vbalGrid1->CellText(1, CallColumn::Note), u"seen"_s);
        window.show();
        window.close();
    }
    EXPECT_EQ(mainGrid.Rows(), 4);
    EXPECT_EQ(mainGrid.CellText(1, CallColumn::Note), u"seen"_s);
}

TEST_F(frmSearchTest, TheSearchPictureWalksItsThreePlaces)
{
    frmSearch window;
    const QPoint start = window.SearchPicturePosition();
    EXPECT_EQ(start, QPoint(100, 120));
    window.Timer1_Timer();
    EXPECT_EQ(window.SearchPicturePosition(), QPoint(300, 120));
    window.Timer1_Timer();
    EXPECT_EQ(window.SearchPicturePosition(), QPoint(150, 250));
    window.Timer1_Timer();
    EXPECT_EQ(window.SearchPicturePosition(), start);
}

TEST_F(frmSearchTest, ResizingFollowsTheWindowAndRightToLeftMovesThePanelRight)
{
    loadNumberedTranslation(true);
    frmSearch window;
    window.resize(700, 500);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(window.Picture1->x(), window.width() - window.Picture1->width());
    EXPECT_EQ(window.vbalGrid1->width(), window.width() - 100 / 15);
    EXPECT_TRUE(window.lblCallerName->alignment() & Qt::AlignRight);
}

TEST_F(frmSearchTest, Screenshot)
{
    ASSERT_EQ(LoadTranslation(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt")), 0);
    frmSearch window;
    window.txtCallerNumber->setText(u"555"_s);
    window.cmdSearch_Click();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(WidgetShots::save(&window, u"search.png"_s));
}

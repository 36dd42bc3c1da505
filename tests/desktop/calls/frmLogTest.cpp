#include "desktop/calls/frmLog.h"

#include "common/RegistryRoutines.h"
#include "tests/desktop/calls/CallWindowsFixture.h"
#include "tests/desktop/foundation/ScriptedDialogs.h"
#include "tests/support/TestClock.h"
#include "tests/support/widgets/WidgetShots.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Journals of a few days in the installation's Journal folder.
class frmLogTest : public CallWindowsFixture {
protected:
    void SetUp() override
    {
        CallWindowsFixture::SetUp();
        env.installDefaults();
        ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Journal"_s));
    }

    QString path(const QString& name) const { return env.programFolder() + u"/Journal/"_s + name; }

    void write(const QString& name, const QByteArray& data, const QDateTime& changed = {}) const
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
        ASSERT_TRUE(file.flush());
        if (changed.isValid()) {
            ASSERT_TRUE(file.setFileTime(changed, QFileDevice::FileModificationTime));
        }
    }

    void writeThreeDays() const
    {
        write(u"12-08-2026_Sys.txt"_s, "09:00:00 : started\r\n");
        write(u"12-09-2026_calls.TXT"_s, "10:00:00 : call from Ann\r\n10:05:00 : call from Bob\r\n");
        write(u"12-10-2026_WWW.txt"_s, "11:00:00 : GET /calls\r\n");
    }

    static void setLog(const QString& name, const QString& value)
    {
        ASSERT_TRUE(RegistryRoutines::forProduct(u"Properties\\TabLog"_s).setString(name, value));
    }

    static QStringList items(const QListWidget& list)
    {
        QStringList texts;
        for (int i = 0; i < list.count(); ++i)
            texts.append(list.item(i)->text());
        return texts;
    }

    static void choose(frmLog& window, int kind)
    {
        window.cmbWhatToShow->setCurrentIndex(kind);
        window.cmbWhatToShow_Click();
    }

    TestClock clock{QDateTime(QDate(2026, 12, 10), QTime(12, 0))};
    ScriptedDialogs dialogs;
};

} // namespace

TEST_F(frmLogTest, EachKindListsItsJournalsNewestFirstAndShowsTheNewest)
{
    writeThreeDays();
    frmLog window;
    EXPECT_EQ(window.windowTitle(), entry(631));
    ASSERT_EQ(window.cmbWhatToShow->count(), 4);
    EXPECT_EQ(window.cmbWhatToShow->itemText(0), entry(632));
    EXPECT_EQ(window.cmbWhatToShow->itemText(3), entry(635));
    EXPECT_EQ(items(*window.List1),
        (QStringList{u"12-10-2026_WWW.txt"_s, u"12-09-2026_calls.TXT"_s, u"12-08-2026_Sys.txt"_s}));
    EXPECT_EQ(window.List1->currentRow(), 0);
    EXPECT_EQ(items(*window.List2), QStringList{u"11:00:00 : GET /calls"_s});

    choose(window, 2); // the calls journals, whatever the letter case
    EXPECT_EQ(items(*window.List1), QStringList{u"12-09-2026_calls.TXT"_s});
    EXPECT_EQ(
        items(*window.List2), (QStringList{u"10:00:00 : call from Ann"_s, u"10:05:00 : call from Bob"_s}));
    choose(window, 1);
    EXPECT_EQ(items(*window.List1), QStringList{u"12-08-2026_Sys.txt"_s});
}

TEST_F(frmLogTest, AnEmptyFolderListsNothingAndItsButtonsDoNothing)
{
    frmLog window;
    EXPECT_EQ(window.List1->count(), 0);
    EXPECT_EQ(window.List2->count(), 0);
    setLog(u"chkWornBeforeDelete"_s, u"1"_s);
    QTest::mouseClick(window.cmdDelete, Qt::LeftButton);
    QTest::mouseClick(window.cmdSaveAs, Qt::LeftButton);
    EXPECT_TRUE(dialogs.messageRequests.isEmpty());
    EXPECT_TRUE(dialogs.fileRequests.isEmpty());
}

TEST_F(frmLogTest, DeleteAsksOnlyWhenToldAndANoKeepsTheJournal)
{
    struct Case {
        const char* why;
        QString setting; // empty: no value
        QList<qint16> answers;
        bool deleted;
        bool asked;
    };
    const Case cases[] = {
        {"asked, No", u"1"_s, {7}, false, true},
        {"asked, Yes", u"1"_s, {6}, true, true},
        {"not asked", u"0"_s, {}, true, false},
    };
    for (const Case& c : cases) {
        writeThreeDays();
        setLog(u"chkWornBeforeDelete"_s, c.setting);
        dialogs.messageRequests.clear();
        dialogs.messageAnswers = c.answers;
        frmLog window;
        window.cmdDelete_Click();
        EXPECT_EQ(QFile::exists(path(u"12-10-2026_WWW.txt"_s)), !c.deleted) << c.why;
        ASSERT_EQ(dialogs.messageRequests.size(), c.asked ? 1 : 0) << c.why;
        if (c.asked) {
            EXPECT_EQ(dialogs.messageRequests[0].text, u"Delete 12-10-2026_WWW.txt ?"_s) << c.why;
            EXPECT_TRUE(dialogs.messageRequests[0].yesNo) << c.why;
        }
        if (c.deleted) {
            EXPECT_EQ(items(*window.List1), (QStringList{u"12-09-2026_calls.TXT"_s, u"12-08-2026_Sys.txt"_s}))
                << c.why;
            EXPECT_EQ(window.List2->count(), 0) << c.why;
        } else {
            EXPECT_EQ(window.List1->count(), 3) << c.why;
            EXPECT_EQ(window.List2->count(), 1) << c.why;
        }
    }
}

TEST_F(frmLogTest, SaveAsCopiesTheChosenJournal)
{
    writeThreeDays();
    frmLog window;
    choose(window, 2);
    const QString target = m_texts.filePath(u"copy.txt"_s);
    dialogs.fileAnswers << ScriptedDialogs::choose(target);
    window.cmdSaveAs_Click();
    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    QFile copy(target);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), QByteArray("10:00:00 : call from Ann\r\n10:05:00 : call from Bob\r\n"));
    EXPECT_TRUE(QFile::exists(path(u"12-09-2026_calls.TXT"_s)));
    // Cancelled: nothing is written.
    window.cmdSaveAs_Click();
    EXPECT_EQ(dialogs.fileRequests.size(), 2);
}

TEST_F(frmLogTest, OpeningPurgesWhatTheRetentionDoesNotKeep)
{
    const QDateTime twoMonthsAndADay(QDate(2026, 10, 9), QTime(12, 0));
    for (const QString& kept : {u"3"_s, u"Forever!"_s, QString()}) {
        write(u"10-09-2026_Sys.txt"_s, "old\r\n", twoMonthsAndADay);
        write(u"12-09-2026_Sys.txt"_s, "new\r\n", QDateTime(QDate(2026, 12, 9), QTime(12, 0)));
        setLog(u"cmbLogFor"_s, kept);
        frmLog window;
        EXPECT_EQ(window.List1->count(), 2) << kept.toStdString();
    }
    setLog(u"cmbLogFor"_s, u"1"_s); // two months
    frmLog window;
    EXPECT_EQ(items(*window.List1), QStringList{u"12-09-2026_Sys.txt"_s});
    EXPECT_FALSE(QFile::exists(path(u"10-09-2026_Sys.txt"_s)));
}

TEST_F(frmLogTest, TheContentsScrollToTheWidestLinePlusFifty)
{
    const QByteArray wide(400, 'w');
    write(u"12-10-2026_Sys.txt"_s, "short\r\n" + wide + "\r\n");
    frmLog window;
    const int widest = QFontMetrics(window.font()).horizontalAdvance(QString::fromLatin1(wide));
    EXPECT_EQ(window.HorizontalExtent(), widest + 50);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QScrollBar* bar = window.List2->horizontalScrollBar();
    EXPECT_GE(bar->maximum() + bar->pageStep(), widest + 50);
}

TEST_F(frmLogTest, TheListsFillTheWindowAsItIsResized)
{
    frmLog window;
    window.resize(900, 600);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRect files = window.List1->geometry();
    const QRect lines = window.List2->geometry();
    EXPECT_EQ(lines.top(), files.top());
    EXPECT_EQ(lines.left(), files.left() + files.width() + 100 / 15);
    EXPECT_EQ(lines.width(), 900 - (files.left() + files.width() + 200 / 15));
    EXPECT_EQ(files.height(), 600 - (files.top() + 500 / 15));
    EXPECT_EQ(lines.height(), files.height());
}

TEST_F(frmLogTest, FileNamesAndLinesKeepTheirDirectionInARightToLeftWindow)
{
    loadNumberedTranslation(true);
    writeThreeDays();
    write(u"12-10-2026_Calls.txt"_s, "09:12:40 : Incoming call from ANN LEE - 5551234\r\n");
    frmLog window;
    choose(window, 0);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.layoutDirection(), Qt::RightToLeft);
    // The window reads right to left, its left-to-right texts do not.
    EXPECT_EQ(window.List1->layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(window.List2->layoutDirection(), Qt::LeftToRight);
    EXPECT_TRUE(WidgetShots::save(&window, u"journal-viewer-rtl.png"_s));
}

TEST_F(frmLogTest, Screenshot)
{
    ASSERT_EQ(LoadTranslation(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt")), 0);
    writeThreeDays();
    write(u"12-10-2026_Calls.txt"_s,
        "09:12:40 : Incoming call from ANN LEE - 5551234\r\n09:13:02 : Call ended\r\n"
        "10:44:10 : Outgoing call to 5559876\r\n");
    frmLog window;
    choose(window, 0);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(WidgetShots::save(&window, u"journal-viewer.png"_s));
}

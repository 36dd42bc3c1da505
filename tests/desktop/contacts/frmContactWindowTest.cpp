#include "tests/desktop/contacts/ContactEditorFixture.h"

#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/ImageList2.h"
#include "desktop/foundation/SoundFileBar.h"
#include "desktop/foundation/TabStrip.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/widgets/WidgetShots.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabBar>

using namespace Qt::StringLiterals;

namespace {

class frmContactWindowTest : public ContactEditorFixture {
protected:
    frmContact& shown()
    {
        frmContact& f = load();
        f.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&f));
        return f;
    }
    static QString typed(QWidget* box)
    {
        if (auto* line = qobject_cast<QLineEdit*>(box))
            return line->text();
        return qobject_cast<QPlainTextEdit*>(box)->toPlainText();
    }
    // Keys for any character, as a keyboard layout delivers them.
    static void type(QWidget* box, const QString& text)
    {
        for (const QChar c : text) {
            QTest::sendKeyEvent(QTest::Press, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
    static bool greyed(const QWidget* box)
    {
        return box->palette().color(QPalette::Base) == QApplication::palette().color(QPalette::Button);
    }
};

TEST_F(frmContactWindowTest, TypingStopsAtTheLimitWithABalloon)
{
    struct Case {
        const char* box;
        const char* tab;
        int limit;
        QString balloon;
    };
    const Case cases[] = {
        {"txtContactName", "General", 32, u"#851"_s},
        {"txtCallerName", "General", 40, u"#852"_s},
        {"txtCallerNumber", "General", 40, u"#853"_s},
        {"TabNotes", "Notes", 1024, u"#857"_s},
    };
    frmContact& f = shown();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        f.TabControl1->SelectTab(QString::fromLatin1(c.tab));
        auto* box = f.findChild<QWidget*>(QString::fromLatin1(c.box));
        box->setFocus();
        // Two-byte characters count twice.
        type(box, QString(c.limit / 2 - 1, u'é'));
        QTest::keyClicks(box, u"ab"_s);
        EXPECT_EQ(typed(box).toUtf8().size(), c.limit);
        EXPECT_EQ(BalloonTip::current(), nullptr);
        QTest::keyClick(box, Qt::Key_X);
        // Return is text only in the notes; in a line box it answers the window.
        if (qobject_cast<QPlainTextEdit*>(box))
            QTest::keyClick(box, Qt::Key_Return);
        EXPECT_EQ(typed(box).toUtf8().size(), c.limit) << "nothing more goes in";
        BalloonTip* balloon = BalloonTip::current();
        ASSERT_NE(balloon, nullptr);
        EXPECT_EQ(balloon->anchor(), box);
        EXPECT_EQ(balloon->title(), u"#15");
        EXPECT_EQ(balloon->text(), c.balloon);
        QTest::keyClick(box, Qt::Key_Backspace);
        EXPECT_TRUE(typed(box).endsWith(u'a'));
        QTest::keyClick(box, Qt::Key_B);
        EXPECT_TRUE(typed(box).endsWith(u"ab"));
    }
}

TEST_F(frmContactWindowTest, AtTheLimitTabMovesOnAndTypingGoesOnThere)
{
    frmContact& f = shown();
    f.activateWindow();
    f.txtContactName->setFocus();
    ASSERT_TRUE(waitUntil([&] { return f.txtContactName->hasFocus(); }, 5000));
    // A 40-character name into a 32-character box: the rest is refused.
    QTest::keyClicks(f.txtContactName, QString(40, u'n'));
    EXPECT_EQ(f.txtContactName->text(), QString(32, u'n'));
    ASSERT_NE(BalloonTip::current(), nullptr);
    QTest::keyClick(f.txtContactName, Qt::Key_Tab);
    EXPECT_TRUE(f.txtCallerName->hasFocus()) << "Tab goes to the next box at the limit";
    EXPECT_EQ(BalloonTip::current(), nullptr) << "the balloon goes with the focus";
    QTest::keyClicks(f.txtCallerName, u"Ann Lee"_s);
    EXPECT_EQ(f.txtCallerName->text(), u"Ann Lee"_s);
    QTest::keyClick(f.txtCallerName, Qt::Key_Backtab);
    EXPECT_TRUE(f.txtContactName->hasFocus());
    // Shortcuts still work at the limit; a paste would lengthen the text.
    QTest::keyClick(f.txtContactName, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(f.txtContactName->selectedText(), QString(32, u'n'));
    QTest::keyClick(f.txtContactName, Qt::Key_End);
    QApplication::clipboard()->setText(u"xyz"_s);
    QTest::keyClick(f.txtContactName, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(f.txtContactName->text(), QString(32, u'n'));
}

TEST_F(frmContactWindowTest, EnterInTheNotesCountsCrLf)
{
    frmContact& f = shown();
    f.TabControl1->SelectTab(u"Notes"_s);
    f.TabNotes->setFocus();
    f.TabNotes->setPlainText(QString(1023, u'n'));
    f.TabNotes->moveCursor(QTextCursor::End);
    QTest::keyClick(f.TabNotes, Qt::Key_Return);
    EXPECT_EQ(f.TabNotes->toPlainText().size(), 1024) << "one more line break";
    QTest::keyClick(f.TabNotes, Qt::Key_Return);
    QTest::keyClick(f.TabNotes, Qt::Key_N);
    EXPECT_EQ(f.TabNotes->toPlainText().size(), 1024) << "1025 bytes stored: nothing more goes in";
    f.txtContactName->setText(u"Carl"_s);
    f.txtCallerNumber->setText(u"300"_s);
    f.NewOrEdit = u"NEW"_s;
    f.cmdOK_Click();
    EXPECT_EQ(messages(), QStringList{u"#857"_s});
}

TEST_F(frmContactWindowTest, EventControlsFollowModeAndBoxes)
{
    frmContact& f = shown();
    struct Case {
        const char* option;
        Qt::CheckState view, play, say;
        bool events, style, sound, speech;
    };
    const Case cases[] = {
        {"ptnEventsAsDefault", Qt::Checked, Qt::Checked, Qt::Checked, false, false, false, false},
        {"ptnNothingEvents", Qt::Checked, Qt::Checked, Qt::Checked, false, false, false, false},
        {"ptnSpecificEvents", Qt::Unchecked, Qt::Unchecked, Qt::Unchecked, true, false, false, false},
        {"ptnSpecificEvents", Qt::Checked, Qt::Unchecked, Qt::Unchecked, true, true, false, false},
        {"ptnSpecificEvents", Qt::Unchecked, Qt::Checked, Qt::Unchecked, true, false, true, false},
        {"ptnSpecificEvents", Qt::Unchecked, Qt::Unchecked, Qt::Checked, true, false, false, true},
        // Grey counts as clear.
        {"ptnSpecificEvents", Qt::PartiallyChecked, Qt::PartiallyChecked, Qt::PartiallyChecked, true, false,
            false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.option) + " " + std::to_string(c.view) + std::to_string(c.play)
            + std::to_string(c.say));
        f.ptnEventsAsDefault->setChecked(true);
        f.chkViewCD->setCheckState(c.view);
        f.chkPlayIn->setCheckState(c.play);
        f.chkSayInCall->setCheckState(c.say);
        f.findChild<QRadioButton*>(QString::fromLatin1(c.option))->setChecked(true);
        for (QWidget* control : {static_cast<QWidget*>(f.chkViewCD), static_cast<QWidget*>(f.chkPlayIn),
                 static_cast<QWidget*>(f.chkSayInCall)})
            EXPECT_EQ(control->isEnabled(), c.events) << control->objectName().toStdString();
        EXPECT_EQ(f.cmbCallDisplayStyle->isEnabled(), c.style);
        EXPECT_EQ(f.CmbPlayWhen->isEnabled(), c.sound);
        EXPECT_EQ(f.txtTTS->isEnabled(), c.speech);
        EXPECT_EQ(greyed(f.txtTTS), !c.speech);
    }
    // The bar's buttons follow the play rule only.
    f.ptnSpecificEvents->setChecked(true);
    f.chkPlayIn->setCheckState(Qt::Checked);
    EXPECT_TRUE(f.soundBar()->button(0)->isEnabled());
    f.ptnNothingEvents->setChecked(true);
    EXPECT_FALSE(f.CmbPlayWhen->isEnabled());
    EXPECT_TRUE(f.soundBar()->button(4)->isEnabled()) << "until the play rule runs again";
    f.chkPlayIn->setCheckState(Qt::Unchecked);
    for (int i : {0, 1, 3, 4})
        EXPECT_FALSE(f.soundBar()->button(i)->isEnabled()) << i;
}

TEST_F(frmContactWindowTest, ActionControlsFollowModeAndBoxes)
{
    frmContact& f = shown();
    struct Case {
        const char* option;
        Qt::CheckState mail, app;
        bool actions, mailTo, appTo;
    };
    const Case cases[] = {
        {"ptnActionAsDefault", Qt::Checked, Qt::Checked, false, false, false},
        {"ptnNothingActions", Qt::Checked, Qt::Checked, false, false, false},
        {"ptnSpecificActions", Qt::Unchecked, Qt::Unchecked, true, false, false},
        {"ptnSpecificActions", Qt::Checked, Qt::Unchecked, true, true, false},
        {"ptnSpecificActions", Qt::Unchecked, Qt::Checked, true, false, true},
        {"ptnSpecificActions", Qt::PartiallyChecked, Qt::PartiallyChecked, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.option) + " " + std::to_string(c.mail) + std::to_string(c.app));
        f.ptnActionAsDefault->setChecked(true);
        f.chkSendToMail->setCheckState(c.mail);
        f.chkApp->setCheckState(c.app);
        f.findChild<QRadioButton*>(QString::fromLatin1(c.option))->setChecked(true);
        EXPECT_EQ(f.chkSendToMail->isEnabled(), c.actions);
        EXPECT_EQ(f.chkApp->isEnabled(), c.actions);
        EXPECT_EQ(f.lblMailTo->isEnabled(), c.mailTo);
        EXPECT_EQ(f.txtMailTo->isEnabled(), c.mailTo);
        EXPECT_EQ(greyed(f.txtMailTo), !c.mailTo);
        EXPECT_EQ(f.lblAppPath->isEnabled(), c.appTo);
        EXPECT_EQ(f.txtAppTo->isEnabled(), c.appTo);
        EXPECT_EQ(greyed(f.txtAppTo), !c.appTo);
    }
}

TEST_F(frmContactWindowTest, LoadedEditorIsResetWithEverythingOwnDisabled)
{
    frmContact& f = load();
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.windowTitle(), u"#404") << "what the window is, in the user's language";
    EXPECT_TRUE(f.ptnEventsAsDefault->isChecked());
    EXPECT_TRUE(f.ptnActionAsDefault->isChecked());
    for (QWidget* control : std::initializer_list<QWidget*>{f.chkViewCD, f.cmbCallDisplayStyle, f.chkPlayIn,
             f.CmbPlayWhen, f.chkSayInCall, f.txtTTS, f.chkSendToMail, f.txtMailTo, f.chkApp, f.txtAppTo})
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    for (int i : {0, 1, 3, 4}) {
        EXPECT_FALSE(f.soundBar()->button(i)->isEnabled()) << i;
        EXPECT_FALSE(f.soundBar()->widgetForAction(f.soundBar()->button(i))->isEnabled()) << i;
    }
    EXPECT_EQ(f.CmbPlayWhen->count(), 2);
    EXPECT_EQ(f.cmbCallDisplayStyle->itemText(0), u"#281");
    EXPECT_EQ(f.cmbCallDisplayStyle->itemText(1), u"#282");
    EXPECT_EQ(f.TabControl1->tabBar()->tabText(3), u"#511");
    EXPECT_EQ(f.chkBlock->text(), u"Block calls from this contact (Hang Up)");
    EXPECT_EQ(f.soundBar()->button(3)->toolTip(), u"#210");
}

TEST_F(frmContactWindowTest, TabsShowTheirPageByClickAndByCode)
{
    frmContact& f = shown();
    const QList<QWidget*> pages{f.TabGeneral, f.TabEvents, f.TabActions, f.TabNotes};
    const auto visiblePage = [&] {
        int visible = 0;
        for (int i = 0; i < pages.size(); ++i)
            visible = pages[i]->isVisible() ? visible * 10 + i + 1 : visible;
        return visible;
    };
    EXPECT_EQ(visiblePage(), 1);
    for (int tab = 1; tab <= 4; ++tab) {
        QTabBar* bar = f.TabControl1->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab - 1).center());
        EXPECT_EQ(visiblePage(), tab);
    }
    f.TabControl1->SelectTab(u"Events"_s);
    EXPECT_EQ(visiblePage(), 2);
    // A selection by code of the tab in front still raises TabClick.
    f.TabEvents->hide();
    f.TabControl1->SelectTab(u"Events"_s);
    EXPECT_EQ(visiblePage(), 2);
}

TEST_F(frmContactWindowTest, TabsCarryThePicturesOfTheSharedList)
{
    frmContact& f = shown();
    QTabBar* bar = f.TabControl1->tabBar();
    ASSERT_EQ(bar->count(), 4);
    EXPECT_TRUE(bar->tabIcon(0).isNull()) << "General has none";
    const int positions[] = {10, 18, 3};
    for (int tab = 1; tab <= 3; ++tab) {
        SCOPED_TRACE(tab);
        EXPECT_FALSE(bar->tabIcon(tab).isNull());
        EXPECT_EQ(bar->tabIcon(tab).name(), ImageList2Name(positions[tab - 1]));
    }
}

TEST_F(frmContactWindowTest, CaptionFollowsTheName)
{
    frmContact& f = shown();
    EXPECT_EQ(f.windowTitle(), u"#404");
    QTest::keyClicks(f.txtContactName, u"Ann"_s);
    EXPECT_EQ(f.windowTitle(), u"Ann");
    // The hidden editor, reset for the next new contact, shows the same
    // caption as the first time.
    f.cmdCancel_Click();
    EXPECT_EQ(f.windowTitle(), u"#404");
    f.show();
    f.txtContactName->clear();
    EXPECT_EQ(f.windowTitle(), u"#404") << "a contact without a name yet";
}

TEST_F(frmContactWindowTest, ClosingHidesAndResetsUntilTheProgramExits)
{
    frmContact& f = shown();
    f.txtContactName->setText(u"Ann"_s);
    f.close();
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.txtContactName->text(), QString());
    QPointer<frmContact> alive(&f);
    form.release(); // the close below deletes it
    g_bExiting = true;
    alive->show();
    alive->close();
    EXPECT_TRUE(waitUntil([&] { return alive.isNull(); }));
    g_bExiting = false;
}

TEST_F(frmContactWindowTest, RightToLeftMirrorsOnlyTheListedControls)
{
    loadTranslation(u"RTL"_s);
    frmContact& f = load();
    for (QWidget* mirrored :
        std::initializer_list<QWidget*>{f.lblSetContact, f.lblContactName, f.lblCallerName, f.lblCallerNumber,
            f.lblSetEvents, f.lblSetForward, f.lblMailTo, f.lblAppPath, f.lblAddPic, f.chkMrakAsErgancy,
            f.chkViewCD, f.chkPlayIn, f.chkSayInCall, f.chkSendToMail, f.chkApp, f.ptnEventsAsDefault,
            f.ptnNothingEvents, f.ptnSpecificEvents, f.ptnActionAsDefault, f.ptnNothingActions,
            f.ptnSpecificActions, f.txtContactName, f.TabNotes, f.cmbCallDisplayStyle, f.CmbPlayWhen})
        EXPECT_EQ(mirrored->layoutDirection(), Qt::RightToLeft) << mirrored->objectName().toStdString();
    for (QWidget* kept : std::initializer_list<QWidget*>{f.chkBlock, f.txtCallerName, f.txtCallerNumber,
             f.txtTTS, f.txtMailTo, f.txtAppTo, f.Image1, f.cmdOK, f.cmdCancel, f.TabControl1, f.soundBar()})
        EXPECT_EQ(kept->layoutDirection(), Qt::LeftToRight) << kept->objectName().toStdString();
    EXPECT_TRUE(f.lblContactName->alignment() & Qt::AlignRight);
    EXPECT_TRUE(f.txtContactName->alignment() & Qt::AlignRight);

    f.txtContactName->setText(u"דנה"_s);
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    EXPECT_TRUE(WidgetShots::save(&f, u"contact-general-rtl.png"_s));
}

TEST_F(frmContactWindowTest, Screenshots)
{
    // With the shipped English texts, as a user sees the window.
    ASSERT_EQ(LoadTranslation(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt")), 0);
    frmContact& f = shown();
    f.txtContactName->setText(u"Ann Lee"_s);
    f.txtCallerName->setText(u"ANN LEE"_s);
    f.txtCallerNumber->setText(u"5551234"_s);
    f.ptnSpecificEvents->setChecked(true);
    f.chkPlayIn->setChecked(true);
    f.chkSayInCall->setChecked(true);
    f.txtTTS->setPlainText(u"Ann is calling"_s);
    f.ptnSpecificActions->setChecked(true);
    f.chkSendToMail->setChecked(true);
    f.txtMailTo->setText(u"ann@example.com"_s);
    f.TabNotes->setPlainText(u"Calls on Sundays."_s);
    for (const char* page : {"General", "Events", "Actions", "Notes"}) {
        f.TabControl1->SelectTab(QString::fromLatin1(page));
        QApplication::processEvents();
        EXPECT_TRUE(WidgetShots::save(&f, u"contact-%1.png"_s.arg(QString::fromLatin1(page).toLower())));
    }
}

} // namespace

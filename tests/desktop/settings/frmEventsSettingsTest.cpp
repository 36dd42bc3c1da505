#include "tests/desktop/settings/SettingsGroups.h"
#include "tests/desktop/settings/frmEventsFixture.h"

#include "desktop/contacts/frmContact.h"
#include "desktop/foundation/SoundFileBar.h"
#include "desktop/foundation/StoredColour.h"
#include "desktop/foundation/TabStrip.h"
#include "desktop/foundation/cSlider.h"
#include "tests/support/FullDisk.h"
#include "tests/support/WaitUntil.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

using frmEventsSettingsTest = frmEventsFixture;

} // namespace

TEST_F(frmEventsSettingsTest, NothingStoredShowsThePopUpsOwnLookAndOkKeepsItReadable)
{
    g_bOpenAppOnCall = true;
    frmEvents& f = reload();
    for (QCheckBox* box : {f.chkViewCD_IC, f.chkPlayIn_IC, f.chkSayInCall_IC, f.chkOpenAppOnCall,
             f.chkWhenCallerID, f.chkAnimate, f.chkClosePersonalAfrter})
        EXPECT_EQ(box->checkState(), Qt::Unchecked) << box->objectName().toStdString();
    EXPECT_EQ(f.cmbCallDisplayStyleIncomming->currentText(), u"#281");
    EXPECT_EQ(f.CmbPlayWhen_IC->currentText(), u"a.wav");
    EXPECT_EQ(f.txtTTS_IC->toPlainText(), QString());
    EXPECT_EQ(f.sldAnimateVal->value(), 0);
    EXPECT_EQ(f.lblAnimateVal->text(), u"0");
    EXPECT_EQ(f.txtCLosePersonalAfter->text(), QString());
    EXPECT_EQ(f.txtCLoseBallonAfter->text(), QString());
    EXPECT_FALSE(g_bOpenAppOnCall);
    // The pop-up shows its default look without a Style: so does the window.
    EXPECT_TRUE(f.ptnDefault->isChecked());
    EXPECT_FALSE(f.picBG->isEnabled());
    EXPECT_EQ(f.BoxColour(f.picTitle), kPopUpTitleColour);
    EXPECT_EQ(f.BoxColour(f.picBG), kPopUpBackColour);
    EXPECT_EQ(f.BoxColour(f.picFont), kPopUpTextColour);

    f.cmdOK_Click();
    EXPECT_EQ(stored(kAdvanced, u"Style"_s), u"Default");
    EXPECT_EQ(stored(kAdvanced, u"picBG"_s), StoredColourText(kPopUpBackColour));
    EXPECT_NE(stored(kAdvanced, u"picBG"_s), stored(kAdvanced, u"picFont"_s));
}

TEST_F(frmEventsSettingsTest, AllSeventeenValuesComeBackAsTheyWereStored)
{
    struct Row {
        QString group;
        QString name;
        QString value;
    };
    const Row rows[] = {
        {kIncoming, u"chkICViewCD"_s, u"1"_s},
        {kIncoming, u"cmbCallDisplayStyleIncomming"_s, u"1"_s},
        {kIncoming, u"chkPlayInCall"_s, u"1"_s},
        {kIncoming, u"CmbPlayWhenCall"_s, u"b.wav"_s},
        {kIncoming, u"chkSayInCommingCall"_s, u"2"_s},
        {kIncoming, u"IC_txtTTS"_s, u"Hello <CALLER_NAME>\r\nsecond line"_s},
        {kIncoming, u"chkOpenAppOnCall"_s, u"1"_s},
        {kIncoming, u"chkWhenCallerID"_s, u"0"_s},
        {kAdvanced, u"chkAnimate"_s, u"1"_s},
        {kAdvanced, u"sldAnimateVal"_s, u"42"_s},
        {kAdvanced, u"chkClosePersonalAfrter"_s, u"1"_s},
        {kAdvanced, u"txtCLosePersonalAfter"_s, u"7"_s},
        {kAdvanced, u"txtCLoseBallonAfter"_s, u"12"_s},
        {kAdvanced, u"Style"_s, u"Personal"_s},
        {kAdvanced, u"picTitle"_s, u"255"_s}, // red
        {kAdvanced, u"picBG"_s, u"16711680"_s}, // blue
        // A system colour: no colour the pop-up shows, but kept as stored.
        {kAdvanced, u"picFont"_s, u"-2147483633"_s},
    };
    for (const Row& row : rows)
        store(row.group, row.name, row.value);
    frmEvents& f = reload();
    EXPECT_EQ(f.BoxColour(f.picTitle), QColor(Qt::red));
    EXPECT_EQ(f.BoxColour(f.picBG), QColor(Qt::blue));
    EXPECT_EQ(f.txtTTS_IC->toPlainText(), u"Hello <CALLER_NAME>\nsecond line");
    EXPECT_TRUE(f.ptnPersonal->isChecked());
    for (const Row& row : rows)
        store(row.group, row.name, u"changed"_s);
    f.cmdOK_Click();
    for (const Row& row : rows)
        EXPECT_EQ(stored(row.group, row.name), row.value) << row.name.toStdString();
}

TEST_F(frmEventsSettingsTest, StoredValuesTheWindowCannotShowBecomeWhatItShows)
{
    struct Row {
        QString group;
        QString name;
        QString value;
        QString afterOk;
    };
    const Row rows[] = {
        {kAdvanced, u"sldAnimateVal"_s, u"150"_s, u"100"_s},
        {kIncoming, u"CmbPlayWhenCall"_s, u"gone.wav"_s, u"a.wav"_s},
        // Only the exact text is Personal, as the pop-up reads it.
        {kAdvanced, u"Style"_s, u"personal"_s, u"Default"_s},
    };
    for (const Row& row : rows)
        store(row.group, row.name, row.value);
    frmEvents& f = reload();
    EXPECT_EQ(f.lblAnimateVal->text(), u"100");
    f.cmdOK_Click();
    for (const Row& row : rows)
        EXPECT_EQ(stored(row.group, row.name), row.afterOk) << row.name.toStdString();
}

TEST_F(frmEventsSettingsTest, OkSetsTheGlobalsThePaneAndTheEditorsDefaults)
{
    frmContact& editor = LoadContactEditor();
    frmEvents& f = reload();
    g_lClosePersonalAfter = 9;
    f.chkViewCD_IC->setCheckState(Qt::Checked);
    f.cmbCallDisplayStyleIncomming->setCurrentIndex(1);
    f.chkOpenAppOnCall->setCheckState(Qt::Checked);
    f.chkWhenCallerID->setCheckState(Qt::Checked);
    f.chkAnimate->setCheckState(Qt::Checked);
    f.sldAnimateVal->setValue(33);
    f.chkClosePersonalAfrter->setCheckState(Qt::Checked);
    f.txtCLosePersonalAfter->setText(QString());
    f.ptnPersonal->setChecked(true);
    dialogs.colorAnswers = {{true, QColor(Qt::red), {}}, {true, QColor(Qt::green), {}}};
    f.picBG_Click();
    f.picFont_Click();
    f.show();
    f.cmdOK_Click();

    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(g_bDisplayIC);
    EXPECT_EQ(sCallDisplay, 1);
    EXPECT_TRUE(g_bOpenAppOnCall);
    EXPECT_TRUE(g_bWhenCallerID);
    EXPECT_TRUE(g_bAnimate);
    EXPECT_EQ(g_lAnimateFaster, 33);
    EXPECT_TRUE(g_bClosePersonal);
    // An empty box is stored empty and leaves the seconds in force.
    EXPECT_EQ(stored(kAdvanced, u"txtCLosePersonalAfter"_s), QString());
    EXPECT_EQ(g_lClosePersonalAfter, 9);
    ASSERT_FALSE(mainWindow.calls().isEmpty());
    EXPECT_EQ(mainWindow.calls().last(),
        (RecordedMainWindow::Call{RecordedMainWindow::Call::PaneColours, 0, u"#ff0000 #00ff00"_s}));
    EXPECT_EQ(stored(kAdvanced, u"picBG"_s), u"255");
    // The editor's next new contact starts from the new defaults.
    EXPECT_EQ(editor.chkViewCD->checkState(), Qt::Checked);
    EXPECT_EQ(editor.cmbCallDisplayStyle->currentIndex(), 1);

    f.txtCLosePersonalAfter->setText(u"12"_s);
    f.cmdOK_Click();
    EXPECT_EQ(g_lClosePersonalAfter, 12);
}

TEST_F(frmEventsSettingsTest, CancelAndTheCloseBoxGiveBackTheStoredValues)
{
    store(kAdvanced, u"txtCLoseBallonAfter"_s, u"5"_s);
    frmEvents& f = reload();
    for (const auto& leave :
        {std::function<void()>([&f] { f.cmdCancel_Click(); }), std::function<void()>([&f] { f.close(); })}) {
        f.show();
        f.chkSayInCall_IC->setCheckState(Qt::Checked);
        f.txtCLoseBallonAfter->setText(u"99"_s);
        f.ptnPersonal->setChecked(true);
        leave();
        EXPECT_FALSE(f.isVisible());
        EXPECT_EQ(LoadedEventsWindow(), &f);
        EXPECT_EQ(f.chkSayInCall_IC->checkState(), Qt::Unchecked);
        EXPECT_EQ(f.txtCLoseBallonAfter->text(), u"5");
        EXPECT_TRUE(f.ptnDefault->isChecked());
    }
    EXPECT_EQ(stored(kAdvanced, u"txtCLoseBallonAfter"_s), u"5");
}

TEST_F(frmEventsSettingsTest, DependentControlsFollowTheirBoxes)
{
    frmEvents& f = reload();
    struct Row {
        QCheckBox* box;
        QList<QWidget*> enabled;
        QList<QWidget*> shown;
    };
    const Row rows[] = {
        {f.chkViewCD_IC, {f.cmbCallDisplayStyleIncomming, f.lblTry_IC}, {}},
        {f.chkPlayIn_IC, {f.CmbPlayWhen_IC}, {}},
        {f.chkSayInCall_IC, {f.txtTTS_IC, f.cmdSay_IC, f.cmdStopSay_IC}, {}},
        {f.chkAnimate, {}, {f.sldAnimateVal, f.lblAnimateVal}},
        {f.chkClosePersonalAfrter, {f.txtCLosePersonalAfter}, {}},
    };
    for (const Row& row : rows) {
        for (const Qt::CheckState state : {Qt::Checked, Qt::PartiallyChecked, Qt::Unchecked}) {
            row.box->setCheckState(state);
            const bool on = state == Qt::Checked; // only a tick counts
            for (QWidget* w : row.enabled)
                EXPECT_EQ(w->isEnabled(), on) << w->objectName().toStdString() << state;
            for (QWidget* w : row.shown)
                EXPECT_EQ(!w->isHidden(), on) << w->objectName().toStdString() << state;
        }
    }
    f.chkPlayIn_IC->setCheckState(Qt::Checked);
    for (int button : {0, 1, 3, 4})
        EXPECT_TRUE(f.tlbrCmbPlayerINC->button(button)->isEnabled()) << button;
    f.chkPlayIn_IC->setCheckState(Qt::Unchecked);
    for (int button : {0, 1, 3, 4})
        EXPECT_FALSE(f.tlbrCmbPlayerINC->button(button)->isEnabled()) << button;
    // The speech box looks off as well as being off.
    EXPECT_EQ(f.txtTTS_IC->palette().color(QPalette::Base), QPalette().color(QPalette::Button));
}

TEST_F(frmEventsSettingsTest, CloseAfterBoxesTakeDigitsOnly)
{
    frmEvents& f = reload();
    f.TabControl1->SelectTab(u"Advanced"_s);
    f.chkClosePersonalAfrter->setCheckState(Qt::Checked);
    f.show();
    for (QLineEdit* box : {f.txtCLosePersonalAfter, f.txtCLoseBallonAfter}) {
        box->setText(u"4"_s);
        box->setFocus();
        box->end(false);
        for (const char key : {'a', '-'}) {
            QTest::keyClick(box, key);
            EXPECT_EQ(box->text(), u"4");
            BalloonTip* balloon = BalloonTip::current();
            ASSERT_NE(balloon, nullptr);
            EXPECT_EQ(balloon->title(), u"#15");
            EXPECT_EQ(balloon->text(), u"#16");
            balloon->close();
        }
        QTest::keyClick(box, '2');
        EXPECT_EQ(box->text(), u"42");
        QTest::keyClick(box, Qt::Key_Backspace);
        EXPECT_EQ(box->text(), u"4");
    }
}

TEST_F(frmEventsSettingsTest, TabsBringTheirPageForward)
{
    frmEvents& f = reload();
    ASSERT_EQ(f.TabControl1->count(), 2);
    EXPECT_EQ(f.TabControl1->tabBar()->tabText(0), u"#271");
    EXPECT_EQ(f.TabControl1->tabBar()->tabText(1), u"#590");
    EXPECT_FALSE(f.TabInCommingCall->isHidden());
    EXPECT_TRUE(f.TabAdvanced->isHidden());
    f.TabControl1->SelectTab(u"Advanced"_s);
    EXPECT_TRUE(f.TabInCommingCall->isHidden());
    EXPECT_FALSE(f.TabAdvanced->isHidden());
    f.TabControl1->SelectTab(u"IncommingCallEvents"_s);
    EXPECT_FALSE(f.TabInCommingCall->isHidden());
    EXPECT_TRUE(f.TabAdvanced->isHidden());
}

TEST_F(frmEventsSettingsTest, RightToLeftMirrorsTheWindow)
{
    loadTranslation(u"RTL"_s);
    frmEvents& f = reload();
    EXPECT_EQ(f.layoutDirection(), Qt::RightToLeft);
    for (QLabel* label : {f.lblInCom, f.lblFontColor, f.lblBG, f.lblTitle, f.lblCLoseBallonAfter}) {
        EXPECT_EQ(label->layoutDirection(), Qt::RightToLeft) << label->objectName().toStdString();
        EXPECT_TRUE(label->alignment() & Qt::AlignRight) << label->objectName().toStdString();
    }
    for (QWidget* w : std::initializer_list<QWidget*>{f.chkViewCD_IC, f.chkPlayIn_IC, f.chkSayInCall_IC,
             f.chkWhenCallerID, f.chkAnimate, f.chkClosePersonalAfrter, f.ptnDefault, f.ptnPersonal,
             f.cmbCallDisplayStyleIncomming, f.CmbPlayWhen_IC})
        EXPECT_EQ(w->layoutDirection(), Qt::RightToLeft) << w->objectName().toStdString();
    f.TabControl1->SelectTab(u"Advanced"_s);
    f.show();
    ASSERT_TRUE(waitUntil([&f] { return f.TabAdvanced->isVisible() && f.lblCLoseBallonAfter->width() > 0; }));
    // Both boxes sit at the label's left edge.
    const int labelLeft = f.lblCLoseBallonAfter->geometry().left();
    EXPECT_LT(f.txtCLoseBallonAfter->geometry().right(), labelLeft);
    EXPECT_EQ(f.txtCLosePersonalAfter->geometry().right(), f.txtCLoseBallonAfter->geometry().right());
}

namespace {

// OK with the settings store on a full disk: the window says why, and the
// store keeps every byte (a store cut to nothing would lose every setting).
TEST_F(frmEventsSettingsTest, OkOnAFullDiskKeepsTheStoreAndSaysWhy)
{
    const QString folder = env.registryFolder();
    QMap<QString, QByteArray> store;
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden)) {
        QFile in(file.filePath());
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        store.insert(file.fileName(), in.readAll());
    }
    FullDisk disk(folder, 256 * 1024);
    REQUIRE_FULL_DISK(disk);
    const auto current = [&] {
        QMap<QString, QByteArray> now;
        for (auto it = store.cbegin(); it != store.cend(); ++it) {
            QFile in(folder + u'/' + it.key());
            now.insert(it.key(), in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("missing"));
        }
        return now;
    };
    for (auto it = store.cbegin(); it != store.cend(); ++it) {
        QFile out(folder + u'/' + it.key());
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        ASSERT_EQ(out.write(it.value()), it.value().size());
    }
    frmEvents& f = reload();
    f.chkAnimate->setChecked(!f.chkAnimate->isChecked());
    ASSERT_TRUE(disk.fill());
    f.cmdOK_Click();
    ASSERT_EQ(dialogs.messageRequests.size(), 1);
    EXPECT_TRUE(dialogs.messageRequests.constFirst().text.contains(u"No space left on device"_s))
        << dialogs.messageRequests.constFirst().text.toStdString();
    EXPECT_TRUE(current() == store);
}

} // namespace

#include "tests/desktop/settings/SettingsGroups.h"
#include "tests/desktop/settings/frmEventsFixture.h"

#include "desktop/foundation/cSlider.h"
#include "tests/support/ChannelListener.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace Qt::StringLiterals;

namespace {

using frmEventsTestsTest = frmEventsFixture;

} // namespace

TEST_F(frmEventsTestsTest, TestStoresTheLookAloneAndShowsOnePreview)
{
    frmEvents& f = reload();
    f.chkViewCD_IC->setCheckState(Qt::Checked); // not stored by Test
    f.chkAnimate->setCheckState(Qt::Checked);
    f.sldAnimateVal->setValue(20);
    f.chkClosePersonalAfrter->setCheckState(Qt::Checked);
    f.txtCLosePersonalAfter->setText(u"3"_s);
    f.txtCLoseBallonAfter->setText(u"8"_s);
    f.ptnPersonal->setChecked(true);
    dialogs.colorAnswers = {{true, QColor(Qt::red), {}}};
    f.picBG_Click();
    f.cndTest_Click();

    const std::pair<QString, QString> advanced[] = {{u"chkAnimate"_s, u"1"_s}, {u"sldAnimateVal"_s, u"20"_s},
        {u"chkClosePersonalAfrter"_s, u"1"_s}, {u"txtCLosePersonalAfter"_s, u"3"_s},
        {u"txtCLoseBallonAfter"_s, u"8"_s}, {u"Style"_s, u"Personal"_s}, {u"picBG"_s, u"255"_s}};
    for (const auto& [name, value] : advanced)
        EXPECT_EQ(stored(kAdvanced, name), value) << name.toStdString();
    EXPECT_FALSE(stored(kAdvanced, u"picTitle"_s).isEmpty());
    EXPECT_FALSE(stored(kAdvanced, u"picFont"_s).isEmpty());
    EXPECT_EQ(stored(kIncoming, u"chkICViewCD"_s), QString());
    EXPECT_EQ(popUp.log,
        QStringList({u"unload"_s, u"load"_s, u"display faster=20 animate=1 close=1 after=3 test=1"_s}));
    EXPECT_FALSE(popUp.bTest); // the next real call shows its caller
    EXPECT_TRUE(mainWindow.calls().isEmpty());

    // Cancel reloads what Test stored.
    f.cmdCancel_Click();
    EXPECT_EQ(stored(kAdvanced, u"Style"_s), u"Personal");
    EXPECT_TRUE(f.ptnPersonal->isChecked());
    EXPECT_EQ(f.BoxColour(f.picBG), QColor(Qt::red));
}

TEST_F(frmEventsTestsTest, TestCurrentDisplayShowsTheChosenKindAndStoresNothing)
{
    frmEvents& f = reload();
    popUp.lCloseAfter = 6;
    f.chkViewCD_IC->setCheckState(Qt::Checked);
    f.txtCLosePersonalAfter->setText(u"soon"_s); // no number: the pop-up keeps its seconds
    f.ptnPersonal->setChecked(true);
    f.sldAnimateVal->setValue(70);
    const QStringList before = everything();

    f.cmbCallDisplayStyleIncomming->setCurrentIndex(1);
    f.lblTry_IC_Click();
    ASSERT_EQ(mainWindow.calls().size(), 1);
    EXPECT_EQ(mainWindow.calls().first().text, g_sProductTitle + u"\n#802"_s);
    EXPECT_TRUE(popUp.log.isEmpty());

    f.cmbCallDisplayStyleIncomming->setCurrentIndex(0);
    f.lblTry_IC_Click();
    EXPECT_EQ(popUp.log,
        QStringList({u"load"_s, u"title #802"_s, u"display faster=70 animate=0 close=0 after=6 test=1"_s}));
    EXPECT_FALSE(popUp.bTest);
    EXPECT_EQ(everything(), before);
}

TEST_F(frmEventsTestsTest, ColourBoxesTakeOnlyAChosenColourAndOnlyInPersonalStyle)
{
    store(kAdvanced, u"picTitle"_s, u"65280"_s);
    store(kAdvanced, u"Style"_s, u"Default"_s);
    frmEvents& f = reload();
    dialogs.colorAnswers = {{true, QColor(Qt::red), {}}};
    f.picTitle->click();
    EXPECT_TRUE(dialogs.colorRequests.isEmpty());
    EXPECT_EQ(f.BoxColour(f.picTitle), QColor(Qt::green));

    f.ptnPersonal->setChecked(true);
    f.picTitle->click();
    EXPECT_EQ(f.BoxColour(f.picTitle), QColor(Qt::red));
    f.picTitle->click(); // cancelled
    EXPECT_EQ(dialogs.colorRequests.size(), 2);
    EXPECT_EQ(f.BoxColour(f.picTitle), QColor(Qt::red));
}

// "Say" and "StopSay" as a real listener on 305 and 306 prints them.
TEST_F(frmEventsTestsTest, SaySendsTheTextFilledFromTheSampleCall)
{
    ChannelListener listener(env, {u"305"_s, u"306"_s});
    ASSERT_TRUE(listener.waitUntilListening());
    frmEvents& f = reload();
    f.chkSayInCall_IC->setCheckState(Qt::Checked);
    struct Row {
        QString text;
        QByteArray sent;
    };
    const Row rows[] = {
        {u"Call from <CALLER_NAME> now"_s, "306 Say\\r\\nCall from Sample Caller Name now"},
        {QString(), "306 Say\\r\\n"},
        {u"no placeholder here"_s, "306 Say\\r\\nno placeholder here"},
        // Spoken whole, as at a real call: the lines travel as one.
        {u"first line\nsecond <CONTACT>"_s, "306 Say\\r\\nfirst line  second Contact"},
    };
    for (const Row& row : rows) {
        f.txtTTS_IC->setPlainText(row.text);
        f.cmdSay_IC_Click();
    }
    f.cmdStopSay_IC_Click();
    const QList<QByteArray> lines = listener.waitForLines(std::size(rows) + 1);
    ASSERT_EQ(lines.size(), qsizetype(std::size(rows) + 1));
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(lines.at(qsizetype(i)), rows[i].sent) << i;
    EXPECT_EQ(lines.last(), "306 StopSay");
}

TEST_F(frmEventsTestsTest, SayAndStopSendNothingWithoutTheService)
{
    // Only the speech channel listens: the service is taken as gone.
    ChannelListener listener(env, {u"306"_s});
    ASSERT_TRUE(listener.waitUntilListening());
    frmEvents& f = reload();
    f.txtTTS_IC->setPlainText(u"hello"_s);
    f.cmdSay_IC_Click();
    f.cmdStopSay_IC_Click();
    hub.uDiTTS.Channel(306);
    hub.uDiTTS.Send(u"MARK"_s);
    const QList<QByteArray> lines = listener.waitForLines(1);
    EXPECT_EQ(lines, QList<QByteArray>({"306 MARK"}));
}

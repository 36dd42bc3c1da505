#include "tests/desktop/settings/PropertiesFixture.h"
#include "tests/desktop/settings/SettingsGroups.h"

#include "desktop/foundation/cSlider.h"
#include "tests/support/ChannelListener.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// OK's messages as ringvale-chan prints them, read by a real listener on the
// three channels the window sends on.
class frmPropertiesOkTest : public PropertiesFixture {
protected:
    // Marks every endpoint the window sends on and waits for the marks, so
    // what came before them is everything sent; per channel, in order.
    QList<QByteArray> sentSinceLastLook(ChannelListener& listener)
    {
        hub.udiOut.Channel(308);
        hub.udiOut.Send(u"MARK"_s);
        hub.udiProc.Channel(305);
        hub.udiProc.Send(u"MARK"_s);
        hub.uDiTTS.Channel(306);
        hub.uDiTTS.Send(u"MARK"_s);
        const QList<QByteArray> lines = listener.waitForLines(m_seen + 3 + m_expectedHint);
        QList<QByteArray> fresh;
        for (const QByteArray& line : lines.mid(m_seen))
            if (!line.endsWith(" MARK"))
                fresh << line;
        m_seen = lines.size();
        return fresh;
    }
    static QList<QByteArray> on(const QList<QByteArray>& lines, const QByteArray& channel)
    {
        QList<QByteArray> picked;
        for (const QByteArray& line : lines)
            if (line.startsWith(QByteArray(channel + ' ')))
                picked << line.mid(channel.size() + 1);
        return picked;
    }

    qsizetype m_seen = 0;
    qsizetype m_expectedHint = 0;
};

} // namespace

TEST_F(frmPropertiesOkTest, OkTellsTheServiceWhatChanged)
{
    store(kLineStat, u"cmbLineStat"_s, u"1"_s);
    const struct {
        const char* what;
        bool lineOff;
        bool autoMode;
        QString callStatus;
        std::function<void(frmProperties&)> edit;
        QList<QByteArray> on305;
        QList<QByteArray> on308;
        QString lineStat; // cmbLineStat afterwards
    } rows[] = {
        {"nothing changed", false, false, u"NOTHING"_s, [](frmProperties&) {}, {}, {"GetTTSProp"}, u"1"_s},
        {"line renamed", false, false, u"NOTHING"_s,
            [](frmProperties& f) { f.cmbModemDev->setCurrentText(u"Line B"_s); }, {},
            {"OFF", "ON", "GetTTSProp"}, u"1"_s},
        {"line page opened: Off again", true, false, u"NOTHING"_s, [](frmProperties& f) { f.OpenPage(2); },
            {}, {"OFF", "GetTTSProp"}, u"1"_s},
        {"Auto with the times", true, false, u"NOTHING"_s,
            [](frmProperties& f) {
                f.ptnAuto->setChecked(true);
                f.txtTimeOn->setCurrentText(u"22:00:00"_s);
                f.txtTimeOff->setCurrentText(u"06:00:00"_s);
            },
            {}, {"AUTO\\r\\n22:00:00\\r\\n06:00:00", "GetTTSProp"}, u"2"_s},
        {"On from off", true, false, u"NOTHING"_s, [](frmProperties& f) { f.ptnOn->setChecked(true); }, {},
            {"ON", "GetTTSProp"}, u"0"_s},
        {"On from on does nothing", false, false, u"NOTHING"_s,
            [](frmProperties& f) {
                f.ptnOff->setChecked(true);
                f.ptnOn->setChecked(true);
            },
            {}, {"GetTTSProp"}, u"0"_s},
        // Inside the daily window the line is open, but On must still end the window.
        {"On from auto", false, true, u"NOTHING"_s,
            [](frmProperties& f) {
                f.ptnAuto->setChecked(true);
                f.cmdOK_Click();
                f.ptnOn->setChecked(true);
            },
            {}, {"AUTO\\r\\n22:00:00\\r\\n06:00:00", "GetTTSProp", "ON", "GetTTSProp"}, u"0"_s},
        {"no line command under a call", true, false, u"INCOME"_s,
            [](frmProperties& f) { f.ptnOff->setChecked(true); }, {}, {"GetTTSProp"}, u"1"_s},
        // Until the window is loaded again, every OK repeats it.
        {"sound device changed", false, false, u"NOTHING"_s,
            [](frmProperties& f) { f.cmbSoundDev->setCurrentIndex(1); }, {"GETSOUNDINDEX"}, {"GetTTSProp"},
            u"1"_s},
        {"and at the next OK again", false, false, u"NOTHING"_s, [](frmProperties&) {}, {"GETSOUNDINDEX"},
            {"GetTTSProp"}, u"1"_s},
    };
    ChannelListener listener(env, {u"305"_s, u"306"_s, u"308"_s});
    ASSERT_TRUE(listener.waitUntilListening());
    frmProperties& form = LoadPropertiesWindow();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        g_bLineOff = row.lineOff;
        g_bAutoMode = row.autoMode;
        hub.sCallStatus = row.callStatus;
        row.edit(form);
        form.cmdOK_Click();
        m_expectedHint = row.on305.size() + row.on308.size();
        const QList<QByteArray> sent = sentSinceLastLook(listener);
        EXPECT_EQ(on(sent, "305"), row.on305);
        EXPECT_EQ(on(sent, "306"), QList<QByteArray>{});
        EXPECT_EQ(on(sent, "308"), row.on308);
        EXPECT_EQ(settings(kLineStat).getString(u"cmbLineStat"_s), row.lineStat);
        EXPECT_FALSE(form.bModemStateClicked);
    }
}

TEST_F(frmPropertiesOkTest, WithNoPeerOn305NothingGoesOutThere)
{
    // Only the speech and command channels listen: the service is taken as gone.
    ChannelListener listener(env, {u"306"_s, u"308"_s});
    ASSERT_TRUE(listener.waitUntilListening());
    frmProperties& form = LoadPropertiesWindow();
    form.cmbSoundDev->setCurrentIndex(1);
    form.cmdSay_DC_Click();
    form.cmdStopSay_DC_Click();
    form.cmdOK_Click();
    hub.uDiTTS.Channel(306);
    hub.uDiTTS.Send(u"MARK"_s);
    hub.udiOut.Channel(308);
    hub.udiOut.Send(u"MARK"_s);
    const QList<QByteArray> lines = listener.waitForLines(3);
    EXPECT_EQ(on(lines, "306"), QList<QByteArray>{"MARK"});
    EXPECT_EQ(on(lines, "308"), (QList<QByteArray>{"GetTTSProp", "MARK"}));
}

TEST_F(frmPropertiesOkTest, SayUsesThePagesUnsavedVoiceAndRate)
{
    ChannelListener listener(env, {u"305"_s, u"306"_s, u"308"_s});
    ASSERT_TRUE(listener.waitUntilListening());
    frmProperties& form = LoadPropertiesWindow();
    ASSERT_EQ(form.TTSVoices->count(), 0) << "no voice key entries";
    form.txtTTS->setText(u"Hello there"_s);
    form.sldrTTS->setValue(-3);
    form.cmdSay_DC_Click();
    form.cmdStopSay_DC_Click();
    m_expectedHint = 2;
    const QList<QByteArray> sent = sentSinceLastLook(listener);
    EXPECT_EQ(on(sent, "306"), (QList<QByteArray>{"TestTTSSay\\r\\nHello there\\r\\n-1\\r\\n-3", "StopSay"}));
    EXPECT_EQ(on(sent, "305"), QList<QByteArray>{});
    EXPECT_EQ(on(sent, "308"), QList<QByteArray>{});
}

TEST_F(frmPropertiesOkTest, TheCloseBoxWaitsWhileOkIsAtWork)
{
    ChannelListener listener(env, {u"305"_s, u"306"_s, u"308"_s});
    ASSERT_TRUE(listener.waitUntilListening());
    frmProperties& form = LoadPropertiesWindow();
    form.show();
    form.ptnOff->setChecked(true);
    form.cmbModemDev->setCurrentText(u"Line B"_s);
    // Pressed during the first pause of the line change.
    bool pleaseWaitShown = false;
    QTimer::singleShot(0, &form, [&] {
        pleaseWaitShown = form.lblPleaseWait->isVisible();
        form.close();
    });
    form.cmdOK_Click();
    EXPECT_TRUE(pleaseWaitShown);
    EXPECT_TRUE(form.isHidden());
    EXPECT_TRUE(form.cmdOK->isEnabled());
    m_expectedHint = 4;
    const QList<QByteArray> sent = sentSinceLastLook(listener);
    EXPECT_EQ(on(sent, "308"), (QList<QByteArray>{"OFF", "ON", "OFF", "GetTTSProp"}));
    EXPECT_EQ(settings(kLineStat).getString(u"cmbLineStat"_s), u"1");
}

TEST_F(frmPropertiesOkTest, RunAsAServiceSwitchesTheServiceProgram)
{
    ChannelListener listener(env, {u"305"_s, u"306"_s, u"308"_s});
    ASSERT_TRUE(listener.waitUntilListening());
    const struct {
        const char* what;
        bool runsAfterInstall;
        Qt::CheckState box;
        QStringList calls;
        QList<QByteArray> on305;
        QString stored;
    } rows[] = {
        {"ticked", true, Qt::Checked, {u"install"_s}, {"UNLOAD"}, u"1"_s},
        {"ticked again: in service mode already", true, Qt::Checked, {}, {}, u"1"_s},
        {"cleared", true, Qt::Unchecked, {u"uninstall"_s, u"start -gc"_s}, {}, u"0"_s},
        // Nothing would watch the line: the plain process comes back, and the
        // stored "1" retries at the next start.
        {"ticked, the service does not run", false, Qt::Checked, {u"install"_s, u"start -gc"_s}, {"UNLOAD"},
            u"1"_s},
    };
    frmProperties& form = LoadPropertiesWindow();
    ASSERT_FALSE(form.ChkRunAsProc->isHidden());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        service.calls.clear();
        service.runsAfterInstall = row.runsAfterInstall;
        if (!row.runsAfterInstall)
            service.mode = false;
        form.ChkRunAsProc->setCheckState(row.box);
        form.cmdOK_Click();
        EXPECT_EQ(service.calls, row.calls);
        m_expectedHint = row.on305.size() + 1;
        EXPECT_EQ(on(sentSinceLastLook(listener), "305"), row.on305);
        EXPECT_EQ(stored(u"Properties\\TabGeneral"_s, u"ChkRunAsProc"_s), row.stored);
    }
}

TEST_F(frmPropertiesOkTest, RunAsAServiceWithoutTheServiceOnlyStoresTheChoice)
{
    frmProperties& form = LoadPropertiesWindow();
    form.ChkRunAsProc->setCheckState(Qt::Checked);
    form.cmdOK_Click();
    EXPECT_EQ(service.calls, QStringList{});
    EXPECT_EQ(stored(u"Properties\\TabGeneral"_s, u"ChkRunAsProc"_s), u"1");
}

#include "tests/desktop/settings/PropertiesFixture.h"
#include "tests/desktop/settings/SettingsGroups.h"

#include "desktop/foundation/cSlider.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString kGeneral = u"Properties\\TabGeneral"_s;
const QString kDevices = u"Properties\\TabDevices"_s;
const QString kLog = u"Properties\\TabLog"_s;
const QString kTts = u"Properties\\TabTTS"_s;

class frmPropertiesSettingsTest : public PropertiesFixture {
protected:
    void SetUp() override
    {
        PropertiesFixture::SetUp();
        store(u"TTS51"_s, u"English"_s, QString());
        store(u"TTS51"_s, u"German"_s, QString());
    }
};

// What one stored text makes OK write back, value by value.
struct RoundTrip {
    QString subkey;
    QString name;
    std::optional<QString> storedText; // nullopt: the value is missing
    QString written;
};

} // namespace

TEST_F(frmPropertiesSettingsTest, EveryValueComesBackAsTheControlShowedIt)
{
    const QStringList checks{u"chkDelFromDiaryWhenDelLast"_s, u"chkModemSoundControl"_s, u"chkReloadDev"_s,
        u"chkDoEventsWhenGUI"_s, u"ChkRunAsProc"_s};
    const QStringList logChecks{u"chkLogSys"_s, u"chkLogCalls"_s, u"chkLogWWW"_s, u"chkWornBeforeDelete"_s};
    // Each kind of stored text is loaded into a window of its own.
    const struct {
        const char* kind;
        std::optional<QString> check;
        QList<RoundTrip> others;
    } kinds[] = {
        {"missing", std::nullopt,
            {{kGeneral, u"txtlNumOfItemsInLast"_s, std::nullopt, u"30"_s},
                {kLog, u"cmbLogFor"_s, std::nullopt, u"0"_s}, {kTts, u"TTSVoices"_s, std::nullopt, u""_s},
                {kTts, u"sldrTTS"_s, std::nullopt, u"0"_s}, {kLineStat, u"txtTimeOn"_s, std::nullopt, u""_s},
                {kDevices, u"cmbModemDev"_s, std::nullopt, u""_s},
                {kDevices, u"cmbSoundDev"_s, std::nullopt, u"Card 1"_s}}},
        {"empty", u""_s,
            {{kGeneral, u"txtlNumOfItemsInLast"_s, u""_s, u"30"_s}, {kLog, u"cmbLogFor"_s, u""_s, u"0"_s},
                {kTts, u"TTSVoices"_s, u""_s, u""_s}, {kTts, u"sldrTTS"_s, u""_s, u"0"_s},
                {kLineStat, u"txtTimeOff"_s, u""_s, u""_s}}},
        {"not a number", u"yes"_s,
            {{kGeneral, u"txtlNumOfItemsInLast"_s, u"abc"_s, u"abc"_s},
                {kLog, u"cmbLogFor"_s, u"x"_s, u"0"_s}, {kTts, u"TTSVoices"_s, u"x"_s, u""_s},
                {kTts, u"sldrTTS"_s, u"fast"_s, u"0"_s}, {kLineStat, u"txtTimeOn"_s, u"4:00:00 PM"_s, u""_s},
                {kDevices, u"cmbModemDev"_s, u"Gone Line"_s, u""_s},
                {kDevices, u"cmbSoundDev"_s, u"Gone Card"_s, u"Card 1"_s}}},
        {"stored", u"1"_s,
            {{kGeneral, u"txtlNumOfItemsInLast"_s, u"0"_s, u"0"_s},
                // The position, not months: "Forever!" keeps everything.
                {kLog, u"cmbLogFor"_s, u"3"_s, u"3"_s}, {kTts, u"TTSVoices"_s, u"1"_s, u"1"_s},
                {kTts, u"sldrTTS"_s, u"-4"_s, u"-4"_s},
                {kLineStat, u"txtTimeOn"_s, u"16:00:00"_s, u"16:00:00"_s},
                {kLineStat, u"txtTimeOff"_s, u"08:00:00"_s, u"08:00:00"_s},
                {kDevices, u"cmbModemDev"_s, u"Line B"_s, u"Line B"_s},
                {kDevices, u"cmbSoundDev"_s, u"Card 2"_s, u"Card 2"_s}}},
        {"out of range", u"2"_s,
            {{kLog, u"cmbLogFor"_s, u"4"_s, u"0"_s}, {kTts, u"TTSVoices"_s, u"-1"_s, u""_s},
                {kTts, u"sldrTTS"_s, u"9"_s, u"5"_s}}},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.kind);
        QList<RoundTrip> rows = kind.others;
        for (const QString& name : checks)
            rows.append({kGeneral, name, kind.check, {}});
        for (const QString& name : logChecks)
            rows.append({kLog, name, kind.check, {}});
        for (const RoundTrip& row : rows) {
            if (row.storedText)
                store(row.subkey, row.name, *row.storedText);
            else
                (void)settings(row.subkey).DeleteValue(row.name);
        }
        frmProperties& form = reload();
        form.cmdOK_Click();
        for (const RoundTrip& row : rows) {
            // A check box takes the states 0 to 2; anything else reads as clear.
            const QString written = !row.written.isNull()    ? row.written
                : (kind.check == u"1" || kind.check == u"2") ? *kind.check
                                                             : u"0"_s;
            EXPECT_EQ(stored(row.subkey, row.name), written) << row.name.toStdString();
        }
        EXPECT_EQ(form.txtlNumOfItemsInLast->text(), stored(kGeneral, u"txtlNumOfItemsInLast"_s));
        EXPECT_EQ(stored(kLineStat, u"cmbLineStat"_s), u"0") << "the line state is written only when touched";
    }
    EXPECT_EQ(g_sTimeOn, u"16:00:00");
    EXPECT_EQ(g_sTimeOff, u"08:00:00");
}

TEST_F(frmPropertiesSettingsTest, TheHourListsHoldTheTimesTheServiceParses)
{
    frmProperties& form = LoadPropertiesWindow();
    for (QComboBox* hours : {form.txtTimeOn, form.txtTimeOff}) {
        ASSERT_EQ(hours->count(), 24);
        EXPECT_EQ(hours->itemText(0), u"00:00:00");
        EXPECT_EQ(hours->itemText(9), u"09:00:00");
        EXPECT_EQ(hours->itemText(23), u"23:00:00");
    }
    const QStringList periods{u"#606"_s, u"#607"_s, u"#608"_s, u"#609"_s};
    QStringList shown;
    for (int i = 0; i < form.cmbLogFor->count(); ++i)
        shown << form.cmbLogFor->itemText(i);
    EXPECT_EQ(shown, periods);
    ASSERT_EQ(form.TTSVoices->count(), 2);
    EXPECT_EQ(form.TTSVoices->itemText(0), u"English");
    EXPECT_EQ(form.TTSVoices->itemText(1), u"German");
}

TEST_F(frmPropertiesSettingsTest, WithNoVoiceStoredTheSpeechEnginesDefaultStays)
{
    (void)settings(kTts).DeleteValue(u"TTSVoices"_s);
    frmProperties& form = reload();
    // Not the list's first voice: the page says the default is in use.
    EXPECT_EQ(form.TTSVoices->currentIndex(), -1);
    EXPECT_EQ(form.TTSVoices->currentText(), QString());
    EXPECT_EQ(form.TTSVoices->placeholderText(), u"#585");
    form.cmdOK_Click();
    EXPECT_FALSE(settings(kTts).hasValue(u"TTSVoices"_s)) << "OK without a choice stores no voice";

    // A voice chosen is stored by its position.
    frmProperties& again = reload();
    again.TTSVoices->setCurrentIndex(1);
    again.cmdOK_Click();
    EXPECT_EQ(stored(kTts, u"TTSVoices"_s), u"1");
    EXPECT_EQ(reload().TTSVoices->currentText(), u"German");
}

TEST_F(frmPropertiesSettingsTest, CancelAndTheCloseBoxForgetEditsUntilTheProgramEnds)
{
    frmProperties& form = LoadPropertiesWindow();
    form.show();
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        form.chkLogSys->setCheckState(Qt::Unchecked);
        form.txtlNumOfItemsInLast->setText(u"77"_s);
        form.ptnOff->setChecked(true);
        ASSERT_TRUE(form.bModemStateClicked);
        if (round == 0)
            form.cmdCancel_Click();
        else
            form.close();
        EXPECT_TRUE(form.isHidden());
        EXPECT_EQ(form.chkLogSys->checkState(), Qt::Checked);
        EXPECT_EQ(form.txtlNumOfItemsInLast->text(), u"30");
        EXPECT_TRUE(form.ptnOn->isChecked());
        EXPECT_FALSE(form.bModemStateClicked);
        form.show();
    }
    EXPECT_EQ(LoadedPropertiesWindow(), &form) << "hidden, not closed";
    g_bExiting = true;
    form.close();
    EXPECT_TRUE(form.isHidden());
}

TEST_F(frmPropertiesSettingsTest, TheStoredLineShowsWhateverTheFilter)
{
    // Line A cannot deliver caller ID: the filter hides it.
    devices.lines.lines = {FakeLines::line(u"Line A"_s, false), FakeLines::line(u"Line B"_s, true),
        FakeLines::line(u"Line C"_s, true)};
    store(kDevices, u"chkDisplayRecomendedDevices"_s, u"1"_s);
    const struct {
        const char* line;
        int listed;
    } rows[] = {{"Line C", 2}, {"Line A", 3}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        store(kDevices, u"cmbModemDev"_s, QString::fromLatin1(row.line));
        frmProperties& form = reload();
        EXPECT_EQ(form.cmbModemDev->currentText(), QString::fromLatin1(row.line));
        EXPECT_EQ(form.cmbModemDev->count(), row.listed);
        EXPECT_EQ(form.chkDisplayRecomendedDevices->checkState(), Qt::Checked);
        form.cmdOK_Click();
        EXPECT_EQ(stored(kDevices, u"cmbModemDev"_s), QString::fromLatin1(row.line));
        EXPECT_EQ(form.sOriginalModemDeviceName, QString::fromLatin1(row.line));
    }
}

TEST_F(frmPropertiesSettingsTest, LineStateButtonsSelectedFromCodeTouchThePage)
{
    frmProperties& form = LoadPropertiesWindow();
    ASSERT_TRUE(form.ptnOn->isChecked());
    EXPECT_FALSE(form.bModemStateClicked);
    EXPECT_FALSE(form.txtTimeOn->isEnabled());
    form.ptnAuto->setChecked(true);
    EXPECT_TRUE(form.bModemStateClicked);
    const QList<QWidget*> times{form.lblAutoOn, form.lblAutoOff, form.txtTimeOn, form.txtTimeOff};
    for (QWidget* control : times)
        EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
    form.cmdOK_Click();
    EXPECT_EQ(stored(kLineStat, u"cmbLineStat"_s), u"2");
    EXPECT_FALSE(form.bModemStateClicked);
    form.ptnOff->setChecked(true);
    EXPECT_TRUE(form.bModemStateClicked);
    EXPECT_FALSE(form.txtTimeOff->isEnabled());
}

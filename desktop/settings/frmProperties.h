#pragma once

#include "common/RegistryRoutines.h"
#include "desktop/foundation/cTextBoxXP.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;
class cSlider;

// The properties window: general options and the run-as-service switch, the
// line and the sound device, the line state, the speech voice and rate, and
// the journals, on five pages chosen in a tree. Loaded hidden once and kept:
// OK stores and applies, Cancel and the close box reload the stored values,
// until the program exits.
class frmProperties : public QDialog {
    Q_OBJECT
public:
    explicit frmProperties(QWidget* parent = nullptr);
    ~frmProperties() override;

    // The line name the line list showed at the last load, or after the last
    // OK that applied a line change.
    QString sOriginalModemDeviceName;
    // The device name the sound-device list showed at the last load.
    QString sOriginalSoundDeviceName;
    // The line-state page was touched since the last load or OK.
    bool bModemStateClicked = false;

    void LoadProperties();
    void cmdOK_Click();
    void cmdCancel_Click();
    // Opens the page whose key ("1" to "5") the node carries; "3" counts as
    // touching the line state.
    void vbalTreeView1_NodeClick(QTreeWidgetItem* node);
    // The same by the node's position in the tree, 0 to 4.
    void OpenPage(int position);
    void EnableAutoModeTimes();

    void chkDisplayRecomendedDevices_Click();
    void lblModemDeviceDetails_Click();
    void cmdSay_DC_Click();
    void cmdStopSay_DC_Click();
    void cmdDisplayLog_Click();
    void cmdCallerIDfeature_Click();

    QTreeWidget* vbalTreeView1 = nullptr;
    // General
    QWidget* TabGeneral = nullptr;
    QLabel* lblGeberal = nullptr;
    QCheckBox* chkDoEventsWhenGUI = nullptr;
    QCheckBox* ChkRunAsProc = nullptr;
    QCheckBox* chkRunOnStart = nullptr;
    QCheckBox* chkReloadDev = nullptr;
    QCheckBox* chkModemSoundControl = nullptr;
    QLabel* lblNumOfItemsInLast = nullptr;
    QLineEdit* txtlNumOfItemsInLast = nullptr;
    QCheckBox* chkDelFromDiaryWhenDelLast = nullptr;
    // Devices
    QWidget* TabDevices = nullptr;
    QLabel* lblDevices = nullptr;
    QLabel* lblModemDevice = nullptr;
    QComboBox* cmbModemDev = nullptr;
    QCheckBox* chkDisplayRecomendedDevices = nullptr;
    QPushButton* lblModemDeviceDetails = nullptr;
    QLabel* lblSoundDevice = nullptr;
    QComboBox* cmbSoundDev = nullptr;
    QPushButton* cmdCallerIDfeature = nullptr;
    // Line state
    QWidget* TabAuto = nullptr;
    QLabel* lblAuto = nullptr;
    QRadioButton* ptnOn = nullptr;
    QRadioButton* ptnOff = nullptr;
    QRadioButton* ptnAuto = nullptr;
    QLabel* lblAutoOn = nullptr;
    QComboBox* txtTimeOn = nullptr;
    QLabel* lblAutoOff = nullptr;
    QComboBox* txtTimeOff = nullptr;
    // Speech
    QWidget* TabTTS = nullptr;
    QLabel* lblTTS = nullptr;
    QLabel* lblVoice = nullptr;
    QComboBox* TTSVoices = nullptr;
    QLabel* lblTTSFaster = nullptr;
    cSlider* sldrTTS = nullptr;
    QLabel* lblTTSTest = nullptr;
    QLineEdit* txtTTS = nullptr;
    QPushButton* cmdSay_DC = nullptr;
    QPushButton* cmdStopSay_DC = nullptr;
    // Journal
    QWidget* TabLog = nullptr;
    QLabel* Label1 = nullptr;
    QCheckBox* chkLogSys = nullptr;
    QCheckBox* chkLogCalls = nullptr;
    QCheckBox* chkLogWWW = nullptr;
    QCheckBox* chkWornBeforeDelete = nullptr;
    QLabel* lblLogFor = nullptr;
    QComboBox* cmbLogFor = nullptr;
    QPushButton* cmdDisplayLog = nullptr;

    QLabel* lblPleaseWait = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void buildGeneralPage();
    void buildDevicesPage();
    void buildLineStatePage();
    void buildSpeechPage();
    void buildJournalPage();
    void mirrorForRightToLeft();
    void setCaptions();
    void BuildPageTree();
    void linePicked();
    void selectStoredLine(const QString& name);
    // The hidden entry to the Service Manager: exactly Shift with the right
    // button released over "Run as a service".
    void ChkRunAsProc_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    // The count box lets through digits and Backspace; true when the key is
    // dropped.
    bool txtlNumOfItemsInLast_KeyPress(QKeyEvent* event);
    // False when a setting could not be written.
    [[nodiscard]] bool storeSettings();
    void applyLineState();
    void applyServiceSwitch();
    void restartPlainService();
    // Hides and reloads, or closes for good once the program exits.
    void Unload();

    cTextBoxXP m_cTextBoxXP;
    RegistryRoutines m_reg;
};

// The one properties window of the program: made hidden at the first use and
// kept until UnloadPropertiesWindow.
frmProperties& LoadPropertiesWindow();
// The window when it is loaded, else null (the hub's line-status handler
// selects its line-state buttons only then).
frmProperties* LoadedPropertiesWindow();
// Closes the window for good (the program ends; tests).
void UnloadPropertiesWindow();

// The capability text of the line named name as the device details show it:
// six lines, each ended by CR LF, no blank after the colons. The index is -1
// when no line bears the name; the capabilities are then of the control's
// current line.
class TelephonyControl;
QString ModemDeviceDetails(TelephonyControl& tapi, const QString& name);

#pragma once

#include "common/RegistryRoutines.h"
#include "desktop/foundation/cTextBoxXP.h"

#include <QColor>
#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QHBoxLayout;
class QPushButton;
class QRadioButton;
class QToolBar;
class SoundFileBar;
class TabStrip;
class WaveControl;
class cSlider;

// The incoming-call events window: how a call is shown, the sound or speech
// that announces it, and the caller pop-up's look and timing, on two tabs.
// Loaded hidden once and kept: OK stores both groups and applies them, Cancel
// and the close box reload the stored values, until the program exits.
class frmEvents : public QDialog {
    Q_OBJECT
public:
    explicit frmEvents(QWidget* parent = nullptr);
    ~frmEvents() override;

    void LoadEventSettings();
    void cmdOK_Click();
    void cmdCancel_Click();
    // The help page of this window, Events.htm.
    void cmdHelp_Click();
    // tab: 1 the incoming-call page, 2 the advanced page.
    void TabControl1_TabClick(int tab);

    void chkViewCD_IC_Click();
    void chkPlayIn_IC_Click();
    void chkSayInCall_IC_Click();
    void chkAnimate_Click();
    void chkClosePersonalAfrter_Click();
    void EnableStyleColors();
    void picTitle_Click() { pickColour(m_title); }
    void picBG_Click() { pickColour(m_back); }
    void picFont_Click() { pickColour(m_font); }
    void sldAnimateVal_Changed();
    void cndTest_Click();
    void lblTry_IC_Click();
    void cmdSay_IC_Click();
    void cmdStopSay_IC_Click();

    // The colour a box shows.
    QColor BoxColour(const QPushButton* box) const;
    // Gives a box a colour as if it had been picked (the main window's pane
    // menu keeps the box in step with what it stores).
    void SetBoxColour(QPushButton* box, const QColor& colour);

    TabStrip* TabControl1 = nullptr;
    // Incoming call
    QWidget* TabInCommingCall = nullptr;
    QLabel* lblInCom = nullptr;
    QCheckBox* chkViewCD_IC = nullptr;
    QComboBox* cmbCallDisplayStyleIncomming = nullptr;
    QPushButton* lblTry_IC = nullptr;
    QCheckBox* chkPlayIn_IC = nullptr;
    QComboBox* CmbPlayWhen_IC = nullptr;
    SoundFileBar* tlbrCmbPlayerINC = nullptr;
    QCheckBox* chkSayInCall_IC = nullptr;
    QPlainTextEdit* txtTTS_IC = nullptr;
    QPushButton* cmdSay_IC = nullptr;
    QPushButton* cmdStopSay_IC = nullptr;
    QCheckBox* chkWhenCallerID = nullptr;
    QCheckBox* chkOpenAppOnCall = nullptr;
    // Advanced
    QWidget* TabAdvanced = nullptr;
    QCheckBox* chkAnimate = nullptr;
    cSlider* sldAnimateVal = nullptr;
    QLabel* lblAnimateVal = nullptr;
    QCheckBox* chkClosePersonalAfrter = nullptr;
    QLineEdit* txtCLosePersonalAfter = nullptr;
    QLabel* lblCLoseBallonAfter = nullptr;
    QLineEdit* txtCLoseBallonAfter = nullptr;
    QRadioButton* ptnDefault = nullptr;
    QRadioButton* ptnPersonal = nullptr;
    QLabel* lblTitle = nullptr;
    QPushButton* picTitle = nullptr;
    QLabel* lblBG = nullptr;
    QPushButton* picBG = nullptr;
    QLabel* lblFontColor = nullptr;
    QPushButton* picFont = nullptr;
    QPushButton* cndTest = nullptr;

    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdHelp = nullptr;
    WaveControl* Wave1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A colour box: the colour it shows and, while nobody picked one, the
    // stored text it was loaded from when that is no colour the pop-up can
    // show (written back as it was, so its meaning stays).
    struct ColourBox {
        QPushButton* box = nullptr;
        QColor colour;
        QString kept;
    };

    void Form_Load();
    void buildIncomingPage();
    void buildAdvancedPage();
    void mirrorForRightToLeft();
    void setCaptions();
    void loadColour(ColourBox& box, const QString& stored, const QColor& designed);
    void showColour(ColourBox& box, const QColor& colour);
    QString colourText(const ColourBox& box) const;
    void pickColour(ColourBox& box);
    // False when a setting could not be written.
    [[nodiscard]] bool storeIncoming();
    [[nodiscard]] bool storeAdvanced();
    // The test's timing members from this window's controls.
    void setPopUpTiming();
    // Digits and Backspace pass; true when the key is dropped.
    bool closeAfter_KeyPress(QLineEdit* box, QKeyEvent* event);
    ColourBox* boxFor(const QPushButton* box);
    const ColourBox* boxFor(const QPushButton* box) const;

    QHBoxLayout* m_soundHost = nullptr;
    ColourBox m_title;
    ColourBox m_back;
    ColourBox m_font;
    cTextBoxXP m_cTextBoxXP;
    RegistryRoutines m_reg;
};

// The one events window of the program: made hidden at the first use and
// kept until UnloadEventsWindow.
frmEvents& LoadEventsWindow();
// The window when it is loaded, else null.
frmEvents* LoadedEventsWindow();
// Closes the window for good (the program ends; tests).
void UnloadEventsWindow();

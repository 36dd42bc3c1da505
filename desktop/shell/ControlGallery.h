#pragma once

#include "desktop/foundation/cTextBoxXP.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TelephonyControl;
class WaveControl;
class cSlider;

// A window of the desktop's own controls and dialogs, each working as the
// windows use it: the text box with its cue banner and balloon, the two
// sliders, the common dialogs and the message box, and the line, sound-device
// and sound-file lists.
class ControlGallery : public QWidget {
    Q_OBJECT
public:
    explicit ControlGallery(QWidget* parent = nullptr);

    QLineEdit* txtSample = nullptr;
    QPushButton* cmdBalloon = nullptr;
    cSlider* sldAnimateVal = nullptr;
    QLabel* lblAnimateVal = nullptr;
    cSlider* sldrTTS = nullptr;
    QPushButton* cmdOpen = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdColor = nullptr;
    QPushButton* cmdMessage = nullptr;
    QLabel* lblResult = nullptr; // what the last dialog gave
    QComboBox* cmbLines = nullptr;
    QComboBox* cmbSoundDevices = nullptr;
    QComboBox* cmbSoundFiles = nullptr;

    // Fills the three lists again.
    void FillLists();

private:
    void cmdBalloon_Click();
    void sldAnimateVal_Changed();
    void cmdOpen_Click();
    void cmdSave_Click();
    void cmdColor_Click();
    void cmdMessage_Click();

    cTextBoxXP m_textBox;
    TelephonyControl* Tapi1 = nullptr;
    WaveControl* Wave1 = nullptr;
};

#include "desktop/shell/ControlGallery.h"

#include "common/ProgramPath.h"
#include "desktop/foundation/WindowUtilities.h"
#include "desktop/foundation/cSlider.h"
#include "desktop/foundation/mdlCommDialog.h"
#include "platform/Backends.h"
#include "platform/TelephonyControl.h"
#include "platform/WaveControl.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPushButton* button(const QString& name, const QString& text, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

template<typename W>
W* named(W* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

} // namespace

ControlGallery::ControlGallery(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("ControlGallery"));
    setWindowTitle(QStringLiteral("Ringvale 1.1 - Control gallery"));

    auto* textGroup = new QGroupBox(QStringLiteral("Text box"), this);
    txtSample = named(new QLineEdit(textGroup), QStringLiteral("txtSample"));
    cmdBalloon = button(QStringLiteral("cmdBalloon"), QStringLiteral("Show balloon"), textGroup);
    auto* textRow = new QHBoxLayout(textGroup);
    textRow->addWidget(txtSample, 1);
    textRow->addWidget(cmdBalloon);
    m_textBox.setTextBox(txtSample);
    m_textBox.setCueBanner(QStringLiteral("Type a caller's name"));

    auto* sliderGroup = new QGroupBox(QStringLiteral("Sliders"), this);
    sldAnimateVal = named(new cSlider(sliderGroup), QStringLiteral("sldAnimateVal"));
    lblAnimateVal = named(new QLabel(sliderGroup), QStringLiteral("lblAnimateVal"));
    lblAnimateVal->setMinimumWidth(lblAnimateVal->fontMetrics().horizontalAdvance(QStringLiteral("-000")));
    sldrTTS = named(new cSlider(sliderGroup), QStringLiteral("sldrTTS"));
    sldrTTS->ReadProperties(
        {{QStringLiteral("Min"), -5}, {QStringLiteral("Max"), 5}, {QStringLiteral("Value"), 0}});
    auto* animateRow = new QHBoxLayout;
    animateRow->addWidget(sldAnimateVal, 1);
    animateRow->addWidget(lblAnimateVal);
    auto* sliderForm = new QFormLayout(sliderGroup);
    sliderForm->addRow(QStringLiteral("Animation speed:"), animateRow);
    sliderForm->addRow(QStringLiteral("Speech rate:"), sldrTTS);

    auto* dialogGroup = new QGroupBox(QStringLiteral("Dialogs"), this);
    cmdOpen = button(QStringLiteral("cmdOpen"), QStringLiteral("Open..."), dialogGroup);
    cmdSave = button(QStringLiteral("cmdSave"), QStringLiteral("Save..."), dialogGroup);
    cmdColor = button(QStringLiteral("cmdColor"), QStringLiteral("Colour..."), dialogGroup);
    cmdMessage = button(QStringLiteral("cmdMessage"), QStringLiteral("Message box"), dialogGroup);
    lblResult = named(new QLabel(dialogGroup), QStringLiteral("lblResult"));
    lblResult->setWordWrap(true);
    auto* dialogLayout = new QVBoxLayout(dialogGroup);
    auto* buttonRow = new QHBoxLayout;
    for (QPushButton* b : {cmdOpen, cmdSave, cmdColor, cmdMessage})
        buttonRow->addWidget(b);
    buttonRow->addStretch();
    dialogLayout->addLayout(buttonRow);
    dialogLayout->addWidget(lblResult);

    auto* listGroup = new QGroupBox(QStringLiteral("Lists"), this);
    cmbLines = named(new QComboBox(listGroup), QStringLiteral("cmbLines"));
    cmbSoundDevices = named(new QComboBox(listGroup), QStringLiteral("cmbSoundDevices"));
    cmbSoundFiles = named(new QComboBox(listGroup), QStringLiteral("cmbSoundFiles"));
    auto* listForm = new QFormLayout(listGroup);
    listForm->addRow(QStringLiteral("Line:"), cmbLines);
    listForm->addRow(QStringLiteral("Sound device:"), cmbSoundDevices);
    listForm->addRow(QStringLiteral("Sound file:"), cmbSoundFiles);

    auto* layout = new QVBoxLayout(this);
    for (QGroupBox* group : {textGroup, sliderGroup, dialogGroup, listGroup})
        layout->addWidget(group);
    layout->addStretch();
    setMinimumWidth(460);

    connect(cmdBalloon, &QPushButton::clicked, this, &ControlGallery::cmdBalloon_Click);
    connect(sldAnimateVal, &cSlider::Changed, this, &ControlGallery::sldAnimateVal_Changed);
    connect(cmdOpen, &QPushButton::clicked, this, &ControlGallery::cmdOpen_Click);
    connect(cmdSave, &QPushButton::clicked, this, &ControlGallery::cmdSave_Click);
    connect(cmdColor, &QPushButton::clicked, this, &ControlGallery::cmdColor_Click);
    connect(cmdMessage, &QPushButton::clicked, this, &ControlGallery::cmdMessage_Click);
    sldAnimateVal_Changed();

    Tapi1 = CreateTelephonyControl(this);
    Tapi1->Initialize();
    Wave1 = CreateWaveControl(this);
    Wave1->InitDevices();
    FillLists();
}

void ControlGallery::FillLists()
{
    if (FillModemLineCombo(*Tapi1, cmbLines, false) && cmbLines->currentIndex() < 0)
        cmbLines->setCurrentIndex(0);
    FillSoundDeviceCombo(*Wave1, cmbSoundDevices);
    FillFileCombo(cmbSoundFiles,
        ProgramPath::toNative(QStringLiteral("\\Sound\\")).value_or(QString()) + QStringLiteral("*.wav"),
        QString());
}

void ControlGallery::cmdBalloon_Click()
{
    ShowTextBoxBalloon(m_textBox, QStringLiteral("Caller's name"),
        QStringLiteral("A name of up to 40 characters, as the telephone network sends it."));
}

void ControlGallery::sldAnimateVal_Changed()
{
    lblAnimateVal->setText(QString::number(sldAnimateVal->value()));
}

void ControlGallery::cmdOpen_Click()
{
    OpenFileName& ofn = g_OpenFileName();
    ofn.lpstrFilter = {{QStringLiteral("All files"), QStringLiteral("*")}};
    ofn.lpstrTitle = QStringLiteral("Open");
    const SelectedFiles chosen = ShowOpenDialog(this, kCenterOnOwner);
    lblResult->setText(chosen.Cancelled ? QStringLiteral("Open: cancelled")
                                        : QStringLiteral("Open: ") + chosen.Path + chosen.Files.value(0));
}

void ControlGallery::cmdSave_Click()
{
    OpenFileName& ofn = g_OpenFileName();
    ofn.lpstrFilter = {{QStringLiteral("Text (*.txt)"), QStringLiteral("*.txt")}};
    ofn.lpstrTitle = QStringLiteral("Save");
    ofn.Flags = 0;
    const SelectedFiles chosen = ShowSaveDialog(this, QStringLiteral("Untitled.txt"), kCenterOnOwner);
    lblResult->setText(chosen.Cancelled ? QStringLiteral("Save: cancelled")
                                        : QStringLiteral("Save: ") + chosen.Path + chosen.Files.value(0));
}

void ControlGallery::cmdColor_Click()
{
    const ColorChoice choice = ShowColorDialog(this, kCenterOnScreen);
    lblResult->setText(choice.Cancelled ? QStringLiteral("Colour: cancelled")
                                        : QStringLiteral("Colour: &H")
                + QStringLiteral("%1").arg(quint32(choice.Color), 8, 16, QLatin1Char('0')).toUpper());
}

void ControlGallery::cmdMessage_Click()
{
    const qint16 answer
        = ShowMessage(QStringLiteral("Ringvale shows its messages in this box. Keep it?"), true);
    lblResult->setText(
        QStringLiteral("Message box: ") + (answer == 6 ? QStringLiteral("Yes") : QStringLiteral("No")));
}

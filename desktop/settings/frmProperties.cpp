#include "desktop/settings/frmProperties.h"

#include "common/ChannelMessages.h"
#include "common/DateTimeText.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/HubLink.h"
#include "desktop/foundation/Translation.h"
#include "desktop/foundation/WindowUtilities.h"
#include "desktop/foundation/cSlider.h"
#include "desktop/settings/MainDevices.h"
#include "desktop/settings/ServiceSwitch.h"
#include "desktop/settings/SettingsOpeners.h"
#include "desktop/settings/frmInfo.h"
#include "platform/DeviceLookups.h"
#include "platform/TelephonyControl.h"
#include "platform/WaveControl.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QLabel* heading(const QString& text, QWidget* page, const char* name)
{
    QLabel* label = named(new QLabel(text, page), name);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setWordWrap(true);
    return label;
}

constexpr int kBalloonTitle = 15;
constexpr int kDigitsOnly = 16;

} // namespace

frmProperties::frmProperties(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmProperties"));
    setWindowTitle(QStringLiteral("Properties"));
    Form_Load();
}

frmProperties::~frmProperties() = default;

void frmProperties::buildGeneralPage()
{
    TabGeneral = named(new QWidget(this), "TabGeneral");
    lblGeberal = heading(QStringLiteral("General"), TabGeneral, "lblGeberal");
    chkDoEventsWhenGUI
        = named(new QCheckBox(QStringLiteral("Run the events only while Ringvale is open"), TabGeneral),
            "chkDoEventsWhenGUI");
    ChkRunAsProc = named(new QCheckBox(QStringLiteral("Run as a service"), TabGeneral), "ChkRunAsProc");
    ChkRunAsProc->setVisible(false);
    chkRunOnStart = named(new QCheckBox(QStringLiteral("Run when I log in"), TabGeneral), "chkRunOnStart");
    chkReloadDev = named(
        new QCheckBox(QStringLiteral("Reload the line device after each call"), TabGeneral), "chkReloadDev");
    chkModemSoundControl = named(
        new QCheckBox(QStringLiteral("Play a beep when the line opens"), TabGeneral), "chkModemSoundControl");
    lblNumOfItemsInLast = named(
        new QLabel(QStringLiteral("Number of calls in the recent list:"), TabGeneral), "lblNumOfItemsInLast");
    txtlNumOfItemsInLast = named(new QLineEdit(TabGeneral), "txtlNumOfItemsInLast");
    txtlNumOfItemsInLast->setMaximumWidth(60);
    chkDelFromDiaryWhenDelLast
        = named(new QCheckBox(QStringLiteral("Delete from the day files when deleted from the recent list"),
                    TabGeneral),
            "chkDelFromDiaryWhenDelLast");

    auto* count = new QHBoxLayout;
    count->setObjectName(QStringLiteral("countRow"));
    count->addWidget(lblNumOfItemsInLast);
    count->addWidget(txtlNumOfItemsInLast);
    count->addStretch(1);
    auto* layout = new QVBoxLayout(TabGeneral);
    layout->addWidget(lblGeberal);
    for (QCheckBox* box :
        {chkDoEventsWhenGUI, ChkRunAsProc, chkRunOnStart, chkReloadDev, chkModemSoundControl})
        layout->addWidget(box);
    layout->addLayout(count);
    layout->addWidget(chkDelFromDiaryWhenDelLast);
    layout->addStretch(1);

    txtlNumOfItemsInLast->installEventFilter(this);
    ChkRunAsProc->installEventFilter(this);
}

void frmProperties::buildDevicesPage()
{
    TabDevices = named(new QWidget(this), "TabDevices");
    lblDevices
        = heading(QStringLiteral("Set the modem device for incoming calls, and audio device for recording "
                                 "greets and for playing events. "),
            TabDevices, "lblDevices");
    lblModemDevice = named(new QLabel(QStringLiteral("Line device:"), TabDevices), "lblModemDevice");
    cmbModemDev = named(new QComboBox(TabDevices), "cmbModemDev");
    chkDisplayRecomendedDevices = named(
        new QCheckBox(QStringLiteral("Show recommended devices"), TabDevices), "chkDisplayRecomendedDevices");
    lblModemDeviceDetails
        = named(new QPushButton(QStringLiteral("Device Properties"), TabDevices), "lblModemDeviceDetails");
    lblSoundDevice
        = named(new QLabel(QStringLiteral("The chosen Sound Device will be used to play the messages in "
                                          "the computer and to record greetings to be played:"),
                    TabDevices),
            "lblSoundDevice");
    lblSoundDevice->setWordWrap(true);
    cmbSoundDev = named(new QComboBox(TabDevices), "cmbSoundDev");
    cmdCallerIDfeature
        = named(new QPushButton(QStringLiteral("Caller-ID feature"), TabDevices), "cmdCallerIDfeature");

    auto* lineRow = new QHBoxLayout;
    lineRow->addWidget(chkDisplayRecomendedDevices, 1);
    lineRow->addWidget(lblModemDeviceDetails);
    auto* layout = new QVBoxLayout(TabDevices);
    layout->addWidget(lblDevices);
    layout->addWidget(lblModemDevice);
    layout->addWidget(cmbModemDev);
    layout->addLayout(lineRow);
    layout->addSpacing(8);
    layout->addWidget(lblSoundDevice);
    layout->addWidget(cmbSoundDev);
    layout->addSpacing(8);
    layout->addWidget(cmdCallerIDfeature, 0, Qt::AlignLeft);
    layout->addStretch(1);

    connect(chkDisplayRecomendedDevices, &QCheckBox::stateChanged, this,
        &frmProperties::chkDisplayRecomendedDevices_Click);
    connect(lblModemDeviceDetails, &QPushButton::clicked, this, &frmProperties::lblModemDeviceDetails_Click);
    connect(cmdCallerIDfeature, &QPushButton::clicked, this, &frmProperties::cmdCallerIDfeature_Click);
}

void frmProperties::buildLineStatePage()
{
    TabAuto = named(new QWidget(this), "TabAuto");
    lblAuto = heading(QStringLiteral("Line State"), TabAuto, "lblAuto");
    ptnOn = named(new QRadioButton(QStringLiteral("On"), TabAuto), "ptnOn");
    ptnOff = named(new QRadioButton(QStringLiteral("Off"), TabAuto), "ptnOff");
    ptnAuto = named(new QRadioButton(QStringLiteral("Auto Mode"), TabAuto), "ptnAuto");
    lblAutoOn = named(new QLabel(QStringLiteral("From time:"), TabAuto), "lblAutoOn");
    txtTimeOn = named(new QComboBox(TabAuto), "txtTimeOn");
    lblAutoOff = named(new QLabel(QStringLiteral("To time:"), TabAuto), "lblAutoOff");
    txtTimeOff = named(new QComboBox(TabAuto), "txtTimeOff");

    auto* times = new QGridLayout;
    times->addWidget(lblAutoOn, 0, 0);
    times->addWidget(txtTimeOn, 0, 1);
    times->addWidget(lblAutoOff, 1, 0);
    times->addWidget(txtTimeOff, 1, 1);
    times->setColumnStretch(2, 1);
    times->setContentsMargins(24, 0, 0, 0);
    auto* layout = new QVBoxLayout(TabAuto);
    layout->addWidget(lblAuto);
    layout->addWidget(ptnOn);
    layout->addWidget(ptnOff);
    layout->addWidget(ptnAuto);
    layout->addLayout(times);
    layout->addStretch(1);

    // A selection from code counts as the user's: the page is touched.
    for (QRadioButton* button : {ptnOn, ptnOff, ptnAuto})
        connect(button, &QRadioButton::toggled, this, [this](bool selected) {
            if (!selected)
                return;
            bModemStateClicked = true;
            EnableAutoModeTimes();
        });
}

void frmProperties::buildSpeechPage()
{
    TabTTS = named(new QWidget(this), "TabTTS");
    lblTTS = heading(QStringLiteral("The chosen voice and rate are used by the speech engine (espeak-ng)"),
        TabTTS, "lblTTS");
    lblVoice = named(new QLabel(QStringLiteral("Voice:"), TabTTS), "lblVoice");
    TTSVoices = named(new QComboBox(TabTTS), "TTSVoices");
    lblTTSFaster = named(new QLabel(QStringLiteral("Faster:"), TabTTS), "lblTTSFaster");
    sldrTTS = named(new cSlider(TabTTS), "sldrTTS");
    sldrTTS->ReadProperties(
        {{QStringLiteral("Min"), -5}, {QStringLiteral("Max"), 5}, {QStringLiteral("Value"), 0}});
    lblTTSTest = named(new QLabel(QStringLiteral("Voice:"), TabTTS), "lblTTSTest");
    txtTTS = named(new QLineEdit(QStringLiteral("This is test of text to speech"), TabTTS), "txtTTS");
    cmdSay_DC = named(new QPushButton(QStringLiteral("Say"), TabTTS), "cmdSay_DC");
    cmdStopSay_DC = named(new QPushButton(QStringLiteral("Stop"), TabTTS), "cmdStopSay_DC");

    auto* grid = new QGridLayout;
    grid->addWidget(lblVoice, 0, 0);
    grid->addWidget(TTSVoices, 0, 1, 1, 2);
    grid->addWidget(lblTTSFaster, 1, 0);
    grid->addWidget(sldrTTS, 1, 1, 1, 2);
    grid->addWidget(lblTTSTest, 2, 0);
    grid->addWidget(txtTTS, 2, 1, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdSay_DC);
    buttons->addWidget(cmdStopSay_DC);
    grid->addLayout(buttons, 3, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(TabTTS);
    layout->addWidget(lblTTS);
    layout->addLayout(grid);
    layout->addStretch(1);

    connect(cmdSay_DC, &QPushButton::clicked, this, &frmProperties::cmdSay_DC_Click);
    connect(cmdStopSay_DC, &QPushButton::clicked, this, &frmProperties::cmdStopSay_DC_Click);
}

void frmProperties::buildJournalPage()
{
    TabLog = named(new QWidget(this), "TabLog");
    Label1 = heading(QStringLiteral("Ringvale journal options"), TabLog, "Label1");
    chkLogSys = named(new QCheckBox(QStringLiteral("Log system events"), TabLog), "chkLogSys");
    chkLogCalls = named(new QCheckBox(QStringLiteral("Log calls"), TabLog), "chkLogCalls");
    chkLogWWW = named(new QCheckBox(QStringLiteral("Log web server events"), TabLog), "chkLogWWW");
    chkWornBeforeDelete
        = named(new QCheckBox(QStringLiteral("Warn me before erasing"), TabLog), "chkWornBeforeDelete");
    lblLogFor = named(new QLabel(QStringLiteral("Keep logs for:"), TabLog), "lblLogFor");
    cmbLogFor = named(new QComboBox(TabLog), "cmbLogFor");
    cmdDisplayLog = named(new QPushButton(QStringLiteral("Open Journal"), TabLog), "cmdDisplayLog");

    auto* period = new QHBoxLayout;
    period->addWidget(lblLogFor);
    period->addWidget(cmbLogFor);
    period->addStretch(1);
    auto* layout = new QVBoxLayout(TabLog);
    layout->addWidget(Label1);
    for (QCheckBox* box : {chkLogSys, chkLogCalls, chkLogWWW, chkWornBeforeDelete})
        layout->addWidget(box);
    layout->addLayout(period);
    layout->addWidget(cmdDisplayLog, 0, Qt::AlignLeft);
    layout->addStretch(1);

    connect(cmdDisplayLog, &QPushButton::clicked, this, &frmProperties::cmdDisplayLog_Click);
}

void frmProperties::Form_Load()
{
    vbalTreeView1 = named(new QTreeWidget(this), "vbalTreeView1");
    vbalTreeView1->setHeaderHidden(true);
    vbalTreeView1->setRootIsDecorated(false);
    vbalTreeView1->setFixedWidth(150);
    buildGeneralPage();
    buildDevicesPage();
    buildLineStatePage();
    buildSpeechPage();
    buildJournalPage();
    lblPleaseWait = named(new QLabel(QStringLiteral("Please Wait ..."), this), "lblPleaseWait");
    lblPleaseWait->setVisible(false);
    cmdOK = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");
    cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel");
    cmdOK->setAutoDefault(false);
    cmdCancel->setAutoDefault(false);

    // All five pages stand in one place; one shows at a time.
    auto* pages = new QGridLayout;
    for (QWidget* page : {TabGeneral, TabDevices, TabAuto, TabTTS, TabLog})
        pages->addWidget(page, 0, 0);
    auto* top = new QHBoxLayout;
    top->addWidget(vbalTreeView1);
    top->addLayout(pages, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblPleaseWait);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* window = new QVBoxLayout(this);
    window->addLayout(top, 1);
    window->addLayout(buttons);
    resize(600, 380);

    connect(cmdOK, &QPushButton::clicked, this, &frmProperties::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmProperties::cmdCancel_Click);
    connect(vbalTreeView1, &QTreeWidget::itemClicked, this,
        [this](QTreeWidgetItem* node) { vbalTreeView1_NodeClick(node); });

    // 1, 2
    m_cTextBoxXP.setTextBox(txtlNumOfItemsInLast);
    mirrorForRightToLeft();
    // 3
    ChkRunAsProc->setVisible(CurrentServiceSwitch().CanRunAsService());
    // 4
    setCaptions();
    // 5
    cmbLogFor->clear();
    for (int entry = 606; entry <= 609; ++entry)
        cmbLogFor->addItem(g_bRTL() ? WithOwnDirection(g_sTrans(entry)) : g_sTrans(entry));
    // 6: the times as the service reads them.
    for (QComboBox* hours : {txtTimeOn, txtTimeOff}) {
        hours->clear();
        for (int hour = 0; hour < 24; ++hour)
            hours->addItem(DateTimeText::formatTime(QTime(hour, 0)));
        hours->setCurrentIndex(-1);
    }
    // 7
    m_reg = RegistryRoutines::forProduct(QStringLiteral("Properties\\TabGeneral"));
    // 8
    for (QWidget* page : {TabDevices, TabAuto, TabTTS, TabLog})
        page->setVisible(false);
    TabGeneral->setVisible(true);
    // 9
    const QStringList voices = RegistryRoutines::EnumRegistryValues(
        RegistryRoutines::HKEY_LOCAL_MACHINE, RegistryRoutines::productKey() + QStringLiteral("\\TTS51"));
    TTSVoices->addItems(voices);
    // No voice stored means the speech engine's own default, not the first
    // voice of the list.
    TTSVoices->setCurrentIndex(-1);
    TTSVoices->setPlaceholderText(g_sTrans(585));
    // 10
    BuildPageTree();
    // 11, 12
    FillModemLineCombo(CurrentMainDevices().Tapi1(), cmbModemDev, false);
    FillSoundDeviceCombo(CurrentMainDevices().Wave1(), cmbSoundDev);
    // 13
    LoadProperties();
}

void frmProperties::mirrorForRightToLeft()
{
    // The window keeps its layout; only the controls that carry reading text turn.
    setLayoutDirection(Qt::LeftToRight);
    if (!g_bRTL())
        return;
    const Qt::Alignment right = Qt::AlignAbsolute | Qt::AlignRight | Qt::AlignVCenter;
    for (QLabel* label :
        {lblGeberal, lblNumOfItemsInLast, lblDevices, lblModemDevice, lblSoundDevice, lblAuto, lblAutoOn,
            lblAutoOff, lblTTS, lblVoice, lblTTSFaster, lblTTSTest, lblLogFor, lblPleaseWait}) {
        label->setLayoutDirection(Qt::RightToLeft);
        label->setAlignment(right);
    }
    for (QAbstractButton* box :
        std::initializer_list<QAbstractButton*>{chkDoEventsWhenGUI, ChkRunAsProc, chkRunOnStart, chkReloadDev,
            chkModemSoundControl, chkDelFromDiaryWhenDelLast, chkDisplayRecomendedDevices, ptnOn, ptnOff,
            ptnAuto, chkLogSys, chkLogCalls, chkLogWWW, chkWornBeforeDelete, cmdCallerIDfeature})
        box->setLayoutDirection(Qt::RightToLeft);
    for (QComboBox* list : {cmbLogFor, txtTimeOn, txtTimeOff})
        list->setLayoutDirection(Qt::RightToLeft);
    // The count box goes to the label's left edge.
    if (auto* row = TabGeneral->findChild<QHBoxLayout*>(QStringLiteral("countRow"))) {
        row->removeWidget(txtlNumOfItemsInLast);
        row->insertWidget(0, txtlNumOfItemsInLast);
        row->removeWidget(lblNumOfItemsInLast);
        row->insertWidget(1, lblNumOfItemsInLast, 1);
    }
}

void frmProperties::setCaptions()
{
    SetTranslatedCaption(this, 108);
    const std::pair<QWidget*, int> captions[] = {{lblGeberal, 541}, {chkDoEventsWhenGUI, 596},
        {ChkRunAsProc, 593}, {chkRunOnStart, 594}, {chkReloadDev, 592}, {chkModemSoundControl, 591},
        {lblNumOfItemsInLast, 550}, {chkDelFromDiaryWhenDelLast, 544}, {lblDevices, 561},
        {lblModemDevice, 562}, {chkDisplayRecomendedDevices, 567}, {lblSoundDevice, 564},
        {cmdCallerIDfeature, 616}, {lblAuto, 571}, {ptnOn, 575}, {ptnOff, 576}, {ptnAuto, 574},
        {lblAutoOn, 572}, {lblAutoOff, 573}, {lblTTS, 581}, {lblVoice, 582}, {lblTTSFaster, 583},
        {lblTTSTest, 584}, {chkLogSys, 601}, {chkLogCalls, 602}, {chkLogWWW, 603}, {chkWornBeforeDelete, 604},
        {lblLogFor, 605}, {cmdDisplayLog, 610}, {cmdOK, 11}, {cmdCancel, 12}};
    for (const auto& [widget, entry] : captions)
        SetTranslatedCaption(widget, entry);
}

void frmProperties::BuildPageTree()
{
    const QStyle::StandardPixmap images[] = {QStyle::SP_ComputerIcon, QStyle::SP_DriveNetIcon,
        QStyle::SP_MediaPlay, QStyle::SP_MediaVolume, QStyle::SP_FileDialogDetailedView};
    const int texts[] = {541, 560, 570, 580, 600};
    for (int i = 0; i < 5; ++i) {
        auto* node = new QTreeWidgetItem(vbalTreeView1, QStringList{g_sTrans(texts[i])});
        node->setData(0, Qt::UserRole, QString::number(i + 1));
        node->setIcon(0, style()->standardIcon(images[i]));
    }
}

void frmProperties::OpenPage(int position)
{
    vbalTreeView1_NodeClick(vbalTreeView1->topLevelItem(position));
}

void frmProperties::vbalTreeView1_NodeClick(QTreeWidgetItem* node)
{
    for (QWidget* page : {TabGeneral, TabDevices, TabAuto, TabTTS, TabLog})
        page->setVisible(false);
    if (!node)
        return;
    const QString key = node->data(0, Qt::UserRole).toString();
    if (key == u"1") {
        TabGeneral->setVisible(true);
    } else if (key == u"2") {
        TabDevices->setVisible(true);
    } else if (key == u"3") {
        bModemStateClicked = true;
        TabAuto->setVisible(true);
    } else if (key == u"4") {
        TabTTS->setVisible(true);
    } else if (key == u"5") {
        TabLog->setVisible(true);
    }
    const QSignalBlocker quiet(vbalTreeView1);
    vbalTreeView1->setCurrentItem(node);
}

void frmProperties::EnableAutoModeTimes()
{
    const bool on = ptnAuto->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{lblAutoOn, lblAutoOff, txtTimeOn, txtTimeOff})
        control->setEnabled(on);
}

void frmProperties::chkDisplayRecomendedDevices_Click()
{
    FillModemLineCombo(
        CurrentMainDevices().Tapi1(), cmbModemDev, chkDisplayRecomendedDevices->checkState() == Qt::Checked);
}

QString ModemDeviceDetails(TelephonyControl& tapi, const QString& name)
{
    const qint32 index = FindModemLineIndex(tapi, name);
    DeviceCaps caps;
    (void)tapi.GetDeviceCaps(caps);
    const auto yesNo = [](bool flag) { return flag ? QStringLiteral("Yes") : QStringLiteral("No"); };
    const QString crLf = QStringLiteral("\r\n");
    return QStringLiteral("Line Index:") + QString::number(index) + crLf + QStringLiteral("Device Name:")
        + caps.DeviceName + crLf + QStringLiteral("Tapi Capability:") + yesNo(caps.TapiCapability) + crLf
        + QStringLiteral("Voice Modem:") + yesNo(caps.VoiceCapability) + crLf
        + QStringLiteral("Monitor Digits:") + yesNo(caps.MonitorDigits) + crLf
        + QStringLiteral("Generate Digits:") + yesNo(caps.GenerateDigits) + crLf;
}

void frmProperties::lblModemDeviceDetails_Click()
{
    const QString details = ModemDeviceDetails(CurrentMainDevices().Tapi1(), cmbModemDev->currentText());
    frmInfo info(this);
    info.lblTitle->setText(cmbModemDev->currentText());
    info.txtDetails->setPlainText(details);
    info.exec();
}

void frmProperties::cmdSay_DC_Click()
{
    HubLink* hub = CurrentHubLink();
    if (!hub || !hub->udiProc.Channel(ChannelNumber::ProcChannel))
        return;
    // The answer on 305 stands for the speech channel too.
    (void)hub->uDiTTS.Channel(ChannelNumber::TtsChannel);
    hub->uDiTTS.Send(
        ChannelMessages::testTtsSay(txtTTS->text(), TTSVoices->currentIndex(), sldrTTS->value()));
}

void frmProperties::cmdStopSay_DC_Click()
{
    HubLink* hub = CurrentHubLink();
    if (!hub || !hub->udiProc.Channel(ChannelNumber::ProcChannel))
        return;
    (void)hub->uDiTTS.Channel(ChannelNumber::TtsChannel);
    hub->uDiTTS.Send(ChannelMessages::command(MessageName::StopSay));
}

void frmProperties::cmdDisplayLog_Click()
{
    CurrentSettingsOpeners().ShowJournal(this);
}

void frmProperties::cmdCallerIDfeature_Click()
{
    CurrentSettingsOpeners().ShowCallerIdSetup(this);
}

void frmProperties::ChkRunAsProc_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    if (button == Qt::RightButton && modifiers == Qt::ShiftModifier)
        CurrentServiceSwitch().ShowServiceManager(this);
}

bool frmProperties::txtlNumOfItemsInLast_KeyPress(QKeyEvent* event)
{
    const QString text = event->text();
    // Keys that type nothing (arrows, Delete) are not keypresses.
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete || text.isEmpty())
        return false;
    if (text.size() == 1 && text.at(0) >= u'0' && text.at(0) <= u'9')
        return false;
    m_cTextBoxXP.setTextBox(txtlNumOfItemsInLast);
    ShowTextBoxBalloon(m_cTextBoxXP, g_sTrans(kBalloonTitle), g_sTrans(kDigitsOnly));
    return true;
}

bool frmProperties::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtlNumOfItemsInLast && event->type() == QEvent::KeyPress)
        return txtlNumOfItemsInLast_KeyPress(static_cast<QKeyEvent*>(event));
    if (watched == ChkRunAsProc && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        ChkRunAsProc_MouseUp(mouse->button(), mouse->modifiers());
    }
    return QDialog::eventFilter(watched, event);
}

void frmProperties::reject()
{
    // Escape is Cancel, but not while OK is at work.
    if (lblPleaseWait->isHidden())
        cmdCancel_Click();
}

void frmProperties::closeEvent(QCloseEvent* event)
{
    if (g_bExiting) {
        event->accept();
        return;
    }
    event->ignore();
    // OK is waiting between its commands: a reload now would undo what it stores.
    if (!lblPleaseWait->isHidden())
        return;
    hide();
    LoadProperties();
}

namespace {

QPointer<frmProperties>& window()
{
    static QPointer<frmProperties> instance;
    return instance;
}

} // namespace

frmProperties& LoadPropertiesWindow()
{
    if (!window())
        window() = new frmProperties;
    return *window();
}

frmProperties* LoadedPropertiesWindow()
{
    return window().data();
}

void UnloadPropertiesWindow()
{
    delete window().data();
}

#include "desktop/settings/frmEvents.h"

#include "common/AppPaths.h"
#include "common/CallInfo.h"
#include "common/ChannelMessages.h"
#include "common/DateTimeText.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/HubLink.h"
#include "desktop/foundation/MainWindowSurfaces.h"
#include "desktop/foundation/SoundFileBar.h"
#include "desktop/foundation/StoredColour.h"
#include "desktop/foundation/TabStrip.h"
#include "desktop/foundation/Translation.h"
#include "desktop/foundation/TypingLimit.h"
#include "desktop/foundation/WindowUtilities.h"
#include "desktop/foundation/cSlider.h"
#include "desktop/foundation/mdlCommDialog.h"
#include "desktop/foundation/mdlPhoeTTS.h"
#include "desktop/settings/CallerPopUp.h"
#include "platform/Backends.h"
#include "platform/WaveControl.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

bool ticked(const QCheckBox* box)
{
    return box->checkState() == Qt::Checked;
}

constexpr int kBalloonTitle = 15;
constexpr int kDigitsOnly = 16;
constexpr int kTestTitle = 802;

} // namespace

frmEvents::frmEvents(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmEvents"));
    setWindowTitle(QStringLiteral("Events"));
    Form_Load();
}

frmEvents::~frmEvents()
{
    Wave1->CloseDevices();
}

void frmEvents::buildIncomingPage()
{
    QWidget* page = TabInCommingCall = named(new QWidget(TabControl1->pageArea()), "TabInCommingCall");
    lblInCom = named(new QLabel(QStringLiteral("Incoming call events"), page), "lblInCom");
    QFont bold = lblInCom->font();
    bold.setBold(true);
    lblInCom->setFont(bold);
    lblInCom->setWordWrap(true);
    chkViewCD_IC = named(new QCheckBox(QStringLiteral("Display on incoming calls"), page), "chkViewCD_IC");
    cmbCallDisplayStyleIncomming = named(new QComboBox(page), "cmbCallDisplayStyleIncomming");
    lblTry_IC = named(new QPushButton(QStringLiteral("Test current display"), page), "lblTry_IC");
    lblTry_IC->setFlat(true);
    lblTry_IC->setCursor(Qt::PointingHandCursor);
    chkPlayIn_IC = named(new QCheckBox(QStringLiteral("Play"), page), "chkPlayIn_IC");
    CmbPlayWhen_IC = named(new QComboBox(page), "CmbPlayWhen_IC");
    chkSayInCall_IC = named(new QCheckBox(QStringLiteral("Say"), page), "chkSayInCall_IC");
    txtTTS_IC = named(new QPlainTextEdit(page), "txtTTS_IC");
    txtTTS_IC->setMaximumHeight(70);
    cmdSay_IC = named(new QPushButton(QStringLiteral("Say"), page), "cmdSay_IC");
    cmdStopSay_IC = named(new QPushButton(QStringLiteral("Stop"), page), "cmdStopSay_IC");
    chkWhenCallerID = named(new QCheckBox(QStringLiteral("Act on the caller ID"), page), "chkWhenCallerID");
    chkOpenAppOnCall
        = named(new QCheckBox(QStringLiteral("Open Ringvale on a new call"), page), "chkOpenAppOnCall");

    auto* grid = new QGridLayout(page);
    grid->addWidget(lblInCom, 0, 0, 1, 3);
    grid->addWidget(chkViewCD_IC, 1, 0);
    grid->addWidget(cmbCallDisplayStyleIncomming, 1, 1);
    grid->addWidget(lblTry_IC, 1, 2);
    grid->addWidget(chkPlayIn_IC, 2, 0);
    grid->addWidget(CmbPlayWhen_IC, 2, 1);
    m_soundHost = new QHBoxLayout;
    grid->addLayout(m_soundHost, 2, 2);
    grid->addWidget(chkSayInCall_IC, 3, 0, Qt::AlignTop);
    grid->addWidget(txtTTS_IC, 3, 1);
    auto* say = new QVBoxLayout;
    say->addWidget(cmdSay_IC);
    say->addWidget(cmdStopSay_IC);
    say->addStretch(1);
    grid->addLayout(say, 3, 2);
    grid->addWidget(chkWhenCallerID, 4, 0, 1, 3);
    grid->addWidget(chkOpenAppOnCall, 5, 0, 1, 3);
    grid->setRowStretch(6, 1);
    grid->setColumnStretch(1, 1);
}

void frmEvents::buildAdvancedPage()
{
    QWidget* page = TabAdvanced = named(new QWidget(TabControl1->pageArea()), "TabAdvanced");
    chkAnimate = named(new QCheckBox(QStringLiteral("Animate personal"), page), "chkAnimate");
    sldAnimateVal = named(new cSlider(page), "sldAnimateVal");
    sldAnimateVal->setMin(0);
    sldAnimateVal->setMax(100);
    lblAnimateVal = named(new QLabel(QStringLiteral("0"), page), "lblAnimateVal");
    lblAnimateVal->setMinimumWidth(30);
    chkClosePersonalAfrter
        = named(new QCheckBox(QStringLiteral("Close after"), page), "chkClosePersonalAfrter");
    txtCLosePersonalAfter = named(new QLineEdit(page), "txtCLosePersonalAfter");
    lblCLoseBallonAfter
        = named(new QLabel(QStringLiteral("Close the balloon after"), page), "lblCLoseBallonAfter");
    txtCLoseBallonAfter = named(new QLineEdit(page), "txtCLoseBallonAfter");
    for (QLineEdit* box : {txtCLosePersonalAfter, txtCLoseBallonAfter}) {
        box->setMaximumWidth(60);
        box->installEventFilter(this);
    }
    ptnDefault = named(new QRadioButton(QStringLiteral("Default Style"), page), "ptnDefault");
    ptnPersonal = named(new QRadioButton(QStringLiteral("Personal Style"), page), "ptnPersonal");
    lblTitle = named(new QLabel(QStringLiteral("Title Color"), page), "lblTitle");
    lblBG = named(new QLabel(QStringLiteral("Background"), page), "lblBG");
    lblFontColor = named(new QLabel(QStringLiteral("Font Color"), page), "lblFontColor");
    picTitle = named(new QPushButton(page), "picTitle");
    picBG = named(new QPushButton(page), "picBG");
    picFont = named(new QPushButton(page), "picFont");
    m_title.box = picTitle;
    m_back.box = picBG;
    m_font.box = picFont;
    for (QPushButton* box : {picTitle, picBG, picFont})
        box->setFixedSize(48, 20);
    cndTest = named(new QPushButton(QStringLiteral("Test"), page), "cndTest");

    auto* grid = new QGridLayout(page);
    grid->addWidget(chkAnimate, 0, 0);
    auto* slider = new QHBoxLayout;
    slider->addWidget(sldAnimateVal, 1);
    slider->addWidget(lblAnimateVal);
    grid->addLayout(slider, 0, 1, 1, 2);
    grid->addWidget(chkClosePersonalAfrter, 1, 0);
    grid->addWidget(txtCLosePersonalAfter, 1, 1, Qt::AlignLeading);
    grid->addWidget(lblCLoseBallonAfter, 2, 0);
    grid->addWidget(txtCLoseBallonAfter, 2, 1, Qt::AlignLeading);
    grid->addWidget(ptnDefault, 3, 0);
    grid->addWidget(ptnPersonal, 4, 0);
    const std::pair<QLabel*, QPushButton*> colours[]
        = {{lblTitle, picTitle}, {lblBG, picBG}, {lblFontColor, picFont}};
    int row = 5;
    for (const auto& [label, box] : colours) {
        grid->addWidget(label, row, 0);
        grid->addWidget(box, row, 1, Qt::AlignLeading);
        ++row;
    }
    grid->addWidget(cndTest, row, 2, Qt::AlignTrailing);
    grid->setRowStretch(row + 1, 1);
    grid->setColumnStretch(2, 1);
}

void frmEvents::Form_Load()
{
    TabControl1 = named(new TabStrip(this), "TabControl1");
    buildIncomingPage();
    buildAdvancedPage();
    auto* pages = new QGridLayout(TabControl1->pageArea());
    pages->setContentsMargins(0, 0, 0, 0);
    pages->addWidget(TabInCommingCall, 0, 0);
    pages->addWidget(TabAdvanced, 0, 0);
    cmdOK = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");
    cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel");
    // Its caption is the layout's own; the translation has no entry for it.
    cmdHelp = named(new QPushButton(QStringLiteral("Help"), this), "cmdHelp");
    cmdOK->setDefault(true);
    cmdHelp->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdHelp);
    auto* window = new QVBoxLayout(this);
    window->addWidget(TabControl1, 1);
    window->addLayout(buttons);
    resize(500, 380);

    // 1, 2: the wave control; the balloon object is a member.
    Wave1 = CreateWaveControl(this);
    Wave1->InitDevices();
    // 3, 4
    mirrorForRightToLeft();
    setCaptions();
    // 5
    m_reg = RegistryRoutines(RegistryRoutines::HKEY_LOCAL_MACHINE, RegistryRoutines::productKey(), QString());
    // 6
    SoundFileBar::fillList(CmbPlayWhen_IC, QString());
    // 7, 8
    TabInCommingCall->setVisible(true);
    TabAdvanced->setVisible(false);
    TabControl1->AddTab(g_sTrans(271), -1, QStringLiteral("IncommingCallEvents"));
    TabControl1->AddTab(g_sTrans(590), -1, QStringLiteral("Advanced"));
    connect(TabControl1, &TabStrip::TabClick, this, &frmEvents::TabControl1_TabClick);
    // 9
    tlbrCmbPlayerINC = new SoundFileBar(CmbPlayWhen_IC, Wave1, this);
    m_soundHost->addWidget(tlbrCmbPlayerINC);
    // 10, 11
    cmbCallDisplayStyleIncomming->clear();
    cmbCallDisplayStyleIncomming->addItem(g_sTrans(281));
    cmbCallDisplayStyleIncomming->addItem(g_sTrans(282));
    cmbCallDisplayStyleIncomming->setCurrentIndex(0);
    SetTranslatedCaption(cmdSay_IC, 188);
    SetTranslatedCaption(cmdStopSay_IC, 189);

    // Values set from code run these as clicks do.
    connect(chkViewCD_IC, &QCheckBox::stateChanged, this, &frmEvents::chkViewCD_IC_Click);
    connect(chkPlayIn_IC, &QCheckBox::stateChanged, this, &frmEvents::chkPlayIn_IC_Click);
    connect(chkSayInCall_IC, &QCheckBox::stateChanged, this, &frmEvents::chkSayInCall_IC_Click);
    connect(chkAnimate, &QCheckBox::stateChanged, this, &frmEvents::chkAnimate_Click);
    connect(chkClosePersonalAfrter, &QCheckBox::stateChanged, this, &frmEvents::chkClosePersonalAfrter_Click);
    connect(ptnDefault, &QRadioButton::toggled, this, &frmEvents::EnableStyleColors);
    connect(ptnPersonal, &QRadioButton::toggled, this, &frmEvents::EnableStyleColors);
    connect(picTitle, &QPushButton::clicked, this, &frmEvents::picTitle_Click);
    connect(picBG, &QPushButton::clicked, this, &frmEvents::picBG_Click);
    connect(picFont, &QPushButton::clicked, this, &frmEvents::picFont_Click);
    connect(sldAnimateVal, &cSlider::Changed, this, &frmEvents::sldAnimateVal_Changed);
    connect(cndTest, &QPushButton::clicked, this, &frmEvents::cndTest_Click);
    connect(lblTry_IC, &QPushButton::clicked, this, &frmEvents::lblTry_IC_Click);
    connect(cmdSay_IC, &QPushButton::clicked, this, &frmEvents::cmdSay_IC_Click);
    connect(cmdStopSay_IC, &QPushButton::clicked, this, &frmEvents::cmdStopSay_IC_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmEvents::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmEvents::cmdCancel_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &frmEvents::cmdHelp_Click);

    // 12, 13
    LoadEventSettings();
    chkSayInCall_IC_Click();
    chkPlayIn_IC_Click();
    chkViewCD_IC_Click();
    chkAnimate_Click();
    chkClosePersonalAfrter_Click();
    EnableStyleColors();
}

void frmEvents::mirrorForRightToLeft()
{
    if (!g_bRTL())
        return;
    const Qt::Alignment right = Qt::AlignAbsolute | Qt::AlignRight | Qt::AlignVCenter;
    for (QLabel* label : {lblInCom, lblFontColor, lblBG, lblTitle, lblCLoseBallonAfter}) {
        label->setLayoutDirection(Qt::RightToLeft);
        label->setAlignment(right);
    }
    for (QAbstractButton* box : std::initializer_list<QAbstractButton*>{chkViewCD_IC, chkPlayIn_IC,
             chkSayInCall_IC, chkWhenCallerID, chkAnimate, chkClosePersonalAfrter, ptnDefault, ptnPersonal})
        box->setLayoutDirection(Qt::RightToLeft);
    for (QComboBox* list : {cmbCallDisplayStyleIncomming, CmbPlayWhen_IC})
        list->setLayoutDirection(Qt::RightToLeft);
    // The mirrored grid puts both close-after boxes at the label's left edge.
    setLayoutDirection(Qt::RightToLeft);
}

void frmEvents::setCaptions()
{
    SetTranslatedCaption(this, 270);
    const std::pair<QWidget*, int> captions[] = {{chkViewCD_IC, 273}, {lblTry_IC, 283}, {chkPlayIn_IC, 274},
        {chkSayInCall_IC, 275}, {lblInCom, 272}, {cmdOK, 11}, {cmdCancel, 12}, {chkAnimate, 287},
        {cndTest, 321}, {chkClosePersonalAfrter, 288}, {lblCLoseBallonAfter, 289}, {chkWhenCallerID, 276},
        {ptnDefault, 290}, {ptnPersonal, 291}, {lblTitle, 292}, {lblBG, 293}, {lblFontColor, 294},
        {chkOpenAppOnCall, 285}};
    for (const auto& [widget, entry] : captions)
        SetTranslatedCaption(widget, entry);
}

void frmEvents::TabControl1_TabClick(int tab)
{
    TabInCommingCall->setVisible(false);
    TabAdvanced->setVisible(false);
    if (tab == 1)
        TabInCommingCall->setVisible(true);
    else if (tab == 2)
        TabAdvanced->setVisible(true);
}

void frmEvents::chkViewCD_IC_Click()
{
    const bool on = ticked(chkViewCD_IC);
    cmbCallDisplayStyleIncomming->setEnabled(on);
    lblTry_IC->setEnabled(on);
}

void frmEvents::chkPlayIn_IC_Click()
{
    const bool on = ticked(chkPlayIn_IC);
    CmbPlayWhen_IC->setEnabled(on);
    tlbrCmbPlayerINC->setCommandsEnabled(on);
}

void frmEvents::chkSayInCall_IC_Click()
{
    const bool on = ticked(chkSayInCall_IC);
    SetTextBoxEnabled(txtTTS_IC, on);
    cmdSay_IC->setEnabled(on);
    cmdStopSay_IC->setEnabled(on);
}

void frmEvents::chkAnimate_Click()
{
    const bool on = ticked(chkAnimate);
    sldAnimateVal->setVisible(on);
    lblAnimateVal->setVisible(on);
}

void frmEvents::chkClosePersonalAfrter_Click()
{
    txtCLosePersonalAfter->setEnabled(ticked(chkClosePersonalAfrter));
}

void frmEvents::EnableStyleColors()
{
    const bool on = ptnPersonal->isChecked();
    for (QWidget* control :
        std::initializer_list<QWidget*>{lblTitle, lblBG, lblFontColor, picTitle, picBG, picFont})
        control->setEnabled(on);
}

void frmEvents::sldAnimateVal_Changed()
{
    lblAnimateVal->setText(QString::number(sldAnimateVal->value()));
}

frmEvents::ColourBox* frmEvents::boxFor(const QPushButton* box)
{
    for (ColourBox* each : {&m_title, &m_back, &m_font})
        if (each->box == box)
            return each;
    return nullptr;
}

const frmEvents::ColourBox* frmEvents::boxFor(const QPushButton* box) const
{
    return const_cast<frmEvents*>(this)->boxFor(box);
}

QColor frmEvents::BoxColour(const QPushButton* box) const
{
    const ColourBox* each = boxFor(box);
    return each ? each->colour : QColor();
}

void frmEvents::SetBoxColour(QPushButton* box, const QColor& colour)
{
    if (ColourBox* each = boxFor(box)) {
        each->kept.clear();
        showColour(*each, colour);
    }
}

void frmEvents::showColour(ColourBox& box, const QColor& colour)
{
    box.colour = colour;
    box.box->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; border: 1px solid gray; }").arg(colour.name()));
}

void frmEvents::pickColour(ColourBox& box)
{
    // A box of the Default style is off and takes no clicks.
    if (!box.box->isEnabled())
        return;
    const ColorChoice choice = ShowColorDialog(this, kCenterOnOwner);
    if (choice.Cancelled || choice.Color < 0)
        return;
    box.kept.clear();
    showColour(box, ColorFromColorRef(choice.Color));
}

void frmEvents::setPopUpTiming()
{
    CallerPopUp& popUp = CurrentCallerPopUp();
    popUp.lAnimateFaster = sldAnimateVal->value();
    popUp.bAnimate = chkAnimate->checkState() != Qt::Unchecked;
    popUp.bClose = chkClosePersonalAfrter->checkState() != Qt::Unchecked;
    bool ok = false;
    const qint32 seconds = txtCLosePersonalAfter->text().toInt(&ok);
    if (ok)
        popUp.lCloseAfter = seconds;
}

void frmEvents::cndTest_Click()
{
    if (!storeAdvanced())
        ShowWriteFailure(QStringLiteral("Not every setting could be saved"));
    CallerPopUp& popUp = CurrentCallerPopUp();
    popUp.Unload();
    popUp.Load();
    setPopUpTiming();
    popUp.bTest = true;
    popUp.Display();
    popUp.bTest = false;
}

void frmEvents::lblTry_IC_Click()
{
    if (cmbCallDisplayStyleIncomming->currentIndex() == 1) {
        CurrentMainWindow().DisplayBallonCallSetails(g_sProductTitle, g_sTrans(kTestTitle));
        return;
    }
    CallerPopUp& popUp = CurrentCallerPopUp();
    popUp.Load();
    setPopUpTiming();
    popUp.SetTitle(g_sTrans(kTestTitle));
    popUp.bTest = true;
    popUp.Display();
    popUp.bTest = false;
}

void frmEvents::cmdSay_IC_Click()
{
    CallInfo sample;
    sample.CallerName = QStringLiteral("Sample Caller Name");
    sample.CallerNumber = QStringLiteral("Sample Caller Number");
    sample.CallTime = DateTimeText::currentTime();
    sample.CallDate = DateTimeText::currentDate();
    sample.MessagePath = AppPaths::programFolder();
    sample.Length = QStringLiteral("00:03:25");
    sample.ContactName = QStringLiteral("Contact");
    sample.ReadMark = 0;
    sample.CallType = QStringLiteral("2");
    HubLink* hub = CurrentHubLink();
    if (!hub || !hub->udiProc.Channel(ChannelNumber::ProcChannel))
        return;
    const QString text = ExpandTTSText(TypingLimit::storedText(txtTTS_IC), sample);
    // The answer on 305 stands for the speech channel too.
    (void)hub->uDiTTS.Channel(ChannelNumber::TtsChannel);
    hub->uDiTTS.Send(ChannelMessages::say(text));
}

void frmEvents::cmdStopSay_IC_Click()
{
    HubLink* hub = CurrentHubLink();
    if (!hub || !hub->udiProc.Channel(ChannelNumber::ProcChannel))
        return;
    (void)hub->uDiTTS.Channel(ChannelNumber::TtsChannel);
    hub->uDiTTS.Send(ChannelMessages::command(MessageName::StopSay));
}

bool frmEvents::closeAfter_KeyPress(QLineEdit* box, QKeyEvent* event)
{
    const QString text = event->text();
    // Keys that type nothing (arrows, Delete) are not keypresses.
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete || text.isEmpty())
        return false;
    if (text.size() == 1 && text.at(0) >= u'0' && text.at(0) <= u'9')
        return false;
    m_cTextBoxXP.setTextBox(box);
    ShowTextBoxBalloon(m_cTextBoxXP, g_sTrans(kBalloonTitle), g_sTrans(kDigitsOnly));
    return true;
}

bool frmEvents::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        for (QLineEdit* box : {txtCLosePersonalAfter, txtCLoseBallonAfter})
            if (watched == box)
                return closeAfter_KeyPress(box, static_cast<QKeyEvent*>(event));
    }
    return QDialog::eventFilter(watched, event);
}

void frmEvents::reject()
{
    // Escape is Cancel.
    cmdCancel_Click();
}

void frmEvents::closeEvent(QCloseEvent* event)
{
    if (g_bExiting) {
        event->accept();
        return;
    }
    event->ignore();
    hide();
    LoadEventSettings();
}

namespace {

QPointer<frmEvents>& window()
{
    static QPointer<frmEvents> instance;
    return instance;
}

} // namespace

frmEvents& LoadEventsWindow()
{
    if (!window())
        window() = new frmEvents;
    return *window();
}

frmEvents* LoadedEventsWindow()
{
    return window().data();
}

void UnloadEventsWindow()
{
    delete window().data();
}

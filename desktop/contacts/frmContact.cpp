#include "desktop/contacts/frmContact.h"

#include "common/SharedUtilities.h"
#include "desktop/contacts/ClickLabel.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/ImageList2.h"
#include "desktop/foundation/SoundFileBar.h"
#include "desktop/foundation/TabStrip.h"
#include "desktop/foundation/Translation.h"
#include "desktop/foundation/TypingLimit.h"
#include "desktop/foundation/WindowUtilities.h"
#include "platform/Backends.h"
#include "platform/WaveControl.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

bool ticked(const QCheckBox* box)
{
    return box->checkState() == Qt::Checked;
}

} // namespace

frmContact::frmContact(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmContact"));
    RegisterLoadedForm(this);
    Form_Load();
    showCaption(txtContactName->text());
}

void frmContact::showCaption(const QString& name)
{
    setWindowTitle(name.isEmpty() ? g_sTrans(404) : name);
}

frmContact::~frmContact()
{
    UnregisterLoadedForm(this);
}

void frmContact::buildGeneralPage()
{
    TabGeneral = named(new QWidget(TabControl1->pageArea()), "TabGeneral");
    lblSetContact
        = named(new QLabel(QStringLiteral("Set the contact's details"), TabGeneral), "lblSetContact");
    QFont heading = lblSetContact->font();
    heading.setBold(true);
    lblSetContact->setFont(heading);
    lblContactName = named(new QLabel(QStringLiteral("Contact Name:"), TabGeneral), "lblContactName");
    txtContactName = named(new QLineEdit(TabGeneral), "txtContactName");
    lblCallerName = named(new QLabel(QStringLiteral("Caller Name:"), TabGeneral), "lblCallerName");
    txtCallerName = named(new QLineEdit(TabGeneral), "txtCallerName");
    lblCallerNumber = named(new QLabel(QStringLiteral("Caller Number:"), TabGeneral), "lblCallerNumber");
    txtCallerNumber = named(new QLineEdit(TabGeneral), "txtCallerNumber");
    Image1 = named(new ClickLabel(TabGeneral), "Image1");
    Image1->setFrameShape(QFrame::Box); // the picture's frame
    Image1->setFixedSize(96, 96);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setCursor(Qt::PointingHandCursor);
    lblAddPic = named(new ClickLabel(QStringLiteral("Add Picture"), TabGeneral), "lblAddPic");
    lblAddPic->setAlignment(Qt::AlignCenter);
    lblAddPic->setCursor(Qt::PointingHandCursor);
    cmdRemove = named(new ClickLabel(QStringLiteral("Remove"), TabGeneral), "cmdRemove");
    cmdRemove->setAlignment(Qt::AlignCenter);
    cmdRemove->setCursor(Qt::PointingHandCursor);
    for (QLabel* link : {static_cast<QLabel*>(lblAddPic), static_cast<QLabel*>(cmdRemove)}) {
        QFont font = link->font();
        font.setUnderline(true);
        link->setFont(font);
    }
    picErgancy = named(new QLabel(TabGeneral), "picErgancy");
    picErgancy->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(16, 16));
    chkMrakAsErgancy
        = named(new QCheckBox(QStringLiteral("Mark calls from this caller as emergency"), TabGeneral),
            "chkMrakAsErgancy");
    picDrop = named(new QLabel(TabGeneral), "picDrop");
    picDrop->setPixmap(style()->standardIcon(QStyle::SP_DialogCancelButton).pixmap(16, 16));
    chkBlock = named(
        new QCheckBox(QStringLiteral("Block calls from this contact (Hang Up)"), TabGeneral), "chkBlock");

    auto* fields = new QGridLayout;
    fields->addWidget(lblContactName, 0, 0);
    fields->addWidget(txtContactName, 0, 1);
    fields->addWidget(lblCallerName, 1, 0);
    fields->addWidget(txtCallerName, 1, 1);
    fields->addWidget(lblCallerNumber, 2, 0);
    fields->addWidget(txtCallerNumber, 2, 1);
    fields->setRowStretch(3, 1);
    auto* picture = new QVBoxLayout;
    picture->addWidget(Image1);
    auto* links = new QHBoxLayout;
    links->addWidget(lblAddPic);
    links->addWidget(cmdRemove);
    picture->addLayout(links);
    auto* top = new QHBoxLayout;
    top->addLayout(fields, 1);
    top->addLayout(picture);
    auto* marks = new QGridLayout;
    marks->addWidget(picErgancy, 0, 0);
    marks->addWidget(chkMrakAsErgancy, 0, 1);
    marks->addWidget(picDrop, 1, 0);
    marks->addWidget(chkBlock, 1, 1);
    marks->setColumnStretch(1, 1);
    auto* page = new QVBoxLayout(TabGeneral);
    page->addWidget(lblSetContact);
    page->addLayout(top);
    page->addLayout(marks);
    page->addStretch(1);
}

void frmContact::buildEventsPage()
{
    TabEvents = named(new QWidget(TabControl1->pageArea()), "TabEvents");
    lblSetEvents
        = named(new QLabel(QStringLiteral("Events when this contact calls"), TabEvents), "lblSetEvents");
    QFont heading = lblSetEvents->font();
    heading.setBold(true);
    lblSetEvents->setFont(heading);
    ptnEventsAsDefault
        = named(new QRadioButton(QStringLiteral("As default: do what the default events do"), TabEvents),
            "ptnEventsAsDefault");
    ptnNothingEvents = named(new QRadioButton(QStringLiteral("Do Nothing"), TabEvents), "ptnNothingEvents");
    ptnSpecificEvents
        = named(new QRadioButton(QStringLiteral("Specific Events"), TabEvents), "ptnSpecificEvents");
    chkViewCD = named(new QCheckBox(QStringLiteral("Display"), TabEvents), "chkViewCD");
    cmbCallDisplayStyle = named(new QComboBox(TabEvents), "cmbCallDisplayStyle");
    chkPlayIn = named(new QCheckBox(QStringLiteral("Play"), TabEvents), "chkPlayIn");
    CmbPlayWhen = named(new QComboBox(TabEvents), "CmbPlayWhen");
    chkSayInCall = named(new QCheckBox(QStringLiteral("Say"), TabEvents), "chkSayInCall");
    txtTTS = named(new QPlainTextEdit(TabEvents), "txtTTS");
    txtTTS->setTabChangesFocus(true);

    auto* group = new QButtonGroup(TabEvents);
    for (QRadioButton* option : {ptnEventsAsDefault, ptnNothingEvents, ptnSpecificEvents})
        group->addButton(option);

    auto* page = new QVBoxLayout(TabEvents);
    page->addWidget(lblSetEvents);
    page->addWidget(ptnEventsAsDefault);
    page->addWidget(ptnNothingEvents);
    page->addWidget(ptnSpecificEvents);
    auto* specific = new QGridLayout;
    specific->setContentsMargins(20, 0, 0, 0);
    specific->addWidget(chkViewCD, 0, 0);
    specific->addWidget(cmbCallDisplayStyle, 0, 1);
    specific->addWidget(chkPlayIn, 1, 0);
    auto* sound = new QHBoxLayout;
    sound->addWidget(CmbPlayWhen, 1);
    m_soundHost = new QHBoxLayout;
    sound->addLayout(m_soundHost);
    specific->addLayout(sound, 1, 1);
    specific->addWidget(chkSayInCall, 2, 0, Qt::AlignTop);
    specific->addWidget(txtTTS, 2, 1);
    specific->setColumnStretch(1, 1);
    page->addLayout(specific, 1);
}

void frmContact::buildActionsPage()
{
    TabActions = named(new QWidget(TabControl1->pageArea()), "TabActions");
    lblSetForward
        = named(new QLabel(QStringLiteral("Actions when this contact calls"), TabActions), "lblSetForward");
    QFont heading = lblSetForward->font();
    heading.setBold(true);
    lblSetForward->setFont(heading);
    ptnActionAsDefault
        = named(new QRadioButton(QStringLiteral("As default: do what the default actions do"), TabActions),
            "ptnActionAsDefault");
    ptnNothingActions
        = named(new QRadioButton(QStringLiteral("Do Nothing"), TabActions), "ptnNothingActions");
    ptnSpecificActions
        = named(new QRadioButton(QStringLiteral("Specific Actions"), TabActions), "ptnSpecificActions");
    chkSendToMail = named(new QCheckBox(QStringLiteral("Send to mail"), TabActions), "chkSendToMail");
    lblMailTo = named(new QLabel(QStringLiteral("Mail To:"), TabActions), "lblMailTo");
    txtMailTo = named(new QLineEdit(TabActions), "txtMailTo");
    chkApp = named(new QCheckBox(QStringLiteral("Send calls to a program"), TabActions), "chkApp");
    lblAppPath = named(new QLabel(QStringLiteral("App To :"), TabActions), "lblAppPath");
    txtAppTo = named(new QLineEdit(TabActions), "txtAppTo");

    auto* group = new QButtonGroup(TabActions);
    for (QRadioButton* option : {ptnActionAsDefault, ptnNothingActions, ptnSpecificActions})
        group->addButton(option);

    auto* page = new QVBoxLayout(TabActions);
    page->addWidget(lblSetForward);
    page->addWidget(ptnActionAsDefault);
    page->addWidget(ptnNothingActions);
    page->addWidget(ptnSpecificActions);
    auto* specific = new QGridLayout;
    specific->setContentsMargins(20, 0, 0, 0);
    specific->addWidget(chkSendToMail, 0, 0, 1, 2);
    specific->addWidget(lblMailTo, 1, 0);
    specific->addWidget(txtMailTo, 1, 1);
    specific->addWidget(chkApp, 2, 0, 1, 2);
    specific->addWidget(lblAppPath, 3, 0);
    specific->addWidget(txtAppTo, 3, 1);
    specific->setColumnStretch(1, 1);
    page->addLayout(specific);
    page->addStretch(1);
}

void frmContact::Form_Load()
{
    TabControl1 = named(new TabStrip(this), "TabControl1");
    buildGeneralPage();
    buildEventsPage();
    buildActionsPage();
    TabNotes = named(new QPlainTextEdit(TabControl1->pageArea()), "TabNotes");
    TabNotes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    TabNotes->setTabChangesFocus(true);
    cmdOK = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");
    cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel");
    cmdOK->setAutoDefault(false);
    cmdCancel->setAutoDefault(false);

    // The pages lie on top of one another in the strip's page area.
    auto* pages = new QGridLayout(TabControl1->pageArea());
    for (QWidget* page : {TabGeneral, TabEvents, TabActions, static_cast<QWidget*>(TabNotes)})
        pages->addWidget(page, 0, 0);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* window = new QVBoxLayout(this);
    window->addWidget(TabControl1, 1);
    window->addLayout(buttons);
    resize(520, 400);

    // 2, 3: the wave control and the balloon object.
    Wave1 = CreateWaveControl(this);
    Wave1->InitDevices();
    // 4
    mirrorForRightToLeft();
    // 5
    SetTranslatedCaption(lblSetContact, 452);
    SetTranslatedCaption(lblContactName, 453);
    SetTranslatedCaption(lblCallerName, 457);
    SetTranslatedCaption(lblCallerNumber, 458);
    SetTranslatedCaption(lblAddPic, 455);
    SetTranslatedCaption(cmdRemove, 456);
    SetTranslatedCaption(chkMrakAsErgancy, 454);
    SetTranslatedCaption(lblSetEvents, 482);
    SetTranslatedCaption(ptnEventsAsDefault, 483);
    SetTranslatedCaption(ptnNothingEvents, 485);
    SetTranslatedCaption(ptnSpecificEvents, 484);
    SetTranslatedCaption(chkViewCD, 273);
    SetTranslatedCaption(chkPlayIn, 274);
    SetTranslatedCaption(chkSayInCall, 275);
    SetTranslatedCaption(lblSetForward, 492);
    SetTranslatedCaption(ptnActionAsDefault, 493);
    SetTranslatedCaption(ptnNothingActions, 495);
    SetTranslatedCaption(ptnSpecificActions, 494);
    SetTranslatedCaption(chkSendToMail, 303);
    SetTranslatedCaption(lblMailTo, 323);
    SetTranslatedCaption(chkApp, 311);
    SetTranslatedCaption(lblAppPath, 312);
    // 6, 7
    cmbCallDisplayStyle->clear();
    cmbCallDisplayStyle->addItem(g_sTrans(281));
    cmbCallDisplayStyle->addItem(g_sTrans(282));
    cmbCallDisplayStyle->setCurrentIndex(0);
    SetTranslatedCaption(cmdOK, 11);
    SetTranslatedCaption(cmdCancel, 12);
    // 8
    m_reg = RegistryRoutines(RegistryRoutines::HKEY_LOCAL_MACHINE, RegistryRoutines::productKey(), QString());
    // 9
    TabGeneral->setVisible(true);
    TabNotes->setVisible(false);
    TabEvents->setVisible(false);
    TabActions->setVisible(false);
    // 10, 11
    TabControl1->setImageList(vbalImageList2());
    TabControl1->AddTab(g_sTrans(451), -1, QStringLiteral("General"));
    TabControl1->AddTab(g_sTrans(481), 10, QStringLiteral("Events"));
    TabControl1->AddTab(g_sTrans(491), 18, QStringLiteral("Actions"));
    TabControl1->AddTab(g_sTrans(511), 3, QStringLiteral("Notes"));
    connect(TabControl1, &TabStrip::TabClick, this, &frmContact::TabControl1_TabClick);
    // 12, 13
    SoundFileBar::fillList(CmbPlayWhen, QString());
    tlbrCmbPlayerINC = new SoundFileBar(CmbPlayWhen, Wave1, this);
    m_soundHost->addWidget(tlbrCmbPlayerINC);

    // Typing limits, counted in stored bytes.
    const QString title = g_sTrans(15);
    new TypingLimit(txtContactName, 32, m_textBox, title, g_sTrans(851));
    new TypingLimit(txtCallerName, 40, m_textBox, title, g_sTrans(852));
    new TypingLimit(txtCallerNumber, 40, m_textBox, title, g_sTrans(853));
    new TypingLimit(TabNotes, 1024, m_textBox, title, g_sTrans(857));

    // Values set from code run these as clicks do, so the controls follow
    // loaded and reset values.
    connect(txtContactName, &QLineEdit::textChanged, this, &frmContact::showCaption);
    connect(chkViewCD, &QCheckBox::stateChanged, this, &frmContact::UpdateDisplayStyleControl);
    connect(chkPlayIn, &QCheckBox::stateChanged, this, &frmContact::UpdatePlayControls);
    connect(chkSayInCall, &QCheckBox::stateChanged, this, &frmContact::UpdateSayControls);
    connect(chkSendToMail, &QCheckBox::stateChanged, this, &frmContact::UpdateMailControls);
    connect(chkApp, &QCheckBox::stateChanged, this, &frmContact::UpdateAppControls);
    for (QRadioButton* option : {ptnEventsAsDefault, ptnNothingEvents}) {
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                UpdateEventControls();
        });
    }
    connect(ptnSpecificEvents, &QRadioButton::toggled, this, [this](bool on) {
        if (!on)
            return;
        UpdateEventControls();
        UpdateDisplayStyleControl();
        UpdatePlayControls();
        UpdateSayControls();
    });
    for (QRadioButton* option : {ptnActionAsDefault, ptnNothingActions}) {
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                UpdateActionControls();
        });
    }
    connect(ptnSpecificActions, &QRadioButton::toggled, this, [this](bool on) {
        if (!on)
            return;
        UpdateActionControls();
        UpdateMailControls();
        UpdateAppControls();
    });
    connect(cmdOK, &QPushButton::clicked, this, &frmContact::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmContact::cmdCancel_Click);
    connect(Image1, &ClickLabel::clicked, this, &frmContact::Image1_Click);
    connect(lblAddPic, &ClickLabel::clicked, this, &frmContact::Image1_Click);
    connect(cmdRemove, &ClickLabel::clicked, this, &frmContact::cmdRemove_Click);

    // 14 to 16
    UpdateEventControls();
    UpdateDisplayStyleControl();
    UpdatePlayControls();
    UpdateSayControls();
    ResetContactForm();
    UpdateActionControls();
}

void frmContact::mirrorForRightToLeft()
{
    // The window keeps its layout; only the controls that carry reading text turn.
    setLayoutDirection(Qt::LeftToRight);
    if (!g_bRTL())
        return;
    const Qt::Alignment right = Qt::AlignAbsolute | Qt::AlignRight | Qt::AlignVCenter;
    for (QLabel* label : {lblSetContact, lblContactName, lblCallerName, lblCallerNumber, lblSetEvents,
             lblSetForward, lblMailTo, lblAppPath}) {
        label->setLayoutDirection(Qt::RightToLeft);
        label->setAlignment(right);
    }
    lblAddPic->setLayoutDirection(Qt::RightToLeft);
    lblAddPic->setAlignment(Qt::AlignCenter);
    for (QAbstractButton* box : std::initializer_list<QAbstractButton*>{chkMrakAsErgancy, chkViewCD,
             chkPlayIn, chkSayInCall, chkSendToMail, chkApp, ptnEventsAsDefault, ptnNothingEvents,
             ptnSpecificEvents, ptnActionAsDefault, ptnNothingActions, ptnSpecificActions})
        box->setLayoutDirection(Qt::RightToLeft);
    txtContactName->setLayoutDirection(Qt::RightToLeft);
    txtContactName->setAlignment(right);
    TabNotes->setLayoutDirection(Qt::RightToLeft);
    QTextOption option = TabNotes->document()->defaultTextOption();
    option.setTextDirection(Qt::RightToLeft);
    option.setAlignment(Qt::AlignAbsolute | Qt::AlignRight);
    TabNotes->document()->setDefaultTextOption(option);
    cmbCallDisplayStyle->setLayoutDirection(Qt::RightToLeft);
    CmbPlayWhen->setLayoutDirection(Qt::RightToLeft);
}

void frmContact::TabControl1_TabClick(int tab)
{
    TabGeneral->setVisible(false);
    TabNotes->setVisible(false);
    TabEvents->setVisible(false);
    TabActions->setVisible(false);
    switch (tab) {
    case 1:
        TabGeneral->setVisible(true);
        break;
    case 2:
        TabEvents->setVisible(true);
        break;
    case 3:
        TabActions->setVisible(true);
        break;
    case 4:
        TabNotes->setVisible(true);
        break;
    default:
        break;
    }
}

void frmContact::UpdateEventControls()
{
    const bool on = ptnSpecificEvents->isChecked();
    for (QWidget* control :
        std::initializer_list<QWidget*>{chkViewCD, cmbCallDisplayStyle, chkPlayIn, CmbPlayWhen, chkSayInCall})
        control->setEnabled(on);
    SetTextBoxEnabled(txtTTS, on);
}

void frmContact::UpdateDisplayStyleControl()
{
    cmbCallDisplayStyle->setEnabled(ticked(chkViewCD) && ptnSpecificEvents->isChecked());
}

void frmContact::UpdatePlayControls()
{
    const bool on = ticked(chkPlayIn) && ptnSpecificEvents->isChecked();
    CmbPlayWhen->setEnabled(on);
    if (tlbrCmbPlayerINC)
        tlbrCmbPlayerINC->setCommandsEnabled(on);
}

void frmContact::UpdateSayControls()
{
    SetTextBoxEnabled(txtTTS, ticked(chkSayInCall) && ptnSpecificEvents->isChecked());
}

void frmContact::UpdateActionControls()
{
    const bool on = ptnSpecificActions->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{chkSendToMail, lblMailTo, chkApp, lblAppPath})
        control->setEnabled(on);
    SetTextBoxEnabled(txtMailTo, on);
    SetTextBoxEnabled(txtAppTo, on);
}

void frmContact::UpdateMailControls()
{
    const bool on = ticked(chkSendToMail) && ptnSpecificActions->isChecked();
    lblMailTo->setEnabled(on);
    SetTextBoxEnabled(txtMailTo, on);
}

void frmContact::UpdateAppControls()
{
    const bool on = ticked(chkApp) && ptnSpecificActions->isChecked();
    lblAppPath->setEnabled(on);
    SetTextBoxEnabled(txtAppTo, on);
}

void frmContact::reject()
{
    // Escape is Cancel.
    cmdCancel_Click();
}

void frmContact::closeEvent(QCloseEvent* event)
{
    if (g_bExiting) {
        // The program ends: the window goes for good.
        Wave1->CloseDevices();
        setAttribute(Qt::WA_DeleteOnClose);
        event->accept();
        return;
    }
    event->ignore();
    hide();
    ResetContactForm();
}

void frmContact::Unload()
{
    if (g_bExiting) {
        close();
        return;
    }
    hide();
    ResetContactForm();
}

#include "desktop/calls/frmCallDetails.h"

#include "common/ContactRecord.h"
#include "common/FixedRecord.h"
#include "common/SharedUtilities.h"
#include "desktop/calls/Twips.h"
#include "desktop/contacts/ClickLabel.h"
#include "desktop/contacts/ContactPictures.h"
#include "desktop/contacts/mdlContactList.h"
#include "desktop/foundation/CallRows.h"
#include "desktop/foundation/ContactStore.h"
#include "desktop/foundation/ImageList2.h"
#include "desktop/foundation/Translation.h"
#include "desktop/foundation/TypingLimit.h"
#include "desktop/foundation/WindowUtilities.h"
#include "platform/grid/vbalGrid.h"
#include "platform/widgets/KeyedPopupMenu.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QToolBar>
#include <QVBoxLayout>

using Twips::px;

namespace {

constexpr int kNoteBytes = 256;
// A field's text: blanks trimmed; a field never written (NULs) is empty.
QString trimmed(const QString& field)
{
    const qsizetype nul = field.indexOf(QChar(0));
    return FixedRecord::trimBlanks(nul < 0 ? field : field.left(nul));
}

// A picture name as a contact stores it: a bare file name in Pics/.
bool isPlainFileName(const QString& name)
{
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    for (const QChar c : name)
        if (c == u'/' || c == u'\\' || c.unicode() < 0x20)
            return false;
    return true;
}

QString handlingLine(const QString& field)
{
    static const int texts[] = {1, 674, 5, 6};
    bool ok = false;
    const double value = trimmed(field).toDouble(&ok);
    for (int n = 1; ok && n <= 4; ++n)
        if (value == double(n))
            return g_sTrans(407) + u": " + g_sTrans(texts[n - 1]);
    return {};
}

QString modeLine(int heading, const QString& field)
{
    const QString mode = trimmed(field);
    const int text = mode == u"1" ? 1 : mode == u"2" ? 675 : mode == u"3" ? 6 : 0;
    return text ? g_sTrans(heading) + u": " + g_sTrans(text) : QString();
}

// The box shows LF where the record holds CR LF.
QString forBox(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

} // namespace

frmCallDetails::frmCallDetails(QWidget* owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("frmCallDetails"));
    RegisterLoadedForm(this);
    Form_Load();
}

frmCallDetails::~frmCallDetails()
{
    if (!m_unloaded)
        Form_Unload();
    UnregisterLoadedForm(this);
}

void frmCallDetails::Form_Load()
{
    const auto label = [](QWidget* parent, const char* name) { return named(new QLabel(parent), name); };
    picHolder = named(new QWidget(this), "picHolder");
    tabTitels = named(new QWidget(this), "tabTitels");
    tabDetails = named(new QWidget(this), "tabDetails");
    tabContactPic = named(new QWidget(this), "tabContactPic");
    lblFrom = label(tabTitels, "lblFrom");
    lblReceive = label(tabTitels, "lblReceive");
    lblNotes = label(tabTitels, "lblNotes");
    lblContact = label(tabTitels, "lblContact");
    lblFromInf = label(tabDetails, "lblFromInf");
    lblReceiveInf = label(tabDetails, "lblReceiveInf");
    txtNote = named(new QPlainTextEdit(tabDetails), "txtNote");
    lblContactInf = named(new ClickLabel(tabDetails), "lblContactInf");
    txtBallon = named(new QLineEdit(tabDetails), "txtBallon");
    txtBallon->setReadOnly(true);
    txtBallon->setFrame(false);
    txtBallon->setFocusPolicy(Qt::NoFocus);
    txtBallon->setStyleSheet(QStringLiteral("background: transparent; border: none;"));
    imgContact = label(tabContactPic, "imgContact");
    imgContact->setAlignment(Qt::AlignCenter);
    QFont link = lblContactInf->font();
    link.setUnderline(true);
    lblContactInf->setFont(link);
    lblContactInf->setCursor(Qt::PointingHandCursor);
    lblContactInf->setStyleSheet(QStringLiteral("color: #0000c0;"));

    layOut();
    if (g_bRTL()) {
        setLayoutDirection(Qt::RightToLeft);
        tabContactPic->move(px(250), tabContactPic->y());
        tabDetails->move(tabContactPic->x() + tabContactPic->width() + px(120), tabDetails->y());
        tabTitels->move(tabDetails->x() + tabDetails->width() + px(30), tabTitels->y());
        for (QLabel* l : std::initializer_list<QLabel*>{
                 lblFrom, lblReceive, lblFromInf, lblReceiveInf, lblNotes, lblContactInf, lblContact})
            l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        txtNote->setLayoutDirection(Qt::RightToLeft);
    }

    SetTranslatedCaption(this, 650);
    SetTranslatedCaption(lblFrom, 136);
    SetTranslatedCaption(lblReceive, 137);
    SetTranslatedCaption(lblNotes, 511);
    SetTranslatedCaption(lblContact, 679);

    CreateMenu();
    cToolbar1 = named(new QToolBar(picHolder), "cToolbar1");
    cToolbar1->setIconSize(QSize(16, 16));
    cToolbar1->setMovable(false);
    const QList<QIcon>& images = vbalImageList2();
    const struct {
        int tip;
        int image;
    } buttons[] = {{36, 8}, {37, 7}, {0, -1}, {461, 9}};
    for (int index = 0; index < 4; ++index) {
        QAction* action = nullptr;
        if (buttons[index].image < 0) {
            action = cToolbar1->addSeparator();
        } else {
            action = cToolbar1->addAction(images.value(buttons[index].image), QString());
            action->setToolTip(g_sTrans(buttons[index].tip));
            connect(action, &QAction::triggered, this, [this, index] { cToolbar1_ButtonClick(index); });
        }
        toolbarButtons << action;
    }
    auto* bands = new QVBoxLayout(picHolder);
    bands->setContentsMargins(0, 0, 0, 0);
    bands->setSpacing(0);
    bands->addWidget(tbrMenu);
    bands->addWidget(cToolbar1);

    auto* note = new TypingLimit(txtNote, kNoteBytes, m_cBalloon, g_sTrans(15), g_sTrans(864));
    Q_UNUSED(note);
    connect(lblContactInf, &ClickLabel::clicked, this, &frmCallDetails::lblContactInf_Click);
    for (QWidget* w :
        {static_cast<QWidget*>(this), tabDetails, tabTitels, static_cast<QWidget*>(lblContactInf)}) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
    lblContactInf->hide();
    lblContact->hide();
}

void frmCallDetails::layOut()
{
    // Twips as the window was drawn, 15 to the pixel.
    setFixedSize(px(8400), px(4800));
    picHolder->setGeometry(0, 0, width(), px(780));
    tabTitels->setGeometry(px(120), px(900), px(1500), px(3780));
    tabDetails->setGeometry(px(1680), px(900), px(4500), px(3780));
    tabContactPic->setGeometry(px(6300), px(900), px(1980), px(2220));
    const int line = px(330);
    lblFrom->setGeometry(0, px(60), tabTitels->width(), line);
    lblReceive->setGeometry(0, px(450), tabTitels->width(), line);
    lblNotes->setGeometry(0, px(840), tabTitels->width(), line);
    lblContact->setGeometry(0, px(3300), tabTitels->width(), line);
    lblFromInf->setGeometry(0, px(60), tabDetails->width(), line);
    lblReceiveInf->setGeometry(0, px(450), tabDetails->width(), line);
    txtNote->setGeometry(0, px(840), tabDetails->width(), px(2340));
    lblContactInf->setGeometry(0, px(3300), tabDetails->width() - px(300), line);
    txtBallon->setGeometry(lblContactInf->width() - px(150), px(3360), px(150), px(150));
    imgContact->setGeometry(0, 0, tabContactPic->width(), tabContactPic->height());
}

void frmCallDetails::CreateMenu()
{
    m_cMenu = new KeyedPopupMenu(this);
    const auto amp = [](int entry) -> QString { return QStringLiteral("&") + g_sTrans(entry); };
    const qint32 file = m_cMenu->AddItem(amp(21), {}, 0, 0, -1, false, true, QStringLiteral("mnuFileTop"));
    m_cMenu->AddItem(amp(29), {}, 0, file, -1, false, true, QStringLiteral("Exit"));
    const qint32 edit = m_cMenu->AddItem(amp(35), {}, 0, 0, -1, false, true, QStringLiteral("mnuEditTop"));
    m_cMenu->AddItem(amp(36), {}, 0, edit, -1, false, true, QStringLiteral("Prev"));
    m_cMenu->AddItem(amp(37), {}, 0, edit, -1, false, true, QStringLiteral("Next"));
    tbrMenu = named(new QMenuBar(picHolder), "tbrMenu");
    tbrMenu->setNativeMenuBar(false);
    m_cMenu->AttachMenuBar(tbrMenu);
    connect(m_cMenu, &KeyedPopupMenu::Click, this, &frmCallDetails::m_cMenu_Click);
}

void frmCallDetails::SetGrid(vbalGrid* grid)
{
    oGrid = grid;
    ShowCall();
    if (oGrid && oGrid->Rows() > 0)
        SetNavButtons(oGrid->SelectedRow(), oGrid->Rows());
}

QString frmCallDetails::cellText(qint32 column) const
{
    return oGrid ? oGrid->CellText(oGrid->SelectedRow(), column) : QString();
}

void frmCallDetails::ShowCall()
{
    if (!oGrid || oGrid->Rows() < 1) {
        done(QDialog::Rejected);
        return;
    }
    const qint32 row = oGrid->SelectedRow();
    SetLabelsBold(row >= 1 && oGrid->CellFont(row, CallColumn::Caller).bold());
    lblFromInf->setText(cellText(CallColumn::Caller));
    lblReceiveInf->setText(cellText(CallColumn::When));
    txtNote->setPlainText(forBox(cellText(CallColumn::Note)));
    // The call is kept as it is now, so its note goes to it even when the
    // grid is filled anew while the window is open.
    m_shown = ShownCallOf(*oGrid, row);
    m_shownRow = row;
    m_callerName = cellText(CallColumn::CallerName);
    m_callerNumber = cellText(CallColumn::CallerNumber);
    GetContact();
}

void frmCallDetails::SetLabelsBold(bool bold)
{
    for (QLabel* l : {lblFrom, lblReceive, lblFromInf, lblReceiveInf, lblContact}) {
        QFont font = l->font();
        font.setBold(bold);
        l->setFont(font);
    }
}

void frmCallDetails::GetContact()
{
    ContactRecord contact;
    m_lContactIndex = FindContactRecordByNumber(m_callerName, m_callerNumber, contact);
    imgContact->clear();
    if (m_lContactIndex < 0) {
        lblContactInf->setText(QString());
        lblContactInf->hide();
        lblContact->hide();
        m_sContactInfo.clear();
        return;
    }
    lblContactInf->setText(trimmed(contact.ContactName));
    lblContactInf->show();
    lblContact->show();
    const QString picture = trimmed(contact.PictureFile);
    if (isPlainFileName(picture)) {
        const QPixmap pixmap(ContactPictures::folder() + picture);
        if (!pixmap.isNull())
            imgContact->setPixmap(
                pixmap.scaled(imgContact->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    m_sContactInfo = ContactInfoText(contact);
}

QString frmCallDetails::ContactInfoText(const ContactRecord& contact)
{
    QString text = handlingLine(contact.CallHandling) + u"\r\n" + modeLine(408, contact.EventsMode) + u"\r\n"
        + modeLine(491, contact.ActionsMode);
    const QString notes = trimmed(contact.Notes);
    if (!notes.isEmpty())
        text += u"\r\n\r\n" + g_sTrans(511) + u":\r\n" + notes;
    return text;
}

void frmCallDetails::SaveNote()
{
    QString note = TypingLimit::storedText(txtNote);
    if (note.toUtf8().size() >= kNoteBytes) {
        note = ContactPictures::fitBytes(note, kNoteBytes);
        txtNote->setPlainText(forBox(note));
    }
    // A call that could not be read when it was shown is not written over.
    if (!m_shown || !oGrid)
        return;
    ::SaveNote(*oGrid, *m_shown, m_shownRow, note);
}

void frmCallDetails::step(qint32 by)
{
    if (!oGrid)
        return;
    const qint32 row = oGrid->SelectedRow();
    const qint32 target = row + by;
    if (target < 1 || target > oGrid->Rows())
        return;
    SaveNote();
    oGrid->SetSelectedRow(target);
    ShowCall();
}

void frmCallDetails::cToolbar1_ButtonClick(qint32 index)
{
    switch (index) {
    case btnPrev:
        step(-1);
        break;
    case btnNext:
        step(1);
        break;
    case btnContact:
        if (m_lContactIndex == -1)
            NewContact(m_callerName, m_callerNumber, QString());
        else
            OpenContactForEdit(lblContactInf->text(), m_lContactIndex, m_callerName, m_callerNumber);
        break;
    default:
        break;
    }
    if (m_unloaded)
        return;
    if (oGrid && oGrid->Rows() > 0)
        SetNavButtons(oGrid->SelectedRow(), oGrid->Rows());
    else
        done(QDialog::Rejected);
}

void frmCallDetails::SetNavButtons(qint32 current, qint32 count)
{
    QAction* prev = toolbarButtons.at(btnPrev);
    QAction* next = toolbarButtons.at(btnNext);
    prev->setEnabled(true);
    next->setEnabled(true);
    if (count == 1) {
        prev->setEnabled(false);
        next->setEnabled(false);
    } else if (current == 1 && count > 1) {
        prev->setEnabled(false);
    } else if (current == count && count > 1) {
        next->setEnabled(false);
    }
}

void frmCallDetails::m_cMenu_Click(qint32 itemNumber)
{
    const QString key = m_cMenu->ItemKey(itemNumber);
    if (key == u"Exit")
        done(QDialog::Rejected);
    else if (key == u"Prev")
        cToolbar1_ButtonClick(btnPrev);
    else if (key == u"Next")
        cToolbar1_ButtonClick(btnNext);
}

void frmCallDetails::lblContactInf_Click()
{
    if (cursor().shape() != Qt::ArrowCursor) {
        unsetCursor();
        return;
    }
    setCursor(Qt::WaitCursor);
    txtNote->setFocus();
    OpenContactForEdit(lblContactInf->text(), m_lContactIndex, m_callerName, m_callerNumber);
    unsetCursor();
}

void frmCallDetails::lblContactInf_MouseMove()
{
    if (m_bBalloonShown)
        return;
    m_bBalloonShown = true;
    m_cBalloon.setTextBox(txtBallon);
    ShowTextBoxBalloon(m_cBalloon, lblContactInf->text(), m_sContactInfo);
}

void frmCallDetails::Form_MouseMove()
{
    txtNote->setFocus();
    m_bBalloonShown = false;
}

bool frmCallDetails::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove) {
        if (watched == lblContactInf)
            lblContactInf_MouseMove();
        else if (watched == this || watched == tabDetails || watched == tabTitels)
            Form_MouseMove();
    }
    return QDialog::eventFilter(watched, event);
}

int frmCallDetails::exec()
{
    if (m_unloaded)
        return QDialog::Rejected;
    return QDialog::exec();
}

void frmCallDetails::done(int result)
{
    if (!m_unloaded)
        Form_Unload();
    QDialog::done(result);
}

void frmCallDetails::Form_Unload()
{
    m_unloaded = true;
    if (oGrid && oGrid->Rows() > 0)
        SaveNote();
    m_cBalloon.HideBalloonTip();
    m_cBalloon.setTextBox(nullptr);
}

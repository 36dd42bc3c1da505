// The contact editor's record side: filling the window from a stored
// contact or from the defaults, checking and saving, and the picture.
#include "desktop/contacts/frmContact.h"

#include "common/AppPaths.h"
#include "common/FixedRecord.h"
#include "common/SharedUtilities.h"
#include "desktop/contacts/ClickLabel.h"
#include "desktop/contacts/ContactPictures.h"
#include "desktop/foundation/ContactStore.h"
#include "desktop/foundation/SoundFileBar.h"
#include "desktop/foundation/TabStrip.h"
#include "desktop/foundation/Translation.h"
#include "desktop/foundation/TypingLimit.h"
#include "desktop/foundation/WindowUtilities.h"
#include "desktop/foundation/mdlCommDialog.h"
#include "desktop/foundation/mdlFunctions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QRadioButton>

#include <cstdio>
#include <optional>

namespace {

QString trimmed(const QString& field)
{
    return FixedRecord::trimBlanks(field);
}

std::optional<int> wholeNumber(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// A check box takes 0, 1 or 2 (grey); anything else leaves it as it is.
void setBox(QCheckBox* box, const QString& text)
{
    const std::optional<int> value = wholeNumber(text);
    if (!value || *value < 0 || *value > 2)
        return;
    box->setCheckState(*value == 0 ? Qt::Unchecked : *value == 1 ? Qt::Checked : Qt::PartiallyChecked);
}

void setListIndex(QComboBox* list, const QString& text)
{
    const std::optional<int> value = wholeNumber(text);
    if (value && *value >= -1 && *value < list->count())
        list->setCurrentIndex(*value);
}

// A name not in the list leaves the selection as it is.
void setListText(QComboBox* list, const QString& text)
{
    const int at = list->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (at >= 0)
        list->setCurrentIndex(at);
}

// A text box refuses a field that was never written (NUL bytes).
void setText(QLineEdit* box, const QString& text)
{
    if (!text.contains(QChar(0)))
        box->setText(text);
}

void setText(QPlainTextEdit* box, const QString& text)
{
    if (!text.contains(QChar(0)))
        box->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

int utf8Size(const QString& text)
{
    return int(text.toUtf8().size());
}

} // namespace

QString frmContact::ahtAddFilterItem(
    const QString& strFilter, const QString& strDescription, const QString& varItem)
{
    return strFilter + strDescription + QChar(0) + varItem + QChar(0);
}

void frmContact::LoadContact(const ContactRecord& record)
{
    const QString picture = trimmed(record.PictureFile);
    if (!picture.isEmpty()) {
        PicFileName = picture;
        showPicture(ContactPictures::folder() + picture);
    }
    setText(txtContactName, trimmed(record.ContactName));
    showCaption(txtContactName->text());
    setText(txtCallerName, trimmed(record.CallerName));
    setText(txtCallerNumber, trimmed(record.CallerNumber));
    OriginalCallerNumber = trimmed(record.CallerNumber);
    chkBlock->setChecked(trimmed(record.CallHandling) == u"2");
    const QString events = trimmed(record.EventsMode);
    if (events == u"1") {
        ptnEventsAsDefault->setChecked(true);
    } else if (events == u"2") {
        ptnNothingEvents->setChecked(true);
    } else if (events == u"3") {
        setListText(CmbPlayWhen, trimmed(record.SoundFile));
        ptnSpecificEvents->setChecked(true);
    }
    setBox(chkViewCD, trimmed(record.ShowCallDetails));
    setListIndex(cmbCallDisplayStyle, trimmed(record.DisplayStyle));
    setBox(chkPlayIn, trimmed(record.PlayCallSound));
    setBox(chkSayInCall, trimmed(record.SayText));
    setText(txtTTS, trimmed(record.SpeechText));
    const QString actions = trimmed(record.ActionsMode);
    if (actions == u"1")
        ptnActionAsDefault->setChecked(true);
    else if (actions == u"2")
        ptnNothingActions->setChecked(true);
    else if (actions == u"3")
        ptnSpecificActions->setChecked(true);
    setBox(chkSendToMail, trimmed(record.ForwardToMail));
    setText(txtMailTo, trimmed(record.MailTo));
    setBox(chkApp, trimmed(record.ForwardToApp));
    setText(txtAppTo, trimmed(record.AppCommand));
    setBox(chkMrakAsErgancy, trimmed(record.EmergencyMark));
    setText(TabNotes, trimmed(record.Notes));
    TabControl1->SelectTab(QStringLiteral("General"));
}

ContactRecord frmContact::BuildRecord() const
{
    ContactRecord record; // every field NUL until written
    const QString events = ptnSpecificEvents->isChecked() ? QStringLiteral("3")
        : ptnNothingEvents->isChecked()                   ? QStringLiteral("2")
                                                          : QStringLiteral("1");
    const QString actions = ptnSpecificActions->isChecked() ? QStringLiteral("3")
        : ptnNothingActions->isChecked()                    ? QStringLiteral("2")
                                                            : QStringLiteral("1");
    record.ContactName = txtContactName->text();
    record.PictureFile = PicFileName;
    record.CallerName = txtCallerName->text();
    record.CallerNumber = txtCallerNumber->text();
    record.CallHandling = chkBlock->checkState() == Qt::Checked ? QStringLiteral("2") : QStringLiteral("1");
    record.EmergencyMark = StoredCheckState(chkMrakAsErgancy);
    record.EventsMode = events;
    record.ShowCallDetails = StoredCheckState(chkViewCD);
    record.DisplayStyle = QString::number(cmbCallDisplayStyle->currentIndex());
    record.PlayCallSound = StoredCheckState(chkPlayIn);
    if (events == u"3")
        record.SoundFile = CmbPlayWhen->currentText();
    record.SayText = StoredCheckState(chkSayInCall);
    record.SpeechText = TypingLimit::withCrLf(txtTTS->toPlainText());
    record.ActionsMode = actions;
    record.ForwardToMail = StoredCheckState(chkSendToMail);
    record.MailAction = QStringLiteral("0");
    record.MailTo = txtMailTo->text();
    record.ForwardToApp = StoredCheckState(chkApp);
    record.AppAction = QStringLiteral("0");
    record.AppCommand = txtAppTo->text();
    record.Notes = TypingLimit::withCrLf(TabNotes->toPlainText());
    return record;
}

void frmContact::ResetContactForm()
{
    txtAppTo->clear();
    txtContactName->clear();
    txtCallerName->clear();
    txtCallerNumber->clear();
    chkMrakAsErgancy->setCheckState(Qt::Unchecked);
    // The block mark starts clear too: a cancelled edit must not carry it over.
    chkBlock->setCheckState(Qt::Unchecked);
    ptnEventsAsDefault->setChecked(true);
    SoundFileBar::fillList(CmbPlayWhen, QString());
    cmbCallDisplayStyle->setCurrentIndex(0);
    CmbPlayWhen->setCurrentIndex(CmbPlayWhen->count() > 0 ? 0 : -1);
    txtTTS->clear();
    ptnActionAsDefault->setChecked(true);
    chkSendToMail->setCheckState(Qt::Unchecked);
    txtMailTo->clear();
    txtAppTo->clear();
    TabNotes->clear();
    chkViewCD->setCheckState(Qt::Unchecked);
    chkPlayIn->setCheckState(Qt::Unchecked);
    chkSayInCall->setCheckState(Qt::Unchecked);
    chkApp->setCheckState(Qt::Unchecked);
    TabControl1->SelectTab(QStringLiteral("General"));
    Image1->clear();
    OriginalContact.clear();
    OriginalCallerNumber.clear();
    PicFileName.clear();
    ContactListIndex = 0;
    SetDefaultEvents();
    SetDefaultNotice();
}

void frmContact::SetDefaultEvents()
{
    m_reg.setSubkey(QStringLiteral("Events\\TabInCommingCall"));
    // A missing number reads as 0, a missing text as empty.
    const auto number = [this](const char* name) {
        const QVariant value = m_reg.GetRegistryValue(QString::fromLatin1(name));
        return value.isValid() ? value.toString() : QStringLiteral("0");
    };
    const auto text = [this](const char* name) { return m_reg.getString(QString::fromLatin1(name)); };
    setBox(chkViewCD, number("chkICViewCD"));
    setListIndex(cmbCallDisplayStyle, number("cmbCallDisplayStyleIncomming"));
    setBox(chkPlayIn, number("chkPlayInCall"));
    setListText(CmbPlayWhen, text("CmbPlayWhenCall"));
    setBox(chkSayInCall, number("chkSayInCommingCall"));
    txtTTS->setPlainText(text("IC_txtTTS"));
}

void frmContact::SetDefaultNotice()
{
    const auto number = [this](const char* name) {
        const QVariant value = m_reg.GetRegistryValue(QString::fromLatin1(name));
        return value.isValid() ? value.toString() : QStringLiteral("0");
    };
    m_reg.setSubkey(QStringLiteral("Forward\\Mail"));
    setBox(chkSendToMail, number("chkSendToMail"));
    txtMailTo->setText(m_reg.getString(QStringLiteral("txtMailTo")));
    m_reg.setSubkey(QStringLiteral("Forward\\App"));
    setBox(chkApp, number("chkApp"));
    txtAppTo->setText(m_reg.getString(QStringLiteral("txtAppTo")));
}

bool frmContact::refuse(int message, const QString& tab, QWidget* focus, const QString& placeholder)
{
    TabControl1->SelectTab(tab);
    focus->setFocus();
    const QString text = g_sTrans(message);
    ShowMessage(placeholder.isNull() ? text : ReplacePlaceholder(text, placeholder), false);
    return false;
}

bool frmContact::entriesPass()
{
    const QString general = QStringLiteral("General");
    const QString name = txtContactName->text();
    const QString number = txtCallerNumber->text();
    if (name.isEmpty())
        return refuse(850, general, txtContactName);
    if (utf8Size(name) > 32)
        return refuse(851, general, txtContactName);
    if (utf8Size(txtCallerName->text()) > 40)
        return refuse(852, general, txtCallerName);
    if (utf8Size(number) > 40)
        return refuse(853, general, txtCallerNumber);
    // A contact without a number never matches a call: saved only when the
    // user says so.
    if (trimmed(number).isEmpty()) {
        TabControl1->SelectTab(general);
        txtCallerNumber->setFocus();
        if (ShowMessage(g_sTrans(859), true) != 6)
            return false;
    }
    const bool isNew = NewOrEdit == u"NEW";
    if (isNew || NewOrEdit == u"EDIT") {
        if ((isNew || name != OriginalContact) && ContactExists(trimmed(name)))
            return refuse(854, general, txtContactName);
        if (isNew || number != OriginalCallerNumber) {
            const QString owner = GetContactNameByNumber(trimmed(number));
            if (!owner.isEmpty())
                return refuse(855, general, txtCallerNumber, owner);
        }
    }
    if (utf8Size(TypingLimit::withCrLf(TabNotes->toPlainText())) > 1024)
        return refuse(857, QStringLiteral("Notes"), TabNotes);
    // What takes effect at a call is never stored cut: a cut name, address or
    // command would name another file, recipient or program.
    const QString events = QStringLiteral("Events");
    const QString actions = QStringLiteral("Actions");
    if (ptnSpecificEvents->isChecked()) {
        if (utf8Size(CmbPlayWhen->currentText()) > 64)
            return refuse(847, events, CmbPlayWhen);
        if (utf8Size(TypingLimit::withCrLf(txtTTS->toPlainText())) > 128)
            return refuse(848, events, txtTTS);
    }
    if (ptnSpecificActions->isChecked()) {
        if (utf8Size(txtMailTo->text()) > 64)
            return refuse(849, actions, txtMailTo);
        if (utf8Size(txtAppTo->text()) > 256)
            return refuse(858, actions, txtAppTo);
    }
    return true;
}

void frmContact::cmdOK_Click()
{
    if (!entriesPass())
        return;
    const ContactRecord record = BuildRecord();
    if (record.EventsMode != u"1") {
        m_reg.setSubkey(QStringLiteral("Events\\TabInCommingCall"));
        (void)m_reg.SetRegistryValue(
            QStringLiteral("chkWhenCallerID"), QStringLiteral("1"), RegistryRoutines::REG_SZ);
    }
    if (NewOrEdit == u"NEW") {
        if (AddContactRecord(record) < 0) {
            ShowWriteFailure(g_sTrans(844));
            return;
        }
    } else if (NewOrEdit == u"EDIT") {
        switch (WriteContactRecordIfNamed(record, ContactListIndex, OriginalContact)) {
        case GuardedWrite::Written:
            break;
        case GuardedWrite::OtherContact:
            ShowMessage(ReplacePlaceholder(g_sTrans(845), OriginalContact), false);
            return;
        case GuardedWrite::Failed:
            ShowWriteFailure(g_sTrans(844));
            return;
        }
    }
    if (QObject* list = LoadedForm(QStringLiteral("frmContactList")))
        QMetaObject::invokeMethod(list, "CreateList", Q_ARG(qint32, ContactListIndex));
    if (QObject* details = LoadedForm(QStringLiteral("frmCallDetails")))
        QMetaObject::invokeMethod(details, "GetContact");
    Unload();
}

void frmContact::cmdCancel_Click()
{
    hide();
    ResetContactForm();
}

void frmContact::showPicture(const QString& path)
{
    const QPixmap picture(path);
    if (picture.isNull())
        return;
    Image1->setPixmap(
        picture.scaled(Image1->contentsRect().size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void frmContact::Image1_Click()
{
    OpenFileName& ofn = g_OpenFileName();
    ofn.lpstrFilter.clear();
    const QStringList parts = ahtAddFilterItem(
        QString(), QStringLiteral("Picture Files"), QStringLiteral("*.PNG;*.JPG;*.JPEG;*.GIF;*.BMP"))
                                  .split(QChar(0));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        // Picture names come in any letter case.
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (const QString& pattern : parts[i + 1].split(u';', Qt::SkipEmptyParts))
            patterns << pattern.toLower();
        ofn.lpstrFilter << FileFilter{parts[i], patterns.join(u';')};
    }
    ofn.lpstrTitle = QStringLiteral("Add Contact Picture");
    const SelectedFiles chosen = ShowOpenDialog(this, kCenterOnOwner);
    if (chosen.Cancelled || chosen.Files.isEmpty())
        return;
    const QString path = chosen.Path + chosen.Files.constFirst();
    const std::optional<QString> stored = ContactPictures::store(path);
    if (!stored) {
        std::fprintf(stderr, "Ringvale: cannot copy the picture %s into %s\n", qPrintable(path),
            qPrintable(ContactPictures::folder()));
        return;
    }
    showPicture(path);
    PicFileName = *stored;
}

void frmContact::cmdRemove_Click()
{
    if (Image1->pixmap().isNull())
        return;
    PicFileName.clear();
    Image1->clear();
}

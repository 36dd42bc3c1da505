#pragma once

#include "common/ContactRecord.h"
#include "common/RegistryRoutines.h"
#include "desktop/foundation/cTextBoxXP.h"

#include <QDialog>
#include <QString>

class ClickLabel;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class SoundFileBar;
class TabStrip;
class WaveControl;

// The contact editor: one contact's names and number, picture, marks, its own
// reactions to a call and its own forwarding, and a note, on four pages. Made
// once and kept hidden; OK, Cancel and the close box hide it and reset it to an
// empty contact with the global defaults, until the program exits.
class frmContact : public QDialog {
    Q_OBJECT
public:
    explicit frmContact(QWidget* parent = nullptr);
    ~frmContact() override;

    // "NEW" or "EDIT": which checks OK runs and where the record goes.
    QString NewOrEdit;
    QString OriginalContact;
    QString OriginalCallerNumber;
    QString PicFileName;
    qint32 ContactListIndex = 0;

    // Fills the window from the stored record of an edited contact (the
    // opening steps before showing).
    void LoadContact(const ContactRecord& record);
    // The record OK would write from the window as it stands.
    ContactRecord BuildRecord() const;

    void SetDefaultEvents();
    void SetDefaultNotice();
    static QString ahtAddFilterItem(const QString& strFilter, const QString& strDescription,
        const QString& varItem = QStringLiteral("*.*"));

    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdRemove_Click();
    void Image1_Click();
    void ResetContactForm();
    // The events page's sound list and its tool bar.
    SoundFileBar* soundBar() const { return tlbrCmbPlayerINC; }

    // Page General
    QWidget* TabGeneral = nullptr;
    QLabel* lblSetContact = nullptr;
    QLabel* lblContactName = nullptr;
    QLineEdit* txtContactName = nullptr;
    QLabel* lblCallerName = nullptr;
    QLineEdit* txtCallerName = nullptr;
    QLabel* lblCallerNumber = nullptr;
    QLineEdit* txtCallerNumber = nullptr;
    ClickLabel* Image1 = nullptr;
    ClickLabel* lblAddPic = nullptr;
    ClickLabel* cmdRemove = nullptr;
    QLabel* picErgancy = nullptr;
    QCheckBox* chkMrakAsErgancy = nullptr;
    QLabel* picDrop = nullptr;
    QCheckBox* chkBlock = nullptr;
    // Page Events
    QWidget* TabEvents = nullptr;
    QLabel* lblSetEvents = nullptr;
    QRadioButton* ptnEventsAsDefault = nullptr;
    QRadioButton* ptnNothingEvents = nullptr;
    QRadioButton* ptnSpecificEvents = nullptr;
    QCheckBox* chkViewCD = nullptr;
    QComboBox* cmbCallDisplayStyle = nullptr;
    QCheckBox* chkPlayIn = nullptr;
    QComboBox* CmbPlayWhen = nullptr;
    SoundFileBar* tlbrCmbPlayerINC = nullptr;
    QCheckBox* chkSayInCall = nullptr;
    QPlainTextEdit* txtTTS = nullptr;
    // Page Actions
    QWidget* TabActions = nullptr;
    QLabel* lblSetForward = nullptr;
    QRadioButton* ptnActionAsDefault = nullptr;
    QRadioButton* ptnNothingActions = nullptr;
    QRadioButton* ptnSpecificActions = nullptr;
    QCheckBox* chkSendToMail = nullptr;
    QLabel* lblMailTo = nullptr;
    QLineEdit* txtMailTo = nullptr;
    QCheckBox* chkApp = nullptr;
    QLabel* lblAppPath = nullptr;
    QLineEdit* txtAppTo = nullptr;
    // Page Notes
    QPlainTextEdit* TabNotes = nullptr;

    TabStrip* TabControl1 = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    WaveControl* Wave1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void Form_Load();
    // The caption follows the contact name; a contact without one yet shows
    // what the window is.
    void showCaption(const QString& name);
    void buildGeneralPage();
    void buildEventsPage();
    void buildActionsPage();
    void mirrorForRightToLeft();
    void TabControl1_TabClick(int tab);

    void UpdateEventControls();
    void UpdateDisplayStyleControl();
    void UpdatePlayControls();
    void UpdateSayControls();
    void UpdateActionControls();
    void UpdateMailControls();
    void UpdateAppControls();

    // OK's checks in order; false after showing the first refusal.
    bool entriesPass();
    bool refuse(int message, const QString& tab, QWidget* focus, const QString& placeholder = QString());
    // Hides and resets, or closes for good once the program exits.
    void Unload();
    void showPicture(const QString& path);

    cTextBoxXP m_textBox;
    RegistryRoutines m_reg;
    QHBoxLayout* m_soundHost = nullptr;
};

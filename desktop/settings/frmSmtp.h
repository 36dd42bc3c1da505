#pragma once

#include "common/RegistryRoutines.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The SMTP window: how forwarded calls are mailed, through the mail program
// (MAPI "1") or the service's own SMTP with a server, a user name and a
// password. Made at each opening; OK stores the four values, Cancel nothing.
class frmSmtp : public QDialog {
    Q_OBJECT
public:
    explicit frmSmtp(QWidget* parent = nullptr);

    void cmdOK_Click();
    void cmdCancel_Click();

    QLabel* lblSMTP_Description = nullptr;
    QRadioButton* ptnMapi = nullptr;
    QRadioButton* ptnAppSMTP = nullptr;
    QLabel* lblSMTP = nullptr;
    QLineEdit* txtSMTP = nullptr;
    // Shown as laid out; its state means nothing and is never stored.
    QCheckBox* chkUserNamePassServer = nullptr;
    QLabel* lblUserName = nullptr;
    QLineEdit* txtSMTPUserName = nullptr;
    QLabel* lblPass = nullptr;
    QLineEdit* txtSMTPPass = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    void Form_Load();
    void buildControls();
    void mirrorForRightToLeft();
    void UpdateSmtpControls();

    RegistryRoutines m_reg;
};

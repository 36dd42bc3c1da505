#pragma once

#include "common/RegistryRoutines.h"

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The mail details window: the sender of the service's own mails and the
// subject and message templates of a forwarded call. Made at each opening;
// OK stores the three texts as typed, Cancel nothing.
class frmMailDetails : public QDialog {
    Q_OBJECT
public:
    explicit frmMailDetails(QWidget* parent = nullptr);

    // The subject "Restore default" offers; the message is the first start's.
    static QString DefaultSubject();

    void cmdDefault_Click();
    void cmdParameters_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    QLabel* lblFromMail = nullptr;
    QLineEdit* txtFromMail = nullptr;
    QLabel* lblSubject = nullptr;
    QLineEdit* txtSubject = nullptr;
    QLabel* lblMailMessage = nullptr;
    QPlainTextEdit* txtMessage = nullptr;
    QPushButton* cmdDefault = nullptr;
    QPushButton* cmdParameters = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    void Form_Load();
    void buildControls();
    void mirrorForRightToLeft();

    RegistryRoutines m_reg;
    QString m_storedMessage;
};

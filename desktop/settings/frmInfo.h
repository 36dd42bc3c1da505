#pragma once

#include "common/RegistryRoutines.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// A title and a longer text with OK, and a "don't show this message again"
// box whose answer OK stores under the product key's value sReg. Made at
// each opening; OK, Escape and the close box end it; only OK stores.
class frmInfo : public QDialog {
    Q_OBJECT
public:
    explicit frmInfo(QWidget* parent = nullptr);

    // The value under the product key that OK writes "1" or "0" into; empty
    // stores nothing.
    QString sReg;

    QLabel* Image1 = nullptr;
    QLabel* lblTitle = nullptr;
    QPlainTextEdit* txtDetails = nullptr;
    QCheckBox* chkDontShowAgain = nullptr;
    QPushButton* cmdOK = nullptr;

    void cmdOK_Click();

private:
    RegistryRoutines m_reg;
};

// The exit note of service mode: closing the desktop leaves the service
// running; the box stores the answer under "ServiceMSG".
void ShowServiceExitNote(QWidget* owner);

#pragma once

#include "common/RegistryRoutines.h"
#include "desktop/foundation/cTextBoxXP.h"

#include <QDialog>

class QCheckBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class TabStrip;

// The remote-access window: whether the service's web server runs, on which
// port, and whether a browser must give a user name and password. Made at
// each opening; OK stores the five values and tells the service to open or
// close its server, Test stores them and opens the local start page.
class frmAccess : public QDialog {
    Q_OBJECT
public:
    explicit frmAccess(QWidget* parent = nullptr);

    void chkAllowWWWRemoteAccess_Click();
    void chkWWWProtect_Click();
    void cmdOK_Click();
    void cmdTest_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();

    // Gap between the port box and its label, in pixels (100 twips).
    static constexpr int kPortGap = 7;

    TabStrip* TabControl1 = nullptr;
    QWidget* TabWeb = nullptr;
    QLabel* lblWeb = nullptr;
    QCheckBox* chkAllowWWWRemoteAccess = nullptr;
    QLabel* lblOpenPort = nullptr;
    QLineEdit* txtWWWPort = nullptr;
    QCheckBox* chkWWWProtect = nullptr;
    QLabel* lblUserName = nullptr;
    QLineEdit* txtWWWUserName = nullptr;
    QLabel* lblPass = nullptr;
    QLineEdit* txtWWWPass = nullptr;
    QLabel* lblTip = nullptr;
    QPushButton* cmdTest = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdHelp = nullptr; // keeps its caption in every language

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void buildPage();
    void mirrorForRightToLeft();
    void loadValues();
    // The five values as the controls hold them; false when one failed.
    bool storeValues();
    // An empty port is stored as 80, the port the browser would take.
    void applyDefaultPort();
    bool txtWWWPort_KeyPress(QKeyEvent* event);

    RegistryRoutines m_reg;
    cTextBoxXP m_cTextBoxXP;
};

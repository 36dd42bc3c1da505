#pragma once

#include "desktop/foundation/HubLink.h"

#include <QDialog>
#include <QTimer>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The hub form of the desktop. Normally hidden for the whole run; shown (by
// the properties window) it is the "Service Manager" panel, which installs,
// removes, starts and stops the service as a systemd user unit. It is the
// program's link to the service (udiOut, sCallStatus) from construction on.
class frmProc : public QDialog, public HubLink {
    Q_OBJECT
public:
    explicit frmProc(QWidget* parent = nullptr);
    ~frmProc() override;
    frmProc(const frmProc&) = delete;
    frmProc& operator=(const frmProc&) = delete;

    // Sets g_sAppFolder, matches the account fields to the System Account
    // box and starts the check timer.
    void Form_Load();

    // Installs and starts the service; service mode is on afterwards exactly
    // when the unit is installed.
    void InstallRunServ();
    // Stops and removes the service; service mode is off afterwards exactly
    // when the unit is gone.
    void UnInstallRunServ();

    // Captions and enabled states of the panel from the unit's existence and
    // state.
    void RefreshServiceButtons();
    void chkSystem_Click();
    void cmdInstall_Click();
    void cmdStart_Click();
    void tmrCheck_Timer();

    QCheckBox* const chkSystem;
    QLabel* const lblAccount;
    QLineEdit* const txtAccount;
    QLabel* const lblPassword;
    QLineEdit* const txtPassword;
    QPushButton* const cmdInstall;
    QPushButton* const cmdStart;
    // Refreshes the panel every second from Form_Load on, shown or not.
    QTimer tmrCheck;

    // The service state last read (ServiceGetState).
    qint32 lServiceState = 0;
    // The unit was installed at the last refresh.
    bool bServiceInstalled = false;

protected:
    // Closing the panel only hides it: the hub lives for the whole run.
    void closeEvent(QCloseEvent* event) override;

private:
    // Polls the service state, storing it in lServiceState, until it is state
    // or 30 s of the clock have passed; no event runs meanwhile. True when it
    // came.
    bool WaitForServiceState(qint32 state);
};

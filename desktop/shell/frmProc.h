#pragma once

#include "desktop/foundation/HubLink.h"

#include <QDialog>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <optional>

class ProgramLauncher;
class frmMAPI;

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The hub form of the desktop. Normally hidden for the whole run; shown (by
// the properties window) it is the "Service Manager" panel, which installs,
// removes, starts and stops the service as a systemd user unit. It is the
// program's link to the service (udiOut, sCallStatus) from construction on;
// loaded under a loaded main window it binds the desktop's seven channels,
// starts or restarts the service as its mode needs and greets it.
class frmProc : public QDialog, public HubLink {
    Q_OBJECT
public:
    explicit frmProc(QWidget* parent = nullptr);
    ~frmProc() override;
    frmProc(const frmProc&) = delete;
    frmProc& operator=(const frmProc&) = delete;

    // Sets g_sAppFolder, matches the account fields to the System Account
    // box and starts the check timer. Under a loaded main window it then
    // takes service mode from a running service, links (RunApp) and says
    // "HELLO", twice more a second apart; without one it links nothing.
    void Form_Load();

    // Plain mode: binds the seven channels and starts the service program
    // beside this one with "-gc". Service mode: binds them and, when the
    // service runs but cannot be reached, restarts it.
    void RunApp();
    // A second instance's request: "UnLoad_Me" to the running one on 307.
    void UnLoadApp();
    void tmrHello_Timer();
    // The line-event receivers (frmProcEvents.cpp): the events channel
    // (307), the caller ID (309) and the end of a call (310). Each splits the
    // text into its lines and dispatches it by line 0; a line that is missing
    // or does not convert skips only the step that needs it.
    void udiIn_MessageArrived(const QString& text);
    void uDiCallerID_MessageArrived(const QString& text);
    void udiIdle_MessageArrived(const QString& text);
    // Panel 3 of the main window's status bar.
    void AddToLineDisplayStatusBar(const QString& sStr);

    // The once-per-call actions (CallerDisplay.cpp): the caller announced,
    // and the end of a call.
    void DoInCallActions();
    void DoEndCallActions();
    // The current call, "UNKNOWN" until its caller ID.
    QString sCallerName;
    QString sCallerNumber;
    QString sContactName;
    QString sPictureFile;
    // The 3 s between the end of a call and the new greeting.
    static constexpr qint64 kGreetAfterIdleMs = 3000;

    // The mail channel: a "SendMail" of five fields or more is queued.
    void udiMail_MessageArrived(const QString& text);

    // Loads the mail form (form, or a new one), starts its Postrun and makes
    // it the program's mail queue; then hears the mail channel.
    void LoadMailForm(std::unique_ptr<frmMAPI> form = {});
    // Tells Postrun that the program ends; the waiting mails are dropped.
    void UnloadMailForm();
    frmMAPI* MailForm() const { return m_frmMAPI.get(); }

    // The service program started in plain mode; empty: RingvaleSvc beside
    // this program (g_sAppFolder).
    QString sServiceProgram;
    // Starts the service program; the program's own detached launcher unless
    // a test set another.
    std::unique_ptr<ProgramLauncher> launcher;

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
    // Greets the service again, every second, twice.
    QTimer tmrHello;
    qint32 lHelloCount = 0;

    // The other six channels; udiOut (308) is the hub link's.
    MessageControl udiProc; // 305
    MessageControl uDiTTS; // 306
    MessageControl udiIn; // 307
    MessageControl uDiCallerID; // 309
    MessageControl udiIdle; // 310
    MessageControl udiMail; // 311

    // The service state last read (ServiceGetState).
    qint32 lServiceState = 0;
    // The unit was installed at the last refresh.
    bool bServiceInstalled = false;

protected:
    // Closing the panel only hides it: the hub lives for the whole run.
    void closeEvent(QCloseEvent* event) override;

private:
    // Line events (frmProcEvents.cpp).
    void OnIncomingCall();
    void OnModemIncomingCall();
    void OnRing(qint32 RingCount);
    void OnCallConnected();
    void OnCallDisconnected();
    void OnMonitorDigit(const QString& Digit);
    void OnLineDialing();
    void OnLineStatus(qint32 LineState, bool AutoMode);
    // The caller display (CallerDisplay.cpp); the fields are lines 2 to 8.
    void OnCallerId(const QStringList& fields);
    void OnModemCallerId(const QStringList& fields);
    void OnLineIdle();
    void OnModemLineIdle();
    // Starts the greeting timer once the clock has moved on by ms.
    void GreetAfter(qint64 ms);
    // A contact's display settings hold for its own call only; each call
    // starts from the stored ones (g_bDisplayIC, sCallDisplay).
    bool CallDisplayIC() const;
    qint32 CallDisplayStyle() const;
    std::optional<bool> m_callDisplayIC;
    std::optional<qint32> m_callDisplayStyle;

    // Polls the service state, storing it in lServiceState, until it is state
    // or 30 s of the clock have passed; no event runs meanwhile. True when it
    // came.
    bool WaitForServiceState(qint32 state);
    void BindAll();
    void RestartUnreachableService();

    std::unique_ptr<frmMAPI> m_frmMAPI;
};

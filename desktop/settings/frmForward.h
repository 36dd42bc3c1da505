#pragma once

#include "common/RegistryRoutines.h"
#include "platform/SmtpMailControl.h"

#include <QDialog>
#include <QString>

#include <memory>

class ProgramLauncher;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QLineEdit;
class TabStrip;

// The forwarding window: whether the service mails every finished call and
// whether it starts a program with the call's details, with the recipient and
// the command line. It opens the mail details and SMTP windows, sends a test
// mail through the chosen transport and starts the command once as a test.
// Made at each opening; OK checks and stores, Cancel stores nothing.
class frmForward : public QDialog {
    Q_OBJECT
public:
    // mail: the control the test mail goes through (adopted); null for the
    // program's own SMTP mailer.
    explicit frmForward(QWidget* parent = nullptr, SmtpMailControl* mail = nullptr);
    ~frmForward() override;

    // The sender of the SMTP test mail, on a domain reserved for examples.
    static QString TestMailSender();

    void chkSendToMail_Click();
    void chkApp_Click();
    void TabControl1_TabClick(int tab);
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();
    void lblAppParm_Click();
    void cmdMailDetails_Click();
    void cmdSmtp_Click();
    void cmdTestMail_Click();
    void cmdTestApp_Click();

    TabStrip* TabControl1 = nullptr;
    QWidget* TabMail = nullptr;
    QLabel* lblMail = nullptr;
    QCheckBox* chkSendToMail = nullptr;
    QLabel* lblMailTo = nullptr;
    QLineEdit* txtMailTo = nullptr;
    QPushButton* cmdSmtp = nullptr;
    QPushButton* cmdMailDetails = nullptr;
    QPushButton* cmdTestMail = nullptr;
    QLabel* lblMailTester = nullptr;
    QWidget* TabApp = nullptr;
    QLabel* lblApp = nullptr;
    QCheckBox* chkApp = nullptr;
    QLabel* lblAppPath = nullptr;
    QPlainTextEdit* txtAppTo = nullptr;
    QCheckBox* chkBGAPP = nullptr;
    QPushButton* lblAppParm = nullptr;
    QPushButton* cmdTestApp = nullptr;
    QLabel* lblAppResults = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdHelp = nullptr;

private:
    void Form_Load();
    void buildMailPage();
    void buildAppPage();
    void mirrorForRightToLeft();
    void loadValues();
    bool storeValues();
    // The recipient and the transport, as OK and the test mail check them:
    // false, after telling the user and opening what must be filled in,
    // when the command must end.
    bool recipientPasses();
    bool transportChosen();
    QString commandLine() const;

    void Mail1_Progress(SmtpMailControl::MailId id, qint64 total, qint64 done);
    void Mail1_Done(SmtpMailControl::MailId id);
    void Mail1_Failed(SmtpMailControl::MailId id, int errorNumber, const QString& errorText);

    RegistryRoutines m_reg;
    // Dies with the window, so no event of a mail still on its way reaches
    // a window that is gone.
    std::unique_ptr<SmtpMailControl> Mail1;
    std::unique_ptr<ProgramLauncher> m_launcher;
    QString m_storedCommand;
};

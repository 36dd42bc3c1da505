#pragma once

#include "desktop/foundation/DialerFeedback.h"

#include <QDialog>
#include <QTimer>

class QComboBox;
class QLabel;
class QPushButton;
class QStatusBar;

// The keypad window that dials through the service: Send dials, the green
// square dials and records, End hangs up, each only while the service
// listens on the command channel. The numbers dialled last are kept in
// Data/DialCalls, newest first. While it is open it is the loaded dialer the
// hub's line events drive.
class frmDialer : public QDialog, public DialerFeedback {
    Q_OBJECT
public:
    static constexpr int kMaxNumbers = 30;

    explicit frmDialer(QWidget* owner = nullptr);
    ~frmDialer() override;

    // The number box's text (the contact list sets it before showing the
    // window); control characters are left out.
    void SetNumber(const QString& number);

    void cndSend_Click();
    void cmdRecCall_Click(); // a click on Picture1
    void cmdEnd_Click();
    // One keypad button: its character goes to the end of the number.
    void Keypad_Click(QChar key);
    void Timer1_Timer();
    QString PanelText() const;

    // Loads the box's list from Data/DialCalls and selects the first number.
    static void FillCombInLastCalls(QComboBox& combo);
    // Puts the box's text on top of Data/DialCalls.
    static void RangeComboLastCalls(QComboBox& combo);
    // Data/DialCalls as a native path.
    static QString DialCallsPath();

    // DialerFeedback
    QString NumberText() const override;
    void DisableDialButtons() override;
    void SetStatusText(const QString& text) override;
    void CallReady() override;
    void StartSecondsCounter() override;
    void CallEnded() override;

    void done(int result) override;

    QComboBox* cmbCallNumber = nullptr;
    QPushButton* cndSend = nullptr;
    QPushButton* cmdEnd = nullptr;
    QPushButton* cmdRecCall = nullptr; // never shown; Picture1 runs its command
    QWidget* Picture1 = nullptr;
    QWidget* Picture2 = nullptr;
    QStatusBar* vbalStatusBar1 = nullptr;
    QLabel* panel1 = nullptr;
    QTimer Timer1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Whether the service listens on the command channel now (Channel(308)
    // of the hub's endpoint); asked before every send.
    virtual bool CommandChannelReady();

private:
    // Steps 1 to 5 of both call commands; the number, or empty to stop.
    QString prepareCall();
    void withdraw();

    bool m_callBoxOpen = false;
};

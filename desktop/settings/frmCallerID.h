#pragma once

#include "common/RegistryRoutines.h"

#include <QByteArray>
#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class SerialPort;
struct SerialPortStatus;

// The caller-ID set-up: the detection mode (the line device's caller ID or
// the modem's AT commands), the AT scenario, and a test that plays the
// scenario to the modem's port and shows all it answers. Made at each
// opening and unloaded on close; while it is open the service's line is off,
// and the state before is sent back when it closes.
class frmCallerID : public QDialog {
    Q_OBJECT
public:
    explicit frmCallerID(QWidget* parent = nullptr);
    ~frmCallerID() override;

    // Name of the line under test, written by the opening.
    QString sDeviceName;
    // The serial port of that line; empty when it has none or no line of
    // the chosen name was found.
    QString sPortPath;
    // The line state to send back on closing: 0 on, 1 off, 2 the daily window.
    qint16 nLineState = 0;

    // The opening's steps after the load: the line state remembered, the
    // line switched off, and every line named modemDev asked for its port.
    void Open(const QString& modemDev);

    void LoadScenarioFile();
    void SaveScenarioFile();
    void EnableByDetectionMode();
    void FillATCommands();
    void CommConnect(const QString& port, const QString& sCommand);
    void HandleModemResponse(const QByteArray& line);
    // Bytes from the modem, one character at a time.
    void MSComm1_OnComm(const QByteArray& bytes);

    void cmdTestATCommand_Click();
    void cmdClearResults_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    // The box's text with CR LF line ends, as the file and the test take it.
    QString ScenarioText() const;
    void SetScenarioText(const QString& text);
    // All the report holds, as the modem sent it and the window added it.
    QByteArray Report() const { return m_report; }
    QStringList ATCommands() const { return colATCommands; }
    bool PortOpen() const;
    // True from the start of the closing steps.
    bool Closing() const { return m_closing; }

    QLabel* Label1 = nullptr;
    QComboBox* cmbCallerIDMode = nullptr;
    QFrame* Shape1 = nullptr;
    QLabel* lblATCommands = nullptr;
    QLabel* lblExplain = nullptr;
    QPlainTextEdit* txtScenario = nullptr;
    QPushButton* cmdTestATCommand = nullptr;
    QPlainTextEdit* txtReport = nullptr;
    QPushButton* cmdClearResults = nullptr;
    QLabel* lblTip = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    // Escape: as Cancel.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void appendReport(const QByteArray& bytes);
    void reportOpenFailure(const SerialPortStatus& status);
    void sendCommand(const QString& command);
    // The closing steps, once however the window is closed.
    void Unload(int result);
    void enableClosingButtons(bool enabled);

    RegistryRoutines m_reg;
    SerialPort* MSComm1 = nullptr;
    QStringList colATCommands;
    QByteArray sModemLine;
    bool bSkipNext = false;
    QByteArray m_report;
    bool m_closing = false;
    bool m_unloaded = false;
};

// The properties window's "Caller-ID feature": loads the window, opens it on
// the line the properties window shows, and returns when it has closed.
void ShowCallerIDSetup(QWidget* owner);

#include "desktop/settings/frmCallerID.h"

#include "common/ProgramPath.h"
#include "common/SharedFile.h"
#include "common/Waits.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/Translation.h"
#include "desktop/foundation/WindowUtilities.h"
#include "desktop/foundation/mdlModemState.h"
#include "desktop/settings/MainDevices.h"
#include "desktop/settings/frmProperties.h"
#include "platform/Backends.h"
#include "platform/SerialPort.h"
#include "platform/TelephonyControl.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <cstdio>

namespace {

const QString kScenarioFile = QStringLiteral("\\AT_Commands_Scenario.txt");
const QString kCallerIdKey = QStringLiteral("Properties\\TabDevices\\CallerID");
// A scenario is a few commands; more than this is not one.
constexpr qint64 kMaxScenarioBytes = 64 * 1024;
constexpr char kDLE = 16;
constexpr char kCR = 13;
constexpr qint32 kClosingPauseTenths = 10;

template<class W>
void caption(W* widget, int entry)
{
    const QString text = g_sTrans(entry);
    if (!text.isEmpty())
        widget->setText(text);
}

void sayOnce(bool& said, const QString& what)
{
    if (said)
        return;
    said = true;
    std::fprintf(stderr, "Ringvale: %s\n", what.toLocal8Bit().constData());
    std::fflush(stderr);
}

// The report as the box shows it: line ends as lines, and other control
// characters (a DLE and what follows it, say) as their visible pictures.
QString shownReport(const QByteArray& report)
{
    QString shown = QString::fromUtf8(report);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    for (QChar& c : shown) {
        if (c.unicode() < 0x20 && c != u'\n' && c != u'\t')
            c = QChar(0x2400 + c.unicode());
    }
    return shown;
}

} // namespace

frmCallerID::frmCallerID(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCallerID"));
    setWindowTitle(QStringLiteral("Caller ID"));
    Label1 = named(
        new QLabel(QStringLiteral("Set how the caller ID is detected: line device or AT commands."), this),
        "Label1");
    cmbCallerIDMode = named(new QComboBox(this), "cmbCallerIDMode");
    Shape1 = named(new QFrame(this), "Shape1");
    lblATCommands = named(new QLabel(QStringLiteral("AT Commands"), Shape1), "lblATCommands");
    lblExplain = named(new QLabel(QStringLiteral("One AT command per line"), Shape1), "lblExplain");
    txtScenario = named(new QPlainTextEdit(Shape1), "txtScenario");
    txtScenario->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtScenario->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtScenario->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    cmdTestATCommand = named(new QPushButton(QStringLiteral("Test"), Shape1), "cmdTestATCommand");
    txtReport = named(new QPlainTextEdit(Shape1), "txtReport");
    txtReport->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtReport->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtReport->setReadOnly(true);
    cmdClearResults = named(new QPushButton(QStringLiteral("Clear Results"), Shape1), "cmdClearResults");
    lblTip = named(
        new QLabel(QStringLiteral("TIP: After you Test the scenario of the AT Commands, you can make a "
                                  "call to the line and see in the Results if the Caller ID "
                                  "information has been detected."),
            Shape1),
        "lblTip");
    lblTip->setWordWrap(true);
    cmdOK = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");
    cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel");
    cmdOK->setAutoDefault(false);
    cmdCancel->setAutoDefault(false);

    auto* area = new QVBoxLayout(Shape1);
    area->addWidget(lblATCommands);
    area->addWidget(lblExplain);
    area->addWidget(txtScenario, 1);
    auto* testRow = new QHBoxLayout;
    testRow->addWidget(cmdTestATCommand);
    testRow->addStretch(1);
    testRow->addWidget(cmdClearResults);
    area->addLayout(testRow);
    area->addWidget(txtReport, 2);
    area->addWidget(lblTip);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(cmbCallerIDMode);
    layout->addWidget(Shape1, 1);
    layout->addLayout(buttons);
    resize(460, 520);

    MSComm1 = CreateSerialPort(this);
    connect(MSComm1, &SerialPort::Received, this, &frmCallerID::MSComm1_OnComm);
    connect(MSComm1, &SerialPort::Failed, this, &frmCallerID::reportOpenFailure);

    Form_Load();

    connect(cmbCallerIDMode, &QComboBox::currentIndexChanged, this, &frmCallerID::EnableByDetectionMode);
    connect(cmbCallerIDMode, &QComboBox::activated, this, &frmCallerID::EnableByDetectionMode);
    connect(cmdTestATCommand, &QPushButton::clicked, this, &frmCallerID::cmdTestATCommand_Click);
    connect(cmdClearResults, &QPushButton::clicked, this, &frmCallerID::cmdClearResults_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmCallerID::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmCallerID::cmdCancel_Click);
}

frmCallerID::~frmCallerID()
{
    if (MSComm1 && MSComm1->isOpen())
        MSComm1->close();
}

void frmCallerID::Form_Load()
{
    // 1
    if (g_bRTL()) {
        setLayoutDirection(Qt::RightToLeft);
        cmbCallerIDMode->setLayoutDirection(Qt::RightToLeft);
        for (QLabel* label : {lblExplain, lblATCommands}) {
            label->setLayoutDirection(Qt::RightToLeft);
            label->setAlignment(Qt::AlignAbsolute | Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    // 2
    LoadScenarioFile();
    // 3
    const QString title = g_sTrans(616);
    if (!title.isEmpty())
        setWindowTitle(title);
    cmbCallerIDMode->clear();
    cmbCallerIDMode->addItem(g_sTrans(617));
    cmbCallerIDMode->addItem(g_sTrans(618));
    caption(lblExplain, 619);
    caption(lblATCommands, 620);
    caption(cmdTestATCommand, 621);
    caption(cmdOK, 11);
    caption(cmdCancel, 12);
    // 4
    m_reg = RegistryRoutines::forProduct(kCallerIdKey);
    cmbCallerIDMode->setCurrentIndex(m_reg.getString(QStringLiteral("Tapi")) == u"1" ? 0 : 1);
    // 5
    EnableByDetectionMode();
}

void frmCallerID::Open(const QString& modemDev)
{
    nLineState = g_bAutoMode ? 2 : (g_bLineOff ? 1 : 0);
    SendModemState(1, QString(), QString());
    TelephonyControl& tapi = CurrentMainDevices().Tapi1();
    const qint32 count = tapi.DeviceCount();
    for (qint32 i = 0; i < count; ++i) {
        tapi.setCurrentLine(i);
        DeviceCaps caps;
        (void)tapi.GetDeviceCaps(caps);
        if (caps.DeviceName != modemDev)
            continue;
        (void)tapi.LineOpen(LinePrivilege::Monitor, 16);
        sDeviceName = caps.DeviceName;
        sPortPath = tapi.GetDeviceID(LineDeviceClass::SerialPort);
        m_report = "Results for - Device Name: " + sDeviceName.toUtf8();
        if (!sPortPath.isEmpty())
            m_report += "\r\nPort: " + sPortPath.toUtf8() + "\r\n";
        else
            m_report += "\r\nThis device may not support AT-Commands\r\n";
        appendReport({});
        (void)tapi.LineDrop();
        (void)tapi.LineShutdown();
    }
}

void frmCallerID::LoadScenarioFile()
{
    static bool saidRead = false;
    txtScenario->clear();
    const std::optional<QString> path = ProgramPath::toNative(kScenarioFile);
    if (!path)
        return;
    if (!QFile::exists(*path)) {
        QFile created(*path);
        if (!created.open(QIODevice::WriteOnly))
            sayOnce(saidRead, QStringLiteral("the AT scenario file cannot be made: ") + *path);
        return;
    }
    const std::optional<QByteArray> bytes = SharedFile::readBounded(*path, kMaxScenarioBytes);
    if (!bytes) {
        sayOnce(saidRead, QStringLiteral("the AT scenario file cannot be read: ") + *path);
        return;
    }
    // A line ends at CR LF, CR or LF; the lines come back joined by CR LF.
    QByteArrayList lines;
    QByteArray line;
    for (qsizetype i = 0; i < bytes->size(); ++i) {
        const char c = bytes->at(i);
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < bytes->size() && bytes->at(i + 1) == '\n')
                ++i;
            lines << line;
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.isEmpty())
        lines << line;
    const QString text = QString::fromUtf8(lines.join("\r\n"));
    if (text.size() > 2)
        SetScenarioText(text);
}

void frmCallerID::SaveScenarioFile()
{
    static bool saidWrite = false;
    const std::optional<QString> path = ProgramPath::toNative(kScenarioFile);
    if (!path) {
        sayOnce(saidWrite, QStringLiteral("the AT scenario file cannot be written: ") + kScenarioFile);
        return;
    }
    if (!SharedFile::writeAtomically(*path, ScenarioText().toUtf8() + "\r\n"))
        ShowWriteFailure(QStringLiteral("The AT scenario file was not saved"));
}

QString frmCallerID::ScenarioText() const
{
    QString text = txtScenario->toPlainText();
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}

void frmCallerID::SetScenarioText(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    txtScenario->setPlainText(shown);
}

void frmCallerID::EnableByDetectionMode()
{
    const bool atCommands = cmbCallerIDMode->currentIndex() != 0;
    for (QWidget* widget : std::initializer_list<QWidget*>{
             lblExplain, lblATCommands, txtScenario, cmdClearResults, cmdTestATCommand, txtReport})
        widget->setEnabled(atCommands);
    Shape1->setFrameShape(atCommands ? QFrame::Box : QFrame::NoFrame);
    lblTip->setVisible(atCommands);
}

void frmCallerID::FillATCommands()
{
    colATCommands.clear();
    for (const QString& line : ScenarioText().split(QStringLiteral("\r\n"))) {
        if (!line.isEmpty() && !line.startsWith(u'\''))
            colATCommands << line;
    }
}

void frmCallerID::cmdTestATCommand_Click()
{
    FillATCommands();
    if (colATCommands.isEmpty())
        return;
    CommConnect(sPortPath, colATCommands.first());
}

void frmCallerID::CommConnect(const QString& port, const QString& sCommand)
{
    if (MSComm1->isOpen())
        MSComm1->close();
    // An empty path opens nothing: the port's own error says so.
    const SerialPortStatus opened = MSComm1->open(port);
    if (!opened.ok()) {
        reportOpenFailure(opened);
        return;
    }
    if (!MSComm1->isOpen()) {
        appendReport("\r\nCannot open comm port " + port.toUtf8() + "\r\n");
        return;
    }
    sendCommand(sCommand);
}

void frmCallerID::sendCommand(const QString& command)
{
    const SerialPortStatus sent = MSComm1->write(command.toUtf8() + kCR);
    if (!sent.ok())
        reportOpenFailure(sent);
}

void frmCallerID::reportOpenFailure(const SerialPortStatus& status)
{
    QByteArray text;
    if (status.code == SerialPortResult::AlreadyOpen)
        text = "Unable to connect to modem, port already open.";
    else if (status.code == SerialPortResult::Busy)
        text = "The device already open - " + QByteArray::number(status.code)
            + "\r\nMake sure other application doesn't use the device.";
    else
        text = QByteArray::number(status.code) + ' ' + status.text.toUtf8();
    appendReport("\r\n" + text + "\r\n");
}

bool frmCallerID::PortOpen() const
{
    return MSComm1->isOpen();
}

void frmCallerID::MSComm1_OnComm(const QByteArray& bytes)
{
    for (const char c : bytes) {
        appendReport(QByteArray(1, c));
        if (bSkipNext) {
            bSkipNext = false;
        } else if (c == kDLE) {
            bSkipNext = true;
        } else if (c == kCR) {
            const QByteArray line = sModemLine;
            sModemLine.clear();
            HandleModemResponse(line);
        } else {
            sModemLine += c;
        }
    }
}

void frmCallerID::HandleModemResponse(const QByteArray& line)
{
    if (line.isEmpty())
        return;
    // The modem answers CR LF "OK" CR LF: the LF that followed the last CR
    // is the line's first character.
    const QByteArray answer = line.mid(1, 4);
    if (answer != "OK" && answer != "ERRO")
        return;
    if (colATCommands.isEmpty())
        return;
    colATCommands.removeFirst();
    if (!colATCommands.isEmpty())
        sendCommand(colATCommands.first());
}

void frmCallerID::appendReport(const QByteArray& bytes)
{
    m_report += bytes;
    txtReport->setPlainText(shownReport(m_report));
    txtReport->moveCursor(QTextCursor::End);
    txtReport->verticalScrollBar()->setValue(txtReport->verticalScrollBar()->maximum());
}

void frmCallerID::cmdClearResults_Click()
{
    m_report.clear();
    appendReport({});
}

void frmCallerID::cmdOK_Click()
{
    if (m_closing)
        return;
    m_reg.setSubkey(kCallerIdKey);
    if (txtScenario->toPlainText().isEmpty())
        txtScenario->setPlainText(QStringLiteral("AT"));
    const bool tapi = cmbCallerIDMode->currentIndex() == 0;
    if (!m_reg.setString(QStringLiteral("Tapi"), tapi ? QStringLiteral("1") : QStringLiteral("0"))) {
        static bool said = false;
        sayOnce(said, QStringLiteral("the caller-ID mode cannot be stored in ") + kCallerIdKey);
    }
    SaveScenarioFile();
    Unload(QDialog::Accepted);
}

void frmCallerID::cmdCancel_Click()
{
    Unload(QDialog::Rejected);
}

void frmCallerID::reject()
{
    Unload(QDialog::Rejected);
}

void frmCallerID::closeEvent(QCloseEvent* event)
{
    if (m_unloaded) {
        event->accept();
        return;
    }
    // The close box runs the closing steps itself, once.
    event->ignore();
    Unload(QDialog::Rejected);
}

void frmCallerID::enableClosingButtons(bool enabled)
{
    if (frmProperties* properties = LoadedPropertiesWindow()) {
        properties->cmdOK->setEnabled(enabled);
        properties->cmdCancel->setEnabled(enabled);
    }
}

void frmCallerID::Unload(int result)
{
    // A second close during the pauses would send the line state twice.
    if (m_closing)
        return;
    m_closing = true;
    enableClosingButtons(false);
    cmdOK->setEnabled(false);
    cmdCancel->setEnabled(false);
    if (MSComm1->isOpen())
        MSComm1->close();
    TelephonyControl& tapi = CurrentMainDevices().Tapi1();
    (void)tapi.LineDrop();
    (void)tapi.LineShutdown();
    Pause(kClosingPauseTenths);
    if (nLineState == 2)
        SendModemState(2, g_sTimeOn, g_sTimeOff);
    else
        SendModemState(nLineState, QString(), QString());
    enableClosingButtons(true);
    Pause(kClosingPauseTenths);
    m_unloaded = true;
    QDialog::done(result);
}

void ShowCallerIDSetup(QWidget* owner)
{
    frmProperties* properties = LoadedPropertiesWindow();
    const QString modemDev = properties ? properties->cmbModemDev->currentText() : QString();
    frmCallerID form(owner);
    form.Open(modemDev);
    form.exec();
}

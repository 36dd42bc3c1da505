#include "desktop/settings/frmCallerID.h"

#include "platform/FakeModem.h"
#include "platform/SystemSerialPort.h"
#include "tests/desktop/settings/PropertiesFixture.h"
#include "tests/support/ChannelListener.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/widgets/WidgetShots.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Named lines with the serial port each reports; records what was done to
// them, in order.
class PortLines final : public TelephonyControl {
public:
    struct Line {
        QString name;
        QString port;
    };
    QList<Line> lines;
    QStringList actions;

    qint32 Initialize() override { return 0; }
    QString ErrorText(qint32) const override { return {}; }
    qint32 DeviceCount() const override { return qint32(lines.size()); }
    qint32 GetDeviceCaps(DeviceCaps& caps) const override
    {
        caps = DeviceCaps();
        if (CurrentLine() < 0 || CurrentLine() >= lines.size())
            return LineResult::BadDevice;
        caps.DeviceName = lines.at(CurrentLine()).name;
        return LineResult::Ok;
    }
    bool IsLineOpen() const override { return false; }
    qint32 LineOpen(qint32 privileges, qint32 media) override
    {
        actions << u"open %1 %2 %3"_s.arg(CurrentLine()).arg(privileges).arg(media);
        return LineResult::Ok;
    }
    qint32 LineClose() override { return LineResult::Ok; }
    qint32 LineShutdown() override
    {
        actions << u"shutdown"_s;
        return LineResult::Ok;
    }
    QString GetDeviceID(qint32 deviceClass) const override
    {
        if (deviceClass != LineDeviceClass::SerialPort || CurrentLine() >= lines.size())
            return {};
        return lines.at(CurrentLine()).port;
    }
    qint32 LineDial(const QString&) override { return LineResult::NotOpen; }
    qint32 LineAnswer() override { return LineResult::NotOpen; }
    qint32 LineDrop() override
    {
        actions << u"drop"_s;
        return LineResult::Ok;
    }
    bool IsCallConnected() const override { return false; }
};

// The window over a fake modem on a pseudo-terminal, reached through the
// real serial port; the line "Modem" reports the modem's link as its port.
class frmCallerIDTest : public PropertiesFixture {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(PropertiesFixture::SetUp());
        m_link = env.runtimeBase() + u"/modem"_s;
        QString error;
        ASSERT_TRUE(fake.start(m_link, &error)) << error.toStdString();
        lines.lines = {{u"Modem"_s, m_link}, {u"No port"_s, QString()}};
        devices.tapi = &lines;
    }

    std::unique_ptr<frmCallerID> open(const QString& line = u"Modem"_s)
    {
        auto window = std::make_unique<frmCallerID>();
        window->Open(line);
        return window;
    }

    // A window in AT mode whose Test played the scenario.
    std::unique_ptr<frmCallerID> tested(const QString& scenario)
    {
        auto window = open();
        window->cmbCallerIDMode->setCurrentIndex(1);
        window->SetScenarioText(scenario);
        window->cmdTestATCommand->click();
        return window;
    }

    QByteArray header() const
    {
        return "Results for - Device Name: Modem\r\nPort: " + m_link.toUtf8() + "\r\n";
    }
    QString scenarioPath() const { return env.programFolder() + u"/AT_Commands_Scenario.txt"_s; }
    QByteArray scenarioFile() const
    {
        QFile file(scenarioPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    void writeScenario(const QByteArray& bytes)
    {
        QFile file(scenarioPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QString m_link;
    FakeModem fake;
    PortLines lines;
};

TEST_F(frmCallerIDTest, OpeningAsksEveryLineOfTheChosenNameForItsPort)
{
    const struct {
        const char* what;
        QString line;
        QString port;
        QByteArray report;
        QStringList actions;
    } rows[] = {
        {"a modem line", u"Modem"_s, u"<link>"_s, "<header>", {u"open 0 2 16"_s, u"drop"_s, u"shutdown"_s}},
        {"a line without a port", u"No port"_s, {},
            "Results for - Device Name: No port\r\nThis device may not support AT-Commands\r\n",
            {u"open 1 2 16"_s, u"drop"_s, u"shutdown"_s}},
        {"no line of that name", u"Nowhere"_s, {}, "", {}},
        // Names are compared exactly.
        {"another case", u"modem"_s, {}, "", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        lines.actions.clear();
        auto window = open(row.line);
        EXPECT_EQ(window->sPortPath, row.port == u"<link>" ? m_link : row.port);
        EXPECT_EQ(window->Report(), row.report == "<header>" ? header() : row.report);
        EXPECT_EQ(lines.actions, row.actions);
    }
}

TEST_F(frmCallerIDTest, TestSendsTheCommandLinesInOrderEachAfterTheLastAnswer)
{
    fake.setErrorCommands({u"AT+VCID=1"_s});
    auto window = tested(u"' caller ID on\r\n\r\nATZ\r\nAT+VCID=1\r\n AT&F "_s);
    ASSERT_TRUE(waitUntil([&] { return window->ATCommands().isEmpty(); })) << window->Report().toStdString();
    // A refused command is passed over; blanks around one are sent as written.
    EXPECT_EQ(fake.commands(), (QStringList{u"ATZ"_s, u"AT+VCID=1"_s, u" AT&F "_s}));
    EXPECT_EQ(window->Report(), header() + "ATZ\r\r\nOK\r\nAT+VCID=1\r\r\nERROR\r\n AT&F \r\r\nOK\r\n");
    // After the last command, answers send nothing more.
    ASSERT_TRUE(fake.sendRaw("\r\nOK\r\n"));
    EXPECT_TRUE(staysFalse([&] { return fake.commands().size() > 3; }, 200));
    EXPECT_TRUE(window->PortOpen());
}

TEST_F(frmCallerIDTest, OnlyAnOkOrErrorAfterOneCharacterSendsTheNextCommand)
{
    const struct {
        const char* what;
        QByteArray answer;
        bool next;
    } rows[] = {
        {"OK", "\r\nOK\r\n", true},
        {"ERROR", "\r\nERROR\r\n", true},
        {"OK with nothing in front", "OK\r\n", false},
        {"lower case", "\r\nok\r\n", false},
        {"DLE and the next character stay out of the line", "\r\n\x10XOK\r\n", true},
        {"RING", "\r\nRING\r\n", false},
        {"a caller-ID line", "\r\nNMBR = 5551234\r\n", false},
    };
    // Silent: the modem only echoes, so the answer is the one sent here.
    fake.setSilentCommands({u"ATZ"_s, u"ATI"_s});
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const qsizetype before = fake.commands().size();
        auto window = tested(u"ATZ\r\nATI"_s);
        ASSERT_TRUE(waitUntil([&] { return window->Report().endsWith("ATZ\r"); }))
            << window->Report().toStdString();
        ASSERT_TRUE(fake.sendRaw(row.answer));
        const QByteArray echoAndAnswer = QByteArray("ATZ\r").append(row.answer);
        ASSERT_TRUE(waitUntil([&] { return window->Report().contains(echoAndAnswer); }))
            << window->Report().toStdString();
        if (row.next)
            EXPECT_TRUE(waitUntil([&] { return fake.commands().size() == before + 2; }));
        else
            EXPECT_TRUE(staysFalse([&] { return fake.commands().size() != before + 1; }, 200));
        EXPECT_EQ(window->ATCommands().size(), row.next ? 1 : 2);
    }
}

TEST_F(frmCallerIDTest, TheReportKeepsTheDialogueByteForByte)
{
    auto window = tested(u"ATZ"_s);
    ASSERT_TRUE(waitUntil([&] { return window->ATCommands().isEmpty(); }));
    const QByteArray call = "\r\nRING\r\n\r\nDATE = 1210\r\n\x10X\r\nNMBR = 5551234\r\n\r\nRING\r\n";
    ASSERT_TRUE(fake.sendRaw(call));
    ASSERT_TRUE(waitUntil([&] { return window->Report().size() >= header().size() + 10 + call.size(); }));
    EXPECT_EQ(window->Report(), header() + "ATZ\r\r\nOK\r\n" + call);
    // The box shows it, line by line, the DLE as its picture.
    EXPECT_TRUE(window->txtReport->toPlainText().endsWith(u"\n\u2410X\nNMBR = 5551234\n\nRING\n"_s))
        << window->txtReport->toPlainText().toStdString();
    EXPECT_EQ(window->txtReport->textCursor().position(), window->txtReport->toPlainText().size());
    window->cmdClearResults->click();
    EXPECT_TRUE(window->Report().isEmpty());
    EXPECT_TRUE(window->txtReport->toPlainText().isEmpty());
}

TEST_F(frmCallerIDTest, ASecondTestRebuildsTheQueueAndOpensThePortAgain)
{
    fake.setSilentCommands({u"ATZ"_s});
    auto window = tested(u"ATZ\r\nATI"_s);
    ASSERT_TRUE(waitUntil([&] { return fake.commands().size() == 1; }));
    window->SetScenarioText(u"' only this\r\nAT+VCID=1"_s);
    window->cmdTestATCommand->click();
    ASSERT_TRUE(waitUntil([&] { return fake.commands().size() == 2; }));
    EXPECT_EQ(fake.commands().last(), u"AT+VCID=1"_s);
    ASSERT_TRUE(waitUntil([&] { return window->ATCommands().isEmpty(); }));
    EXPECT_TRUE(window->Report().endsWith("AT+VCID=1\r\r\nOK\r\n")) << window->Report().toStdString();
    EXPECT_FALSE(window->Report().contains("Unable to connect"));
}

TEST_F(frmCallerIDTest, AScenarioOfCommentsAndEmptyLinesOpensNothing)
{
    auto window = tested(u"' one\r\n\r\n'ATZ"_s);
    EXPECT_FALSE(window->PortOpen());
    EXPECT_EQ(window->Report(), header());
    // The port was left free: another opens it.
    SystemSerialPort other;
    EXPECT_TRUE(other.open(m_link).ok());
}

TEST_F(frmCallerIDTest, OpenFailuresAreReportedOnceBetweenLineEnds)
{
    // A helper process holds the device, as another program would.
    QProcess holder;
    holder.start(u"flock"_s, {u"-x"_s, u"-o"_s, fake.devicePath(), u"-c"_s, u"echo held; exec sleep 60"_s});
    ASSERT_TRUE(holder.waitForStarted());
    ASSERT_TRUE(waitUntil([&] {
        SystemSerialPort probe;
        return probe.open(m_link).code == SerialPortResult::Busy;
    }));
    {
        auto window = tested(u"ATZ"_s);
        EXPECT_EQ(window->Report(),
            header()
                + "\r\nThe device already open - 8012\r\nMake sure other application doesn't use the "
                  "device.\r\n");
        EXPECT_TRUE(fake.commands().isEmpty());
    }
    holder.kill();
    holder.waitForFinished();

    {
        // Open in this program already.
        SystemSerialPort first;
        ASSERT_TRUE(first.open(m_link).ok());
        auto window = tested(u"ATZ"_s);
        EXPECT_EQ(window->Report(), header() + "\r\nUnable to connect to modem, port already open.\r\n");
    }

    const struct {
        const char* what;
        QString line;
        QByteArray report;
    } noPort[] = {
        {"a line without a port", u"No port"_s,
            "Results for - Device Name: No port\r\nThis device may not support AT-Commands\r\n"},
        // No line of the name: no port either, and no other device tried.
        {"no line of the name", u"Nowhere"_s, ""},
    };
    for (const auto& row : noPort) {
        SCOPED_TRACE(row.what);
        auto window = open(row.line);
        window->cmbCallerIDMode->setCurrentIndex(1);
        window->SetScenarioText(u"ATZ"_s);
        window->cmdTestATCommand->click();
        EXPECT_EQ(window->Report(), row.report + "\r\n8002 The port does not exist: \r\n");
        EXPECT_FALSE(window->PortOpen());
    }
    EXPECT_TRUE(fake.commands().isEmpty());
}

TEST_F(frmCallerIDTest, ScenarioFileReadsBackWhatOkWrote)
{
    const struct {
        const char* what;
        QString box;
        QByteArray file;
        QString readBack;
    } rows[] = {
        {"empty box", {}, "AT\r\n", {}},
        {"without a final line end", u"ATZ\r\nAT+VCID=1"_s, "ATZ\r\nAT+VCID=1\r\n", u"ATZ\r\nAT+VCID=1"_s},
        {"with a final line end", u"ATZ\r\nAT+VCID=1\r\n"_s, "ATZ\r\nAT+VCID=1\r\n\r\n",
            u"ATZ\r\nAT+VCID=1\r\n"_s},
        {"comments and blanks kept", u"' Zoë's modem\r\n\r\n ATZ "_s, "' Zo\xc3\xab's modem\r\n\r\n ATZ \r\n",
            u"' Zoë's modem\r\n\r\n ATZ "_s},
        // Two characters or fewer leave the box empty.
        {"two characters", u"AB"_s, "AB\r\n", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        {
            auto window = open();
            window->SetScenarioText(row.box);
            window->cmdOK->click();
        }
        EXPECT_EQ(scenarioFile(), row.file);
        auto again = open();
        EXPECT_EQ(again->ScenarioText(), row.readBack);
    }
}

TEST_F(frmCallerIDTest, ScenarioFileIsReadWithAnyLineEndAndMadeWhenMissing)
{
    ASSERT_NO_FATAL_FAILURE(writeScenario("ATZ\nATI\rAT&F"));
    EXPECT_EQ(open()->ScenarioText(), u"ATZ\r\nATI\r\nAT&F"_s);

    ASSERT_TRUE(QFile::remove(scenarioPath()));
    EXPECT_TRUE(open()->ScenarioText().isEmpty());
    EXPECT_EQ(scenarioFile(), QByteArray());

    // Cancel writes nothing.
    ASSERT_NO_FATAL_FAILURE(writeScenario("ATZ\r\n"));
    store(u"Properties\\TabDevices\\CallerID"_s, u"Tapi"_s, u"0"_s);
    auto window = open();
    window->SetScenarioText(u"ATI"_s);
    window->cmbCallerIDMode->setCurrentIndex(0);
    window->cmdCancel->click();
    EXPECT_EQ(scenarioFile(), "ATZ\r\n");
    EXPECT_EQ(stored(u"Properties\\TabDevices\\CallerID"_s, u"Tapi"_s), u"0"_s);
}

TEST_F(frmCallerIDTest, TheStoredModeSelectsTheListAndEnablesTheTestArea)
{
    const struct {
        QString stored;
        int item;
    } rows[] = {{u"1"_s, 0}, {u"0"_s, 1}, {QString(), 1}, {u" 1"_s, 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.stored.toStdString());
        store(u"Properties\\TabDevices\\CallerID"_s, u"Tapi"_s, row.stored);
        auto window = open();
        EXPECT_EQ(window->cmbCallerIDMode->currentIndex(), row.item);
        EXPECT_EQ(window->cmbCallerIDMode->count(), 2);
        EXPECT_EQ(window->cmbCallerIDMode->itemText(0), u"#617"_s);
        const bool atMode = row.item == 1;
        for (QWidget* widget : std::initializer_list<QWidget*>{window->lblExplain, window->lblATCommands,
                 window->txtScenario, window->cmdClearResults, window->cmdTestATCommand, window->txtReport})
            EXPECT_EQ(widget->isEnabled(), atMode) << widget->objectName().toStdString();
        EXPECT_EQ(window->lblTip->isHidden(), !atMode);
        EXPECT_EQ(window->Shape1->frameShape() == QFrame::NoFrame, !atMode);
        // Changing the mode applies it at once.
        window->cmbCallerIDMode->setCurrentIndex(atMode ? 0 : 1);
        EXPECT_EQ(window->txtScenario->isEnabled(), !atMode);
    }
}

TEST_F(frmCallerIDTest, OkStoresTheModeAndTheScenarioInEitherMode)
{
    for (const int item : {0, 1}) {
        SCOPED_TRACE(item);
        auto window = open();
        window->cmbCallerIDMode->setCurrentIndex(item);
        window->SetScenarioText(item == 0 ? u"ATZ0"_s : u"ATZ1"_s);
        window->cmdOK->click();
        EXPECT_EQ(stored(u"Properties\\TabDevices\\CallerID"_s, u"Tapi"_s), item == 0 ? u"1"_s : u"0"_s);
        EXPECT_EQ(scenarioFile(), item == 0 ? "ATZ0\r\n" : "ATZ1\r\n");
    }
}

TEST_F(frmCallerIDTest, ClosingSendsTheEarlierLineStateBackOnce)
{
    const struct {
        bool autoMode;
        bool lineOff;
        QByteArray sent;
    } rows[] = {
        {false, false, "308 ON"},
        {false, true, "308 OFF"},
        {true, false, "308 AUTO\\r\\n16:00\\r\\n08:00"},
    };
    ChannelListener listener(env, {u"308"_s});
    ASSERT_TRUE(listener.waitUntilListening());
    g_sTimeOn = u"16:00"_s;
    g_sTimeOff = u"08:00"_s;
    frmProperties& properties = LoadPropertiesWindow();
    qsizetype seen = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sent.toStdString());
        g_bAutoMode = row.autoMode;
        g_bLineOff = row.lineOff;
        auto window = open();
        lines.actions.clear();
        window->cmbCallerIDMode->setCurrentIndex(1);
        window->SetScenarioText(u"ATZ"_s);
        window->cmdTestATCommand->click();
        ASSERT_TRUE(waitUntil([&] { return window->ATCommands().isEmpty(); }));
        // Inside the first pause: the buttons are off, and the close box
        // or Escape pressed then does nothing more.
        QList<bool> enabledInPause;
        QTimer::singleShot(0, window.get(), [&] {
            enabledInPause = {properties.cmdOK->isEnabled(), properties.cmdCancel->isEnabled(),
                window->cmdOK->isEnabled(), window->cmdCancel->isEnabled()};
            window->close();
            window->reject();
        });
        window->cmdCancel->click();
        EXPECT_EQ(enabledInPause, (QList<bool>{false, false, false, false}));
        EXPECT_TRUE(properties.cmdOK->isEnabled());
        EXPECT_TRUE(properties.cmdCancel->isEnabled());
        EXPECT_FALSE(window->PortOpen());
        EXPECT_EQ(lines.actions, (QStringList{u"drop"_s, u"shutdown"_s}));
        hub.udiOut.Send(u"MARK"_s);
        const QList<QByteArray> expected{"308 OFF", row.sent, "308 MARK"};
        const QList<QByteArray> got = listener.waitForLines(seen + expected.size());
        EXPECT_EQ(got.mid(seen), expected);
        seen = got.size();
    }
    // The port is free for the service again.
    SystemSerialPort after;
    EXPECT_TRUE(after.open(m_link).ok());
}

// For review: both modes in the shipped English texts, AT mode after a test
// and a call's caller ID.
TEST_F(frmCallerIDTest, Screenshots)
{
    ASSERT_EQ(LoadTranslation(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt")), 0);
    auto tapiMode = open();
    tapiMode->cmbCallerIDMode->setCurrentIndex(0);
    tapiMode->SetScenarioText(u"ATZ\r\nAT+VCID=1"_s);
    tapiMode->show();
    EXPECT_TRUE(WidgetShots::save(tapiMode.get(), u"frmCallerID-tapi.png"_s));
    tapiMode.reset();

    auto atMode = tested(u"' caller ID on\r\nATZ\r\nAT+VCID=1"_s);
    ASSERT_TRUE(waitUntil([&] { return atMode->ATCommands().isEmpty(); }));
    const QByteArray call
        = "\r\nRING\r\n\r\nDATE = 1210\r\nTIME = 0930\r\nNMBR = 5551234\r\nNAME = Ann Lee\r\n";
    ASSERT_TRUE(fake.sendRaw(call));
    ASSERT_TRUE(waitUntil([&] { return atMode->Report().endsWith(call); }));
    atMode->show();
    EXPECT_TRUE(WidgetShots::save(atMode.get(), u"frmCallerID-at-test.png"_s));
}

} // namespace

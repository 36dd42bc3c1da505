#include "service/line/frmLine.h"

#include "common/ChannelMessages.h"
#include "common/RegistryRoutines.h"
#include "common/WaveFile.h"
#include "platform/MessageControl.h"
#include "platform/SimulatedLines.h"
#include "platform/SimulatedTelephony.h"
#include "platform/SinkWave.h"
#include "service/core/Journal.h"
#include "service/line/CallForwarding.h"
#include "service/line/IncomingCallAlert.h"
#include "service/line/LineState.h"
#include "service/line/LineWaveRecorder.h"
#include "service/line/ModemSerialPath.h"
#include "tests/service/line/LineFakes.h"
#include "tests/support/JournalFiles.h"
#include "tests/support/TestClock.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Forwarding plays no part in these tests.
class NoForwarding final : public CallForwarding {
public:
    void SendCallByMail(LineActions&) override { }
    void SendToApp(LineActions&) override { }
};

// Line devices with chosen names, some of whose capabilities cannot be read:
// no back-end here has two lines of one name.
class NamedLines final : public TelephonyControl {
public:
    struct Device {
        QString name;
        bool readable = true;
    };
    explicit NamedLines(QList<Device> devices)
        : m_devices(std::move(devices))
    {
    }

    qint32 Initialize() override { return LineResult::Ok; }
    QString ErrorText(qint32 code) const override { return code == 0 ? u"Success"_s : u"Failed"_s; }
    qint32 DeviceCount() const override { return qint32(m_devices.size()); }
    qint32 GetDeviceCaps(DeviceCaps& caps) const override
    {
        caps = DeviceCaps();
        if (CurrentLine() < 0 || CurrentLine() >= m_devices.size() || !m_devices.at(CurrentLine()).readable)
            return LineResult::BadDevice;
        caps.DeviceName = m_devices.at(CurrentLine()).name;
        caps.TapiCapability = true;
        caps.VoiceCapability = CurrentLine() % 2 == 0;
        return LineResult::Ok;
    }
    bool IsLineOpen() const override { return m_open.contains(CurrentLine()); }
    qint32 LineOpen(qint32, qint32) override
    {
        if (CurrentLine() < 0 || CurrentLine() >= m_devices.size())
            return LineResult::BadDevice;
        m_open.insert(CurrentLine());
        opened.append(CurrentLine());
        return LineResult::Ok;
    }
    qint32 LineClose() override
    {
        return m_open.remove(CurrentLine()) ? LineResult::Ok : LineResult::NotOpen;
    }
    qint32 LineShutdown() override
    {
        m_open.clear();
        return LineResult::Ok;
    }
    QString GetDeviceID(qint32) const override { return {}; }
    qint32 LineDial(const QString&) override { return LineResult::NotOpen; }
    qint32 LineAnswer() override { return LineResult::NotOpen; }
    qint32 LineDrop() override { return LineResult::NotOpen; }
    bool IsCallConnected() const override { return false; }

    QList<qint32> opened;

private:
    QList<Device> m_devices;
    QSet<qint32> m_open;
};

class LineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.installDefaults();
        ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Journal"_s));
        ASSERT_FALSE(listener.Channel(ChannelNumber::EventChannel));
        QObject::connect(&listener, &MessageControl::MessageArrived,
            [this](const QString& text) { received.append(text); });
        setTapiMode(true);
    }
    void TearDown() override { line.reset(); }

    void set(const QString& section, const QString& name, const QString& value)
    {
        ASSERT_TRUE(RegistryRoutines::forProduct(section).setString(name, value)) << name.toStdString();
    }
    QString get(const QString& section, const QString& name)
    {
        return RegistryRoutines::forProduct(section).getString(name);
    }
    void setTapiMode(bool tapi)
    {
        set(u"Properties\\TabDevices\\CallerID"_s, u"Tapi"_s, tapi ? u"1"_s : u"0"_s);
    }

    // A line engine over simulated lines of the test's own.
    void loadOnSimulatedLines(const SimulatedLines::Config& config = {})
    {
        lines = std::make_unique<SimulatedLines>(config);
        frmLine::Controls controls;
        controls.Tapi1 = new SimulatedTelephony(lines.get());
        controls.MSComm1 = modem = new ModemPort;
        load(controls);
    }
    // Makes the engine as the main form does, with sink audio and stand-ins
    // for the parts the controls leave empty.
    void load(frmLine::Controls controls)
    {
        line.reset();
        owner = std::make_unique<QObject>();
        tapi = controls.Tapi1;
        controls.Wave1 = new SinkWave(sink.path());
        controls.WavePlayer = new SinkWave(sink.path(), 1000);
        controls.Alert = new AlertStandIn;
        controls.Recorder = new LineWaveRecorder(*controls.Tapi1, *controls.Wave1);
        controls.Forwarding = new NoForwarding;
        controls.tts = &tts;
        controls.channels = MessageControl::Delivery::SameProcessToo;
        adoptControls(controls, *owner);
        line = std::make_unique<frmLine>(controls, state, journal);
        line->Form_Load();
    }

    // The texts the engine sent on 307 so far, at least atLeast of them.
    QStringList takeReceived(qsizetype atLeast = 0)
    {
        if (!line) {
            waitUntil([&] { return received.size() >= atLeast; }, 3000);
            return std::exchange(received, {});
        }
        // One endpoint's texts arrive in order: once a status sent now is
        // in, so is everything the engine sent before it.
        line->SendLineStatus();
        EXPECT_TRUE(waitUntil(
            [&] { return received.size() > atLeast && received.last().startsWith(u"LineStatus\r\n"_s); },
            3000));
        if (!received.isEmpty())
            received.removeLast();
        return std::exchange(received, {});
    }
    QStringList journalLines() const { return journalEntries(testDaySysJournal(env.programFolder())); }

    TestEnvironment env;
    TestClock clock; // 12/10/2026 09:30:00
    QTemporaryDir sink;
    Journal journal{{true, false, false}};
    LineState state;
    NotedSpeech tts;
    MessageControl listener{nullptr, MessageControl::Delivery::SameProcessToo};
    QStringList received;
    std::unique_ptr<SimulatedLines> lines;
    ModemPort* modem = nullptr;
    TelephonyControl* tapi = nullptr; // the engine's line device
    std::unique_ptr<QObject> owner; // of what the engine works through
    std::unique_ptr<frmLine> line;
};

const QString kStatusOpen = u"LineStatus\r\n0\r\n0\r\nFalse"_s;
const QString kStatusClosed = u"LineStatus\r\n0\r\n1\r\nFalse"_s;

TEST(IsNowInTimeRange, WindowsWithTheirEdgesOutside)
{
    TestClock clock;
    struct Row {
        const char* on;
        const char* off;
        QTime now;
        bool inside;
    };
    const Row rows[] = {
        {"08:00:00", "16:00:00", QTime(7, 59, 59), false},
        {"08:00:00", "16:00:00", QTime(8, 0, 0), false},
        // Whole seconds: half a second past the switch-on time is still on it.
        {"08:00:00", "16:00:00", QTime(8, 0, 0, 500), false},
        {"08:00:00", "16:00:00", QTime(8, 0, 1), true},
        {"08:00:00", "16:00:00", QTime(15, 59, 59), true},
        {"08:00:00", "16:00:00", QTime(16, 0, 0), false},
        {"22:00:00", "06:00:00", QTime(23, 0, 0), true},
        {"22:00:00", "06:00:00", QTime(5, 0, 0), true},
        {"22:00:00", "06:00:00", QTime(0, 0, 0), true},
        {"22:00:00", "06:00:00", QTime(12, 0, 0), false},
        {"22:00:00", "06:00:00", QTime(22, 0, 0), false},
        {"22:00:00", "06:00:00", QTime(6, 0, 0), false},
        {"10:00:00", "10:00:00", QTime(10, 0, 0), false},
        {"10:00:00", "10:00:00", QTime(3, 0, 0), false},
        // A switch time that is no time holds nothing.
        {"", "16:00:00", QTime(12, 0, 0), false},
        {"08:00:00", "25:00:00", QTime(12, 0, 0), false},
        {"8 o'clock", "16:00:00", QTime(12, 0, 0), false},
    };
    for (const Row& row : rows) {
        clock.setNow(QDateTime(QDate(2026, 12, 10), row.now));
        EXPECT_EQ(IsNowInTimeRange(QString::fromLatin1(row.on), QString::fromLatin1(row.off)), row.inside)
            << row.on << "-" << row.off << " at " << row.now.toString(u"HH:mm:ss.zzz"_s).toStdString();
    }
}

TEST_F(LineTest, LoadBindsTheChannelsButOpensNothing)
{
    loadOnSimulatedLines();
    EXPECT_TRUE(listener.Channel(ChannelNumber::EventChannel));
    MessageControl commands(nullptr, MessageControl::Delivery::SameProcessToo);
    EXPECT_TRUE(commands.Channel(ChannelNumber::CommandChannel));
    EXPECT_FALSE(tapi->IsLineOpen());
    EXPECT_EQ(takeReceived(), QStringList());
}

TEST_F(LineTest, OpenLineOpensTheNamedLineJournalsAndReports)
{
    loadOnSimulatedLines({2, {}, {}});
    set(u"Properties\\TabDevices"_s, u"cmbModemDev"_s, u"Ringvale Simulated Line 2"_s);
    EXPECT_EQ(line->OpenLine(), 0);
    EXPECT_TRUE(tapi->IsLineOpen());
    EXPECT_EQ(tapi->CurrentLine(), 1);
    EXPECT_EQ(line->lineIndex(), 1);
    EXPECT_EQ(state.nLineState, 0);
    EXPECT_TRUE(state.bCallerIdFromTapi);
    EXPECT_EQ(takeReceived(1), QStringList{u"LineStatus\r\n1\r\n0\r\nFalse"_s});
    EXPECT_EQ(journalLines().value(1), u"09:30:00 : OpenLine:Tapi1.LineOpen(1)->Success(0)"_s);

    // Already open: not opened again, but reported again.
    EXPECT_EQ(line->OpenLine(), 0);
    EXPECT_EQ(lines->device(1)->actions(), QStringList{u"open 6 16 -> 0"_s});
    EXPECT_EQ(takeReceived(1), QStringList{u"LineStatus\r\n1\r\n0\r\nFalse"_s});
}

TEST_F(LineTest, FailedOpenLeavesTheLineClosedAndSaysSo)
{
    loadOnSimulatedLines({1, {}, {u"open"_s}});
    line->OpenLine();
    EXPECT_EQ(state.nLineState, 1);
    EXPECT_EQ(takeReceived(1), QStringList{kStatusClosed});
    EXPECT_EQ(
        journalLines().last(), u"09:30:00 : OpenLine:Tapi1.LineOpen(0)->The line refused the request(10)"_s);
}

TEST_F(LineTest, UnloadClosesTheLineAndReportsIt)
{
    loadOnSimulatedLines();
    line->OpenLine();
    takeReceived(1);
    line->Form_Unload();
    EXPECT_FALSE(lines->device(0)->isOpen());
    EXPECT_EQ(state.nLineState, 1);
    EXPECT_EQ(takeReceived(1), QStringList{kStatusClosed});
    EXPECT_EQ(journalLines().last(), u"09:30:00 : CloseLine->Success(0)"_s);
}

struct ScanRow {
    const char* name;
    QList<NamedLines::Device> devices;
    QString configured;
    qint32 opened; // -1: none
    QString storedAfter; // cmbModemDev afterwards
    QList<qint32> detailsFor; // the lines that wrote "Device Details -"
};

TEST_F(LineTest, DeviceScanChoosesTheLastLineOfTheNameAndStoresOnlyANameItRead)
{
    const ScanRow rows[] = {
        {"empty name: line 0, its name stored", {{u"Modem A"_s}, {u"Modem B"_s}}, QString(), 0, u"Modem A"_s,
            {}},
        {"unknown name: line 0, its name stored", {{u"Modem A"_s}, {u"Modem B"_s}}, u"Modem C"_s, 0,
            u"Modem A"_s, {}},
        {"names are compared exactly", {{u"Modem A"_s}, {u"Modem B"_s}}, u"modem b"_s, 0, u"Modem A"_s, {}},
        {"the last of two lines of the name", {{u"Modem A"_s}, {u"Modem B"_s}, {u"Modem A"_s}}, u"Modem A"_s,
            2, u"Modem A"_s, {0, 2}},
        {"no line devices: the setting stays", {}, u"Modem A"_s, -1, u"Modem A"_s, {}},
        {"line 0 unreadable: the setting stays", {{u"Modem A"_s, false}, {u"Modem B"_s}}, u"Modem C"_s, 0,
            u"Modem C"_s, {}},
    };
    for (const ScanRow& row : rows) {
        SCOPED_TRACE(row.name);
        QFile::remove(testDaySysJournal(env.programFolder()));
        set(u"Properties\\TabDevices"_s, u"cmbModemDev"_s, row.configured);
        auto* tapi = new NamedLines(row.devices);
        frmLine::Controls controls;
        controls.Tapi1 = tapi;
        controls.MSComm1 = new ModemPort;
        load(controls);
        line->OpenLine();
        EXPECT_EQ(tapi->opened, row.opened < 0 ? QList<qint32>() : QList<qint32>{row.opened});
        EXPECT_EQ(tapi->CurrentLine(), qMax(row.opened, 0));
        EXPECT_EQ(get(u"Properties\\TabDevices"_s, u"cmbModemDev"_s), row.storedAfter);
        QList<qint32> details;
        for (const QString& journalLine : journalLines()) {
            if (journalLine.contains(u"Device Details -"_s))
                details.append(journalLine.section(u"Line Index: "_s, 1).section(u' ', 0, 0).toInt());
        }
        EXPECT_EQ(details, row.detailsFor);
        // Unloading reports the line closed once more: taken off here, so
        // it does not reach the next row.
        line->Form_Unload();
        takeReceived();
        line.reset();
    }
}

TEST_F(LineTest, DeviceDetailsAreOneJournalLine)
{
    auto* tapi = new NamedLines({{u"Modem A"_s}, {u"Fax"_s}, {u"Modem A"_s}});
    frmLine::Controls controls;
    controls.Tapi1 = tapi;
    controls.MSComm1 = new ModemPort;
    load(controls);
    set(u"Properties\\TabDevices"_s, u"cmbModemDev"_s, u"Modem A"_s);
    line->OpenLine();
    // The block's line breaks become blanks: one blank, then the 26 of the
    // indent, before each of the five details.
    const QString gap(27, u' ');
    const QString expected = u"09:30:00 : ->Device Details -"_s + gap + u"Line Index: 2"_s + gap
        + u"Device Name: Modem A"_s + gap + u"Tapi Capability: Yes"_s + gap + u"Voice Capability: Yes"_s + gap
        + u"Monitor Digits: No(0)"_s;
    const QStringList journal = journalLines();
    ASSERT_EQ(journal.size(), 3);
    EXPECT_EQ(journal.at(1), expected);
    EXPECT_TRUE(journal.at(0).startsWith(u"09:30:00 : ->Device Details -"_s + gap + u"Line Index: 0"_s));
    EXPECT_EQ(journal.at(2), u"09:30:00 : OpenLine:Tapi1.LineOpen(2)->Success(0)"_s);
}

struct TickRow {
    const char* name;
    bool modem;
    bool inside;
    bool watching;
    bool incomingCall;
    bool dialledCall;
    bool watchingAfter;
    QStringList reported;
};

TEST_F(LineTest, AutoTickFollowsTheWindowUnlessACallIsInProgress)
{
    const QString open = u"LineStatus\r\n0\r\n0\r\nTrue"_s;
    const QString closed = u"LineStatus\r\n0\r\n1\r\nTrue"_s;
    const TickRow rows[] = {
        {"inside, closed: opens", false, true, false, false, false, true, {open}},
        {"inside, open: nothing", false, true, true, false, false, true, {}},
        {"outside, open: closes", false, false, true, false, false, false, {closed}},
        {"outside, closed: nothing", false, false, false, false, false, false, {}},
        {"outside, open, incoming call: stays open", false, false, true, true, false, true, {}},
        {"inside, closed, incoming call: stays closed", false, true, false, true, false, false, {}},
        {"outside, open, dialled call: stays open", false, false, true, false, true, true, {}},
        {"modem, inside, port closed: opens", true, true, false, false, false, true, {open}},
        {"modem, outside, port open: closes", true, false, true, false, false, false, {closed}},
        {"modem, outside, port open, incoming call: stays", true, false, true, true, false, true, {}},
    };
    for (const TickRow& row : rows) {
        SCOPED_TRACE(row.name);
        setTapiMode(!row.modem);
        state.bAutoMode = true;
        state.sTimeOn = u"08:00:00"_s;
        state.sTimeOff = u"16:00:00"_s;
        clock.setNow(QDateTime(QDate(2026, 12, 10), row.inside ? QTime(12, 0, 0) : QTime(20, 0, 0)));
        loadOnSimulatedLines({1, {u"/dev/ttyS7"_s}, {}});
        if (row.watching) {
            // Open it inside the window, whatever the row's time.
            const QDateTime then = clock.now();
            clock.setNow(QDateTime(QDate(2026, 12, 10), QTime(12, 0, 0)));
            line->OpenLine();
            clock.setNow(then);
        }
        ASSERT_EQ(line->IsWatching(), row.watching);
        takeReceived(row.watching ? 1 : 0);
        frmLineProbe(*line).setInCall(row.incomingCall, row.dialledCall);

        line->tmrAutoMode_Timer();
        EXPECT_EQ(line->IsWatching(), row.watchingAfter);
        EXPECT_EQ(takeReceived(row.reported.size()), row.reported);
        frmLineProbe(*line).setInCall(false, false);
        // Unloading reports the line closed once more: taken off here, so
        // it does not reach the next row.
        line->Form_Unload();
        takeReceived();
        line.reset();
        state.lCommPort.clear();
    }
}

TEST_F(LineTest, AutoModeTimerRunsOnceTheLineIsOpenedInAutoMode)
{
    loadOnSimulatedLines();
    EXPECT_FALSE(line->isAutoModeTimerActive());
    state.bAutoMode = true;
    line->OpenLine();
    EXPECT_TRUE(line->isAutoModeTimerActive());
    EXPECT_EQ(frmLineProbe(*line).autoModeInterval(), 1000);
    line->Form_Unload();
    EXPECT_FALSE(line->isAutoModeTimerActive());
}

TEST_F(LineTest, ModemModeHandsTheLineToThePortAndCountsItOpenOnlyWhenThePortOpened)
{
    setTapiMode(false);
    set(u"Properties\\TabDevices\\CallerID"_s, u"cmbATCommands"_s, u"ATZ"_s);
    for (const bool portOpens : {true, false}) {
        SCOPED_TRACE(portOpens ? "port opens" : "port does not open");
        state.lCommPort.clear();
        loadOnSimulatedLines({1, {u"/dev/ttyS7"_s}, {}});
        modem->opens = portOpens;
        line->OpenLine();
        // The line device is closed again: the port watches the line.
        EXPECT_FALSE(lines->device(0)->isOpen());
        EXPECT_EQ(modem->initVals, 1);
        EXPECT_EQ(modem->connects, QStringList{u"/dev/ttyS7|ATZ"_s});
        EXPECT_EQ(state.nLineState, portOpens ? 0 : 1);
        EXPECT_EQ(takeReceived(1), QStringList{portOpens ? kStatusOpen : kStatusClosed});
        EXPECT_EQ(line->IsWatching(), portOpens);

        line->CloseLine();
        EXPECT_GE(modem->disconnects, 1);
        EXPECT_FALSE(line->IsWatching());
        // Unloading reports the line closed once more: taken off here, so
        // it does not reach the next row.
        line->Form_Unload();
        takeReceived();
        line.reset();
    }
}

TEST_F(LineTest, ModemModeWithoutTheLineDeviceLeavesThePortClosed)
{
    setTapiMode(false);
    loadOnSimulatedLines({1, {u"/dev/ttyS7"_s}, {u"open"_s}});
    line->OpenLine();
    EXPECT_TRUE(modem->connects.isEmpty());
    EXPECT_EQ(state.nLineState, 1);
    EXPECT_EQ(journalLines().last(), u"09:30:00 : LineOpen:CommConnect->Can't open comm without TAPI(0)"_s);
}

TEST_F(LineTest, LineThatNeverReportsClosedIsGivenUpAfterABoundedWait)
{
    setTapiMode(false);
    loadOnSimulatedLines({1, {u"/dev/ttyS7"_s}, {u"close"_s}});
    const qint64 before = clock.elapsedMs();
    line->OpenLine();
    EXPECT_LE(clock.elapsedMs() - before, 3500);
    EXPECT_TRUE(modem->connects.isEmpty());
    EXPECT_EQ(state.nLineState, 1);
    EXPECT_EQ(takeReceived(1), QStringList{kStatusClosed});
    EXPECT_TRUE(journalLines().contains(u"09:30:03 : LineOpen:IsLineOpen->The line did not close within 3 "
                                        u"seconds; the modem's port is not opened(0)"_s))
        << journalLines().join(u'\n').toStdString();
}

TEST_F(LineTest, BeepIsPlayedWhenAskedAndMarkedOnlyWhenItStarted)
{
    set(u"Properties\\TabGeneral"_s, u"chkModemSoundControl"_s, u"1"_s);
    loadOnSimulatedLines();
    line->OpenLine();
    EXPECT_FALSE(frmLineProbe(*line).beepPlaying()) << "no Beep.wav: nothing started";
    line->CloseLine();

    QFile beep(env.programFolder() + u"/Beep.wav"_s);
    ASSERT_TRUE(beep.open(QIODevice::WriteOnly));
    beep.write(SerializeWaveFile(PcmWaveFormat(8000, 1, 16), QByteArray(1600, '\0')));
    beep.close();
    line->OpenLine();
    EXPECT_TRUE(frmLineProbe(*line).beepPlaying());
    EXPECT_EQ(QDir(sink.path()).entryList(QDir::Files).size(), 1);
    EXPECT_TRUE(waitUntil([&] { return !frmLineProbe(*line).beepPlaying(); }));
}

} // namespace

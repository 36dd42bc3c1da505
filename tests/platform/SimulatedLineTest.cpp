#include "common/WaveFile.h"
#include "platform/Backends.h"
#include "platform/DeviceLookups.h"
#include "platform/SimulatedLineDevice.h"
#include "platform/SimulatedTelephony.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QFile>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Fast enough for tests, slow enough that steps stay in order on a busy machine.
const SimulatedLinePacing kTestPacing{40, 10};

// Every event of a control, in arrival order, as short texts.
class EventLog {
public:
    explicit EventLog(TelephonyControl& tapi)
    {
        QObject* c = &m_context;
        QObject::connect(&tapi, &TelephonyControl::Dialing, c, [this] { add(u"Dialing"_s); });
        QObject::connect(&tapi, &TelephonyControl::InComeCall, c, [this] { add(u"InComeCall"_s); });
        QObject::connect(
            &tapi, &TelephonyControl::Ring, c, [this](qint32 count) { add(u"Ring %1"_s.arg(count)); });
        QObject::connect(
            &tapi, &TelephonyControl::CallerID, c, [this](const QString& name, const QString& number) {
                add(u"CallerID %1 %2"_s.arg(name, number));
            });
        QObject::connect(&tapi, &TelephonyControl::Connected, c, [this] { add(u"Connected"_s); });
        QObject::connect(&tapi, &TelephonyControl::Disconnected, c, [this] { add(u"Disconnected"_s); });
        QObject::connect(&tapi, &TelephonyControl::Idle, c, [this] { add(u"Idle"_s); });
    }
    QStringList events;
    bool ended() const { return events.contains(u"Idle"_s); }
    // For comparisons that print readably when they fail.
    std::string text() const { return events.join(u", "_s).toStdString(); }

private:
    void add(const QString& event) { events << event; }
    QObject m_context; // the connections end with the log
};

class SimulatedLineTest : public ::testing::Test {
protected:
    explicit SimulatedLineTest(int lines = 1)
    {
        SimulatedLines::Config config;
        config.lineCount = lines;
        m_lines = std::make_unique<SimulatedLines>(config);
        m_tapi = std::make_unique<SimulatedTelephony>(m_lines.get());
    }

    void openLine(qint32 privileges = 6)
    {
        ASSERT_EQ(m_tapi->Initialize(), 0);
        ASSERT_EQ(m_tapi->LineOpen(privileges, 16), 0);
    }

    SimulatedLineDevice& line() { return *m_lines->device(0); }

    static SimulatedCallScript script(int rings, int cidAfterRing = 1, int hangupAfterRing = -1)
    {
        SimulatedCallScript call;
        call.number = QStringLiteral("5551234");
        call.name = QStringLiteral("Ann");
        call.rings = rings;
        call.cidAfterRing = cidAfterRing;
        call.hangupAfterRing = hangupAfterRing;
        return call;
    }

    // Each test's control socket lives in a runtime folder of its own.
    TestEnvironment m_env;
    std::unique_ptr<SimulatedLines> m_lines;
    std::unique_ptr<SimulatedTelephony> m_tapi;
};

} // namespace

TEST_F(SimulatedLineTest, IncomingCallArrivesInLineOrder)
{
    openLine();
    EventLog log(*m_tapi);
    // As the line engine does: a far-end hang-up is answered with a drop.
    QObject::connect(
        m_tapi.get(), &TelephonyControl::Disconnected, [this] { EXPECT_EQ(m_tapi->LineDrop(), 0); });
    // The exchange waits long enough for the drop to be the line's.
    ASSERT_EQ(line().startCall(script(3), {kTestPacing.ringIntervalMs, 5000}), QString());
    ASSERT_TRUE(waitUntil([&] { return log.ended(); }));
    EXPECT_EQ(log.text(), "InComeCall, Ring 1, CallerID Ann 5551234, Ring 2, Ring 3, Disconnected, Idle");
    EXPECT_TRUE(line().actions().contains(QStringLiteral("drop -> 0")));
    EXPECT_FALSE(line().hasCall());
}

TEST_F(SimulatedLineTest, CallerIdTimingAndEarlyHangupFollowTheScript)
{
    openLine();
    struct Row {
        int rings, cid, hangup;
        std::string expected;
    };
    const Row rows[] = {
        // Caller ID before the first ring.
        {2, 0, -1, "InComeCall, CallerID Ann 5551234, Ring 1, Ring 2, Disconnected, Idle"},
        // The caller gives up after the first ring, before the caller ID.
        {4, 2, 1, "InComeCall, Ring 1, Disconnected, Idle"},
        // Caller ID after the last ring still comes before the hang-up.
        {1, 1, -1, "InComeCall, Ring 1, CallerID Ann 5551234, Disconnected, Idle"},
    };
    for (const Row& row : rows) {
        EventLog log(*m_tapi);
        ASSERT_EQ(line().startCall(script(row.rings, row.cid, row.hangup), kTestPacing), QString());
        // Nobody drops this time: the far end's exchange clears the call itself.
        ASSERT_TRUE(waitUntil([&] { return log.ended(); }));
        EXPECT_EQ(log.text(), row.expected);
    }
}

TEST_F(SimulatedLineTest, DialledCallRunsDialingConnectedDisconnectedIdle)
{
    openLine();
    EventLog log(*m_tapi);
    ASSERT_EQ(m_tapi->LineDial(QStringLiteral("0123 456")), 0);
    // Events come from the event loop, never inside the call that caused them.
    EXPECT_TRUE(log.events.isEmpty());
    ASSERT_TRUE(waitUntil([&] { return log.events.size() == 1; }));
    EXPECT_FALSE(m_tapi->IsCallConnected());
    EXPECT_EQ(line().farAnswer(), QString());
    ASSERT_TRUE(waitUntil([&] { return log.events.size() == 2; }));
    EXPECT_TRUE(m_tapi->IsCallConnected());
    EXPECT_EQ(line().farHangup(10000), QString());
    ASSERT_TRUE(waitUntil([&] { return log.events.size() == 3; }));
    EXPECT_FALSE(m_tapi->IsCallConnected());
    EXPECT_EQ(m_tapi->LineDrop(), 0);
    ASSERT_TRUE(waitUntil([&] { return log.ended(); }));
    EXPECT_EQ(log.text(), "Dialing, Connected, Disconnected, Idle");
    EXPECT_EQ(
        line().actions().join(u"; "_s).toStdString(), "open 6 16 -> 0; dial \"0123 456\" -> 0; drop -> 0");
}

TEST_F(SimulatedLineTest, BlockedCallerIsAnsweredAndDroppedAndStopsRinging)
{
    openLine();
    EventLog log(*m_tapi);
    // The line engine's rejection: answer at the third ring, drop at once.
    QObject::connect(m_tapi.get(), &TelephonyControl::Ring, [this](qint32 count) {
        if (count == 3) {
            EXPECT_EQ(m_tapi->LineAnswer(), 0);
            EXPECT_EQ(m_tapi->LineDrop(), 0);
        }
    });
    // Rings far enough apart that the answer comes before the next ring.
    const SimulatedLinePacing pacing{150, 10};
    ASSERT_EQ(line().startCall(script(5), pacing), QString());
    ASSERT_TRUE(waitUntil([&] { return log.ended(); }));
    // Connected was raised before the drop, so it still arrives, after ring 3.
    EXPECT_EQ(log.text(), "InComeCall, Ring 1, CallerID Ann 5551234, Ring 2, Ring 3, Connected, Idle");
    EXPECT_EQ(line().actions().join(u"; "_s).toStdString(), "open 6 16 -> 0; answer -> 0; drop -> 0");
    // The script's later steps find no call and do nothing.
    EXPECT_TRUE(staysFalse([&] { return log.events.size() > 7; }, pacing.ringIntervalMs * 4));
}

TEST_F(SimulatedLineTest, ClosedLineIsToldNothingAndOpeningDuringAnOfferReportsIt)
{
    ASSERT_EQ(m_tapi->Initialize(), 0);
    EventLog log(*m_tapi);
    ASSERT_EQ(line().farOffer(QStringLiteral("555"), QStringLiteral("Bob")), QString());
    ASSERT_EQ(line().farRing(), QString());
    // The modem hands the line over mid-call: the call is reported, rings go
    // on, and nothing of the time before the opening arrives first.
    ASSERT_EQ(m_tapi->LineOpen(4, 8), 0);
    ASSERT_EQ(line().farRing(), QString());
    ASSERT_TRUE(waitUntil([&] { return log.events.size() >= 2; }));
    EXPECT_EQ(log.text(), "InComeCall, Ring 2");
    // Events raised before a close are not delivered after it, even when the
    // line is open again before they would have been.
    ASSERT_EQ(line().farRing(), QString());
    ASSERT_EQ(m_tapi->LineClose(), 0);
    ASSERT_EQ(m_tapi->LineOpen(4, 8), 0);
    ASSERT_EQ(line().farRing(), QString());
    ASSERT_TRUE(waitUntil([&] { return log.events.size() >= 4; }));
    EXPECT_EQ(log.text(), "InComeCall, Ring 2, InComeCall, Ring 4");
}

TEST_F(SimulatedLineTest, RequestsTheLineCannotServeReturnErrors)
{
    // Before Initialize there are no devices.
    EXPECT_EQ(m_tapi->DeviceCount(), 0);
    EXPECT_NE(m_tapi->LineOpen(6, 16), 0);
    openLine();
    struct Row {
        const char* name;
        qint32 result;
    };
    const Row rows[] = {
        {"answer without a call", m_tapi->LineAnswer()},
        {"drop without a call", m_tapi->LineDrop()},
        {"dial with a line break", m_tapi->LineDial(QStringLiteral("123\r\nATH"))},
        {"dial nothing", m_tapi->LineDial(QString())},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_NE(row.result, 0);
        EXPECT_FALSE(m_tapi->ErrorText(row.result).isEmpty());
    }
    ASSERT_EQ(m_tapi->LineDial(QStringLiteral("1")), 0);
    EXPECT_EQ(m_tapi->LineDial(QStringLiteral("2")), LineResult::CallInProgress);
    EXPECT_EQ(m_tapi->LineAnswer(), LineResult::NotOffered);
    EXPECT_EQ(m_tapi->LineDrop(), 0);

    // A watcher without owner privilege may not answer or drop.
    ASSERT_EQ(m_tapi->LineShutdown(), 0);
    ASSERT_EQ(m_tapi->LineOpen(2, 16), 0);
    ASSERT_EQ(line().farOffer(QStringLiteral("1"), QString()), QString());
    EXPECT_EQ(m_tapi->LineAnswer(), LineResult::NotOwner);
    EXPECT_EQ(m_tapi->LineOpen(3, 16), LineResult::BadPrivileges);

    m_tapi->setCurrentLine(5);
    DeviceCaps caps;
    EXPECT_EQ(m_tapi->GetDeviceCaps(caps), LineResult::BadDevice);
    EXPECT_TRUE(caps.DeviceName.isEmpty());
    EXPECT_FALSE(m_tapi->IsLineOpen());

    QStringList texts;
    for (qint32 code = 0; code <= LineResult::InitFailed; ++code)
        texts << m_tapi->ErrorText(code);
    texts.removeDuplicates();
    EXPECT_EQ(texts.size(), LineResult::InitFailed + 1);
}

TEST_F(SimulatedLineTest, InjectedFailures)
{
    SimulatedFailures& fails = line().failures();
    m_lines->failures().set(QStringLiteral("initialize"), 1);
    EXPECT_EQ(m_tapi->Initialize(), LineResult::InitFailed);
    EXPECT_EQ(m_tapi->DeviceCount(), 0);
    EXPECT_EQ(m_tapi->Initialize(), 0);

    fails.set(QStringLiteral("open"), 2);
    EXPECT_EQ(m_tapi->LineOpen(6, 16), LineResult::Refused);
    EXPECT_EQ(m_tapi->LineOpen(6, 16), LineResult::Refused);
    EXPECT_FALSE(m_tapi->IsLineOpen());
    EXPECT_EQ(m_tapi->LineOpen(6, 16), 0);

    EventLog log(*m_tapi);
    fails.set(QStringLiteral("dial"), 1);
    EXPECT_EQ(m_tapi->LineDial(QStringLiteral("1")), LineResult::Refused);
    EXPECT_FALSE(line().hasCall());

    ASSERT_EQ(line().farOffer(QStringLiteral("1"), QString()), QString());
    fails.set(QStringLiteral("answer"), 1);
    EXPECT_EQ(m_tapi->LineAnswer(), LineResult::Refused);
    fails.set(QStringLiteral("drop"), -1);
    EXPECT_EQ(m_tapi->LineDrop(), LineResult::Refused);
    EXPECT_EQ(m_tapi->LineDrop(), LineResult::Refused);
    // A failed drop leaves the call where it was.
    EXPECT_EQ(line().callState(), SimulatedLineDevice::CallState::Offering);
    fails.clear();
    EXPECT_EQ(m_tapi->LineDrop(), 0);

    // A line that will not close stays open through both calls.
    fails.set(QStringLiteral("close"), -1);
    EXPECT_NE(m_tapi->LineClose(), 0);
    EXPECT_NE(m_tapi->LineShutdown(), 0);
    EXPECT_TRUE(m_tapi->IsLineOpen());
    fails.clear();
    EXPECT_EQ(m_tapi->LineClose(), 0);
    EXPECT_FALSE(m_tapi->IsLineOpen());
    EXPECT_EQ(m_tapi->LineClose(), LineResult::NotOpen);
    EXPECT_TRUE(line().actions().contains(QStringLiteral("drop -> %1").arg(LineResult::Refused)));
}

TEST(SimulatedLines, DevicesComeFromTheEnvironment)
{
    TestEnvironment env;
    struct Row {
        const char* lines;
        const char* serial;
        const char* fail;
        int count;
    };
    const Row rows[] = {
        {"", "", "", 1},
        {"3", "/dev/ttyS0,/dev/pts/7", "open,bogus", 3},
        {"0", "", "", 0},
        {"many", "", "", 1},
        {"99", "", "", 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.lines);
        qputenv("RINGVALE_SIM_LINES", row.lines);
        qputenv("RINGVALE_SIM_SERIAL", row.serial);
        qputenv("RINGVALE_SIM_FAIL", row.fail);
        SimulatedLines lines(SimulatedLines::Config::fromEnvironment());
        SimulatedTelephony tapi(&lines);
        ASSERT_EQ(tapi.Initialize(), 0);
        ASSERT_EQ(tapi.DeviceCount(), row.count);
        for (int i = 0; i < row.count; ++i) {
            tapi.setCurrentLine(i);
            DeviceCaps caps;
            ASSERT_EQ(tapi.GetDeviceCaps(caps), 0);
            EXPECT_TRUE(caps.TapiCapability && caps.VoiceCapability && caps.CallerIdCapability);
            EXPECT_EQ(tapi.GetDeviceID(LineDeviceClass::WaveIn), QStringLiteral("simline:%1").arg(i));
        }
        if (row.count == 3) {
            tapi.setCurrentLine(1);
            EXPECT_EQ(tapi.GetDeviceID(LineDeviceClass::SerialPort), QStringLiteral("/dev/pts/7"));
            tapi.setCurrentLine(2);
            EXPECT_EQ(tapi.GetDeviceID(LineDeviceClass::SerialPort), QString());
            EXPECT_EQ(tapi.LineOpen(6, 16), LineResult::Refused);
        }
    }
    qunsetenv("RINGVALE_SIM_LINES");
    qunsetenv("RINGVALE_SIM_SERIAL");
    qunsetenv("RINGVALE_SIM_FAIL");
    EXPECT_EQ(SimulatedLines::deviceName(0), QStringLiteral("Ringvale Simulated Line"));
    EXPECT_EQ(SimulatedLines::deviceName(2), QStringLiteral("Ringvale Simulated Line 3"));
}

TEST(SimulatedLines, FactoryGivesTheProcessLines)
{
    TestEnvironment env;
    QObject owner;
    TelephonyControl* first = CreateTelephonyControl(&owner);
    TelephonyControl* second = CreateTelephonyControl(&owner);
    ASSERT_EQ(first->Initialize(), 0);
    ASSERT_EQ(second->Initialize(), 0);
    DeviceCaps caps;
    ASSERT_EQ(first->GetDeviceCaps(caps), 0);
    EXPECT_EQ(caps.DeviceName, QStringLiteral("Ringvale Simulated Line"));
    // Two controls of one program see one line, each with its own open state.
    ASSERT_EQ(first->LineOpen(6, 16), 0);
    EXPECT_FALSE(second->IsLineOpen());
    EventLog log(*second);
    ASSERT_EQ(second->LineOpen(2, 16), 0);
    ASSERT_EQ(first->LineDial(QStringLiteral("42")), 0);
    ASSERT_TRUE(waitUntil([&] { return log.events == QStringList{QStringLiteral("Dialing")}; }));
    EXPECT_EQ(first->LineDrop(), 0);
    ASSERT_TRUE(waitUntil([&] { return log.ended(); }));
    EXPECT_EQ(first->LineShutdown(), 0);
    EXPECT_EQ(second->LineShutdown(), 0);
}

TEST_F(SimulatedLineTest, ModemLineLookupLeavesTheFoundLineCurrent)
{
    SimulatedLines::Config config;
    config.lineCount = 3;
    SimulatedLines lines(config);
    SimulatedTelephony tapi(&lines);
    ASSERT_EQ(tapi.Initialize(), 0);
    EXPECT_EQ(FindModemLineIndex(tapi, QStringLiteral("Ringvale Simulated Line 2")), 1);
    EXPECT_EQ(tapi.CurrentLine(), 1);
    EXPECT_EQ(FindModemLineIndex(tapi, QStringLiteral("Ringvale Simulated Line")), 0);
    EXPECT_EQ(FindModemLineIndex(tapi, QStringLiteral("ringvale simulated line")), -1);
    EXPECT_EQ(tapi.CurrentLine(), 2);
}

// A wave file that declares a rate of 1 sample a second holds a few seconds of
// bytes but months of line sound: refused, not converted until memory runs out.
TEST(SimulatedLineFarEnd, SoundTooLongForTheLineIsRefused)
{
    TestEnvironment env;
    const QString path = env.programFolder() + u"/slow.wav"_s;
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(SerializeWaveFile(PcmWaveFormat(1, 1, 8), QByteArray(1024 * 1024, '\x80')));
    file.close();
    QString error;
    EXPECT_FALSE(SimulatedLineDevice::loadFarEndSound(path, &error));
    EXPECT_FALSE(error.isEmpty());

    // An ordinary file still loads, at the line's rate.
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(SerializeWaveFile(PcmWaveFormat(16000, 1, 16), QByteArray(3200, '\0')));
    file.close();
    const auto sound = SimulatedLineDevice::loadFarEndSound(path, &error);
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->size(), 800u);
}

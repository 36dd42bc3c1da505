#include "service/line/ModemPath.h"
#include "common/ChannelMessages.h"
#include "common/FixedRecord.h"
#include "platform/FakeModem.h"
#include "platform/SystemSerialPort.h"
#include "tests/service/line/CallFixture.h"
#include "tests/support/LineEventTexts.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/WaitUntil.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

// The real port, held by another program for busyForMs on the clock from
// the first attempt to open it after busy() (-1: for good).
class BusyPort final : public SerialPort {
public:
    BusyPort() { connect(&m_port, &SerialPort::Received, this, &SerialPort::Received); }

    void busy(qint64 forMs)
    {
        m_busyForMs = forMs;
        m_since.reset();
        opens = 0;
    }
    SerialPortStatus open(const QString& path) override
    {
        ++opens;
        const qint64 now = Clock::instance().elapsedMs();
        if (!m_since)
            m_since = now;
        if (m_busyForMs < 0 || now - *m_since < m_busyForMs)
            return {SerialPortResult::Busy, u"The port is in use by another program"_s};
        return m_port.open(path);
    }
    void close() override { m_port.close(); }
    bool isOpen() const override { return m_port.isOpen(); }
    QString path() const override { return m_port.path(); }
    SerialPortStatus write(const QByteArray& bytes) override { return m_port.write(bytes); }

    int opens = 0;

private:
    SystemSerialPort m_port;
    qint64 m_busyForMs = 0;
    std::optional<qint64> m_since;
};

// The line engine in modem mode on the simulated line, whose serial port is
// a fake modem on a pseudo-terminal; the modem path is the real one.
class ModemPathTest : public CallFixture {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(CallFixture::SetUp());
        m_link = env.runtimeBase() + u"/modem"_s;
        QString error;
        ASSERT_TRUE(fake.start(m_link, &error)) << error.toStdString();
        set(u"Properties\\TabDevices\\CallerID"_s, u"Tapi"_s, u"0"_s);
        state.bCallerIdFromTapi = false;
        writeScenario("ATZ\r\n' caller ID on\r\n\r\nAT#CID=1\r\n");
        makeModem = [this](TelephonyControl& tapi) {
            path = new ModemPath(port, tapi, journal);
            return path;
        };
    }

    void writeScenario(const QByteArray& text)
    {
        QFile file(env.programFolder() + u"/AT_Commands_Scenario.txt"_s);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    void loadModem()
    {
        SimulatedLines::Config config;
        config.serialPorts = {m_link};
        ASSERT_NO_FATAL_FAILURE(load(config));
    }

    // Modem output as one write, so it arrives in one read.
    void say(const QByteArray& bytes) { ASSERT_TRUE(fake.sendRaw(bytes)); }

    bool scenarioPlayed(int times = 1)
    {
        QStringList expected;
        for (int i = 0; i < times; ++i)
            expected << u"ATZ"_s << u"AT#CID=1"_s;
        return waitUntil([&] { return fake.commands() == expected; });
    }

    QString m_link;
    FakeModem fake;
    BusyPort port;
    ModemPath* path = nullptr;
};

TEST_F(ModemPathTest, ScenarioIsPlayedOneCommandAfterEachAnswer)
{
    ASSERT_NO_FATAL_FAILURE(loadModem());
    ASSERT_TRUE(scenarioPlayed());
    EXPECT_TRUE(line->IsWatching());
    EXPECT_EQ(state.nLineState, 0);
    const QStringList journal = sysJournal();
    EXPECT_TRUE(journal.contains(u"CommConnect->AT COMMAND:ATZ(0)"_s)) << journal.join(u'\n').toStdString();
    EXPECT_TRUE(journal.contains(u"CommConnect->Success open comm port"_s + m_link + u"(0)"_s));
    EXPECT_TRUE(
        waitUntil([&] { return sysJournal().contains(u"ProcessEvent->AT COMMAND:AT#CID=1:OK(0)"_s); }));
    EXPECT_TRUE(path->atCommands().size() == 1 || path->atCommands().isEmpty());
}

TEST_F(ModemPathTest, RefusedCommandGoesOnAndASilentOneStopsTheScenario)
{
    fake.setErrorCommands({u"ATZ"_s});
    ASSERT_NO_FATAL_FAILURE(loadModem());
    ASSERT_TRUE(scenarioPlayed());
    EXPECT_TRUE(
        waitUntil([&] { return sysJournal().contains(u"ProcessEvent->AT COMMAND:AT#CID=1:ERROR(0)"_s); }));

    // A modem that answers nothing keeps the rest of the scenario; its
    // caller-ID lines are still read.
    line->CloseLine();
    fake.setErrorCommands({});
    fake.setSilentCommands({u"ATZ"_s});
    line->OpenLine();
    ASSERT_TRUE(waitUntil([&] { return fake.commands().size() == 3; }))
        << fake.commands().join(u' ').toStdString();
    // The answer that never comes: nothing follows ATZ, however long.
    QTest::qWait(100);
    EXPECT_EQ(fake.commands().mid(2), QStringList{u"ATZ"_s});
    events.clear();
    say("\r\nRING\r\n");
    EXPECT_TRUE(waitUntil([&] { return events.contains(ring(1)); }));
}

TEST_F(ModemPathTest, MissingScenarioIsCreatedEmptyAndThePortStillWatches)
{
    ASSERT_TRUE(QFile::remove(env.programFolder() + u"/AT_Commands_Scenario.txt"_s));
    ASSERT_NO_FATAL_FAILURE(loadModem());
    const QFileInfo created(env.programFolder() + u"/AT_Commands_Scenario.txt"_s);
    EXPECT_TRUE(created.isFile());
    EXPECT_EQ(created.size(), 0);
    EXPECT_TRUE(line->IsWatching());
    QTest::qWait(100);
    EXPECT_TRUE(fake.commands().isEmpty());
}

TEST_F(ModemPathTest, BusyPortIsRetriedAndEachEpisodeHasTheWholeBudget)
{
    port.busy(3000);
    ASSERT_NO_FATAL_FAILURE(loadModem());
    EXPECT_TRUE(line->IsWatching());
    EXPECT_EQ(port.opens, 4);
    QStringList journal = sysJournal();
    for (int tries = 0; tries < 3; ++tries)
        EXPECT_TRUE(journal.contains(
            u"CommConnect->Try opening the port "_s + m_link + u' ' + QString::number(tries) + u"(0)"_s));

    // Busy again for three seconds: the whole budget again, not one retry.
    line->CloseLine();
    port.busy(3000);
    line->OpenLine();
    EXPECT_TRUE(line->IsWatching());
    EXPECT_EQ(port.opens, 4);

    // Busy for good: five tries, then given up, and the line stays closed.
    line->CloseLine();
    port.busy(-1);
    events.clear();
    line->OpenLine();
    EXPECT_FALSE(line->IsWatching());
    EXPECT_EQ(port.opens, 5);
    EXPECT_TRUE(sysJournal().contains(
        u"CommConnect->The device already open  The port is in use by another program(Try for 4 seconds)(8012)"_s));
    EXPECT_TRUE(waitUntil([&] { return events.contains(u"LineStatus\r\n0\r\n1\r\nFalse"_s); }));
}

TEST_F(ModemPathTest, PortOpenInThisProcessAlreadyIsJournaledOnce)
{
    SystemSerialPort other;
    ASSERT_TRUE(other.open(m_link).ok());
    ASSERT_NO_FATAL_FAILURE(loadModem());
    EXPECT_FALSE(line->IsWatching());
    EXPECT_EQ(port.opens, 1);
    EXPECT_TRUE(sysJournal().contains(
        u"CommConnect->Unable to connect to modem, port already open"_s + m_link + u"(8005)"_s));
}

// RING, NMBR, NAME, RING, in one read or line by line: the call, its rings,
// its caller ID, and the line device taken over as owner.
TEST_F(ModemPathTest, CallerIdBetweenTwoRingsIsReportedAndTheLineTakenOver)
{
    const QList<QList<QByteArray>> deliveries = {
        {"\r\nRING\r\n", "\r\nDATE=1210\r\nTIME=0930\r\nNMBR=5551234\r\nNAME=Ann Lee\r\n", "\r\nRING\r\n"},
        {"\r\nRING\r\n\r\nNMBR = 5551234\r\nNAME = Ann Lee\r\n\r\nRING\r\n"},
    };
    for (int loads = 1; const QList<QByteArray>& pieces : deliveries) {
        SCOPED_TRACE(pieces.size());
        ASSERT_NO_FATAL_FAILURE(loadModem());
        ASSERT_TRUE(scenarioPlayed(loads++));
        for (const QByteArray& piece : pieces) {
            say(piece);
            QTest::qWait(20);
        }
        ASSERT_TRUE(waitUntil([&] { return callerIds.size() == 1 && events.contains(ring(2)); }));
        settle();
        // The engine of the round before may still be heard saying it closed.
        events.removeIf([](const QString& text) { return text.startsWith(u"LineStatus"_s); });
        EXPECT_EQ(events, (QStringList{ring(1), ChannelMessages::commIncomming(0, false), ring(2)}));
        ChannelMessages::CallerIdFields fields;
        fields.callerName = u"Ann Lee"_s;
        fields.callerNumber = u"5551234"_s;
        EXPECT_EQ(callerIds.first(), ChannelMessages::commCid(0, fields));
        EXPECT_TRUE(device()->actions().contains(u"open 4 8 -> 0"_s)) << device()->statusText().toStdString();
        EXPECT_FALSE(path->PortOpen());
        EXPECT_TRUE(sysJournal().contains(u"->Comm_CallerID:(Index:0):Ann Lee:5551234,Contact()(0)"_s));
        EXPECT_TRUE(callsJournal().contains(u"Caller Name : Ann Lee     Caller Number : 5551234"_s));
        line.reset();
        events.clear();
        callerIds.clear();
    }
}

// Caller-ID lines that came long before the first RING were left by
// something else (a call that never rang, a stray line) and are not the new
// call's; those sent shortly before it, as some networks do, are.
TEST_F(ModemPathTest, CallerIdLinesLongBeforeTheFirstRingAreNotTheCalls)
{
    struct Step {
        qint64 afterMs; // on the test clock, before the bytes are read
        QByteArray bytes;
    };
    struct Case {
        const char* why;
        QList<Step> steps;
        QString name;
        QString number;
    };
    const QByteArray callerId = "\r\nDATE=1210\r\nTIME=0930\r\nNMBR=5551234\r\nNAME=Ann Lee\r\n";
    const Case cases[] = {
        {"35 s before the first ring", {{0, callerId}, {35000, "\r\nRING\r\n"}, {4000, "\r\nRING\r\n"}},
            u"UNKNOWN"_s, u"UNKNOWN"_s},
        {"just over 10 s before", {{0, callerId}, {10001, "\r\nRING\r\n"}, {4000, "\r\nRING\r\n"}},
            u"UNKNOWN"_s, u"UNKNOWN"_s},
        {"10 s before still counts", {{0, callerId}, {10000, "\r\nRING\r\n"}, {4000, "\r\nRING\r\n"}},
            u"Ann Lee"_s, u"5551234"_s},
        {"2 s before the first ring", {{0, callerId}, {2000, "\r\nRING\r\n"}, {4000, "\r\nRING\r\n"}},
            u"Ann Lee"_s, u"5551234"_s},
        {"a stale name, a fresh number",
            {{0, "\r\nNAME=Old Caller\r\n"}, {30000, "\r\nNMBR=5551234\r\n"}, {1000, "\r\nRING\r\n"},
                {4000, "\r\nRING\r\n"}},
            u"UNKNOWN"_s, u"5551234"_s},
        {"stale lines, then the call's own between the rings",
            {{0, "\r\nNAME=Old Caller\r\nNMBR=5550000\r\n"}, {35000, "\r\nRING\r\n"}, {1000, callerId},
                {3000, "\r\nRING\r\n"}},
            u"Ann Lee"_s, u"5551234"_s},
        {"after the first ring, however late",
            {{0, "\r\nRING\r\n"}, {30000, callerId}, {1000, "\r\nRING\r\n"}}, u"Ann Lee"_s, u"5551234"_s},
    };
    for (int loads = 1; const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ASSERT_NO_FATAL_FAILURE(loadModem());
        ASSERT_TRUE(scenarioPlayed(loads++));
        for (const Step& step : c.steps) {
            clock.advance(step.afterMs);
            path->MSComm1_OnComm(step.bytes);
        }
        ASSERT_TRUE(waitUntil([&] { return callerIds.size() == 1; }));
        ChannelMessages::CallerIdFields fields;
        fields.callerName = c.name;
        fields.callerNumber = c.number;
        EXPECT_EQ(callerIds.first(), ChannelMessages::commCid(0, fields));
        settle();
        line.reset();
        events.clear();
        callerIds.clear();
    }
}

TEST_F(ModemPathTest, CallThatHangsUpAfterOneRingEndsAtTheThirteenthTick)
{
    ASSERT_NO_FATAL_FAILURE(loadModem());
    ASSERT_TRUE(scenarioPlayed());
    say("\r\nRING\r\n");
    ASSERT_TRUE(waitUntil([&] { return events.size() == 2; }));
    ASSERT_TRUE(path->isIdleTimerActive());
    // The test ticks by hand from a count of 0: on a loaded machine the
    // path's own one-second timer may already have ticked, and would tick
    // again between the test's ticks.
    path->StartIdleTimer();
    path->StopIdleTimer();
    for (int tick = 1; tick <= 12; ++tick)
        path->tmrIDLE_Timer();
    QTest::qWait(50);
    EXPECT_TRUE(idles.isEmpty());
    path->tmrIDLE_Timer();
    ASSERT_TRUE(waitUntil([&] { return !idles.isEmpty(); }));
    EXPECT_EQ(idles, QStringList{ChannelMessages::commIdle(0, u"0"_s)});
    EXPECT_TRUE(waitUntil([&] { return events.contains(ChannelMessages::commIdle(0, u"0"_s)); }));
    EXPECT_EQ(recordCount(), 1);
    EXPECT_FALSE(path->isIdleTimerActive());
    EXPECT_TRUE(path->PortOpen()) << "the port goes on watching";
}

TEST_F(ModemPathTest, RefusedHandOverLeavesTheCallToTheBoundAndThePortIsReopened)
{
    ASSERT_NO_FATAL_FAILURE(loadModem());
    ASSERT_TRUE(scenarioPlayed());
    device()->failures().set(u"open"_s, -1);
    say("\r\nRING\r\n\r\nNMBR=5551234\r\nNAME=Ann Lee\r\n\r\nRING\r\n");
    ASSERT_TRUE(waitUntil([&] { return callerIds.size() == 1; }));
    EXPECT_FALSE(path->PortOpen());
    // Ten retries, each a timer step, then the last try's entry.
    const QString refused = u"GetTapiFromComm:Tapi1.LineOpen->The line refused the request(10)"_s;
    EXPECT_TRUE(waitUntil([&] { return sysJournal().count(refused) == 12; })) << sysJournal().count(refused);
    settle();
    EXPECT_EQ(sysJournal().count(refused), 12);
    EXPECT_FALSE(tapi->IsLineOpen());
    device()->failures().clear();
    for (int tick = 1; tick <= 13; ++tick)
        path->tmrIDLE_Timer();
    ASSERT_TRUE(waitUntil([&] { return !idles.isEmpty(); }));
    EXPECT_EQ(recordCount(), 1);
    EXPECT_TRUE(path->PortOpen());
    EXPECT_TRUE(scenarioPlayed(2));
}

// The hand-over's retries are timer steps half a second apart, the port
// closed before each; the loop runs meanwhile.
TEST_F(ModemPathTest, RefusedHandOverIsRetriedEveryHalfSecondOnTheClock)
{
    ASSERT_NO_FATAL_FAILURE(loadModem());
    ASSERT_TRUE(scenarioPlayed());
    clock.setAutoAdvance(false);
    device()->failures().set(u"open"_s, 2);
    const QString refused = u"GetTapiFromComm:Tapi1.LineOpen->The line refused the request(10)"_s;
    say("\r\nRING\r\n\r\nNMBR=5551234\r\nNAME=Ann Lee\r\n\r\nRING\r\n");
    ASSERT_TRUE(waitUntil([&] { return callerIds.size() == 1; }));
    EXPECT_EQ(sysJournal().count(refused), 1);
    EXPECT_FALSE(path->PortOpen());

    const qint64 firstTry = clock.elapsedMs();
    for (int retry = 1; retry <= 2; ++retry) {
        SCOPED_TRACE(retry);
        clock.advance(ModemPath::HandOverPauseMs - 1);
        settle();
        EXPECT_EQ(sysJournal().count(refused), retry) << "no retry before half a second";
        EXPECT_FALSE(tapi->IsLineOpen());
        clock.advance(1);
        if (retry == 1) {
            ASSERT_TRUE(waitUntil([&] { return sysJournal().count(refused) == 2; }));
        }
    }
    ASSERT_TRUE(waitUntil([&] { return tapi->IsLineOpen(); }));
    EXPECT_EQ(clock.elapsedMs() - firstTry, 2 * ModemPath::HandOverPauseMs);
    EXPECT_EQ(sysJournal().count(refused), 2);
    EXPECT_TRUE(sysJournal().contains(u"GetTapiFromComm:Tapi1.LineOpen->"_s + tapi->ErrorText(0) + u"(0)"_s))
        << sysJournal().join(u"\n"_s).toStdString();
    EXPECT_FALSE(path->PortOpen());
}

TEST_F(ModemPathTest, CallerIdAfterAnEndedCallIsACallTheBoundEnds)
{
    ASSERT_NO_FATAL_FAILURE(loadModem());
    ASSERT_TRUE(scenarioPlayed());
    say("\r\nRING\r\n");
    ASSERT_TRUE(waitUntil([&] { return events.size() == 2; }));
    for (int tick = 1; tick <= ModemPath::IdleBoundTicks; ++tick)
        path->tmrIDLE_Timer();
    ASSERT_TRUE(waitUntil([&] { return idles.size() == 1; }));
    ASSERT_EQ(recordCount(), 1);

    clock.advance(60 * 1000);
    emit path->CallerID(u"Bob"_s, u"5550002"_s);
    EXPECT_TRUE(line->IsInCall());
    EXPECT_TRUE(path->isIdleTimerActive()) << "nothing else would end this call";
    for (int tick = 1; tick <= ModemPath::IdleBoundTicks; ++tick)
        path->tmrIDLE_Timer();
    ASSERT_TRUE(waitUntil([&] { return idles.size() == 2; }));
    EXPECT_FALSE(line->IsInCall());
    ASSERT_EQ(recordCount(), 2);
    EXPECT_EQ(FixedRecord::trimBlanks(record(2)->CallerName), u"Bob"_s);
    EXPECT_TRUE(FixedRecord::trimBlanks(record(2)->CallTime).startsWith(u"09:31:"_s));
    // The line device held the line for the hand-over; it is the modem's again.
    EXPECT_FALSE(tapi->IsLineOpen());
    EXPECT_TRUE(path->PortOpen());
}

// A call dialled in modem mode takes the line from the modem; at its end the
// line goes back to the modem only when the line is to be watched.
TEST_F(ModemPathTest, DialledCallGivesTheLineBackOnlyWhenTheLineIsOn)
{
    ASSERT_NO_FATAL_FAILURE(loadModem());
    ASSERT_TRUE(scenarioPlayed());
    struct Row {
        const char* name;
        bool switchedOff;
        bool portAfter;
        int scenarios;
    };
    const Row rows[] = {{"line on", false, true, 2}, {"line off", true, false, 2}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.switchedOff)
            line->udiIn_MessageArrived(u"OFF"_s);
        line->udiIn_MessageArrived(u"CallOut\r\n5559876"_s);
        EXPECT_FALSE(path->PortOpen());
        ASSERT_TRUE(tapi->IsLineOpen());
        ASSERT_TRUE(waitUntil([&] { return device()->hasCall(); }));
        ASSERT_EQ(device()->farAnswer(), QString());
        ASSERT_EQ(device()->farHangup(1000), QString());
        ASSERT_TRUE(waitUntil([&] { return !device()->hasCall() && !line->IsInCall(); }));
        settle();
        EXPECT_EQ(path->PortOpen(), row.portAfter);
        EXPECT_FALSE(tapi->IsLineOpen());
        EXPECT_EQ(state.nLineState, row.portAfter ? 0 : 1);
        EXPECT_TRUE(scenarioPlayed(row.scenarios));
    }
}

TEST_F(ModemPathTest, AutoModeWaitsLongerEachTimeThePortDoesNotOpen)
{
    port.busy(-1);
    ASSERT_NO_FATAL_FAILURE(loadModem());
    line->udiIn_MessageArrived(u"AUTO\r\n08:00:00\r\n23:00:00"_s);
    ASSERT_TRUE(waitUntil([&] { return events.size() == 1; }));
    port.busy(-1);
    const auto tryNow = [&](qint64 afterMs) {
        clock.advance(afterMs);
        const int before = port.opens;
        line->tmrAutoMode_Timer();
        return port.opens > before;
    };
    EXPECT_TRUE(tryNow(0));
    // Each failed open waits 2, 4, 8 ... seconds before the next.
    for (const qint64 wait : {2000, 4000, 8000, 16000, 32000, 60000, 60000}) {
        EXPECT_FALSE(tryNow(wait - 1)) << wait;
        EXPECT_TRUE(tryNow(1)) << wait;
    }
    settle();
    EXPECT_EQ(events, QStringList{u"LineStatus\r\n0\r\n1\r\nTrue"_s}) << "nothing changed to report";

    // "AUTO" again starts afresh, and a port that opens ends the waits.
    line->udiIn_MessageArrived(u"AUTO\r\n08:00:00\r\n23:00:00"_s);
    port.busy(0);
    EXPECT_TRUE(tryNow(0));
    EXPECT_TRUE(line->IsWatching());
    EXPECT_TRUE(waitUntil([&] { return events.last() == u"LineStatus\r\n0\r\n0\r\nTrue"_s; }));
}

} // namespace

#include "common/WaveFile.h"
#include "platform/SimulatedTelephony.h"
#include "platform/SinkWave.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"
#include "tests/tools/ToolRun.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// This process holds the simulated line open, as RingvaleSvc does; the tool
// is a separate program that reaches it through the control socket.
class RingvaleLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_lines = std::make_unique<SimulatedLines>(SimulatedLines::Config());
        m_tapi = std::make_unique<SimulatedTelephony>(m_lines.get());
        ASSERT_EQ(m_tapi->Initialize(), 0);
        ASSERT_EQ(m_tapi->LineOpen(6, 16), 0);
        ASSERT_TRUE(m_lines->isServing());
        const auto note = [this](const QString& event) { m_events << event; };
        connect(u"InComeCall"_s, &TelephonyControl::InComeCall, note);
        connect(u"Dialing"_s, &TelephonyControl::Dialing, note);
        connect(u"Connected"_s, &TelephonyControl::Connected, note);
        connect(u"Disconnected"_s, &TelephonyControl::Disconnected, note);
        connect(u"Idle"_s, &TelephonyControl::Idle, note);
        QObject::connect(
            m_tapi.get(), &TelephonyControl::Ring, [this](qint32 n) { m_events << u"Ring %1"_s.arg(n); });
        QObject::connect(
            m_tapi.get(), &TelephonyControl::CallerID, [this](const QString& name, const QString& number) {
                m_events << u"CallerID "_s + name + u' ' + number;
            });
    }

    template<typename Signal, typename Note>
    void connect(const QString& name, Signal signal, Note note)
    {
        QObject::connect(m_tapi.get(), signal, [note, name] { note(name); });
    }

    // Runs the tool and keeps this process's event loop (and so the line) going meanwhile.
    ToolRun run(const QStringList& args, const QString& folder = QString())
    {
        QProcess tool;
        tool.setProcessEnvironment(m_env.processEnvironment());
        if (!folder.isEmpty())
            tool.setWorkingDirectory(folder);
        tool.start(TestEnvironment::binary(u"ringvale-line"_s), args);
        EXPECT_TRUE(tool.waitForStarted(testTimeout(5000)));
        EXPECT_TRUE(waitUntil([&] { return tool.state() == QProcess::NotRunning; }, 20000))
            << args.join(u' ').toStdString();
        return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
            QString::fromUtf8(tool.readAllStandardOutput()), QString::fromUtf8(tool.readAllStandardError())};
    }

    SimulatedLineDevice& line() { return *m_lines->device(0); }
    std::string events() const { return m_events.join(u", "_s).toStdString(); }

    TestEnvironment m_env;
    std::unique_ptr<SimulatedLines> m_lines;
    std::unique_ptr<SimulatedTelephony> m_tapi;
    QStringList m_events;
};

} // namespace

TEST_F(RingvaleLineTest, WholeCallReachesTheProgramAndIsReportedBack)
{
    // The program answers a far-end hang-up with a drop, as the line engine does.
    QObject::connect(m_tapi.get(), &TelephonyControl::Disconnected, [this] { m_tapi->LineDrop(); });
    const ToolRun call = run({u"call"_s, u"--number"_s, u"5551234"_s, u"--name"_s, u"Ann Lee"_s, u"--rings"_s,
        u"2"_s, u"--fast"_s});
    ASSERT_EQ(call.exitCode, 0) << call.err.toStdString();
    EXPECT_EQ(events(), "InComeCall, Ring 1, CallerID Ann Lee 5551234, Ring 2, Disconnected, Idle");
    const QStringList printed = call.out.split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(printed.first(), u"incoming call"_s);
    EXPECT_TRUE(printed.contains(u"caller ID: name \"Ann Lee\", number \"5551234\""_s))
        << call.out.toStdString();
    EXPECT_TRUE(printed.contains(u"the line was asked: drop -> 0"_s));
    EXPECT_EQ(printed.last(), u"the call has ended"_s);

    const ToolRun status = run({u"status"_s});
    ASSERT_EQ(status.exitCode, 0);
    EXPECT_TRUE(status.out.contains(u"line 0: Ringvale Simulated Line\n"_s));
    EXPECT_TRUE(status.out.contains(u"  open: yes, privileges 6, media modes 16\n"_s));
    EXPECT_TRUE(status.out.contains(u"  call: idle\n"_s));
    EXPECT_TRUE(status.out.contains(u"    drop -> 0\n"_s)) << status.out.toStdString();
}

TEST_F(RingvaleLineTest, SingleStepsDriveTheFarEnd)
{
    // Untrusted network text passes as it is: a name holding CR LF.
    ASSERT_EQ(run({u"offer"_s, u"--number"_s, u"0301"_s, u"--name"_s, u"A\r\nB"_s}).exitCode, 0);
    ASSERT_EQ(run({u"ring"_s}).exitCode, 0);
    ASSERT_EQ(run({u"cid"_s}).exitCode, 0);
    ASSERT_EQ(run({u"cid"_s, u"--number"_s, u"0302"_s, u"--name"_s, u""_s}).exitCode, 0);
    ASSERT_EQ(m_tapi->LineAnswer(), 0);
    ASSERT_EQ(run({u"hangup"_s}).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return m_events.size() == 6; }));
    ASSERT_EQ(m_tapi->LineDrop(), 0);
    ASSERT_TRUE(waitUntil([&] { return m_events.contains(u"Idle"_s); }));
    EXPECT_EQ(
        events(), "InComeCall, Ring 1, CallerID A\r\nB 0301, CallerID  0302, Connected, Disconnected, Idle");

    // Steps that do not fit the line's state are refused, with the reason.
    const ToolRun ring = run({u"ring"_s});
    EXPECT_EQ(ring.exitCode, 1);
    EXPECT_TRUE(ring.err.contains(u"no call is being offered"_s)) << ring.err.toStdString();
    EXPECT_EQ(run({u"hangup"_s}).exitCode, 1);
    EXPECT_EQ(run({u"answer"_s}).exitCode, 1);
    EXPECT_EQ(run({u"--line"_s, u"3"_s, u"offer"_s}).exitCode, 1);
}

TEST_F(RingvaleLineTest, FarEndOfADialledCallAnswersWithItsSound)
{
    QDir folder(m_env.programFolder());
    PcmSound sound;
    sound.samplesPerSec = 16000; // converted to the line's 8000 Hz
    sound.channels = 1;
    sound.samples.assign(1600, 1000);
    QString error;
    ASSERT_TRUE(WriteWaveFile(folder.filePath(u"hello.wav"_s), PcmWaveFormat(16000, 1, 16), sound, &error));

    ASSERT_EQ(m_tapi->LineDial(u"5550000"_s), 0);
    // A relative path is the tool's own working folder's.
    ASSERT_EQ(run({u"answer"_s, u"--audio"_s, u"hello.wav"_s}, folder.path()).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return m_tapi->IsCallConnected(); }));
    SinkWave wave(folder.filePath(u"sink"_s));
    qint32 rate = 0;
    const QString recording = folder.filePath(u"call.wav"_s);
    ASSERT_EQ(wave.StartRecord(m_tapi->GetDeviceID(1), recording, TelephoneWaveFormat(1),
                  TelephoneWaveFormat(1), rate, true),
        0);
    ASSERT_TRUE(waitUntil([&] { return line().farEndSamplesLeft() == 0; }, 10000));
    ASSERT_EQ(run({u"hangup"_s}).exitCode, 0);
    ASSERT_EQ(wave.StopRecord(), 0);
    const std::optional<PcmSound> heard = LoadWaveSound(recording, &error);
    ASSERT_TRUE(heard) << error.toStdString();
    EXPECT_EQ(heard->frames(), 800);
    EXPECT_EQ(events(), "Dialing, Connected, Disconnected");

    const ToolRun bad = run({u"answer"_s, u"--audio"_s, u"missing.wav"_s}, folder.path());
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.err.contains(u"no sound file missing.wav"_s));
}

TEST_F(RingvaleLineTest, FailuresAreInjectedAndCleared)
{
    ASSERT_EQ(run({u"fail"_s, u"drop"_s, u"answer"_s}).exitCode, 0);
    ASSERT_EQ(run({u"offer"_s, u"--number"_s, u"1"_s}).exitCode, 0);
    EXPECT_EQ(m_tapi->LineAnswer(), LineResult::Refused);
    EXPECT_EQ(m_tapi->LineDrop(), LineResult::Refused);
    const ToolRun status = run({u"status"_s});
    EXPECT_TRUE(status.out.contains(u"  failures: answer, drop\n"_s)) << status.out.toStdString();
    EXPECT_TRUE(status.out.contains(u"    drop -> %1\n"_s.arg(LineResult::Refused)));
    ASSERT_EQ(run({u"fail"_s, u"none"_s}).exitCode, 0);
    EXPECT_EQ(m_tapi->LineDrop(), 0);

    ASSERT_EQ(run({u"fail"_s, u"open"_s, u"initialize"_s, u"--times"_s, u"1"_s}).exitCode, 0);
    ASSERT_EQ(m_tapi->LineClose(), 0);
    EXPECT_EQ(m_tapi->LineOpen(6, 16), LineResult::Refused);
    EXPECT_EQ(m_tapi->LineOpen(6, 16), 0);
    EXPECT_EQ(m_tapi->Initialize(), LineResult::InitFailed);
    EXPECT_EQ(m_tapi->Initialize(), 0);
}

TEST_F(RingvaleLineTest, BadArgumentsAndNoLineAreToldApart)
{
    const QList<QStringList> usage = {
        {},
        {u"dance"_s},
        {u"call"_s},
        {u"call"_s, u"--number"_s, u"1"_s, u"--rings"_s, u"many"_s},
        {u"ring"_s, u"--name"_s, u"x"_s},
        {u"fail"_s},
        {u"fail"_s, u"everything"_s},
        {u"status"_s, u"extra"_s},
        {u"offer"_s, u"--number"_s},
    };
    for (const QStringList& args : usage) {
        const ToolRun result = run(args);
        EXPECT_EQ(result.exitCode, 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(result.err.startsWith(u"ringvale-line: "_s));
    }
    EXPECT_EQ(run({u"--help"_s}).exitCode, 0);

    // Once the program has closed the line, nobody drives it.
    ASSERT_EQ(m_tapi->LineShutdown(), 0);
    EXPECT_FALSE(m_lines->isServing());
    const ToolRun none = run({u"status"_s});
    EXPECT_EQ(none.exitCode, 3);
    EXPECT_TRUE(none.err.contains(u"no program has the simulated line open"_s));
}

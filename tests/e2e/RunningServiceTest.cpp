#include "common/ChannelMessages.h"
#include "common/RegistryRoutines.h"
#include "platform/MessageControl.h"
#include "tests/support/JournalFiles.h"
#include "tests/support/LineEventTexts.h"
#include "tests/support/NotifySocket.h"
#include "tests/support/ServiceProcess.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTime>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString kOpenAuto = u"LineStatus\r\n0\r\n0\r\nTrue"_s;
const QString kClosedAuto = u"LineStatus\r\n0\r\n1\r\nTrue"_s;

// The installation's defaults open the simulated line at start; the test
// listens on 307 as the desktop program would and steers 305.
class RunningService : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.installDefaults();
        ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Journal"_s));
        ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Sound"_s));
        extra.insert(u"RINGVALE_AUDIO_SINK"_s, sink.path());
        // Bound before the service starts, so its start-up report has a peer.
        events.Channel(ChannelNumber::EventChannel);
        QObject::connect(
            &events, &MessageControl::MessageArrived, [this](const QString& text) { received.append(text); });
    }

    void set(const QString& section, const QString& name, const QString& value)
    {
        ASSERT_TRUE(RegistryRoutines::forProduct(section).setString(name, value)) << name.toStdString();
    }
    QString get(const QString& section, const QString& name)
    {
        return RegistryRoutines::forProduct(section).getString(name);
    }
    void remove(const QString& section, const QString& name)
    {
        // Missing already counts as removed.
        static_cast<void>(RegistryRoutines::forProduct(section).DeleteValue(name));
    }

    std::unique_ptr<Svc> start(const std::optional<QString>& notifySocket = std::nullopt)
    {
        return std::make_unique<Svc>(env, QStringList{u"-gc"_s}, notifySocket, false, QString(), extra);
    }
    // The service has bound 305: it is loaded.
    bool waitForProcessChannel()
    {
        return waitUntil([&] { return proc.Channel(ChannelNumber::ProcChannel); });
    }
    bool send(const QString& text)
    {
        if (!proc.Channel(ChannelNumber::ProcChannel))
            return false;
        proc.Send(text);
        return proc.Flush(3000);
    }
    // The next text on 307 within the time, taken off the list.
    std::optional<QString> nextEvent(int timeoutMs = 5000)
    {
        if (!waitUntil([&] { return !received.isEmpty(); }, timeoutMs))
            return std::nullopt;
        return received.takeFirst();
    }
    // Journal lines with their times cut off.
    QStringList journal() const
    {
        QStringList lines;
        QDir folder(env.programFolder() + u"/Journal"_s);
        // In date order, also when the run crossed the end of a year.
        QStringList names = folder.entryList({u"*_Sys.txt"_s}, QDir::Files);
        std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
            return QDate::fromString(a.left(10), u"MM-dd-yyyy"_s)
                < QDate::fromString(b.left(10), u"MM-dd-yyyy"_s);
        });
        for (const QString& name : names) {
            for (const QString& line : journalEntries(folder.filePath(name))) {
                static const QRegularExpression time(u"^\\d\\d:\\d\\d:\\d\\d : "_s);
                EXPECT_TRUE(time.match(line).hasMatch()) << line.toStdString();
                lines << line.mid(11);
            }
        }
        return lines;
    }
    // ringvale-line status: the exit status and what it printed.
    std::pair<int, QString> lineStatus()
    {
        QProcess tool;
        tool.setProcessEnvironment(env.processEnvironment());
        tool.start(TestEnvironment::binary(u"ringvale-line"_s), {u"status"_s});
        if (!tool.waitForFinished(testTimeout(5000)))
            return {-1, QString()};
        return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput())};
    }
    void unloadAndExpectTheEnd(const QString& lastStatus)
    {
        ASSERT_TRUE(send(u"UNLOAD"_s));
        EXPECT_EQ(nextEvent(), lastStatus);
        EXPECT_EQ(svc->waitForExit(), 0);
        EXPECT_EQ(svc->userStderr(), QByteArray()) << svc->userStderr().constData();
    }

    TestEnvironment env;
    QTemporaryDir sink;
    QProcessEnvironment extra;
    MessageControl events;
    MessageControl proc;
    QStringList received;
    std::unique_ptr<Svc> svc;
};

TEST_F(RunningService, StartsWithTheOpeningJournalLinesAndTheLineOpenUntilUnload)
{
    svc = start();
    ASSERT_EQ(nextEvent(), kOpen);
    ASSERT_TRUE(waitForProcessChannel());
    const QString gap(27, u' ');
    EXPECT_EQ(journal(),
        (QStringList{
            u"->Opening Ringvale 1.1 Process(0)"_s,
            u"->Init Tapi->Success(0)"_s,
            u"->Device Details -"_s + gap + u"Line Index: 0"_s + gap
                + u"Device Name: Ringvale Simulated Line"_s + gap + u"Tapi Capability: Yes"_s + gap
                + u"Voice Capability: Yes"_s + gap + u"Monitor Digits: No(0)"_s,
            u"OpenLine:Tapi1.LineOpen(0)->Success(0)"_s,
        }));
    const auto [code, status] = lineStatus();
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(status.contains(u"open: yes, privileges 6, media modes 16"_s)) << status.toStdString();
    EXPECT_EQ(get(u"Properties\\TabDevices"_s, u"cmbModemDev"_s), u"Ringvale Simulated Line"_s);
    EXPECT_EQ(get(u"Properties\\TabDevices"_s, u"cmbSoundDev"_s), u"Ringvale Audio Sink"_s);

    // "UNLOAD" followed by CR LF is not "UNLOAD".
    ASSERT_TRUE(send(u"UNLOAD\r\n"_s));
    EXPECT_FALSE(nextEvent(300).has_value());
    EXPECT_TRUE(svc->isRunning());

    unloadAndExpectTheEnd(kClosed);
    EXPECT_EQ(journal().last(), u"CloseLine->Success(0)"_s);
    EXPECT_EQ(lineStatus().first, 3) << "no program has the line open any more";
}

struct LineStateRow {
    const char* name;
    std::optional<QString> stored; // cmbLineStat; nullopt: missing
    bool insideWindow;
    QStringList atStart; // reports in the first moments
    bool openAfterStart;
    QString atUnload;
};

class StoredLineState : public RunningService {
protected:
    void run(const LineStateRow& row)
    {
        SCOPED_TRACE(row.name);
        received.clear();
        const QTime now = QTime::currentTime();
        const auto text = [](const QTime& time) { return time.toString(u"HH:mm:ss"_s); };
        set(u"Properties\\TabLineStat"_s, u"txtTimeOn"_s,
            text(row.insideWindow ? now.addSecs(-7200) : now.addSecs(3600)));
        set(u"Properties\\TabLineStat"_s, u"txtTimeOff"_s, text(now.addSecs(7200)));
        if (row.stored)
            set(u"Properties\\TabLineStat"_s, u"cmbLineStat"_s, *row.stored);
        else
            remove(u"Properties\\TabLineStat"_s, u"cmbLineStat"_s);

        svc = start();
        ASSERT_TRUE(waitForProcessChannel());
        for (const QString& expected : row.atStart)
            EXPECT_EQ(nextEvent(3000), expected);
        // Auto mode ticks every second: a line inside its window stays open.
        EXPECT_EQ(nextEvent(row.openAfterStart && row.stored == u"2" ? 1200 : 300), std::nullopt);
        // 3: no program has the simulated line open.
        EXPECT_EQ(lineStatus().first, row.openAfterStart ? 0 : 3);
        unloadAndExpectTheEnd(row.atUnload);
        svc.reset();
    }
};

TEST_F(StoredLineState, OnOffOrNothingOpensOrLeavesTheLineClosed)
{
    const LineStateRow rows[] = {
        {"0: open", u"0"_s, false, {kOpen}, true, kClosed},
        {"1: closed, nothing reported", u"1"_s, false, {}, false, kClosed},
        {"missing: closed", std::nullopt, false, {}, false, kClosed},
        {"other text: closed", u"on"_s, false, {}, false, kClosed},
    };
    for (const LineStateRow& row : rows)
        run(row);
}

TEST_F(StoredLineState, AutoModeOpensTheLineAndThenFollowsTheWindow)
{
    const LineStateRow rows[] = {
        {"inside the window: stays open", u"2"_s, true, {kOpenAuto}, true, kClosedAuto},
        {"outside the window: closed within a second", u"2"_s, false, {kOpenAuto, kClosedAuto}, false,
            kClosedAuto},
    };
    for (const LineStateRow& row : rows)
        run(row);
}

TEST_F(RunningService, WithoutTelephonyThereIsNoLineEngineButUnloadStillEnds)
{
    extra.insert(u"RINGVALE_SIM_FAIL"_s, u"initialize"_s);
    svc = start();
    ASSERT_TRUE(waitForProcessChannel());
    // 305 is bound first thing; the journal lines follow.
    ASSERT_TRUE(waitUntil([&] { return journal().size() >= 2; }));
    EXPECT_EQ(journal(),
        (QStringList{u"->Opening Ringvale 1.1 Process(0)"_s,
            u"->Can't Init Tapi->Telephony could not be initialized(0)"_s}));
    EXPECT_FALSE(nextEvent(300).has_value());
    MessageControl commands;
    EXPECT_FALSE(commands.Channel(ChannelNumber::CommandChannel)) << "the line engine's channels are bound";
    // Speech still listens.
    MessageControl speech;
    EXPECT_TRUE(speech.Channel(ChannelNumber::TtsChannel));

    ASSERT_TRUE(send(u"UNLOAD"_s));
    EXPECT_EQ(svc->waitForExit(), 0);
    EXPECT_FALSE(nextEvent(100).has_value());
    EXPECT_EQ(journal().size(), 2);
}

TEST_F(RunningService, OpenAndCloseWebWriteTheirSetting)
{
    const QString section = u"RemoteAccess\\TabInternetAccess"_s;
    const QString name = u"chkAllowWWWRemoteAccess"_s;
    svc = start();
    ASSERT_TRUE(waitForProcessChannel());
    ASSERT_EQ(get(section, name), u"0"_s);
    ASSERT_TRUE(send(u"OPEN_WEB"_s));
    EXPECT_TRUE(waitUntil([&] { return get(section, name) == u"1"; }));
    const quint16 port = env.waitForWebPort();
    EXPECT_NE(port, 0);
    ASSERT_TRUE(send(u"CLOSE_WEB"_s));
    EXPECT_TRUE(waitUntil([&] { return get(section, name) == u"0"; }));
    EXPECT_EQ(nextEvent(), kOpen);
    unloadAndExpectTheEnd(kClosed);
    // The address a person opens, said when the page came up.
    const QByteArray address = "RingvaleSvc: web page at http://localhost:" + QByteArray::number(port);
    EXPECT_TRUE(svc->progress().contains(address)) << svc->progress().constData();
}

// What a person running it in a terminal reads: started, the line, stopped.
TEST_F(RunningService, SaysWhatItDoesOneLineEach)
{
    svc = start();
    EXPECT_EQ(nextEvent(), kOpen);
    unloadAndExpectTheEnd(kClosed);
    EXPECT_EQ(svc->progress(),
        "RingvaleSvc: started as a process; program folder " + env.programFolder().toUtf8()
            + ", settings store " + env.registryFolder().toUtf8()
            + "/HKEY_LOCAL_MACHINE.ini\n"
              "RingvaleSvc: line opened: \"Ringvale Simulated Line\" (line device 0)\n"
              "RingvaleSvc: stopped.\n");
}

TEST_F(RunningService, LineThatCannotOpenOrIsOffSaysWhy)
{
    const struct {
        const char* name;
        const char* lineStat;
        const char* failures; // RINGVALE_SIM_FAIL
        QByteArray says;
    } rows[] = {
        {"the device refuses", "0", "open",
            "RingvaleSvc: line not opened: \"Ringvale Simulated Line\" (line device 0): "},
        {"switched off", "1", "", "RingvaleSvc: line not opened: cmbLineStat is \"1\", the line is off; "},
        {"by the window", "2", "", "RingvaleSvc: the line follows the daily window 16:00:00 to 08:00:00"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        set(u"Properties\\TabLineStat"_s, u"cmbLineStat"_s, QString::fromLatin1(row.lineStat));
        extra.insert(u"RINGVALE_SIM_FAIL"_s, QString::fromLatin1(row.failures));
        svc = start();
        ASSERT_TRUE(waitForProcessChannel());
        ASSERT_TRUE(send(u"UNLOAD"_s));
        EXPECT_EQ(svc->waitForExit(), 0);
        const QByteArray all = svc->progress() + svc->userStderr();
        EXPECT_TRUE(all.contains(row.says)) << all.constData();
        received.clear();
        svc.reset();
    }
}

// Entries that cannot be written are said once per file, not once per entry.
TEST_F(RunningService, UnwritableJournalIsSaidOnce)
{
    const QString folder = env.programFolder() + u"/Journal"_s;
    ASSERT_TRUE(QDir(folder).removeRecursively());
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder belongs
    blocker.close();
    svc = start();
    EXPECT_EQ(nextEvent(), kOpen);
    ASSERT_TRUE(send(u"UNLOAD"_s));
    EXPECT_EQ(nextEvent(), kClosed);
    EXPECT_EQ(svc->waitForExit(), 0);
    // Start, line scan, line open and close each wanted a system entry.
    const QByteArray err = svc->userStderr();
    EXPECT_EQ(err.count("cannot write the journal"), 1) << err.constData();
    EXPECT_TRUE(err.contains(QByteArray("_Sys.txt: " + QFile::encodeName(folder) + " is not a folder")))
        << err.constData();
}

TEST_F(RunningService, UnloadUnderSystemdIsANormalStop)
{
    set(u"Properties\\TabGeneral"_s, u"ChkRunAsProc"_s, u"1"_s);
    NotifySocket notify;
    ASSERT_TRUE(notify.isValid());
    svc = start(notify.path());
    EXPECT_EQ(notify.receive(), QByteArray("STATUS=Starting"));
    EXPECT_EQ(notify.receive(), QByteArray("READY=1\nSTATUS=Running"));
    EXPECT_EQ(nextEvent(), kOpen);
    ASSERT_TRUE(waitForProcessChannel());
    ASSERT_TRUE(send(u"UNLOAD"_s));
    EXPECT_EQ(notify.receive(), QByteArray("STOPPING=1\nSTATUS=Stopping"));
    EXPECT_EQ(nextEvent(), kClosed);
    EXPECT_EQ(notify.receive(), QByteArray("STATUS=Stopped"));
    EXPECT_EQ(svc->waitForExit(), 0);
    EXPECT_EQ(svc->userStderr(), QByteArray());
}

} // namespace

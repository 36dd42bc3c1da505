#include "platform/SimulatedTelephony.h"
#include "platform/SystemSerialPort.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"
#include "tests/tools/ToolRun.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A fake modem served by the real tool, and this process as the program that
// has its port open.
class RingvaleModemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_link = m_env.runtimeBase() + u"/modem"_s;
        startServe(m_serve, {u"--error"_s, u"AT#CID=1"_s, u"--silent"_s, u"ATS0=0"_s});
        ASSERT_TRUE(waitUntil(
            [&] { return QFileInfo(m_link).isSymLink() && m_serveErr.contains(u"serving"_s); }, 10000))
            << m_serveErr.toStdString();
        ASSERT_TRUE(m_port.open(m_link).ok());
        QObject::connect(&m_port, &SerialPort::Received, [this](const QByteArray& bytes) { m_got += bytes; });
    }

    void TearDown() override
    {
        m_port.close();
        if (m_serve.state() != QProcess::NotRunning) {
            m_serve.terminate();
            EXPECT_TRUE(m_serve.waitForFinished(5000));
            EXPECT_EQ(m_serve.exitCode(), 0);
        }
        EXPECT_FALSE(QFileInfo(m_link).isSymLink()) << "serve removes its link when it ends";
    }

    void startServe(QProcess& process, const QStringList& extra)
    {
        process.setProcessEnvironment(m_env.processEnvironment());
        QObject::connect(&process, &QProcess::readyReadStandardError,
            [this, &process] { m_serveErr += QString::fromUtf8(process.readAllStandardError()); });
        process.start(TestEnvironment::binary(u"ringvale-modem"_s),
            QStringList{u"serve"_s, u"--link"_s, m_link} + extra);
        ASSERT_TRUE(process.waitForStarted(5000));
    }

    // Runs the tool while this process's event loop (the port, the line) goes on.
    ToolRun run(const QStringList& args, int timeoutMs = 20000)
    {
        QProcess tool;
        tool.setProcessEnvironment(m_env.processEnvironment());
        tool.start(TestEnvironment::binary(u"ringvale-modem"_s), args);
        EXPECT_TRUE(tool.waitForStarted(5000));
        EXPECT_TRUE(waitUntil([&] { return tool.state() == QProcess::NotRunning; }, timeoutMs))
            << args.join(u' ').toStdString();
        return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
            QString::fromUtf8(tool.readAllStandardOutput()), QString::fromUtf8(tool.readAllStandardError())};
    }

    bool received(const QByteArray& expected)
    {
        const bool ok = waitUntil([&] { return m_got == expected; });
        m_got.clear();
        return ok;
    }

    TestEnvironment m_env;
    QString m_link;
    QProcess m_serve;
    QString m_serveErr;
    SystemSerialPort m_port;
    QByteArray m_got;
};

} // namespace

TEST_F(RingvaleModemTest, AnswersCommandsAsToldAndPrintsWhatItReceives)
{
    m_port.write("ATZ\r");
    EXPECT_TRUE(received("ATZ\r\r\nOK\r\n"));
    m_port.write("AT#CID=1\r");
    EXPECT_TRUE(received("AT#CID=1\r\r\nERROR\r\n"));
    m_port.write("ATS0=0\r");
    m_port.write("ATE0\r");
    EXPECT_TRUE(received("ATS0=0\rATE0\r\r\nOK\r\n"));
    m_port.write("AT\r");
    EXPECT_TRUE(received("\r\nOK\r\n"));
    QString printed;
    EXPECT_TRUE(waitUntil([&] {
        printed += QString::fromUtf8(m_serve.readAllStandardOutput());
        return printed.count(u'\n') >= 5;
    }));
    EXPECT_EQ(
        printed, u"received: ATZ\nreceived: AT#CID=1\nreceived: ATS0=0\nreceived: ATE0\nreceived: AT\n"_s);
}

TEST_F(RingvaleModemTest, ClientCommandsReachThePort)
{
    EXPECT_EQ(run({u"ring"_s}).exitCode, 0);
    EXPECT_TRUE(received("\r\nRING\r\n"));

    const ToolRun cid
        = run({u"cid"_s, u"--number"_s, u"5551234"_s, u"--name"_s, u"Ann Lee"_s, u"--format"_s, u"spaced"_s});
    EXPECT_EQ(cid.exitCode, 0) << cid.err.toStdString();
    EXPECT_TRUE(waitUntil([&] { return m_got.endsWith("NMBR = 5551234\r\nNAME = Ann Lee\r\n"); }))
        << m_got.constData();
    m_got.clear();

    EXPECT_EQ(run({u"cid"_s, u"--private"_s}).exitCode, 0);
    EXPECT_TRUE(waitUntil([&] { return m_got.endsWith("NMBR=P\r\nNAME=P\r\n"); })) << m_got.constData();
    m_got.clear();

    EXPECT_EQ(run({u"raw"_s, u"\\x10X\\r\\nNAME=Ren\\xe9\\r\\n"_s}).exitCode, 0);
    EXPECT_TRUE(received("\x10X\r\nNAME=Ren\xe9\r\n"));
}

TEST_F(RingvaleModemTest, RefusesBadArgumentsAndSaysWhenNoModemServes)
{
    const QStringList usage[] = {
        {},
        {u"dial"_s},
        {u"serve"_s},
        {u"cid"_s, u"--name"_s, u"X"_s},
        {u"cid"_s, u"--number"_s, u"1"_s, u"--format"_s, u"fancy"_s},
        {u"ring"_s, u"--number"_s, u"1"_s},
        {u"raw"_s},
        {u"raw"_s, u"\\q"_s},
        {u"call"_s, u"--name"_s, u"X"_s},
        {u"call"_s, u"--number"_s, u"1"_s, u"--rings"_s, u"0"_s},
        {u"call"_s, u"--number"_s, u"1"_s, u"--number"_s, u"2"_s},
    };
    for (const QStringList& args : usage) {
        const ToolRun result = run(args);
        EXPECT_EQ(result.exitCode, 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(result.err.startsWith(u"ringvale-modem: "_s)) << result.err.toStdString();
    }

    // One fake modem per installation.
    QProcess second;
    startServe(second, {});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_TRUE(m_serveErr.contains(u"another program already serves at"_s)) << m_serveErr.toStdString();
    m_port.write("AT\r");
    EXPECT_TRUE(received("AT\r\r\nOK\r\n")) << "the first modem keeps its link";

    // No call is offered while no modem would follow it up.
    m_serve.terminate();
    ASSERT_TRUE(m_serve.waitForFinished(5000));
    for (const QStringList& args : {QStringList{u"ring"_s}, QStringList{u"call"_s, u"--number"_s, u"1"_s}}) {
        const ToolRun none = run(args);
        EXPECT_EQ(none.exitCode, 3);
        EXPECT_TRUE(none.err.contains(u"no fake modem is serving"_s)) << none.err.toStdString();
    }
}

// A whole call: the modem brings the first two rings and the caller ID, the
// line device (opened as owner at the second ring, as the line engine does
// in modem mode) the rest and the hang-up.
TEST_F(RingvaleModemTest, CallRingsOnTheModemThenOnTheLine)
{
    SimulatedLines::Config config;
    config.serialPorts = {m_link};
    SimulatedLines lines(config);
    ASSERT_TRUE(lines.isServing()) << "a line with a modem is served while it is closed";
    SimulatedTelephony tapi(&lines);
    ASSERT_EQ(tapi.Initialize(), 0);
    QStringList events;
    QObject::connect(&tapi, &TelephonyControl::InComeCall, [&] { events << u"InComeCall"_s; });
    QObject::connect(
        &tapi, &TelephonyControl::Ring, [&](qint32 count) { events << u"Ring %1"_s.arg(count); });
    QObject::connect(&tapi, &TelephonyControl::Disconnected, [&] {
        events << u"Disconnected"_s;
        tapi.LineDrop();
    });
    QObject::connect(&tapi, &TelephonyControl::Idle, [&] { events << u"Idle"_s; });
    QObject::connect(&m_port, &SerialPort::Received, [&] {
        if (m_got.count("RING") == 2 && !tapi.IsLineOpen()) {
            m_port.close();
            EXPECT_EQ(tapi.LineOpen(4, 8), 0);
        }
    });

    const ToolRun call = run(
        {u"call"_s, u"--number"_s, u"5551234"_s, u"--name"_s, u"Ann Lee"_s, u"--rings"_s, u"3"_s}, 30000);
    ASSERT_EQ(call.exitCode, 0) << call.err.toStdString();
    EXPECT_EQ(
        call.out, u"line: offer\nmodem: RING\nmodem: caller ID\nmodem: RING\nline: ring\nline: hang-up\n"_s);
    EXPECT_TRUE(m_got.startsWith("\r\nRING\r\n\r\nDATE=")) << m_got.constData();
    EXPECT_TRUE(m_got.endsWith("NMBR=5551234\r\nNAME=Ann Lee\r\n\r\nRING\r\n")) << m_got.constData();
    ASSERT_TRUE(waitUntil([&] { return events.contains(u"Idle"_s); }));
    EXPECT_EQ(events.join(u", "_s), u"InComeCall, Ring 1, Disconnected, Idle"_s);
}

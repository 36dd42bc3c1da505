#include "tests/e2e/LiveLine.h"
#include "tests/support/LineEventTexts.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/WaitUntil.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

using namespace Qt::StringLiterals;

namespace {

// The real service in modem mode: the simulated line names the fake modem's
// link as its serial port, and ringvale-modem plays the calls.
class ModemCall : public LiveLine {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(LiveLine::SetUp());
        m_link = env.runtimeBase() + u"/modem"_s;
        QFile scenario(env.programFolder() + u"/AT_Commands_Scenario.txt"_s);
        ASSERT_TRUE(scenario.open(QIODevice::WriteOnly));
        scenario.write("ATZ\r\n' caller ID on\r\n\r\nAT#CID=1\r\n");
        scenario.close();
        set(u"Properties\\TabDevices\\CallerID"_s, u"Tapi"_s, u"0"_s);
        extra.insert(u"RINGVALE_SIM_SERIAL"_s, m_link);

        m_modem.setProcessEnvironment(env.processEnvironment());
        QObject::connect(&m_modem, &QProcess::readyReadStandardOutput,
            [this] { m_received += QString::fromUtf8(m_modem.readAllStandardOutput()); });
        m_modem.start(TestEnvironment::binary(u"ringvale-modem"_s), {u"serve"_s, u"--link"_s, m_link});
        ASSERT_TRUE(m_modem.waitForStarted(5000));
        ASSERT_TRUE(waitUntil([&] { return QFileInfo(m_link).isSymLink(); }, 10000));
    }

    void TearDown() override
    {
        LiveLine::TearDown();
        m_modem.terminate();
        m_modem.waitForFinished(5000);
    }

    QString m_link;
    QProcess m_modem;
    QString m_received; // what the modem printed
};

TEST_F(ModemCall, ModemReportsTheCallAndTheLineDeviceEndsIt)
{
    ASSERT_NO_FATAL_FAILURE(start());
    const QString scenario = u"received: ATZ\nreceived: AT#CID=1\n"_s;
    ASSERT_TRUE(waitUntil([&] { return m_received == scenario; })) << m_received.toStdString();

    const ToolRun call = tool(u"ringvale-modem"_s,
        {u"call"_s, u"--number"_s, u"5551234"_s, u"--name"_s, u"Ann Lee"_s, u"--rings"_s, u"4"_s}, 40000);
    ASSERT_EQ(call.exitCode, 0) << call.err.toStdString();
    ASSERT_TRUE(waitForIdles(1, 15000)) << events.join(u" | "_s).toStdString();

    EXPECT_EQ(events,
        (QStringList{ring(1), u"Comm_Incomming\r\n0\r\nFalse"_s, ring(2), ring(3), ring(4),
            u"Tapi_Disconnected\r\n0"_s, u"Tapi_Idle\r\n0\r\n0"_s}));
    EXPECT_EQ(
        callerIds, QStringList{u"Comm_CID\r\n0\r\nAnn Lee\r\n5551234\r\n\r\n\r\nFalse\r\n0\r\nFalse"_s});
    EXPECT_EQ(idles, QStringList{u"Tapi_Idle\r\n0\r\n0"_s});
    ASSERT_EQ(recordCount(), 1);
    EXPECT_EQ(trimmed(record(1)->CallerName), u"Ann Lee"_s);
    EXPECT_EQ(trimmed(record(1)->CallerNumber), u"5551234"_s);
    // The line went back to the modem, which hears the scenario again.
    EXPECT_TRUE(waitUntil([&] { return m_received == scenario + scenario; }, 10000))
        << m_received.toStdString();
}

} // namespace

#include "tests/e2e/LiveModem.h"
#include "tests/support/LineEventTexts.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/WaitUntil.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

using namespace Qt::StringLiterals;

namespace {

using ModemCall = LiveModem;

TEST_F(ModemCall, ModemReportsTheCallAndTheLineDeviceEndsIt)
{
    ASSERT_NO_FATAL_FAILURE(start());
    const QString scenario = u"received: ATZ\nreceived: AT#CID=1\n"_s;
    ASSERT_TRUE(waitUntil([&] { return received() == scenario; })) << received().toStdString();

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
    EXPECT_TRUE(waitUntil([&] { return received() == scenario + scenario; }, 10000))
        << received().toStdString();
}

} // namespace

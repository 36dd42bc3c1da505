#include "desktop/foundation/mdlModemState.h"

#include "tests/desktop/foundation/StandInDesktop.h"
#include "tests/support/ChannelListener.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString kChanging = u"Changing the line state..."_s;

class SendModemStateTest : public ::testing::Test {
protected:
    TestEnvironment m_env;
    StandInDesktop m_desktop;
    HubLink& m_hub = m_desktop.hub;
    RecordedMainWindow& m_window = m_desktop.window;
};

} // namespace

TEST_F(SendModemStateTest, WithoutAPeerNothingChangesNotEvenTheStatus)
{
    for (qint16 mode : {0, 1, 2, 3}) {
        SendModemState(mode, u"16:00:00"_s, u"08:00:00"_s);
        m_hub.sCallStatus = u"ANSWERED"_s;
        SendModemState(mode, u"16:00:00"_s, u"08:00:00"_s);
        m_hub.sCallStatus = u"NOTHING"_s;
    }
    EXPECT_TRUE(m_window.calls().isEmpty());
}

TEST_F(SendModemStateTest, WithoutAHubNothingIsSentAndNothingShown)
{
    ChannelListener listener(m_env, {u"308"_s});
    ASSERT_TRUE(listener.waitUntilListening());
    SetHubLink(nullptr);
    SendModemState(1, {}, {});
    EXPECT_TRUE(m_window.calls().isEmpty());
    // The hub's own endpoint, installed again, is the first to reach it.
    SetHubLink(&m_hub);
    ASSERT_TRUE(m_hub.udiOut.Channel(308));
    m_hub.udiOut.Send(u"MARK"_s);
    EXPECT_EQ(listener.waitForLines(1), QList<QByteArray>{"308 MARK"});
}

TEST_F(SendModemStateTest, SendsTheModesCommandOnlyWithNoCallInProgress)
{
    const struct {
        const char* what;
        QString callStatus;
        qint16 mode;
        QString timeOn;
        QString timeOff;
        std::optional<QByteArray> sent; // as ringvale-chan prints it
    } rows[] = {
        {"ringing", u"INCOME"_s, 1, {}, {}, std::nullopt},
        {"connected", u"ANSWERED"_s, 0, {}, {}, std::nullopt},
        {"status compared exactly", u"nothing"_s, 1, {}, {}, std::nullopt},
        {"line on", u"NOTHING"_s, 0, {}, {}, "ON"},
        {"line off", u"NOTHING"_s, 1, {}, {}, "OFF"},
        {"daily window", u"NOTHING"_s, 2, u"16:00:00"_s, u"08:00:00"_s, "AUTO\\r\\n16:00:00\\r\\n08:00:00"},
        // A stored time with a line break in it must not add a line.
        {"time with a line break", u"NOTHING"_s, 2, u"16:00:00\r\nOFF"_s, u"08:00:00"_s,
            "AUTO\\r\\n16:00:00  OFF\\r\\n08:00:00"},
        {"times not sent for on", u"NOTHING"_s, 0, u"16:00:00"_s, u"08:00:00"_s, "ON"},
        {"mode 3", u"NOTHING"_s, 3, u"16:00:00"_s, u"08:00:00"_s, std::nullopt},
        {"mode -1", u"NOTHING"_s, -1, {}, {}, std::nullopt},
    };
    ChannelListener listener(m_env, {u"308"_s});
    ASSERT_TRUE(listener.waitUntilListening());
    qsizetype seen = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        m_window.clear();
        m_hub.sCallStatus = row.callStatus;
        SendModemState(row.mode, row.timeOn, row.timeOff);
        const QList<RecordedMainWindow::Call> shown{{RecordedMainWindow::Call::PanelText, 3, kChanging}};
        EXPECT_EQ(m_window.calls(), shown);
        // Texts on one endpoint arrive in order: what came before the mark is
        // everything the command sent.
        m_hub.udiOut.Send(u"MARK"_s);
        QList<QByteArray> expected;
        if (row.sent)
            expected.append("308 " + *row.sent);
        expected.append("308 MARK");
        const QList<QByteArray> lines = listener.waitForLines(seen + expected.size());
        EXPECT_EQ(lines.mid(seen), expected);
        seen = lines.size();
    }
}

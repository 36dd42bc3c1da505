#include "common/ChannelMessages.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/HubLink.h"
#include "desktop/settings/frmCallerID.h"
#include "desktop/shell/WindowSwitch.h"
#include "tests/e2e/LiveModem.h"
#include "tests/support/WaitUntil.h"

#include <QPlainTextEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

// "--window frmCallerID" in this process, over the real RingvaleSvc -gc in
// modem mode on the fake modem: the window takes the modem's port from the
// service while it is open and gives the line back when it closes.
class CallerIdSetupEndToEnd : public LiveModem {
protected:
    void TearDown() override
    {
        WindowSwitch::unload(u"frmCallerID"_s);
        g_bExiting = false;
        LiveModem::TearDown();
    }

    bool lineStatusSeen(qint32 state)
    {
        return waitForEvent(ChannelMessages::lineStatus(0, state, false), 15000);
    }
};

} // namespace

TEST_F(CallerIdSetupEndToEnd, OpeningTakesThePortTestPlaysTheScenarioAndOkGivesTheLineBack)
{
    set(u"Properties\\TabLineStat"_s, u"cmbLineStat"_s, u"0"_s);
    ASSERT_NO_FATAL_FAILURE(start());
    const QString stored = u"received: ATZ\nreceived: AT#CID=1\n"_s;
    ASSERT_TRUE(waitUntil([&] { return received() == stored; }, 10000)) << received().toStdString();
    ASSERT_EQ(CurrentHubLink(), nullptr);

    // Opening sends "OFF": the service closes the line and the modem's port.
    auto* window = qobject_cast<frmCallerID*>(WindowSwitch::load(u"frmCallerID"_s, QString()));
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(lineStatusSeen(1)) << events.join(u" | "_s).toStdString();
    EXPECT_EQ(window->nLineState, 0);

    // The opener found this port for the modem's line; the desktop's own
    // simulated lines here name none.
    window->sPortPath = m_link;
    window->txtScenario->setPlainText(u"ATZ\r\n' the new one\r\nAT+VCID=1"_s);
    window->cmdTestATCommand->click();
    const QString tested = stored + u"received: ATZ\nreceived: AT+VCID=1\n"_s;
    ASSERT_TRUE(waitUntil([&] { return received() == tested; }, 10000)) << received().toStdString();
    EXPECT_TRUE(waitUntil([&] { return window->txtReport->toPlainText().contains(u"OK"_s); }));

    // OK stores the scenario and closing sends "ON": the service opens the
    // line again and plays the new scenario to the modem.
    window->show();
    window->cmdOK->click();
    ASSERT_TRUE(lineStatusSeen(0)) << events.join(u" | "_s).toStdString();
    const QString replayed = tested + u"received: ATZ\nreceived: AT+VCID=1\n"_s;
    EXPECT_TRUE(waitUntil([&] { return received() == replayed; }, 15000)) << received().toStdString();
    WindowSwitch::unload(u"frmCallerID"_s);
    EXPECT_EQ(CurrentHubLink(), nullptr);
}

TEST_F(CallerIdSetupEndToEnd, ClosingAloneSendsBackTheStoredAutoState)
{
    set(u"Properties\\TabLineStat"_s, u"cmbLineStat"_s, u"0"_s);
    ASSERT_NO_FATAL_FAILURE(start());
    // The desktop last put the line in auto mode, all day long.
    set(u"Properties\\TabLineStat"_s, u"cmbLineStat"_s, u"2"_s);
    set(u"Properties\\TabLineStat"_s, u"txtTimeOn"_s, u"00:00:00"_s);
    set(u"Properties\\TabLineStat"_s, u"txtTimeOff"_s, u"23:59:59"_s);
    auto* window = qobject_cast<frmCallerID*>(WindowSwitch::load(u"frmCallerID"_s, QString()));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->nLineState, 2);
    ASSERT_TRUE(waitForEvent(ChannelMessages::lineStatus(0, 1, false), 15000))
        << events.join(u" | "_s).toStdString();
    events.clear();
    // The close box, as a person would; nothing is stored.
    window->show();
    window->close();
    ASSERT_TRUE(waitUntil(
        [&] {
            return std::any_of(events.begin(), events.end(),
                [](const QString& text) { return text.startsWith(u"LineStatus\r\n0\r\n0\r\nTrue"_s); });
        },
        15000))
        << events.join(u" | "_s).toStdString();
}

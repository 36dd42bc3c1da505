#include "desktop/foundation/mdlModemState.h"
#include "tests/desktop/foundation/StandInDesktop.h"
#include "tests/e2e/LiveLine.h"
#include "tests/support/WaitUntil.h"

using namespace Qt::StringLiterals;

namespace {

// The real service behind the command channel: each line mode the desktop
// asks for comes back as the service's "LineStatus".
class SendModemStateService : public LiveLine {
protected:
    StandInDesktop m_desktop;
    HubLink& m_hub = m_desktop.hub;
    RecordedMainWindow& m_window = m_desktop.window;
};

} // namespace

TEST_F(SendModemStateService, TheServiceSwitchesItsLineAndSaysSo)
{
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_TRUE(waitUntil([&] { return m_hub.udiOut.Channel(308); }));

    SendModemState(1, {}, {});
    EXPECT_TRUE(waitForEvent(u"LineStatus\r\n0\r\n1\r\nFalse"_s)) << events.join(u" | "_s).toStdString();

    // The window is the service's to judge; it reports the closed line in
    // auto mode at once, before its timer looks at the clock.
    SendModemState(2, u"16:00:00"_s, u"08:00:00"_s);
    EXPECT_TRUE(waitForEvent(u"LineStatus\r\n0\r\n1\r\nTrue"_s)) << events.join(u" | "_s).toStdString();

    SendModemState(0, {}, {});
    EXPECT_TRUE(waitForEvent(u"LineStatus\r\n0\r\n0\r\nFalse"_s)) << events.join(u" | "_s).toStdString();
    const RecordedMainWindow::Call shown{
        RecordedMainWindow::Call::PanelText, 3, u"Changing the line state..."_s};
    EXPECT_EQ(m_window.calls(), QList<RecordedMainWindow::Call>(3, shown));
}

#include "desktop/calls/CallsOpeners.h"

#include "desktop/calls/frmDialer.h"
#include "desktop/calls/frmLog.h"
#include "desktop/calls/frmSearch.h"
#include "desktop/contacts/ContactListOpeners.h"
#include "desktop/settings/SettingsOpeners.h"
#include "tests/desktop/calls/CallWindowsFixture.h"
#include "tests/support/widgets/WidgetShots.h"

#include <QDir>
#include <QLineEdit>

using namespace Qt::StringLiterals;

namespace {

class CallsOpenersTest : public CallWindowsFixture {
protected:
    void SetUp() override
    {
        CallWindowsFixture::SetUp();
        QDir(env.programFolder()).mkpath(u"Data"_s);
        InstallCallsWindowOpeners();
    }
    void TearDown() override
    {
        SetContactListOpeners(nullptr);
        SetSettingsOpeners(nullptr);
        CallWindowsFixture::TearDown();
    }
};

} // namespace

// The contact list's Dialer and Search and the properties window's journal
// button open the real windows, filled as the caller asks.
TEST_F(CallsOpenersTest, TheContactListAndThePropertiesWindowOpenTheCallWindows)
{
    QString seen;
    WidgetShots::onNextModal([&](QWidget* modal) {
        if (auto* dialer = qobject_cast<frmDialer*>(modal))
            seen = u"dialer "_s + dialer->NumberText();
        modal->close();
    });
    CurrentContactListOpeners().ShowDialer(nullptr, u"5551234"_s);
    EXPECT_EQ(seen, u"dialer 5551234"_s);

    WidgetShots::onNextModal([&](QWidget* modal) {
        if (auto* search = qobject_cast<frmSearch*>(modal))
            seen = u"search "_s + search->txtCallerName->text() + u'|' + search->txtCallerNumber->text()
                + u'|' + search->PanelText();
        modal->close();
    });
    CurrentContactListOpeners().ShowSearch(nullptr, u"Ann Lee"_s, u"5551234"_s);
    EXPECT_EQ(seen, u"search Ann Lee|5551234|#161 0"_s);

    WidgetShots::onNextModal([&](QWidget* modal) {
        if (qobject_cast<frmLog*>(modal))
            seen = u"journals"_s;
        modal->close();
    });
    CurrentSettingsOpeners().ShowJournal(nullptr);
    EXPECT_EQ(seen, u"journals"_s);
}

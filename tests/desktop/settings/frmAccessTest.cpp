#include "desktop/settings/frmAccess.h"
#include "common/RegistryRoutines.h"
#include "desktop/foundation/HubLink.h"
#include "desktop/foundation/TabStrip.h"
#include "desktop/foundation/Translation.h"
#include "platform/widgets/BalloonTip.h"
#include "tests/desktop/foundation/RecordedAddresses.h"
#include "tests/support/ChannelListener.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/widgets/WidgetShots.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString kGroup = u"RemoteAccess\\TabInternetAccess"_s;

QString stored(const QString& name)
{
    return RegistryRoutines::forProduct(kGroup).getString(name);
}

class frmAccessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.installDefaults();
        loadTranslation(u"LTR"_s);
        // The shipped values go: each test starts from nothing stored.
        (void)RegistryRoutines::forProduct(QString()).DeleteKey(kGroup);
        ASSERT_FALSE(RegistryRoutines::forProduct(kGroup).hasValue(u"txtWWWPort"_s));
        SetHubLink(&hub);
    }
    void TearDown() override
    {
        window.reset();
        if (BalloonTip* balloon = BalloonTip::current())
            balloon->close();
        SetHubLink(nullptr);
        ResetTranslation();
    }

    // A translation whose line n reads "#n".
    void loadTranslation(const QString& direction)
    {
        QDir().mkpath(env.programFolder() + u"/Trans"_s);
        QFile file(env.programFolder() + u"/Trans/Test.txt"_s);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (int n = 1; n <= 1000; ++n)
            file.write((n == 10 ? direction : u"#%1"_s.arg(n)).toUtf8() + "\r\n");
        file.close();
        ASSERT_EQ(LoadTranslation(file.fileName()), 0);
    }

    static void store(const QString& name, const QString& value)
    {
        const RegistryRoutines group = RegistryRoutines::forProduct(kGroup);
        ASSERT_FALSE(group.CreateKey().isEmpty());
        ASSERT_TRUE(group.setString(name, value)) << name.toStdString();
    }

    frmAccess& open()
    {
        window = std::make_unique<frmAccess>();
        return *window;
    }

    TestEnvironment env;
    HubLink hub;
    RecordedAddresses addresses;
    std::unique_ptr<frmAccess> window;
};

bool enabled(const QWidget* widget)
{
    return widget->isEnabledTo(widget->window());
}

TEST_F(frmAccessTest, NothingStoredLeavesAllClearAndDisabled)
{
    frmAccess& f = open();
    EXPECT_FALSE(f.chkAllowWWWRemoteAccess->isChecked());
    EXPECT_FALSE(f.chkWWWProtect->isChecked());
    for (QLineEdit* box : {f.txtWWWPort, f.txtWWWUserName, f.txtWWWPass})
        EXPECT_TRUE(box->text().isEmpty());
    for (QWidget* control : std::initializer_list<QWidget*>{f.lblOpenPort, f.txtWWWPort, f.chkWWWProtect,
             f.cmdTest, f.lblUserName, f.txtWWWUserName, f.lblPass, f.txtWWWPass})
        EXPECT_FALSE(enabled(control)) << control->objectName().toStdString();
    EXPECT_TRUE(enabled(f.chkAllowWWWRemoteAccess));
    EXPECT_EQ(f.windowTitle(), u"#106");
    ASSERT_EQ(f.TabControl1->count(), 1);
    EXPECT_EQ(f.TabControl1->SelectedKey(), u"TabInternetAccess");
    EXPECT_EQ(f.txtWWWPass->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(f.lblTip->text().isEmpty());
}

TEST_F(frmAccessTest, StoredValuesShowAndTheTableEnables)
{
    struct Row {
        QString allow, protect;
        bool portOn, credentialsOn;
    };
    const Row rows[] = {
        {u"1"_s, u"1"_s, true, true}, {u"1"_s, u"0"_s, true, false}, {u"0"_s, u"1"_s, false, false},
        {u"yes"_s, u"1"_s, false, false}, // not a number: clear
    };
    for (const Row& row : rows) {
        store(u"chkAllowWWWRemoteAccess"_s, row.allow);
        store(u"chkWWWProtect"_s, row.protect);
        store(u"txtWWWPort"_s, u"8090"_s);
        store(u"txtWWWUserName"_s, u"ann"_s);
        store(u"txtWWWPass"_s, u"se cret"_s);
        frmAccess& f = open();
        const std::string at = row.allow.toStdString() + "/" + row.protect.toStdString();
        EXPECT_EQ(f.txtWWWPort->text(), u"8090") << at;
        EXPECT_EQ(f.txtWWWUserName->text(), u"ann") << at;
        EXPECT_EQ(f.txtWWWPass->text(), u"se cret") << at;
        for (QWidget* control :
            std::initializer_list<QWidget*>{f.lblOpenPort, f.txtWWWPort, f.chkWWWProtect, f.cmdTest})
            EXPECT_EQ(enabled(control), row.portOn) << at << control->objectName().toStdString();
        for (QWidget* control :
            std::initializer_list<QWidget*>{f.lblUserName, f.txtWWWUserName, f.lblPass, f.txtWWWPass})
            EXPECT_EQ(enabled(control), row.credentialsOn) << at << control->objectName().toStdString();
    }

    // Ticking access again enables the credentials only with protection on.
    frmAccess& f = open();
    f.chkAllowWWWRemoteAccess->setChecked(true);
    f.chkWWWProtect->setChecked(false);
    f.chkAllowWWWRemoteAccess->setChecked(false);
    f.chkAllowWWWRemoteAccess->setChecked(true);
    EXPECT_TRUE(enabled(f.cmdTest));
    EXPECT_FALSE(enabled(f.txtWWWPass));
    f.chkWWWProtect->setChecked(true);
    EXPECT_TRUE(enabled(f.txtWWWPass));
    f.chkAllowWWWRemoteAccess->setChecked(false);
    EXPECT_FALSE(enabled(f.txtWWWPass));
    EXPECT_FALSE(enabled(f.cmdTest));
    EXPECT_EQ(f.txtWWWPort->text(), u"8090"); // disabled boxes keep their text
}

TEST_F(frmAccessTest, OkStoresEightyForAnEmptyPortAndTellsTheService)
{
    ChannelListener listener(env, {u"305"_s});
    ASSERT_TRUE(listener.waitUntilListening());

    frmAccess& f = open();
    f.chkAllowWWWRemoteAccess->setChecked(true);
    f.chkWWWProtect->setChecked(false);
    f.txtWWWUserName->setText(u"ann"_s);
    f.txtWWWPass->setText(u"pw"_s);
    f.cmdOK->click();
    EXPECT_EQ(f.txtWWWPort->text(), u"80");
    EXPECT_EQ(f.result(), QDialog::Accepted);
    const std::pair<QString, QString> values[]
        = {{u"chkAllowWWWRemoteAccess"_s, u"1"_s}, {u"txtWWWPort"_s, u"80"_s}, {u"chkWWWProtect"_s, u"0"_s},
            {u"txtWWWUserName"_s, u"ann"_s}, {u"txtWWWPass"_s, u"pw"_s}};
    for (const auto& [name, value] : values)
        EXPECT_EQ(stored(name), value) << name.toStdString();

    // Nothing changed: the service is told all the same.
    open().cmdOK->click();
    frmAccess& off = open();
    off.chkAllowWWWRemoteAccess->setChecked(false);
    off.cmdOK->click();
    EXPECT_EQ(stored(u"chkAllowWWWRemoteAccess"_s), u"0");
    EXPECT_EQ(stored(u"txtWWWPort"_s), u"80");

    const QList<QByteArray> lines = listener.waitForLines(3);
    EXPECT_EQ(lines, QList<QByteArray>({"305 OPEN_WEB", "305 OPEN_WEB", "305 CLOSE_WEB"}));
    EXPECT_TRUE(addresses.opened.isEmpty());
}

TEST_F(frmAccessTest, TestStoresEightyAndOpensThatPortAndStaysOpen)
{
    ChannelListener listener(env, {u"305"_s});
    ASSERT_TRUE(listener.waitUntilListening());
    store(u"chkAllowWWWRemoteAccess"_s, u"1"_s);
    frmAccess& f = open();
    f.cmdTest->click();
    EXPECT_EQ(stored(u"txtWWWPort"_s), u"80");
    EXPECT_EQ(stored(u"chkAllowWWWRemoteAccess"_s), u"1");
    EXPECT_EQ(f.txtWWWPort->text(), u"80");
    EXPECT_EQ(addresses.opened, QStringList({u"http://127.0.0.1:80"_s}));
    EXPECT_EQ(f.result(), 0);

    f.txtWWWPort->setText(u"8090"_s);
    f.cmdTest->click();
    EXPECT_EQ(addresses.opened.last(), u"http://127.0.0.1:8090");
    EXPECT_EQ(stored(u"txtWWWPort"_s), u"8090");
    EXPECT_EQ(listener.waitForLines(2), QList<QByteArray>({"305 OPEN_WEB", "305 OPEN_WEB"}));
}

TEST_F(frmAccessTest, WithoutTheServiceValuesAreStoredAndNothingOpens)
{
    // Only another channel listens: 305 has no peer.
    ChannelListener listener(env, {u"306"_s});
    ASSERT_TRUE(listener.waitUntilListening());
    frmAccess& f = open();
    f.chkAllowWWWRemoteAccess->setChecked(true);
    f.txtWWWPort->setText(u"8091"_s);
    f.cmdTest->click();
    EXPECT_EQ(stored(u"txtWWWPort"_s), u"8091");
    EXPECT_TRUE(addresses.opened.isEmpty());
    f.txtWWWPort->clear();
    f.cmdOK->click();
    EXPECT_EQ(f.result(), QDialog::Accepted);
    EXPECT_EQ(stored(u"txtWWWPort"_s), u"80");
    EXPECT_EQ(stored(u"chkAllowWWWRemoteAccess"_s), u"1");
    hub.udiProc.Channel(306);
    hub.udiProc.Send(u"MARK"_s);
    EXPECT_EQ(listener.waitForLines(1), QList<QByteArray>({"306 MARK"}));
}

TEST_F(frmAccessTest, CancelStoresAndSendsNothing)
{
    ChannelListener listener(env, {u"305"_s});
    ASSERT_TRUE(listener.waitUntilListening());
    frmAccess& f = open();
    f.chkAllowWWWRemoteAccess->setChecked(true);
    f.txtWWWPort->setText(u"8092"_s);
    f.cmdCancel->click();
    EXPECT_EQ(f.result(), QDialog::Rejected);
    EXPECT_FALSE(RegistryRoutines::forProduct(kGroup).hasValue(u"txtWWWPort"_s));
    hub.udiProc.Channel(305);
    hub.udiProc.Send(u"MARK"_s);
    EXPECT_EQ(listener.waitForLines(1), QList<QByteArray>({"305 MARK"}));
}

TEST_F(frmAccessTest, PortBoxTakesOnlyDigitsAndSaysSo)
{
    store(u"chkAllowWWWRemoteAccess"_s, u"1"_s);
    frmAccess& f = open();
    f.show();
    f.txtWWWPort->setFocus();
    QTest::keyClicks(f.txtWWWPort, u"8a0 -9"_s);
    EXPECT_EQ(f.txtWWWPort->text(), u"809");
    EXPECT_EQ(BalloonTip::current(), nullptr); // the digit after took it away
    QTest::keyClick(f.txtWWWPort, Qt::Key_Minus);
    ASSERT_NE(BalloonTip::current(), nullptr);
    EXPECT_TRUE(
        WidgetShots::save(WidgetShots::grabWithOverlays(&f, {BalloonTip::current()}), u"access.png"_s));
    EXPECT_EQ(f.txtWWWPort->text(), u"809");
    QTest::keyClick(f.txtWWWPort, Qt::Key_Backspace);
    EXPECT_EQ(f.txtWWWPort->text(), u"80");
}

TEST_F(frmAccessTest, RightToLeftPutsThePortBoxLeftOfItsLabel)
{
    ResetTranslation();
    loadTranslation(u"RTL"_s);
    store(u"chkAllowWWWRemoteAccess"_s, u"1"_s);
    frmAccess& f = open();
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    EXPECT_EQ(f.layoutDirection(), Qt::RightToLeft);
    const QRect box = f.txtWWWPort->geometry();
    const QRect label = f.lblOpenPort->geometry();
    EXPECT_EQ(box.x() + box.width() + frmAccess::kPortGap, label.x());
    EXPECT_EQ(f.chkAllowWWWRemoteAccess->layoutDirection(), Qt::RightToLeft);
    EXPECT_TRUE(f.txtWWWPort->alignment() & Qt::AlignRight);
    EXPECT_TRUE(WidgetShots::save(&f, u"access-rtl.png"_s));
}

} // namespace

#include "tests/desktop/settings/PropertiesFixture.h"

#include "desktop/settings/AutostartEntry.h"
#include "desktop/settings/frmInfo.h"
#include "platform/SimulatedLines.h"
#include "platform/SimulatedTelephony.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/widgets/WidgetShots.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

class frmPropertiesWindowTest : public PropertiesFixture {
protected:
    frmProperties& shown()
    {
        frmProperties& f = LoadPropertiesWindow();
        f.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&f));
        return f;
    }
    static QString visiblePage(const frmProperties& f)
    {
        QString names;
        for (QWidget* page : {f.TabGeneral, f.TabDevices, f.TabAuto, f.TabTTS, f.TabLog})
            if (!page->isHidden())
                names += page->objectName();
        return names;
    }
    static QByteArray entry()
    {
        QFile file(AutostartEntry::path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

} // namespace

TEST_F(frmPropertiesWindowTest, TheTreeOpensOnePageByKey)
{
    frmProperties& f = shown();
    ASSERT_EQ(f.vbalTreeView1->topLevelItemCount(), 5);
    const struct {
        int node;
        const char* text;
        const char* page;
        bool touches;
    } rows[] = {{0, "#541", "TabGeneral", false}, {1, "#560", "TabDevices", false},
        {2, "#570", "TabAuto", true}, {3, "#580", "TabTTS", false}, {4, "#600", "TabLog", false}};
    EXPECT_EQ(visiblePage(f), u"TabGeneral");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.page);
        f.bModemStateClicked = false;
        QTreeWidgetItem* node = f.vbalTreeView1->topLevelItem(row.node);
        EXPECT_EQ(node->text(0), QString::fromLatin1(row.text));
        QTest::mouseClick(
            f.vbalTreeView1->viewport(), Qt::LeftButton, {}, f.vbalTreeView1->visualItemRect(node).center());
        EXPECT_EQ(visiblePage(f), QString::fromLatin1(row.page));
        EXPECT_EQ(f.bModemStateClicked, row.touches);
        EXPECT_EQ(f.vbalTreeView1->currentItem(), node);
    }
    EXPECT_EQ(f.windowTitle(), u"#108");
}

TEST_F(frmPropertiesWindowTest, TheCountBoxTakesDigitsAndBackspaceOnly)
{
    frmProperties& f = shown();
    f.txtlNumOfItemsInLast->clear();
    f.txtlNumOfItemsInLast->setFocus();
    QTest::keyClicks(f.txtlNumOfItemsInLast, u"4"_s);
    EXPECT_EQ(BalloonTip::current(), nullptr);
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    } refused[] = {{Qt::Key_A, Qt::NoModifier}, {Qt::Key_Space, Qt::NoModifier},
        {Qt::Key_Minus, Qt::NoModifier}, {Qt::Key_V, Qt::ControlModifier}};
    for (const auto& key : refused) {
        QTest::keyClick(f.txtlNumOfItemsInLast, key.key, key.modifiers);
        EXPECT_EQ(f.txtlNumOfItemsInLast->text(), u"4");
        BalloonTip* balloon = BalloonTip::current();
        ASSERT_NE(balloon, nullptr) << key.key;
        EXPECT_EQ(balloon->anchor(), f.txtlNumOfItemsInLast);
        EXPECT_EQ(balloon->title(), u"#15");
        EXPECT_EQ(balloon->text(), u"#16");
        balloon->close();
    }
    QTest::keyClicks(f.txtlNumOfItemsInLast, u"2"_s);
    EXPECT_EQ(f.txtlNumOfItemsInLast->text(), u"42");
    QTest::keyClick(f.txtlNumOfItemsInLast, Qt::Key_Backspace);
    EXPECT_EQ(f.txtlNumOfItemsInLast->text(), u"4");
    // Text put in other ways than typing passes.
    f.txtlNumOfItemsInLast->insert(u"x"_s);
    EXPECT_EQ(f.txtlNumOfItemsInLast->text(), u"4x");
}

TEST_F(frmPropertiesWindowTest, OnlyShiftWithTheRightButtonOpensTheServiceManager)
{
    frmProperties& f = shown();
    ASSERT_TRUE(f.ChkRunAsProc->isVisible());
    const struct {
        Qt::MouseButton button;
        Qt::KeyboardModifiers modifiers;
        int opened;
    } rows[] = {{Qt::RightButton, Qt::ShiftModifier, 1},
        {Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier, 0}, {Qt::RightButton, Qt::NoModifier, 0},
        {Qt::LeftButton, Qt::ShiftModifier, 0}, {Qt::RightButton, Qt::ShiftModifier | Qt::AltModifier, 0}};
    for (const auto& row : rows) {
        service.calls.clear();
        QTest::mouseClick(f.ChkRunAsProc, row.button, row.modifiers, QPoint(8, f.ChkRunAsProc->height() / 2));
        EXPECT_EQ(service.calls.count(u"manager"_s), row.opened);
    }
    const Qt::CheckState before = f.ChkRunAsProc->checkState();
    QTest::mouseClick(
        f.ChkRunAsProc, Qt::RightButton, Qt::ShiftModifier, QPoint(8, f.ChkRunAsProc->height() / 2));
    EXPECT_EQ(f.ChkRunAsProc->checkState(), before);
}

TEST_F(frmPropertiesWindowTest, RunAsAServiceIsOfferedOnlyWhereTheServiceManagerRuns)
{
    service.canRun = false;
    frmProperties& f = shown();
    EXPECT_FALSE(f.ChkRunAsProc->isVisible());
}

TEST_F(frmPropertiesWindowTest, OpenJournalAndCallerIdGoToTheirWindows)
{
    frmProperties& f = shown();
    f.OpenPage(4);
    QTest::mouseClick(f.cmdDisplayLog, Qt::LeftButton);
    EXPECT_EQ(openers.journalShown, 1);
    f.OpenPage(1);
    QTest::mouseClick(f.cmdCallerIDfeature, Qt::LeftButton);
    EXPECT_EQ(openers.callerIdSetupShown, 1);
}

TEST_F(frmPropertiesWindowTest, OnlyTheEntryAsThisWindowWritesItTicksRunOnStarts)
{
    const std::optional<QByteArray> ours = AutostartEntry::text();
    ASSERT_TRUE(ours.has_value());
    EXPECT_TRUE(ours->contains(QByteArray("RINGVALE_HOME=" + env.programFolder().toUtf8())));
    EXPECT_TRUE(ours->contains(" -st\n"));
    QByteArray otherFolder = *ours;
    otherFolder.replace("RINGVALE_HOME=", "RINGVALE_HOME=/opt");
    const struct {
        const char* what;
        std::optional<QByteArray> entry;
        Qt::CheckState shown;
    } rows[] = {{"none", std::nullopt, Qt::Unchecked}, {"ours", *ours, Qt::Checked},
        {"another folder", otherFolder, Qt::Unchecked}, {"lower case", ours->toLower(), Qt::Unchecked}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        QFile::remove(AutostartEntry::path());
        if (row.entry) {
            QDir().mkpath(QFileInfo(AutostartEntry::path()).absolutePath());
            QFile file(AutostartEntry::path());
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(*row.entry);
        }
        // The stored value says nothing: the entry decides.
        store(u"Properties\\TabGeneral"_s, u"chkRunOnStart"_s, row.shown == Qt::Checked ? u"0"_s : u"1"_s);
        frmProperties& f = reload();
        EXPECT_EQ(f.chkRunOnStart->checkState(), row.shown);
        f.cmdOK_Click();
        EXPECT_EQ(QFile::exists(AutostartEntry::path()), row.shown == Qt::Checked)
            << "OK removes what is not ours";
    }
    frmProperties& f = LoadPropertiesWindow();
    f.chkRunOnStart->setCheckState(Qt::Checked);
    f.cmdOK_Click();
    EXPECT_EQ(entry(), *ours);
    EXPECT_EQ(stored(u"Properties\\TabGeneral"_s, u"chkRunOnStart"_s), u"1");
}

TEST_F(frmPropertiesWindowTest, DeviceDetailsOfTheSimulatedLines)
{
    SimulatedLines::Config config;
    config.lineCount = 2;
    SimulatedLines lines(config);
    SimulatedTelephony tapi(&lines);
    ASSERT_EQ(tapi.Initialize(), 0);
    const QString first = SimulatedLines::deviceName(0);
    EXPECT_EQ(first, u"Ringvale Simulated Line");
    const struct {
        QString name;
        QString text;
    } rows[] = {
        {first,
            u"Line Index:0\r\nDevice Name:Ringvale Simulated Line\r\nTapi Capability:Yes\r\nVoice "
            u"Modem:Yes\r\n"
            "Monitor Digits:No\r\nGenerate Digits:No\r\n"_s},
        {SimulatedLines::deviceName(1),
            u"Line Index:1\r\nDevice Name:Ringvale Simulated Line 2\r\nTapi Capability:Yes\r\nVoice "
            u"Modem:Yes\r\n"
            "Monitor Digits:No\r\nGenerate Digits:No\r\n"_s},
        // Unknown: the index -1 with the last line tried.
        {u"No Such Line"_s,
            u"Line Index:-1\r\nDevice Name:Ringvale Simulated Line 2\r\nTapi Capability:Yes\r\nVoice "
            u"Modem:Yes\r\n"
            "Monitor Digits:No\r\nGenerate Digits:No\r\n"_s},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ModemDeviceDetails(tapi, row.name), row.text);

    devices.tapi = &tapi;
    frmProperties& f = shown();
    f.OpenPage(1);
    f.cmbModemDev->setCurrentIndex(1);
    QString title;
    QString text;
    WidgetShots::onNextModal([&](QWidget* modal) {
        auto* info = qobject_cast<frmInfo*>(modal);
        ASSERT_NE(info, nullptr);
        title = info->lblTitle->text();
        text = info->txtDetails->toPlainText();
        EXPECT_TRUE(info->chkDontShowAgain->isHidden());
        WidgetShots::save(info, u"frmInfo-device-details.png"_s);
        info->close();
    });
    QTest::mouseClick(f.lblModemDeviceDetails, Qt::LeftButton);
    EXPECT_EQ(title, u"Ringvale Simulated Line 2");
    EXPECT_EQ(text, QString(rows[1].text).replace(u"\r\n"_s, u"\n"_s));
}

TEST_F(frmPropertiesWindowTest, InfoStoresTheAnswerOnlyUnderItsValue)
{
    const RegistryRoutines root = settings(QString());
    const struct {
        const char* what;
        QString sReg;
        Qt::CheckState box;
        bool viaOk;
        std::optional<QString> stored;
    } rows[] = {{"no value named", QString(), Qt::Checked, true, std::nullopt},
        {"ticked", u"ServiceMSG"_s, Qt::Checked, true, u"1"_s},
        {"clear", u"ServiceMSG"_s, Qt::Unchecked, true, u"0"_s},
        {"the close box stores nothing", u"ServiceMSG"_s, Qt::Checked, false, std::nullopt}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        (void)root.DeleteValue(u"ServiceMSG"_s);
        frmInfo info;
        info.sReg = row.sReg;
        info.chkDontShowAgain->setVisible(true);
        info.chkDontShowAgain->setCheckState(row.box);
        info.show();
        if (row.viaOk)
            QTest::mouseClick(info.cmdOK, Qt::LeftButton);
        else
            info.close();
        EXPECT_TRUE(info.isHidden());
        EXPECT_EQ(root.hasValue(u"ServiceMSG"_s), row.stored.has_value());
        if (row.stored) {
            EXPECT_EQ(root.getString(u"ServiceMSG"_s), *row.stored);
        }
    }
    EXPECT_EQ(frmInfo().cmdOK->text(), u"#11");
}

TEST_F(frmPropertiesWindowTest, Screenshots)
{
    store(u"TTS51"_s, u"English (Great Britain)"_s, QString());
    ResetTranslation();
    ASSERT_EQ(LoadTranslation(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt")), 0);
    frmProperties& f = shown();
    const char* names[] = {"general", "devices", "line-state", "speech", "journal"};
    for (int page = 0; page < 5; ++page) {
        f.OpenPage(page);
        QApplication::processEvents();
        EXPECT_TRUE(WidgetShots::save(&f,
            QStringLiteral("frmProperties-%1-%2.png").arg(page + 1).arg(QString::fromLatin1(names[page]))));
    }
    // Right to left: the boxes on the right, the count box left of its label.
    QFile english(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt"));
    ASSERT_TRUE(english.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = english.readAll().split('\n');
    lines[9] = "RTL\r";
    QFile rtl(env.programFolder() + u"/Trans/Rtl.txt"_s);
    ASSERT_TRUE(rtl.open(QIODevice::WriteOnly));
    rtl.write(lines.join('\n'));
    rtl.close();
    ASSERT_EQ(LoadTranslation(rtl.fileName()), 0);
    ASSERT_TRUE(g_bRTL());
    frmProperties& r = reload();
    r.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&r));
    EXPECT_EQ(r.chkLogSys->layoutDirection(), Qt::RightToLeft);
    // "1 Month" keeps its order inside the right-to-left list.
    EXPECT_EQ(r.cmbLogFor->itemText(0), QChar(0x2068) + u"1 Month"_s + QChar(0x2069));
    EXPECT_LT(r.txtlNumOfItemsInLast->x(), r.lblNumOfItemsInLast->x());
    EXPECT_TRUE(WidgetShots::save(&r, u"frmProperties-1-general-rtl.png"_s));
}

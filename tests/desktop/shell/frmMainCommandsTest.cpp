#include "common/DataPaths.h"
#include "common/RegistryRoutines.h"
#include "desktop/calls/CallsList.h"
#include "desktop/contacts/frmContact.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/HubLink.h"
#include "desktop/foundation/StoredColour.h"
#include "desktop/foundation/Translation.h"
#include "desktop/foundation/mdlCommDialog.h"
#include "desktop/settings/frmEvents.h"
#include "desktop/settings/frmInfo.h"
#include "desktop/shell/ShellGlobals.h"
#include "desktop/shell/frmMain.h"
#include "platform/ScriptedServiceManager.h"
#include "platform/grid/vbalGrid.h"
#include "tests/desktop/foundation/RecordedAddresses.h"
#include "tests/desktop/foundation/ScriptedDialogs.h"
#include "tests/desktop/shell/RecordingOpener.h"
#include "tests/desktop/shell/RecordingTray.h"
#include "tests/support/CallDays.h"
#include "tests/support/ChannelListener.h"
#include "tests/support/DataFiles.h"
#include "tests/support/TestClock.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/widgets/WidgetShots.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Every window shown while it lives: its name is kept and act runs once the
// window's own loop is up (it must close the window).
class ShownWindows : public QObject {
public:
    explicit ShownWindows(std::function<void(QWidget*)> act)
        : m_act(std::move(act))
    {
        qApp->installEventFilter(this);
    }
    ~ShownWindows() override { qApp->removeEventFilter(this); }

    QStringList names;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (event->type() == QEvent::Show && dialog && dialog->isModal()) {
            names << dialog->objectName();
            QPointer<QDialog> shown(dialog);
            QTimer::singleShot(0, this, [this, shown] {
                if (shown)
                    m_act(shown);
            });
        }
        return false;
    }

private:
    std::function<void(QWidget*)> m_act;
};

// The main window loaded on 12/10/2026 09:30 over three of today's calls,
// with a translation whose line n reads "#n" (430 with its placeholder).
class frmMainCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.installDefaults();
        QDir().mkpath(env.programFolder() + u"/Trans"_s);
        QFile file(env.programFolder() + u"/Trans/Test.txt"_s);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (int n = 1; n <= 1000; ++n)
            file.write((n == 430 ? u"<%S> goes on watching the line."_s : u"#%1"_s.arg(n)).toUtf8() + "\r\n");
        file.close();
        ASSERT_EQ(LoadTranslation(file.fileName()), 0);
        g_sProductTitle = u"Ringvale 1.1"_s;
        g_sVersion = u"1.1.0.2"_s;
        g_bServiceMode = false;
        g_bExiting = false;
        calls = {storedCall(u"Ann Lee"_s, u"5551234"_s, u"09:10:00"_s),
            storedCall(u"Bob"_s, u"222"_s, u"09:20:00"_s), storedCall(u"Cy"_s, u"333"_s, u"09:25:00"_s)};
        calls[1].Description = u"Incoming call"_s;
        calls[1].Notes = u"call back\r\nafter noon"_s;
        writeDay(kDay, calls);
    }
    void TearDown() override
    {
        SetMainWindow(nullptr);
        window.reset();
        ResetTranslation();
        ResetCommonDialogs();
        g_bServiceMode = false;
        g_bExiting = false;
        g_bStartingUp = false;
        g_sInstallationId.clear();
        g_sTimeOn.clear();
        g_sTimeOff.clear();
    }

    frmMain& load()
    {
        window = std::make_unique<frmMain>();
        SetMainWindow(window.get());
        window->Load(false);
        window->cToolbar2_ButtonClick(1); // today's three calls, the first selected
        return *window;
    }

    // The item as the user picks it from its menu.
    void click(const QString& key)
    {
        const qint32 index = window->m_cMenu.IndexForKey(key);
        ASSERT_NE(index, 0) << key.toStdString();
        for (QAction* action : window->m_cMenu.MenuOf(index)->actions()) {
            if (action->objectName() == key) {
                ASSERT_TRUE(action->isEnabled()) << key.toStdString();
                action->trigger();
                return;
            }
        }
        FAIL() << "no item " << key.toStdString();
    }

    vbalGrid& grid() { return *window->vbalGrid1; }
    static QString stored(const QString& subkey, const QString& name)
    {
        return RegistryRoutines::forProduct(subkey).getString(name);
    }

    TestEnvironment env;
    TestClock clock;
    ScriptedServiceManager manager;
    ServiceManagerOverride managerInstalled{manager};
    RecordingTrays trays;
    RecordingOpener opener;
    ScriptedDialogs dialogs;
    RecordedAddresses addresses;
    QList<CallRecord> calls;
    std::unique_ptr<frmMain> window;
};

TEST_F(frmMainCommandsTest, WindowItemsOpenTheirWindowsThroughTheOpener)
{
    const struct {
        QString key;
        QString shown;
    } rows[] = {
        {u"Events"_s, u"show frmEvents 1"_s},
        {u"Notice"_s, u"show frmForward 0"_s},
        {u"Access"_s, u"show frmAccess 0"_s},
        {u"Contacts"_s, u"show frmContactList 0"_s},
        {u"srContacts"_s, u"show frmContactList 0"_s},
        {u"Properties"_s, u"show frmProperties 1"_s},
        {u"stProporties"_s, u"show frmProperties 1"_s},
        {u"Journal"_s, u"show frmLog 0"_s},
        {u"Dialer"_s, u"show frmDialer 0"_s},
        {u"Search"_s, u"show frmSearch 0"_s},
        {u"mnuHelp(3)"_s, u"show frmAbout 0"_s},
        {u"RCC_CallProp"_s, u"show frmCallDetails 0"_s},
    };
    load();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.key.toStdString());
        opener.log.clear();
        click(row.key);
        EXPECT_EQ(opener.shown(), QStringList{row.shown});
    }
    // Roots and separators carry keys that are no command.
    opener.log.clear();
    for (const QString& key : {u"mnuFileTop"_s, u"mnuFile(7)"_s, u"RC_CLLS1"_s, u"mnuHelp(2)"_s})
        emit window->m_cMenu.Click(window->m_cMenu.IndexForKey(key));
    EXPECT_TRUE(opener.log.isEmpty());
}

TEST_F(frmMainCommandsTest, FolderItemsPressTheFolderButtons)
{
    frmMain& w = load();
    click(u"Last"_s);
    EXPECT_TRUE(w.m_cMenu.Checked(w.m_cMenu.IndexForKey(u"Last"_s)));
    EXPECT_FALSE(w.CallsList1()->ShowsDay(kDay));
    click(u"Today"_s);
    EXPECT_TRUE(w.CallsList1()->ShowsDay(kDay));
    ASSERT_EQ(grid().Rows(), 3);
    dialogs.messageAnswers = {6, 6};
    click(u"RCC_DelCall"_s);
    EXPECT_EQ(dayNames(kDay), (QStringList{u"Bob"_s, u"Cy"_s}));
    click(u"Delete"_s);
    EXPECT_EQ(dayNames(kDay), QStringList{u"Cy"_s});
}

// "OFF" is kept for the service's next start even when it cannot be sent;
// the tray's close and the other commands store nothing.
TEST_F(frmMainCommandsTest, LineItemsSendTheirCommandAndOnlyOffIsStored)
{
    ChannelListener listener(env, {u"308"_s});
    ASSERT_TRUE(listener.waitUntilListening());
    g_sTimeOn = u"16:00:00"_s;
    g_sTimeOff = u"08:00:00"_s;
    load();
    const auto commands = [&] {
        QList<QByteArray> sent;
        for (const QByteArray& line : listener.waitForLines(0, 0))
            if (line != "308 HELLO")
                sent << line;
        return sent;
    };
    const struct {
        QString key;
        bool inCall;
        const char* sent; // nullptr: nothing
        const char* stored;
    } rows[] = {
        {u"ON"_s, false, "308 ON", "0"},
        {u"stOpenLine"_s, false, "308 ON", "0"},
        {u"AUTO"_s, false, "308 AUTO\\r\\n16:00:00\\r\\n08:00:00", "0"},
        {u"OFF"_s, false, "308 OFF", "1"},
        {u"stCloseLine"_s, false, "308 OFF", "0"},
        {u"OFF"_s, true, nullptr, "1"},
        {u"stCloseLine"_s, true, nullptr, "0"},
        {u"ON"_s, true, nullptr, "0"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.key.toStdString() + (row.inCall ? " in a call" : ""));
        ASSERT_TRUE(
            RegistryRoutines::forProduct(u"Properties\\TabLineStat"_s).setString(u"cmbLineStat"_s, u"0"_s));
        CurrentHubLink()->sCallStatus = row.inCall ? u"INCOME"_s : u"NOTHING"_s;
        const qsizetype before = commands().size();
        click(row.key);
        if (row.sent) {
            ASSERT_TRUE(waitUntil([&] { return commands().size() > before; }));
            EXPECT_EQ(commands().constLast(), QByteArray(row.sent));
        } else {
            EXPECT_TRUE(staysFalse([&] { return commands().size() > before; }, 300));
        }
        EXPECT_EQ(stored(u"Properties\\TabLineStat"_s, u"cmbLineStat"_s), QString::fromLatin1(row.stored));
    }
    CurrentHubLink()->sCallStatus = u"NOTHING"_s;
}

TEST_F(frmMainCommandsTest, TheExitNoteShowsOnlyInServiceModeUntilItsBoxWasTicked)
{
    const struct {
        bool serviceMode;
        std::optional<QString> answered; // ServiceMSG before the exit
        const char* key;
        bool note;
    } rows[] = {
        {true, std::nullopt, "Exit", true},
        {true, u"0"_s, "stExit", true},
        {true, u""_s, "Exit", true},
        {true, u"1"_s, "Exit", false},
        {true, u"1"_s, "stExit", false},
        {false, std::nullopt, "Exit", false},
        {false, u"0"_s, "stExit", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.key) + (row.serviceMode ? " service mode " : " ")
            + (row.answered ? row.answered->toStdString() : "missing"));
        if (row.answered)
            ASSERT_TRUE(RegistryRoutines::forProduct(QString()).setString(u"ServiceMSG"_s, *row.answered));
        else
            (void)RegistryRoutines::forProduct(QString()).DeleteValue(u"ServiceMSG"_s);
        load();
        g_bServiceMode = row.serviceMode;
        QString title;
        QString text;
        ShownWindows shown([&](QWidget* w) {
            auto* info = qobject_cast<frmInfo*>(w);
            ASSERT_NE(info, nullptr);
            title = info->lblTitle->text();
            text = info->txtDetails->toPlainText();
            EXPECT_TRUE(info->chkDontShowAgain->isVisible());
            info->chkDontShowAgain->setChecked(true);
            info->cmdOK->click();
        });
        click(QString::fromLatin1(row.key));
        EXPECT_EQ(shown.names, row.note ? QStringList{u"frmInfo"_s} : QStringList{});
        if (row.note) {
            EXPECT_EQ(title, u"#14");
            EXPECT_EQ(text, u"Ringvale 1.1 goes on watching the line.");
            EXPECT_EQ(stored(QString(), u"ServiceMSG"_s), u"1");
        }
        EXPECT_TRUE(g_bExiting);
        EXPECT_EQ(stored(QString(), u"bRun"_s), u"0");
        SetMainWindow(nullptr);
        window.reset();
        g_bExiting = false;
    }
}

TEST_F(frmMainCommandsTest, ExitNoteScreenshotInEnglish)
{
    ASSERT_EQ(LoadTranslation(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt")), 0);
    (void)RegistryRoutines::forProduct(QString()).DeleteValue(u"ServiceMSG"_s);
    load();
    g_bServiceMode = true;
    ShownWindows shown([&](QWidget* w) {
        auto* info = qobject_cast<frmInfo*>(w);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->lblTitle->text(), u"The service keeps running");
        EXPECT_EQ(info->txtDetails->toPlainText(),
            u"Ringvale 1.1 runs as a service: the line is still watched after this program exits.");
        EXPECT_TRUE(WidgetShots::save(info, u"exit-note.png"_s));
        info->cmdOK->click();
    });
    click(u"Exit"_s);
    EXPECT_EQ(shown.names, QStringList{u"frmInfo"_s});
    EXPECT_EQ(stored(QString(), u"ServiceMSG"_s), u"0");
}

TEST_F(frmMainCommandsTest, HideKeepsTheProgramAndShowBringsTheWindowBack)
{
    frmMain& w = load();
    w.ShowWindow();
    ASSERT_TRUE(waitUntil([&] { return w.isVisible(); }));
    click(u"Hide"_s);
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(g_bExiting);
    EXPECT_EQ(stored(QString(), u"bRun"_s), u"1");
    click(u"stShow"_s);
    EXPECT_TRUE(w.isVisible());
}

TEST_F(frmMainCommandsTest, BackAndNextStopAtTheEnds)
{
    const struct {
        qint32 rows;
        qint32 from;
        const char* key;
        qint32 to;
    } cases[] = {
        {3, 1, "BackMsg", 1},
        {3, 1, "NextMsg", 2},
        {3, 2, "BackMsg", 1},
        {3, 3, "NextMsg", 3},
        {1, 1, "BackMsg", 1},
        {1, 1, "NextMsg", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(
            std::string(c.key) + " from " + std::to_string(c.from) + " of " + std::to_string(c.rows));
        writeDay(kDay, calls.mid(0, c.rows));
        load();
        ASSERT_EQ(grid().Rows(), c.rows);
        grid().SetSelectedRow(c.from);
        click(QString::fromLatin1(c.key));
        EXPECT_EQ(grid().SelectedRow(), c.to);
        SetMainWindow(nullptr);
        window.reset();
    }
}

// Only the number is compared: a contact may be stored under another name.
TEST_F(frmMainCommandsTest, TheContactCommandEditsTheContactOfTheNumberOrMakesANewOne)
{
    writeContactFile(
        {contactAsEditorWrites(u"Bob"_s, u"999"_s), contactAsEditorWrites(u"Annie"_s, u"5551234"_s)});
    const struct {
        qint32 row;
        const char* key;
        QString seen;
    } cases[] = {
        {1, "Edit", u"EDIT|Annie|2|CALLER Annie|5551234|Annie"_s},
        {1, "RCC_CreateEditContact", u"EDIT|Annie|2|CALLER Annie|5551234|Annie"_s},
        // Bob's name is a contact's, his number is not.
        {2, "Edit", u"NEW|||Bob|222|"_s},
    };
    load();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " on row " + std::to_string(c.row));
        grid().SetSelectedRow(c.row);
        QString seen;
        ShownWindows shown([&](QWidget* w) {
            auto* editor = qobject_cast<frmContact*>(w);
            ASSERT_NE(editor, nullptr);
            seen = QStringList{editor->NewOrEdit, editor->OriginalContact,
                editor->NewOrEdit == u"EDIT" ? QString::number(editor->ContactListIndex) : QString(),
                editor->txtCallerName->text(), editor->txtCallerNumber->text(),
                editor->txtContactName->text()}
                       .join(u'|');
            editor->cmdCancel->click();
        });
        click(QString::fromLatin1(c.key));
        EXPECT_EQ(shown.names, QStringList{u"frmContact"_s});
        EXPECT_EQ(seen, c.seen);
    }
}

TEST_F(frmMainCommandsTest, SaveToPcWritesTheCallsDetailsIntoTheChosenFile)
{
    const QString folder = env.programFolder() + u"/saved/"_s;
    QDir().mkpath(folder);
    const struct {
        const char* key;
        QString chosen; // empty: cancelled
        QString written; // empty: nothing
    } cases[] = {
        {"SaveToPC", u"bob"_s, u"bob.txt"_s},
        {"RCC_SaveToPC", u"bob.txt"_s, u"bob.txt"_s},
        {"SaveToPC", u"Bob.TXT"_s, u"Bob.TXT"_s},
        {"SaveToPC", QString(), QString()},
    };
    load();
    grid().SetSelectedRow(2);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + c.chosen.toStdString());
        for (const QString& name : QDir(folder).entryList(QDir::Files))
            QFile::remove(folder + name);
        dialogs.fileRequests.clear();
        if (!c.chosen.isEmpty())
            dialogs.fileAnswers << ScriptedDialogs::choose(folder + c.chosen);
        click(QString::fromLatin1(c.key));
        ASSERT_EQ(dialogs.fileRequests.size(), 1);
        EXPECT_EQ(dialogs.fileRequests[0].kind, FileDialogRequest::Save);
        EXPECT_EQ(dialogs.fileRequests[0].title, u"Save");
        EXPECT_EQ(dialogs.fileRequests[0].startName, u"Bob_222_12-10-2026 09-20-00");
        const QStringList files = QDir(folder).entryList(QDir::Files);
        if (c.written.isEmpty()) {
            EXPECT_TRUE(files.isEmpty());
            continue;
        }
        ASSERT_EQ(files, QStringList{c.written});
        QFile saved(folder + c.written);
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromUtf8(saved.readAll()),
            u"Caller: Bob\r\nNumber: 222\r\nDate and time: 12/10/2026 09:20:00\r\n"
            "Description: Incoming call\r\nLength: 0:00:00\r\nNote: call back\r\nafter noon\r\n"_s);
    }
}

TEST_F(frmMainCommandsTest, ACallThatCannotBeSavedIsSaid)
{
    load();
    dialogs.fileAnswers << ScriptedDialogs::choose(env.programFolder() + u"/no such folder/call"_s);
    click(u"SaveToPC"_s);
    ASSERT_EQ(dialogs.messageRequests.size(), 1);
    EXPECT_TRUE(dialogs.messageRequests[0].text.contains(u"no such folder/call.txt"_s))
        << dialogs.messageRequests[0].text.toStdString();
}

TEST_F(frmMainCommandsTest, ColoursChosenReachThePaneTheStoreAndTheLoadedEventsWindow)
{
    frmMain& w = load();
    const QColor back = w.PaneBackColour();
    const QColor text = w.PaneTextColour();
    const QString storedBack = stored(u"Events\\Advanced"_s, u"picBG"_s);
    const QString storedText = stored(u"Events\\Advanced"_s, u"picFont"_s);
    click(u"rcViewBG"_s); // cancelled
    click(u"rcViewFont"_s);
    EXPECT_EQ(w.PaneBackColour(), back);
    EXPECT_EQ(w.PaneTextColour(), text);
    EXPECT_EQ(stored(u"Events\\Advanced"_s, u"picBG"_s), storedBack);
    EXPECT_EQ(stored(u"Events\\Advanced"_s, u"picFont"_s), storedText);
    frmEvents& events = LoadEventsWindow();
    dialogs.colorAnswers << ColorDialogResult{true, QColor(0x12, 0x34, 0x56), {}};
    click(u"rcViewBG"_s);
    EXPECT_EQ(w.PaneBackColour(), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(stored(u"Events\\Advanced"_s, u"picBG"_s), QString::number(0x563412));
    EXPECT_EQ(events.BoxColour(events.picBG), QColor(0x12, 0x34, 0x56));
    dialogs.colorAnswers << ColorDialogResult{true, QColor(0xaa, 0xbb, 0xcc), {}};
    click(u"rcViewFont"_s);
    EXPECT_EQ(w.PaneTextColour(), QColor(0xaa, 0xbb, 0xcc));
    EXPECT_EQ(stored(u"Events\\Advanced"_s, u"picFont"_s), QString::number(0xccbbaa));
    EXPECT_EQ(events.BoxColour(events.picFont), QColor(0xaa, 0xbb, 0xcc));
    UnloadEventsWindow();

    w.lblMainCallerName->setText(u"Ann Lee"_s);
    w.lblMainTime->setText(u"09:10"_s);
    click(u"rcErase"_s);
    EXPECT_TRUE(w.lblMainCallerName->text().isEmpty());
    EXPECT_TRUE(w.lblMainTime->text().isEmpty());
}

TEST_F(frmMainCommandsTest, HelpAndWebItemsOpenTheirAddresses)
{
    const QString help = env.programFolder() + u"/Help/HelpEng/"_s;
    QDir().mkpath(help + u"Pages"_s);
    for (const QString& page : {u"index.htm"_s, u"Pages/support.htm"_s})
        ASSERT_TRUE(
            QFile::copy(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Help/HelpEng/") + page, help + page));
    g_sInstallationId = u"a b&c=d/é"_s;
    load();
    for (const char* key : {"mnuHelp(0)", "support", "mnuHelp(1)", "ChkForNewVer"})
        click(QString::fromLatin1(key));
    ASSERT_EQ(addresses.opened.size(), 4);
    EXPECT_TRUE(addresses.opened[0].startsWith(u"file://"_s));
    EXPECT_TRUE(addresses.opened[0].endsWith(u"/Help/HelpEng/index.htm"_s));
    EXPECT_TRUE(addresses.opened[1].endsWith(u"/Help/HelpEng/Pages/support.htm"_s));
    EXPECT_EQ(addresses.opened[2], u"https://www.example.com/caller-id/"_s);
    // Every query value escaped: the identifier cannot add or end a parameter.
    EXPECT_EQ(addresses.opened[3],
        u"https://www.example.com/caller-id/newversion/CheckForNewVer.asp?Comment=a%20b%26c%3Dd%2F%C3%A9&CurVer=1.1.0.2"_s);
}

} // namespace

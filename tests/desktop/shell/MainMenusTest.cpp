#include "desktop/shell/MainMenus.h"
#include "desktop/foundation/Translation.h"
#include "platform/widgets/KeyedPopupMenu.h"
#include "tests/support/widgets/WidgetShots.h"

#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A translation whose line n is "#n", so each caption names its entry.
class MainMenusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString path = m_dir.filePath(u"Numbers.txt"_s);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (int n = 1; n <= 1000; ++n)
            file.write("#" + QByteArray::number(n) + "\r\n");
        file.close();
        ASSERT_EQ(LoadTranslation(path), 0);
        BuildMenus(menu);
    }
    void TearDown() override { ResetTranslation(); }

    struct Row {
        QString key;
        QString caption;
        qint32 icon;
        QString rootKey;
    };
    QList<Row> rows() const
    {
        QList<Row> result;
        for (qint32 i = 1; i <= menu.Count(); ++i)
            result << Row{menu.ItemKey(i), menu.Caption(i), menu.IconIndex(i),
                menu.Parent(i) == 0 ? QString() : menu.ItemKey(menu.Parent(i))};
        return result;
    }

    QTemporaryDir m_dir;
    KeyedPopupMenu menu;
};

QString amp(int n)
{
    return u"&#"_s + QString::number(n);
}
QString plain(int n)
{
    return u"#"_s + QString::number(n);
}

} // namespace

TEST_F(MainMenusTest, EveryItemHasItsKeyCaptionPictureAndMenu)
{
    const QString sep = u"-"_s;
    const QString file = u"mnuFileTop"_s, edit = u"mnuEditTop"_s, view = u"mnuViewTop"_s,
                  help = u"mnuHelpTop"_s;
    const QString line = u"mnuModemStatus"_s, tray = u"mnuSysTry"_s, calls = u"mnuCallslistRC"_s;
    const QString pane = u"rcView"_s;
    const QList<Row> expected{
        {file, amp(21), -1, {}},
        {u"Dialer"_s, amp(363), 17, file},
        {u"mnuFile(7)"_s, sep, -1, file},
        {u"Search"_s, amp(110), 13, file},
        {u"mnuFile(4)"_s, sep, -1, file},
        {u"Hide"_s, amp(28), -1, file},
        {u"Exit"_s, amp(29), -1, file},
        {edit, amp(35), -1, {}},
        {u"BackMsg"_s, amp(36), 8, edit},
        {u"NextMsg"_s, amp(37), 7, edit},
        {u"mnuEdit(2)"_s, sep, -1, edit},
        {u"Edit"_s, amp(22), 2, edit},
        {u"Delete"_s, amp(24), 4, edit},
        {u"mnuEdit(7)"_s, sep, -1, edit},
        {u"SaveToPC"_s, amp(42), 5, edit},
        {view, amp(50), -1, {}},
        {u"Last"_s, amp(123), -1, view},
        {u"Today"_s, amp(122), -1, view},
        {u"Log"_s, amp(125), -1, view},
        {view, amp(60), -1, {}}, // Tools, under the View root's key
        // Their root's key finds the View root first; the parent shows it too.
        {u"Events"_s, amp(62), 10, view},
        {u"Notice"_s, amp(63), 18, view},
        {u"Access"_s, amp(64), 11, view},
        {u"mnuTool(2)"_s, sep, -1, view},
        {u"Contacts"_s, amp(65), 9, view},
        {u"mnuTool(3)"_s, sep, -1, view},
        {u"Properties"_s, amp(66), 12, view},
        {u"Journal"_s, amp(67), -1, view},
        {help, amp(75), -1, {}},
        {u"mnuHelp(0)"_s, amp(76), 23, help},
        {u"ChkForNewVer"_s, amp(80), -1, help},
        {u"support"_s, amp(79), -1, help},
        {u"mnuHelp(support)"_s, sep, -1, help},
        {u"mnuHelp(1)"_s, amp(77), 24, help},
        {u"mnuHelp(2)"_s, sep, -1, help},
        {u"mnuHelp(3)"_s, amp(78), -1, help},
        {line, amp(75), -1, {}},
        {u"ON"_s, plain(100), -1, line},
        {u"OFF"_s, plain(101), -1, line},
        {u"AUTO"_s, plain(102), -1, line},
        {tray, amp(75), -1, {}},
        {u"stExit"_s, plain(347), -1, tray},
        {u"st4"_s, sep, -1, tray},
        {u"srContacts"_s, plain(65), 9, tray},
        {u"st3"_s, sep, -1, tray},
        {u"stProporties"_s, plain(108), 12, tray},
        {u"st2"_s, sep, -1, tray},
        {u"stCloseLine"_s, plain(576), 16, tray},
        {u"stOpenLine"_s, plain(575), 15, tray},
        {u"st1"_s, sep, -1, tray},
        {u"stShow"_s, plain(88), -1, tray},
        {calls, amp(75), -1, {}},
        {u"RCC_CallProp"_s, plain(650), 2, calls},
        {u"RC_CLLS1"_s, sep, -1, calls},
        {u"RCC_DelCall"_s, plain(24), -1, calls},
        {u"RC_CLLS2"_s, sep, -1, calls},
        {u"RCC_CreateEditContact"_s, plain(461), 9, calls},
        {u"RC_CLLS3"_s, sep, -1, calls},
        {u"RCC_SaveToPC"_s, plain(42), 5, calls},
        {pane, amp(75), -1, {}},
        {u"rcErase"_s, plain(640), -1, pane},
        {u"RC_CLLS1"_s, sep, -1, pane},
        {u"rcViewBG"_s, plain(293), -1, pane},
        {u"rcViewFont"_s, plain(294), -1, pane},
    };
    const QList<Row> actual = rows();
    ASSERT_EQ(actual.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].key.toStdString() + " at " + std::to_string(i + 1));
        EXPECT_EQ(actual[i].key, expected[i].key);
        EXPECT_EQ(actual[i].caption, expected[i].caption);
        EXPECT_EQ(actual[i].icon, expected[i].icon);
        EXPECT_EQ(actual[i].rootKey, expected[i].rootKey);
    }
}

TEST_F(MainMenusTest, TheBarShowsFiveMenusAndThePopupsStayOff)
{
    QMenuBar bar;
    menu.AttachMenuBar(&bar);
    QStringList shown;
    for (QAction* action : bar.actions())
        if (action->isVisible())
            shown << action->text();
    EXPECT_EQ(shown, (QStringList{amp(21), amp(35), amp(50), amp(60), amp(75)}));
    for (const char* key : {"mnuModemStatus", "mnuSysTry", "mnuCallslistRC", "rcView"})
        EXPECT_FALSE(menu.Visible(menu.IndexForKey(QString::fromLatin1(key)))) << key;
}

TEST_F(MainMenusTest, TheToolsMenuHasItsOwnItemsUnderARepeatedKey)
{
    const qint32 tools = menu.Parent(menu.IndexForKey(u"Events"_s) + 0);
    QMenu* toolsMenu = menu.MenuOf(menu.IndexForKey(u"Events"_s));
    QMenu* viewMenu = menu.MenuOf(menu.IndexForKey(u"Last"_s));
    ASSERT_NE(toolsMenu, nullptr);
    EXPECT_NE(toolsMenu, viewMenu);
    EXPECT_EQ(toolsMenu->title(), amp(60));
    EXPECT_EQ(toolsMenu->actions().size(), 8);
    EXPECT_EQ(menu.ItemKey(tools), u"mnuViewTop"_s);
}

TEST_F(MainMenusTest, TheTrayMenuStartsWithItsExitAndEndsWithShow)
{
    QMenu* trayMenu = menu.MenuOf(menu.IndexForKey(u"mnuSysTry"_s));
    ASSERT_NE(trayMenu, nullptr);
    const QList<QAction*> actions = trayMenu->actions();
    ASSERT_EQ(actions.size(), 10);
    // Aligned with the others, not pushed aside with blanks.
    EXPECT_TRUE(actions.first()->text().startsWith(u'#'));
    EXPECT_EQ(actions.first()->objectName(), u"stExit"_s);
    EXPECT_EQ(actions.last()->objectName(), u"stShow"_s);
    for (QAction* action : actions)
        EXPECT_FALSE(action->text().contains(u'&')) << action->text().toStdString();
}

TEST_F(MainMenusTest, AClickNamesTheItemWhoseKeyTheDispatchReads)
{
    QList<qint32> clicks;
    QObject::connect(&menu, &KeyedPopupMenu::Click, [&](qint32 n) { clicks << n; });
    for (QAction* action : menu.MenuOf(menu.IndexForKey(u"mnuSysTry"_s))->actions())
        if (action->objectName() == u"stShow")
            action->trigger();
    ASSERT_EQ(clicks.size(), 1);
    EXPECT_EQ(menu.ItemKey(clicks.first()), u"stShow"_s);
}

TEST_F(MainMenusTest, TheEditCommandsAreSwitchedTogetherAndNothingElse)
{
    MakeEditMenuEna(menu, false);
    QStringList disabled;
    for (qint32 i = 1; i <= menu.Count(); ++i)
        if (!menu.Enabled(i))
            disabled << menu.ItemKey(i);
    EXPECT_EQ(disabled, (QStringList{u"BackMsg"_s, u"NextMsg"_s, u"Edit"_s, u"Delete"_s, u"SaveToPC"_s}));
    MakeEditMenuEna(menu, true);
    for (qint32 i = 1; i <= menu.Count(); ++i)
        EXPECT_TRUE(menu.Enabled(i)) << menu.ItemKey(i).toStdString();
    // The actions follow, so a disabled command cannot be chosen.
    EXPECT_TRUE(menu.MenuOf(menu.IndexForKey(u"Edit"_s))->actions().at(3)->isEnabled());
}

TEST(MainMenusEmptyEntry, AnEmptyEntryStillGivesAnItemThatDispatches)
{
    ResetTranslation();
    KeyedPopupMenu menu;
    BuildMenus(menu);
    EXPECT_EQ(menu.Caption(menu.IndexForKey(u"Exit"_s)), u"&"_s);
    EXPECT_EQ(menu.Caption(menu.IndexForKey(u"stShow"_s)), QString());
    EXPECT_EQ(menu.Caption(menu.IndexForKey(u"stExit"_s)), QString());
    EXPECT_EQ(menu.Count(), 64);
}

// Every menu pops up with all its entries, the hidden roots' too; each is
// kept for review as menu-<root key>.png (the Tools menu, under the View
// root's key, as menu-mnuViewTop-2.png).
TEST(MainMenusPictures, EachMenuPopsUpWithItsEntries)
{
    ASSERT_EQ(LoadTranslation(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt")), 0);
    KeyedPopupMenu menu;
    BuildMenus(menu);
    QStringList written;
    for (qint32 i = 1; i <= menu.Count(); ++i) {
        if (menu.Parent(i) != 0)
            continue;
        QMenu* popup = menu.MenuOf(i);
        ASSERT_NE(popup, nullptr);
        menu.ShowPopupMenu(i, QPoint(10, 10));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(popup)) << menu.ItemKey(i).toStdString();
        const QImage image = popup->grab().toImage();
        popup->hide();
        EXPECT_GT(image.height(), 18 * popup->actions().size() / 2) << menu.ItemKey(i).toStdString();
        QString name = u"menu-"_s + menu.ItemKey(i);
        if (written.contains(name))
            name += u"-2"_s;
        written << name;
        EXPECT_TRUE(image.save(WidgetShots::pathFor(name + u".png"_s)));
    }
    EXPECT_EQ(written.size(), 9);
    ResetTranslation();
}

#include "desktop/foundation/Translation.h"
#include "desktop/shell/ShellGlobals.h"
#include "desktop/shell/frmMain.h"
#include "platform/ScriptedServiceManager.h"
#include "platform/grid/vbalGrid.h"
#include "tests/desktop/shell/RecordingOpener.h"
#include "tests/desktop/shell/RecordingTray.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QLabel>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The main window as a person first sees it: English texts, the designed
// size, the pictures of the icon theme.
class frmMainLook : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.installDefaults();
        ASSERT_EQ(LoadTranslation(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt")), 0);
        window = std::make_unique<frmMain>();
        SetMainWindow(window.get());
        window->Load(false);
        window->resize(
            PixelsFromTwips(frmMain::kDefaultWidthTwips), PixelsFromTwips(frmMain::kDefaultHeightTwips));
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override
    {
        SetMainWindow(nullptr);
        window.reset();
        ResetTranslation();
        g_bStartingUp = false;
        g_bMainHidden = false;
    }
    QToolButton* button(int index) const
    {
        return qobject_cast<QToolButton*>(
            window->cToolbar1->widgetForAction(window->toolbar1Buttons.at(index)));
    }
    QToolButton* overflow() const
    {
        return window->cToolbar1->findChild<QToolButton*>(u"qt_toolbar_ext_button"_s);
    }

    TestEnvironment env;
    ScriptedServiceManager manager;
    ServiceManagerOverride managerInstalled{manager};
    RecordingTrays trays;
    RecordingOpener opener;
    std::unique_ptr<frmMain> window;
};

} // namespace

TEST_F(frmMainLook, AtTheDesignedSizeEveryButtonShowsAndNoOverflow)
{
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        QToolButton* b = button(i);
        ASSERT_NE(b, nullptr);
        EXPECT_TRUE(b->isVisible());
        EXPECT_LE(b->geometry().right(), window->cToolbar1->width());
    }
    QToolButton* more = overflow();
    EXPECT_TRUE(!more || !more->isVisible()) << "an overflow button with nothing behind it";
}

TEST_F(frmMainLook, TheToolbarsPicturesAreThemePicturesOfOneSize)
{
    int height = -1;
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(window->toolbar1Buttons.at(i)->text().toStdString());
        const QIcon icon = window->toolbar1Buttons.at(i)->icon();
        ASSERT_FALSE(icon.isNull());
        EXPECT_EQ(icon.pixmap(32, 32).deviceIndependentSize().toSize(), QSize(32, 32));
        // Labels under pictures of one size stand on one line.
        if (height < 0)
            height = button(i)->sizeHint().height();
        EXPECT_EQ(button(i)->sizeHint().height(), height);
    }
    for (QAction* folder : window->toolbar2Buttons) {
        SCOPED_TRACE(folder->text().toStdString());
        EXPECT_FALSE(folder->icon().isNull());
    }
    // The line button's picture follows the line.
    window->SetLineButtonImage(0);
    EXPECT_EQ(
        window->toolbar1Buttons.at(0)->icon().pixmap(32, 32).deviceIndependentSize().toSize(), QSize(32, 32));
}

TEST_F(frmMainLook, AtItsSmallestNothingOverlapsAndTheListKeepsRoom)
{
    window->resize(200, 150);
    QApplication::processEvents();
    EXPECT_EQ(window->size(), QSize(frmMain::kMinimumWidth, frmMain::kMinimumHeight));
    QList<QRect> panels;
    for (const char* name : {"panel1", "panel2", "panel3"}) {
        auto* panel = window->findChild<QLabel*>(QString::fromLatin1(name));
        ASSERT_NE(panel, nullptr);
        panel->setText(panel->text().isEmpty() ? u"x"_s : panel->text());
        panels << panel->geometry();
    }
    QApplication::processEvents();
    EXPECT_FALSE(panels[0].intersects(panels[1]));
    EXPECT_FALSE(panels[1].intersects(panels[2]));
    EXPECT_GE(window->vbalGrid1->height(), 100);
}

TEST_F(frmMainLook, ALongNameStaysInsideThePaneWithTheWholeNameAsTooltip)
{
    const QString name = u"Łukasiewicz-Wróblewska Przybyszewska-Ćwiklińska of Kraków"_s;
    window->SetCallDetail(LineEventSurfaces::Detail::ContactName, name);
    window->SetCallDetail(LineEventSurfaces::Detail::CallerName, name);
    for (const int width : {PixelsFromTwips(frmMain::kDefaultWidthTwips), frmMain::kMinimumWidth}) {
        SCOPED_TRACE(width);
        window->resize(width, window->height());
        QApplication::processEvents();
        QLabel* contact = window->lblMainContactName;
        EXPECT_LE(contact->geometry().right(), window->PicCallDetails->width());
        EXPECT_LE(contact->geometry().right(), window->imgMainCallerPic->x());
        EXPECT_TRUE(contact->text().endsWith(QChar(0x2026))) << contact->text().toStdString();
        EXPECT_EQ(contact->toolTip(), name);
        QLabel* caller = window->lblMainCallerName;
        EXPECT_LE(caller->geometry().right(), contact->x());
        EXPECT_EQ(caller->toolTip(), name);
    }
    window->SetCallDetail(LineEventSurfaces::Detail::ContactName, u"Ann"_s);
    EXPECT_EQ(window->lblMainContactName->text(), u"Ann"_s);
    EXPECT_EQ(window->lblMainContactName->toolTip(), QString());
}

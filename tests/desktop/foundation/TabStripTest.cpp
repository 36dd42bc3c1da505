#include "desktop/foundation/TabStrip.h"

#include <QSignalSpy>
#include <QStyle>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(TabStripTest, ClicksAndSelectionsByCodeRaiseTheTabNumber)
{
    TabStrip strip;
    strip.setImageList({strip.style()->standardIcon(QStyle::SP_DirIcon)});
    strip.AddTab(u"One"_s, -1, u"General"_s);
    strip.AddTab(u"Two"_s, 0, u"Events"_s);
    strip.AddTab(u"Three"_s, 7, u"Notes"_s); // no such icon: none
    strip.resize(300, 200);
    strip.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&strip));
    EXPECT_TRUE(strip.tabBar()->tabIcon(0).isNull());
    EXPECT_FALSE(strip.tabBar()->tabIcon(1).isNull());
    EXPECT_TRUE(strip.tabBar()->tabIcon(2).isNull());

    QSignalSpy clicks(&strip, &TabStrip::TabClick);
    strip.SelectTab(u"Notes"_s);
    strip.SelectTab(u"Notes"_s); // the tab in front: raised again
    strip.SelectTab(u"notes"_s); // keys are exact: nothing
    QTest::mouseClick(strip.tabBar(), Qt::LeftButton, {}, strip.tabBar()->tabRect(1).center());
    QTest::mouseClick(strip.tabBar(), Qt::LeftButton, {}, strip.tabBar()->tabRect(1).center());
    QList<int> numbers;
    for (const QList<QVariant>& click : clicks)
        numbers << click.value(0).toInt();
    EXPECT_EQ(numbers, (QList<int>{3, 3, 2, 2}));
    EXPECT_EQ(strip.SelectedKey(), u"Events");
}

} // namespace

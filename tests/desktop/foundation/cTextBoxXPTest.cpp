#include "desktop/foundation/cTextBoxXP.h"
#include "desktop/foundation/WindowUtilities.h"
#include "platform/widgets/BalloonTip.h"
#include "tests/support/WaitUntil.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

class cTextBoxXPTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.setGeometry(200, 150, 400, 200);
        box = new QLineEdit(&window);
        box->setGeometry(20, 30, 200, 24);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    void TearDown() override
    {
        if (BalloonTip* balloon = BalloonTip::current())
            balloon->close();
        waitUntil([] { return BalloonTip::current() == nullptr; });
    }

    QWidget window;
    QLineEdit* box = nullptr;
    cTextBoxXP textBox;
};

TEST_F(cTextBoxXPTest, CueBannerShowsOnlyWhenSetOnTheBox)
{
    textBox.setCueBanner(u"Name"_s);
    textBox.setTextBox(box);
    EXPECT_EQ(box->placeholderText(), QString());
    EXPECT_EQ(textBox.CueBanner(), u"Name");
    textBox.setCueBanner(u"Caller's name"_s);
    EXPECT_EQ(box->placeholderText(), u"Caller's name");
}

TEST_F(cTextBoxXPTest, BalloonShowsTitleTextAndInformationIconBesideItsBox)
{
    textBox.setTextBox(box);
    ShowTextBoxBalloon(textBox, u"Number"_s, u"Digits only, please."_s);
    EXPECT_EQ(textBox.BalloonTipIcon(), 1);
    BalloonTip* balloon = BalloonTip::current();
    ASSERT_NE(balloon, nullptr);
    EXPECT_TRUE(balloon->isVisible());
    EXPECT_EQ(balloon->anchor(), box);
    EXPECT_EQ(balloon->title(), u"Number");
    EXPECT_EQ(balloon->text(), u"Digits only, please.");
    EXPECT_EQ(balloon->icon(), BalloonTip::Information);

    // Its tail touches the box's lower edge and the bubble hangs below it.
    const QRect boxOnScreen(box->mapToGlobal(QPoint(0, 0)), box->size());
    EXPECT_TRUE(boxOnScreen.contains(balloon->tipPoint()));
    EXPECT_GE(balloon->tipPoint().y(), boxOnScreen.bottom() - 2);
    EXPECT_EQ(balloon->geometry().top(), balloon->tipPoint().y());
    EXPECT_TRUE(balloon->geometry().contains(balloon->tipPoint()));
    EXPECT_GT(balloon->width(), balloon->fontMetrics().horizontalAdvance(u"Digits only, please."_s));
}

TEST_F(cTextBoxXPTest, BalloonGoesAtTheNextKey)
{
    textBox.setTextBox(box);
    ShowTextBoxBalloon(textBox, u"Number"_s, u"Digits only."_s);
    ASSERT_NE(BalloonTip::current(), nullptr);
    QTest::keyClick(box, Qt::Key_5);
    EXPECT_TRUE(waitUntil([] { return BalloonTip::current() == nullptr; }));
    EXPECT_EQ(box->text(), u"5");
}

TEST_F(cTextBoxXPTest, BalloonGoesAfterItsTimeOut)
{
    BalloonTip::showFor(box, BalloonTip::Warning, u"Title"_s, u"Text"_s, 50);
    ASSERT_NE(BalloonTip::current(), nullptr);
    EXPECT_TRUE(waitUntil([] { return BalloonTip::current() == nullptr; }));
}

TEST_F(cTextBoxXPTest, ABoxThatIsGoneIsNoError)
{
    textBox.setTextBox(box);
    textBox.ShowBalloonTip();
    ASSERT_NE(BalloonTip::current(), nullptr);
    delete box;
    box = nullptr;
    EXPECT_TRUE(waitUntil([] { return BalloonTip::current() == nullptr; }));
    textBox.setCueBanner(u"x"_s);
    textBox.ShowBalloonTip();
    textBox.HideBalloonTip();
    EXPECT_EQ(BalloonTip::current(), nullptr);
    EXPECT_EQ(textBox.TextBox(), nullptr);
}

TEST_F(cTextBoxXPTest, IconIsKeptAsGivenAndHideTakesTheBalloonAway)
{
    textBox.setTextBox(box);
    textBox.setBalloonTipIcon(7);
    EXPECT_EQ(textBox.BalloonTipIcon(), 7);
    textBox.setBalloonTipTitle(u"T"_s);
    textBox.setBalloonTipText(u"Body"_s);
    textBox.ShowBalloonTip();
    ASSERT_NE(BalloonTip::current(), nullptr);
    EXPECT_EQ(BalloonTip::current()->icon(), 7);
    textBox.HideBalloonTip();
    EXPECT_TRUE(waitUntil([] { return BalloonTip::current() == nullptr; }));
}

} // namespace

#include "desktop/foundation/cSlider.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

using namespace Qt::StringLiterals;

namespace {

// 221 x 20 pixels: 3315 x 300 twips at 15 twips a pixel, the size whose
// numbers the model tests use.
class cSliderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        slider.resize(221, 20);
        slider.show();
        ASSERT_EQ(slider.twipsPerPixelX(), 15.0) << "the tests assume 96 dots per inch";
    }

    // A move over the thumb with exactly these buttons held, x pixels from its left edge.
    void moveOverThumb(int x, Qt::MouseButtons buttons)
    {
        QWidget* thumb = slider.thumb();
        const QPointF local(x, 5);
        QMouseEvent move(
            QEvent::MouseMove, local, thumb->mapToGlobal(local), Qt::NoButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(thumb, &move);
    }

    cSlider slider;
};

TEST_F(cSliderTest, GrooveClickWithAnyButtonMovesTheThumbAndRaisesChangedThenLineMouseUp)
{
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        slider.setValue(50);
        QSignalSpy changed(&slider, &cSlider::Changed);
        QSignalSpy line(&slider, &cSlider::LineMouseUp);
        QTest::mouseClick(&slider, button, Qt::ShiftModifier, QPoint(67, 10));
        EXPECT_EQ(slider.value(), 28) << button; // 1005 twips: thumb at 840
        EXPECT_EQ(slider.thumb()->x(), 56) << button;
        EXPECT_EQ(changed.count(), 1) << button;
        ASSERT_EQ(line.count(), 1) << button;
        EXPECT_EQ(line[0][0].value<qint16>(), button == Qt::LeftButton ? 1 : 2);
        EXPECT_EQ(line[0][1].value<qint16>(), 1); // Shift
        EXPECT_EQ(line[0][2].value<float>(), 1005.0f);
        EXPECT_EQ(line[0][3].value<float>(), 150.0f);
    }
}

TEST_F(cSliderTest, DragWithTheLeftButtonMovesTheThumb)
{
    QSignalSpy changed(&slider, &cSlider::Changed);
    QSignalSpy down(&slider, &cSlider::MouseDown);
    QSignalSpy up(&slider, &cSlider::MouseUp);
    ASSERT_EQ(slider.thumb()->x(), 100);
    QTest::mousePress(slider.thumb(), Qt::LeftButton, {}, QPoint(10, 5));
    moveOverThumb(30, Qt::LeftButton); // 450 twips: the thumb to 1785, value 60
    EXPECT_EQ(slider.value(), 60);
    EXPECT_EQ(slider.thumb()->x(), 119);
    moveOverThumb(-200, Qt::LeftButton);
    EXPECT_EQ(slider.value(), 0);
    EXPECT_EQ(slider.thumb()->x(), 0);
    QTest::mouseRelease(slider.thumb(), Qt::LeftButton, {}, QPoint(10, 5));
    EXPECT_EQ(changed.count(), 2);
    ASSERT_EQ(down.count(), 1);
    EXPECT_EQ(down[0][0].value<qint16>(), 1);
    EXPECT_EQ(down[0][2].value<float>(), 150.0f); // twips from the thumb's corner
    EXPECT_EQ(up.count(), 1);
}

TEST_F(cSliderTest, RightOrBothButtonsDoNotDrag)
{
    const struct {
        Qt::MouseButtons held;
    } cases[] = {{Qt::RightButton}, {Qt::LeftButton | Qt::RightButton}, {Qt::MiddleButton}, {Qt::NoButton}};
    for (const auto& c : cases) {
        slider.setValue(50);
        QSignalSpy changed(&slider, &cSlider::Changed);
        moveOverThumb(30, c.held);
        EXPECT_EQ(slider.value(), 50) << c.held.toInt();
        EXPECT_EQ(slider.thumb()->x(), 100) << c.held.toInt();
        EXPECT_EQ(changed.count(), 0) << c.held.toInt();
    }
}

TEST_F(cSliderTest, SettingTheValueRaisesChangedEvenWhenItStays)
{
    QSignalSpy changed(&slider, &cSlider::Changed);
    slider.setValue(150);
    EXPECT_EQ(slider.value(), 100);
    EXPECT_EQ(slider.thumb()->x(), 200);
    slider.setValue(100);
    EXPECT_EQ(changed.count(), 2);
    slider.setMin(120);
    slider.setMax(0);
    EXPECT_EQ(changed.count(), 2); // bounds never raise it
}

TEST_F(cSliderTest, SpeechRateSliderGivesWholeNumbersFromMinusFiveToFive)
{
    slider.ReadProperties({{u"Min"_s, -5}, {u"Max"_s, 5}, {u"Value"_s, 0}});
    EXPECT_EQ(slider.value(), 0);
    EXPECT_EQ(slider.thumb()->x(), 100);
    std::set<qint32> seen;
    for (int x = 0; x < slider.width(); ++x) {
        slider.setValue(0);
        if (slider.thumb()->geometry().contains(x, 10))
            continue;
        QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(x, 10));
        seen.insert(slider.value());
    }
    for (int x = 0; x < 40; ++x) {
        slider.setValue(0);
        QTest::mousePress(slider.thumb(), Qt::LeftButton, {}, QPoint(10, 5));
        moveOverThumb(x - 20, Qt::LeftButton);
        QTest::mouseRelease(slider.thumb(), Qt::LeftButton, {}, QPoint(10, 5));
        seen.insert(slider.value());
    }
    EXPECT_EQ(seen, (std::set<qint32>{-5, -4, -3, -2, -1, 0, 1, 2, 3, 4, 5}));
}

} // namespace

#include "desktop/foundation/SliderModel.h"
#include "desktop/foundation/mdlFunctions.h"

#include <gtest/gtest.h>

#include <set>

using namespace Qt::StringLiterals;

namespace {

// 3315 twips wide with the defaults: 3000 twips of travel for 0 to 100, so
// the scale is 30 twips a step.
SliderModel defaultSlider()
{
    SliderModel slider;
    slider.resize(3315, 300, 15, 15);
    return slider;
}

TEST(SliderModelTest, RoundHalfEvenTakesTheEvenNumberOnHalves)
{
    const struct {
        double x;
        double rounded;
    } cases[] = {{2.5, 2}, {3.5, 4}, {842.5, 842}, {-2.5, -2}, {-3.5, -4}, {0.4999, 0}, {1.5001, 2}, {7, 7}};
    for (const auto& c : cases)
        EXPECT_EQ(RoundHalfEven(c.x), c.rounded) << c.x;
}

TEST(SliderModelTest, NewSliderHasTheDefaultsAndSitsInTheMiddle)
{
    const SliderModel slider = defaultSlider();
    EXPECT_EQ(slider.Min(), 0);
    EXPECT_EQ(slider.Max(), 100);
    EXPECT_EQ(slider.value(), 50);
    EXPECT_EQ(slider.SliderWidth(), 315);
    EXPECT_EQ(slider.SliderColor(), 0x8000000F);
    EXPECT_EQ(slider.thumbLeft(), 1500);
    EXPECT_EQ(slider.thumbLength(), 315);
    // The groove runs along the middle, 15 twips in from each end.
    EXPECT_EQ(slider.groove(), QLineF(15, 142.5, 3285, 142.5));
}

TEST(SliderModelTest, ClickOnTheGrooveMovesTheThumbInWholeStepsAndSetsTheValue)
{
    const struct {
        double x;
        double thumbLeft;
        qint32 value;
    } cases[] = {
        {1000, 840, 28}, // 842.5 rounds to 842, cut to 840
        {100, 0, 0}, // left of the groove's start
        {3300, 3000, 100}, // beyond the end
        {157.5, 0, 0}, {1657.5, 1500, 50}, {1672.5, 1515, 50}, // 1515 / 30 = 50.5, halves to even
        {1702.5, 1545, 52}, // 51.5 goes to 52
    };
    for (const auto& c : cases) {
        SliderModel slider = defaultSlider();
        slider.clickGroove(c.x);
        EXPECT_EQ(slider.thumbLeft(), c.thumbLeft) << c.x;
        EXPECT_EQ(slider.value(), c.value) << c.x;
    }
}

TEST(SliderModelTest, DragFollowsThePointerFromTheThumbsMiddle)
{
    const struct {
        double x; // from the thumb's left edge, the thumb at 1500
        double thumbLeft;
        qint32 value;
    } cases[] = {
        {157.5, 1500, 50}, // the pointer stays on the thumb's middle
        {457.5, 1800, 60},
        {450, 1785, 60}, // 1792.5 rounds to 1792, cut to 1785; 59.5 to 60
        {-2000, 0, 0},
        {5000, 3000, 100},
    };
    for (const auto& c : cases) {
        SliderModel slider = defaultSlider();
        slider.dragThumb(c.x);
        EXPECT_EQ(slider.thumbLeft(), c.thumbLeft) << c.x;
        EXPECT_EQ(slider.value(), c.value) << c.x;
    }
}

TEST(SliderModelTest, SettersKeepTheBoundsInOrder)
{
    enum Op { SetValue, SetMin, SetMax };
    const struct {
        Op op;
        qint32 v;
        qint32 min, max, value;
        double thumbLeft;
    } cases[] = {
        {SetValue, 150, 0, 100, 100, 3000},
        {SetValue, -7, 0, 100, 0, 0},
        {SetValue, 50, 0, 100, 50, 1500},
        {SetMin, 120, 0, 100, 50, 1500}, // above Max: ignored
        {SetMin, 100, 100, 100, 100, 1500}, // equal to Max: taken, the thumb stays
        {SetMin, 60, 60, 100, 60, 0},
        {SetMin, -100, -100, 100, 50, 2250},
        {SetMax, 0, 0, 100, 50, 1500}, // equal to Min: refused
        {SetMax, -5, 0, 100, 50, 1500},
        {SetMax, 40, 0, 40, 40, 3000},
        {SetMax, 200, 0, 200, 50, 750},
    };
    for (const auto& c : cases) {
        SliderModel slider = defaultSlider();
        switch (c.op) {
        case SetValue:
            slider.setValue(c.v);
            break;
        case SetMin:
            slider.setMin(c.v);
            break;
        case SetMax:
            slider.setMax(c.v);
            break;
        }
        EXPECT_EQ(slider.Min(), c.min) << c.op << " " << c.v;
        EXPECT_EQ(slider.Max(), c.max) << c.op << " " << c.v;
        EXPECT_EQ(slider.value(), c.value) << c.op << " " << c.v;
        EXPECT_EQ(slider.thumbLeft(), c.thumbLeft) << c.op << " " << c.v;
    }
}

TEST(SliderModelTest, WithMaxEqualToMinTheThumbMovesAndTheValueStays)
{
    SliderModel slider = defaultSlider();
    slider.setMin(100);
    slider.clickGroove(1000);
    EXPECT_EQ(slider.thumbLeft(), 840);
    EXPECT_EQ(slider.value(), 100);
    slider.dragThumb(1000);
    EXPECT_EQ(slider.thumbLeft(), 1680);
    EXPECT_EQ(slider.value(), 100);
}

TEST(SliderModelTest, SliderWidthMustBeNarrowerThanTheControl)
{
    SliderModel slider = defaultSlider();
    slider.setSliderWidth(3315);
    EXPECT_EQ(slider.SliderWidth(), 315);
    slider.setSliderWidth(615);
    EXPECT_EQ(slider.SliderWidth(), 615);
    EXPECT_EQ(slider.thumbLength(), 615);
    EXPECT_EQ(slider.thumbLeft(), 1350); // (3315 - 615) / 100 * 50
}

TEST(SliderModelTest, SpeechRateGivesElevenWholeNumbersInOrder)
{
    SliderModel slider;
    slider.readProperties({{u"Min"_s, -5}, {u"Max"_s, 5}, {u"Value"_s, 0}});
    slider.resize(3315, 300, 15, 15);
    EXPECT_EQ(slider.thumbLeft(), 1500);
    std::set<qint32> seen;
    qint32 last = -5;
    for (double x = 0; x <= 3315; x += 1) {
        slider.clickGroove(x);
        EXPECT_GE(slider.value(), last) << x;
        last = slider.value();
        seen.insert(slider.value());
    }
    EXPECT_EQ(seen, (std::set<qint32>{-5, -4, -3, -2, -1, 0, 1, 2, 3, 4, 5}));
}

TEST(SliderModelTest, PersistedPropertiesAreReadWithoutRegardToCaseAndWrittenWhenNotDefault)
{
    SliderModel slider;
    slider.readProperties({{u"min"_s, -5}, {u"MAX"_s, 5}, {u"vAlUe"_s, 0}, {u"SliderColor"_s, u"junk"_s}});
    EXPECT_EQ(slider.Min(), -5);
    EXPECT_EQ(slider.Max(), 5);
    EXPECT_EQ(slider.value(), 0);
    EXPECT_EQ(slider.SliderColor(), SliderModel::kDefaultSliderColor);
    EXPECT_EQ(slider.writeProperties(), (QVariantMap{{u"Min"_s, -5}, {u"Max"_s, 5}, {u"Value"_s, 0}}));

    SliderModel fresh;
    fresh.readProperties({});
    EXPECT_TRUE(fresh.writeProperties().isEmpty());

    SliderModel coloured;
    coloured.readProperties({{u"slidercolor"_s, 0x0000FF}, {u"BorderStyle"_s, 10}, {u"SliderWidth"_s, 200}});
    EXPECT_EQ(coloured.writeProperties(),
        (QVariantMap{{u"SliderColor"_s, 0x0000FF}, {u"BorderStyle"_s, 10}, {u"SliderWidth"_s, 200}}));
}

} // namespace

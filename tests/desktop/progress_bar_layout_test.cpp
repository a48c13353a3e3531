#include <gtest/gtest.h>

#include <vector>

#include "desktop/progress_bar_layout.h"
#include "vendral/platform_error.h"

namespace vendral::internal {
namespace {

TEST(ProgressBarLayoutTest, StyleIsChildAndVisibleWithVerticalAndSmoothBits) {
    EXPECT_EQ(BarStyle(false, false), 0x50000000u);
    EXPECT_EQ(BarStyle(true, false), 0x50000004u);
    EXPECT_EQ(BarStyle(false, true), 0x50000001u);
    EXPECT_EQ(BarStyle(true, true), 0x50000005u);
}

TEST(ProgressBarLayoutTest, MissingArgumentsGiveTheParentsFullWidthAndTwentyPixels) {
    int reads = 0;
    BarRectangle place = BarOnParent(
        {}, {}, {}, {}, [&reads] { return ++reads, 2175.0; }, 15.0);
    EXPECT_EQ(place.Left, 0);
    EXPECT_EQ(place.Top, 0);
    EXPECT_EQ(place.Width, 145);
    EXPECT_EQ(place.Height, 20);
    EXPECT_EQ(reads, 1);
}

TEST(ProgressBarLayoutTest, GivenArgumentsAreTakenAndTheParentIsNotAsked) {
    int reads = 0;
    BarRectangle place = BarOnParent(
        Variant(10), Variant(30), Variant(40), Variant(120), [&reads] { return ++reads, 2175.0; },
        15.0);
    EXPECT_EQ(place.Left, 10);
    EXPECT_EQ(place.Top, 30);
    EXPECT_EQ(place.Width, 40);
    EXPECT_EQ(place.Height, 120);
    EXPECT_EQ(reads, 0);
}

TEST(ProgressBarLayoutTest, WidthAndTwipsPerPixelAreRoundedBeforeTheWholeDivision) {
    // 2182.5 rounds to 2182 (half to even), 14.5 to 14: 2182 / 14 = 155.
    EXPECT_EQ(BarOnParent(
                  {}, {}, {}, {}, [] { return 2182.5; }, 14.5)
                  .Width,
              155);
    // 2189.6 rounds to 2190, 15.4 to 15: 146, where the fractions would give 142.
    EXPECT_EQ(BarOnParent(
                  {}, {}, {}, {}, [] { return 2189.6; }, 15.4)
                  .Width,
              146);
}

TEST(ProgressBarLayoutTest, TwipsPerPixelRoundingToZeroIsDivisionByZero) {
    try {
        BarOnParent(
            {}, {}, {}, {}, [] { return 2175.0; }, 0.4);
        FAIL() << "no error";
    } catch (const PlatformError& error) {
        EXPECT_EQ(error.Number(), 11);
    }
}

TEST(ProgressBarLayoutTest, RoundingGoesHalfToEven) {
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(2.6), 3);
}

TEST(ProgressBarLayoutTest, RaiseShowsTheCounterOnlyOnStepBoundaries) {
    ProgressCounter counter;
    counter.SetMaxValue(5000);
    std::vector<std::int32_t> shown;
    for (std::int32_t n = 0; n <= 100; ++n)
        RaiseCounted(counter, n, [&shown](std::int32_t position) { shown.push_back(position); });
    EXPECT_EQ(shown, (std::vector<std::int32_t>{1, 2}));
}

TEST(ProgressBarLayoutTest, RaiseWithAStepOfZeroShowsNothingAndFails) {
    ProgressCounter counter;
    bool shown = false;
    EXPECT_THROW(RaiseCounted(counter, 1, [&shown](std::int32_t) { shown = true; }), PlatformError);
    EXPECT_FALSE(shown);
    EXPECT_EQ(counter.Counter(), 0);
}

TEST(ProgressBarLayoutTest, SetProgBarPosShowsThePositionAsGiven) {
    std::vector<std::int32_t> shown;
    ShowBetweenEvents(170, [&shown](std::int32_t position) { shown.push_back(position); });
    EXPECT_EQ(shown, (std::vector<std::int32_t>{170}));
}

}  // namespace
}  // namespace vendral::internal

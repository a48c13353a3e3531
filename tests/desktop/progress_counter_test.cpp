#include "vendral/progress_counter.h"

#include <gtest/gtest.h>

#include <vector>

#include "vendral/platform_error.h"

namespace vendral {
namespace {

std::vector<std::int32_t> RaiseAll(ProgressCounter& counter, std::int32_t from, std::int32_t to) {
    std::vector<std::int32_t> sent;
    for (std::int32_t n = from; n <= to; ++n)
        if (auto position = counter.Raise(n)) sent.push_back(*position);
    return sent;
}

TEST(ProgressCounterTest, StepDerivationRoundsHalfToEven) {
    struct Case {
        std::int32_t maximum, step;
    };
    for (Case c : std::vector<Case>{{10, 1},
                                    {0, 1},
                                    {-5, 1},
                                    {11, 0},
                                    {50, 0},
                                    {51, 1},
                                    {60, 1},
                                    {149, 1},
                                    {150, 2},
                                    {250, 2},
                                    {350, 4},
                                    {5000, 50},
                                    {10000, 100},
                                    {10001, 1000},
                                    {20000, 2000},
                                    {25000, 2500},
                                    {10005, 1000},
                                    {10015, 1002}}) {
        ProgressCounter counter;
        counter.SetMaxValue(c.maximum);
        EXPECT_EQ(counter.StepValue(), c.step) << "maximum " << c.maximum;
        EXPECT_EQ(counter.MaxValue(), c.maximum);
    }
}

TEST(ProgressCounterTest, TenItemsMoveTheBarByTenEach) {
    ProgressCounter counter;
    counter.SetMaxValue(10);
    EXPECT_EQ(counter.Raise(0), std::nullopt);
    EXPECT_EQ(RaiseAll(counter, 1, 10),
              (std::vector<std::int32_t>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
}

TEST(ProgressCounterTest, StepOfFiftyMovesEveryFiftiethItem) {
    ProgressCounter counter;
    counter.SetMaxValue(5000);
    EXPECT_TRUE(RaiseAll(counter, 1, 49).empty());
    EXPECT_EQ(counter.Raise(50), 1);
    EXPECT_EQ(RaiseAll(counter, 51, 100), std::vector<std::int32_t>{2});
    std::vector<std::int32_t> rest = RaiseAll(counter, 101, 5000);
    ASSERT_FALSE(rest.empty());
    EXPECT_EQ(rest.back(), 100);
}

TEST(ProgressCounterTest, LargeMaximumEndsNearTen) {
    ProgressCounter counter;
    counter.SetMaxValue(20000);
    std::vector<std::int32_t> sent = RaiseAll(counter, 1, 20000);
    EXPECT_EQ(sent, (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST(ProgressCounterTest, CountingGoesOnPastTheFullBar) {
    ProgressCounter counter;
    counter.SetMaxValue(120);
    std::vector<std::int32_t> sent = RaiseAll(counter, 1, 12);
    EXPECT_EQ(sent[9], 100);
    EXPECT_EQ(sent[10], 110);
    EXPECT_EQ(sent[11], 120);
    EXPECT_EQ(ShownPosition(sent[11]), 100);
    EXPECT_EQ(ShownPosition(-3), 0);
    EXPECT_EQ(ShownPosition(42), 42);
}

TEST(ProgressCounterTest, StepValueStartsCountingAgain) {
    ProgressCounter counter;
    counter.SetMaxValue(10);
    RaiseAll(counter, 1, 4);
    EXPECT_EQ(counter.Counter(), 40);
    counter.SetStepValue(3);
    EXPECT_EQ(counter.Counter(), 0);
    EXPECT_EQ(counter.Raise(2), std::nullopt);
    EXPECT_EQ(counter.Raise(3), 1);
    EXPECT_EQ(counter.Raise(-6), 2);  // the remainder of a negative item is 0 too
}

TEST(ProgressCounterTest, StepOfZeroIsADivisionByZeroAndChangesNothing) {
    ProgressCounter counter;
    EXPECT_EQ(counter.Raise(0), std::nullopt);  // item 0 is never divided
    try {
        counter.Raise(1);
        FAIL() << "no error";
    } catch (const PlatformError& error) {
        EXPECT_EQ(error.Number(), 11);
        EXPECT_STREQ(error.what(), "Division by zero");
    }
    EXPECT_EQ(counter.Counter(), 0);
    counter.SetMaxValue(30);  // 11 to 50 give a step of 0 as well
    EXPECT_THROW(counter.Raise(30), PlatformError);
    EXPECT_EQ(counter.Counter(), 0);
}

TEST(ProgressCounterTest, StepOfMinusOneMovesOnEveryItem) {
    ProgressCounter counter;
    counter.SetStepValue(-1);
    for (std::int32_t n : {7, -2147483647 - 1, 1}) counter.Raise(n);
    EXPECT_EQ(counter.Counter(), 3);
}

}  // namespace
}  // namespace vendral

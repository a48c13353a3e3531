#include <gtest/gtest.h>

#include <QPointer>
#include <QProgressBar>
#include <QTimer>
#include <QWidget>
#include <vector>

#include "base/qt/twips.h"
#include "support/qt/modal_watcher.h"
#include "vendral/platform_error.h"
#include "vendral/widgets/cprogressbar.h"

namespace vendral {
namespace {

class ProgressBarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host.resize(145, 60);
        host.show();
        bar.Parent(&host);
    }
    std::vector<int> ShownWhileRaising(std::int32_t from, std::int32_t to) {
        std::vector<int> shown;
        for (std::int32_t n = from; n <= to; ++n) {
            int before = bar.Bar()->value();
            bar.Raise(n);
            if (bar.Bar()->value() != before) shown.push_back(bar.Bar()->value());
        }
        return shown;
    }
    QWidget host;
    CProgressBar bar;
};

TEST_F(ProgressBarTest, CreateOnAParentCoversItsWidthTwentyPixelsHigh) {
    ASSERT_EQ(qt::TwipsPerPixelX(&host), 15);
    ASSERT_EQ(qt::PixelsToTwipsX(host.width(), &host), 2175);
    EXPECT_EQ(bar.ProgBarHwnd(), 0);
    ASSERT_TRUE(bar.Create());
    EXPECT_EQ(bar.Bar()->parentWidget(), &host);
    EXPECT_EQ(bar.Bar()->geometry(), QRect(0, 0, 145, 20));
    EXPECT_TRUE(bar.Bar()->isVisible());
    EXPECT_EQ(bar.Bar()->minimum(), 0);
    EXPECT_EQ(bar.Bar()->maximum(), 100);
    EXPECT_NE(bar.ProgBarHwnd(), 0);
    EXPECT_EQ(bar.Bar()->orientation(), Qt::Horizontal);
}

TEST_F(ProgressBarTest, CreateTakesTheGivenPixelPlace) {
    ASSERT_TRUE(bar.Create(Variant(5), Variant(7), Variant(60), Variant(12), true));
    EXPECT_EQ(bar.Bar()->geometry(), QRect(5, 7, 60, 12));
}

TEST(ProgressBarWithoutParentTest, CreateMakesNothing) {
    CProgressBar bar;
    EXPECT_FALSE(bar.Create(Variant(0), Variant(0), Variant(10), Variant(10)));
    EXPECT_EQ(bar.Bar(), nullptr);
    EXPECT_EQ(bar.ProgBarHwnd(), 0);
    // Messages to a bar that was never made have no effect.
    bar.SetProgBarPos(50);
    bar.ClearProgBar();
    bar.SetBarColor(0xFF);
    bar.DestroyProgBar();
    bar.MaxValue(10);
    bar.Raise(1);
}

TEST_F(ProgressBarTest, TenItemsFillTheBarInTens) {
    ASSERT_TRUE(bar.Create());
    bar.MaxValue(10);
    bar.Raise(0);
    EXPECT_EQ(bar.Bar()->value(), 0);
    EXPECT_EQ(ShownWhileRaising(1, 10),
              (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
}

TEST_F(ProgressBarTest, StepOfFiftyAndLargeMaximum) {
    ASSERT_TRUE(bar.Create());
    bar.MaxValue(5000);
    EXPECT_TRUE(ShownWhileRaising(1, 49).empty());
    bar.Raise(50);
    EXPECT_EQ(bar.Bar()->value(), 1);
    bar.Raise(100);
    EXPECT_EQ(bar.Bar()->value(), 2);
    ShownWhileRaising(101, 5000);
    EXPECT_EQ(bar.Bar()->value(), 100);
    bar.MaxValue(20000);
    bar.ClearProgBar();
    ShownWhileRaising(1, 20000);
    EXPECT_EQ(bar.Bar()->value(), 10);
}

TEST_F(ProgressBarTest, PositionsAboveHundredShowAFullBarWhileCounting) {
    ASSERT_TRUE(bar.Create());
    bar.MaxValue(120);
    std::vector<int> shown = ShownWhileRaising(1, 10);
    EXPECT_EQ(shown.back(), 100);
    bar.Raise(11);
    EXPECT_EQ(bar.Bar()->value(), 100);
    // The counter went on to 110: after StepValue(1) it is 0 again.
    bar.StepValue(1);
    bar.Raise(1);
    EXPECT_EQ(bar.Bar()->value(), 10);
}

TEST_F(ProgressBarTest, DirectPositionsLeaveTheCounterAlone) {
    ASSERT_TRUE(bar.Create());
    bar.MaxValue(10);
    bar.Raise(1);
    bar.Raise(2);
    bar.SetProgBarPos(70);
    EXPECT_EQ(bar.Bar()->value(), 70);
    bar.Raise(3);
    EXPECT_EQ(bar.Bar()->value(), 30);  // the counter's next value, not 71
    bar.ClearProgBar();
    EXPECT_EQ(bar.Bar()->value(), 0);
    bar.Raise(4);
    EXPECT_EQ(bar.Bar()->value(), 40);
    bar.SetProgBarPos(250);
    EXPECT_EQ(bar.Bar()->value(), 100);
    bar.SetProgBarPos(-5);
    EXPECT_EQ(bar.Bar()->value(), 0);
}

TEST_F(ProgressBarTest, StepValueRestartsFromZero) {
    ASSERT_TRUE(bar.Create());
    bar.MaxValue(10);
    ShownWhileRaising(1, 5);
    bar.StepValue(3);
    bar.Raise(2);
    EXPECT_EQ(bar.Bar()->value(), 50);  // not a step boundary: nothing moves
    bar.Raise(3);
    EXPECT_EQ(bar.Bar()->value(), 1);
}

TEST_F(ProgressBarTest, StepOfZeroRaisesErrorElevenAndChangesNothing) {
    ASSERT_TRUE(bar.Create());
    bar.SetProgBarPos(40);
    try {
        bar.Raise(5);
        FAIL() << "no error";
    } catch (const PlatformError& error) {
        EXPECT_EQ(error.Number(), 11);
        EXPECT_STREQ(error.what(), "Division by zero");
    }
    EXPECT_EQ(bar.Bar()->value(), 40);
    bar.Raise(0);
    bar.MaxValue(10);
    bar.Raise(1);
    EXPECT_EQ(bar.Bar()->value(), 10);
}

TEST_F(ProgressBarTest, VerticalTakesEffectAtTheNextCreate) {
    ASSERT_TRUE(bar.Create());
    QProgressBar* first = bar.Bar();
    bar.SetProgVert(true);
    EXPECT_EQ(first->orientation(), Qt::Horizontal);
    ASSERT_TRUE(bar.Create(Variant(0), Variant(25), Variant(20), Variant(30)));
    EXPECT_EQ(bar.Bar()->orientation(), Qt::Vertical);
    EXPECT_NE(bar.Bar(), first);
    EXPECT_EQ(first->parentWidget(), &host);  // the earlier bar stays on its parent
}

TEST_F(ProgressBarTest, DestroyKeepsTheStoredHandle) {
    ASSERT_TRUE(bar.Create());
    std::int32_t handle = bar.ProgBarHwnd();
    QPointer<QProgressBar> widget = bar.Bar();
    bar.DestroyProgBar();
    EXPECT_TRUE(widget.isNull());
    EXPECT_EQ(bar.ProgBarHwnd(), handle);
    bar.SetProgBarPos(30);  // goes nowhere
    bar.DestroyProgBar();
}

TEST_F(ProgressBarTest, ReleasingTheObjectLeavesTheBarOnItsParent) {
    QPointer<QProgressBar> widget;
    {
        CProgressBar temporary;
        temporary.Parent(&host);
        ASSERT_TRUE(temporary.Create());
        widget = temporary.Bar();
    }
    ASSERT_FALSE(widget.isNull());
    EXPECT_EQ(widget->parentWidget(), &host);
}

TEST_F(ProgressBarTest, ColoursPaintTheBarAndTheBackground) {
    bar.SetBarColor(0x000000FF);  // before Create: no bar, no effect
    ASSERT_TRUE(bar.Create(Variant(0), Variant(0), Variant(100), Variant(20), true));
    bar.SetProgBarPos(50);
    QImage plain = bar.Bar()->grab().toImage();
    EXPECT_NE(plain.pixelColor(25, 10), QColor(255, 0, 0));
    bar.SetBarColor(0x000000FF);   // red
    bar.SetBackColor(0x00FF0000);  // blue
    QImage image = bar.Bar()->grab().toImage();
    EXPECT_EQ(image.pixelColor(25, 10), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(80, 10), QColor(0, 0, 255));
    bar.SetBarColor(static_cast<std::int32_t>(0xFF000000u));  // the default again
    EXPECT_EQ(bar.Bar()->grab().toImage().pixelColor(25, 10), plain.pixelColor(25, 10));
}

TEST_F(ProgressBarTest, PendingEventsRunInsideTheCalls) {
    ASSERT_TRUE(bar.Create());
    bar.MaxValue(10);
    int ran = 0;
    QTimer::singleShot(0, [&] { ++ran; });
    bar.SetProgBarPos(10);
    EXPECT_EQ(ran, 1);
    QTimer::singleShot(0, [&] { ++ran; });
    bar.Raise(1);
    EXPECT_EQ(ran, 2);
    QTimer::singleShot(0, [&] { ++ran; });
    bar.DelayProgBar(-20);  // a negative delay does not sleep
    EXPECT_EQ(ran, 3);
    QTimer::singleShot(0, [&] { ++ran; });
    bar.DelayProgBar(1);
    EXPECT_EQ(ran, 4);
}

}  // namespace
}  // namespace vendral

// Other programs' windows under a real window manager (openbox on Xvfb): the
// helper windows belong to another process, and every state is read back as
// the window manager reports it (_NET_WM_STATE, WM_STATE, _NET_ACTIVE_WINDOW).
#include <gtest/gtest.h>

#include "desktop/x11/window_probe.h"
#include "support/qt/screenshot.h"
#include "vendral/capplication.h"

namespace vendral::test {
namespace {

class CApplicationWindowsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!qt::RealDisplayAvailable()) GTEST_SKIP() << "no X display with a window manager";
        probe_.emplace();
    }

    // A shown, active helper window with a title of its own for this test.
    std::unique_ptr<HelperWindow> OpenHelper(const std::string& suffix = "") {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        auto helper = std::make_unique<HelperWindow>("Vendral Helper " + name + suffix);
        if (!helper->Start(*probe_)) {
            ADD_FAILURE() << "the helper window " << helper->Title() << " did not come up";
            return nullptr;
        }
        return helper;
    }

    WindowProbe& Probe() { return *probe_; }
    CApplication application;

  private:
    std::optional<WindowProbe> probe_;
};

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}
std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

TEST_F(CApplicationWindowsTest, RunningMeansTheWholeTitleInAnyCase) {
    auto helper = OpenHelper();
    ASSERT_TRUE(helper);
    const std::string title = helper->Title();
    Variant running = application.IsApplicationRunning(title);
    EXPECT_EQ(running.Type(), VariantType::Boolean);
    EXPECT_TRUE(running.ToBool());
    EXPECT_TRUE(application.IsApplicationRunning(Upper(title)).ToBool());
    EXPECT_TRUE(application.IsApplicationRunning(Lower(title)).ToBool());
    EXPECT_FALSE(application.IsApplicationRunning(title.substr(0, title.size() - 1)).ToBool());
    EXPECT_FALSE(application.IsApplicationRunning("Vendral Helper").ToBool());
    EXPECT_FALSE(application.IsApplicationRunning(title + " ").ToBool());
    EXPECT_FALSE(application.IsApplicationRunning("").ToBool());
}

TEST_F(CApplicationWindowsTest, CloseAsksTheWindowToCloseAndItsProgramEnds) {
    auto helper = OpenHelper();
    ASSERT_TRUE(helper);
    // A title that matches nothing does nothing.
    EXPECT_TRUE(application.CloseApplication(helper->Title() + " 2").IsEmpty());
    EXPECT_TRUE(application.CloseApplication("Helper").IsEmpty());
    EXPECT_FALSE(helper->HasEnded());
    EXPECT_TRUE(application.IsApplicationRunning(helper->Title()).ToBool());

    EXPECT_TRUE(application.CloseApplication(Upper(helper->Title())).IsEmpty());
    int status = -1;
    ASSERT_TRUE(Eventually([&] { return helper->HasEnded(&status); }));
    // The helper ends with 0 only when it received WM_DELETE_WINDOW.
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(
        Eventually([&] { return !application.IsApplicationRunning(helper->Title()).ToBool(); }));
}

TEST_F(CApplicationWindowsTest, MinimiseAndRestore) {
    auto helper = OpenHelper();
    ASSERT_TRUE(helper);
    xcb_window_t window = helper->Window();
    EXPECT_TRUE(application.MinimizeApplication(helper->Title()).IsEmpty());
    ASSERT_TRUE(Eventually([&] { return Probe().IsIconic(window); }));
    // A minimised window is still running.
    EXPECT_TRUE(application.IsApplicationRunning(helper->Title()).ToBool());
    EXPECT_TRUE(application.RestoreApplication(helper->Title()).IsEmpty());
    EXPECT_TRUE(Eventually([&] { return Probe().IsNormal(window); }));
    EXPECT_FALSE(Probe().IsMaximized(window));
}

TEST_F(CApplicationWindowsTest, MaximiseAndRestore) {
    auto helper = OpenHelper();
    ASSERT_TRUE(helper);
    xcb_window_t window = helper->Window();
    const Geometry normal = Probe().OnScreen(window);
    EXPECT_TRUE(application.MaximizeApplication(helper->Title()).IsEmpty());
    ASSERT_TRUE(Eventually([&] { return Probe().IsMaximized(window); }));
    EXPECT_TRUE(Eventually([&] { return Probe().OnScreen(window).Width > normal.Width; }));
    EXPECT_TRUE(application.RestoreApplication(helper->Title()).IsEmpty());
    EXPECT_TRUE(Eventually([&] { return !Probe().IsMaximized(window); }));
    EXPECT_TRUE(Eventually([&] { return Probe().OnScreen(window) == normal; }))
        << Probe().OnScreen(window) << " instead of " << normal;
}

TEST_F(CApplicationWindowsTest, RestoringAMinimisedMaximisedWindowBringsItBackMaximised) {
    auto helper = OpenHelper();
    ASSERT_TRUE(helper);
    xcb_window_t window = helper->Window();
    application.MaximizeApplication(helper->Title());
    ASSERT_TRUE(Eventually([&] { return Probe().IsMaximized(window); }));
    application.MinimizeApplication(helper->Title());
    ASSERT_TRUE(Eventually([&] { return Probe().IsIconic(window); }));
    application.RestoreApplication(helper->Title());
    ASSERT_TRUE(Eventually([&] { return Probe().IsNormal(window); }));
    EXPECT_TRUE(Probe().IsMaximized(window));
    // A second restore makes it normal.
    application.RestoreApplication(helper->Title());
    EXPECT_TRUE(Eventually([&] { return !Probe().IsMaximized(window); }));
}

TEST_F(CApplicationWindowsTest, ApplicationToTopActivatesAndRestoresTheWindow) {
    auto first = OpenHelper(" first");
    ASSERT_TRUE(first);
    auto second = OpenHelper(" second");
    ASSERT_TRUE(second);
    ASSERT_EQ(Probe().Active(), second->Window());

    application.ApplicationToTop(Lower(first->Title()));
    ASSERT_TRUE(Eventually([&] { return Probe().Active() == first->Window(); }));

    // From minimised: shown and active again.
    application.MinimizeApplication(first->Title());
    ASSERT_TRUE(Eventually([&] { return Probe().IsIconic(first->Window()); }));
    application.ApplicationToTop(first->Title());
    EXPECT_TRUE(Eventually(
        [&] { return Probe().IsNormal(first->Window()) && Probe().Active() == first->Window(); }));

    // A maximised window that is not active is restored on its way to the top.
    application.MaximizeApplication(second->Title());
    ASSERT_TRUE(Eventually([&] { return Probe().IsMaximized(second->Window()); }));
    ASSERT_NE(Probe().Active(), second->Window());
    application.ApplicationToTop(second->Title());
    EXPECT_TRUE(Eventually([&] {
        return Probe().Active() == second->Window() && !Probe().IsMaximized(second->Window());
    }));
}

TEST_F(CApplicationWindowsTest, ApplicationToTopSendsNothingToTheActiveWindow) {
    auto helper = OpenHelper();
    ASSERT_TRUE(helper);
    application.MaximizeApplication(helper->Title());
    ASSERT_TRUE(Eventually([&] { return Probe().IsMaximized(helper->Window()); }));
    ASSERT_EQ(Probe().Active(), helper->Window());
    // Were the restore command sent, the window would lose its maximised state.
    application.ApplicationToTop(helper->Title());
    // A later request that the window manager handles after any earlier one
    // shows that the earlier ones have been dealt with.
    application.WindowToFront(helper->Window());
    ASSERT_TRUE(Eventually([&] { return Probe().IsAbove(helper->Window()); }));
    EXPECT_TRUE(Probe().IsMaximized(helper->Window()));
    EXPECT_EQ(Probe().Active(), helper->Window());
}

TEST_F(CApplicationWindowsTest, WindowToFrontThenToBackKeepsPlaceAndSize) {
    auto helper = OpenHelper();
    ASSERT_TRUE(helper);
    xcb_window_t window = helper->Window();
    const Geometry before = Probe().OnScreen(window);
    ASSERT_FALSE(Probe().IsAbove(window));

    application.WindowToFront(window);
    ASSERT_TRUE(Eventually([&] { return Probe().IsAbove(window); }));
    EXPECT_EQ(Probe().OnScreen(window), before);

    application.WindowToBack(window);
    ASSERT_TRUE(Eventually([&] { return !Probe().IsAbove(window); }));
    EXPECT_EQ(Probe().OnScreen(window), before);
    EXPECT_TRUE(Probe().IsNormal(window));
}

}  // namespace
}  // namespace vendral::test

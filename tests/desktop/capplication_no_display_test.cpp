// Without a reachable X display the window methods do nothing: no window is
// running, every other result is empty, and nothing fails.
#include <gtest/gtest.h>

#include "desktop/process_files.h"
#include "vendral/capplication.h"

namespace vendral::test {
namespace {

void ExpectNoWindows() {
    CApplication application;
    Variant running = application.IsApplicationRunning("xterm");
    EXPECT_EQ(running.Type(), VariantType::Boolean);
    EXPECT_FALSE(running.ToBool());
    EXPECT_TRUE(application.CloseApplication("xterm").IsEmpty());
    EXPECT_TRUE(application.MinimizeApplication("xterm").IsEmpty());
    EXPECT_TRUE(application.MaximizeApplication("xterm").IsEmpty());
    EXPECT_TRUE(application.RestoreApplication("xterm").IsEmpty());
    EXPECT_NO_THROW(application.ApplicationToTop("xterm"));
    EXPECT_NO_THROW(application.WindowToFront(0x200001));
    EXPECT_NO_THROW(application.WindowToBack(0x200001));
}

TEST(CApplicationWithoutDisplay, NothingHappensWhenNoDisplayIsNamed) {
    ScopedEnvironment display("DISPLAY", std::nullopt);
    ExpectNoWindows();
}

TEST(CApplicationWithoutDisplay, NothingHappensWhenTheDisplayCannotBeReached) {
    ScopedEnvironment display("DISPLAY", ":4711");
    ExpectNoWindows();
}

TEST(CApplicationWithoutDisplay, ProgramsStillStart) {
    ScopedEnvironment display("DISPLAY", std::nullopt);
    DesktopScratch folder;
    WriteScript(folder / "child", "echo ended > '" + (folder / "ended") + "'\n");
    CApplication application;
    application.StartApplicationWait(folder / "child", 1);
    EXPECT_EQ(ReadBytes(folder / "ended"), "ended\n");
}

}  // namespace
}  // namespace vendral::test

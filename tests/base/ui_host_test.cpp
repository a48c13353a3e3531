#include "vendral/ui_host.h"

#include <gtest/gtest.h>

#include <fstream>

#include "settings/settings_state.h"
#include "support/recording_ui_host.h"
#include "support/test_database.h"
#include "vendral/settings.h"

namespace vendral::test {
namespace {

// Puts the headless default in place for one test and restores what was there.
class HeadlessHostTest : public ::testing::Test {
  protected:
    void SetUp() override {
        previous_ = InstallUiHost(nullptr);
        previousDialog_ = InstallSettingsDialogRunner({});
    }
    void TearDown() override {
        InstallSettingsDialogRunner(previousDialog_);
        InstallUiHost(previous_);
    }
    std::shared_ptr<UiHost> previous_;
    SettingsDialogRunner previousDialog_;
};

TEST_F(HeadlessHostTest, DefaultHostIsHeadlessAndWritesOneLinePerMessage) {
    EXPECT_NE(dynamic_cast<HeadlessUiHost*>(CurrentUiHost().get()), nullptr);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(ShowErrorMessage("There is a problem with the central connection.\r\nrefused"), 1);
    EXPECT_EQ(ShowInfoMessage("Saved\nagain"), 1);
    CurrentUiHost()->SetMousePointer(kPointerBusy);
    CurrentUiHost()->DoEvents();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Error: There is a problem with the central connection. refused\n"
              "Message: Saved again\n");
}

TEST_F(HeadlessHostTest, SettingsDialogWithoutRunnerCountsAsCancelledAndNamesTheFile) {
    std::string missing = TestOdbc::Instance().ScratchPath("never-written.ini");
    vendral::detail::SetSettingsFilePath(missing);
    CurrentDialogState().Cancelled = false;
    ::testing::internal::CaptureStderr();
    ShowSettingsDialog();
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(CurrentDialogState().Cancelled);
    EXPECT_EQ(said.rfind("Error: The settings file " + missing + " is missing", 0), 0u) << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << said;

    std::string existing = TestOdbc::Instance().ScratchPath("written.ini");
    std::ofstream(existing) << "[Central]\nDSN=x\n";
    vendral::detail::SetSettingsFilePath(existing);
    CurrentDialogState().Cancelled = false;
    ::testing::internal::CaptureStderr();
    ShowSettingsDialog();
    said = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(CurrentDialogState().Cancelled);
    EXPECT_NE(said.find(existing), std::string::npos) << said;
    EXPECT_EQ(said.find("is missing"), std::string::npos) << said;
}

TEST_F(HeadlessHostTest, TheInstalledRunnerShowsTheDialogAndARefusingOneCountsAsCancelled) {
    std::string missing = TestOdbc::Instance().ScratchPath("runner-missing.ini");
    vendral::detail::SetSettingsFilePath(missing);
    CurrentDialogState().Mode = 3;
    int runs = 0;
    InstallSettingsDialogRunner([&runs] {
        ++runs;
        EXPECT_EQ(CurrentDialogState().Mode, 3);
        return true;
    });
    CurrentDialogState().Cancelled = false;
    ::testing::internal::CaptureStderr();
    ShowSettingsDialog();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(CurrentDialogState().Cancelled);

    // A runner that cannot show it (no application object) leaves the headless way.
    SettingsDialogRunner before = InstallSettingsDialogRunner([&runs] {
        ++runs;
        return false;
    });
    EXPECT_TRUE(static_cast<bool>(before));
    ::testing::internal::CaptureStderr();
    ShowSettingsDialog();
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(runs, 2);
    EXPECT_TRUE(CurrentDialogState().Cancelled);
    EXPECT_NE(said.find(missing + " is missing"), std::string::npos) << said;
}

TEST(UiHostTest, InstalledHostReceivesTitlesAndIconsAndIsReplacedAgain) {
    UiHost* before = CurrentUiHost().get();
    {
        ScopedRecordingHost host;
        EXPECT_EQ(CurrentUiHost().get(), &*host);
        ShowErrorMessage("bad");
        ShowInfoMessage("good");
        ASSERT_EQ(host->Messages.size(), 2u);
        EXPECT_EQ(host->Messages[0].Text, "bad");
        EXPECT_EQ(host->Messages[0].Title, "Error");
        EXPECT_EQ(host->Messages[0].Icon, MessageIcon::Exclamation);
        EXPECT_EQ(host->Messages[1].Text, "good");
        EXPECT_EQ(host->Messages[1].Title, "Message");
        EXPECT_EQ(host->Messages[1].Icon, MessageIcon::Information);
    }
    EXPECT_EQ(CurrentUiHost().get(), before);
}

}  // namespace
}  // namespace vendral::test

// A client's UI host handed over as a dispatch object (VendralInstallUiHost):
// what the library shows reaches the client's host, and the settings dialog
// the library asks for is the client's, with this thread's dialog state.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "support/recording_ui_host.h"
#include "support/test_database.h"
#include "vendral/automation_client.h"
#include "vendral/cdatabase.h"
#include "vendral/com_activation.h"
#include "vendral/com_automation.h"
#include "vendral/settings.h"
#include "vendral/ui_host.h"

namespace vendral::test {
namespace {

using Calls = std::vector<std::string>;

// A client's host that writes down every call, one line each. Its dialog
// answers "cancelled" as told.
com::IDispatch* NewClientHost(const std::shared_ptr<Calls>& calls, bool cancelDialog) {
    std::vector<com::DispatchMethod> methods{
        {"MessageBox", 3,
         [calls](const std::vector<Variant>& args) {
             calls->push_back("MessageBox " + args[1].ToString() + ": " + args[0].ToString() +
                              " (icon " + args[2].ToString() + ")");
             return Variant(static_cast<std::int32_t>(1));
         }},
        {"SetMousePointer", 1,
         [calls](const std::vector<Variant>& args) {
             calls->push_back("SetMousePointer " + args[0].ToString());
             return Variant();
         }},
        {"DoEvents", 0,
         [calls](const std::vector<Variant>&) {
             calls->push_back("DoEvents");
             return Variant();
         }},
        {"ShowSettingsDialog", 3, [calls, cancelDialog](const std::vector<Variant>& args) {
             calls->push_back("ShowSettingsDialog " + args[0].ToString() + " mode " +
                              args[1].ToString() + " server " + args[2].ToString());
             return Variant(cancelDialog);
         }}};
    return com::NewDispatchObject(std::move(methods), "Client");
}

// Hands the client's host over for the test and takes it back afterwards,
// leaving the test program's own host (a recording one) as it was.
class UiHostBridgeTest : public ::testing::Test {
  protected:
    void Hand(bool cancelDialog) {
        com::IDispatch* host = NewClientHost(calls_, cancelDialog);
        ASSERT_EQ(com::VendralInstallUiHost(host), com::S_OK);
        // The library holds its own reference from here on.
        host->Release();
    }
    void TearDown() override { EXPECT_EQ(com::VendralInstallUiHost(nullptr), com::S_OK); }

    ScopedRecordingHost own_;
    std::shared_ptr<Calls> calls_ = std::make_shared<Calls>();
};

TEST_F(UiHostBridgeTest, BoxesPointerAndEventsReachTheClientsHost) {
    Hand(false);
    EXPECT_EQ(ShowErrorMessage("The table is locked."), 1);
    EXPECT_EQ(ShowInfoMessage("Done."), 1);
    CurrentUiHost()->SetMousePointer(kPointerBusy);
    CurrentUiHost()->DoEvents();
    CurrentUiHost()->SetMousePointer(kPointerArrow);
    EXPECT_EQ(*calls_, (Calls{"MessageBox Error: The table is locked. (icon 0)",
                              "MessageBox Message: Done. (icon 1)", "SetMousePointer 11",
                              "DoEvents", "SetMousePointer 1"}));
    EXPECT_TRUE(own_->Messages.empty());
}

TEST_F(UiHostBridgeTest, AHostTakenBackNoLongerHearsAnything) {
    Hand(false);
    ASSERT_EQ(com::VendralInstallUiHost(nullptr), com::S_OK);
    ShowErrorMessage("after");
    CurrentUiHost()->SetMousePointer(kPointerBusy);
    EXPECT_TRUE(calls_->empty());
}

TEST_F(UiHostBridgeTest, AMissingSettingsFileAsksTheClientsDialogWithThisThreadsState) {
    Hand(true);
    const std::string file = TestOdbc::Instance().ScratchPath("bridge_missing.ini");
    std::remove(file.c_str());
    CDatabase db;
    EXPECT_EQ(db.OpenODBC_DB(file, Central_Local, true), Variant(false));
    ASSERT_FALSE(calls_->empty());
    EXPECT_EQ(calls_->front(), "ShowSettingsDialog " + file + " mode 3 server 1");
    // Cancelled: nothing was opened and no box was shown.
    EXPECT_FALSE(db.dDatabaseIsRunning());
    for (const std::string& call : *calls_) EXPECT_NE(call.rfind("MessageBox", 0), 0u) << call;
}

TEST_F(UiHostBridgeTest, ADialogThatSavedLetsTheOpenGoOn) {
    Hand(false);
    const std::string file = TestOdbc::Instance().ScratchPath("bridge_saved.ini");
    std::remove(file.c_str());
    CDatabase db;
    // The client's dialog "saved" without writing the file: the open goes on
    // under the busy pointer and ends on the missing file with one "Error" box
    // of the client's.
    EXPECT_EQ(db.OpenODBC_DB(file, OpenCentral), Variant(false));
    ASSERT_GE(calls_->size(), 5u);
    EXPECT_EQ((*calls_)[0], "ShowSettingsDialog " + file + " mode 1 server 0");
    EXPECT_EQ((*calls_)[1], "DoEvents");
    EXPECT_EQ((*calls_)[2], "SetMousePointer 11");
    EXPECT_EQ((*calls_)[3].rfind("MessageBox Error: ", 0), 0u) << (*calls_)[3];
    EXPECT_NE((*calls_)[3].find(file), std::string::npos) << (*calls_)[3];
    EXPECT_EQ(calls_->back(), "SetMousePointer 1");
}

}  // namespace
}  // namespace vendral::test

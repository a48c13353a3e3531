// A UI host for tests: records what the core shows and lets a test decide
// what the settings dialog does.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vendral/settings.h"
#include "vendral/ui_host.h"

namespace vendral::test {

struct RecordedMessage {
    std::string Text;
    std::string Title;
    MessageIcon Icon;
};

// The dialog state and settings file as the dialog saw them when it was shown.
struct RecordedDialog {
    std::string SettingsFile;
    DialogState State;
};

class RecordingUiHost : public UiHost {
  public:
    int MessageBox(const std::string& text, const std::string& title, MessageIcon icon) override {
        Messages.push_back({text, title, icon});
        return 1;
    }
    void SetMousePointer(int pointer) override { Pointers.push_back(pointer); }
    void DoEvents() override { ++EventRuns; }
    // The settings dialog runner while the host is installed.
    void ShowSettingsDialog() {
        Dialogs.push_back({SettingsFilePath(), CurrentDialogState()});
        if (OnDialog) {
            OnDialog();
        } else {
            CurrentDialogState().Cancelled = true;
        }
    }

    std::vector<RecordedMessage> Messages;
    std::vector<int> Pointers;
    int EventRuns = 0;
    std::vector<RecordedDialog> Dialogs;
    // What the user does in the dialog; by default he cancels it.
    std::function<void()> OnDialog;
};

// Installs a recording host (and its settings dialog) for the lifetime of the
// object and restores the host and dialog that were there before.
class ScopedRecordingHost {
  public:
    ScopedRecordingHost()
        : host_(std::make_shared<RecordingUiHost>()),
          previous_(InstallUiHost(host_)),
          previousDialog_(InstallSettingsDialogRunner([host = host_] {
              host->ShowSettingsDialog();
              return true;
          })) {}
    ~ScopedRecordingHost() {
        InstallSettingsDialogRunner(previousDialog_);
        InstallUiHost(previous_);
    }
    ScopedRecordingHost(const ScopedRecordingHost&) = delete;
    ScopedRecordingHost& operator=(const ScopedRecordingHost&) = delete;

    RecordingUiHost* operator->() const { return host_.get(); }
    RecordingUiHost& operator*() const { return *host_; }

  private:
    std::shared_ptr<RecordingUiHost> host_;
    std::shared_ptr<UiHost> previous_;
    SettingsDialogRunner previousDialog_;
};

}  // namespace vendral::test

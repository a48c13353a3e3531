// The one place through which the core reaches the user: message boxes, the
// application-wide mouse pointer, letting pending window events run, and the
// connection settings dialog. The application installs a host; the default is
// headless.
#pragma once

#include <memory>
#include <string>

#include "vendral/export.h"

namespace vendral {

enum class MessageIcon { Exclamation, Information };

// Mouse pointer values of the platform's application-wide pointer.
constexpr int kPointerArrow = 1;
constexpr int kPointerBusy = 11;

class VENDRAL_API UiHost {
  public:
    virtual ~UiHost() = default;
    // A modal box with an OK button; the result is the button chosen (1 = OK).
    virtual int MessageBox(const std::string& text, const std::string& title, MessageIcon icon) = 0;
    virtual void SetMousePointer(int pointer) = 0;
    virtual void DoEvents() = 0;
    // Shows the connection settings dialog modally for the per-thread dialog
    // state (SettingsFilePath, DialogMode, DialogAskServer); the dialog sets
    // DialogCancelled when the user leaves it without settings.
    virtual void ShowSettingsDialog() = 0;
};

// Message boxes go to standard error, one line each ("Error: ..."); the
// pointer and event calls do nothing; the settings dialog cannot be shown, so
// it counts as cancelled after saying that the settings file is missing.
class VENDRAL_API HeadlessUiHost : public UiHost {
  public:
    int MessageBox(const std::string& text, const std::string& title, MessageIcon icon) override;
    void SetMousePointer(int pointer) override;
    void DoEvents() override;
    void ShowSettingsDialog() override;
};

// The host in use; a HeadlessUiHost until the application installs another.
// The caller shares ownership, so a host installed meanwhile on another thread
// does not free the one the caller is using.
VENDRAL_API std::shared_ptr<UiHost> CurrentUiHost();
// Installs a host for the process; nullptr restores the headless default.
// Returns the host that was installed before.
VENDRAL_API std::shared_ptr<UiHost> InstallUiHost(std::shared_ptr<UiHost> host);

// "Error" with the exclamation icon, and "Message" with the information icon.
VENDRAL_API int ShowErrorMessage(const std::string& text);
VENDRAL_API int ShowInfoMessage(const std::string& text);

}  // namespace vendral

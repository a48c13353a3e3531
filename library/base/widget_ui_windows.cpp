// The user interface of the Windows build: message boxes and the busy pointer
// of the system. There is no widget library here; the first message installs
// this host in place of the headless one. VENDRAL_MESSAGES_TO_STDERR=1 (for
// unattended runs and the tests) routes the boxes to standard error instead,
// one line each, so that no box waits for a click.
#include <windows.h>
#undef MessageBox

#include <cstdlib>
#include <memory>
#include <string>

#include "base/text_windows.h"
#include "base/widget_ui.h"
#include "vendral/ui_host.h"

namespace vendral::detail {
namespace {

class WindowsUiHost : public UiHost {
  public:
    int MessageBox(const std::string& text, const std::string& title, MessageIcon icon) override {
        UINT style = MB_OK | MB_TASKMODAL |
                     (icon == MessageIcon::Exclamation ? MB_ICONEXCLAMATION : MB_ICONINFORMATION);
        return ::MessageBoxW(nullptr, Utf8ToWide(text).c_str(), Utf8ToWide(title).c_str(), style);
    }
    void SetMousePointer(int pointer) override {
        ::SetCursor(
            ::LoadCursorW(nullptr, MAKEINTRESOURCEW(pointer == kPointerBusy ? 32514 : 32512)));
    }
    void DoEvents() override {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
};

bool MessagesToStandardError() {
    const char* setting = std::getenv("VENDRAL_MESSAGES_TO_STDERR");
    return setting && std::string(setting) == "1";
}

}  // namespace

bool DisplayReachable() {
    return !MessagesToStandardError();
}

bool AttachWidgetUi() {
    // Once per process, and only while the program has not installed a host.
    static const bool attached = [] {
        if (!DisplayReachable()) return false;
        InstallUiHost(std::make_shared<WindowsUiHost>());
        return true;
    }();
    return attached;
}

}  // namespace vendral::detail

// The user interface of the Windows build: the system's message boxes, the
// hourglass and the thread's message queue. There is no widget library here;
// the first message or pointer change installs this host in place of the
// headless one. VENDRAL_MESSAGES_TO_STDERR=1 (for unattended runs and the
// tests that do not answer boxes) routes the boxes to standard error instead,
// one line each, so that no box waits for a click.
#include <windows.h>
#undef MessageBox

#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

#include "base/busy_pointer_windows.h"
#include "base/message_pump.h"
#include "base/text_windows.h"
#include "base/widget_ui.h"
#include "vendral/ui_host.h"

namespace vendral::detail {
namespace {

bool MessagesToStandardError() {
    const char* setting = std::getenv("VENDRAL_MESSAGES_TO_STDERR");
    return setting && std::string(setting) == "1";
}

class WindowsUiHost : public UiHost {
  public:
    int MessageBox(const std::string& text, const std::string& title, MessageIcon icon) override {
        if (MessagesToStandardError()) return headless_.MessageBox(text, title, icon);
        // Owned by the window the user works in on this thread, which waits for
        // the box; without one, every window of the thread waits.
        HWND owner = ::GetActiveWindow();
        UINT style = MB_OK | (owner ? MB_APPLMODAL : MB_TASKMODAL) |
                     (icon == MessageIcon::Exclamation ? MB_ICONEXCLAMATION : MB_ICONINFORMATION);
        return ::MessageBoxW(owner, Utf8ToWide(text).c_str(), Utf8ToWide(title).c_str(), style);
    }
    void SetMousePointer(int pointer) override {
        std::lock_guard lock(busyMutex_);
        if (pointer == kPointerBusy) {
            if (!busy_) busy_ = std::make_unique<BusyPointer>();
            return;
        }
        busy_.reset();
        ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));
    }
    void DoEvents() override { ProcessPendingMessages(); }

  private:
    HeadlessUiHost headless_;
    // The pointer is the process's: one hourglass, whichever thread set it.
    std::mutex busyMutex_;
    std::unique_ptr<BusyPointer> busy_;
};

}  // namespace

// A Windows session always has its desktop to show windows on.
bool DisplayReachable() {
    return true;
}

bool AttachWidgetUi() {
    // Once per process: the default host hands over to the system's.
    static const bool attached = [] {
        InstallUiHost(std::make_shared<WindowsUiHost>());
        return true;
    }();
    return attached;
}

}  // namespace vendral::detail

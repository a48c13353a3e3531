// CApplication against a window of another process (test_window.exe): found
// by its title, minimised, restored, maximised, made topmost and back, and
// closed. Prints one line per check and "SENTINEL ..." at its end; exits 1
// when any check failed.
//   application_control.exe TITLE
#include <windows.h>
// shellapi.h builds on windows.h.
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "checks.h"
#include "vendral/capplication.h"

namespace {

using checks::Check;
using checks::Wide;

// Waits (at most ten seconds) until condition holds: the window manager acts
// on the requests after they return.
template <class Condition>
bool Eventually(Condition condition) {
    for (int i = 0; i < 200; ++i) {
        if (condition()) return true;
        Sleep(50);
    }
    return condition();
}

// Waits (at most ten seconds) until the window's place has not changed for half
// a second: the window manager's answers to a request may come after the state
// already reads as asked, and one arriving after the next request would undo it.
void Settle(HWND window) {
    RECT before{}, now{};
    GetWindowRect(window, &before);
    int steady = 0;
    for (int i = 0; i < 200 && steady < 10; ++i) {
        Sleep(50);
        GetWindowRect(window, &now);
        steady = EqualRect(&before, &now) ? steady + 1 : 0;
        before = now;
    }
}

// The title as UTF-8, the library's text, from the wide command line: argv is
// in the ANSI code page, which cannot hold every title.
std::string TitleArgument() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count != 2) return {};
    const std::wstring title = arguments[1];
    LocalFree(arguments);
    return checks::Utf8(title);
}

bool Topmost(HWND window) {
    return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

}  // namespace

int main() {
    const std::string title = TitleArgument();
    if (title.empty()) return 2;
    vendral::CApplication application;
    Check("IsApplicationRunning finds the window by its whole title",
          Eventually([&] { return application.IsApplicationRunning(title).ToBool(); }));
    Check("a part of the title finds nothing",
          !application.IsApplicationRunning(title.substr(0, title.size() - 1)).ToBool());
    HWND window = FindWindowW(nullptr, Wide(title).c_str());
    Check("the window is there", window != nullptr);
    if (!window) return 1;

    application.MinimizeApplication(title);
    Check("MinimizeApplication minimises it", Eventually([&] { return IsIconic(window) != 0; }));
    Settle(window);
    application.RestoreApplication(title);
    Check("RestoreApplication restores it", Eventually([&] { return IsIconic(window) == 0; }));
    Settle(window);
    application.MaximizeApplication(title);
    Check("MaximizeApplication maximises it", Eventually([&] { return IsZoomed(window) != 0; }));
    Settle(window);
    application.RestoreApplication(title);
    Check("RestoreApplication restores it again",
          Eventually([&] { return IsZoomed(window) == 0; }));

    auto handle = static_cast<vendral::WindowHandle>(reinterpret_cast<std::uintptr_t>(window));
    application.WindowToFront(handle);
    Check("WindowToFront makes it topmost", Eventually([&] { return Topmost(window); }));
    application.WindowToBack(handle);
    Check("WindowToBack makes it no longer topmost", Eventually([&] { return !Topmost(window); }));

    application.CloseApplication("no window has this title");
    Check("CloseApplication of a missing title leaves the window",
          application.IsApplicationRunning(title).ToBool());
    application.CloseApplication(title);
    Check("CloseApplication closes it",
          Eventually([&] { return !application.IsApplicationRunning(title).ToBool(); }));
    return checks::Finish("application_control");
}

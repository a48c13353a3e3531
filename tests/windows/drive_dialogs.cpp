// CFile's drive dialogs are the system's: ShowDriveConnectDialog and
// ShowDriveDisconnectDialog give what WNetConnectionDialog and
// WNetDisconnectDialog give for disks and the same owner window. A dialog
// that comes up is cancelled: the program prints "ANSWER Escape TITLE" and
// scripts/wine-tests.sh presses that key on it.
#include <windows.h>
// winnetwk.h builds on windows.h.
#include <winnetwk.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "checks.h"
#include "dialog_windows.h"
#include "vendral/cfile.h"

namespace {

using checks::Check;

struct OwnedSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK TakeOwnedWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<OwnedSearch*>(parameter);
    if (GetWindow(window, GW_OWNER) != search->owner || !IsWindowVisible(window)) return TRUE;
    search->found = window;
    return FALSE;
}

// A visible window of the owner's, the dialog the call shows.
HWND OwnedWindow(HWND owner) {
    OwnedSearch search{owner, nullptr};
    EnumWindows(TakeOwnedWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Runs call; a dialog it shows meanwhile is asked to be cancelled. shown tells
// whether one came.
std::int32_t Answered(const std::function<std::int32_t()>& call, HWND owner, bool& shown) {
    std::atomic<bool> returned{false};
    shown = false;
    std::thread watcher([&] {
        while (!returned) {
            if (HWND dialog = OwnedWindow(owner); dialog && !shown) {
                shown = true;
                std::printf("ANSWER Escape %s\n", checks::Utf8(checks::WindowText(dialog)).c_str());
                std::fflush(stdout);
            }
            Sleep(50);
        }
    });
    const std::int32_t result = call();
    returned = true;
    watcher.join();
    return result;
}

void CompareWithSystem(const std::string& name, HWND owner,
                       const std::function<std::int32_t()>& library,
                       const std::function<std::int32_t()>& system) {
    bool libraryShown = false, systemShown = false;
    const std::int32_t ours = Answered(library, owner, libraryShown);
    const std::int32_t theirs = Answered(system, owner, systemShown);
    Check(name + " gives what the system's dialog gives", ours == theirs,
          std::to_string(ours) + " against " + std::to_string(theirs));
    Check(name + " shows a window when the system's dialog does", libraryShown == systemShown);
    if (!systemShown)
        std::printf("note: the system's dialog came back with %d without a window\n", theirs);
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int main() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VendralDriveDialogsTest";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Vendral drive dialogs test",
                                  WS_OVERLAPPEDWINDOW, 100, 100, 300, 200, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    Check("the program has its window", window != nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    // The handle as a client holds it: 32 bits.
    const auto handle = static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(window));
    vendral::CFile file;
    CompareWithSystem(
        "ShowDriveConnectDialog", window,
        [&] { return file.ShowDriveConnectDialog(handle).ToLong(); },
        [&] { return static_cast<std::int32_t>(WNetConnectionDialog(window, RESOURCETYPE_DISK)); });
    CompareWithSystem(
        "ShowDriveDisconnectDialog", window,
        [&] { return file.ShowDriveDisconnectDialog(handle).ToLong(); },
        [&] { return static_cast<std::int32_t>(WNetDisconnectDialog(window, RESOURCETYPE_DISK)); });
    DestroyWindow(window);
    return checks::Finish("drive_dialogs");
}

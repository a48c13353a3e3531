// The hourglass while CDatabase opens: an open that fails shows its "Error"
// box while the hourglass is still up, which lets the checks read the pointer
// in the middle of the open; a WM_SETCURSOR to the box (what every mouse move
// over it sends) must not bring the arrow back. The box belongs to the
// program's active window. Once its checks are done the program prints
// "ANSWER Return Error" and scripts/wine-tests.sh presses that key on the box.
//   busy_pointer.exe SETTINGS_FILE   (a settings file naming a missing data source)
#include <windows.h>

#include <cstdio>
#include <string>
#include <thread>

#include "checks.h"
#include "dialog_windows.h"
#include "vendral/cdatabase.h"

namespace {

using checks::Check;

constexpr const wchar_t* kWindowTitle = L"Vendral busy pointer test";

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VendralBusyPointerTest";
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    RegisterClassW(&windowClass);
    HWND window =
        CreateWindowExW(0, windowClass.lpszClassName, kWindowTitle, WS_OVERLAPPEDWINDOW, 100, 100,
                        400, 300, nullptr, nullptr, windowClass.hInstance, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    return window;
}

std::string Describe(HCURSOR cursor) {
    char text[128];
    std::snprintf(text, sizeof text, "cursor %p, hourglass %p, arrow %p",
                  static_cast<void*>(cursor),
                  static_cast<void*>(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514))),
                  static_cast<void*>(LoadCursorW(nullptr, MAKEINTRESOURCEW(32512))));
    return text;
}

// On its own thread while the open runs on the main one.
void CheckBox(HWND window) {
    HWND box = checks::WaitForDialog(L"Error");
    Check("the failed open shows its Error box", box != nullptr);
    if (!box) return;
    const HCURSOR hourglass = LoadCursorW(nullptr, MAKEINTRESOURCEW(32514));
    HCURSOR shown = checks::ShownCursor();
    Check("the hourglass is up while the open shows its box", shown == hourglass, Describe(shown));
    // The box's window procedure answers this with its own arrow; done when
    // SendMessage returns.
    SendMessageW(box, WM_SETCURSOR, reinterpret_cast<WPARAM>(box),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    shown = checks::ShownCursor();
    Check("the hourglass stays after the box handles WM_SETCURSOR", shown == hourglass,
          Describe(shown));
    Check("the box belongs to the program's active window", GetWindow(box, GW_OWNER) == window);
    const std::string text = checks::Utf8(checks::BoxText(box));
    Check("the box names the central connection",
          text.rfind("There is a problem with the central connection.\r\n", 0) == 0, text);
    Check("the box shows the exclamation icon", checks::BoxIcon(box) == "exclamation",
          checks::BoxIcon(box));
    std::printf("ANSWER Return Error\n");
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    HWND window = MakeWindow();
    Check("the program has its window", window != nullptr);
    std::thread watcher(CheckBox, window);
    vendral::Variant opened;
    {
        vendral::CDatabase database;
        opened = database.OpenODBC_DB(argv[1], vendral::OpenCentral);
    }
    watcher.join();
    Check("the open of a missing data source gives False",
          opened.Type() == vendral::VariantType::Boolean && !opened.ToBool());
    // This thread's own pointer: once the box is gone another program may
    // have the foreground, and with it the pointer GetCursorInfo reports.
    const HCURSOR shown = GetCursor();
    Check("the arrow is back once the open has returned",
          shown == LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)), Describe(shown));
    DestroyWindow(window);
    return checks::Finish("busy_pointer");
}

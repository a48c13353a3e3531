// ShowErrorMessage and ShowInfoMessage show the system's message box: titled
// "Error" with the exclamation icon and "Message" with the information icon,
// the text as given, owned by the program's active window. Each box is read
// here through the system's window calls; then the program prints
// "ANSWER Return TITLE" and scripts/wine-tests.sh presses that key on it, and
// the call gives the button chosen (OK).
#include <windows.h>

#include <cstdio>
#include <string>
#include <thread>

#include "checks.h"
#include "dialog_windows.h"
#include "vendral/ui_host.h"

namespace {

using checks::Check;

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

// On its own thread while the box is up on the main one.
void CheckBox(HWND window, const std::wstring& title, const std::string& text,
              const std::string& icon) {
    const std::string name = "the " + checks::Utf8(title) + " box";
    HWND box = checks::WaitForDialog(title);
    Check(name + " is shown", box != nullptr);
    if (!box) return;
    Check(name + " shows the text", checks::Utf8(checks::BoxText(box)) == text,
          checks::Utf8(checks::BoxText(box)));
    Check(name + " shows the " + icon + " icon", checks::BoxIcon(box) == icon,
          checks::BoxIcon(box));
    Check(name + " belongs to the program's active window", GetWindow(box, GW_OWNER) == window);
    std::printf("ANSWER Return %s\n", checks::Utf8(title).c_str());
    std::fflush(stdout);
}

}  // namespace

int main() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VendralMessageBoxesTest";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Vendral message boxes test",
                                  WS_OVERLAPPEDWINDOW, 100, 100, 400, 300, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    Check("the program has its active window", window != nullptr && GetActiveWindow() == window);

    const std::string error = "Zwei Zeilen: Jürgen\r\nПривет";
    std::thread errorBox(CheckBox, window, L"Error", error, "exclamation");
    Check("ShowErrorMessage gives OK, the button pressed",
          vendral::ShowErrorMessage(error) == IDOK);
    errorBox.join();

    const std::string info = "The program must be restarted before changes will take effect!";
    std::thread infoBox(CheckBox, window, L"Message", info, "information");
    Check("ShowInfoMessage gives OK, the button pressed", vendral::ShowInfoMessage(info) == IDOK);
    infoBox.join();

    DestroyWindow(window);
    return checks::Finish("message_boxes");
}

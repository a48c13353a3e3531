// Stands in for the helper program QUVEX.EXE that a double click on the
// splash starts (the Wine tests put it under %WINDIR%\SYSTEM): one window
// titled "QUVEX stand-in", until it is closed.
#include <windows.h>

namespace {

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int main() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VendralQuvexStandIn";
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&windowClass);
    // Shown as the starter asked (normal, focused).
    STARTUPINFOW startup{};
    GetStartupInfoW(&startup);
    const int show =
        (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    HWND window =
        CreateWindowExW(0, L"VendralQuvexStandIn", L"QUVEX stand-in", WS_OVERLAPPEDWINDOW, 40, 40,
                        300, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window) return 1;
    ShowWindow(window, show);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

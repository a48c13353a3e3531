// Reads the splash form of another process (a script's CSplash) through the
// system's window calls, while that process waits in a message box:
//   splash_probe.exe shown APPLICATION VERSION POSITION
//     the form, its labels and Picture1 with the bar at POSITION; prints
//     "CLIENT X Y" (the client area's top left on the screen), "FORM HANDLE"
//     and the system colour a bar is filled with ("BAR RRGGBB")
//   splash_probe.exe position POSITION     the bar's position alone
//   splash_probe.exe gone HANDLE           no splash form, the old one destroyed
#include <windows.h>
// commctrl.h and shellapi.h build on windows.h.
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "checks.h"

namespace {

using checks::Check;

constexpr int kTwipsPerInch = 1440;

int Dpi(int axis) {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, axis);
    ReleaseDC(nullptr, screen);
    return dpi;
}

int PixelsX(int twips) {
    return MulDiv(twips, Dpi(LOGPIXELSX), kTwipsPerInch);
}
int PixelsY(int twips) {
    return MulDiv(twips, Dpi(LOGPIXELSY), kTwipsPerInch);
}

std::wstring Text(HWND window) {
    wchar_t text[512] = L"";
    GetWindowTextW(window, text, 512);
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[128] = L"";
    GetClassNameW(window, name, 128);
    return name;
}

std::string RectText(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ") " +
           std::to_string(r.right - r.left) + " x " + std::to_string(r.bottom - r.top);
}

// A child's rectangle in its parent's client coordinates.
RECT PlaceIn(HWND child, HWND parent) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void CheckPlace(const std::string& name, HWND child, HWND parent, int left, int top, int width,
                int height) {
    RECT r = PlaceIn(child, parent);
    RECT expected{left, top, left + width, top + height};
    Check(name, EqualRect(&r, &expected) != 0,
          "at " + RectText(r) + ", expected " + RectText(expected));
}

std::string Hex(COLORREF colour) {
    char text[8];
    std::snprintf(text, sizeof text, "%02x%02x%02x", GetRValue(colour), GetGValue(colour),
                  GetBValue(colour));
    return text;
}

HWND Bar(HWND form) {
    HWND picture = GetDlgItem(form, 3105);
    return picture ? FindWindowExW(picture, nullptr, L"msctls_progress32", nullptr) : nullptr;
}

void CheckPosition(HWND form, int expected) {
    HWND bar = Bar(form);
    Check("a bar on Picture1", bar != nullptr);
    if (!bar) return;
    int position = static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0));
    Check("the bar at " + std::to_string(expected), position == expected,
          "at " + std::to_string(position));
}

// A label of the form: its caption and place.
void CheckLabel(HWND form, int id, const std::string& name, const std::wstring& caption, int left,
                int top, int width, int height) {
    HWND label = GetDlgItem(form, id);
    Check(name + " is a static control", label && ClassOf(label) == L"Static",
          label ? checks::Utf8(ClassOf(label)) : "missing");
    if (!label) return;
    Check(name + " says '" + checks::Utf8(caption) + "'", Text(label) == caption,
          "says '" + checks::Utf8(Text(label)) + "'");
    CheckPlace(name + "'s place", label, form, PixelsX(left), PixelsY(top), PixelsX(width),
               PixelsY(height));
}

int Shown(HWND form, const std::wstring& application, const std::wstring& version, int position) {
    Check("the splash form is shown", IsWindowVisible(form) != 0);
    Check("the form has no caption text", Text(form).empty(), checks::Utf8(Text(form)));
    const LONG style = GetWindowLongW(form, GWL_STYLE);
    Check("a fixed dialog border without a title bar",
          (style & WS_DLGFRAME) && !(style & WS_BORDER) && !(style & WS_THICKFRAME),
          "style " + std::to_string(style));
    Check("no minimise or maximise buttons", !(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)));
    RECT client{};
    GetClientRect(form, &client);
    Check("the client area is 6210 x 3720 twips",
          client.right == PixelsX(6210) && client.bottom == PixelsY(3720), RectText(client));
    RECT frame{};
    GetWindowRect(form, &frame);
    const int dx = (frame.left + frame.right) - GetSystemMetrics(SM_CXSCREEN);
    const int dy = (frame.top + frame.bottom) - GetSystemMetrics(SM_CYSCREEN);
    Check("the form is centred on the screen", std::abs(dx) <= 1 && std::abs(dy) <= 1,
          RectText(frame));

    CheckLabel(form, 3100, "Label4", L"Application:", 120, 1920, 855, 255);
    CheckLabel(form, 3101, "LblApplication", application, 960, 1920, 3135, 255);
    CheckLabel(form, 3102, "Label5", L"Version:", 120, 2160, 735, 255);
    CheckLabel(form, 3103, "LblVersion", version, 960, 2160, 1335, 255);
    CheckLabel(form, 3104, "Label6", L"Program status:", 120, 2880, 1575, 255);

    HWND picture = GetDlgItem(form, 3105);
    Check("Picture1 is there", picture != nullptr);
    if (picture) CheckPlace("Picture1's place", picture, form, 8, 205, 145, 9);
    HWND bar = Bar(form);
    Check("a progress bar window on Picture1", bar != nullptr);
    if (bar) {
        const LONG barStyle = GetWindowLongW(bar, GWL_STYLE);
        Check("the bar is a smooth, horizontal, visible child",
              (barStyle & (WS_CHILD | WS_VISIBLE | PBS_SMOOTH)) ==
                      (WS_CHILD | WS_VISIBLE | PBS_SMOOTH) &&
                  !(barStyle & PBS_VERTICAL),
              "style " + std::to_string(barStyle));
        CheckPlace("the bar is Picture1's width and 20 pixels high at its top left", bar, picture,
                   0, 0, PixelsX(2175), 20);
        CheckPosition(form, position);
    }
    POINT origin{0, 0};
    ClientToScreen(form, &origin);
    std::printf("CLIENT %ld %ld\n", static_cast<long>(origin.x), static_cast<long>(origin.y));
    std::printf("FORM %lld\n", static_cast<long long>(reinterpret_cast<INT_PTR>(form)));
    std::printf("BAR %s\n", Hex(GetSysColor(COLOR_HIGHLIGHT)).c_str());
    return 0;
}

}  // namespace

int main() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count < 2) return 2;
    const std::wstring stage = arguments[1];
    HWND form = FindWindowW(L"frmSplash", nullptr);
    if (stage == L"shown" && count == 5) {
        Check("a splash form is there", form != nullptr);
        if (form) Shown(form, arguments[2], arguments[3], _wtoi(arguments[4]));
    } else if (stage == L"position" && count == 3) {
        Check("a splash form is there", form != nullptr);
        if (form) CheckPosition(form, _wtoi(arguments[2]));
    } else if (stage == L"gone" && count == 3) {
        HWND old = reinterpret_cast<HWND>(static_cast<INT_PTR>(_wtoi64(arguments[2])));
        Check("no splash form is left", form == nullptr);
        Check("the released object's form is destroyed", IsWindow(old) == 0);
    } else {
        return 2;
    }
    LocalFree(arguments);
    return checks::Finish("splash_probe");
}

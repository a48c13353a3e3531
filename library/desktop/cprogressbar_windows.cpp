#include "desktop/cprogressbar_windows.h"

#include <windows.h>
// The common controls' declarations build on windows.h.
#include <commctrl.h>

#include "base/own_module_windows.h"
#include "desktop/progress_bar_layout.h"

namespace vendral::detail {
namespace {

constexpr DWORD kProgressClass = 0x20;   // ICC_PROGRESS_CLASS
constexpr UINT kSetPosition = 0x0402;    // PBM_SETPOS
constexpr UINT kSetBarColour = 0x0409;   // PBM_SETBARCOLOR
constexpr UINT kSetBackColour = 0x2001;  // PBM_SETBKCOLOR
constexpr int kTwipsPerInch = 1440;

// Handles cross the library's boundary as 32 bits; the system widens them
// with their sign.
HWND WindowOf(std::int32_t handle) {
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(handle));
}

std::int32_t HandleOf(HWND window) {
    return static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(window));
}

// The screen's twips per pixel across.
double ScreenTwipsPerPixelX() {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<double>(kTwipsPerInch) / dpi : 0.0;
}

HWND MakeBar(std::uint32_t style, int width, int height, HWND parent) {
    return CreateWindowExA(0, "msctls_progress32", "", style, 0, 0, width, height, parent, nullptr,
                           OwnModule(), nullptr);
}

}  // namespace

Win32ProgressBar::Win32ProgressBar() {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), kProgressClass};
    InitCommonControlsEx(&controls);
}

void Win32ProgressBar::Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) const {
    // A bar never made is window 0, where the message has no effect.
    SendMessageA(WindowOf(bar_), message, wParam, lParam);
}

void Win32ProgressBar::SetBackColor(std::int32_t colour) {
    Send(kSetBackColour, 0, static_cast<std::uint32_t>(colour));
}

void Win32ProgressBar::SetBarColor(std::int32_t colour) {
    Send(kSetBarColour, 0, static_cast<std::uint32_t>(colour));
}

void Win32ProgressBar::SetProgVert(bool vertical) {
    verticalStyle_ = vertical ? internal::kBarVertical : 0;
}

bool Win32ProgressBar::Create(const Variant& Left, const Variant& Top, const Variant& Width,
                              const Variant& Height, bool Smooth) {
    std::uint32_t style = internal::BarStyle(verticalStyle_ != 0, Smooth);
    HWND bar = nullptr;
    if (parentWindow_ != 0) {
        HWND parent = WindowOf(parentWindow_);
        RECT frame{};
        GetWindowRect(parent, &frame);
        bar = MakeBar(style, frame.right - frame.left, frame.bottom - frame.top, parent);
        SetParent(bar, parent);
    } else if (!parent_) {
        return false;
    } else {
        std::shared_ptr<BarParent> host = parent_;
        internal::BarRectangle place = internal::BarOnParent(
            Left, Top, Width, Height, [&host] { return host->WidthTwips(); },
            ScreenTwipsPerPixelX());
        HWND parent = WindowOf(host->Window());
        bar = MakeBar(style, 0, 0, parent);
        SetParent(bar, parent);
        MoveWindow(bar, place.Left, place.Top, place.Width, place.Height, TRUE);
    }
    // A second Create forgets the earlier bar; it stays on its parent.
    bar_ = HandleOf(bar);
    ShowWindow(bar, SW_SHOWNORMAL);
    return bar_ != 0;
}

void Win32ProgressBar::DestroyProgBar() {
    if (bar_ != 0) DestroyWindow(WindowOf(bar_));
}

void Win32ProgressBar::ClearProgBar() {
    Send(kSetPosition, 0, 0);
}

void Win32ProgressBar::SetProgBarPos(std::int32_t position) {
    internal::ShowBetweenEvents(position, [this](std::int32_t shown) {
        Send(kSetPosition, static_cast<std::uint32_t>(shown), 0);
    });
}

void Win32ProgressBar::DelayProgBar(std::int16_t milliseconds) {
    internal::DelayBetweenEvents(milliseconds);
}

void Win32ProgressBar::Raise(std::int32_t n) {
    internal::RaiseCounted(counter_, n, [this](std::int32_t shown) {
        Send(kSetPosition, static_cast<std::uint32_t>(shown), 0);
    });
}

}  // namespace vendral::detail

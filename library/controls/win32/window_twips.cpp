#include "controls/win32/window_twips.h"

#include <algorithm>
#include <cmath>

namespace vendral::detail::controls {
namespace {

constexpr int kTwipsPerInch = 1440;
constexpr double kPointsPerInch = 72.0;

int ScreenDpi(int index) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, index);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int Extent(int pixels) {
    return std::max(pixels, 0);
}

}  // namespace

int TwipsPerPixelX() {
    return kTwipsPerInch / ScreenDpi(LOGPIXELSX);
}
int TwipsPerPixelY() {
    return kTwipsPerInch / ScreenDpi(LOGPIXELSY);
}
int TwipsToPixelsX(double twips) {
    return static_cast<int>(std::lround(twips / TwipsPerPixelX()));
}
int TwipsToPixelsY(double twips) {
    return static_cast<int>(std::lround(twips / TwipsPerPixelY()));
}

TwipsRect WindowTwips(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    const double x = TwipsPerPixelX();
    const double y = TwipsPerPixelY();
    return {rect.left * x, rect.top * y, (rect.right - rect.left) * x,
            (rect.bottom - rect.top) * y};
}

TwipsRect PlaceWindow(HWND window, const TwipsRect& rect) {
    SetWindowPos(window, nullptr, TwipsToPixelsX(rect.left), TwipsToPixelsY(rect.top),
                 Extent(TwipsToPixelsX(rect.width)), Extent(TwipsToPixelsY(rect.height)),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    return WindowTwips(window);
}

double ClientWidthTwips(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return static_cast<double>(rect.right - rect.left) * TwipsPerPixelX();
}

void WindowHeightTwips(HWND window, double twips) {
    RECT rect{};
    GetWindowRect(window, &rect);
    SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, Extent(TwipsToPixelsY(twips)),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int FontPixels(float points) {
    const long pixels = std::lround(points * ScreenDpi(LOGPIXELSY) / kPointsPerInch);
    return pixels < 1 ? 1 : static_cast<int>(pixels);
}

float FontPoints(int pixels) {
    return static_cast<float>(pixels * kPointsPerInch / ScreenDpi(LOGPIXELSY));
}

bool Shown(HWND window) {
    return (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

}  // namespace vendral::detail::controls

#include "base/qt/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace vendral::detail::qt {
namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr double kDefaultDpi = 96.0;

const QScreen* ScreenOf(const QWidget* widget) {
    if (widget != nullptr && widget->screen() != nullptr) return widget->screen();
    return QGuiApplication::primaryScreen();
}

int TwipsPerPixel(double dpi) {
    if (!(dpi > 0)) dpi = kDefaultDpi;
    int twips = static_cast<int>(std::lround(kTwipsPerInch / dpi));
    return twips > 0 ? twips : 1;
}

}  // namespace

int TwipsPerPixelX(const QWidget* widget) {
    const QScreen* screen = ScreenOf(widget);
    return TwipsPerPixel(screen != nullptr ? screen->logicalDotsPerInchX() : kDefaultDpi);
}

int TwipsPerPixelY(const QWidget* widget) {
    const QScreen* screen = ScreenOf(widget);
    return TwipsPerPixel(screen != nullptr ? screen->logicalDotsPerInchY() : kDefaultDpi);
}

int TwipsToPixelsX(double twips, const QWidget* widget) {
    return static_cast<int>(std::lround(twips / TwipsPerPixelX(widget)));
}

int TwipsToPixelsY(double twips, const QWidget* widget) {
    return static_cast<int>(std::lround(twips / TwipsPerPixelY(widget)));
}

int PixelsToTwipsX(int pixels, const QWidget* widget) {
    return pixels * TwipsPerPixelX(widget);
}

int PixelsToTwipsY(int pixels, const QWidget* widget) {
    return pixels * TwipsPerPixelY(widget);
}

}  // namespace vendral::detail::qt

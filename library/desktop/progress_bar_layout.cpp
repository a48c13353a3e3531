#include "desktop/progress_bar_layout.h"

#include <chrono>
#include <cmath>
#include <thread>

#include "vendral/platform_error.h"
#include "vendral/ui_host.h"

namespace vendral::internal {
namespace {

constexpr std::int32_t kErrorDivisionByZero = 11;

}  // namespace

std::uint32_t BarStyle(bool vertical, bool smooth) {
    return kBarChildVisible | (vertical ? kBarVertical : 0u) | (smooth ? kBarSmooth : 0u);
}

std::int32_t RoundHalfEven(double value) {
    double rounded = std::nearbyint(value);
    double floor = std::floor(value);
    if (value - floor == 0.5) rounded = std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
    return static_cast<std::int32_t>(rounded);
}

BarRectangle BarOnParent(const Variant& Left, const Variant& Top, const Variant& Width,
                         const Variant& Height, const std::function<double()>& parentTwips,
                         double twipsPerPixel) {
    BarRectangle place;
    place.Left = Left.IsEmpty() ? 0 : Left.ToLong();
    place.Top = Top.IsEmpty() ? 0 : Top.ToLong();
    if (Width.IsEmpty()) {
        std::int32_t perPixel = RoundHalfEven(twipsPerPixel);
        std::int32_t twips = RoundHalfEven(parentTwips());
        if (perPixel == 0) throw PlatformError(kErrorDivisionByZero, "Division by zero");
        place.Width = twips / perPixel;
    } else {
        place.Width = Width.ToLong();
    }
    place.Height = Height.IsEmpty() ? kDefaultBarHeight : Height.ToLong();
    return place;
}

void ShowBetweenEvents(std::int32_t position, const std::function<void(std::int32_t)>& show) {
    CurrentUiHost()->DoEvents();
    show(position);
    CurrentUiHost()->DoEvents();
}

void DelayBetweenEvents(std::int16_t milliseconds) {
    CurrentUiHost()->DoEvents();
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    CurrentUiHost()->DoEvents();
}

void RaiseCounted(ProgressCounter& counter, std::int32_t n,
                  const std::function<void(std::int32_t)>& show) {
    if (!counter.Moves(n)) return;
    CurrentUiHost()->DoEvents();
    show(counter.Advance());
    CurrentUiHost()->DoEvents();
}

}  // namespace vendral::internal

// What the progress bar does the same on every platform: the window style
// bits, the place of a bar on a form or control, and the counting mode's and
// the direct positioning's order of showing and letting events run. The
// platform faces (qt/cprogressbar.cpp, cprogressbar_windows.cpp) only make
// windows and show positions.
#pragma once

#include <cstdint>
#include <functional>

#include "base/internal_export.h"
#include "vendral/progress_counter.h"
#include "vendral/variant.h"

// Shared with the widget library's bar.
namespace vendral::internal {

// Style bits of a bar window: child and visible always, vertical and smooth on request.
inline constexpr std::uint32_t kBarChildVisible = 0x50000000u;
inline constexpr std::uint32_t kBarVertical = 0x4u;
inline constexpr std::uint32_t kBarSmooth = 0x1u;
// The height of a bar on a form or control when Create is given none.
inline constexpr int kDefaultBarHeight = 20;

VENDRAL_INTERNAL std::uint32_t BarStyle(bool vertical, bool smooth);

// A whole number from a fraction with halves to the even neighbour, as the
// platform's conversions round.
VENDRAL_INTERNAL std::int32_t RoundHalfEven(double value);

// Where a bar goes on a form or control, in pixels of its client area.
struct BarRectangle {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

// Create's arguments with the missing ones filled in: Left and Top 0, Height
// 20, Width the parent's full width in pixels: its Width in twips integer-
// divided by the screen's twips per pixel, both rounded to whole numbers
// first. parentTwips is asked only when Width is missing.
// @throws VariantError for a value that is no number; PlatformError 11 when
//         the twips per pixel round to 0.
VENDRAL_INTERNAL BarRectangle BarOnParent(const Variant& Left, const Variant& Top,
                                          const Variant& Width, const Variant& Height,
                                          const std::function<double()>& parentTwips,
                                          double twipsPerPixel);

// A position shown between two rounds of pending events (SetProgBarPos).
VENDRAL_INTERNAL void ShowBetweenEvents(std::int32_t position,
                                        const std::function<void(std::int32_t)>& show);

// Pending events, a sleep of milliseconds (none when negative), pending events.
VENDRAL_INTERNAL void DelayBetweenEvents(std::int16_t milliseconds);

// Counting mode's item n: when it moves the bar, the counter's next position
// is shown between two rounds of pending events.
// @throws PlatformError 11 while the step is 0 (ProgressCounter::Moves).
VENDRAL_INTERNAL void RaiseCounted(ProgressCounter& counter, std::int32_t n,
                                   const std::function<void(std::int32_t)>& show);

}  // namespace vendral::internal

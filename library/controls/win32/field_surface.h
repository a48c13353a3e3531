// The windows of a labelled field as the shared layout sees them.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>

#include "controls/control_layout.h"
#include "controls/win32/brix_field_parts.h"
#include "controls/win32/window_twips.h"

namespace vendral::detail::controls {

template <class Surface>
class WindowFieldSurface : public Surface {
  public:
    WindowFieldSurface(BrixHintField::Parts& parts, float textSize, std::function<void()> changed)
        : parts_(parts), textSize_(textSize), changed_(std::move(changed)) {}

    double ControlWidth() const override { return ClientWidthTwips(parts_.control); }
    float TextSize() const override { return textSize_; }
    TwipsRect PlaceText(const TwipsRect& rect) override { return PlaceWindow(parts_.txt, rect); }
    TwipsRect PlaceHint(const TwipsRect& rect) override { return PlaceWindow(parts_.lbl, rect); }
    void PlaceLine(double x1, double y1, double x2, double y2) override {
        parts_.x1 = x1;
        parts_.y1 = y1;
        parts_.x2 = x2;
        parts_.y2 = y2;
        InvalidateRect(parts_.control, nullptr, TRUE);
    }
    // Resizing the window runs the layout again (WM_SIZE); that pass settles
    // on the same height, and an unchanged size sends no WM_SIZE.
    void ControlHeight(double twips) override { WindowHeightTwips(parts_.control, twips); }
    void TextChanged() override { changed_(); }

  protected:
    BrixHintField::Parts& parts_;

  private:
    float textSize_;
    std::function<void()> changed_;
};

}  // namespace vendral::detail::controls

// The layout of the labelled fields when the host resizes them, in twips, on
// any toolkit. A face places each constituent and reads it back as the
// platform rounded it (windows stand on whole pixels), so each step goes on
// from the value the platform kept.
#pragma once

#include "base/internal_export.h"

namespace vendral::detail::controls {

struct TwipsRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

// The constituents of a labelled text box as the layout sees them.
class HintFieldSurface {
  public:
    virtual double ControlWidth() const = 0;
    // The font size of `txt` in points.
    virtual float TextSize() const = 0;
    // Each returns the rectangle as the platform kept it.
    virtual TwipsRect PlaceText(const TwipsRect& rect) = 0;
    virtual TwipsRect PlaceHint(const TwipsRect& rect) = 0;
    // The underline is drawn, not a window: it keeps its twips.
    virtual void PlaceLine(double x1, double y1, double x2, double y2) = 0;
    virtual void ControlHeight(double twips) = 0;
    // The underline shows for an enabled, empty field.
    virtual void TextChanged() = 0;

  protected:
    ~HintFieldSurface() = default;
};

// The combo box's constituents besides those.
class ComboSurface : public HintFieldSurface {
  public:
    // The arrow's left and top; the list's top and width (its left and height
    // stay). Each returns the rectangle as kept.
    virtual TwipsRect PlaceArrow(double left, double top) = 0;
    virtual TwipsRect PlaceList(double top, double width) = 0;
    virtual void PlaceListFrame(const TwipsRect& rect, bool visible) = 0;
    virtual bool ListVisible() const = 0;

  protected:
    ~ComboSurface() = default;
};

// Text box as wide as the control, 26.25 twips high per point, the underline
// below it, the hint over it; the control's height from the font size.
VENDRAL_TEST_INTERNAL void LayTextBox(HintFieldSurface& surface);
// The same with room for the arrow at the right end, and the list below the
// underline, which makes the control taller while it is open.
VENDRAL_TEST_INTERNAL void LayCombo(ComboSurface& surface);
// The arrow's room at the combo box's right end.
inline constexpr double kArrowRoom = 170;

}  // namespace vendral::detail::controls

// The library's own code names these without the detail qualifier.
namespace vendral {
namespace controls = detail::controls;
}  // namespace vendral

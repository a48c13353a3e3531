#include "controls/control_layout.h"

#include "controls/hint_field_rules.h"

namespace vendral::detail::controls {
namespace {

// The text box, the underline and the hint of a text box textWidth wide;
// gives the text box as kept.
TwipsRect LayField(HintFieldSurface& surface, double width, double textWidth) {
    const TwipsRect txt = surface.PlaceText({0, 0, textWidth, surface.TextSize() * kTwipsPerPoint});
    surface.PlaceLine(0, txt.height, width, txt.height);
    surface.PlaceHint(txt);
    return txt;
}

// The number of points goes in as twips, unconverted.
double FieldHeight(HintFieldSurface& surface, const TwipsRect& txt) {
    return surface.TextSize() + txt.height + 3;
}

}  // namespace

void LayTextBox(HintFieldSurface& surface) {
    const double width = surface.ControlWidth();
    const TwipsRect txt = LayField(surface, width, width);
    surface.ControlHeight(FieldHeight(surface, txt));
    surface.TextChanged();
}

void LayCombo(ComboSurface& surface) {
    const double width = surface.ControlWidth();
    // A control narrower than the arrow's room keeps its text box at width 0
    // (the faces place no negative extent).
    const TwipsRect txt = LayField(surface, width, width - kArrowRoom);
    surface.PlaceArrow(width - 130, txt.top);
    const TwipsRect list = surface.PlaceList(txt.height, width);
    const bool open = surface.ListVisible();
    surface.PlaceListFrame(list, open);
    const double extra = open ? list.height - 5 : 0;
    surface.ControlHeight(FieldHeight(surface, txt) + extra);
    surface.TextChanged();
}

}  // namespace vendral::detail::controls

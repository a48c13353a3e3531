// The constituent windows and state of a labelled field on Windows, shared by
// the text box and the combo box built on BrixHintField.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "controls/design_colors.h"
#include "controls/win32/gdi_object.h"
#include "vendral/widgets/win32/brix_hint_field.h"

namespace vendral {

struct BrixHintField::Parts {
    HWND control = nullptr;  // the control's own window
    HWND txt = nullptr;      // the edit control
    HWND lbl = nullptr;      // the hint (a static)

    // The underline, drawn on the control's surface: twips, as given.
    double x1 = 0, y1 = 240, x2 = 3570, y2 = 240;
    bool lineVisible = false;
    std::uint32_t lineColor = detail::controls::kGrey;

    // Colours of the text box and the hint (0x00BBGGRR) and their brushes.
    std::uint32_t txtBack = detail::controls::kWhite;
    std::uint32_t lblBack = detail::controls::kLightGrey;
    std::uint32_t hintColor = detail::controls::kGrey;
    detail::controls::GdiObject<HBRUSH> txtBrush;
    detail::controls::GdiObject<HBRUSH> lblBrush;
    // The font of the text box, the hint and the list, and its pixel height.
    detail::controls::GdiObject<HFONT> font;
    int fontPixels = 0;
    std::int16_t alignment = 0;

    std::string fieldTip;  // FieldTip()
    bool mandatory = false;
    bool enabled = false;

    BrixFieldEvents* events = nullptr;
    // A window placed by class name owns its object and deletes it.
    bool ownedByWindow = false;
    // The left button went down on the text box.
    bool pressed = false;
    // The focus left for another top-level window (another application, a
    // message box): no focus change of the form, nor is its coming back.
    bool focusOutOfForm = false;
};

}  // namespace vendral

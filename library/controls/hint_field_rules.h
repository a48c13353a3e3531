// The rules of the labelled fields that do not depend on a toolkit: when the
// field counts as empty, what the hint reads, when hint and underline show,
// their colour, and which property values the text box takes. The Qt and the
// Win32 controls both decide through these.
#pragma once

#include <cstdint>
#include <string>

#include "base/internal_export.h"

namespace vendral::detail::controls {

// The text box's height per point of its font, in twips.
inline constexpr double kTwipsPerPoint = 26.25;
// The surface's font: Tahoma 8.25 pt.
inline constexpr float kDesignTextSize = 8.25F;

// Empty: nothing but blanks (UTF-8).
VENDRAL_TEST_INTERNAL bool IsEmptyText(const std::string& text);
// The hint as shown: "[" + tip + "]", or empty for an empty tip.
VENDRAL_TEST_INTERNAL std::string FieldTipText(const std::string& tip);
// The underline marks an enabled, empty field.
inline bool UnderlineVisible(bool enabled, bool empty) {
    return enabled && empty;
}
// When the focus leaves the text box: the hint stands in its place for an
// enabled, empty field with a tip.
inline bool HintShownOnLostFocus(bool enabled, bool empty, const std::string& fieldTip) {
    return enabled && empty && !fieldTip.empty();
}
// Hint and underline colour, 0x00BBGGRR: red when mandatory, else grey.
VENDRAL_TEST_INTERNAL std::uint32_t HintColor(bool mandatory);

// 0 left, 1 right, 2 centre.
// Throws PlatformError 6 outside 16 bits, 380 for another value.
VENDRAL_TEST_INTERNAL std::int16_t CheckedAlignment(std::int32_t lValue);
// Throws PlatformError 380 for a size that is not positive or above 2048.
VENDRAL_TEST_INTERNAL void CheckTextSize(float sValue);

}  // namespace vendral::detail::controls

// The library's own code names these without the detail qualifier.
namespace vendral {
namespace controls = detail::controls;
}  // namespace vendral

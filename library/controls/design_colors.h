// Colours of the input controls (0x00BBGGRR).
#pragma once

#include <cstdint>

#include "base/internal_export.h"

namespace vendral::detail::controls {

inline constexpr std::uint32_t kWhite = 0x00FFFFFF;      // text box at rest
inline constexpr std::uint32_t kLightGrey = 0x00E0E0E0;  // text box with the focus
inline constexpr std::uint32_t kGrey = 0x00808080;       // hint and underline, optional
inline constexpr std::uint32_t kRed = 0x000000FF;        // hint and underline, mandatory
inline constexpr std::uint32_t kListFrame = 0x00FFC0C0;  // outline of the combo's list

}  // namespace vendral::detail::controls

// The library's own code names these without the detail qualifier.
namespace vendral {
namespace controls = detail::controls;
}  // namespace vendral

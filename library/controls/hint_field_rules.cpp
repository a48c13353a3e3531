#include "controls/hint_field_rules.h"

#include <limits>

#include "controls/design_colors.h"
#include "vendral/platform_error.h"

namespace vendral::detail::controls {
namespace {

constexpr std::int32_t kErrorOverflow = 6;
constexpr std::int32_t kErrorInvalidPropertyValue = 380;
constexpr float kLargestTextSize = 2048.0F;

}  // namespace

bool IsEmptyText(const std::string& text) {
    return text.find_first_not_of(' ') == std::string::npos;
}

std::string FieldTipText(const std::string& tip) {
    return tip.empty() ? std::string() : "[" + tip + "]";
}

std::uint32_t HintColor(bool mandatory) {
    return mandatory ? kRed : kGrey;
}

std::int16_t CheckedAlignment(std::int32_t lValue) {
    if (lValue < std::numeric_limits<std::int16_t>::min() ||
        lValue > std::numeric_limits<std::int16_t>::max()) {
        throw PlatformError(kErrorOverflow, "Overflow");
    }
    const auto iValue = static_cast<std::int16_t>(lValue);
    if (iValue < 0 || iValue > 2)
        throw PlatformError(kErrorInvalidPropertyValue, "Invalid property value");
    return iValue;
}

void CheckTextSize(float sValue) {
    if (!(sValue > 0.0F) || sValue > kLargestTextSize)
        throw PlatformError(kErrorInvalidPropertyValue, "Invalid property value");
}

}  // namespace vendral::detail::controls

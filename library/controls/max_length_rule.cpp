#include "controls/max_length_rule.h"

#include <cmath>
#include <limits>

#include "vendral/platform_error.h"

namespace vendral::detail::controls {
namespace {

constexpr std::int32_t kErrorOverflow = 6;
constexpr std::int32_t kErrorInvalidPropertyValue = 380;

}  // namespace

std::int32_t RoundedMaxLength(float sValue) {
    if (std::isnan(sValue))
        throw PlatformError(kErrorInvalidPropertyValue, "Invalid property value");
    // The default rounding mode rounds halves to even.
    const double rounded = std::nearbyint(static_cast<double>(sValue));
    if (rounded < std::numeric_limits<std::int32_t>::min() ||
        rounded > std::numeric_limits<std::int32_t>::max()) {
        throw PlatformError(kErrorOverflow, "Overflow");
    }
    if (rounded < 0) throw PlatformError(kErrorInvalidPropertyValue, "Invalid property value");
    return static_cast<std::int32_t>(rounded);
}

}  // namespace vendral::detail::controls

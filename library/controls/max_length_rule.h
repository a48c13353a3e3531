// The maximum length of the labelled text box, whatever draws it: the value
// a client sets becomes a whole number of characters (code points), and
// typing or pasting that would make the text longer is refused. Text set by
// the program is not limited, and a text that is already longer may shrink.
#pragma once

#include <cstdint>

#include "base/internal_export.h"

namespace vendral::detail::controls {

// The limit for a MaxLength value: rounded, halves to even; 0 is no limit.
// Throws PlatformError 380 for NaN or a negative value, 6 beyond 32 bits.
VENDRAL_TEST_INTERNAL std::int32_t RoundedMaxLength(float sValue);

// Whether an edit by the user that turns a text of acceptedLength characters
// into one of newLength keeps within limit.
inline bool EditAccepted(std::int32_t limit, std::int64_t acceptedLength, std::int64_t newLength) {
    return limit <= 0 || newLength <= limit || newLength <= acceptedLength;
}

}  // namespace vendral::detail::controls

// The library's own code names these without the detail qualifier.
namespace vendral {
namespace controls = detail::controls;
}  // namespace vendral

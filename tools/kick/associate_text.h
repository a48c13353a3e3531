// Reading the associate id as the window did: the number at the start of the
// text, rounded to a 32-bit integer; a text that does not start with a number is 0.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string_view>

namespace vendral::kick {

struct AssociateText {
    std::int32_t AssociateID = 0;
    // False when the text did not start with a number and 0 was taken instead.
    bool StartsWithNumber = false;
};

// Leading blanks are skipped; a sign, digits, a decimal point and an exponent
// are read as far as they go, and the value is rounded half to even. Throws
// std::out_of_range when the value does not fit 32 bits.
AssociateText ParseAssociateText(std::string_view text);

}  // namespace vendral::kick

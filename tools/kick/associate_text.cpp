#include "associate_text.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace vendral::kick {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The length of the longest number at the start of text (0 when there is none).
std::size_t NumberLength(std::string_view text) {
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    std::size_t mantissaDigits = 0;
    while (pos < text.size() && IsDigit(text[pos])) ++pos, ++mantissaDigits;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        while (pos < text.size() && IsDigit(text[pos])) ++pos, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return 0;
    // An exponent counts only when digits follow it.
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t exponent = pos + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
        if (exponent < text.size() && IsDigit(text[exponent])) {
            pos = exponent;
            while (pos < text.size() && IsDigit(text[pos])) ++pos;
        }
    }
    return pos;
}

}  // namespace

AssociateText ParseAssociateText(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t' ||
                                   text[start] == '\r' || text[start] == '\n'))
        ++start;
    std::string_view rest = text.substr(start);
    std::size_t length = NumberLength(rest);
    if (length == 0) return AssociateText{0, false};
    double value = std::strtod(std::string(rest.substr(0, length)).c_str(), nullptr);
    double rounded = std::nearbyint(value);  // the default rounding mode: half to even
    if (!std::isfinite(rounded) || rounded < std::numeric_limits<std::int32_t>::min() ||
        rounded > std::numeric_limits<std::int32_t>::max())
        throw std::out_of_range("the associate id " + std::string(rest.substr(0, length)) +
                                " does not fit 32 bits");
    return AssociateText{static_cast<std::int32_t>(rounded), true};
}

}  // namespace vendral::kick

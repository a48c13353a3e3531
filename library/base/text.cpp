#include "base/text.h"

#include <cstdint>
#include <type_traits>

namespace vendral::detail {
namespace {

constexpr char32_t kEscapeBase = 0xDC80;

char32_t UpperOf(char32_t c) {
    if (c >= U'a' && c <= U'z') return c - 0x20;
    if (c < 0x80) return c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        bool oddLower = !((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E));
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        if (oddLower ? (c % 2 == 1) : (c % 2 == 0)) return c - 1;
        return c;
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20;
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    return c;
}

char32_t LowerOf(char32_t c) {
    if (c >= U'A' && c <= U'Z') return c + 0x20;
    if (c < 0x80) return c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
    if (c == 0x178) return 0xFF;
    if (c >= 0x100 && c <= 0x17F) {
        if (UpperOf(c + 1) == c && c + 1 <= 0x17F) return c + 1;
        return c;
    }
    if (c >= 0x391 && c <= 0x3A9) return c + 0x20;
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    return c;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c >= kEscapeBase && c <= kEscapeBase + 0x7F) {  // a byte that was not UTF-8
        out.push_back(static_cast<char>(0x80 + (c - kEscapeBase)));
        return;
    }
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

template <typename Map>
std::string MapCodePoints(std::string_view text, Map map) {
    std::u32string points = DecodeUtf8(text);
    for (char32_t& c : points) c = map(c);
    return EncodeUtf8(points);
}

}  // namespace

std::u32string DecodeUtf8(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        auto byte = static_cast<unsigned char>(text[i]);
        int length = byte < 0x80           ? 1
                     : (byte >> 5) == 0x6  ? 2
                     : (byte >> 4) == 0xE  ? 3
                     : (byte >> 3) == 0x1E ? 4
                                           : 0;
        char32_t c = length == 1   ? byte
                     : length == 2 ? (byte & 0x1F)
                     : length == 3 ? (byte & 0x0F)
                                   : (byte & 0x07);
        bool valid = length > 0 && i + length <= text.size();
        for (int k = 1; valid && k < length; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) valid = false;
            c = (c << 6) | (next & 0x3F);
        }
        if (valid) {
            static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
            if (c < kMinimum[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) valid = false;
        }
        if (!valid) {
            out.push_back(byte < 0x80 ? byte : kEscapeBase + (byte - 0x80));
            ++i;
            continue;
        }
        out.push_back(c);
        i += length;
    }
    return out;
}

std::string EncodeUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) AppendUtf8(out, c);
    return out;
}

namespace {

// Statement texts and most values are plain ASCII: copied unit for unit.
template <typename Text>
bool IsAscii(const Text& text) {
    for (auto c : text)
        if (static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<decltype(c)>>(c)) >= 0x80)
            return false;
    return true;
}

}  // namespace

std::u16string ToUtf16(std::string_view text) {
    // ASCII, as nearly every statement text is, widens in one pass that the
    // compiler vectorizes; anything else is decoded.
    std::u16string out(text.size(), u'\0');
    unsigned char seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        seen |= c;
        out[i] = c;
    }
    if (seen < 0x80) return out;
    out.clear();
    out.reserve(text.size());
    for (char32_t c : DecodeUtf8(text)) {
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

std::string FromUtf16(std::u16string_view text) {
    if (IsAscii(text)) return std::string(text.begin(), text.end());
    std::u32string points;
    points.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= kEscapeBase && c <= kEscapeBase + 0x7F) {
            // A byte ToUtf16 kept as a lone surrogate: EncodeUtf8 gives it back.
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;  // never write a surrogate into UTF-8
        }
        points.push_back(c);
    }
    return EncodeUtf8(points);
}

std::string Trim(std::string_view text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return "";
    std::size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::string TrimRight(std::string_view text) {
    std::size_t last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? "" : std::string(text.substr(0, last + 1));
}

std::string ToUpper(std::string_view text) {
    return MapCodePoints(text, UpperOf);
}

std::string ToLower(std::string_view text) {
    return MapCodePoints(text, LowerOf);
}

bool IEquals(std::string_view a, std::string_view b) {
    return ToUpper(a) == ToUpper(b);
}

std::string QuoteSql(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out.push_back(c);
        if (c == '\'') out.push_back('\'');
    }
    return out;
}

}  // namespace vendral::detail

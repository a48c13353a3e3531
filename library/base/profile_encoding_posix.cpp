// Settings files here are UTF-8; ANSI files, as the original platform's
// Western workstations leave them, are read and kept in Windows-1252.
#include <string>
#include <string_view>

#include "base/private_profile.h"
#include "base/text.h"

namespace vendral::detail {
namespace {

// Windows-1252 at 0x80 to 0x9F; the five unassigned bytes stand for the C1
// controls of the same value, as the platform maps them.
constexpr char32_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

bool SettingsFilesInAnsi() {
    return false;
}

std::string AnsiFileTextToUtf8(std::string_view bytes) {
    std::u32string characters;
    for (char byte : bytes) {
        auto b = static_cast<unsigned char>(byte);
        characters.push_back(b >= 0x80 && b < 0xA0 ? kWindows1252High[b - 0x80] : char32_t{b});
    }
    return EncodeUtf8(characters);
}

std::string Utf8ToAnsiFileText(std::string_view text) {
    std::string bytes;
    for (char32_t c : DecodeUtf8(text)) {
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            bytes.push_back(static_cast<char>(c));
            continue;
        }
        if (c >= 0xDC80 && c <= 0xDCFF) {
            bytes.push_back(static_cast<char>(c - 0xDC00));
            continue;
        }
        char out = '?';
        for (int i = 0; i < 32; ++i)
            if (kWindows1252High[i] == c) out = static_cast<char>(0x80 + i);
        bytes.push_back(out);
    }
    return bytes;
}

}  // namespace vendral::detail

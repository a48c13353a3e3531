// The reversible substitution under which passwords are stored in the
// settings file. It keeps a password from a casual look; it is not encryption.
#include "settings/password_encoding.h"

#include <string_view>

#include "base/text.h"
#include "vendral/settings.h"

namespace vendral {
namespace {

// The same 72 characters (digits, ASCII letters, ".-_" and seven accented
// letters) in two orders: a character at position p of the first is stored as
// the character at position p of the second.
constexpr std::u32string_view kSubstitutionTable =
    U"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz.-_àéèüöçñ";
constexpr std::u32string_view kTargetTable =
    U"BPo-2a7Eñö1p_.n3cbdTFMgAqxsr8üfGJCOQVSèàkzNtXRmKjD0éihlç4ZvL6UHYew95uWIy";
constexpr std::u32string_view kStartMarker = U"Vx7Qm2K";
constexpr std::u32string_view kEndMarker = U"p9Rz4Lw";
// An empty password is stored as this text alone, without markers.
constexpr std::u32string_view kEmptyPassword = U"Q7vNÉ2kd9LmT4xwR8s";

static_assert(kSubstitutionTable.size() == 72 && kTargetTable.size() == 72);
static_assert(kStartMarker.size() == 7 && kEndMarker.size() == 7);
static_assert(kEmptyPassword.size() == 18);

std::u32string Substitute(std::u32string_view text, std::u32string_view from,
                          std::u32string_view to) {
    std::u32string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        std::size_t position = from.find(c);
        out.push_back(position == std::u32string_view::npos ? c : to[position]);
    }
    return out;
}

}  // namespace

std::string EncodePassword(const std::string& text) {
    if (text.empty()) return EncodeUtf8(kEmptyPassword);
    std::u32string encoded(kStartMarker);
    encoded += Substitute(DecodeUtf8(text), kSubstitutionTable, kTargetTable);
    encoded += kEndMarker;
    return EncodeUtf8(encoded);
}

std::string DecodePassword(const std::string& encoded) {
    std::u32string characters = DecodeUtf8(encoded);
    // Seven characters go at each end, markers or not; what is too short to
    // cut is no password.
    if (characters.size() < kStartMarker.size() + kEndMarker.size()) return std::string();
    std::u32string_view middle(characters);
    middle = middle.substr(kStartMarker.size(),
                           characters.size() - kStartMarker.size() - kEndMarker.size());
    if (middle.empty() || middle == kEmptyPassword) return std::string();
    return EncodeUtf8(Substitute(middle, kTargetTable, kSubstitutionTable));
}

const std::string& detail::EmptyPasswordSentinel() {
    // The stored empty password read back through the decoder: its characters
    // 8 to 11, decoded.
    static const std::string sentinel = DecodePassword(EncodeUtf8(kEmptyPassword));
    return sentinel;
}

}  // namespace vendral

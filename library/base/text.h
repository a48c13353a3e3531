// Text helpers shared by the library: UTF-8 code points, UTF-16 for the ODBC
// wide-character calls, case and blanks.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "base/internal_export.h"

namespace vendral::detail {

// Code points of a UTF-8 text. A byte that is not valid UTF-8 becomes a lone
// surrogate (U+DC80 + byte) so that EncodeUtf8 gives the same bytes back.
VENDRAL_TEST_INTERNAL std::u32string DecodeUtf8(std::string_view text);
VENDRAL_TEST_INTERNAL std::string EncodeUtf8(std::u32string_view text);
VENDRAL_TEST_INTERNAL std::u16string ToUtf16(std::string_view text);
VENDRAL_TEST_INTERNAL std::string FromUtf16(std::u16string_view text);

// Blanks are the space character only, as the original strips them.
VENDRAL_TEST_INTERNAL std::string Trim(std::string_view text);
VENDRAL_TEST_INTERNAL std::string TrimRight(std::string_view text);
// Capitals of every letter (ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic).
VENDRAL_TEST_INTERNAL std::string ToUpper(std::string_view text);
VENDRAL_TEST_INTERNAL std::string ToLower(std::string_view text);
VENDRAL_TEST_INTERNAL bool IEquals(std::string_view a, std::string_view b);
// Doubles every apostrophe, for a text put between apostrophes in SQL.
VENDRAL_TEST_INTERNAL std::string QuoteSql(std::string_view text);
// The pieces one after the other, in one allocation (statement texts are built per call).
inline std::string Concat(std::initializer_list<std::string_view> pieces) {
    std::size_t size = 0;
    for (std::string_view piece : pieces) size += piece.size();
    std::string text;
    text.reserve(size);
    for (std::string_view piece : pieces) text.append(piece);
    return text;
}

}  // namespace vendral::detail

// The library's own code names these without the detail qualifier.
namespace vendral {
using namespace detail;
}  // namespace vendral

// Text helpers shared by the library: UTF-8 code points, UTF-16 for the ODBC
// wide-character calls, case and blanks.
#pragma once

#include <string>
#include <string_view>

namespace vendral {

// Code points of a UTF-8 text. A byte that is not valid UTF-8 becomes a lone
// surrogate (U+DC80 + byte) so that EncodeUtf8 gives the same bytes back.
std::u32string DecodeUtf8(std::string_view text);
std::string EncodeUtf8(std::u32string_view text);
std::u16string ToUtf16(std::string_view text);
std::string FromUtf16(std::u16string_view text);

// Blanks are the space character only, as the original strips them.
std::string Trim(std::string_view text);
std::string TrimRight(std::string_view text);
// Capitals of every letter (ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic).
std::string ToUpper(std::string_view text);
std::string ToLower(std::string_view text);
bool IEquals(std::string_view a, std::string_view b);
// Doubles every apostrophe, for a text put between apostrophes in SQL.
std::string QuoteSql(std::string_view text);

}  // namespace vendral

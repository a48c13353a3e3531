// Reading the kick date: the short date format of the user's locale, and ISO
// 8601 (YYYY-MM-DD) always.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vendral::kick {

// The short date format (a strftime pattern such as "%m/%d/%Y") of the locale
// the environment selects for dates; that of the "C" locale when none is usable.
std::string LocaleShortDateFormat();

// The format in the words a user types, such as "MM/DD/YYYY"; empty when it
// holds fields a date cannot be read from.
std::string DescribeDateFormat(std::string_view shortDateFormat);

// The start of the date in seconds since 1 January 1970, with the local clock
// taken as universal time. Nothing when the text is no valid date in either
// form or lies outside the 32-bit range of seconds (1901-12-14 to 2038-01-19).
// Two-digit years fall between 1930 and 2029.
std::optional<std::int32_t> ParseKickDate(std::string_view text, std::string_view shortDateFormat);

// Seconds since 1970 of a calendar date (no range check beyond the calendar).
std::int64_t DateSeconds(int year, int month, int day);

}  // namespace vendral::kick

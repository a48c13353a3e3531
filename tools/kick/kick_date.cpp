#include "kick_date.h"

#include <cctype>
#include <limits>

namespace vendral::kick {
namespace {

struct DateParts {
    int Year = -1;
    int Month = -1;
    int Day = -1;
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Reads at most maxDigits digits; the count read goes to digits.
int ReadNumber(std::string_view text, std::size_t& pos, std::size_t maxDigits,
               std::size_t& digits) {
    int value = 0;
    digits = 0;
    while (pos < text.size() && digits < maxDigits && IsDigit(text[pos])) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++digits;
    }
    return value;
}

// The composite conversions spelled out, so that only d, e, m, y and Y remain.
std::string ExpandFormat(std::string_view format) {
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            char c = format[i + 1];
            if (c == 'E' || c == 'O') {  // alternative-numeral modifiers: same field
                if (i + 2 < format.size()) c = format[i + 2], ++i;
            }
            if (c == 'D') {
                out += "%m/%d/%y";
            } else if (c == 'F') {
                out += "%Y-%m-%d";
            } else {
                out += '%';
                out += c;
            }
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

std::optional<DateParts> ReadWithFormat(std::string_view text, std::string_view rawFormat) {
    std::string format = ExpandFormat(rawFormat);
    DateParts parts;
    std::size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    for (std::size_t i = 0; i < format.size(); ++i) {
        char f = format[i];
        if (f == '%' && i + 1 < format.size()) {
            char c = format[++i];
            if (c == '%') {
                if (pos >= text.size() || text[pos] != '%') return std::nullopt;
                ++pos;
                continue;
            }
            while (pos < text.size() && IsBlank(text[pos])) ++pos;
            std::size_t digits = 0;
            switch (c) {
                case 'd':
                case 'e':
                    parts.Day = ReadNumber(text, pos, 2, digits);
                    if (digits == 0) return std::nullopt;
                    break;
                case 'm':
                    parts.Month = ReadNumber(text, pos, 2, digits);
                    if (digits == 0) return std::nullopt;
                    break;
                case 'y':
                case 'Y':
                    // Either form is taken for either field, as people type them.
                    parts.Year = ReadNumber(text, pos, 4, digits);
                    if (digits == 1 || digits == 2) {
                        parts.Year += parts.Year < 30 ? 2000 : 1900;
                    } else if (digits != 4) {
                        return std::nullopt;
                    }
                    break;
                default:
                    return std::nullopt;  // a field a date cannot be read from (%b, %a ...)
            }
        } else if (IsBlank(f)) {
            while (pos < text.size() && IsBlank(text[pos])) ++pos;
        } else {
            if (pos >= text.size() || text[pos] != f) return std::nullopt;
            ++pos;
        }
    }
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    if (pos != text.size()) return std::nullopt;
    if (parts.Year < 0 || parts.Month < 0 || parts.Day < 0) return std::nullopt;
    return parts;
}

std::optional<DateParts> ReadIso(std::string_view text) {
    std::size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    std::string_view date = text.substr(first, last - first);
    if (date.size() != 10 || date[4] != '-' || date[7] != '-') return std::nullopt;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!IsDigit(date[i])) return std::nullopt;
    auto number = [&](std::size_t from, std::size_t count) {
        int value = 0;
        for (std::size_t i = from; i < from + count; ++i) value = value * 10 + (date[i] - '0');
        return value;
    };
    return DateParts{number(0, 4), number(5, 2), number(8, 2)};
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool IsValidDate(const DateParts& parts) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (parts.Month < 1 || parts.Month > 12 || parts.Day < 1) return false;
    int days = kDays[parts.Month - 1] + (parts.Month == 2 && IsLeapYear(parts.Year) ? 1 : 0);
    return parts.Day <= days;
}

}  // namespace

std::string DescribeDateFormat(std::string_view shortDateFormat) {
    std::string format = ExpandFormat(shortDateFormat);
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 >= format.size()) {
            out += format[i];
            continue;
        }
        switch (format[++i]) {
            case 'd':
            case 'e':
                out += "DD";
                break;
            case 'm':
                out += "MM";
                break;
            case 'y':
                out += "YY";
                break;
            case 'Y':
                out += "YYYY";
                break;
            case '%':
                out += '%';
                break;
            default:
                return "";
        }
    }
    return out;
}

std::int64_t DateSeconds(int year, int month, int day) {
    // Days from the civil calendar (proleptic Gregorian), counted from 1970-01-01.
    std::int64_t y = month <= 2 ? year - 1 : year;
    std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    std::int64_t yearOfEra = y - era * 400;
    std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    std::int64_t days = era * 146097 + dayOfEra - 719468;
    return days * 86400;
}

std::optional<std::int32_t> ParseKickDate(std::string_view text, std::string_view shortDateFormat) {
    std::optional<DateParts> parts = ReadIso(text);
    if (!parts || !IsValidDate(*parts)) parts = ReadWithFormat(text, shortDateFormat);
    if (!parts || !IsValidDate(*parts)) return std::nullopt;
    std::int64_t seconds = DateSeconds(parts->Year, parts->Month, parts->Day);
    if (seconds < std::numeric_limits<std::int32_t>::min() ||
        seconds > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(seconds);
}

}  // namespace vendral::kick

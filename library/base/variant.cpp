#include "vendral/variant.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <ostream>
#include <sstream>

#include "base/text.h"

namespace vendral {
namespace {

// Whole numbers and decimals as a client types them: blanks around, an
// optional sign, digits with an optional fraction and exponent.
double ParseNumber(const std::string& text) {
    std::string trimmed = Trim(text);
    if (trimmed.empty()) throw VariantError("Type mismatch: \"" + text + "\" is not a number");
    if (trimmed.front() == '+') trimmed.erase(0, 1);
    double value = 0;
    auto [end, error] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
    if (error != std::errc() || end != trimmed.data() + trimmed.size() || !std::isfinite(value))
        throw VariantError("Type mismatch: \"" + text + "\" is not a number");
    return value;
}

std::string FormatDouble(double value) {
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        return std::to_string(static_cast<long long>(value));
    }
    std::ostringstream out;
    out.precision(15);
    out << value;
    return out.str();
}

// Every value of a signed integer type lies in [-2^n, 2^n): both bounds are
// powers of two and so exact as doubles, while the largest value itself may
// round up to 2^n (it does for 64 bits). The test comes before the cast, whose
// result is undefined outside the range.
template <typename Target>
Target CheckedRound(double value) {
    constexpr double lower = static_cast<double>(std::numeric_limits<Target>::min());
    constexpr double upperExclusive = -lower;
    double rounded = std::nearbyint(value);  // half to even, as the original rounds
    if (std::isnan(rounded) || !(rounded >= lower && rounded < upperExclusive))
        throw VariantError("Overflow: " + FormatDouble(value) + " does not fit");
    return static_cast<Target>(rounded);
}

template <typename Target>
Target CheckedNarrow(std::int64_t value) {
    if (value < std::numeric_limits<Target>::min() || value > std::numeric_limits<Target>::max())
        throw VariantError("Overflow: " + std::to_string(value) + " does not fit");
    return static_cast<Target>(value);
}

}  // namespace

Variant Variant::Null() {
    Variant v;
    v.value_ = NullTag{};
    return v;
}

VariantType Variant::Type() const {
    return static_cast<VariantType>(value_.index());
}

bool Variant::IsNumeric() const {
    switch (Type()) {
        case VariantType::Boolean:
        case VariantType::Integer:
        case VariantType::Long:
        case VariantType::LongLong:
        case VariantType::Double:
            return true;
        default:
            return false;
    }
}

std::string Variant::ToString() const {
    switch (Type()) {
        case VariantType::Empty:
            return "";
        case VariantType::Null:
            throw VariantError("Invalid use of Null");
        case VariantType::Boolean:
            return std::get<bool>(value_) ? "True" : "False";
        case VariantType::Integer:
            return std::to_string(std::get<std::int16_t>(value_));
        case VariantType::Long:
            return std::to_string(std::get<std::int32_t>(value_));
        case VariantType::LongLong:
            return std::to_string(std::get<std::int64_t>(value_));
        case VariantType::Double:
            return FormatDouble(std::get<double>(value_));
        case VariantType::String:
            return std::get<std::string>(value_);
    }
    return "";
}

std::int64_t Variant::ToLongLong() const {
    switch (Type()) {
        case VariantType::Empty:
            return 0;
        case VariantType::Null:
            throw VariantError("Invalid use of Null");
        case VariantType::Boolean:
            return std::get<bool>(value_) ? -1 : 0;
        case VariantType::Integer:
            return std::get<std::int16_t>(value_);
        case VariantType::Long:
            return std::get<std::int32_t>(value_);
        case VariantType::LongLong:
            return std::get<std::int64_t>(value_);
        case VariantType::Double:
            return CheckedRound<std::int64_t>(std::get<double>(value_));
        case VariantType::String: {
            const std::string& text = std::get<std::string>(value_);
            std::string trimmed = Trim(text);
            std::int64_t whole = 0;
            auto [end, error] =
                std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), whole);
            if (error == std::errc() && end == trimmed.data() + trimmed.size() && !trimmed.empty())
                return whole;
            return CheckedRound<std::int64_t>(ParseNumber(text));
        }
    }
    return 0;
}

std::int32_t Variant::ToLong() const {
    if (Type() == VariantType::Double) return CheckedRound<std::int32_t>(std::get<double>(value_));
    return CheckedNarrow<std::int32_t>(ToLongLong());
}

std::int16_t Variant::ToInteger() const {
    if (Type() == VariantType::Double) return CheckedRound<std::int16_t>(std::get<double>(value_));
    return CheckedNarrow<std::int16_t>(ToLongLong());
}

double Variant::ToDouble() const {
    switch (Type()) {
        case VariantType::Double:
            return std::get<double>(value_);
        case VariantType::String:
            return ParseNumber(std::get<std::string>(value_));
        default:
            return static_cast<double>(ToLongLong());
    }
}

bool Variant::ToBool() const {
    switch (Type()) {
        case VariantType::Boolean:
            return std::get<bool>(value_);
        case VariantType::String: {
            std::string upper = ToUpper(Trim(std::get<std::string>(value_)));
            if (upper == "TRUE") return true;
            if (upper == "FALSE") return false;
            return ParseNumber(upper) != 0;
        }
        default:
            return ToDouble() != 0;
    }
}

// Declared as a friend inside Variant, where the class's export mark does not
// reach it: exported here.
VENDRAL_API bool operator==(const Variant& a, const Variant& b) {
    if (a.IsNumeric() && b.IsNumeric()) {
        if (a.Type() == VariantType::Double || b.Type() == VariantType::Double)
            return a.ToDouble() == b.ToDouble();
        return a.ToLongLong() == b.ToLongLong();
    }
    return a.value_ == b.value_;
}

std::string TypeName(VariantType type) {
    switch (type) {
        case VariantType::Empty:
            return "Empty";
        case VariantType::Null:
            return "Null";
        case VariantType::Boolean:
            return "Boolean";
        case VariantType::Integer:
            return "Integer";
        case VariantType::Long:
            return "Long";
        case VariantType::LongLong:
            return "LongLong";
        case VariantType::Double:
            return "Double";
        case VariantType::String:
            return "String";
    }
    return "?";
}

std::ostream& operator<<(std::ostream& out, const Variant& value) {
    if (value.IsEmpty() || value.IsNull()) return out << TypeName(value.Type());
    return out << TypeName(value.Type()) << '(' << value.ToString() << ')';
}

}  // namespace vendral

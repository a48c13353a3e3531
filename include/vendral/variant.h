/// @file
/// Variant, the value type of every public result of the library.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <variant>

#include "vendral/errors.h"
#include "vendral/export.h"

namespace vendral {

/// What a Variant holds.
enum class VariantType {
    Empty,     ///< Never assigned.
    Null,      ///< SQL NULL.
    Boolean,   ///< True is -1 where it is turned into a number.
    Integer,   ///< A 16-bit integer.
    Long,      ///< A 32-bit integer.
    LongLong,  ///< A 64-bit integer.
    Double,    ///< A double.
    String,    ///< UTF-8 text.
};

/// The value type of every public result of the library, modelled on the
/// automation VARIANT that clients of the original component received: Empty,
/// Null, a Boolean, a 16-, 32- or 64-bit integer, a Double or a String. The
/// conversions throw VariantError rather than guess.
class VENDRAL_API Variant {
  public:
    /// Empty.
    Variant() = default;
    /// A Boolean.
    Variant(bool value) : value_(value) {}
    /// An Integer (16-bit).
    Variant(std::int16_t value) : value_(value) {}
    /// A Long (32-bit).
    Variant(std::int32_t value) : value_(value) {}
    /// A LongLong (64-bit).
    Variant(long value) : value_(static_cast<std::int64_t>(value)) {}
    /// A LongLong (64-bit).
    Variant(long long value) : value_(static_cast<std::int64_t>(value)) {}
    /// A LongLong (64-bit).
    Variant(unsigned int value) : value_(static_cast<std::int64_t>(value)) {}
    /// A LongLong; values above the 64-bit range wrap.
    Variant(unsigned long value) : value_(static_cast<std::int64_t>(value)) {}
    /// A Double.
    Variant(double value) : value_(value) {}
    /// A String of the UTF-8 text @p value.
    Variant(const char* value) : value_(std::string(value)) {}
    /// A String of the UTF-8 text @p value.
    Variant(std::string value) : value_(std::move(value)) {}

    /// SQL NULL.
    static Variant Null();

    /// What the variant holds.
    VariantType Type() const;
    /// True when nothing was ever assigned.
    bool IsEmpty() const { return Type() == VariantType::Empty; }
    /// True for SQL NULL.
    bool IsNull() const { return Type() == VariantType::Null; }
    /// True for a Boolean, Integer, Long, LongLong or Double.
    bool IsNumeric() const;
    /// True for a String.
    bool IsString() const { return Type() == VariantType::String; }

    /// Text as a client of the original would see it: Empty is "", Boolean is
    /// "True"/"False", numbers in plain decimal.
    /// @throws VariantError for Null.
    std::string ToString() const;
    /// A 32-bit number; a Double is rounded half to even, a String is parsed as
    /// a whole number or decimal, Empty is 0, Boolean true is -1.
    /// @throws VariantError for Null, text that is no number, or a value out
    ///         of range.
    std::int32_t ToLong() const;
    /// As ToLong(), for 16 bits.
    /// @throws VariantError as ToLong().
    std::int16_t ToInteger() const;
    /// As ToLong(), for 64 bits.
    /// @throws VariantError as ToLong().
    std::int64_t ToLongLong() const;
    /// A double; a String is parsed as a number, Empty is 0, Boolean true -1.
    /// @throws VariantError for Null or text that is no number.
    double ToDouble() const;
    /// Any number other than 0 is true; a String is "True" or "False" (in any
    /// case) or a number; Empty is false.
    /// @throws VariantError for Null or other text.
    bool ToBool() const;

    /// Equal values: numbers compare by value whatever their types; otherwise
    /// the types and the values must match.
    friend bool operator==(const Variant& a, const Variant& b);
    /// Not operator==.
    friend bool operator!=(const Variant& a, const Variant& b) { return !(a == b); }

  private:
    struct NullTag {
        friend bool operator==(NullTag, NullTag) { return true; }
    };
    std::variant<std::monostate, NullTag, bool, std::int16_t, std::int32_t, std::int64_t, double,
                 std::string>
        value_;
};

/// Printable form for test failures and diagnostics: Empty, Null, or the value with its type.
VENDRAL_API std::ostream& operator<<(std::ostream& out, const Variant& value);
/// The name of a type ("Empty", "Null", "Boolean", "Integer", "Long",
/// "LongLong", "Double", "String").
VENDRAL_API std::string TypeName(VariantType type);

}  // namespace vendral

// The value type of every public result of the library, modelled on the
// automation VARIANT that clients of the original component received.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <variant>

#include "vendral/export.h"

namespace vendral {

enum class VariantType {
    Empty,     // never assigned
    Null,      // SQL NULL
    Boolean,   // true = -1 where it is turned into a number
    Integer,   // 16-bit
    Long,      // 32-bit
    LongLong,  // 64-bit
    Double,
    String,  // UTF-8
};

// A conversion that cannot be made (text that is no number, a Null turned into
// text, a number out of range). Never a silent 0.
class VENDRAL_API VariantError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class VENDRAL_API Variant {
  public:
    Variant() = default;
    Variant(bool value) : value_(value) {}
    Variant(std::int16_t value) : value_(value) {}
    Variant(std::int32_t value) : value_(value) {}
    Variant(long value) : value_(static_cast<std::int64_t>(value)) {}
    Variant(long long value) : value_(static_cast<std::int64_t>(value)) {}
    Variant(unsigned int value) : value_(static_cast<std::int64_t>(value)) {}
    Variant(unsigned long value) : value_(static_cast<std::int64_t>(value)) {}
    Variant(double value) : value_(value) {}
    Variant(const char* value) : value_(std::string(value)) {}
    Variant(std::string value) : value_(std::move(value)) {}

    static Variant Null();

    VariantType Type() const;
    bool IsEmpty() const { return Type() == VariantType::Empty; }
    bool IsNull() const { return Type() == VariantType::Null; }
    bool IsNumeric() const;  // Boolean, Integer, Long, LongLong or Double
    bool IsString() const { return Type() == VariantType::String; }

    // Text as a client of the original would see it: Empty is "", Boolean is
    // "True"/"False", numbers in plain decimal. Null cannot be turned into text.
    std::string ToString() const;
    // 32-bit number; a Double is rounded half to even, a String is parsed as a
    // whole number or decimal, Empty is 0, Boolean true is -1.
    std::int32_t ToLong() const;
    std::int16_t ToInteger() const;
    std::int64_t ToLongLong() const;
    double ToDouble() const;
    bool ToBool() const;

    friend bool operator==(const Variant& a, const Variant& b);
    friend bool operator!=(const Variant& a, const Variant& b) { return !(a == b); }

  private:
    struct NullTag {
        friend bool operator==(NullTag, NullTag) { return true; }
    };
    std::variant<std::monostate, NullTag, bool, std::int16_t, std::int32_t, std::int64_t, double,
                 std::string>
        value_;
};

// Printable form for test failures and diagnostics: Empty, Null, or the value with its type.
VENDRAL_API std::ostream& operator<<(std::ostream& out, const Variant& value);
VENDRAL_API std::string TypeName(VariantType type);

}  // namespace vendral

// The conversion of automation arguments: VARIANTs of any type, by value or by
// reference, into the library's argument types, and results back into
// VARIANTs. Every conversion either gives a value that follows the conversion
// rules or refuses with an ArgumentError at the argument's own position;
// nothing else escapes, and nothing crashes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "com/automation_text.h"
#include "com/values.h"

using vendral::Variant;
using vendral::VariantType;
using namespace vendral::com;

namespace {

constexpr std::size_t kMaxArguments = 6;

// Storage a by-reference argument points into.
struct Slot {
    std::int8_t i1;
    std::uint8_t u1;
    std::int16_t i2;
    std::uint16_t u2;
    std::int32_t i4;
    std::uint32_t u4;
    std::int64_t i8;
    float r4;
    double r8;
    VARIANT_BOOL flag;
    BSTR text;
};

constexpr VARTYPE kTypes[] = {VT_EMPTY,   VT_NULL,    VT_I2,   VT_I4,       VT_R4,    VT_R8,
                              VT_CY,      VT_DATE,    VT_BSTR, VT_DISPATCH, VT_ERROR, VT_BOOL,
                              VT_VARIANT, VT_UNKNOWN, VT_I1,   VT_UI1,      VT_UI2,   VT_UI4,
                              VT_I8,      VT_UI8,     VT_INT,  VT_UINT,     VT_VOID};

// The number an argument of a numeric type stands for, before any rounding.
std::optional<long double> NumberOf(const VARIANT& v) {
    const bool ref = (v.vt & VT_BYREF) != 0;
    if (ref && !v.byref) return std::nullopt;
    switch (v.vt & ~VT_BYREF) {
        case VT_I2:
            return ref ? *v.piVal : v.iVal;
        case VT_I4:
        case VT_INT:
            return ref ? *v.plVal : v.lVal;
        case VT_I8:
            return ref ? *v.pllVal : v.llVal;
        case VT_UI1:
            return ref ? *static_cast<std::uint8_t*>(v.byref) : v.bVal;
        case VT_I1:
            return ref ? *static_cast<std::int8_t*>(v.byref) : static_cast<std::int8_t>(v.bVal);
        case VT_UI2:
            return ref ? *static_cast<std::uint16_t*>(v.byref) : static_cast<std::uint16_t>(v.iVal);
        case VT_UI4:
        case VT_UINT:
            return ref ? *static_cast<std::uint32_t*>(v.byref) : static_cast<std::uint32_t>(v.lVal);
        case VT_R4:
            return ref ? *static_cast<float*>(v.byref) : v.fltVal;
        case VT_R8:
            return ref ? *v.pdblVal : v.dblVal;
        case VT_BOOL:
            return (ref ? *v.pboolVal : v.boolVal) != 0 ? -1 : 0;
        default:
            return std::nullopt;
    }
}

// Half to even, written out: the automation clients' rounding of a double.
long double RoundHalfEven(long double x) {
    long double low = std::floor(x);
    long double rest = x - low;
    if (rest > 0.5L) return low + 1;
    if (rest < 0.5L) return low;
    return std::fmod(low, 2.0L) == 0 ? low : low + 1;
}

// What a whole-number argument must give for a numeric argument: a value, or
// the refusal's code.
struct Expected {
    std::optional<std::int64_t> value;
    HRESULT refusal = S_OK;
};

Expected WholeNumberOf(long double number, std::int64_t low, std::int64_t high) {
    if (!std::isfinite(number)) return {std::nullopt, DISP_E_OVERFLOW};
    long double rounded = RoundHalfEven(number);
    if (rounded < low || rounded > high) return {std::nullopt, DISP_E_OVERFLOW};
    return {static_cast<std::int64_t>(rounded), S_OK};
}

template <typename Call>
auto Attempt(Call call, std::size_t position, HRESULT& refusal) -> std::optional<decltype(call())> {
    refusal = S_OK;
    try {
        return call();
    } catch (const ArgumentError& error) {
        FUZZ_CHECK(error.Position == position, "a refusal at the wrong position");
        FUZZ_CHECK(error.Result == DISP_E_TYPEMISMATCH || error.Result == DISP_E_OVERFLOW ||
                       error.Result == DISP_E_PARAMNOTFOUND,
                   "a refusal with another code");
        refusal = error.Result;
        return std::nullopt;
    }
}

bool SameVariant(const Variant& a, const Variant& b) {
    if (a.Type() != b.Type()) return false;
    if (a.Type() == VariantType::Double) {
        double x = a.ToDouble(), y = b.ToDouble();
        return (std::isnan(x) && std::isnan(y)) || std::memcmp(&x, &y, sizeof x) == 0;
    }
    if (a.Type() == VariantType::Empty || a.Type() == VariantType::Null) return true;
    return a.ToString() == b.ToString();
}

bool WellFormedUtf16(const std::u16string& units) {
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (units[i] >= 0xD800 && units[i] < 0xDC00) {
            if (i + 1 >= units.size() || units[i + 1] < 0xDC00 || units[i + 1] >= 0xE000)
                return false;
            ++i;
        } else if (units[i] >= 0xDC00 && units[i] < 0xE000) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::size_t count = input.ConsumeIntegralInRange<std::size_t>(0, kMaxArguments);
    std::vector<VARIANT> arguments(count + 1);  // one more: a target of references only
    std::vector<Slot> slots(arguments.size());
    std::vector<BSTR> texts;
    std::vector<std::u16string> unitsOf(arguments.size());

    for (std::size_t k = 0; k < arguments.size(); ++k) {
        VARIANT& v = arguments[k];
        Slot& slot = slots[k];
        std::memset(&v, 0, sizeof v);
        VARTYPE type = input.ConsumeBool() ? input.PickValueInArray(kTypes)
                                           : input.ConsumeIntegral<VARTYPE>() & 0xFFF;
        const bool ref = input.ConsumeIntegralInRange(0, 3) == 0;
        std::uint64_t bits = input.ConsumeIntegral<std::uint64_t>();
        double real = input.ConsumeFloatingPoint<double>();
        slot.i1 = static_cast<std::int8_t>(bits);
        slot.u1 = static_cast<std::uint8_t>(bits);
        slot.i2 = static_cast<std::int16_t>(bits);
        slot.u2 = static_cast<std::uint16_t>(bits);
        slot.i4 = static_cast<std::int32_t>(bits);
        slot.u4 = static_cast<std::uint32_t>(bits);
        slot.i8 = static_cast<std::int64_t>(bits);
        slot.r4 = std::isfinite(real) && std::fabs(real) > std::numeric_limits<float>::max()
                      ? std::copysign(std::numeric_limits<float>::infinity(),
                                      static_cast<float>(real > 0 ? 1 : -1))
                      : static_cast<float>(real);
        slot.r8 = real;
        slot.flag = static_cast<VARIANT_BOOL>(bits);
        slot.text = nullptr;
        if (type == VT_BSTR && input.ConsumeIntegralInRange(0, 7) != 0) {
            std::string bytes = input.ConsumeRandomLengthString(64);
            std::u16string units;
            for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
                units.push_back(
                    static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          (static_cast<unsigned char>(bytes[i + 1]) << 8)));
            slot.text = SysAllocStringLen(units.data(), static_cast<UINT>(units.size()));
            texts.push_back(slot.text);
            unitsOf[k] = units;
        }
        v.vt = type | (ref ? VT_BYREF : 0);
        if (type == VT_VARIANT && ref) {
            // A reference to any of the arguments, itself included, or none.
            std::size_t target = input.ConsumeIntegralInRange<std::size_t>(0, arguments.size());
            v.pvarVal = target < arguments.size() ? &arguments[target] : nullptr;
            continue;
        }
        if (ref) {
            if (input.ConsumeIntegralInRange(0, 15) == 0) {
                v.byref = nullptr;
                continue;
            }
            switch (type) {
                case VT_I1:
                    v.byref = &slot.i1;
                    break;
                case VT_UI1:
                    v.byref = &slot.u1;
                    break;
                case VT_I2:
                    v.piVal = &slot.i2;
                    break;
                case VT_UI2:
                    v.byref = &slot.u2;
                    break;
                case VT_I4:
                case VT_INT:
                    v.plVal = &slot.i4;
                    break;
                case VT_UI4:
                case VT_UINT:
                    v.byref = &slot.u4;
                    break;
                case VT_I8:
                case VT_UI8:
                    v.pllVal = &slot.i8;
                    break;
                case VT_R4:
                    v.byref = &slot.r4;
                    break;
                case VT_R8:
                case VT_DATE:
                case VT_CY:
                    v.pdblVal = &slot.r8;
                    break;
                case VT_BOOL:
                    v.pboolVal = &slot.flag;
                    break;
                case VT_BSTR:
                    v.pbstrVal = &slot.text;
                    break;
                default:
                    v.byref = &slot.i8;
                    break;  // storage enough for any of them
            }
            continue;
        }
        switch (type) {
            case VT_I1:
            case VT_UI1:
                v.bVal = slot.u1;
                break;
            case VT_I2:
            case VT_UI2:
                v.iVal = slot.i2;
                break;
            case VT_I4:
            case VT_INT:
            case VT_UI4:
            case VT_UINT:
                v.lVal = slot.i4;
                break;
            case VT_R4:
                v.fltVal = slot.r4;
                break;
            case VT_R8:
            case VT_DATE:
            case VT_CY:
                v.dblVal = slot.r8;
                break;
            case VT_BOOL:
                v.boolVal = slot.flag;
                break;
            case VT_BSTR:
                v.bstrVal = slot.text;
                break;
            case VT_ERROR:
                v.scode = input.ConsumeBool() ? DISP_E_PARAMNOTFOUND
                                              : input.ConsumeIntegral<std::int32_t>();
                break;
            case VT_DISPATCH:
            case VT_UNKNOWN:
                v.pdispVal = nullptr;
                break;  // Nothing
            default:
                v.llVal = slot.i8;
                break;
        }
    }

    // The standard passes the arguments last first.
    std::vector<VARIANTARG> reversed(arguments.rbegin() + 1, arguments.rend());
    // References to arguments must still reach the arguments themselves.
    std::vector<VARIANTARG>& given = reversed;
    for (VARIANT& v : given)
        if (v.vt == (VT_BYREF | VT_VARIANT) && v.pvarVal) {
            std::size_t target = static_cast<std::size_t>(v.pvarVal - arguments.data());
            if (target < count) v.pvarVal = &given[count - 1 - target];
        }
    DISPPARAMS params{};
    params.rgvarg = given.data();
    params.cArgs = static_cast<UINT>(count);
    Arguments args(params, count);

    for (std::size_t i = 0; i < count + 1; ++i) {
        HRESULT refusal = S_OK;
        auto int16 = Attempt([&] { return args.Int16(i); }, i, refusal);
        HRESULT int16Refusal = refusal;
        auto int32 = Attempt([&] { return args.Int32(i); }, i, refusal);
        HRESULT int32Refusal = refusal;
        auto flag = Attempt([&] { return args.Bool(i); }, i, refusal);
        auto text = Attempt([&] { return args.Text(i); }, i, refusal);
        auto value = Attempt([&] { return args.Value(i); }, i, refusal);
        Attempt([&] { return args.Object(i); }, i, refusal);

        if (!args.Has(i)) {
            FUZZ_CHECK(int16Refusal == DISP_E_PARAMNOTFOUND && int32Refusal == DISP_E_PARAMNOTFOUND,
                       "an omitted argument was not refused as missing");
            FUZZ_CHECK(value && value->Type() == VariantType::Empty,
                       "an omitted argument's value is not Empty");
            continue;
        }
        // The two widths agree wherever both can hold the number.
        if (int16) FUZZ_CHECK(int32 && *int32 == *int16, "Int16 and Int32 disagree");
        if (int32 && *int32 >= -32768 && *int32 <= 32767)
            FUZZ_CHECK(int16 && *int16 == *int32, "Int32 holds a number Int16 refuses");

        const VARIANT& raw = args.Raw(i);
        if (std::optional<long double> number = NumberOf(raw)) {
            Expected e16 = WholeNumberOf(*number, -32768, 32767);
            Expected e32 = WholeNumberOf(*number, std::numeric_limits<std::int32_t>::min(),
                                         std::numeric_limits<std::int32_t>::max());
            FUZZ_CHECK(int16 == e16.value && int16Refusal == e16.refusal,
                       "Int16 of a number broke the rounding or range rule");
            FUZZ_CHECK(int32 == e32.value && int32Refusal == e32.refusal,
                       "Int32 of a number broke the rounding or range rule");
            FUZZ_CHECK(flag && *flag == (*number != 0), "Bool of a number is not number <> 0");
        }
        if (value) {
            // A value goes out as a result and comes back as itself.
            VARIANT out;
            FromVariant(*value, &out);
            Variant back = ToVariant(out, 0);
            FUZZ_CHECK(SameVariant(back, *value), "a result does not read back as itself");
            VariantClear(&out);
            if (value->Type() != VariantType::Null)
                FUZZ_CHECK(text && *text == value->ToString(), "Text is not the value's text");
        }
        // Texts of well-formed UTF-16 survive the trip through UTF-8.
        if (text && (raw.vt & ~VT_BYREF) == VT_BSTR) {
            BSTR bstr = (raw.vt & VT_BYREF) ? *raw.pbstrVal : raw.bstrVal;
            std::u16string units(bstr ? bstr : u"", bstr ? SysStringLen(bstr) : 0);
            if (WellFormedUtf16(units))
                FUZZ_CHECK(vendral::detail::ToUtf16(*text) == units, "a text changed on its way to UTF-8");
        }
    }
    for (BSTR text : texts) SysFreeString(text);
    return 0;
}

#include "com/values.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "com/automation_text.h"

namespace vendral::com {
namespace {

// A reference to a VARIANT is followed once, as the standard allows it; what
// it points to must hold a value or a reference to one, not another reference
// to a VARIANT (a client's loop of those would otherwise be followed without end).
const VARIANT& Follow(const VARIANT& value) {
    if (value.vt == (VT_BYREF | VT_VARIANT) && value.pvarVal) return *value.pvarVal;
    return value;
}

bool IsOmitted(const VARIANT& value) {
    const VARIANT& v = Follow(value);
    return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND;
}

// A whole number as an automation client converts it: doubles and numeric
// texts rounded half to even, then checked against the target's range.
std::int64_t WholeNumber(const VARIANT& value, std::size_t position, std::int64_t low,
                         std::int64_t high) {
    Variant v = ToVariant(value, position);
    double number = 0;
    switch (v.Type()) {
        case VariantType::Null:
            throw ArgumentError{DISP_E_TYPEMISMATCH, position};
        case VariantType::String:
            try {
                number = v.ToDouble();
            } catch (const VariantError&) {
                throw ArgumentError{DISP_E_TYPEMISMATCH, position};
            }
            break;
        case VariantType::Double:
            number = v.ToDouble();
            break;
        default: {
            std::int64_t whole = v.ToLongLong();
            if (whole < low || whole > high) throw ArgumentError{DISP_E_OVERFLOW, position};
            return whole;
        }
    }
    if (!std::isfinite(number)) throw ArgumentError{DISP_E_OVERFLOW, position};
    double rounded = std::nearbyint(number);
    if (rounded < static_cast<double>(low) || rounded > static_cast<double>(high))
        throw ArgumentError{DISP_E_OVERFLOW, position};
    return static_cast<std::int64_t>(rounded);
}

}  // namespace

Variant ToVariant(const VARIANT& raw, std::size_t position) {
    const VARIANT& value = Follow(raw);
    VARTYPE type = value.vt & ~VT_BYREF;
    bool byRef = (value.vt & VT_BYREF) != 0;
    if (byRef && !value.byref) throw ArgumentError{DISP_E_TYPEMISMATCH, position};
    switch (type) {
        case VT_EMPTY:
            return Variant();
        case VT_NULL:
            return Variant::Null();
        case VT_I2:
            return Variant(byRef ? *value.piVal : value.iVal);
        case VT_I4:
        case VT_INT:
            return Variant(byRef ? *value.plVal : value.lVal);
        case VT_I8:
            return Variant(static_cast<long long>(byRef ? *value.pllVal : value.llVal));
        case VT_UI1:
            return Variant(static_cast<std::int16_t>(
                byRef ? *static_cast<std::uint8_t*>(value.byref) : value.bVal));
        case VT_I1:
            return Variant(static_cast<std::int16_t>(byRef ? *static_cast<std::int8_t*>(value.byref)
                                                           : static_cast<std::int8_t>(value.bVal)));
        case VT_UI2:
            return Variant(static_cast<std::int32_t>(byRef
                                                         ? *static_cast<std::uint16_t*>(value.byref)
                                                         : static_cast<std::uint16_t>(value.iVal)));
        case VT_UI4:
        case VT_UINT:
            return Variant(static_cast<long long>(byRef ? *static_cast<std::uint32_t*>(value.byref)
                                                        : static_cast<std::uint32_t>(value.lVal)));
        case VT_R4:
            return Variant(
                static_cast<double>(byRef ? *static_cast<float*>(value.byref) : value.fltVal));
        case VT_R8:
            return Variant(byRef ? *value.pdblVal : value.dblVal);
        case VT_BOOL:
            return Variant((byRef ? *value.pboolVal : value.boolVal) != 0);
        case VT_BSTR:
            return Variant(BstrToUtf8(byRef ? *value.pbstrVal : value.bstrVal));
        default:
            throw ArgumentError{DISP_E_TYPEMISMATCH, position};
    }
}

void FromVariant(const Variant& value, VARIANT* out) {
    VariantInit(out);
    switch (value.Type()) {
        case VariantType::Empty:
            break;
        case VariantType::Null:
            out->vt = VT_NULL;
            break;
        case VariantType::Boolean:
            out->vt = VT_BOOL;
            out->boolVal = value.ToBool() ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case VariantType::Integer:
            out->vt = VT_I2;
            out->iVal = value.ToInteger();
            break;
        case VariantType::Long:
            out->vt = VT_I4;
            out->lVal = value.ToLong();
            break;
        case VariantType::LongLong:
            out->vt = VT_I8;
            out->llVal = value.ToLongLong();
            break;
        case VariantType::Double:
            out->vt = VT_R8;
            out->dblVal = value.ToDouble();
            break;
        case VariantType::String:
            out->vt = VT_BSTR;
            out->bstrVal = AllocBstr(value.ToString());
            if (!out->bstrVal) throw std::bad_alloc();
            break;
    }
}

}  // namespace vendral::com

namespace vendral::internal {

namespace {

std::string ArgumentErrorText(HRESULT result, std::size_t position) {
    char code[11];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(result));
    return "argument " + std::to_string(position + 1) + " refused (" + code + ")";
}

}  // namespace

ArgumentError::ArgumentError(HRESULT result, std::size_t position)
    : Error(ArgumentErrorText(result, position)), Result(result), Position(position) {}

bool Arguments::Has(std::size_t i) const {
    return i < count_ && !IsOmitted(params_.rgvarg[params_.cArgs - 1 - i]);
}

const VARIANT& Arguments::Raw(std::size_t i) const {
    return Follow(params_.rgvarg[params_.cArgs - 1 - i]);
}

VARIANT* Arguments::Place(std::size_t i) const {
    return Has(i) ? &params_.rgvarg[params_.cArgs - 1 - i] : nullptr;
}

// The argument as given: ToVariant follows its reference, once.
const VARIANT& Arguments::Required(std::size_t i) const {
    if (!Has(i)) throw ArgumentError{DISP_E_PARAMNOTFOUND, i};
    return params_.rgvarg[params_.cArgs - 1 - i];
}

std::string Arguments::Text(std::size_t i) const {
    Variant v = ToVariant(Required(i), i);
    if (v.IsNull()) throw ArgumentError{DISP_E_TYPEMISMATCH, i};
    return v.ToString();
}

std::string Arguments::Text(std::size_t i, const std::string& omitted) const {
    return Has(i) ? Text(i) : omitted;
}

std::int16_t Arguments::Int16(std::size_t i) const {
    return static_cast<std::int16_t>(WholeNumber(Required(i), i,
                                                 std::numeric_limits<std::int16_t>::min(),
                                                 std::numeric_limits<std::int16_t>::max()));
}

std::int16_t Arguments::Int16(std::size_t i, std::int16_t omitted) const {
    return Has(i) ? Int16(i) : omitted;
}

std::int32_t Arguments::Int32(std::size_t i) const {
    return static_cast<std::int32_t>(WholeNumber(Required(i), i,
                                                 std::numeric_limits<std::int32_t>::min(),
                                                 std::numeric_limits<std::int32_t>::max()));
}

std::int32_t Arguments::Int32(std::size_t i, std::int32_t omitted) const {
    return Has(i) ? Int32(i) : omitted;
}

bool Arguments::Bool(std::size_t i) const {
    Variant v = ToVariant(Required(i), i);
    switch (v.Type()) {
        case VariantType::Null:
            throw ArgumentError{DISP_E_TYPEMISMATCH, i};
        case VariantType::String: {
            std::string text = v.ToString();
            if (text.size() == 4 && (text[0] == 't' || text[0] == 'T') &&
                (text.substr(1) == "rue" || text.substr(1) == "RUE"))
                return true;
            if (text.size() == 5 && (text[0] == 'f' || text[0] == 'F') &&
                (text.substr(1) == "alse" || text.substr(1) == "ALSE"))
                return false;
            try {
                return v.ToDouble() != 0;
            } catch (const VariantError&) {
                throw ArgumentError{DISP_E_TYPEMISMATCH, i};
            }
        }
        default:
            return v.ToDouble() != 0;
    }
}

bool Arguments::Bool(std::size_t i, bool omitted) const {
    return Has(i) ? Bool(i) : omitted;
}

Variant Arguments::Value(std::size_t i) const {
    return Has(i) ? ToVariant(Required(i), i) : Variant();
}

IDispatch* Arguments::Object(std::size_t i) const {
    const VARIANT& v = Follow(Required(i));
    if (v.vt == VT_DISPATCH) return v.pdispVal;
    if (v.vt == (VT_DISPATCH | VT_BYREF) && v.ppdispVal) return *v.ppdispVal;
    throw ArgumentError{DISP_E_TYPEMISMATCH, i};
}

void Result::Set(const Variant& value) {
    if (out_) FromVariant(value, out_);
}

void Result::SetObject(IDispatch* object) {
    if (!out_) {
        if (object) object->Release();
        return;
    }
    VariantInit(out_);
    out_->vt = VT_DISPATCH;
    out_->pdispVal = object;
}

}  // namespace vendral::internal

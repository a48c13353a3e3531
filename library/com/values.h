// Arguments and results of automation calls: VARIANTs converted as an
// automation client expects, and the library's Variants handed back.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/internal_export.h"
#include "vendral/automation_client.h"
#include "vendral/com_automation.h"
#include "vendral/errors.h"
#include "vendral/variant.h"

// The argument and result types are shared with the widget library's
// component server, so they stand in the libraries' one shared namespace.
namespace vendral::internal {

using namespace vendral::com;

// A refused argument: DISP_E_TYPEMISMATCH, DISP_E_OVERFLOW or
// DISP_E_PARAMNOTFOUND, and its position in declared order. The servers turn
// it into the call's result; one that escapes is still one of the library's
// errors.
class VENDRAL_INTERNAL ArgumentError : public Error {
  public:
    ArgumentError(HRESULT result, std::size_t position);
    HRESULT Result;
    std::size_t Position;
};

// The positional arguments of one call, in declared order (the standard
// passes them last first). An argument given as VT_ERROR with
// DISP_E_PARAMNOTFOUND counts as omitted.
class VENDRAL_INTERNAL Arguments {
  public:
    Arguments(const DISPPARAMS& params, std::size_t positional)
        : params_(params), count_(positional) {}

    std::size_t Count() const { return count_; }
    bool Has(std::size_t i) const;
    // The argument with any VT_BYREF followed.
    const VARIANT& Raw(std::size_t i) const;
    // The argument as passed (nullptr when omitted), for out arguments.
    VARIANT* Place(std::size_t i) const;

    std::string Text(std::size_t i) const;
    std::string Text(std::size_t i, const std::string& omitted) const;
    std::int16_t Int16(std::size_t i) const;
    std::int16_t Int16(std::size_t i, std::int16_t omitted) const;
    std::int32_t Int32(std::size_t i) const;
    std::int32_t Int32(std::size_t i, std::int32_t omitted) const;
    bool Bool(std::size_t i) const;
    bool Bool(std::size_t i, bool omitted) const;
    // Any value but an object; Empty when omitted.
    Variant Value(std::size_t i) const;
    // An object argument (not AddRef'd); a Nothing gives nullptr.
    IDispatch* Object(std::size_t i) const;

  private:
    const VARIANT& Required(std::size_t i) const;
    const DISPPARAMS& params_;
    std::size_t count_;
};

// The result of a call; a null out pointer means the caller wants none.
class VENDRAL_INTERNAL Result {
  public:
    explicit Result(VARIANT* out) : out_(out) {}
    void Set(const Variant& value);
    // Takes over one reference of object.
    void SetObject(IDispatch* object);

  private:
    VARIANT* out_;
};

}  // namespace vendral::internal

namespace vendral::com {

using internal::ArgumentError;
using internal::Arguments;
using internal::Result;

// Converts one VARIANT (VT_BYREF followed) into a Variant; objects and
// unknown types are a type mismatch (thrown as ArgumentError at position).
VENDRAL_TEST_INTERNAL Variant ToVariant(const VARIANT& value, std::size_t position);
// Fills a cleared VARIANT.
VENDRAL_TEST_INTERNAL void FromVariant(const Variant& value, VARIANT* out);

}  // namespace vendral::com

/// @file
/// The client side of automation objects: values between VARIANT and Variant,
/// calls by name through IDispatch, calls through the entries of a dual
/// interface (as early-bound clients make them), and small dispatch objects
/// served from a table of members. Every failure of a call becomes an
/// exception that carries the object's description and number, and a
/// DatabaseError with every driver record when the object left them.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "vendral/com_automation.h"
#include "vendral/errors.h"
#include "vendral/export.h"
#include "vendral/variant.h"

namespace vendral::com {

/// A new BSTR holding the UTF-8 @p text; free it with SysFreeString().
VENDRAL_API BSTR NewBstr(std::string_view text);
/// The UTF-8 text of a BSTR (empty for null).
VENDRAL_API std::string BstrText(BSTR text);

/// One VARIANT, cleared when it goes.
class VENDRAL_API OwnedVariant {
  public:
    /// An empty value.
    OwnedVariant() { VariantInit(&Value); }
    ~OwnedVariant() { VariantClear(&Value); }
    OwnedVariant(const OwnedVariant&) = delete;
    OwnedVariant& operator=(const OwnedVariant&) = delete;
    /// The value.
    VARIANT Value;
};

/// The VARIANTs of a call, each cleared when the list goes.
struct VariantList {
    /// @p count empty values.
    explicit VariantList(std::size_t count) : Items(count) {
        for (VARIANT& item : Items) VariantInit(&item);
    }
    ~VariantList() {
        for (VARIANT& item : Items) VariantClear(&item);
    }
    VariantList(const VariantList&) = delete;
    VariantList& operator=(const VariantList&) = delete;
    /// The values.
    std::vector<VARIANT> Items;
};

/// The Variant a VARIANT holds (a reference followed).
/// @throws ComCallError DISP_E_TYPEMISMATCH for an object or a type a
///         Variant cannot hold.
VENDRAL_API Variant ValueOf(const VARIANT& value);
/// Fills the cleared VARIANT @p out with @p value.
VENDRAL_API void SetValue(const Variant& value, VARIANT* out);

/// Throws the failure @p hr of a call of @p member on interface @p iid of
/// @p object: a DatabaseError with the records the serving library left,
/// else a ComCallError with the description of the object's error, of
/// @p exception (which is freed) or of @p hr.
[[noreturn]] VENDRAL_API void ThrowFailure(IUnknown* object, const IID& iid, HRESULT hr,
                                           const std::string& member,
                                           EXCEPINFO* exception = nullptr);

/// Calls by name on a dispatch object, keeping the ids it has looked up. The
/// object is not referenced: it must outlive this caller.
class VENDRAL_API Dispatch {
  public:
    /// A caller of @p object.
    explicit Dispatch(IDispatch* object) : object_(object) {}
    /// The dispatch id of @p member. @throws ComCallError when it has none.
    DISPID Id(const std::string& member);
    /// Invokes @p member as @p flags says with @p args in the standard order
    /// (the last argument first); @p result may be null. @throws as ThrowFailure.
    void Invoke(const std::string& member, WORD flags, std::vector<VARIANT>& args, VARIANT* result);
    /// Invokes @p member with @p args in declared order and gives its result.
    Variant Call(const std::string& member, WORD flags, const std::vector<Variant>& args = {});
    /// Reads property @p member.
    Variant Get(const std::string& member) { return Call(member, DISPATCH_PROPERTYGET); }
    /// Calls method @p member without arguments; its result is dropped.
    void Method(const std::string& member);
    /// The object called.
    IDispatch* Object() const { return object_; }

  private:
    IDispatch* object_;
    std::map<std::string, DISPID> ids_;
};

/// The entries of a dual interface by member name and kind, found in the
/// object's type information and called directly, as early-bound clients do:
/// each argument converted to the type the description gives it, an omitted
/// one given its default.
class VENDRAL_API DualInterface {
  public:
    /// A caller of the dual interface @p object (one reference is taken).
    /// @throws ComCallError when the object describes no interface.
    explicit DualInterface(IDispatch* object);
    /// Drops the reference.
    ~DualInterface();
    DualInterface(const DualInterface&) = delete;
    DualInterface& operator=(const DualInterface&) = delete;

    /// Calls @p member's entry of @p kind with @p args in declared order
    /// (fewer than declared leave the rest out). @throws UsageError "07001" for
    /// more arguments than the entry declares, before anything is called;
    /// otherwise as ThrowFailure.
    Variant Call(const std::string& member, INVOKEKIND kind, const std::vector<Variant>& args = {});
    /// A property that reads as an object (null for Nothing); the caller
    /// releases it.
    IDispatch* Object(const std::string& member);
    /// The interface called.
    IDispatch* Get() const { return object_; }

  private:
    // An argument as the entry takes it: VT_VARIANT by address, any other
    // type by value or, ByRef, by address; Default fills an omitted one.
    struct Argument {
        VARTYPE Type = VT_VARIANT;
        bool ByRef = false;
        bool HasDefault = false;
        Variant Default;
    };
    struct Entry {
        std::size_t Slot = 0;
        std::vector<Argument> Arguments;
        // The type of the result's place (VT_EMPTY: none; VT_VARIANT: a VARIANT).
        VARTYPE Result = VT_EMPTY;
    };
    const Entry& Find(const std::string& member, INVOKEKIND kind) const;
    void Run(const std::string& member, INVOKEKIND kind, const std::vector<Variant>& args,
             VARIANT* result);

    IDispatch* object_;
    IID iid_{};
    std::map<std::pair<std::string, INVOKEKIND>, Entry> entries_;
};

/// Takes over the object that @p value holds (null for Nothing) and leaves
/// @p value empty. @throws ComCallError when it holds no object.
VENDRAL_API IDispatch* TakeObject(VARIANT& value, const std::string& member);

/// One method of a served dispatch object: its name, its argument count and
/// what it does with the arguments (in declared order).
struct DispatchMethod {
    std::string Name;                                          ///< Matched without regard to case.
    std::size_t Params = 0;                                    ///< The number of arguments.
    std::function<Variant(const std::vector<Variant>&)> Body;  ///< Runs the method.
};

/// A new dispatch object with one reference that serves @p methods: their
/// names through GetIDsOfNames, their calls through Invoke (an exception of
/// a body becomes DISP_E_EXCEPTION with its text, under @p source).
VENDRAL_API IDispatch* NewDispatchObject(std::vector<DispatchMethod> methods,
                                         const std::string& source);

}  // namespace vendral::com

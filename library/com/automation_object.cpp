#include "com/automation_object.h"

#include <strings.h>

#include <cstring>
#include <exception>
#include <new>
#include <stdexcept>
#include <typeinfo>

#include "com/automation_text.h"
#include "com/error_info.h"
#include "com/server_module.h"
#include "vendral/connection.h"
#include "vendral/numbered_error.h"

namespace vendral::com {
namespace {

// Numbers of errors raised inside a call, as an automation client of the
// original component saw them: provider errors as the data layer's generic
// failure, the language's own errors in its error range.
constexpr SCODE kProviderError = E_FAIL;
constexpr SCODE kTypeMismatchError = static_cast<SCODE>(0x800A000D);
constexpr SCODE kInvalidCallError = static_cast<SCODE>(0x800A0005);
constexpr SCODE kOutOfMemoryError = static_cast<SCODE>(0x800A0007);
constexpr SCODE kRuntimeErrorBase = static_cast<SCODE>(0x800A0000);

bool IsOwner(const ObjectHeader* self) {
    return self->Owner == std::this_thread::get_id();
}

// The caller's EXCEPINFO and the thread's error object, for dispatch and
// vtable callers alike.
void FillError(const IID& iid, EXCEPINFO* error, SCODE number, const std::string& description,
               std::vector<ErrorRecord> records = {}) {
    try {
        LeaveErrorInfo(NewErrorInfo(iid, "Vendral", description, std::move(records)));
    } catch (const std::bad_alloc&) {
        LeaveErrorInfo(nullptr);
    }
    if (!error) return;
    std::memset(error, 0, sizeof *error);
    error->bstrSource = AllocBstr("Vendral");
    error->bstrDescription = AllocBstr(description);
    error->scode = number;
}

ObjectHeader* FromNative(void* self) {
    return reinterpret_cast<ObjectHeader*>(static_cast<char*>(self) - sizeof(void*));
}

HRESULT VENDRAL_COM_CALL QueryInterfaceEntry(ObjectHeader* self, const IID& iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == *self->Class->Iid) {
        *out = self;
    } else if (iid == IID_IVendralNative) {
        *out = &self->NativeTable;
    } else if (iid == IID_ISupportErrorInfo) {
        *out = &self->ErrorSupportTable;
    } else {
        return E_NOINTERFACE;
    }
    self->References.fetch_add(1);
    return S_OK;
}

ULONG VENDRAL_COM_CALL AddRefEntry(ObjectHeader* self) {
    return self->References.fetch_add(1) + 1;
}

ULONG VENDRAL_COM_CALL ReleaseEntry(ObjectHeader* self) {
    ULONG left = self->References.fetch_sub(1) - 1;
    if (left == 0) self->Class->Destroy(self);
    return left;
}

HRESULT VENDRAL_COM_CALL GetTypeInfoCountEntry(ObjectHeader* self, UINT* count) {
    if (!IsOwner(self)) return RPC_E_WRONG_THREAD;
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT VENDRAL_COM_CALL GetTypeInfoEntry(ObjectHeader* self, UINT index, LCID, ITypeInfo** out) {
    if (!IsOwner(self)) return RPC_E_WRONG_THREAD;
    if (!out) return E_POINTER;
    *out = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    try {
        *out = NewTypeInfo(*self->Class);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT VENDRAL_COM_CALL GetIDsOfNamesEntry(ObjectHeader* self, const IID&, LPOLESTR* names,
                                            UINT count, LCID, DISPID* ids) {
    if (!IsOwner(self)) return RPC_E_WRONG_THREAD;
    if (!names || !ids || count == 0) return E_INVALIDARG;
    DISPID id = self->Class->FindId(OleToUtf8(names[0]));
    ids[0] = id;
    HRESULT result = id == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
    // Further names are argument names of the member: their positions.
    for (UINT i = 1; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        std::string wanted = OleToUtf8(names[i]);
        for (const MemberInfo& member : self->Class->Members) {
            if (member.Id != id) continue;
            for (std::size_t p = 0; p < member.ParamNames.size(); ++p) {
                if (strcasecmp(member.ParamNames[p].c_str(), wanted.c_str()) == 0)
                    ids[i] = static_cast<DISPID>(p);
            }
        }
        if (ids[i] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
    }
    return result;
}

// The table row that serves a dispatch id with the given flags.
const MemberInfo* ChooseRow(const ClassInfo& info, DISPID id, WORD flags, std::size_t& row,
                            bool objectValue) {
    auto find = [&](MemberKind kind) -> const MemberInfo* {
        for (std::size_t i = 0; i < info.Members.size(); ++i) {
            if (info.Members[i].Id == id && info.Members[i].Kind == kind) {
                row = i;
                return &info.Members[i];
            }
        }
        return nullptr;
    };
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        bool byRef = (flags & DISPATCH_PROPERTYPUTREF) != 0 || objectValue;
        const MemberInfo* first = find(byRef ? MemberKind::PutRef : MemberKind::Put);
        return first ? first : find(byRef ? MemberKind::Put : MemberKind::PutRef);
    }
    if (flags & DISPATCH_METHOD) {
        if (const MemberInfo* method = find(MemberKind::Method)) return method;
        // A property may be read with the method flag, as scripting clients do.
        return find(MemberKind::Get);
    }
    if (flags & DISPATCH_PROPERTYGET) return find(MemberKind::Get);
    return nullptr;
}

// The arguments of a call with named ones, put in declared order as a
// positional call passes them (last first); slots nobody gave are omitted.
// Slot holds, per declared position, the caller's index in rgvarg.
struct NamedCall {
    std::vector<VARIANT> Values;
    std::vector<UINT> CallerIndex;
    DISPPARAMS Params{nullptr, nullptr, 0, 0};
};

HRESULT ArrangeNamed(const DISPPARAMS& given, const MemberInfo& member, NamedCall& call,
                     UINT* argError) {
    std::size_t declared = member.ParamNames.size();
    std::size_t positional = given.cArgs - given.cNamedArgs;
    if (positional > declared) return DISP_E_BADPARAMCOUNT;
    constexpr UINT kNobody = ~0u;
    std::vector<UINT> from(declared, kNobody);
    // Positional arguments stand after the named ones in rgvarg, last first.
    for (std::size_t p = 0; p < positional; ++p) from[p] = static_cast<UINT>(given.cArgs - 1 - p);
    for (UINT n = 0; n < given.cNamedArgs; ++n) {
        DISPID position = given.rgdispidNamedArgs[n];
        if (position < 0 || static_cast<std::size_t>(position) >= declared ||
            from[static_cast<std::size_t>(position)] != kNobody) {
            if (argError) *argError = n;
            return DISP_E_PARAMNOTFOUND;
        }
        from[static_cast<std::size_t>(position)] = n;
    }
    // Only the trailing optional arguments may be left out by a named call.
    for (std::size_t p = 0; p + member.Optional < declared; ++p)
        if (from[p] == kNobody) return DISP_E_PARAMNOTOPTIONAL;
    std::size_t count = declared;
    while (count > 0 && from[count - 1] == kNobody) --count;
    call.Values.resize(count);
    call.CallerIndex.assign(count, kNobody);
    for (std::size_t p = 0; p < count; ++p) {
        VARIANT& slot = call.Values[count - 1 - p];
        if (from[p] == kNobody) {
            VariantInit(&slot);
            slot.vt = VT_ERROR;
            slot.scode = DISP_E_PARAMNOTFOUND;
        } else {
            // A shallow copy: the caller keeps owning what it passed.
            slot = given.rgvarg[from[p]];
        }
        call.CallerIndex[count - 1 - p] = from[p];
    }
    call.Params = {call.Values.data(), nullptr, static_cast<UINT>(count), 0};
    return S_OK;
}

HRESULT VENDRAL_COM_CALL InvokeEntry(ObjectHeader* self, DISPID id, const IID&, LCID, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* error,
                                     UINT* argError) {
    if (!IsOwner(self)) return RPC_E_WRONG_THREAD;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    if (!params) params = &none;
    if (params->cArgs < params->cNamedArgs || (params->cArgs > 0 && !params->rgvarg) ||
        (params->cNamedArgs > 0 && !params->rgdispidNamedArgs))
        return E_INVALIDARG;
    bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    // The value of a property put is the one named DISPID_PROPERTYPUT; a
    // put takes no other named argument.
    bool putValue =
        put && params->cNamedArgs == 1 && params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
    if (put && params->cNamedArgs > 0 && !putValue) return DISP_E_NONAMEDARGS;
    bool objectValue = put && params->cArgs > 0 && params->rgvarg[0].vt == VT_DISPATCH;
    std::size_t row = 0;
    const MemberInfo* member = ChooseRow(*self->Class, id, flags, row, objectValue);
    if (!member) return DISP_E_MEMBERNOTFOUND;
    std::size_t declared = member->ParamNames.size();
    NamedCall named;
    if (!put && params->cNamedArgs > 0) {
        HRESULT arranged = ArrangeNamed(*params, *member, named, argError);
        if (FAILED(arranged)) return arranged;
        params = &named.Params;
    }
    if (params->cArgs > declared || params->cArgs + member->Optional < declared)
        return DISP_E_BADPARAMCOUNT;
    if (result) VariantInit(result);
    HRESULT hr = self->Class->Call(self, row, *params, HasResult(member->Kind) ? result : nullptr,
                                   error, argError);
    // A refused argument is reported at the caller's index of it.
    if (argError && !named.CallerIndex.empty() && *argError < named.CallerIndex.size() &&
        (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_OVERFLOW || hr == DISP_E_PARAMNOTFOUND) &&
        named.CallerIndex[*argError] != ~0u)
        *argError = named.CallerIndex[*argError];
    return hr;
}

HRESULT VENDRAL_COM_CALL NativeQueryInterface(void* self, const IID& iid, void** out) {
    return QueryInterfaceEntry(FromNative(self), iid, out);
}
ULONG VENDRAL_COM_CALL NativeAddRef(void* self) {
    return AddRefEntry(FromNative(self));
}
ULONG VENDRAL_COM_CALL NativeRelease(void* self) {
    return ReleaseEntry(FromNative(self));
}
HRESULT VENDRAL_COM_CALL NativeEntry(void* raw, const IID& kind, void** out) {
    ObjectHeader* self = FromNative(raw);
    if (!IsOwner(self)) return RPC_E_WRONG_THREAD;
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!(kind == *self->Class->Iid)) return E_NOINTERFACE;
    *out = self->Class->Native(self);
    return *out ? S_OK : E_NOINTERFACE;
}

ObjectHeader* FromErrorSupport(void* self) {
    return reinterpret_cast<ObjectHeader*>(static_cast<char*>(self) - 2 * sizeof(void*));
}
HRESULT VENDRAL_COM_CALL SupportQueryInterface(void* self, const IID& iid, void** out) {
    return QueryInterfaceEntry(FromErrorSupport(self), iid, out);
}
ULONG VENDRAL_COM_CALL SupportAddRef(void* self) {
    return AddRefEntry(FromErrorSupport(self));
}
ULONG VENDRAL_COM_CALL SupportRelease(void* self) {
    return ReleaseEntry(FromErrorSupport(self));
}
HRESULT VENDRAL_COM_CALL InterfaceSupportsErrorInfoEntry(void* raw, const IID& iid) {
    ObjectHeader* self = FromErrorSupport(raw);
    return iid == *self->Class->Iid || iid == IID_IDispatch ? S_OK : S_FALSE;
}

template <class F>
const void* AsEntry(F function) {
    return reinterpret_cast<const void*>(function);
}

}  // namespace

}  // namespace vendral::com

namespace vendral::internal {

const void* const kDispatchEntries[7] = {
    AsEntry(&QueryInterfaceEntry), AsEntry(&AddRefEntry),
    AsEntry(&ReleaseEntry),        AsEntry(&GetTypeInfoCountEntry),
    AsEntry(&GetTypeInfoEntry),    AsEntry(&GetIDsOfNamesEntry),
    AsEntry(&InvokeEntry)};

namespace {
const void* const kNativeTable[6] = {nullptr,
                                     &typeid(IVendralNative),
                                     AsEntry(&NativeQueryInterface),
                                     AsEntry(&NativeAddRef),
                                     AsEntry(&NativeRelease),
                                     AsEntry(&NativeEntry)};
}  // namespace

const void* const* NativeTable() {
    return kNativeTable + 2;
}

namespace {
const void* const kErrorSupportTable[6] = {nullptr,
                                           &typeid(ISupportErrorInfo),
                                           AsEntry(&SupportQueryInterface),
                                           AsEntry(&SupportAddRef),
                                           AsEntry(&SupportRelease),
                                           AsEntry(&InterfaceSupportsErrorInfoEntry)};
}  // namespace

const void* const* ErrorSupportTable() {
    return kErrorSupportTable + 2;
}

const void* DispatchTypeWord() {
    return &typeid(IDispatch);
}

std::vector<ParamInfo> ParseParams(const char* params) {
    std::vector<ParamInfo> out;
    if (!params || !*params) return out;
    std::string text(params);
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos) end = text.size();
        std::string item;
        for (char c : text.substr(start, end - start))
            if (c != '[' && c != ']') item.push_back(c);
        ParamInfo param;
        std::size_t equals = item.find('=');
        if (equals != std::string::npos) {
            param.HasDefault = true;
            param.Default = item.substr(equals + 1);
            item.erase(equals);
        }
        std::size_t colon = item.find(':');
        if (colon != std::string::npos) {
            std::string type = item.substr(colon + 1);
            if (!type.empty() && type.front() == '&') {
                param.ByRef = true;
                type.erase(0, 1);
            }
            if (!type.empty()) param.Type = type;
            item.erase(colon);
        }
        param.Name = item;
        out.push_back(std::move(param));
        start = end + 1;
    }
    return out;
}

DISPID ClassInfo::FindId(const std::string& name) const {
    for (const MemberInfo& member : Members)
        if (strcasecmp(member.Name.c_str(), name.c_str()) == 0) return member.Id;
    return DISPID_UNKNOWN;
}

VARTYPE EntryType(const std::string& type) {
    if (type == "String") return VT_BSTR;
    if (type == "Integer") return VT_I2;
    if (type == "Boolean") return VT_BOOL;
    if (type == "Object") return VT_DISPATCH;
    if (type.empty() || type == "Variant") return VT_VARIANT;
    // Long, and the enumerations of the library.
    return VT_I4;
}

namespace {

// An entry's argument as Invoke would have been given it.
void ArgumentOfWord(const ParamInfo& param, EntryWord word, VARIANT& slot) {
    VariantInit(&slot);
    VARTYPE type = EntryType(param.Type);
    if (type == VT_VARIANT || param.ByRef) {
        if (word == 0) {
            slot.vt = VT_ERROR;
            slot.scode = DISP_E_PARAMNOTFOUND;
        } else if (!param.ByRef) {
            // A shallow copy: the caller keeps owning what it passed.
            slot = *reinterpret_cast<const VARIANT*>(word);
        } else {
            slot.vt = static_cast<VARTYPE>(type | VT_BYREF);
            slot.byref = reinterpret_cast<void*>(word);
        }
        return;
    }
    slot.vt = type;
    switch (type) {
        case VT_BSTR:
            slot.bstrVal = reinterpret_cast<BSTR>(word);
            break;
        case VT_I2:
            slot.iVal = static_cast<std::int16_t>(word);
            break;
        case VT_BOOL:
            slot.boolVal = static_cast<VARIANT_BOOL>(word);
            break;
        case VT_DISPATCH:
            slot.pdispVal = reinterpret_cast<IDispatch*>(word);
            break;
        default:
            slot.lVal = static_cast<std::int32_t>(word);
    }
}

// Stores a result into the caller's place of the property's type, taking over
// what value holds.
HRESULT StoreResult(const std::string& type, VARIANT& value, EntryWord place) {
    HRESULT hr = S_OK;
    try {
        switch (EntryType(type)) {
            case VT_BSTR:
                if (value.vt == VT_BSTR) {
                    *reinterpret_cast<BSTR*>(place) = value.bstrVal;
                    value.vt = VT_EMPTY;
                } else {
                    *reinterpret_cast<BSTR*>(place) = AllocBstr(ToVariant(value, 0).ToString());
                }
                break;
            case VT_I2:
                *reinterpret_cast<std::int16_t*>(place) =
                    static_cast<std::int16_t>(ToVariant(value, 0).ToLongLong());
                break;
            case VT_BOOL:
                *reinterpret_cast<VARIANT_BOOL*>(place) =
                    ToVariant(value, 0).ToBool() ? VARIANT_TRUE : VARIANT_FALSE;
                break;
            case VT_DISPATCH:
                if (value.vt == VT_DISPATCH) {
                    *reinterpret_cast<IDispatch**>(place) = value.pdispVal;
                    value.vt = VT_EMPTY;
                } else if (value.vt == VT_EMPTY) {
                    *reinterpret_cast<IDispatch**>(place) = nullptr;
                } else {
                    hr = DISP_E_TYPEMISMATCH;
                }
                break;
            case VT_VARIANT:
                *reinterpret_cast<VARIANT*>(place) = value;
                value.vt = VT_EMPTY;
                break;
            default:
                *reinterpret_cast<std::int32_t*>(place) =
                    static_cast<std::int32_t>(ToVariant(value, 0).ToLongLong());
        }
    } catch (...) {
        hr = DISP_E_TYPEMISMATCH;
    }
    VariantClear(&value);
    return hr;
}

}  // namespace

HRESULT CallFromTable(ObjectHeader* self, std::size_t index, const EntryWord* args,
                      std::size_t count, EntryWord result) {
    if (!IsOwner(self)) return RPC_E_WRONG_THREAD;
    const MemberInfo& member = self->Class->Members[index];
    // Standard order: the last argument first.
    std::vector<VARIANT> reversed(count);
    for (std::size_t i = 0; i < count; ++i)
        ArgumentOfWord(member.Params[i], args[i], reversed[count - 1 - i]);
    DISPID putId = DISPID_PROPERTYPUT;
    bool put = !HasResult(member.Kind);
    DISPPARAMS params{reversed.data(), put ? &putId : nullptr, static_cast<UINT>(count),
                      put ? 1u : 0u};
    if (put && count != 1) return DISP_E_BADPARAMCOUNT;
    // A method gives a VARIANT; a property get the type it reads as.
    std::string type = member.Kind == MemberKind::Get ? member.Returns : "";
    VARIANT value;
    VariantInit(&value);
    if (result && EntryType(type) == VT_VARIANT) VariantInit(reinterpret_cast<VARIANT*>(result));
    EXCEPINFO error{};
    UINT argError = 0;
    HRESULT hr =
        self->Class->Call(self, index, params, result ? &value : nullptr, &error, &argError);
    if (hr == DISP_E_EXCEPTION) {
        hr = error.scode ? error.scode : E_FAIL;
        SysFreeString(error.bstrSource);
        SysFreeString(error.bstrDescription);
        SysFreeString(error.bstrHelpFile);
    }
    if (SUCCEEDED(hr) && result) return StoreResult(type, value, result);
    VariantClear(&value);
    return hr;
}

void CountObject(ServerModule* module, int delta) {
    if (module) module->Objects.fetch_add(delta);
}

}  // namespace vendral::internal

namespace vendral::com {

void* NativeOf(IUnknown* object, const IID& kind) {
    if (!object) return nullptr;
    void* raw = nullptr;
    if (FAILED(object->QueryInterface(IID_IVendralNative, &raw)) || !raw) return nullptr;
    auto* native = static_cast<IVendralNative*>(raw);
    void* result = nullptr;
    if (FAILED(native->Native(kind, &result))) result = nullptr;
    native->Release();
    return result;
}

}  // namespace vendral::com

namespace vendral::internal {

void ClearErrorInfo() {
    LeaveErrorInfo(nullptr);
}

HRESULT TranslateCurrentException(const IID& iid, std::size_t argCount, EXCEPINFO* error,
                                  UINT* argError) {
    try {
        throw;
    } catch (const ArgumentError& bad) {
        // puArgErr counts in the standard order, last argument first.
        if (argError && bad.Position < argCount)
            *argError = static_cast<UINT>(argCount - 1 - bad.Position);
        return bad.Result;
    } catch (const DatabaseError& failure) {
        FillError(iid, error, kProviderError, failure.Description(), failure.Records());
    } catch (const ComCallError& failure) {
        FillError(iid, error, failure.Number(), failure.what());
    } catch (const NumberedError& failure) {
        // The runtime's own numbered errors (11 division by zero, 380
        // invalid property value) in its error range, as clients know them.
        FillError(iid, error, kRuntimeErrorBase | (failure.Number() & 0xFFFF), failure.what());
    } catch (const VariantError& failure) {
        FillError(iid, error, kTypeMismatchError, failure.what());
    } catch (const std::bad_alloc&) {
        FillError(iid, error, kOutOfMemoryError, "Out of memory");
    } catch (const std::logic_error& failure) {
        FillError(iid, error, kInvalidCallError, failure.what());
    } catch (const std::exception& failure) {
        FillError(iid, error, E_FAIL, failure.what());
    } catch (...) {
        FillError(iid, error, E_FAIL, "unknown error");
    }
    return DISP_E_EXCEPTION;
}

}  // namespace vendral::internal

// The client side of automation objects: calls by name, calls through the
// entries of a dual interface, values between VARIANT and Variant, and small
// dispatch objects served from a list of methods.
#include "vendral/automation_client.h"

#include <strings.h>

#include <cstdio>
#include <stdexcept>

#include "com/automation_text.h"
#include "com/ref_counted.h"
#include "com/values.h"
#include "vendral/com_client.h"
#include "vendral/connection.h"

namespace vendral::com {
namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string Hex(HRESULT result) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(result));
    return text;
}

template <class T>
struct Released {
    T* Object = nullptr;
    ~Released() {
        if (Object) Object->Release();
    }
};

}  // namespace

Variant ValueOf(const VARIANT& value) {
    try {
        return ToVariant(value, 0);
    } catch (const ArgumentError&) {
        throw ComCallError(DISP_E_TYPEMISMATCH,
                           "the object answered a value of type " + std::to_string(value.vt));
    }
}

void SetValue(const Variant& value, VARIANT* out) {
    FromVariant(value, out);
}

BSTR NewBstr(std::string_view text) {
    return AllocBstr(text);
}

std::string BstrText(BSTR text) {
    return BstrToUtf8(text);
}

// The error a failed call left: the thread's error object of the serving
// library first (with the database's records), else what EXCEPINFO says.
void ThrowFailure(IUnknown* object, const IID& iid, HRESULT hr, const std::string& member,
                  EXCEPINFO* exception) {
    std::string description;
    HRESULT number = hr;
    if (exception && hr == DISP_E_EXCEPTION) {
        description = BstrToUtf8(exception->bstrDescription);
        if (exception->scode) number = exception->scode;
        SysFreeString(exception->bstrSource);
        SysFreeString(exception->bstrDescription);
        SysFreeString(exception->bstrHelpFile);
        *exception = EXCEPINFO{};
    }
    Released<IErrorInfo> error{TakeErrorInfo(object, iid)};
    if (error.Object) {
        void* raw = nullptr;
        if (SUCCEEDED(error.Object->QueryInterface(IID_IVendralErrorRecords, &raw)) && raw) {
            Released<IVendralErrorRecords> records{static_cast<IVendralErrorRecords*>(raw)};
            ULONG count = 0;
            records.Object->GetRecordCount(&count);
            std::vector<ErrorRecord> list;
            for (ULONG i = 0; i < count; ++i) {
                BSTR text = nullptr, state = nullptr;
                LONG native = 0;
                if (FAILED(records.Object->GetRecord(i, &text, &state, &native))) continue;
                list.push_back({BstrToUtf8(text), BstrToUtf8(state), native});
                SysFreeString(text);
                SysFreeString(state);
            }
            if (!list.empty()) throw DatabaseError(std::move(list));
        }
        BSTR text = nullptr;
        if (SUCCEEDED(error.Object->GetDescription(&text))) {
            std::string left = BstrToUtf8(text);
            if (!left.empty()) description = left;
        }
        SysFreeString(text);
    }
    if (description.empty()) description = member + " failed (error " + Hex(hr) + ")";
    throw ComCallError(number, description);
}

DISPID Dispatch::Id(const std::string& member) {
    auto found = ids_.find(member);
    if (found != ids_.end()) return found->second;
    std::u16string wide = detail::ToUtf16(member);
    LPOLESTR names[] = {AsOle(wide.data())};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = object_->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
    if (FAILED(hr)) ThrowFailure(object_, IID_IDispatch, hr, member);
    ids_.emplace(member, id);
    return id;
}

void Dispatch::Invoke(const std::string& member, WORD flags, std::vector<VARIANT>& args,
                      VARIANT* result) {
    DISPPARAMS params{args.empty() ? nullptr : args.data(), nullptr, static_cast<UINT>(args.size()),
                      0};
    EXCEPINFO exception{};
    UINT argError = 0;
    HRESULT hr =
        object_->Invoke(Id(member), IID_NULL, 0, flags, &params, result, &exception, &argError);
    if (FAILED(hr)) ThrowFailure(object_, IID_IDispatch, hr, member, &exception);
}

void Dispatch::Method(const std::string& member) {
    std::vector<VARIANT> none;
    OwnedVariant result;
    Invoke(member, DISPATCH_METHOD, none, &result.Value);
}

Variant Dispatch::Call(const std::string& member, WORD flags, const std::vector<Variant>& args) {
    VariantList values(args.size());
    // The standard order: the last argument first.
    for (std::size_t i = 0; i < args.size(); ++i)
        FromVariant(args[i], &values.Items[args.size() - 1 - i]);
    OwnedVariant result;
    Invoke(member, flags, values.Items, &result.Value);
    return ValueOf(result.Value);
}

// Takes over one reference of the object in value; nullptr for Nothing.
IDispatch* TakeObject(VARIANT& value, const std::string& member) {
    if (value.vt != VT_DISPATCH)
        throw ComCallError(DISP_E_TYPEMISMATCH, member + " did not read as an object");
    IDispatch* object = value.pdispVal;
    value.vt = VT_EMPTY;
    value.pdispVal = nullptr;
    return object;
}

namespace {

// One argument word of an entry: an address or an integer (see
// com/automation_object.h).
using Pointer = std::uintptr_t;

// The type code an entry passes a described type as.
VARTYPE EntryTypeOf(const TYPEDESC& type) {
    return type.vt == VT_USERDEFINED ? static_cast<VARTYPE>(VT_I4) : type.vt;
}

// value in scratch as the type the entry takes; objects cannot be given here.
void Coerce(const Variant& value, VARTYPE type, VARIANT& scratch) {
    scratch.vt = type;
    switch (type) {
        case VT_BSTR:
            scratch.bstrVal = AllocBstr(value.ToString());
            break;
        case VT_I2:
            scratch.iVal = static_cast<std::int16_t>(value.ToLongLong());
            break;
        case VT_BOOL:
            scratch.boolVal = value.ToBool() ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case VT_DISPATCH:
            scratch.pdispVal = nullptr;
            break;
        default:
            scratch.vt = VT_I4;
            scratch.lVal = static_cast<std::int32_t>(value.ToLongLong());
    }
}

// The word of a value passed by value.
Pointer WordOf(const VARIANT& value) {
    switch (value.vt) {
        case VT_BSTR:
            return reinterpret_cast<Pointer>(value.bstrVal);
        case VT_I2:
            return static_cast<Pointer>(static_cast<std::intptr_t>(value.iVal));
        case VT_BOOL:
            return static_cast<Pointer>(static_cast<std::intptr_t>(value.boolVal));
        case VT_DISPATCH:
            return reinterpret_cast<Pointer>(value.pdispVal);
        default:
            return static_cast<Pointer>(static_cast<std::intptr_t>(value.lVal));
    }
}

HRESULT CallEntry(const void* constEntry, void* self, Pointer* a, std::size_t count) {
    // The table holds the entries as untyped words; each is called with its own shape.
    void* entry = const_cast<void*>(constEntry);
    switch (count) {  // NOLINT(bugprone-branch-clone): each case calls a different shape

        case 0:
            return reinterpret_cast<HRESULT(VENDRAL_COM_CALL*)(void*)>(entry)(self);
        case 1:
            return reinterpret_cast<HRESULT(VENDRAL_COM_CALL*)(void*, Pointer)>(entry)(self, a[0]);
        case 2:
            return reinterpret_cast<HRESULT(VENDRAL_COM_CALL*)(void*, Pointer, Pointer)>(entry)(
                self, a[0], a[1]);
        case 3:
            return reinterpret_cast<HRESULT(VENDRAL_COM_CALL*)(void*, Pointer, Pointer, Pointer)>(
                entry)(self, a[0], a[1], a[2]);
        case 4:
            return reinterpret_cast<HRESULT(VENDRAL_COM_CALL*)(
                void*, Pointer, Pointer, Pointer, Pointer)>(entry)(self, a[0], a[1], a[2], a[3]);
        case 5:
            return reinterpret_cast<HRESULT(VENDRAL_COM_CALL*)(
                void*, Pointer, Pointer, Pointer, Pointer, Pointer)>(entry)(self, a[0], a[1], a[2],
                                                                            a[3], a[4]);
        case 6:
            return reinterpret_cast<HRESULT(VENDRAL_COM_CALL*)(void*, Pointer, Pointer, Pointer,
                                                               Pointer, Pointer, Pointer)>(entry)(
                self, a[0], a[1], a[2], a[3], a[4], a[5]);
        case 7:
            return reinterpret_cast<HRESULT(VENDRAL_COM_CALL*)(
                void*, Pointer, Pointer, Pointer, Pointer, Pointer, Pointer, Pointer)>(entry)(
                self, a[0], a[1], a[2], a[3], a[4], a[5], a[6]);
        case 8:
            return reinterpret_cast<HRESULT(VENDRAL_COM_CALL*)(
                void*, Pointer, Pointer, Pointer, Pointer, Pointer, Pointer, Pointer, Pointer)>(
                entry)(self, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
        default:
            return E_NOTIMPL;
    }
}

}  // namespace

DualInterface::DualInterface(IDispatch* object) : object_(object) {
    if (!object_) throw ComCallError(E_POINTER, "no object");
    object_->AddRef();
    try {
        ITypeInfo* info = nullptr;
        HRESULT hr = object_->GetTypeInfo(0, 0, &info);
        if (FAILED(hr) || !info) ThrowFailure(object_, IID_IDispatch, hr, "GetTypeInfo");
        Released<ITypeInfo> type{info};
        TYPEATTR* attr = nullptr;
        hr = info->GetTypeAttr(&attr);
        if (FAILED(hr) || !attr) ThrowFailure(object_, IID_IDispatch, hr, "GetTypeAttr");
        iid_ = attr->guid;
        WORD functions = attr->cFuncs;
        info->ReleaseTypeAttr(attr);
        for (UINT i = 0; i < functions; ++i) {
            FUNCDESC* desc = nullptr;
            if (FAILED(info->GetFuncDesc(i, &desc)) || !desc) continue;
            BSTR name = nullptr;
            UINT names = 0;
            if (SUCCEEDED(info->GetNames(desc->memid, &name, 1, &names)) && names == 1) {
                Entry entry;
                entry.Slot = static_cast<std::size_t>(desc->oVft) / sizeof(void*);
                for (int k = 0; k < desc->cParams; ++k) {
                    const ELEMDESC& param = desc->lprgelemdescParam[k];
                    Argument argument;
                    argument.ByRef = param.tdesc.vt == VT_PTR;
                    argument.Type =
                        EntryTypeOf(argument.ByRef ? *param.tdesc.lptdesc : param.tdesc);
                    if ((param.paramdesc.wParamFlags & PARAMFLAG_FHASDEFAULT) &&
                        param.paramdesc.pparamdescex) {
                        argument.HasDefault = true;
                        argument.Default = ValueOf(param.paramdesc.pparamdescex->varDefaultValue);
                    }
                    entry.Arguments.push_back(argument);
                }
                if (desc->elemdescFunc.tdesc.vt != VT_VOID)
                    entry.Result = EntryTypeOf(desc->elemdescFunc.tdesc);
                entries_.emplace(std::make_pair(Lower(BstrToUtf8(name)), desc->invkind), entry);
            }
            SysFreeString(name);
            info->ReleaseFuncDesc(desc);
        }
    } catch (...) {
        object_->Release();
        throw;
    }
}

DualInterface::~DualInterface() {
    object_->Release();
}

const DualInterface::Entry& DualInterface::Find(const std::string& member, INVOKEKIND kind) const {
    auto found = entries_.find({Lower(member), kind});
    if (found == entries_.end())
        throw ComCallError(DISP_E_MEMBERNOTFOUND,
                           "the object's interface has no entry for " + member);
    return found->second;
}

void DualInterface::Run(const std::string& member, INVOKEKIND kind,
                        const std::vector<Variant>& args, VARIANT* result) {
    const Entry& entry = Find(member, kind);
    const std::size_t declared = entry.Arguments.size();
    if (args.size() > declared)
        throw UsageError(member + " takes " + std::to_string(declared) + " arguments", "07001");
    // The values passed, and the place of a typed result after them.
    VariantList values(declared + 1);
    std::vector<Pointer> words(declared + (entry.Result != VT_EMPTY ? 1 : 0), 0);
    for (std::size_t i = 0; i < declared; ++i) {
        const Argument& argument = entry.Arguments[i];
        const bool given = i < args.size();
        VARIANT& value = values.Items[i];
        if (argument.Type == VT_VARIANT) {
            // By address; an omitted one is a null address.
            if (given) {
                FromVariant(args[i], &value);
                words[i] = reinterpret_cast<Pointer>(&value);
            }
            continue;
        }
        if (!given && argument.ByRef && !argument.HasDefault) continue;
        try {
            Coerce(given                 ? args[i]
                   : argument.HasDefault ? argument.Default
                                         : Variant(),
                   argument.Type, value);
        } catch (const VariantError&) {
            throw ComCallError(DISP_E_TYPEMISMATCH, member + ": argument " + std::to_string(i + 1) +
                                                        " does not convert to its type");
        }
        words[i] = argument.ByRef ? reinterpret_cast<Pointer>(&value.lVal) : WordOf(value);
    }
    VARIANT& typed = values.Items[declared];
    if (entry.Result == VT_VARIANT) {
        words[declared] = reinterpret_cast<Pointer>(result);
    } else if (entry.Result != VT_EMPTY) {
        // Every member of the value's union starts at its address.
        words[declared] = reinterpret_cast<Pointer>(&typed.lVal);
    }
    const void* const* table = *reinterpret_cast<const void* const* const*>(object_);
    HRESULT hr = CallEntry(table[entry.Slot], object_, words.data(), words.size());
    if (FAILED(hr)) ThrowFailure(object_, iid_, hr, member);
    if (entry.Result != VT_EMPTY && entry.Result != VT_VARIANT) {
        typed.vt = entry.Result;
        *result = typed;
        typed.vt = VT_EMPTY;
    }
}

Variant DualInterface::Call(const std::string& member, INVOKEKIND kind,
                            const std::vector<Variant>& args) {
    OwnedVariant result;
    Run(member, kind, args, &result.Value);
    return ValueOf(result.Value);
}

IDispatch* DualInterface::Object(const std::string& member) {
    OwnedVariant result;
    Run(member, INVOKE_PROPERTYGET, {}, &result.Value);
    return TakeObject(result.Value, member);
}

namespace {

// A dispatch object over a list of methods; ids are positions from 1.
class MethodObject final : public SingleInterface<IDispatch, IID_IDispatch> {
  public:
    MethodObject(std::vector<DispatchMethod> methods, std::string source)
        : methods_(std::move(methods)), source_(std::move(source)) {}

    HRESULT VENDRAL_COM_CALL GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT VENDRAL_COM_CALL GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT VENDRAL_COM_CALL GetIDsOfNames(const IID&, LPOLESTR* names, UINT count, LCID,
                                           DISPID* ids) override {
        if (!names || !ids || count == 0) return E_INVALIDARG;
        std::string wanted = OleToUtf8(names[0]);
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        for (std::size_t i = 0; i < methods_.size(); ++i)
            if (strcasecmp(methods_[i].Name.c_str(), wanted.c_str()) == 0)
                ids[0] = static_cast<DISPID>(i + 1);
        return ids[0] == DISPID_UNKNOWN || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
    }
    HRESULT VENDRAL_COM_CALL Invoke(DISPID id, const IID&, LCID, WORD flags, DISPPARAMS* params,
                                    VARIANT* result, EXCEPINFO* error, UINT* argError) override {
        if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        if (!params) params = &none;
        if (id < 1 || static_cast<std::size_t>(id) > methods_.size()) return DISP_E_MEMBERNOTFOUND;
        const DispatchMethod& method = methods_[static_cast<std::size_t>(id - 1)];
        if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
        if (params->cArgs != method.Params) return DISP_E_BADPARAMCOUNT;
        if (result) VariantInit(result);
        try {
            std::vector<Variant> args;
            for (UINT i = 0; i < params->cArgs; ++i)
                args.push_back(ToVariant(params->rgvarg[params->cArgs - 1 - i], i));
            Variant answer = method.Body(args);
            if (result) FromVariant(answer, result);
        } catch (const ArgumentError& bad) {
            if (argError) *argError = static_cast<UINT>(params->cArgs - 1 - bad.Position);
            return bad.Result;
        } catch (const std::exception& failure) {
            if (error) {
                *error = EXCEPINFO{};
                error->bstrSource = AllocBstr(source_);
                error->bstrDescription = AllocBstr(failure.what());
                error->scode = E_FAIL;
            }
            return DISP_E_EXCEPTION;
        }
        return S_OK;
    }

  private:
    std::vector<DispatchMethod> methods_;
    std::string source_;
};

}  // namespace

IDispatch* NewDispatchObject(std::vector<DispatchMethod> methods, const std::string& source) {
    return new MethodObject(std::move(methods), source);
}

}  // namespace vendral::com

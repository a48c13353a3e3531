// The type information of an automation class, read from its member table:
// the interface's id and functions, and per function its names, its kind, and
// per argument its type, whether it is optional and its default.
#include <strings.h>

#include <cstring>
#include <new>
#include <string>

#include "com/automation_object.h"
#include "com/automation_text.h"
#include "com/ref_counted.h"

namespace vendral::com {
namespace {

INVOKEKIND InvokeKindOf(MemberKind kind) {
    switch (kind) {
        case MemberKind::Method:
            return INVOKE_FUNC;
        case MemberKind::Get:
            return INVOKE_PROPERTYGET;
        case MemberKind::Put:
            return INVOKE_PROPERTYPUT;
        case MemberKind::PutRef:
            return INVOKE_PROPERTYPUTREF;
    }
    return INVOKE_FUNC;
}

// The type word of a table, or of an enumeration of the library.
TYPEDESC TypeOf(const std::string& type, const TypeLibraryInfo* library) {
    TYPEDESC desc{};
    if (type == "String") {
        desc.vt = VT_BSTR;
    } else if (type == "Integer") {
        desc.vt = VT_I2;
    } else if (type == "Long") {
        desc.vt = VT_I4;
    } else if (type == "Boolean") {
        desc.vt = VT_BOOL;
    } else if (type == "Object") {
        desc.vt = VT_DISPATCH;
    } else {
        desc.vt = VT_VARIANT;
        for (std::size_t i = 0; library && i < library->Enums.size(); ++i) {
            if (library->Enums[i].Name == type) {
                desc.vt = VT_USERDEFINED;
                desc.hreftype = static_cast<std::uint32_t>(kEnumReferenceBase + i);
            }
        }
    }
    return desc;
}

// The type of an argument; one passed by reference points at its type.
TYPEDESC ParamType(const ParamInfo& param, const TypeLibraryInfo* library) {
    TYPEDESC desc = TypeOf(param.Type, library);
    if (!param.ByRef) return desc;
    TYPEDESC pointer{};
    pointer.vt = VT_PTR;
    pointer.lptdesc = new TYPEDESC(desc);
    return pointer;
}

// The default of an argument as a value of its type.
PARAMDESCEX* DefaultOf(const ParamInfo& param, const TypeLibraryInfo* library) {
    auto* made = new PARAMDESCEX{};
    made->cBytes = sizeof(PARAMDESCEX);
    VARIANT& value = made->varDefaultValue;
    VariantInit(&value);
    const std::string& text = param.Default;
    switch (TypeOf(param.Type, library).vt) {
        case VT_I2:
            value.vt = VT_I2;
            value.iVal = static_cast<std::int16_t>(std::stoi(text));
            break;
        case VT_I4:
        case VT_USERDEFINED:
            value.vt = VT_I4;
            value.lVal = static_cast<std::int32_t>(std::stol(text));
            break;
        case VT_BOOL:
            value.vt = VT_BOOL;
            value.boolVal = strcasecmp(text.c_str(), "True") == 0 ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        default: {
            // A text between quotes, or one as written.
            std::string plain = text.size() >= 2 && text.front() == '"' && text.back() == '"'
                                    ? text.substr(1, text.size() - 2)
                                    : text;
            value.vt = VT_BSTR;
            value.bstrVal = AllocBstr(plain);
        }
    }
    return made;
}

void FreeType(TYPEDESC& desc) {
    if (desc.vt == VT_PTR) delete desc.lptdesc;
}

class TypeInfo final : public SingleInterface<ITypeInfo, IID_ITypeInfo> {
  public:
    explicit TypeInfo(const ClassInfo& info) : info_(info) {}

    HRESULT VENDRAL_COM_CALL GetTypeAttr(TYPEATTR** out) override {
        if (!out) return E_POINTER;
        auto* attr = new (std::nothrow) TYPEATTR{};
        if (!attr) return E_OUTOFMEMORY;
        attr->guid = *info_.Iid;
        attr->memidConstructor = DISPID_UNKNOWN;
        attr->memidDestructor = DISPID_UNKNOWN;
        attr->typekind = TKIND_DISPATCH;
        attr->cFuncs = static_cast<WORD>(info_.Members.size());
        attr->cImplTypes = 1;
        attr->cbSizeVft = static_cast<WORD>((7 + info_.Members.size()) * sizeof(void*));
        attr->cbAlignment = alignof(void*);
        attr->wTypeFlags = TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE;
        attr->wMajorVerNum = 1;
        *out = attr;
        return S_OK;
    }
    void VENDRAL_COM_CALL ReleaseTypeAttr(TYPEATTR* attr) override { delete attr; }

    HRESULT VENDRAL_COM_CALL GetFuncDesc(UINT index, FUNCDESC** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (index >= info_.Members.size()) return TYPE_E_ELEMENTNOTFOUND;
        const MemberInfo& member = info_.Members[index];
        auto* desc = new (std::nothrow) FUNCDESC{};
        if (!desc) return E_OUTOFMEMORY;
        std::size_t count = member.ParamNames.size();
        if (count > 0) {
            desc->lprgelemdescParam = new (std::nothrow) ELEMDESC[count]{};
            if (!desc->lprgelemdescParam) {
                delete desc;
                return E_OUTOFMEMORY;
            }
            const TypeLibraryInfo* library = info_.Library ? info_.Library() : nullptr;
            for (std::size_t i = 0; i < count; ++i) {
                const ParamInfo& param = member.Params[i];
                ELEMDESC& elem = desc->lprgelemdescParam[i];
                elem.tdesc = ParamType(param, library);
                elem.paramdesc.wParamFlags =
                    PARAMFLAG_FIN | (i + member.Optional >= count ? PARAMFLAG_FOPT : 0);
                if (param.HasDefault) {
                    elem.paramdesc.wParamFlags |= PARAMFLAG_FHASDEFAULT;
                    elem.paramdesc.pparamdescex = DefaultOf(param, library);
                }
            }
        }
        desc->memid = member.Id;
        desc->funckind = FUNC_DISPATCH;
        desc->invkind = InvokeKindOf(member.Kind);
        desc->callconv = CC_STDCALL;
        desc->cParams = static_cast<std::int16_t>(count);
        desc->cParamsOpt = static_cast<std::int16_t>(member.Optional);
        desc->oVft = static_cast<std::int16_t>((7 + index) * sizeof(void*));
        desc->elemdescFunc.tdesc.vt = HasResult(member.Kind) ? VT_VARIANT : VT_VOID;
        // A property reads as its declared type, else as the type it is written with.
        if (member.Kind == MemberKind::Get && !member.Returns.empty()) {
            desc->elemdescFunc.tdesc =
                TypeOf(member.Returns, info_.Library ? info_.Library() : nullptr);
        } else if (member.Kind == MemberKind::Get) {
            for (const MemberInfo& other : info_.Members)
                if (other.Id == member.Id && other.Kind != MemberKind::Get && !other.Params.empty())
                    desc->elemdescFunc.tdesc =
                        TypeOf(other.Params.back().Type, info_.Library ? info_.Library() : nullptr);
        }
        *out = desc;
        return S_OK;
    }
    void VENDRAL_COM_CALL ReleaseFuncDesc(FUNCDESC* desc) override {
        if (!desc) return;
        for (std::int16_t i = 0; i < desc->cParams; ++i) {
            ELEMDESC& elem = desc->lprgelemdescParam[i];
            FreeType(elem.tdesc);
            if (elem.paramdesc.pparamdescex) {
                VariantClear(&elem.paramdesc.pparamdescex->varDefaultValue);
                delete elem.paramdesc.pparamdescex;
            }
        }
        delete[] desc->lprgelemdescParam;
        delete desc;
    }

    HRESULT VENDRAL_COM_CALL GetNames(MEMBERID id, BSTR* names, UINT max, UINT* count) override {
        if (!names || !count) return E_POINTER;
        *count = 0;
        for (const MemberInfo& member : info_.Members) {
            if (member.Id != id) continue;
            // The function's name, then its argument names.
            if (*count < max) names[(*count)++] = AllocBstr(member.Name);
            for (const std::string& param : member.ParamNames)
                if (*count < max) names[(*count)++] = AllocBstr(param);
            return S_OK;
        }
        return TYPE_E_ELEMENTNOTFOUND;
    }

    HRESULT VENDRAL_COM_CALL GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) override {
        if (!names || !ids || count == 0) return E_INVALIDARG;
        ids[0] = info_.FindId(OleToUtf8(names[0]));
        HRESULT result = ids[0] == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
        for (UINT i = 1; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            std::string wanted = OleToUtf8(names[i]);
            for (const MemberInfo& member : info_.Members) {
                if (member.Id != ids[0]) continue;
                for (std::size_t p = 0; p < member.ParamNames.size(); ++p)
                    if (strcasecmp(member.ParamNames[p].c_str(), wanted.c_str()) == 0)
                        ids[i] = static_cast<MEMBERID>(p);
            }
            if (ids[i] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
        }
        return result;
    }

    HRESULT VENDRAL_COM_CALL GetDocumentation(MEMBERID id, BSTR* name, BSTR* doc, DWORD* context,
                                              BSTR* helpFile) override {
        if (doc) *doc = nullptr;
        if (context) *context = 0;
        if (helpFile) *helpFile = nullptr;
        if (id == DISPID_UNKNOWN) {
            if (name) *name = AllocBstr(std::string("_") + info_.Name);
            return S_OK;
        }
        for (const MemberInfo& member : info_.Members) {
            if (member.Id == id) {
                if (name) *name = AllocBstr(member.Name);
                return S_OK;
            }
        }
        return TYPE_E_ELEMENTNOTFOUND;
    }

    HRESULT VENDRAL_COM_CALL GetTypeComp(ITypeComp** out) override { return Unsupported(out); }
    HRESULT VENDRAL_COM_CALL GetVarDesc(UINT, VARDESC** out) override {
        if (out) *out = nullptr;
        return TYPE_E_ELEMENTNOTFOUND;
    }
    HRESULT VENDRAL_COM_CALL GetRefTypeOfImplType(UINT, HREFTYPE*) override { return E_NOTIMPL; }
    HRESULT VENDRAL_COM_CALL GetImplTypeFlags(UINT, std::int32_t*) override { return E_NOTIMPL; }
    HRESULT VENDRAL_COM_CALL Invoke(void*, MEMBERID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                    UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT VENDRAL_COM_CALL GetDllEntry(MEMBERID, INVOKEKIND, BSTR*, BSTR*, WORD*) override {
        return E_NOTIMPL;
    }
    HRESULT VENDRAL_COM_CALL GetRefTypeInfo(HREFTYPE reference, ITypeInfo** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        const TypeLibraryInfo* library = info_.Library ? info_.Library() : nullptr;
        if (!library || reference < kEnumReferenceBase ||
            reference - kEnumReferenceBase >= library->Enums.size())
            return TYPE_E_ELEMENTNOTFOUND;
        *out = NewEnumTypeInfo(*library, reference - kEnumReferenceBase);
        return S_OK;
    }
    HRESULT VENDRAL_COM_CALL AddressOfMember(MEMBERID, INVOKEKIND, void** out) override {
        return Unsupported(out);
    }
    HRESULT VENDRAL_COM_CALL CreateInstance(IUnknown*, const IID&, void** out) override {
        return Unsupported(out);
    }
    HRESULT VENDRAL_COM_CALL GetMops(MEMBERID, BSTR* out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT VENDRAL_COM_CALL GetContainingTypeLib(ITypeLib** out, UINT* index) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        const TypeLibraryInfo* library = info_.Library ? info_.Library() : nullptr;
        if (!library) return E_NOTIMPL;
        // The library lists each class, then its interface, then the enumerations.
        for (std::size_t i = 0; i < library->Classes.size(); ++i)
            if (library->Classes[i].Interface == &info_ && index)
                *index = static_cast<UINT>(2 * i + 1);
        *out = NewTypeLibrary(*library);
        return S_OK;
    }
    void VENDRAL_COM_CALL ReleaseVarDesc(VARDESC*) override {}

  private:
    template <class T>
    static HRESULT Unsupported(T** out) {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    const ClassInfo& info_;
};

}  // namespace

ITypeInfo* NewTypeInfo(const ClassInfo& info) {
    return new TypeInfo(info);
}

}  // namespace vendral::com

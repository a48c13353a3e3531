// A type library read from its TypeLibraryInfo: each class, then the
// interface it implements, then the enumerations with their values. Type
// library tools and early-binding clients reach it through
// ITypeInfo::GetContainingTypeLib.
#include <new>

#include "com/automation_object.h"
#include "com/automation_text.h"
#include "com/ref_counted.h"
#include "com/server_module.h"

namespace vendral::com {
namespace {

// The entries every description here leaves unfilled.
template <class Base>
class PlainTypeInfo : public SingleInterface<ITypeInfo, IID_ITypeInfo> {
  public:
    HRESULT VENDRAL_COM_CALL GetTypeComp(ITypeComp** out) override { return Unsupported(out); }
    HRESULT VENDRAL_COM_CALL GetFuncDesc(UINT, FUNCDESC** out) override {
        if (out) *out = nullptr;
        return TYPE_E_ELEMENTNOTFOUND;
    }
    void VENDRAL_COM_CALL ReleaseFuncDesc(FUNCDESC*) override {}
    HRESULT VENDRAL_COM_CALL GetImplTypeFlags(UINT, std::int32_t*) override { return E_NOTIMPL; }
    HRESULT VENDRAL_COM_CALL GetIDsOfNames(LPOLESTR*, UINT, MEMBERID*) override {
        return E_NOTIMPL;
    }
    HRESULT VENDRAL_COM_CALL Invoke(void*, MEMBERID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                    UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT VENDRAL_COM_CALL GetDllEntry(MEMBERID, INVOKEKIND, BSTR*, BSTR*, WORD*) override {
        return E_NOTIMPL;
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
    void VENDRAL_COM_CALL ReleaseTypeAttr(TYPEATTR* attr) override { delete attr; }

  protected:
    template <class T>
    static HRESULT Unsupported(T** out) {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    static TYPEATTR* NewAttr(const GUID& guid, TYPEKIND kind) {
        auto* attr = new (std::nothrow) TYPEATTR{};
        if (!attr) return nullptr;
        attr->guid = guid;
        attr->memidConstructor = DISPID_UNKNOWN;
        attr->memidDestructor = DISPID_UNKNOWN;
        attr->typekind = kind;
        attr->cbAlignment = 4;
        attr->wMajorVerNum = 1;
        return attr;
    }
    static void Name(BSTR* out, const std::string& name) {
        if (out) *out = AllocBstr(name);
    }
    static void NoHelp(BSTR* doc, DWORD* context, BSTR* helpFile) {
        if (doc) *doc = nullptr;
        if (context) *context = 0;
        if (helpFile) *helpFile = nullptr;
    }
};

class EnumTypeInfo final : public PlainTypeInfo<EnumTypeInfo> {
  public:
    EnumTypeInfo(const TypeLibraryInfo& library, std::size_t index)
        : library_(library), enum_(library.Enums[index]), index_(index) {}

    HRESULT VENDRAL_COM_CALL GetTypeAttr(TYPEATTR** out) override {
        if (!out) return E_POINTER;
        *out = NewAttr(GUID{}, TKIND_ENUM);
        if (!*out) return E_OUTOFMEMORY;
        (*out)->cVars = static_cast<WORD>(enum_.Values.size());
        (*out)->cbSizeInstance = sizeof(std::int32_t);
        return S_OK;
    }
    HRESULT VENDRAL_COM_CALL GetVarDesc(UINT index, VARDESC** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (index >= enum_.Values.size()) return TYPE_E_ELEMENTNOTFOUND;
        auto* desc = new (std::nothrow) VARDESC{};
        if (!desc) return E_OUTOFMEMORY;
        desc->memid = static_cast<MEMBERID>(index);
        desc->lpvarValue = new (std::nothrow) VARIANT{};
        if (!desc->lpvarValue) {
            delete desc;
            return E_OUTOFMEMORY;
        }
        desc->lpvarValue->vt = VT_I4;
        desc->lpvarValue->lVal = enum_.Values[index].second;
        desc->elemdescVar.tdesc.vt = VT_I4;
        desc->varkind = VAR_CONST;
        *out = desc;
        return S_OK;
    }
    void VENDRAL_COM_CALL ReleaseVarDesc(VARDESC* desc) override {
        if (!desc) return;
        delete desc->lpvarValue;
        delete desc;
    }
    HRESULT VENDRAL_COM_CALL GetNames(MEMBERID id, BSTR* names, UINT max, UINT* count) override {
        if (!names || !count) return E_POINTER;
        *count = 0;
        if (id < 0 || static_cast<std::size_t>(id) >= enum_.Values.size())
            return TYPE_E_ELEMENTNOTFOUND;
        if (max > 0) names[(*count)++] = AllocBstr(enum_.Values[id].first);
        return S_OK;
    }
    HRESULT VENDRAL_COM_CALL GetDocumentation(MEMBERID id, BSTR* name, BSTR* doc, DWORD* context,
                                              BSTR* helpFile) override {
        NoHelp(doc, context, helpFile);
        if (id == MEMBERID_NIL) {
            Name(name, enum_.Name);
            return S_OK;
        }
        if (id < 0 || static_cast<std::size_t>(id) >= enum_.Values.size())
            return TYPE_E_ELEMENTNOTFOUND;
        Name(name, enum_.Values[id].first);
        return S_OK;
    }
    HRESULT VENDRAL_COM_CALL GetRefTypeOfImplType(UINT, HREFTYPE*) override { return E_NOTIMPL; }
    HRESULT VENDRAL_COM_CALL GetRefTypeInfo(HREFTYPE, ITypeInfo** out) override {
        if (out) *out = nullptr;
        return TYPE_E_ELEMENTNOTFOUND;
    }
    HRESULT VENDRAL_COM_CALL GetContainingTypeLib(ITypeLib** out, UINT* index) override {
        if (!out) return E_POINTER;
        if (index) *index = static_cast<UINT>(2 * library_.Classes.size() + index_);
        *out = NewTypeLibrary(library_);
        return S_OK;
    }

  private:
    const TypeLibraryInfo& library_;
    const EnumInfo& enum_;
    std::size_t index_;
};

class CoclassTypeInfo final : public PlainTypeInfo<CoclassTypeInfo> {
  public:
    CoclassTypeInfo(const TypeLibraryInfo& library, std::size_t index)
        : library_(library), class_(library.Classes[index]), index_(index) {}

    HRESULT VENDRAL_COM_CALL GetTypeAttr(TYPEATTR** out) override {
        if (!out) return E_POINTER;
        *out = NewAttr(*class_.Clsid, TKIND_COCLASS);
        if (!*out) return E_OUTOFMEMORY;
        (*out)->cImplTypes = 1;
        return S_OK;
    }
    HRESULT VENDRAL_COM_CALL GetVarDesc(UINT, VARDESC** out) override {
        if (out) *out = nullptr;
        return TYPE_E_ELEMENTNOTFOUND;
    }
    void VENDRAL_COM_CALL ReleaseVarDesc(VARDESC*) override {}
    HRESULT VENDRAL_COM_CALL GetNames(MEMBERID, BSTR*, UINT, UINT* count) override {
        if (count) *count = 0;
        return TYPE_E_ELEMENTNOTFOUND;
    }
    HRESULT VENDRAL_COM_CALL GetDocumentation(MEMBERID id, BSTR* name, BSTR* doc, DWORD* context,
                                              BSTR* helpFile) override {
        NoHelp(doc, context, helpFile);
        if (id != MEMBERID_NIL) return TYPE_E_ELEMENTNOTFOUND;
        Name(name, class_.Name);
        return S_OK;
    }
    // Its one interface, the class's dual interface.
    HRESULT VENDRAL_COM_CALL GetRefTypeOfImplType(UINT index, HREFTYPE* reference) override {
        if (!reference) return E_POINTER;
        if (index != 0) return TYPE_E_ELEMENTNOTFOUND;
        *reference = 0;
        return S_OK;
    }
    HRESULT VENDRAL_COM_CALL GetRefTypeInfo(HREFTYPE reference, ITypeInfo** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (reference != 0) return TYPE_E_ELEMENTNOTFOUND;
        *out = NewTypeInfo(*class_.Interface);
        return S_OK;
    }
    HRESULT VENDRAL_COM_CALL GetContainingTypeLib(ITypeLib** out, UINT* index) override {
        if (!out) return E_POINTER;
        if (index) *index = static_cast<UINT>(2 * index_);
        *out = NewTypeLibrary(library_);
        return S_OK;
    }

  private:
    const TypeLibraryInfo& library_;
    const CoclassInfo& class_;
    std::size_t index_;
};

class TypeLibrary final : public SingleInterface<ITypeLib, IID_ITypeLib> {
  public:
    explicit TypeLibrary(const TypeLibraryInfo& library) : library_(library) {}

    UINT VENDRAL_COM_CALL GetTypeInfoCount() override {
        return static_cast<UINT>(2 * library_.Classes.size() + library_.Enums.size());
    }
    HRESULT VENDRAL_COM_CALL GetTypeInfo(UINT index, ITypeInfo** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        std::size_t classes = library_.Classes.size();
        if (index < 2 * classes) {
            *out = index % 2 == 0 ? NewCoclassTypeInfo(library_, index / 2)
                                  : NewTypeInfo(*library_.Classes[index / 2].Interface);
        } else if (index - 2 * classes < library_.Enums.size()) {
            *out = NewEnumTypeInfo(library_, index - 2 * classes);
        } else {
            return TYPE_E_ELEMENTNOTFOUND;
        }
        return S_OK;
    }
    HRESULT VENDRAL_COM_CALL GetTypeInfoType(UINT index, TYPEKIND* kind) override {
        if (!kind) return E_POINTER;
        std::size_t classes = library_.Classes.size();
        if (index >= GetTypeInfoCount()) return TYPE_E_ELEMENTNOTFOUND;
        *kind = index >= 2 * classes ? TKIND_ENUM : index % 2 == 0 ? TKIND_COCLASS : TKIND_DISPATCH;
        return S_OK;
    }
    HRESULT VENDRAL_COM_CALL GetTypeInfoOfGuid(const GUID& guid, ITypeInfo** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        for (std::size_t i = 0; i < library_.Classes.size(); ++i) {
            if (*library_.Classes[i].Clsid == guid) {
                *out = NewCoclassTypeInfo(library_, i);
                return S_OK;
            }
            if (*library_.Classes[i].Interface->Iid == guid) {
                *out = NewTypeInfo(*library_.Classes[i].Interface);
                return S_OK;
            }
        }
        return TYPE_E_ELEMENTNOTFOUND;
    }
    HRESULT VENDRAL_COM_CALL GetLibAttr(TLIBATTR** out) override {
        if (!out) return E_POINTER;
        *out = new (std::nothrow) TLIBATTR{};
        if (!*out) return E_OUTOFMEMORY;
        (*out)->guid = *library_.Guid;
        (*out)->syskind = static_cast<decltype((*out)->syskind)>(TypeLibrarySysKind());
        (*out)->wMajorVerNum = 1;
        return S_OK;
    }
    void VENDRAL_COM_CALL ReleaseTLibAttr(TLIBATTR* attr) override { delete attr; }
    HRESULT VENDRAL_COM_CALL GetTypeComp(ITypeComp** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT VENDRAL_COM_CALL GetDocumentation(std::int32_t index, BSTR* name, BSTR* doc,
                                              DWORD* context, BSTR* helpFile) override {
        if (doc) *doc = nullptr;
        if (context) *context = 0;
        if (helpFile) *helpFile = nullptr;
        if (index == -1) {
            if (name) *name = AllocBstr(library_.Name);
            return S_OK;
        }
        ITypeInfo* info = nullptr;
        HRESULT found = GetTypeInfo(static_cast<UINT>(index), &info);
        if (FAILED(found)) return found;
        HRESULT result = info->GetDocumentation(MEMBERID_NIL, name, nullptr, nullptr, nullptr);
        info->Release();
        return result;
    }
    HRESULT VENDRAL_COM_CALL IsName(LPOLESTR, ULONG, std::int32_t*) override { return E_NOTIMPL; }
    HRESULT VENDRAL_COM_CALL FindName(LPOLESTR, ULONG, ITypeInfo**, MEMBERID*, USHORT*) override {
        return E_NOTIMPL;
    }

  private:
    const TypeLibraryInfo& library_;
};

}  // namespace

ITypeLib* NewTypeLibrary(const TypeLibraryInfo& library) {
    return new TypeLibrary(library);
}

ITypeInfo* NewEnumTypeInfo(const TypeLibraryInfo& library, std::size_t index) {
    return new EnumTypeInfo(library, index);
}

ITypeInfo* NewCoclassTypeInfo(const TypeLibraryInfo& library, std::size_t index) {
    return new CoclassTypeInfo(library, index);
}

}  // namespace vendral::com

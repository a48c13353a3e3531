// A client that binds early, as a compiled Windows program does: it creates
// CDatabase with CoCreateInstance, calls it through the table of entries of
// _CDatabase that widl declared from the registered type library, reads the
// type library back with LoadRegTypeLib (functions, arguments, enumerations)
// and compares it with the object's own type information, and reads a
// database error through GetErrorInfo. Prints one line per check and
// "SENTINEL ..." at its end; exits 1 when any check failed.
//   early_bound_client.exe SETTINGS_FILE
#include <ole2.h>
#include <oleauto.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "checks.h"
#include "vendral/class_ids.h"
#include "vendral_tlb.h"

namespace {

using checks::Check;

std::string Narrow(const wchar_t* text) {
    if (!text) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

// A VARIANT that clears itself.
struct Value {
    VARIANT v;
    Value() { VariantInit(&v); }
    explicit Value(const wchar_t* text) : Value() {
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocString(text);
    }
    explicit Value(long number) : Value() {
        v.vt = VT_I4;
        v.lVal = number;
    }
    ~Value() { VariantClear(&v); }
    VARIANT* operator&() { return &v; }
};

std::string Name(ITypeInfo* info, MEMBERID id) {
    BSTR name = nullptr;
    if (FAILED(info->GetDocumentation(id, &name, nullptr, nullptr, nullptr))) return {};
    std::string out = Narrow(name);
    SysFreeString(name);
    return out;
}

// Every function of the registered type library's _CDatabase against the
// object's own type information: same names, kinds, ids and argument counts.
void CompareTypeInformation(ITypeInfo* registered, ITypeInfo* own) {
    TYPEATTR* attr = nullptr;
    TYPEATTR* ownAttr = nullptr;
    registered->GetTypeAttr(&attr);
    own->GetTypeAttr(&ownAttr);
    Check("the registered _CDatabase is a dual interface",
          attr->typekind == TKIND_INTERFACE && (attr->wTypeFlags & TYPEFLAG_FDUAL));
    Check("as many functions as the object describes", attr->cFuncs == ownAttr->cFuncs,
          std::to_string(attr->cFuncs) + " and " + std::to_string(ownAttr->cFuncs));
    int mismatches = 0;
    for (UINT i = 0; i < attr->cFuncs && i < ownAttr->cFuncs; ++i) {
        FUNCDESC* mine = nullptr;
        FUNCDESC* theirs = nullptr;
        registered->GetFuncDesc(i, &mine);
        own->GetFuncDesc(i, &theirs);
        std::string name = Name(registered, mine->memid);
        // The registered entries end with the result argument of methods and gets.
        int arguments =
            mine->cParams - ((mine->invkind & (INVOKE_FUNC | INVOKE_PROPERTYGET)) ? 1 : 0);
        bool same = name == Name(own, theirs->memid) && mine->memid == theirs->memid &&
                    mine->invkind == theirs->invkind && arguments == theirs->cParams;
        if (!same) {
            ++mismatches;
            Check("function " + std::to_string(i) + " " + name, false,
                  "differs from the object's " + Name(own, theirs->memid));
        }
        registered->ReleaseFuncDesc(mine);
        own->ReleaseFuncDesc(theirs);
    }
    Check("every function matches the object's description", mismatches == 0);
    registered->ReleaseTypeAttr(attr);
    own->ReleaseTypeAttr(ownAttr);

    // The arguments of one function by name and type, as the vtable takes them.
    FUNCDESC* open = nullptr;
    for (UINT i = 0; !open && i < 200; ++i) {
        FUNCDESC* candidate = nullptr;
        if (FAILED(registered->GetFuncDesc(i, &candidate))) break;
        if (Name(registered, candidate->memid) == "OpenODBC_DB") {
            open = candidate;
        } else {
            registered->ReleaseFuncDesc(candidate);
        }
    }
    Check("OpenODBC_DB is described", open != nullptr);
    if (!open) return;
    BSTR names[8] = {};
    UINT count = 0;
    registered->GetNames(open->memid, names, 8, &count);
    std::string joined;
    for (UINT i = 0; i < count; ++i) {
        joined += (i ? "," : "") + Narrow(names[i]);
        SysFreeString(names[i]);
    }
    // The result argument may be left out of the names (it is the call's value).
    Check("OpenODBC_DB's names",
          joined.rfind("OpenODBC_DB,sINIFile,iOpenDatabase,UseDBName_and_Prefix", 0) == 0, joined);
    const ELEMDESC& third = open->lprgelemdescParam[2];
    Check("OpenODBC_DB's third argument is an optional VARIANT*",
          third.tdesc.vt == VT_PTR && third.tdesc.lptdesc->vt == VT_VARIANT &&
              (third.paramdesc.wParamFlags & PARAMFLAG_FOPT));
    Check("OpenODBC_DB's result is VARIANT* retval",
          (open->lprgelemdescParam[3].paramdesc.wParamFlags & PARAMFLAG_FRETVAL) != 0);
    registered->ReleaseFuncDesc(open);
}

void CheckEnumeration(ITypeLib* library, const wchar_t* enumeration, const char* member,
                      long expected) {
    ITypeInfo* info = nullptr;
    MEMBERID id = 0;
    USHORT found = 1;
    std::wstring name(enumeration);
    HRESULT hr = library->FindName(name.data(), 0, &info, &id, &found);
    bool ok = SUCCEEDED(hr) && found == 1 && info;
    long value = -1;
    if (ok) {
        TYPEATTR* attr = nullptr;
        info->GetTypeAttr(&attr);
        ok = attr->typekind == TKIND_ENUM;
        for (UINT i = 0; ok && i < attr->cVars; ++i) {
            VARDESC* var = nullptr;
            info->GetVarDesc(i, &var);
            if (Name(info, var->memid) == member) value = var->lpvarValue->lVal;
            info->ReleaseVarDesc(var);
        }
        info->ReleaseTypeAttr(attr);
        info->Release();
    }
    Check(std::string("enumeration ") + Narrow(enumeration) + "." + member, ok && value == expected,
          std::to_string(value));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: early_bound_client SETTINGS_FILE\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    _CDatabase* db = nullptr;
    HRESULT hr = CoCreateInstance(vendral::CLSID_CDatabase, nullptr, CLSCTX_INPROC_SERVER,
                                  vendral::IID__CDatabase, reinterpret_cast<void**>(&db));
    Check("CoCreateInstance of CDatabase as _CDatabase", SUCCEEDED(hr) && db);
    if (!db) return 1;

    // Calls through the table of entries; the optional third argument omitted.
    int length = MultiByteToWideChar(CP_ACP, 0, argv[1], -1, nullptr, 0);
    std::wstring settings(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, argv[1], -1, settings.data(), length);
    Value file(settings.c_str()), mode(1L), opened;
    hr = db->OpenODBC_DB(&file, &mode, nullptr, &opened);
    Check("OpenODBC_DB through the vtable",
          SUCCEEDED(hr) && opened.v.vt == VT_BOOL && opened.v.boolVal == VARIANT_TRUE);
    Value table(L"appointment"), count;
    hr = db->CountRecords(&table, nullptr, nullptr, &count);
    Check("CountRecords through the vtable",
          SUCCEEDED(hr) && count.v.vt == VT_I4 && count.v.lVal == 5, std::to_string(count.v.lVal));
    Value associate(42L), read;
    db->put_AssociateID(&associate);
    hr = db->get_AssociateID(&read);
    Check("AssociateID put and get", SUCCEEDED(hr) && read.v.vt == VT_I4 && read.v.lVal == 42);

    // A database error: a failed result and the system's error object.
    Value missing(L"no_such_table"), none;
    hr = db->CountRecords(&missing, nullptr, nullptr, &none);
    Check("a database error fails the call", FAILED(hr));
    ISupportErrorInfo* support = nullptr;
    db->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&support));
    Check("ISupportErrorInfo for _CDatabase",
          support && support->InterfaceSupportsErrorInfo(vendral::IID__CDatabase) == S_OK);
    if (support) support->Release();
    IErrorInfo* error = nullptr;
    hr = GetErrorInfo(0, &error);
    std::string description;
    if (hr == S_OK && error) {
        BSTR text = nullptr;
        error->GetDescription(&text);
        description = Narrow(text);
        SysFreeString(text);
        error->Release();
    }
    Check("GetErrorInfo gives the driver's message",
          description == "[SQLite]no such table: main.no_such_table (1)", description);

    // The registered type library against the object's own type information.
    ITypeLib* library = nullptr;
    hr = LoadRegTypeLib(vendral::LIBID_Vendral, 1, 0, 0, &library);
    Check("LoadRegTypeLib", SUCCEEDED(hr) && library);
    ITypeInfo* own = nullptr;
    hr = db->GetTypeInfo(0, 0, &own);
    Check("GetTypeInfo gives the object's own type information", SUCCEEDED(hr) && own);
    // Without either, the comparisons below cannot run: the checks above failed.
    if (library && own) {
        // The dual interface's dispatch view, and through it the table of entries.
        ITypeInfo* dispatch = nullptr;
        ITypeInfo* registered = nullptr;
        hr = library->GetTypeInfoOfGuid(vendral::IID__CDatabase, &dispatch);
        Check("the type library describes _CDatabase", SUCCEEDED(hr) && dispatch);
        HREFTYPE reference = 0;
        if (dispatch &&
            SUCCEEDED(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &reference)))
            dispatch->GetRefTypeInfo(reference, &registered);
        Check("_CDatabase has a table of entries", registered != nullptr);
        if (dispatch) dispatch->Release();
        if (registered) {
            CompareTypeInformation(registered, own);
            registered->Release();
        }
        ITypeInfo* coclass = nullptr;
        hr = library->GetTypeInfoOfGuid(vendral::CLSID_CDatabase, &coclass);
        Check("the type library describes the class CDatabase",
              SUCCEEDED(hr) && coclass && Name(coclass, MEMBERID_NIL) == "CDatabase");
        if (coclass) coclass->Release();
        CheckEnumeration(library, L"OpenDatabase", "Central_if_failes_local", 4);
        CheckEnumeration(library, L"ComboLists", "Probality", 82);
        CheckEnumeration(library, L"UDFType", "UDFSale", 3);
    }
    if (own) own->Release();
    if (library) library->Release();
    db->Release();
    CoUninitialize();
    return checks::Finish("early_bound_client");
}

// A client that binds early, as a compiled Windows program does: it creates
// CDatabase with CoCreateInstance, calls it through the typed table of entries
// of _CDatabase that widl declared from the registered type library, reads the
// type library back with LoadRegTypeLib (functions, argument and property
// types, defaults, enumerations, the three interfaces) and compares it with the
// object's own type information, makes a named call without a required
// argument, and reads a database error through GetErrorInfo. Prints one line per check and
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

// The name of the type a reference of a description points at.
std::string ReferencedName(ITypeInfo* info, HREFTYPE reference) {
    ITypeInfo* target = nullptr;
    if (FAILED(info->GetRefTypeInfo(reference, &target)) || !target) return {};
    std::string name = Name(target, MEMBERID_NIL);
    target->Release();
    return name;
}

// Two types alike: the same code, enumerations of the same name, pointers to
// alike types.
bool SameType(const TYPEDESC& mine, const TYPEDESC& theirs, ITypeInfo* registered, ITypeInfo* own) {
    if (mine.vt != theirs.vt) return false;
    if (mine.vt == VT_PTR) return SameType(*mine.lptdesc, *theirs.lptdesc, registered, own);
    if (mine.vt == VT_USERDEFINED)
        return ReferencedName(registered, mine.hreftype) == ReferencedName(own, theirs.hreftype);
    return true;
}

ITypeInfo* gRegistered = nullptr;
ITypeInfo* gOwn = nullptr;

// An argument of the registered entries against the object's description of
// it: a Variant the object takes by value the entries take by its address.
bool SameType(const ELEMDESC& mine, const ELEMDESC& theirs) {
    bool variantByAddress = theirs.tdesc.vt == VT_VARIANT && mine.tdesc.vt == VT_PTR &&
                            mine.tdesc.lptdesc->vt == VT_VARIANT;
    if (!variantByAddress && !SameType(mine.tdesc, theirs.tdesc, gRegistered, gOwn)) return false;
    const USHORT kFlags = PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT;
    return (mine.paramdesc.wParamFlags & kFlags) == (theirs.paramdesc.wParamFlags & kFlags);
}

// Every function of the registered type library's _CDatabase against the
// object's own type information: same names, kinds, ids and argument counts.
void CompareTypeInformation(ITypeInfo* registered, ITypeInfo* own) {
    gRegistered = registered;
    gOwn = own;
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
        bool result = (mine->invkind & (INVOKE_FUNC | INVOKE_PROPERTYGET)) != 0;
        int arguments = mine->cParams - (result ? 1 : 0);
        bool same = name == Name(own, theirs->memid) && mine->memid == theirs->memid &&
                    mine->invkind == theirs->invkind && arguments == theirs->cParams;
        // Each argument of the type the object describes, with its flags; the
        // result is the type the object reads as.
        for (int k = 0; same && k < arguments; ++k)
            same = SameType(mine->lprgelemdescParam[k], theirs->lprgelemdescParam[k]);
        if (same && result)
            same = SameType(mine->lprgelemdescParam[arguments].tdesc.vt == VT_PTR
                                ? *mine->lprgelemdescParam[arguments].tdesc.lptdesc
                                : mine->lprgelemdescParam[arguments].tdesc,
                            theirs->elemdescFunc.tdesc, registered, own);
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
    const ELEMDESC& second = open->lprgelemdescParam[1];
    Check("OpenODBC_DB's open mode is the enumeration OpenDatabase",
          second.tdesc.vt == VT_USERDEFINED &&
              ReferencedName(registered, second.tdesc.hreftype) == "OpenDatabase");
    const ELEMDESC& third = open->lprgelemdescParam[2];
    Check("OpenODBC_DB's third argument is an optional Boolean by reference",
          third.tdesc.vt == VT_PTR && third.tdesc.lptdesc->vt == VT_BOOL &&
              (third.paramdesc.wParamFlags & PARAMFLAG_FOPT));
    Check("OpenODBC_DB's result is VARIANT* retval",
          (open->lprgelemdescParam[3].paramdesc.wParamFlags & PARAMFLAG_FRETVAL) != 0);
    registered->ReleaseFuncDesc(open);
}

// The registered description of a function by name and kind; release it with
// the type's ReleaseFuncDesc.
FUNCDESC* Function(ITypeInfo* type, const std::string& name, INVOKEKIND kind) {
    TYPEATTR* attr = nullptr;
    if (FAILED(type->GetTypeAttr(&attr))) return nullptr;
    FUNCDESC* found = nullptr;
    for (UINT i = 0; !found && i < attr->cFuncs; ++i) {
        FUNCDESC* candidate = nullptr;
        if (FAILED(type->GetFuncDesc(i, &candidate))) break;
        if (candidate->invkind == kind && Name(type, candidate->memid) == name) {
            found = candidate;
        } else {
            type->ReleaseFuncDesc(candidate);
        }
    }
    type->ReleaseTypeAttr(attr);
    return found;
}

// The type code a property get of the registered entries reads as.
VARTYPE ReadType(ITypeInfo* type, const std::string& name) {
    FUNCDESC* get = Function(type, name, INVOKE_PROPERTYGET);
    if (!get) return VT_EMPTY;
    VARTYPE vt = VT_EMPTY;
    if (get->cParams == 1 && get->lprgelemdescParam[0].tdesc.vt == VT_PTR)
        vt = get->lprgelemdescParam[0].tdesc.lptdesc->vt;
    type->ReleaseFuncDesc(get);
    return vt;
}

// The typed properties and the defaults of _CDatabase as registered.
void CheckTypes(ITypeInfo* registered) {
    Check("dDatabaseIsRunning reads as a Boolean",
          ReadType(registered, "dDatabaseIsRunning") == VT_BOOL);
    Check("LastReturnedErrorMessage reads as a text",
          ReadType(registered, "LastReturnedErrorMessage") == VT_BSTR);
    Check("FailCount reads as a 16-bit integer", ReadType(registered, "FailCount") == VT_I2);
    Check("dDatabase reads as an object", ReadType(registered, "dDatabase") == VT_DISPATCH);
    FUNCDESC* count = Function(registered, "CountRecords", INVOKE_FUNC);
    Check("CountRecords is described", count != nullptr);
    if (!count) return;
    const ELEMDESC& where = count->lprgelemdescParam[1];
    bool emptyDefault = (where.paramdesc.wParamFlags & PARAMFLAG_FHASDEFAULT) &&
                        where.paramdesc.pparamdescex &&
                        where.paramdesc.pparamdescex->varDefaultValue.vt == VT_BSTR &&
                        SysStringLen(where.paramdesc.pparamdescex->varDefaultValue.bstrVal) == 0;
    Check("CountRecords' sWhere is a text with the default \"\"",
          where.tdesc.vt == VT_BSTR && emptyDefault);
    const ELEMDESC& selector = count->lprgelemdescParam[2];
    Check("CountRecords' iDatabaseConnection is a 16-bit integer with the default 0",
          selector.tdesc.vt == VT_I2 && (selector.paramdesc.wParamFlags & PARAMFLAG_FHASDEFAULT) &&
              selector.paramdesc.pparamdescex &&
              (selector.paramdesc.pparamdescex->varDefaultValue.vt == VT_I2 ||
               selector.paramdesc.pparamdescex->varDefaultValue.vt == VT_I4) &&
              selector.paramdesc.pparamdescex->varDefaultValue.iVal == 0);
    registered->ReleaseFuncDesc(count);
}

// The table of entries behind a dual interface's dispatch view in library.
ITypeInfo* Entries(ITypeLib* library, const IID& iid) {
    ITypeInfo* dispatch = nullptr;
    ITypeInfo* entries = nullptr;
    if (FAILED(library->GetTypeInfoOfGuid(iid, &dispatch)) || !dispatch) return nullptr;
    HREFTYPE reference = 0;
    if (SUCCEEDED(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &reference)))
        dispatch->GetRefTypeInfo(reference, &entries);
    dispatch->Release();
    return entries;
}

// The widget classes' interfaces and classes in the same library.
void CheckWidgetInterfaces(ITypeLib* library) {
    for (auto [name, clsid] : {std::pair{"CProgressBar", &vendral::CLSID_CProgressBar},
                               std::pair{"CSplash", &vendral::CLSID_CSplash}}) {
        ITypeInfo* coclass = nullptr;
        HRESULT hr = library->GetTypeInfoOfGuid(*clsid, &coclass);
        Check(std::string("the type library describes the class ") + name,
              SUCCEEDED(hr) && coclass && Name(coclass, MEMBERID_NIL) == name);
        if (coclass) coclass->Release();
    }
    ITypeInfo* bar = Entries(library, vendral::IID__CProgressBar);
    Check("the type library describes _CProgressBar with its entries", bar != nullptr);
    if (bar) {
        Check("ProgBarHwnd reads as a 32-bit integer", ReadType(bar, "ProgBarHwnd") == VT_I4);
        FUNCDESC* create = Function(bar, "Create", INVOKE_FUNC);
        Check("Create's Smooth is a Boolean with the default False",
              create && create->cParams == 6 && create->lprgelemdescParam[4].tdesc.vt == VT_BOOL &&
                  (create->lprgelemdescParam[4].paramdesc.wParamFlags & PARAMFLAG_FHASDEFAULT) &&
                  create->lprgelemdescParam[4].paramdesc.pparamdescex &&
                  create->lprgelemdescParam[4].paramdesc.pparamdescex->varDefaultValue.boolVal ==
                      VARIANT_FALSE);
        if (create) bar->ReleaseFuncDesc(create);
        bar->Release();
    }
    ITypeInfo* splash = Entries(library, vendral::IID__CSplash);
    FUNCDESC* show = splash ? Function(splash, "ShowSplash", INVOKE_FUNC) : nullptr;
    Check("the type library describes _CSplash.ShowSplash(sFileName As String)",
          show && show->cParams == 2 && show->lprgelemdescParam[0].tdesc.vt == VT_BSTR);
    if (show) splash->ReleaseFuncDesc(show);
    if (splash) splash->Release();
}

// A named call that leaves out a required argument, through IDispatch::Invoke.
void CheckNamedCallWithoutRequiredArgument(IDispatch* db) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"CountRecords"), const_cast<LPOLESTR>(L"sWhere")};
    DISPID ids[2] = {};
    HRESULT hr = db->GetIDsOfNames(IID_NULL, names, 2, LOCALE_USER_DEFAULT, ids);
    Check("GetIDsOfNames of CountRecords and sWhere", SUCCEEDED(hr), std::to_string(ids[1]));
    Value where(L"");
    DISPPARAMS params{&where.v, &ids[1], 1, 1};
    Value result;
    EXCEPINFO error{};
    UINT argError = 0;
    hr = db->Invoke(ids[0], IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result.v,
                    &error, &argError);
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    Check("a named call without sTable answers DISP_E_PARAMNOTOPTIONAL",
          hr == DISP_E_PARAMNOTOPTIONAL, text);
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
    Value file(settings.c_str()), opened;
    hr = db->OpenODBC_DB(file.v.bstrVal, OpenCentral, nullptr, &opened.v);
    Check("OpenODBC_DB through the vtable",
          SUCCEEDED(hr) && opened.v.vt == VT_BOOL && opened.v.boolVal == VARIANT_TRUE);
    VARIANT_BOOL running = VARIANT_FALSE;
    hr = db->get_dDatabaseIsRunning(&running);
    Check("dDatabaseIsRunning reads as a Boolean", SUCCEEDED(hr) && running == VARIANT_TRUE);
    BSTR message = nullptr;
    hr = db->get_LastReturnedErrorMessage(&message);
    Check("LastReturnedErrorMessage reads as a text", SUCCEEDED(hr) && SysStringLen(message) == 0,
          Narrow(message));
    SysFreeString(message);
    // The optional arguments as their defaults give them: no clause, the central side.
    Value table(L"appointment"), where(L""), count;
    hr = db->CountRecords(table.v.bstrVal, where.v.bstrVal, 0, &count.v);
    Check("CountRecords through the vtable",
          SUCCEEDED(hr) && count.v.vt == VT_I4 && count.v.lVal == 5, std::to_string(count.v.lVal));
    long read = 0;
    db->put_AssociateID(42);
    hr = db->get_AssociateID(&read);
    Check("AssociateID put and get", SUCCEEDED(hr) && read == 42);
    CheckNamedCallWithoutRequiredArgument(db);

    // A database error: a failed result and the system's error object.
    Value missing(L"no_such_table"), none;
    hr = db->CountRecords(missing.v.bstrVal, where.v.bstrVal, 0, &none.v);
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
            CheckTypes(registered);
            registered->Release();
        }
        CheckWidgetInterfaces(library);
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

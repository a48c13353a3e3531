// The component object binary standard as the library's component server and
// its clients use it: GUIDs, HRESULTs, BSTR, VARIANT, DISPPARAMS, EXCEPINFO,
// IUnknown, IClassFactory, IDispatch and the part of ITypeInfo the server
// offers. Every structure has the standard layout, so C and C++ clients and
// foreign-function clients (the Python package) can use the library alike.
// Interfaces are abstract structs without a virtual destructor: on this
// platform's C++ ABI their first word points at the table of entries, in order.
#pragma once

#include <cstdint>

#include "vendral/export.h"

// Exported from libvendral.so (and the widget library) with C linkage.
#define VENDRAL_COM_EXPORT extern "C" VENDRAL_API

using HRESULT = std::int32_t;
using ULONG = std::uint32_t;
using LONG = std::int32_t;
using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using UINT = std::uint32_t;
using USHORT = std::uint16_t;
using SCODE = std::int32_t;
using LCID = std::uint32_t;
using DISPID = std::int32_t;
using MEMBERID = DISPID;
using VARTYPE = std::uint16_t;
using VARIANT_BOOL = std::int16_t;
using OLECHAR = char16_t;
using LPOLESTR = OLECHAR*;
// A BSTR points at the first character; the 32-bit byte length stands in the
// four bytes before it, and a 16-bit zero follows the last character.
using BSTR = OLECHAR*;

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};
using IID = GUID;
using CLSID = GUID;
static_assert(sizeof(GUID) == 16);

inline bool operator==(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i]) return false;
    return true;
}

// Results.
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFF);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
constexpr HRESULT E_ACCESSDENIED = static_cast<HRESULT>(0x80070005);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154);
constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201);
constexpr HRESULT RPC_E_WRONG_THREAD = static_cast<HRESULT>(0x8001010E);
constexpr HRESULT DISP_E_UNKNOWNINTERFACE = static_cast<HRESULT>(0x80020001);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003);
constexpr HRESULT DISP_E_PARAMNOTFOUND = static_cast<HRESULT>(0x80020004);
constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005);
constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006);
constexpr HRESULT DISP_E_NONAMEDARGS = static_cast<HRESULT>(0x80020007);
constexpr HRESULT DISP_E_EXCEPTION = static_cast<HRESULT>(0x80020009);
constexpr HRESULT DISP_E_OVERFLOW = static_cast<HRESULT>(0x8002000A);
constexpr HRESULT DISP_E_BADINDEX = static_cast<HRESULT>(0x8002000B);
constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000E);
constexpr HRESULT TYPE_E_ELEMENTNOTFOUND = static_cast<HRESULT>(0x8002802B);
inline bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
inline bool FAILED(HRESULT hr) {
    return hr < 0;
}

constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_VALUE = 0;
constexpr DISPID DISPID_PROPERTYPUT = -3;

constexpr WORD DISPATCH_METHOD = 1;
constexpr WORD DISPATCH_PROPERTYGET = 2;
constexpr WORD DISPATCH_PROPERTYPUT = 4;
constexpr WORD DISPATCH_PROPERTYPUTREF = 8;

// VARTYPE codes.
enum : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_VOID = 24,
    VT_HRESULT = 25,
    VT_BYREF = 0x4000,
};
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

struct IUnknown;
struct IDispatch;

// 24 bytes on 64-bit: the type, three reserved words and a 16-byte value.
struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        std::int64_t llVal;
        std::int32_t lVal;
        std::uint8_t bVal;
        std::int16_t iVal;
        float fltVal;
        double dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        double date;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        std::int16_t* piVal;
        std::int32_t* plVal;
        std::int64_t* pllVal;
        double* pdblVal;
        VARIANT_BOOL* pboolVal;
        SCODE* pscode;
        BSTR* pbstrVal;
        IDispatch** ppdispVal;
        VARIANT* pvarVal;
        void* byref;
        struct {
            void* pvRecord;
            void* pRecInfo;
        } record;
    };
};
using VARIANTARG = VARIANT;
static_assert(sizeof(void*) != 8 || sizeof(VARIANT) == 24);

struct DISPPARAMS {
    VARIANTARG* rgvarg;  // the arguments, last one first
    DISPID* rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
};

struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    void* pvReserved;
    HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
    SCODE scode;
};

// Standard interface ids.
inline constexpr IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IDispatch = {
    0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_ITypeInfo = {
    0x00020401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

struct IUnknown {
    virtual HRESULT QueryInterface(const IID& riid, void** ppvObject) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
};

struct IClassFactory : IUnknown {
    virtual HRESULT CreateInstance(IUnknown* pUnkOuter, const IID& riid, void** ppvObject) = 0;
    virtual HRESULT LockServer(std::int32_t fLock) = 0;
};

struct ITypeInfo;

struct IDispatch : IUnknown {
    virtual HRESULT GetTypeInfoCount(UINT* pctinfo) = 0;
    virtual HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) = 0;
    virtual HRESULT GetIDsOfNames(const IID& riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                  DISPID* rgDispId) = 0;
    virtual HRESULT Invoke(DISPID dispIdMember, const IID& riid, LCID lcid, WORD wFlags,
                           DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                           UINT* puArgErr) = 0;
};

// Type descriptions as far as the server fills them: the interface's guid,
// kind and number of functions, and per function its id, kind, invocation
// kind, argument counts and table offset.
enum TYPEKIND : std::int32_t {
    TKIND_ENUM,
    TKIND_RECORD,
    TKIND_MODULE,
    TKIND_INTERFACE,
    TKIND_DISPATCH,
    TKIND_COCLASS
};
enum FUNCKIND : std::int32_t {
    FUNC_VIRTUAL,
    FUNC_PUREVIRTUAL,
    FUNC_NONVIRTUAL,
    FUNC_STATIC,
    FUNC_DISPATCH
};
enum INVOKEKIND : std::int32_t {
    INVOKE_FUNC = 1,
    INVOKE_PROPERTYGET = 2,
    INVOKE_PROPERTYPUT = 4,
    INVOKE_PROPERTYPUTREF = 8
};
enum CALLCONV : std::int32_t { CC_STDCALL = 4 };
constexpr std::uint32_t TYPEFLAG_FDUAL = 0x40;
constexpr std::uint32_t TYPEFLAG_FDISPATCHABLE = 0x1000;
constexpr USHORT PARAMFLAG_FIN = 0x1;
constexpr USHORT PARAMFLAG_FOUT = 0x2;
constexpr USHORT PARAMFLAG_FRETVAL = 0x8;
constexpr USHORT PARAMFLAG_FOPT = 0x10;

struct TYPEDESC {
    union {
        TYPEDESC* lptdesc;
        void* lpadesc;
        std::uint32_t hreftype;
    };
    VARTYPE vt;
};
struct IDLDESC {
    std::uintptr_t dwReserved;
    USHORT wIDLFlags;
};
struct PARAMDESC {
    void* pparamdescex;
    USHORT wParamFlags;
};
struct ELEMDESC {
    TYPEDESC tdesc;
    PARAMDESC paramdesc;
};
struct TYPEATTR {
    GUID guid;
    LCID lcid;
    DWORD dwReserved;
    MEMBERID memidConstructor;
    MEMBERID memidDestructor;
    LPOLESTR lpstrSchema;
    ULONG cbSizeInstance;
    TYPEKIND typekind;
    WORD cFuncs;
    WORD cVars;
    WORD cImplTypes;
    WORD cbSizeVft;
    WORD cbAlignment;
    WORD wTypeFlags;
    WORD wMajorVerNum;
    WORD wMinorVerNum;
    TYPEDESC tdescAlias;
    IDLDESC idldescType;
};
struct FUNCDESC {
    MEMBERID memid;
    SCODE* lprgscode;
    ELEMDESC* lprgelemdescParam;
    FUNCKIND funckind;
    INVOKEKIND invkind;
    CALLCONV callconv;
    std::int16_t cParams;
    std::int16_t cParamsOpt;
    std::int16_t oVft;
    std::int16_t cScodes;
    ELEMDESC elemdescFunc;
    WORD wFuncFlags;
};

// The standard entries in their standard order; the server fills
// GetTypeAttr, GetFuncDesc, GetNames, GetIDsOfNames and the Release entries,
// and answers E_NOTIMPL to the rest.
struct ITypeInfo : IUnknown {
    virtual HRESULT GetTypeAttr(TYPEATTR** ppTypeAttr) = 0;
    virtual HRESULT GetTypeComp(void** ppTComp) = 0;
    virtual HRESULT GetFuncDesc(UINT index, FUNCDESC** ppFuncDesc) = 0;
    virtual HRESULT GetVarDesc(UINT index, void** ppVarDesc) = 0;
    virtual HRESULT GetNames(MEMBERID memid, BSTR* rgBstrNames, UINT cMaxNames, UINT* pcNames) = 0;
    virtual HRESULT GetRefTypeOfImplType(UINT index, std::uint32_t* pRefType) = 0;
    virtual HRESULT GetImplTypeFlags(UINT index, std::int32_t* pImplTypeFlags) = 0;
    virtual HRESULT GetIDsOfNames(LPOLESTR* rgszNames, UINT cNames, MEMBERID* pMemId) = 0;
    virtual HRESULT Invoke(void* pvInstance, MEMBERID memid, WORD wFlags, DISPPARAMS* pDispParams,
                           VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) = 0;
    virtual HRESULT GetDocumentation(MEMBERID memid, BSTR* pBstrName, BSTR* pBstrDocString,
                                     DWORD* pdwHelpContext, BSTR* pBstrHelpFile) = 0;
    virtual HRESULT GetDllEntry(MEMBERID memid, INVOKEKIND invKind, BSTR* pBstrDllName,
                                BSTR* pBstrName, WORD* pwOrdinal) = 0;
    virtual HRESULT GetRefTypeInfo(std::uint32_t hRefType, ITypeInfo** ppTInfo) = 0;
    virtual HRESULT AddressOfMember(MEMBERID memid, INVOKEKIND invKind, void** ppv) = 0;
    virtual HRESULT CreateInstance(IUnknown* pUnkOuter, const IID& riid, void** ppvObj) = 0;
    virtual HRESULT GetMops(MEMBERID memid, BSTR* pBstrMops) = 0;
    virtual HRESULT GetContainingTypeLib(void** ppTLib, UINT* pIndex) = 0;
    virtual void ReleaseTypeAttr(TYPEATTR* pTypeAttr) = 0;
    virtual void ReleaseFuncDesc(FUNCDESC* pFuncDesc) = 0;
    virtual void ReleaseVarDesc(void* pVarDesc) = 0;
};

// The classes of the Vendral library, their dual interfaces and the type
// library. These ids are fixed for good.
inline constexpr CLSID CLSID_CDatabase = {
    0xEAB3025D, 0x64F0, 0x4A4B, {0xB9, 0x06, 0x24, 0xF7, 0x07, 0x93, 0xB8, 0x6D}};
inline constexpr CLSID CLSID_CProgressBar = {
    0x94E54D97, 0x3520, 0x417B, {0xBD, 0x23, 0xA2, 0x4D, 0x74, 0x2D, 0x35, 0xD2}};
inline constexpr CLSID CLSID_CSplash = {
    0x63A0A208, 0x4087, 0x4C52, {0x8A, 0xD4, 0xFD, 0xAD, 0x9C, 0x1E, 0x89, 0xA6}};
inline constexpr IID IID__CDatabase = {
    0x81356B21, 0x2762, 0x4E68, {0xAB, 0x15, 0x28, 0xA8, 0x2E, 0x63, 0x8A, 0x6B}};
inline constexpr IID IID__CProgressBar = {
    0xBD9CF904, 0x8AE5, 0x4975, {0xA7, 0x05, 0xED, 0x9B, 0x03, 0x81, 0xB4, 0xE6}};
inline constexpr IID IID__CSplash = {
    0xE231EDF6, 0x3FAD, 0x411D, {0xB5, 0xF6, 0x65, 0x33, 0x5D, 0xF8, 0x40, 0xA3}};
inline constexpr GUID LIBID_Vendral = {
    0x65FAB692, 0x1C9F, 0x49CA, {0x93, 0x63, 0x15, 0x3A, 0x02, 0xDA, 0xE5, 0xFE}};
// The dispatch objects of a connection, a recordset and a field, which
// CDatabase hands out (not creatable, not registered).
inline constexpr IID IID_VendralConnection = {
    0xBE55440C, 0x78B2, 0x41F9, {0xAB, 0xDF, 0x1D, 0x78, 0xE7, 0x7D, 0x7B, 0x3A}};
inline constexpr IID IID_VendralRecordset = {
    0x45394FF7, 0x513F, 0x4A8F, {0xB0, 0xC5, 0x79, 0xE9, 0x75, 0x5C, 0x15, 0x09}};
inline constexpr IID IID_VendralField = {
    0x0B880BCE, 0x279D, 0x4B4D, {0xA4, 0xF8, 0x51, 0xA3, 0xDC, 0x14, 0x35, 0x30}};

// The private interface that hands out the C++ object behind an automation
// object of the library, for in-process clients built with the same library
// (the Prodwell program). Native answers only when kind is the object's own
// interface id (IID__CDatabase gives a vendral::CDatabase*); the pointer lives
// as long as the object. This id names the C++ layout of the classes: it
// changes whenever that layout changes incompatibly.
inline constexpr IID IID_IVendralNative = {
    0x3E82AA87, 0x567D, 0x4C3E, {0xB2, 0x8C, 0x79, 0x54, 0x0C, 0xDE, 0xA4, 0x08}};

struct IVendralNative : IUnknown {
    virtual HRESULT Native(const IID& kind, void** object) = 0;
};

// The entry points of an in-process server.
using DllGetClassObjectFunction = HRESULT (*)(const CLSID*, const IID*, void**);
using DllCanUnloadNowFunction = HRESULT (*)();
using DllRegisterServerFunction = HRESULT (*)();

// Automation helpers, exported by the library.
VENDRAL_COM_EXPORT BSTR SysAllocString(const OLECHAR* text);
VENDRAL_COM_EXPORT BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
VENDRAL_COM_EXPORT void SysFreeString(BSTR text);
VENDRAL_COM_EXPORT UINT SysStringLen(BSTR text);
VENDRAL_COM_EXPORT void VariantInit(VARIANT* value);
VENDRAL_COM_EXPORT HRESULT VariantClear(VARIANT* value);
VENDRAL_COM_EXPORT HRESULT VariantCopy(VARIANT* destination, const VARIANT* source);

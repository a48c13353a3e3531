/// @file
/// Late-bound calls as the library's component server and its clients make
/// them: BSTR, VARIANT, DISPPARAMS, EXCEPINFO, IDispatch, the type
/// descriptions (ITypeInfo, ITypeLib), the error information (IErrorInfo,
/// ISupportErrorInfo) and the library's own IVendralNative and
/// IVendralErrorRecords, with the helpers for texts, values and errors. On
/// Windows the types, constants and helpers are the system's own (<oaidl.h>,
/// <oleauto.h>), named into namespace vendral::com; elsewhere the library
/// defines them here.
#pragma once

#include <cstdint>

#include "vendral/com_base.h"

#ifdef _WIN32
#include <oleauto.h>

namespace vendral::com {
using ::BSTR;
using ::CALLCONV;
using ::DISPID;
using ::DISPPARAMS;
using ::ELEMDESC;
using ::EXCEPINFO;
using ::FUNCDESC;
using ::FUNCKIND;
using ::GetErrorInfo;
using ::HREFTYPE;
using ::IDispatch;
using ::IDLDESC;
using ::IErrorInfo;
using ::INVOKEKIND;
using ::ISupportErrorInfo;
using ::ITypeComp;
using ::ITypeInfo;
using ::ITypeLib;
using ::LCID;
using ::LPOLESTR;
using ::MEMBERID;
using ::OLECHAR;
using ::PARAMDESC;
using ::PARAMDESCEX;
using ::SetErrorInfo;
using ::SysAllocString;
using ::SysAllocStringLen;
using ::SysFreeString;
using ::SysStringLen;
using ::TLIBATTR;
using ::TYPEATTR;
using ::TYPEDESC;
using ::TYPEKIND;
using ::VARDESC;
using ::VARIANT;
using ::VARIANT_BOOL;
using ::VARIANTARG;
using ::VariantClear;
using ::VariantCopy;
using ::VariantInit;
using ::VARKIND;
using ::VARTYPE;
}  // namespace vendral::com

#else

namespace vendral::com {

using LCID = std::uint32_t;         ///< A locale id (not used by the server).
using DISPID = std::int32_t;        ///< The id of a member of a dispatch interface.
using MEMBERID = DISPID;            ///< The id of a member in a type description.
using VARTYPE = std::uint16_t;      ///< The type code of a VARIANT (VT_ values).
using VARIANT_BOOL = std::int16_t;  ///< A Boolean: VARIANT_TRUE (-1) or VARIANT_FALSE (0).
using OLECHAR = char16_t;           ///< A UTF-16 code unit.
using LPOLESTR = OLECHAR*;          ///< A zero-terminated UTF-16 text.
/// A text of the automation calls: a BSTR points at the first UTF-16
/// character; the 32-bit byte length stands in the four bytes before it, and a
/// 16-bit zero follows the last character. Made with SysAllocString(), freed
/// with SysFreeString(); null is the empty text.
using BSTR = OLECHAR*;

/// @name Results of late-bound calls
/** @{ */
constexpr HRESULT DISP_E_UNKNOWNINTERFACE =
    static_cast<HRESULT>(0x80020001);  ///< Invoke with an interface id other than IID_NULL.
constexpr HRESULT DISP_E_MEMBERNOTFOUND =
    static_cast<HRESULT>(0x80020003);  ///< No such member, or not with this invocation kind.
constexpr HRESULT DISP_E_PARAMNOTFOUND =
    static_cast<HRESULT>(0x80020004);  ///< A required argument is missing.
constexpr HRESULT DISP_E_TYPEMISMATCH =
    static_cast<HRESULT>(0x80020005);  ///< An argument has a type that cannot be converted.
constexpr HRESULT DISP_E_UNKNOWNNAME =
    static_cast<HRESULT>(0x80020006);  ///< A name is not a member of the interface.
constexpr HRESULT DISP_E_NONAMEDARGS =
    static_cast<HRESULT>(0x80020007);  ///< Named arguments are not supported.
constexpr HRESULT DISP_E_EXCEPTION =
    static_cast<HRESULT>(0x80020009);  ///< The member raised an error; EXCEPINFO describes it.
constexpr HRESULT DISP_E_OVERFLOW =
    static_cast<HRESULT>(0x8002000A);  ///< An argument is out of the range of its type.
constexpr HRESULT DISP_E_BADINDEX =
    static_cast<HRESULT>(0x8002000B);  ///< An index is out of range.
constexpr HRESULT DISP_E_BADPARAMCOUNT =
    static_cast<HRESULT>(0x8002000E);  ///< Too many or too few arguments.
constexpr HRESULT DISP_E_PARAMNOTOPTIONAL =
    static_cast<HRESULT>(0x8002000F);  ///< A named call left out a required argument.
constexpr HRESULT TYPE_E_ELEMENTNOTFOUND =
    static_cast<HRESULT>(0x8002802B);  ///< No such element of a type description.
/** @} */

/// @name Special member ids
/** @{ */
constexpr DISPID DISPID_UNKNOWN = -1;      ///< A name that was not found.
constexpr DISPID DISPID_VALUE = 0;         ///< The default member.
constexpr DISPID DISPID_PROPERTYPUT = -3;  ///< The named argument of a property put.

/** @} */

/// @name Invocation kinds of IDispatch::Invoke
/// Combined with "|" where a name is both a method and a property.
/** @{ */
constexpr WORD DISPATCH_METHOD = 1;          ///< Call a method.
constexpr WORD DISPATCH_PROPERTYGET = 2;     ///< Read a property.
constexpr WORD DISPATCH_PROPERTYPUT = 4;     ///< Write a property.
constexpr WORD DISPATCH_PROPERTYPUTREF = 8;  ///< Write a property by reference.

/** @} */

/// VARTYPE codes: what a VARIANT holds and which of its fields carries it.
enum : VARTYPE {
    VT_EMPTY = 0,     ///< Nothing.
    VT_NULL = 1,      ///< SQL NULL.
    VT_I2 = 2,        ///< 16-bit integer (iVal).
    VT_I4 = 3,        ///< 32-bit integer (lVal).
    VT_R4 = 4,        ///< float (fltVal).
    VT_R8 = 5,        ///< double (dblVal).
    VT_CY = 6,        ///< Currency (llVal, in ten-thousandths).
    VT_DATE = 7,      ///< Date (date, days since 30 December 1899).
    VT_BSTR = 8,      ///< Text (bstrVal).
    VT_DISPATCH = 9,  ///< A dispatch object (pdispVal).
    VT_ERROR = 10,    ///< A status code (scode); DISP_E_PARAMNOTFOUND marks an omitted argument.
    VT_BOOL = 11,     ///< Boolean (boolVal).
    VT_VARIANT = 12,  ///< A VARIANT, by reference only (pvarVal).
    VT_UNKNOWN = 13,  ///< An object (punkVal).
    VT_I1 = 16,       ///< 8-bit signed.
    VT_UI1 = 17,      ///< 8-bit unsigned (bVal).
    VT_UI2 = 18,      ///< 16-bit unsigned.
    VT_UI4 = 19,      ///< 32-bit unsigned.
    VT_I8 = 20,       ///< 64-bit integer (llVal).
    VT_UI8 = 21,      ///< 64-bit unsigned.
    VT_INT = 22,      ///< Machine integer.
    VT_UINT = 23,     ///< Machine unsigned integer.
    VT_VOID = 24,     ///< No value (type descriptions).
    VT_HRESULT = 25,  ///< A result (type descriptions).
    VT_PTR = 26,      ///< A pointer to the type lptdesc names (type descriptions).
    VT_USERDEFINED = 29,  ///< The type hreftype names, an enumeration (type descriptions).
    VT_BYREF = 0x4000,    ///< Flag: the value is a pointer to a value of the type.
};
constexpr VARIANT_BOOL VARIANT_TRUE = -1;  ///< True.
constexpr VARIANT_BOOL VARIANT_FALSE = 0;  ///< False.

struct IDispatch;

/// A value of the automation calls: 24 bytes on 64-bit, the type, three
/// reserved words and a 16-byte value. Initialise with VariantInit(), release
/// with VariantClear(), copy with VariantCopy().
struct VARIANT {
    VARTYPE vt;       ///< The type of the value (VT_ values).
    WORD wReserved1;  ///< Reserved.
    WORD wReserved2;  ///< Reserved.
    WORD wReserved3;  ///< Reserved.
    /// The value; the field that vt names.
    union {
        std::int64_t llVal;      ///< VT_I8, VT_CY.
        std::int32_t lVal;       ///< VT_I4.
        std::uint8_t bVal;       ///< VT_UI1.
        std::int16_t iVal;       ///< VT_I2.
        float fltVal;            ///< VT_R4.
        double dblVal;           ///< VT_R8.
        VARIANT_BOOL boolVal;    ///< VT_BOOL.
        SCODE scode;             ///< VT_ERROR.
        double date;             ///< VT_DATE.
        BSTR bstrVal;            ///< VT_BSTR.
        IUnknown* punkVal;       ///< VT_UNKNOWN.
        IDispatch* pdispVal;     ///< VT_DISPATCH.
        std::int16_t* piVal;     ///< VT_BYREF | VT_I2.
        std::int32_t* plVal;     ///< VT_BYREF | VT_I4.
        std::int64_t* pllVal;    ///< VT_BYREF | VT_I8.
        double* pdblVal;         ///< VT_BYREF | VT_R8.
        VARIANT_BOOL* pboolVal;  ///< VT_BYREF | VT_BOOL.
        SCODE* pscode;           ///< VT_BYREF | VT_ERROR.
        BSTR* pbstrVal;          ///< VT_BYREF | VT_BSTR.
        IDispatch** ppdispVal;   ///< VT_BYREF | VT_DISPATCH.
        VARIANT* pvarVal;        ///< VT_BYREF | VT_VARIANT.
        void* byref;             ///< Any VT_BYREF value.
        /// A record value (not used by the server).
        struct {
            void* pvRecord;  ///< A record (not used).
            void* pRecInfo;  ///< Its type (not used).
        } record;
    };
};
using VARIANTARG = VARIANT;  ///< A VARIANT as an argument of IDispatch::Invoke.
static_assert(sizeof(void*) != 8 || sizeof(VARIANT) == 24);

/// The arguments of IDispatch::Invoke.
struct DISPPARAMS {
    VARIANTARG* rgvarg;         ///< The arguments, last one first.
    DISPID* rgdispidNamedArgs;  ///< The ids of the named arguments (DISPID_PROPERTYPUT only).
    UINT cArgs;                 ///< The number of arguments.
    UINT cNamedArgs;            ///< The number of named arguments.
};

/// The error a member raised, filled by IDispatch::Invoke when it returns
/// DISP_E_EXCEPTION; the caller frees its texts.
struct EXCEPINFO {
    WORD wCode;                                ///< An error code (0: see scode).
    WORD wReserved;                            ///< Reserved.
    BSTR bstrSource;                           ///< Where the error arose ("Vendral.CDatabase").
    BSTR bstrDescription;                      ///< The error's text.
    BSTR bstrHelpFile;                         ///< A help file, or null.
    DWORD dwHelpContext;                       ///< A help topic, or 0.
    void* pvReserved;                          ///< Reserved.
    HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);  ///< Fills the rest in later, or null.
    SCODE scode;                               ///< The failure's status when wCode is 0.
};

/// @name Standard interface ids
/** @{ */
/// IDispatch.
inline constexpr IID IID_IDispatch = {
    0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
/// ITypeInfo.
inline constexpr IID IID_ITypeInfo = {
    0x00020401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
/// ITypeLib.
inline constexpr IID IID_ITypeLib = {
    0x00020402, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
/// The null id, the interface argument of IDispatch::Invoke and GetIDsOfNames.
inline constexpr IID IID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
/** @} */

struct ITypeInfo;
struct ITypeLib;
struct ITypeComp;                ///< Not served: GetTypeComp answers E_NOTIMPL.
using HREFTYPE = std::uint32_t;  ///< The reference number of a type a type description names.

/// Late-bound calls by member name, as scripting and foreign-function
/// clients make them. The classes' dual interfaces offer every member of the
/// class this way. Called from a thread other than the object's, every entry
/// gives RPC_E_WRONG_THREAD.
struct IDispatch : IUnknown {
    /// Stores 1 in @p pctinfo: the object describes its interface.
    virtual HRESULT GetTypeInfoCount(UINT* pctinfo) = 0;
    /// The description of the interface (@p iTInfo 0), with a reference.
    virtual HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) = 0;
    /// The ids of @p cNames member names (matched without regard to case);
    /// DISP_E_UNKNOWNNAME with DISPID_UNKNOWN for a name that is not a member.
    virtual HRESULT GetIDsOfNames(const IID& riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                  DISPID* rgDispId) = 0;
    /// Calls member @p dispIdMember as @p wFlags says with the arguments of
    /// @p pDispParams and stores its result in @p pVarResult. An error the
    /// member raised gives DISP_E_EXCEPTION and is described in
    /// @p pExcepInfo (the text and number of the library's error: a database
    /// failure keeps its driver message); a bad argument gives
    /// DISP_E_TYPEMISMATCH or DISP_E_PARAMNOTFOUND with its position in
    /// @p puArgErr.
    virtual HRESULT Invoke(DISPID dispIdMember, const IID& riid, LCID lcid, WORD wFlags,
                           DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                           UINT* puArgErr) = 0;
};

// Type descriptions as far as the server fills them: the interface's guid,
// kind and number of functions, and per function its id, kind, invocation
// kind, argument counts and table offset.

/// The kind of a described type.
enum TYPEKIND : std::int32_t {
    TKIND_ENUM,       ///< An enumeration.
    TKIND_RECORD,     ///< A structure.
    TKIND_MODULE,     ///< A module.
    TKIND_INTERFACE,  ///< An interface.
    TKIND_DISPATCH,   ///< A dispatch interface.
    TKIND_COCLASS     ///< A component class.
};
/// The kind of a described function.
enum FUNCKIND : std::int32_t {
    FUNC_VIRTUAL,      ///< A virtual function.
    FUNC_PUREVIRTUAL,  ///< A pure virtual function (an interface entry).
    FUNC_NONVIRTUAL,   ///< A non-virtual function.
    FUNC_STATIC,       ///< A static function.
    FUNC_DISPATCH      ///< Reached through IDispatch::Invoke only.
};
/// How a described function is invoked.
enum INVOKEKIND : std::int32_t {
    INVOKE_FUNC = 1,           ///< A method.
    INVOKE_PROPERTYGET = 2,    ///< A property read.
    INVOKE_PROPERTYPUT = 4,    ///< A property write.
    INVOKE_PROPERTYPUTREF = 8  ///< A property write by reference.
};
/// The calling convention of a described function.
enum CALLCONV : std::int32_t { CC_STDCALL = 4 };  ///< The standard one.
/// @name Flags of type and argument descriptions
/** @{ */
constexpr std::uint32_t TYPEFLAG_FDUAL = 0x40;  ///< A dual interface (table entries and IDispatch).
constexpr std::uint32_t TYPEFLAG_FDISPATCHABLE = 0x1000;  ///< Derives from IDispatch.
constexpr USHORT PARAMFLAG_FIN = 0x1;                     ///< An input argument.
constexpr USHORT PARAMFLAG_FOUT = 0x2;                    ///< An output argument.
constexpr USHORT PARAMFLAG_FRETVAL = 0x8;                 ///< The result.
constexpr USHORT PARAMFLAG_FOPT = 0x10;                   ///< An optional argument.
constexpr USHORT PARAMFLAG_FHASDEFAULT = 0x20;            ///< An argument with a default value.
constexpr MEMBERID MEMBERID_NIL = -1;  ///< The type itself, for GetDocumentation.

/** @} */

/// The type of a described argument or result.
struct TYPEDESC {
    /// What the type refers to, for the types that refer.
    union {
        TYPEDESC* lptdesc;       ///< VT_PTR, VT_SAFEARRAY: the element type.
        void* lpadesc;           ///< VT_CARRAY: the array (not used).
        std::uint32_t hreftype;  ///< VT_USERDEFINED: the referenced type (not used).
    };
    VARTYPE vt;  ///< The type of the value (VT_ values).
};
/// IDL attributes of a described type.
struct IDLDESC {
    std::uintptr_t dwReserved;  ///< Reserved.
    USHORT wIDLFlags;           ///< IDL flags (0).
};
/// The default value of a described argument.
struct PARAMDESCEX {
    ULONG cBytes;                ///< The size of this structure.
    VARIANTARG varDefaultValue;  ///< The value.
};
/// How a described argument is passed.
struct PARAMDESC {
    PARAMDESCEX* pparamdescex;  ///< The default value, with PARAMFLAG_FHASDEFAULT.
    USHORT wParamFlags;         ///< PARAMFLAG_ values.
};
/// A described argument or result: its type and how it is passed.
struct ELEMDESC {
    TYPEDESC tdesc;       ///< The type.
    PARAMDESC paramdesc;  ///< The argument flags.
};
/// The attributes of a described interface (ITypeInfo::GetTypeAttr).
struct TYPEATTR {
    GUID guid;                  ///< The interface id.
    LCID lcid;                  ///< The locale (0).
    DWORD dwReserved;           ///< Reserved.
    MEMBERID memidConstructor;  ///< DISPID_UNKNOWN.
    MEMBERID memidDestructor;   ///< DISPID_UNKNOWN.
    LPOLESTR lpstrSchema;       ///< Null.
    ULONG cbSizeInstance;       ///< The size of an instance (a pointer).
    TYPEKIND typekind;          ///< TKIND_DISPATCH or TKIND_INTERFACE.
    WORD cFuncs;                ///< The number of functions.
    WORD cVars;                 ///< The number of variables (0).
    WORD cImplTypes;            ///< The number of base interfaces.
    WORD cbSizeVft;             ///< The size of the table of entries in bytes.
    WORD cbAlignment;           ///< The alignment of an instance.
    WORD wTypeFlags;            ///< TYPEFLAG_ values.
    WORD wMajorVerNum;          ///< The major version.
    WORD wMinorVerNum;          ///< The minor version.
    TYPEDESC tdescAlias;        ///< Not an alias (VT_EMPTY).
    IDLDESC idldescType;        ///< IDL attributes.
};
/// A described function (ITypeInfo::GetFuncDesc).
struct FUNCDESC {
    MEMBERID memid;               ///< The member id.
    SCODE* lprgscode;             ///< The results it may give (null).
    ELEMDESC* lprgelemdescParam;  ///< Its arguments.
    FUNCKIND funckind;            ///< Its kind.
    INVOKEKIND invkind;           ///< How it is invoked.
    CALLCONV callconv;            ///< CC_STDCALL.
    std::int16_t cParams;         ///< The number of arguments.
    std::int16_t cParamsOpt;      ///< The number of optional ones (0).
    std::int16_t oVft;            ///< Its offset in the table of entries.
    std::int16_t cScodes;         ///< The number of results in lprgscode.
    ELEMDESC elemdescFunc;        ///< Its result type.
    WORD wFuncFlags;              ///< Function flags (0).
};

/// The kind of a described variable.
enum VARKIND : std::int32_t {
    VAR_PERINSTANCE,  ///< A field of an instance.
    VAR_STATIC,       ///< A static field.
    VAR_CONST,        ///< A constant (the values of an enumeration).
    VAR_DISPATCH      ///< A property of a dispatch interface.
};
/// A described variable (ITypeInfo::GetVarDesc): an enumeration's value.
struct VARDESC {
    MEMBERID memid;        ///< The member id.
    LPOLESTR lpstrSchema;  ///< Null.
    VARIANT* lpvarValue;   ///< VAR_CONST: the value.
    ELEMDESC elemdescVar;  ///< The type.
    WORD wVarFlags;        ///< Variable flags (0).
    VARKIND varkind;       ///< Its kind.
};
/// The attributes of a type library (ITypeLib::GetLibAttr).
struct TLIBATTR {
    GUID guid;             ///< The library id.
    LCID lcid;             ///< The locale (0).
    std::int32_t syskind;  ///< The platform (1 win32, 3 win64; others here).
    WORD wMajorVerNum;     ///< The major version.
    WORD wMinorVerNum;     ///< The minor version.
    WORD wLibFlags;        ///< Flags (0).
};

/// The description of a dispatch interface. The standard entries stand in
/// their standard order; the server fills GetTypeAttr, GetFuncDesc, GetNames,
/// GetIDsOfNames and the Release entries, and answers E_NOTIMPL to the rest.
struct ITypeInfo : IUnknown {
    /// The interface's attributes; free them with ReleaseTypeAttr().
    virtual HRESULT GetTypeAttr(TYPEATTR** ppTypeAttr) = 0;
    /// Not filled by the server: E_NOTIMPL.
    virtual HRESULT GetTypeComp(ITypeComp** ppTComp) = 0;
    /// Function @p index (0 to cFuncs - 1); free it with ReleaseFuncDesc().
    /// TYPE_E_ELEMENTNOTFOUND past the last.
    virtual HRESULT GetFuncDesc(UINT index, FUNCDESC** ppFuncDesc) = 0;
    /// Value @p index of an enumeration; free it with ReleaseVarDesc().
    /// TYPE_E_ELEMENTNOTFOUND past the last (an interface has none).
    virtual HRESULT GetVarDesc(UINT index, VARDESC** ppVarDesc) = 0;
    /// The name of member @p memid and of its arguments, up to @p cMaxNames;
    /// the caller frees them.
    virtual HRESULT GetNames(MEMBERID memid, BSTR* rgBstrNames, UINT cMaxNames, UINT* pcNames) = 0;
    /// The reference of a component class's interface @p index, for
    /// GetRefTypeInfo(); E_NOTIMPL for other types.
    virtual HRESULT GetRefTypeOfImplType(UINT index, HREFTYPE* pRefType) = 0;
    /// Not filled by the server: E_NOTIMPL.
    virtual HRESULT GetImplTypeFlags(UINT index, std::int32_t* pImplTypeFlags) = 0;
    /// The ids of a member name and its argument names, as
    /// IDispatch::GetIDsOfNames.
    virtual HRESULT GetIDsOfNames(LPOLESTR* rgszNames, UINT cNames, MEMBERID* pMemId) = 0;
    /// Not filled by the server: E_NOTIMPL.
    virtual HRESULT Invoke(void* pvInstance, MEMBERID memid, WORD wFlags, DISPPARAMS* pDispParams,
                           VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) = 0;
    /// Not filled by the server: E_NOTIMPL.
    virtual HRESULT GetDocumentation(MEMBERID memid, BSTR* pBstrName, BSTR* pBstrDocString,
                                     DWORD* pdwHelpContext, BSTR* pBstrHelpFile) = 0;
    /// Not filled by the server: E_NOTIMPL.
    virtual HRESULT GetDllEntry(MEMBERID memid, INVOKEKIND invKind, BSTR* pBstrDllName,
                                BSTR* pBstrName, WORD* pwOrdinal) = 0;
    /// The description that @p hRefType names: the enumeration of a
    /// VT_USERDEFINED argument, or a component class's interface.
    virtual HRESULT GetRefTypeInfo(HREFTYPE hRefType, ITypeInfo** ppTInfo) = 0;
    /// Not filled by the server: E_NOTIMPL.
    virtual HRESULT AddressOfMember(MEMBERID memid, INVOKEKIND invKind, void** ppv) = 0;
    /// Not filled by the server: E_NOTIMPL.
    virtual HRESULT CreateInstance(IUnknown* pUnkOuter, const IID& riid, void** ppvObj) = 0;
    /// Not filled by the server: E_NOTIMPL.
    virtual HRESULT GetMops(MEMBERID memid, BSTR* pBstrMops) = 0;
    /// The type library that holds this description, with a reference, and
    /// the description's index in it; E_NOTIMPL for a type outside any.
    virtual HRESULT GetContainingTypeLib(ITypeLib** ppTLib, UINT* pIndex) = 0;
    /// Frees what GetTypeAttr() gave.
    virtual void ReleaseTypeAttr(TYPEATTR* pTypeAttr) = 0;
    /// Frees what GetFuncDesc() gave.
    virtual void ReleaseFuncDesc(FUNCDESC* pFuncDesc) = 0;
    /// Frees what GetVarDesc() gave.
    virtual void ReleaseVarDesc(VARDESC* pVarDesc) = 0;
};

/// A type library: the descriptions of a library's classes, interfaces and
/// enumerations. The standard entries stand in their standard order.
struct ITypeLib : IUnknown {
    /// The number of descriptions.
    virtual UINT GetTypeInfoCount() = 0;
    /// Description @p index, with a reference.
    virtual HRESULT GetTypeInfo(UINT index, ITypeInfo** ppTInfo) = 0;
    /// The kind of description @p index.
    virtual HRESULT GetTypeInfoType(UINT index, TYPEKIND* pTKind) = 0;
    /// The description of the class or interface @p guid, with a reference.
    virtual HRESULT GetTypeInfoOfGuid(const GUID& guid, ITypeInfo** ppTInfo) = 0;
    /// The library's attributes; free them with ReleaseTLibAttr().
    virtual HRESULT GetLibAttr(TLIBATTR** ppTLibAttr) = 0;
    /// Not filled by the server: E_NOTIMPL.
    virtual HRESULT GetTypeComp(ITypeComp** ppTComp) = 0;
    /// The name of description @p index (-1: of the library itself).
    virtual HRESULT GetDocumentation(std::int32_t index, BSTR* pBstrName, BSTR* pBstrDocString,
                                     DWORD* pdwHelpContext, BSTR* pBstrHelpFile) = 0;
    /// Not filled by the server: E_NOTIMPL.
    virtual HRESULT IsName(LPOLESTR szNameBuf, ULONG lHashVal, std::int32_t* pfName) = 0;
    /// Not filled by the server: E_NOTIMPL.
    virtual HRESULT FindName(LPOLESTR szNameBuf, ULONG lHashVal, ITypeInfo** ppTInfo,
                             MEMBERID* rgMemId, USHORT* pcFound) = 0;
    /// Frees what GetLibAttr() gave.
    virtual void ReleaseTLibAttr(TLIBATTR* pTLibAttr) = 0;
};

/// @name Error information
/// The error object that a failed call leaves on its thread for vtable
/// callers (the dispatch side also fills EXCEPINFO).
/** @{ */
/// The standard id of IErrorInfo.
inline constexpr IID IID_IErrorInfo = {
    0x1CF2B120, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
/// The standard id of ISupportErrorInfo.
inline constexpr IID IID_ISupportErrorInfo = {
    0xDF0B3D60, 0x548F, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};

/// The error of a failed call: its interface, source and description.
struct IErrorInfo : IUnknown {
    /// The id of the interface whose call failed.
    virtual HRESULT GetGUID(GUID* pGUID) = 0;
    /// A new BSTR with the source ("Vendral" for the library's objects).
    virtual HRESULT GetSource(BSTR* pBstrSource) = 0;
    /// A new BSTR with the message (the driver's for database errors).
    virtual HRESULT GetDescription(BSTR* pBstrDescription) = 0;
    /// No help file: null.
    virtual HRESULT GetHelpFile(BSTR* pBstrHelpFile) = 0;
    /// No help context: 0.
    virtual HRESULT GetHelpContext(DWORD* pdwHelpContext) = 0;
};

/// Answered by objects that leave error information on failure.
struct ISupportErrorInfo : IUnknown {
    /// S_OK when calls on the interface @p riid leave error information on
    /// failure, S_FALSE otherwise.
    virtual HRESULT InterfaceSupportsErrorInfo(const IID& riid) = 0;
};

/** @} */

}  // namespace vendral::com

#endif

namespace vendral::com {

/// The private interface that hands out the C++ object behind an automation
/// object of the library, for in-process clients built with the same library
/// (the Prodwell program). This id names the C++ layout of the classes: it
/// changes whenever that layout changes incompatibly.
inline constexpr IID IID_IVendralNative = {
    0x3E82AA87, 0x567D, 0x4C3E, {0xB2, 0x8C, 0x79, 0x54, 0x0C, 0xDE, 0xA4, 0x08}};

/// The C++ object behind an automation object of the library (see
/// IID_IVendralNative).
struct IVendralNative : IUnknown {
    /// Stores the C++ object in @p object when @p kind is the object's own
    /// interface id (IID__CDatabase gives a vendral::CDatabase*); the pointer
    /// lives as long as the object. E_NOINTERFACE for any other id.
    virtual HRESULT VENDRAL_COM_CALL Native(const IID& kind, void** object) = 0;
};

/// @name Error records
/** @{ */
/// The id of IVendralErrorRecords.
inline constexpr IID IID_IVendralErrorRecords = {
    0x2D5114B7, 0x24C8, 0x4969, {0xAE, 0x92, 0x4C, 0xA6, 0x3B, 0x79, 0x1E, 0x2B}};

/// The database's own records behind an error of the library's objects, the
/// first one being the error's description. Error objects of other failures
/// do not answer it.
struct IVendralErrorRecords : IUnknown {
    /// The number of records.
    virtual HRESULT VENDRAL_COM_CALL GetRecordCount(ULONG* count) = 0;
    /// Record @p index: new BSTRs with its description and SQLSTATE, and its
    /// native number; DISP_E_BADINDEX past the last one.
    virtual HRESULT VENDRAL_COM_CALL GetRecord(ULONG index, BSTR* description, BSTR* sqlState,
                                               LONG* nativeError) = 0;
};
/** @} */

/// @name Automation helpers
/// Exported by the library with C linkage under names of its own, so that
/// they never stand in for the system's functions of the same purpose. On
/// Windows the system's functions serve instead.
/** @{ */
#ifndef _WIN32
/// A new BSTR holding the zero-terminated @p text; null for null.
VENDRAL_COM_EXPORT BSTR VendralSysAllocString(const OLECHAR* text);
/// A new BSTR of @p length characters from @p text (zeros when @p text is null).
VENDRAL_COM_EXPORT BSTR VendralSysAllocStringLen(const OLECHAR* text, UINT length);
/// Frees a BSTR; null does nothing.
VENDRAL_COM_EXPORT void VendralSysFreeString(BSTR text);
/// The number of characters of a BSTR; 0 for null.
VENDRAL_COM_EXPORT UINT VendralSysStringLen(BSTR text);
/// Makes @p value VT_EMPTY without looking at what it held.
VENDRAL_COM_EXPORT void VendralVariantInit(VARIANT* value);
/// Frees what @p value holds (a BSTR, a reference) and makes it VT_EMPTY.
VENDRAL_COM_EXPORT HRESULT VendralVariantClear(VARIANT* value);
/// Clears @p destination and makes it a copy of @p source (a new BSTR, one
/// more reference).
VENDRAL_COM_EXPORT HRESULT VendralVariantCopy(VARIANT* destination, const VARIANT* source);
/// Replaces the thread's error object with @p errorInfo (one more reference;
/// null clears it); @p reserved must be 0.
VENDRAL_COM_EXPORT HRESULT VendralSetErrorInfo(ULONG reserved, IErrorInfo* errorInfo);
/// Hands over the thread's error object with its reference and clears it;
/// S_FALSE (and null) when there is none; @p reserved must be 0.
VENDRAL_COM_EXPORT HRESULT VendralGetErrorInfo(ULONG reserved, IErrorInfo** errorInfo);

/// VendralSysAllocString() under the standard name.
inline BSTR SysAllocString(const OLECHAR* text) {
    return VendralSysAllocString(text);
}
/// VendralSysAllocStringLen() under the standard name.
inline BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
    return VendralSysAllocStringLen(text, length);
}
/// VendralSysFreeString() under the standard name.
inline void SysFreeString(BSTR text) {
    VendralSysFreeString(text);
}
/// VendralSysStringLen() under the standard name.
inline UINT SysStringLen(BSTR text) {
    return VendralSysStringLen(text);
}
/// VendralVariantInit() under the standard name.
inline void VariantInit(VARIANT* value) {
    VendralVariantInit(value);
}
/// VendralVariantClear() under the standard name.
inline HRESULT VariantClear(VARIANT* value) {
    return VendralVariantClear(value);
}
/// VendralVariantCopy() under the standard name.
inline HRESULT VariantCopy(VARIANT* destination, const VARIANT* source) {
    return VendralVariantCopy(destination, source);
}
/// VendralSetErrorInfo() under the standard name.
inline HRESULT SetErrorInfo(ULONG reserved, IErrorInfo* errorInfo) {
    return VendralSetErrorInfo(reserved, errorInfo);
}
/// VendralGetErrorInfo() under the standard name.
inline HRESULT GetErrorInfo(ULONG reserved, IErrorInfo** errorInfo) {
    return VendralGetErrorInfo(reserved, errorInfo);
}
#endif
/** @} */

}  // namespace vendral::com

/// @file
/// The base of the component object binary standard as the library's
/// component server and its clients use it: GUIDs, HRESULTs, the integer
/// types and IUnknown. Every structure has the standard layout, so C and C++
/// clients and foreign-function clients (the Python package) can use the
/// library alike. Interfaces are abstract structs without a virtual
/// destructor: on this platform's C++ ABI their first word points at the
/// table of entries, in order.
///
/// Everything stands in namespace vendral::com, so that this header compiles
/// beside the ODBC headers (<sql.h>, <sqlext.h>, <odbcinst.h>), which declare
/// some of the same names globally. On Windows the types and constants are the
/// system's own, named into the namespace; elsewhere the library defines them
/// here. com_activation.h builds on it for classes and their factories,
/// com_automation.h for late-bound calls and their values.
#pragma once

#include <cstdint>

#include "vendral/export.h"

/// Exported from libvendral.so (and the widget library) with C linkage.
#define VENDRAL_COM_EXPORT extern "C" VENDRAL_API

/// The calling convention of every entry of an interface's table and of the
/// library's exported functions: the system's (stdcall) on 32-bit Windows,
/// where caller and callee must agree on who clears the arguments; the
/// platform's own elsewhere.
#ifdef _WIN32
#define VENDRAL_COM_CALL __stdcall
#else
#define VENDRAL_COM_CALL
#endif

#ifdef _WIN32
// The system's own types and helpers: a script engine frees the strings it
// gets with the system's allocator, and reads errors through the system's
// error object.
#include <ole2.h>
#include <windows.h>

namespace vendral::com {
using ::CLSID;
using ::DWORD;
using ::GUID;
using ::HRESULT;
using ::IID;
using ::IUnknown;
using ::LONG;
using ::SCODE;
using ::UINT;
using ::ULONG;
using ::USHORT;
using ::WORD;
}  // namespace vendral::com

#else

namespace vendral::com {

using HRESULT = std::int32_t;  ///< A result: 0 or more is success, below 0 a failure.
using ULONG = std::uint32_t;   ///< 32-bit unsigned.
using LONG = std::int32_t;     ///< 32-bit signed.
using DWORD = std::uint32_t;   ///< 32-bit unsigned.
using WORD = std::uint16_t;    ///< 16-bit unsigned.
using UINT = std::uint32_t;    ///< 32-bit unsigned.
using USHORT = std::uint16_t;  ///< 16-bit unsigned.
using SCODE = std::int32_t;    ///< A status code, as HRESULT.

/// A 128-bit id of a class, an interface or a type library.
struct GUID {
    std::uint32_t Data1;    ///< The first 8 hexadecimal digits.
    std::uint16_t Data2;    ///< The next 4.
    std::uint16_t Data3;    ///< The next 4.
    std::uint8_t Data4[8];  ///< The last 16, as bytes.
};
using IID = GUID;    ///< An interface id.
using CLSID = GUID;  ///< A class id.
static_assert(sizeof(GUID) == 16);

/// True when all 128 bits are equal.
inline bool operator==(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i]) return false;
    return true;
}

/// @name Results
/// The HRESULT values the server and the client part give.
/** @{ */
constexpr HRESULT S_OK = 0;     ///< Success.
constexpr HRESULT S_FALSE = 1;  ///< Success with a false answer ("not now").
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);  ///< Not implemented.
constexpr HRESULT E_NOINTERFACE =
    static_cast<HRESULT>(0x80004002);  ///< The object has no such interface.
constexpr HRESULT E_POINTER =
    static_cast<HRESULT>(0x80004003);  ///< A null pointer where one was needed.
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);         ///< Unspecified failure.
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFF);   ///< Unexpected failure.
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);  ///< Out of memory.
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);   ///< An argument is invalid.
constexpr HRESULT E_ACCESSDENIED =
    static_cast<HRESULT>(0x80070005);  ///< Access denied (the registry file cannot be written).
constexpr HRESULT RPC_E_WRONG_THREAD =
    static_cast<HRESULT>(0x8001010E);  ///< The object belongs to another thread.
/** @} */
/// True for a success (0 or more).
inline bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
/// True for a failure (below 0).
inline bool FAILED(HRESULT hr) {
    return hr < 0;
}

/// @name Standard interface ids
/** @{ */
/// IUnknown.
inline constexpr IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
/** @} */

/// The base of every interface: asking for other interfaces and counting
/// references. An object lives while references to it are held.
struct IUnknown {
    /// Stores in @p ppvObject the interface @p riid of the object with one
    /// reference added: S_OK, or E_NOINTERFACE (and null) when it has none.
    virtual HRESULT QueryInterface(const IID& riid, void** ppvObject) = 0;
    /// Adds a reference; the new count, for diagnostics only.
    virtual ULONG AddRef() = 0;
    /// Drops a reference and frees the object with the last; the new count.
    virtual ULONG Release() = 0;
};

}  // namespace vendral::com

#endif

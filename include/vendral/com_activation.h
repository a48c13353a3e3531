/// @file
/// Classes, their factories and their registration as the library's
/// component server and its clients use them: IClassFactory, the results of
/// making and registering objects, the entry points of an in-process server
/// and the installation of a client's user interface host.
///
/// The library's entry points `DllGetClassObject`, `DllCanUnloadNow`,
/// `DllRegisterServer` and `DllUnregisterServer` are found with `dlsym` by
/// the types DllGetClassObjectFunction, DllCanUnloadNowFunction and
/// DllRegisterServerFunction; com_client.h does that for a client. The ids of
/// the Vendral classes are in vendral/class_ids.h.
#pragma once

#include "vendral/com_base.h"

#ifdef _WIN32
#include <olectl.h>

namespace vendral::com {
using ::IClassFactory;
using ::IDispatch;
}  // namespace vendral::com

#else

namespace vendral::com {

/// @name Results of activation
/** @{ */
constexpr HRESULT CLASS_E_NOAGGREGATION =
    static_cast<HRESULT>(0x80040110);  ///< The class cannot be aggregated.
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE =
    static_cast<HRESULT>(0x80040111);  ///< The library does not serve this class.
constexpr HRESULT REGDB_E_CLASSNOTREG =
    static_cast<HRESULT>(0x80040154);  ///< The class is not registered.
constexpr HRESULT SELFREG_E_CLASS =
    static_cast<HRESULT>(0x80040201);  ///< The classes could not be registered.
/** @} */

/// @name Standard interface ids
/** @{ */
/// IClassFactory.
inline constexpr IID IID_IClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
/** @} */

/// What DllGetClassObject hands out: the maker of one class's objects.
struct IClassFactory : IUnknown {
    /// Makes an object and stores its interface @p riid in @p ppvObject:
    /// CLASS_E_NOAGGREGATION when @p pUnkOuter is not null, E_NOINTERFACE for
    /// an interface the class has not.
    virtual HRESULT CreateInstance(IUnknown* pUnkOuter, const IID& riid, void** ppvObject) = 0;
    /// Keeps the library loaded while @p fLock is not 0 (counted).
    virtual HRESULT LockServer(std::int32_t fLock) = 0;
};

struct IDispatch;  // com_automation.h

}  // namespace vendral::com

#endif

namespace vendral::com {

/// @name Entry points of an in-process server
/// The types of the library's exported entry points, to look them up with
/// `dlsym`.
/** @{ */
/// `DllGetClassObject(clsid, iid, out)`: the class factory of a class.
using DllGetClassObjectFunction = HRESULT (*)(const CLSID*, const IID*, void**);
/// `DllCanUnloadNow()`: S_OK when no object and no lock is left.
using DllCanUnloadNowFunction = HRESULT (*)();
/// `DllRegisterServer()` and `DllUnregisterServer()`: add or remove the
/// classes in the registry file.
using DllRegisterServerFunction = HRESULT (*)();
/** @} */

/// @name User interface host
/** @{ */
/// Hands the library's user interface (message boxes, the mouse pointer,
/// pending events, the settings dialog) to a client's dispatch object
/// @p host with MessageBox(Text, Title, Icon) giving the button (Icon 0 the
/// exclamation, 1 the information icon), SetMousePointer(Pointer),
/// DoEvents() and ShowSettingsDialog(SettingsFile, Mode, AskServer) giving
/// True when the dialog was left without settings; null restores the
/// headless host. For a client whose objects come from another build of the
/// library than the one it links.
VENDRAL_COM_EXPORT HRESULT VendralInstallUiHost(IDispatch* host);
/// The type of VendralInstallUiHost, to look it up with `dlsym`.
using VendralInstallUiHostFunction = HRESULT (*)(IDispatch*);
/** @} */

}  // namespace vendral::com

/// @file
/// The component object binary standard as the library's component server and
/// its clients use it: GUIDs, HRESULTs, BSTR, VARIANT, DISPPARAMS, EXCEPINFO,
/// IUnknown, IClassFactory, IDispatch, ITypeInfo and ITypeLib. Every structure
/// has the standard layout, so C and C++ clients and foreign-function clients
/// (the Python package) can use the library alike. Interfaces are abstract
/// structs without a virtual destructor: on this platform's C++ ABI their
/// first word points at the table of entries, in order.
///
/// Everything stands in namespace vendral::com, so that this header compiles
/// beside the ODBC headers (<sql.h>, <sqlext.h>, <odbcinst.h>), which declare
/// some of the same names globally. On Windows the types, constants and
/// helpers are the system's own (<oaidl.h>, <oleauto.h>), named into the
/// namespace; elsewhere the library defines them here.
///
/// The library's entry points `DllGetClassObject`, `DllCanUnloadNow`,
/// `DllRegisterServer` and `DllUnregisterServer` are found with `dlsym` by
/// the types DllGetClassObjectFunction, DllCanUnloadNowFunction and
/// DllRegisterServerFunction; com_client.h does that for a client. The ids of
/// the Vendral classes are in vendral/class_ids.h.
///
/// It gathers com_activation.h (classes, factories, registration) and
/// com_automation.h (late-bound calls, their values and errors); a client
/// may include just the one it needs.
#pragma once

#include "vendral/com_activation.h"
#include "vendral/com_automation.h"

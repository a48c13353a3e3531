// An in-process component server: the classes a library serves, its class
// factories, its object and lock counts, and its registration. Each library
// that serves classes (libvendral.so, the widget library) has one module and
// exports the four entry points through these functions.
//
// Serving a class from another library (the widget library serves
// CProgressBar and CSplash, whose ids are in vendral/class_ids.h) takes the same
// three pieces that library/automation/component_server.cpp and
// cdatabase_members.cpp show for CDatabase:
//   1. an object type with a void* Native() member, and its one member table,
//      a specialization of com::MemberTable (kName "CProgressBar", kIid
//      IID__CProgressBar, kRows in the order of the class's interface);
//   2. a ClassEntry per class ({"CProgressBar", &CLSID_CProgressBar,
//      &IID__CProgressBar, "Vendral.CProgressBar", create}) where create
//      returns com::NewObject<Type>(itsModule);
//   3. a ServerModule of that library (RegistersTypeLibrary false: the type
//      library key belongs to libvendral.so) and the four extern "C" entry
//      points, VENDRAL_SERVER_ENTRY_POINTS below.
// dlsym on a library's handle finds that library's own entry points first,
// so each library registers and serves exactly its own classes.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/internal_export.h"
#include "vendral/com_activation.h"
#include "vendral/com_automation.h"

// The runtime's serving side is shared with the widget library's component
// server, so it stands in the libraries' one shared namespace.
namespace vendral::internal {

using namespace vendral::com;

struct VENDRAL_INTERNAL ClassEntry {
    const char* Name;  // "CDatabase"; the dual interface is "_" + Name
    const CLSID* Clsid;
    const IID* Iid;
    const char* ProgId;  // "Vendral.CDatabase"
    IDispatch* (*Create)();
};

struct VENDRAL_INTERNAL ServerModule {
    const ClassEntry* Classes;
    std::size_t ClassCount;
    // The library that registers the type library key (one of them does).
    bool RegistersTypeLibrary;
    // The type library every class's interface belongs to, and its name.
    const GUID* TypeLibrary;
    const char* TypeLibraryName;
    // Any address inside the library, to find its file.
    const void* Anchor;
    std::atomic<long> Objects{0};
    std::atomic<long> Locks{0};
};

VENDRAL_INTERNAL HRESULT GetClassObject(ServerModule& module, const CLSID* clsid, const IID* iid,
                                        void** out);
VENDRAL_INTERNAL HRESULT CanUnloadNow(ServerModule& module);
VENDRAL_INTERNAL HRESULT RegisterServer(ServerModule& module);
VENDRAL_INTERNAL HRESULT UnregisterServer(ServerModule& module);

}  // namespace vendral::internal

namespace vendral::com {

using internal::CanUnloadNow;
using internal::ClassEntry;
using internal::GetClassObject;
using internal::RegisterServer;
using internal::ServerModule;
using internal::UnregisterServer;

// The standard automation marshaller, the proxy of every dual interface.
inline constexpr CLSID kAutomationMarshaller = {
    0x00020424, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The platform the type library describes (its TLIBATTR's syskind), and the
// word of the type library key for it (TypeLib\{libid}\1.0\0\word). The key
// follows the library's own SYSKIND, so that a tool that looks the file up by
// the library's attributes finds it.
std::int32_t TypeLibrarySysKind();
VENDRAL_TEST_INTERNAL const char* TypeLibraryPlatform();

// The absolute path of the library holding address.
VENDRAL_TEST_INTERNAL std::string LibraryPathOf(const void* address);

// One value of a registration; Key is below the classes root
// ("CLSID\\{...}\\InprocServer32"), an empty Name is the key's default value.
struct Registration {
    std::string Key, Name, Value;
};
// Where a registration points: the library file, its folder (the type
// library's HELPDIR) and the platform word of the type library key. The
// installer gives its own references to the installed file and folder here.
struct RegistrationPlace {
    std::string Library, Folder, Platform;
};
// The keys and values that register module's classes, parents before their
// subkeys; a row with neither name nor value only makes its key. Both
// platforms write the same ones, and the installer writes them too.
std::vector<Registration> RegistrationOf(const ServerModule& module,
                                         const RegistrationPlace& place);
// The same for the library at path on this platform.
std::vector<Registration> RegistrationOf(const ServerModule& module, const std::string& path);

}  // namespace vendral::com

// The four entry points of a library that serves classes, written once for
// every such library; module is a function giving that library's
// ServerModule. dlsym on a library's handle finds that library's own entry
// points first, so each library registers and serves exactly its own classes.
#ifdef _WIN32
// The system declares the four entry points (objbase.h); they keep its signatures.
#define VENDRAL_SERVER_ENTRY_POINTS(module)                                                     \
    extern "C" VENDRAL_API HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, \
                                                                    LPVOID* out) {              \
        return vendral::internal::GetClassObject(module(), &clsid, &iid, out);                  \
    }                                                                                           \
    extern "C" VENDRAL_API HRESULT STDAPICALLTYPE DllCanUnloadNow() {                           \
        return vendral::internal::CanUnloadNow(module());                                       \
    }                                                                                           \
    extern "C" VENDRAL_API HRESULT STDAPICALLTYPE DllRegisterServer() {                         \
        return vendral::internal::RegisterServer(module());                                     \
    }                                                                                           \
    extern "C" VENDRAL_API HRESULT STDAPICALLTYPE DllUnregisterServer() {                       \
        return vendral::internal::UnregisterServer(module());                                   \
    }
#else
#define VENDRAL_SERVER_ENTRY_POINTS(module)                                           \
    VENDRAL_COM_EXPORT vendral::com::HRESULT DllGetClassObject(                       \
        const vendral::com::CLSID* clsid, const vendral::com::IID* iid, void** out) { \
        return vendral::internal::GetClassObject(module(), clsid, iid, out);          \
    }                                                                                 \
    VENDRAL_COM_EXPORT vendral::com::HRESULT DllCanUnloadNow() {                      \
        return vendral::internal::CanUnloadNow(module());                             \
    }                                                                                 \
    VENDRAL_COM_EXPORT vendral::com::HRESULT DllRegisterServer() {                    \
        return vendral::internal::RegisterServer(module());                           \
    }                                                                                 \
    VENDRAL_COM_EXPORT vendral::com::HRESULT DllUnregisterServer() {                  \
        return vendral::internal::UnregisterServer(module());                         \
    }
#endif

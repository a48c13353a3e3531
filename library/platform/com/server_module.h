// An in-process component server: the classes a library serves, its class
// factories, its object and lock counts, and its registration. Each library
// that serves classes (libvendral.so, the widget library) has one module and
// exports the four entry points through these functions.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>

#include "vendral/com.h"

namespace vendral::com {

struct ClassEntry {
    const char* Name;  // "CDatabase"; the dual interface is "_" + Name
    const CLSID* Clsid;
    const IID* Iid;
    const char* ProgId;  // "Vendral.CDatabase"
    IDispatch* (*Create)();
};

struct ServerModule {
    const ClassEntry* Classes;
    std::size_t ClassCount;
    // The library that registers the type library key (one of them does).
    bool RegistersTypeLibrary;
    // Any address inside the library, to find its file.
    const void* Anchor;
    std::atomic<long> Objects{0};
    std::atomic<long> Locks{0};
};

HRESULT GetClassObject(ServerModule& module, const CLSID* clsid, const IID* iid, void** out);
HRESULT CanUnloadNow(ServerModule& module);
HRESULT RegisterServer(ServerModule& module);
HRESULT UnregisterServer(ServerModule& module);

// The absolute path of the library holding address.
std::string LibraryPathOf(const void* address);

}  // namespace vendral::com

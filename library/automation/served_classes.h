// The classes the core library serves and the type library it registers: the
// one list that its component server (component_server.cpp) and the Windows
// installer's registry entries (tools/installer) are both made from.
#pragma once

#include "com/server_module.h"
#include "vendral/class_ids.h"

// CLASS(Name, ProgID, the function creating one object) for each class; the
// class and interface ids are CLSID_Name and IID__Name of vendral/class_ids.h.
// vendral.dll serves the progress bar and the splash itself, on the system's
// own windows; on Linux the widget library serves them (they need Qt). The
// installer's generator runs on the build host and names the Windows list
// with VENDRAL_WINDOWS_CLASSES.
#if defined(_WIN32) || defined(VENDRAL_WINDOWS_CLASSES)
#define VENDRAL_SERVED_CLASSES(CLASS)                                 \
    CLASS(CDatabase, "Vendral.CDatabase", NewDatabaseObject)          \
    CLASS(CProgressBar, "Vendral.CProgressBar", NewProgressBarObject) \
    CLASS(CSplash, "Vendral.CSplash", NewSplashObject)
#else
#define VENDRAL_SERVED_CLASSES(CLASS) CLASS(CDatabase, "Vendral.CDatabase", NewDatabaseObject)
#endif

// A ClassEntry of that list, creating its objects with create.
#define VENDRAL_CLASS_ENTRY(name, progId, create) \
    com::ClassEntry{#name, &CLSID_##name, &IID__##name, progId, create},

namespace vendral {

// The type library of the served classes' interfaces, registered by the core.
inline constexpr const com::GUID* kServedTypeLibrary = &LIBID_Vendral;
inline constexpr char kServedTypeLibraryName[] = "Vendral";

}  // namespace vendral

/// @file
/// Client side of the component server: creation of a class by ProgID or CLSID
/// through the registry file (see RegistryFilePath), as CoCreateInstance does,
/// with a registration-free fallback naming the library to use when the class
/// is not registered. Needs only the C library's dynamic loader; a client need
/// not link libvendral.so.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "vendral/com.h"
#include "vendral/errors.h"
#include "vendral/export.h"

namespace vendral::com {

/// Where a class comes from when the registry does not name it, as a manifest
/// beside a program does.
struct ClassManifest {
    std::string ProgId;   ///< "Vendral.CDatabase"
    CLSID Clsid;          ///< the class's CLSID
    std::string Library;  ///< absolute path of the serving library
};

/// What CreateObject() did, for diagnostics.
struct Activation {
    std::string Library;        ///< the library the object came from
    bool FromRegistry = false;  ///< true: named by the registry file
    std::string RegistryFile;   ///< the file that was read
};

/// The registry file in use: $VENDRAL_REGISTRY, else
/// $XDG_CONFIG_HOME/vendral/registry.reg, else ~/.config/vendral/registry.reg.
VENDRAL_API std::string RegistryFilePath();

/// Creates classId ("Vendral.CDatabase" or "{EAB3025D-...}") and returns its
/// interface iid with one reference. The registry is read first; a class it
/// does not know is created from fallback when fallback names that class. A
/// library stays loaded until FreeUnusedLibraries finds it unused. Objects
/// belong to the calling thread. Throws ActivationError.
VENDRAL_API IUnknown* CreateObject(const std::string& classId, const IID& iid,
                                   const std::optional<ClassManifest>& fallback = std::nullopt,
                                   Activation* activation = nullptr);

/// The error object that the last failed call on @p object's interface
/// @p iid left on this thread, taken from the library that serves @p object
/// (each library keeps its own). Null when there is none or @p object does
/// not say it leaves one for @p iid. The caller releases it.
VENDRAL_API IErrorInfo* TakeErrorInfo(IUnknown* object, const IID& iid);

/// Why the component library at @p path must not be loaded: the file, or a
/// folder on its path or on the path of the file it links to, may be written
/// by users other than its owner and root, so anyone could make every client
/// run their code. The text says what to do about it; empty when the library
/// may be loaded. A folder with the sticky bit (such as /tmp) protects the
/// entries of others. vendral-regsvr refuses to register such a library.
VENDRAL_API std::string UnsafeLibraryReason(const std::string& path);

/// Unloads the libraries this thread loaded whose DllCanUnloadNow says S_OK.
VENDRAL_API void FreeUnusedLibraries();

}  // namespace vendral::com

#include "vendral/com_client.h"

#include <dlfcn.h>
#include <strings.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "com/library_permissions.h"
#include "com/registry_file.h"

namespace vendral::com {
namespace {

// The libraries this thread loaded, in the order it loaded them.
struct LoadedLibrary {
    std::string Path;
    void* Handle;
};

struct LoadedLibraries {
    std::vector<LoadedLibrary> Items;
    ~LoadedLibraries() {
        // At thread exit only the unused ones go; a library whose objects
        // outlive the thread stays mapped rather than pull code from under them.
        for (auto& item : Items) {
            auto canUnload =
                reinterpret_cast<DllCanUnloadNowFunction>(dlsym(item.Handle, "DllCanUnloadNow"));
            if (canUnload && canUnload() == S_OK) dlclose(item.Handle);
        }
    }
};

thread_local LoadedLibraries tLoaded;

std::string Hex(HRESULT result) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(result));
    return text;
}

void* Load(const std::string& path, std::string& why) {
    for (const auto& item : tLoaded.Items)
        if (item.Path == path) return item.Handle;
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* error = dlerror();
        why = error ? error : "cannot be loaded";
        return nullptr;
    }
    tLoaded.Items.push_back({path, handle});
    return handle;
}

HRESULT CreateFrom(void* handle, const CLSID& clsid, const IID& iid, void** out) {
    auto getClassObject =
        reinterpret_cast<DllGetClassObjectFunction>(dlsym(handle, "DllGetClassObject"));
    if (!getClassObject) return REGDB_E_CLASSNOTREG;
    void* raw = nullptr;
    HRESULT hr = getClassObject(&clsid, &IID_IClassFactory, &raw);
    if (FAILED(hr)) return hr;
    auto* factory = static_cast<IClassFactory*>(raw);
    hr = factory->CreateInstance(nullptr, iid, out);
    factory->Release();
    return hr;
}

std::string RegisterAgainHint(const std::optional<ClassManifest>& fallback) {
    std::string library =
        fallback && !fallback->Library.empty() ? fallback->Library : "/path/to/libvendral.so.1";
    return "register the library again with: vendral-regsvr " + library +
           " (or remove the registration with: vendral-regsvr -u LIBRARY)";
}

}  // namespace

IUnknown* CreateObject(const std::string& classId, const IID& iid,
                       const std::optional<ClassManifest>& fallback, Activation* activation) {
    const std::string registry = RegistryFilePath();
    const std::string root = kClassesRoot;
    std::optional<CLSID> clsid = ParseGuid(classId);
    bool isProgId = !clsid;
    std::optional<std::string> library;
    try {
        if (isProgId) {
            if (auto text = ReadRegistryString(registry, root + "\\" + classId + "\\CLSID")) {
                clsid = ParseGuid(*text);
                if (!clsid)
                    throw ActivationError(REGDB_E_CLASSNOTREG,
                                          classId + " is registered in " + registry +
                                              " with the malformed class id " + *text + "; " +
                                              RegisterAgainHint(fallback));
            }
        }
        if (clsid)
            library = ReadRegistryString(
                registry, root + "\\CLSID\\" + GuidText(*clsid) + "\\InprocServer32");
    } catch (const RegistryFormatError& error) {
        throw ActivationError(REGDB_E_CLASSNOTREG,
                              "cannot read the registry file " + registry + ": " + error.what());
    }

    Activation used;
    used.RegistryFile = registry;
    if (library && !library->empty()) {
        used.Library = *library;
        used.FromRegistry = true;
    } else {
        bool fits = fallback && !fallback->Library.empty() &&
                    ((isProgId && strcasecmp(fallback->ProgId.c_str(), classId.c_str()) == 0) ||
                     (clsid && *clsid == fallback->Clsid));
        if (!fits)
            throw ActivationError(REGDB_E_CLASSNOTREG,
                                  classId + " is not registered in " + registry +
                                      "; register its library with: vendral-regsvr LIBRARY");
        clsid = fallback->Clsid;
        used.Library = fallback->Library;
    }

    if (std::string unsafe = UnsafeLibraryReason(used.Library); !unsafe.empty())
        throw ActivationError(E_ACCESSDENIED, "the library " + used.Library + " for " + classId +
                                                  " is not loaded: " + unsafe);
    std::string why;
    void* handle = Load(used.Library, why);
    if (!handle) {
        if (used.FromRegistry)
            throw ActivationError(REGDB_E_CLASSNOTREG, classId + " is registered in " + registry +
                                                           " with the library " + used.Library +
                                                           ", which cannot be loaded (" + why +
                                                           "); " + RegisterAgainHint(fallback));
        throw ActivationError(REGDB_E_CLASSNOTREG, "the library " + used.Library + " for " +
                                                       classId + " cannot be loaded (" + why + ")");
    }
    void* out = nullptr;
    HRESULT hr = CreateFrom(handle, *clsid, iid, &out);
    if (FAILED(hr) || !out)
        throw ActivationError(FAILED(hr) ? hr : E_NOINTERFACE, "the library " + used.Library +
                                                                   " cannot create " + classId +
                                                                   " (error " + Hex(hr) + ")");
    if (activation) *activation = used;
    return static_cast<IUnknown*>(out);
}

IErrorInfo* TakeErrorInfo(IUnknown* object, const IID& iid) {
    if (!object) return nullptr;
    void* raw = nullptr;
    if (FAILED(object->QueryInterface(IID_ISupportErrorInfo, &raw)) || !raw) return nullptr;
    auto* support = static_cast<ISupportErrorInfo*>(raw);
    bool supports = support->InterfaceSupportsErrorInfo(iid) == S_OK;
    support->Release();
    if (!supports) return nullptr;
    // The library whose code answers the object's first entry keeps its error object.
    void* entry = (*reinterpret_cast<void* const* const*>(object))[0];
    Dl_info info{};
    if (!dladdr(entry, &info) || !info.dli_fname) return nullptr;
    void* handle = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
    if (!handle) return nullptr;
    using GetErrorInfoFunction = HRESULT (*)(ULONG, IErrorInfo**);
    auto getErrorInfo =
        reinterpret_cast<GetErrorInfoFunction>(dlsym(handle, "VendralGetErrorInfo"));
    IErrorInfo* error = nullptr;
    if (!getErrorInfo || getErrorInfo(0, &error) != S_OK) error = nullptr;
    dlclose(handle);
    return error;
}

void FreeUnusedLibraries() {
    auto& items = tLoaded.Items;
    for (auto it = items.begin(); it != items.end();) {
        auto canUnload =
            reinterpret_cast<DllCanUnloadNowFunction>(dlsym(it->Handle, "DllCanUnloadNow"));
        if (!canUnload || canUnload() == S_OK) {
            dlclose(it->Handle);
            it = items.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace vendral::com

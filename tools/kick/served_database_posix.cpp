#include "served_database.h"

#include <dlfcn.h>

#include <filesystem>

#include "ui_host_object.h"
#include "vendral/class_ids.h"
#include "vendral/ui_host.h"

namespace vendral::kick {

namespace {

// The library holding address, as loaded (one more reference), else nullptr.
void* LoadedLibraryOf(const void* address) {
    Dl_info info{};
    if (!dladdr(address, &info) || !info.dli_fname) return nullptr;
    return dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
}

// Hands this program's UI host to the library serving object when that is
// another build than the one this program links; the result is that library.
void* ShareUiHost(IUnknown* object) {
    void* serving = LoadedLibraryOf((*reinterpret_cast<void* const* const*>(object))[0]);
    void* own = LoadedLibraryOf(reinterpret_cast<const void*>(&com::CreateObject));
    bool other = serving && serving != own;
    if (own) dlclose(own);
    if (!other) {
        if (serving) dlclose(serving);
        return nullptr;
    }
    auto install =
        reinterpret_cast<VendralInstallUiHostFunction>(dlsym(serving, "VendralInstallUiHost"));
    if (!install) {
        dlclose(serving);
        return nullptr;
    }
    IDispatch* host = NewUiHostObject(CurrentUiHost());
    HRESULT hr = install(host);
    host->Release();
    if (FAILED(hr)) {
        dlclose(serving);
        return nullptr;
    }
    return serving;
}

}  // namespace

std::string FallbackLibrary(const std::string& programPath) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path beside = fs::path(programPath).parent_path() / "libvendral.so.1";
    if (fs::exists(beside, error)) return fs::canonical(beside, error).string();
    // The library this program runs with: any function of it tells its file.
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&com::CreateObject), &info) && info.dli_fname) {
        fs::path path = fs::canonical(info.dli_fname, error);
        if (!error) return path.string();
    }
    return {};
}

ServedDatabase::ServedDatabase(const std::string& programPath) {
    com::ClassManifest manifest{"Vendral.CDatabase", CLSID_CDatabase, FallbackLibrary(programPath)};
    object_ = com::CreateObject("Vendral.CDatabase", IID__CDatabase, manifest, &source_);
    try {
        database_ = std::make_unique<ServedKickDatabase>(static_cast<IDispatch*>(object_));
        otherBuild_ = ShareUiHost(object_);
    } catch (const std::exception& error) {
        database_.reset();
        object_->Release();
        throw com::ActivationError(
            E_NOINTERFACE, "the CDatabase of " + source_.Library + " (named by " +
                               (source_.FromRegistry ? "the registry file " + source_.RegistryFile
                                                     : std::string("this program")) +
                               ") does not describe its interface: " + error.what());
    }
}

ServedDatabase::~ServedDatabase() {
    database_.reset();
    object_->Release();
    if (otherBuild_) {
        auto install = reinterpret_cast<VendralInstallUiHostFunction>(
            dlsym(otherBuild_, "VendralInstallUiHost"));
        if (install) install(nullptr);
        dlclose(otherBuild_);
    }
    com::FreeUnusedLibraries();
}

}  // namespace vendral::kick

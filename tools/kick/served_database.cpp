#include "served_database.h"

#include <dlfcn.h>

#include <filesystem>

namespace vendral::kick {

std::string FallbackLibrary(const std::string& programPath) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path beside = fs::path(programPath).parent_path() / "libvendral.so.0";
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
    void* raw = nullptr;
    if (SUCCEEDED(object_->QueryInterface(IID_IVendralNative, &raw)) && raw) {
        auto* native = static_cast<IVendralNative*>(raw);
        void* database = nullptr;
        if (SUCCEEDED(native->Native(IID__CDatabase, &database)))
            database_ = static_cast<CDatabase*>(database);
        native->Release();
    }
    if (!database_) {
        object_->Release();
        throw com::ActivationError(
            E_NOINTERFACE, "the CDatabase of " + source_.Library + " (named by " +
                               (source_.FromRegistry ? "the registry file " + source_.RegistryFile
                                                     : std::string("this program")) +
                               ") is not of the build this program was made with");
    }
}

ServedDatabase::~ServedDatabase() {
    object_->Release();
    com::FreeUnusedLibraries();
}

}  // namespace vendral::kick

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
    try {
        database_ = std::make_unique<ServedKickDatabase>(static_cast<IDispatch*>(object_));
    } catch (const std::exception& error) {
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
    com::FreeUnusedLibraries();
}

}  // namespace vendral::kick

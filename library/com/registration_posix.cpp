// Registration in this platform's registry file, and the library's own path.
#include <dlfcn.h>

#include <filesystem>

#include "base/atomic_file.h"
#include "com/registry_file.h"
#include "com/server_module.h"

namespace vendral::com {
namespace {

// Edits the registry file under the lock that serializes its writers.
HRESULT EditRegistry(const std::function<void(RegistryFile&)>& edit) {
    std::string path = RegistryFilePath();
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    bool badFormat = false;
    bool written = ReplaceFileAtomically(
        path,
        [&](const std::optional<std::string>& old) -> std::optional<std::string> {
            try {
                RegistryFile file = RegistryFile::Parse(old.value_or(""));
                edit(file);
                return file.Text();
            } catch (const RegistryFormatError&) {
                // A file we cannot read is not ours to rewrite.
                badFormat = true;
                return std::nullopt;
            }
        },
        0644);
    return written && !badFormat ? S_OK : SELFREG_E_CLASS;
}

}  // namespace

std::string LibraryPathOf(const void* address) {
    Dl_info info{};
    if (!dladdr(address, &info) || !info.dli_fname) return {};
    std::error_code error;
    auto path = std::filesystem::canonical(info.dli_fname, error);
    return error ? std::string(info.dli_fname) : path.string();
}

}  // namespace vendral::com

namespace vendral::internal {

HRESULT RegisterServer(ServerModule& module) {
    std::string path = LibraryPathOf(module.Anchor);
    if (path.empty()) return SELFREG_E_CLASS;
    auto values = RegistrationOf(module, path);
    return EditRegistry([&](RegistryFile& file) {
        for (const Registration& value : values) {
            std::string key = std::string(kClassesRoot) + "\\" + value.Key;
            if (value.Value.empty() && value.Name.empty()) {
                file.AddKey(key);
            } else {
                file.SetValue(key, value.Name, value.Value);
            }
        }
    });
}

HRESULT UnregisterServer(ServerModule& module) {
    auto values = RegistrationOf(module, "");
    return EditRegistry([&](RegistryFile& file) {
        // Subkeys first; a parent goes only when nothing of another owner is left below it.
        for (auto it = values.rbegin(); it != values.rend(); ++it) {
            std::string key = std::string(kClassesRoot) + "\\" + it->Key;
            if (!file.HasSubkeys(key)) file.RemoveKey(key);
        }
    });
}

}  // namespace vendral::internal

#include "settings/qt/library_module.h"

#include <dlfcn.h>

#include <filesystem>

#ifndef VENDRAL_VERSION_TEXT
#define VENDRAL_VERSION_TEXT "0.0.0"
#endif

namespace vendral::detail::qt {
namespace {

constexpr const char* kDescription = "Vendral CRM database library";

// Only the UI thread shows the dialog; the override is for tests.
std::string& FolderOverride() {
    static std::string folder;
    return folder;
}

std::string ModuleFolder() {
    Dl_info info{};
    // Any function of this module names the file it was loaded from.
    if (dladdr(reinterpret_cast<void*>(&LibraryFolder), &info) == 0 || info.dli_fname == nullptr)
        return ".";
    std::error_code ignored;
    std::filesystem::path file = std::filesystem::absolute(info.dli_fname, ignored);
    return file.parent_path().string();
}

}  // namespace

std::string LibraryFolder() {
    if (!FolderOverride().empty()) return FolderOverride();
    static const std::string folder = ModuleFolder();
    return folder;
}

void OverrideLibraryFolder(const std::string& folder) {
    FolderOverride() = folder;
}

std::string HelpFilePath() {
    return LibraryFolder() + "/vendralhlp.mht";
}

std::string LibrarySettingsPath() {
    return LibraryFolder() + "/vendral.ini";
}

std::string LibraryVersionCaption() {
    return std::string(kDescription) + " " + VENDRAL_VERSION_TEXT;
}

}  // namespace vendral::detail::qt

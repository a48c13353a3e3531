#include "settings/qt/library_module.h"

#include <dlfcn.h>

#include <filesystem>
#include <sstream>
#include <vector>

#include "base/version_resource.h"
#include "vendral/settings.h"

namespace vendral::detail::qt {
namespace {

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
    // The version block embedded in the core library's file, as the splash
    // screen reads a program's.
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&vendral::EncodePassword), &info) == 0 ||
        info.dli_fname == nullptr)
        return {};
    auto strings = version::ReadVersionStrings(info.dli_fname);
    if (!strings) return {};
    const std::string& description = (*strings)[1];
    // Major, minor and revision: the first three numbers of the file version.
    std::vector<std::string> numbers;
    std::istringstream parts((*strings)[2]);
    for (std::string part; numbers.size() < 3 && std::getline(parts, part, '.');)
        numbers.push_back(part);
    while (numbers.size() < 3) numbers.emplace_back("0");
    return description + " " + numbers[0] + "." + numbers[1] + "." + numbers[2];
}

}  // namespace vendral::detail::qt

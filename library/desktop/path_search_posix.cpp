#include "desktop/path_search.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>

namespace vendral::detail::desktop {
namespace {

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::optional<FoundEntry> SearchFirst(const std::string& path) {
    if (path.empty() || path.back() == '/') return std::nullopt;
    std::size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
    if (last.find_first_of("*?") == std::string::npos) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) return std::nullopt;
        return FoundEntry{last, IsFolder(path)};
    }
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) return std::nullopt;
    while (dirent* entry = ::readdir(dir.get())) {
        std::string name = entry->d_name;
        if (WildcardMatch(last, name)) return FoundEntry{name, IsFolder(folder + name)};
    }
    return std::nullopt;
}

}  // namespace vendral::detail::desktop

// The first entry a path (with wildcards in its last part) finds, through the
// system's own search.
#include "desktop/path_search.h"

#include <windows.h>

namespace vendral::detail::desktop {

std::optional<FoundEntry> SearchFirst(const std::string& path) {
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return std::nullopt;
    FindClose(search);
    return FoundEntry{found.cFileName, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
}

}  // namespace vendral::detail::desktop

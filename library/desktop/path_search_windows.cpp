// The first entry a path (with wildcards in its last part) finds, through the
// system's own search.
#include "desktop/path_search.h"

#include <windows.h>

#include "base/text_windows.h"

namespace vendral::detail::desktop {

std::optional<FoundEntry> SearchFirst(const std::string& path) {
    // The wide call: a path in any letters, not only those of the ANSI code page.
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(Utf8ToWide(path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return std::nullopt;
    FindClose(search);
    return FoundEntry{WideToUtf8(found.cFileName),
                      (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
}

}  // namespace vendral::detail::desktop

#include "desktop/quvex.h"

#include <windows.h>

namespace vendral::detail::desktop {

std::string QuvexPath() {
    char windir[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("WINDIR", windir, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return "";
    return std::string(windir, length) + "\\SYSTEM\\QUVEX.EXE";
}

}  // namespace vendral::detail::desktop

namespace vendral::internal {

bool StartQuvexIfPresent() noexcept {
    try {
        std::string path = detail::desktop::QuvexPath();
        if (path.empty()) return false;
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return false;
        // A separate process with a normal, focused window; nobody waits for it.
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION process{};
        std::string commandLine = "\"" + path + "\"";
        if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process))
            return false;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace vendral::internal

#include "desktop/quvex.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace vendral::detail::desktop {

std::string QuvexPath() {
    const char* windir = std::getenv("WINDIR");
    if (windir == nullptr || *windir == '\0') return "";
    std::string path = std::string(windir) + "\\SYSTEM\\QUVEX.EXE";
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

}  // namespace vendral::detail::desktop

namespace vendral::internal {

bool StartQuvexIfPresent() noexcept {
    try {
        std::string path = detail::desktop::QuvexPath();
        struct stat info {};
        if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            return false;
        // Two forks: the program runs on its own and leaves no zombie behind.
        pid_t child = ::fork();
        if (child < 0) return false;
        if (child == 0) {
            ::setsid();
            pid_t grandchild = ::fork();
            if (grandchild == 0) {
                char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
                ::execv(path.c_str(), argv);
                ::_exit(127);
            }
            ::_exit(grandchild < 0 ? 1 : 0);
        }
        int status = 0;
        if (::waitpid(child, &status, 0) < 0) return false;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    } catch (...) {
        return false;
    }
}

}  // namespace vendral::internal

#include "console_platform.h"

#include <langinfo.h>
#include <locale.h>
#include <unistd.h>

#include <filesystem>

#include "kick_date.h"

namespace vendral::kick {

std::string ProgramPath(const char* argv0) {
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) return self.string();
    if (!argv0 || !*argv0) return "prodwell";
    return std::filesystem::absolute(argv0, error).string();
}

std::vector<std::string> ProgramArguments(int argc, const char* const* argv) {
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i) arguments.emplace_back(argv[i] ? argv[i] : "");
    return arguments;
}

bool MayWrite(const std::string& path) {
    return access(path.c_str(), W_OK) == 0;
}

bool OutputIsTerminal() {
    return isatty(STDOUT_FILENO) == 1;
}

std::string LocaleShortDateFormat() {
    locale_t locale = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0))
        locale = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0)) return "%m/%d/%y";
    std::string format = nl_langinfo_l(D_FMT, locale);
    freelocale(locale);
    return format;
}

void ReachStartingConsole() {
    // Every program here writes where it was started.
}

}  // namespace vendral::kick

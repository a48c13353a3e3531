#include "console_platform.h"

#include <io.h>
#include <windows.h>
// shellapi.h builds on windows.h.
#include <shellapi.h>

#include <cstdio>
#include <filesystem>

#include "kick_date.h"

namespace vendral::kick {

namespace {

// The standard library's conversions between UTF-16 and UTF-8: the tool sees
// the public headers only, not the library's own converter.
std::string Utf8(const std::wstring& text) {
    const std::u8string converted = std::filesystem::path(text).u8string();
    return std::string(converted.begin(), converted.end());
}

std::wstring Wide(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end())).wstring();
}

}  // namespace

std::string ProgramPath(const char* /*argv0: the system names the file*/) {
    // Grown until the name fits: a path may be longer than MAX_PATH.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return "prodwell.exe";
        if (length < path.size()) {
            path.resize(length);
            return Utf8(path);
        }
        path.resize(path.size() * 2);
    }
}

std::vector<std::string> ProgramArguments(int argc, const char* const* argv) {
    std::vector<std::string> arguments;
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i) arguments.push_back(Utf8(wide[i]));
        LocalFree(wide);
        return arguments;
    }
    for (int i = 0; i < argc; ++i) arguments.emplace_back(argv[i] ? argv[i] : "");
    return arguments;
}

bool MayWrite(const std::string& path) {
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return true;  // folders: their ACLs decide on writing
    return (attributes & FILE_ATTRIBUTE_READONLY) == 0;
}

void ReachStartingConsole() {
    const auto usable = [](DWORD which) {
        HANDLE handle = GetStdHandle(which);
        return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
               GetFileType(handle) != FILE_TYPE_UNKNOWN;
    };
    // Redirected output (a file, a pipe) is used as it is.
    const bool output = usable(STD_OUTPUT_HANDLE);
    const bool errors = usable(STD_ERROR_HANDLE);
    if (output && errors) return;
    if (GetConsoleWindow() != nullptr || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
    // cmd.exe does not wait for a graphical program, so its lines may come
    // after the next prompt; prodwell.com is the one the console runs.
    if (!output) std::freopen("CONOUT$", "w", stdout);
    if (!errors) std::freopen("CONOUT$", "w", stderr);
}

bool OutputIsTerminal() {
    return _isatty(_fileno(stdout)) != 0;
}

// The user's short date picture ("M/d/yyyy") in the strftime form the kick
// reads dates by ("%m/%d/%Y").
std::string LocaleShortDateFormat() {
    wchar_t widePicture[80] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, widePicture, 80) == 0)
        return "%m/%d/%y";
    // Literal text in the picture may be in any letters; UTF-8 never repeats
    // the ASCII letters read below inside a character.
    const std::string picture = Utf8(widePicture);
    std::string format;
    for (const char* p = picture.c_str(); *p;) {
        char c = *p;
        std::size_t run = 0;
        while (p[run] == c) ++run;
        if (c == 'd' && run <= 2) {
            format += "%d";
        } else if (c == 'M' && run <= 2) {
            format += "%m";
        } else if (c == 'y') {
            format += run >= 3 ? "%Y" : "%y";
        } else if (c == '\'') {
            // Quoted literal text.
            std::size_t end = 1;
            while (p[end] && p[end] != '\'') ++end;
            format.append(p + 1, end - 1);
            run = p[end] ? end + 1 : end;
        } else {
            format.append(p, run);
        }
        p += run;
    }
    return format;
}

}  // namespace vendral::kick

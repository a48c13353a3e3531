#include "console_platform.h"

#include <io.h>
#include <windows.h>

#include <cstdio>

#include "kick_date.h"

namespace vendral::kick {

bool MayWrite(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return true;  // folders: their ACLs decide on writing
    return (attributes & FILE_ATTRIBUTE_READONLY) == 0;
}

bool OutputIsTerminal() {
    return _isatty(_fileno(stdout)) != 0;
}

// The user's short date picture ("M/d/yyyy") in the strftime form the kick
// reads dates by ("%m/%d/%Y").
std::string LocaleShortDateFormat() {
    char picture[80] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, picture, sizeof picture) == 0)
        return "%m/%d/%y";
    std::string format;
    for (const char* p = picture; *p;) {
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

#include "console_platform.h"

#include <langinfo.h>
#include <locale.h>
#include <unistd.h>

#include "kick_date.h"

namespace vendral::kick {

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

}  // namespace vendral::kick

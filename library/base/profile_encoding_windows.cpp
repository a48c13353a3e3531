// Other programs on the workstation read the settings file with the system's
// A-suffixed profile functions: it stays ANSI text (the Western code page,
// Windows-1252), also once a value outside ASCII is written into it.
#include "base/private_profile.h"

namespace vendral::detail {

bool SettingsFilesInAnsi() {
    return true;
}

}  // namespace vendral::detail

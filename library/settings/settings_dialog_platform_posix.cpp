// Where no settings dialog can be shown (no display, no widget library): the
// core on Linux has no face of its own.
#include <cstdio>
#include <filesystem>
#include <string>

#include "vendral/settings.h"

namespace vendral {

// Without a user interface nobody can enter the settings, so the dialog counts
// as left without saving; the one line says what to do instead.
void ShowPlatformSettingsDialog() {
    const std::string& path = SettingsFilePath();
    std::error_code ignored;
    std::string line =
        std::filesystem::exists(path, ignored)
            ? "Error: The connection settings dialog cannot be shown without a user "
              "interface; edit the settings file " +
                  path + " instead.\n"
            : "Error: The settings file " + path +
                  " is missing and the connection settings dialog cannot be shown without a "
                  "user interface.\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    CurrentDialogState().Cancelled = true;
}

}  // namespace vendral

// The Windows build has no settings dialog yet: one message says so, and the
// dialog counts as left without saving.
#include <filesystem>
#include <string>

#include "base/utf8_path.h"
#include "vendral/settings.h"
#include "vendral/ui_host.h"

namespace vendral {

void RefuseSettingsDialog() {
    const std::string& path = SettingsFilePath();
    std::error_code ignored;
    std::string text =
        std::filesystem::exists(detail::PathFromUtf8(path), ignored)
            ? "The connection settings dialog is not available in this build; edit the settings "
              "file " +
                  path + " instead."
            : "The settings file " + path +
                  " is missing and the connection settings dialog is not available in this build.";
    ShowErrorMessage(text);
    CurrentDialogState().Cancelled = true;
}

}  // namespace vendral

// The Windows build's settings dialog: the system's controls (win32/). In an
// unattended run, where boxes go to standard error
// (VENDRAL_MESSAGES_TO_STDERR=1), nobody could answer it: one line says so
// and the dialog counts as left without saving.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "base/utf8_path.h"
#include "settings/win32/frm_odbc_settings.h"
#include "vendral/settings.h"

namespace vendral {
namespace {

bool Unattended() {
    const char* setting = std::getenv("VENDRAL_MESSAGES_TO_STDERR");
    return setting && std::string(setting) == "1";
}

// The dialog instance of the thread, created on first use and kept.
detail::win32::FrmODBCSettings& ThreadDialog() {
    thread_local std::unique_ptr<detail::win32::FrmODBCSettings> dialog;
    if (!dialog) dialog = std::make_unique<detail::win32::FrmODBCSettings>();
    return *dialog;
}

}  // namespace

void ShowPlatformSettingsDialog() {
    if (!Unattended()) {
        ThreadDialog().ShowModally();
        return;
    }
    const std::string& path = SettingsFilePath();
    std::error_code ignored;
    std::string line =
        std::filesystem::exists(detail::PathFromUtf8(path), ignored)
            ? "Error: The connection settings dialog is not shown in an unattended run; edit the "
              "settings file " +
                  path + " instead.\n"
            : "Error: The settings file " + path +
                  " is missing and the connection settings dialog is not shown in an unattended "
                  "run.\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    CurrentDialogState().Cancelled = true;
}

}  // namespace vendral

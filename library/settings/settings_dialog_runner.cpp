// The settings dialog is plugged in from above: the widget library (or a
// program) installs the runner that shows it; the core only asks for it.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>

#include "platform/widget_ui.h"
#include "vendral/settings.h"
#include "vendral/ui_host.h"

namespace vendral {
namespace {

std::mutex& RunnerMutex() {
    static std::mutex mutex;
    return mutex;
}

// Shared, so that a runner installed meanwhile on another thread does not
// free the one being run.
std::shared_ptr<const SettingsDialogRunner>& InstalledRunner() {
    static std::shared_ptr<const SettingsDialogRunner> runner;
    return runner;
}

std::shared_ptr<const SettingsDialogRunner> CurrentRunner() {
    std::lock_guard lock(RunnerMutex());
    return InstalledRunner();
}

// Without a user interface nobody can enter the settings, so the dialog counts
// as left without saving; the one line says what to do instead.
void RefuseWithoutUserInterface() {
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

}  // namespace

SettingsDialogRunner InstallSettingsDialogRunner(SettingsDialogRunner runner) {
    auto shared =
        runner ? std::make_shared<const SettingsDialogRunner>(std::move(runner)) : nullptr;
    std::lock_guard lock(RunnerMutex());
    std::shared_ptr<const SettingsDialogRunner> previous = std::move(InstalledRunner());
    InstalledRunner() = std::move(shared);
    return previous ? *previous : SettingsDialogRunner();
}

void ShowSettingsDialog() {
    std::shared_ptr<const SettingsDialogRunner> runner = CurrentRunner();
    // A client of the core alone gets the widget library's dialog where it can
    // be shown; a program with a host of its own decides for itself.
    if (!runner && detail::DefaultUiHostInUse() && detail::AttachWidgetUi())
        runner = CurrentRunner();
    if (runner && (*runner)()) return;
    RefuseWithoutUserInterface();
}

}  // namespace vendral

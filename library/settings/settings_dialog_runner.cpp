// The settings dialog is plugged in from above: the widget library (or a
// program) installs the runner that shows it; the core only asks for it.
#include <memory>
#include <mutex>

#include "base/widget_ui.h"
#include "vendral/settings.h"
#include "vendral/ui_host.h"

namespace vendral {

// The dialog of the platform's own face where it has one (Windows); else says
// why no dialog was shown, and the dialog counts as left without saving.
void ShowPlatformSettingsDialog();

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
    ShowPlatformSettingsDialog();
}

}  // namespace vendral

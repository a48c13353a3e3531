#include "settings/qt/settings_dialog_host.h"

#include "vendral/ui_host.h"

namespace vendral::qt {

// Until the dialog form is built, the Qt host falls back on the headless
// dialog, which says that the settings cannot be entered and counts as
// cancelled.
void RunSettingsDialog() {
    HeadlessUiHost().ShowSettingsDialog();
}

}  // namespace vendral::qt

// ShowODBCSettings: the connection settings dialog, shown through its runner.
#include "settings/settings_state.h"
#include "vendral/cdatabase.h"
#include "vendral/settings.h"
#include "vendral/ui_host.h"

namespace vendral {

Variant CDatabase::ShowODBCSettings(const std::string& sINIFile, std::int32_t iOpenDatabase,
                                    bool UseDBName_and_Prefix) {
    DialogState& dialog = CurrentDialogState();
    dialog.Mode = iOpenDatabase;
    dialog.AskServer = UseDBName_and_Prefix ? 1 : 0;
    detail::SetSettingsFilePath(sINIFile);
    ShowSettingsDialog();
    CurrentUiHost()->DoEvents();
    // Whatever the user did: the settings are read only when the program opens
    // its connections.
    ShowInfoMessage("The program must be restarted before changes will take effect!");
    return Variant();
}

}  // namespace vendral

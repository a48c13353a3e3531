// How the Qt UI host shows the connection settings dialog.
#pragma once

namespace vendral::qt {

class FrmODBCSettings;

// The dialog instance, created on first use and kept for later showings.
FrmODBCSettings& SettingsDialog();

// Shows FrmODBCSettings modally for this thread's dialog state
// (SettingsFilePath, DialogMode, DialogAskServer) and returns when the user
// has left it; DialogCancelled tells how.
void RunSettingsDialog();

}  // namespace vendral::qt

// How the widget library shows the connection settings dialog.
#pragma once

#include "base/internal_export.h"

namespace vendral::detail::qt {

class FrmODBCSettings;

// The dialog instance, created on first use and kept for later showings.
VENDRAL_TEST_INTERNAL FrmODBCSettings& SettingsDialog();

// Shows FrmODBCSettings modally for this thread's dialog state
// (SettingsFilePath, DialogMode, DialogAskServer) and returns true when the user
// has left it (DialogCancelled tells how); false when this thread has no
// QApplication to show it with. The runner the library installs in the core.
VENDRAL_TEST_INTERNAL bool RunSettingsDialog();

}  // namespace vendral::detail::qt

// The library's own code names these without the detail qualifier.
namespace vendral {
namespace qt = detail::qt;
}  // namespace vendral

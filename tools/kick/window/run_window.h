// The window's program, whichever face the build has: Form1 for the settings
// file and the message loop until the window is closed.
#pragma once

#include <string>

#include "form1_presenter.h"

namespace vendral::kick {

// Returns the program's exit status.
int RunWindow(int& argc, char** argv, const std::string& settingsFile,
              const DatabaseFactory& makeDatabase);

}  // namespace vendral::kick

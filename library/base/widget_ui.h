// The widget library, loaded on demand for a client of the core alone (a C
// program, a script) that never installed a user interface of its own.
#pragma once

#include "base/internal_export.h"

namespace vendral::detail {

// True when an X server (or a Wayland compositor) is there to show windows on;
// "offscreen" and the other screenless Qt platforms count as none.
VENDRAL_TEST_INTERNAL bool DisplayReachable();

// Loads the widget library (the one beside the core, else the one in the
// installed library folder) and lets
// it make the QApplication and install its UI host and settings dialog. Tried
// once per process; true when the widget library's host is in place.
VENDRAL_TEST_INTERNAL bool AttachWidgetUi();

// True while no UI host was installed by the program (the default one is in use).
VENDRAL_TEST_INTERNAL bool DefaultUiHostInUse();

}  // namespace vendral::detail

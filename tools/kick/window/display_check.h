// Whether the window can be shown: Qt ends the process with an abort when its
// platform cannot connect, so the program asks first.
#pragma once

#include <string>

namespace vendral::kick {

// Empty when Qt's platform (QT_QPA_PLATFORM, else X11) can show the window;
// otherwise why not, in a few words ("DISPLAY is not set", ...).
std::string WhyNoDisplay();

}  // namespace vendral::kick

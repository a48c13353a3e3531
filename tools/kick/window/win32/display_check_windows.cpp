// Whether the window can be shown on Windows: a session without a screen (a
// service's) has none to show it on.
#include "window/display_check.h"

#include <windows.h>

namespace vendral::kick {

std::string WhyNoDisplay() {
    return GetSystemMetrics(SM_CXSCREEN) > 0 ? std::string() : "this session has no screen";
}

}  // namespace vendral::kick

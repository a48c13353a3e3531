// The QApplication that the widget classes need when a client that is no Qt
// program (a C client, a script) creates them through the component server.
#pragma once

#include <string>

#include "base/internal_export.h"

namespace vendral::detail::qt {

// Makes sure the calling thread can make and show widgets, before a served
// widget object runs one of its members:
// - when the process has no Qt application object, one QApplication is made
//   in the calling thread and kept for the rest of the process (Qt allows one
//   per process, and widgets of a client may outlive every served object);
// - when the process has a QApplication of the calling thread, nothing is done.
// Otherwise it throws com::ComCallError (CO_E_NOTINITIALIZED) naming className
// and the reason: the application object is a QCoreApplication, it lives in
// another thread, or none can be made because the platform has no display
// (an X11 platform without DISPLAY, Wayland without WAYLAND_DISPLAY).
VENDRAL_TEST_INTERNAL void RequireWidgetApplication(const std::string& className);

}  // namespace vendral::detail::qt

// The library's own code names these without the detail qualifier.
namespace vendral {
namespace qt = detail::qt;
}  // namespace vendral

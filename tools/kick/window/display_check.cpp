#include "window/display_check.h"

#include <xcb/xcb.h>

#include <cstdlib>

namespace vendral::kick {
namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

std::string WhyNoDisplay() {
    std::string platform = Environment("QT_QPA_PLATFORM");
    platform = platform.substr(0, platform.find_first_of(":;"));
    if (platform == "wayland" || platform == "wayland-egl")
        return Environment("WAYLAND_DISPLAY").empty() ? "WAYLAND_DISPLAY is not set" : "";
    // offscreen, vnc and the like need no display server.
    if (!platform.empty() && platform != "xcb") return "";
    std::string display = Environment("DISPLAY");
    if (display.empty()) return "DISPLAY is not set";
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    bool failed = xcb_connection_has_error(connection) != 0;
    xcb_disconnect(connection);
    return failed ? "cannot connect to the X display " + display : "";
}

}  // namespace vendral::kick

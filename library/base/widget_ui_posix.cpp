#include "base/widget_ui.h"

#include <dlfcn.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace vendral::detail {
namespace {

constexpr const char* kWidgetLibrary = "libvendral-widgets.so.1";
// The widget library's entry that makes its application object and host.
constexpr const char* kAttachFunction = "VendralAttachWidgetUi";

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string CoreFolder() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&AttachWidgetUi), &info) || !info.dli_fname) return {};
    // The folder the core was loaded from, links not followed: a folder of
    // links to the libraries is a folder of the libraries.
    std::error_code error;
    std::filesystem::path core = std::filesystem::absolute(info.dli_fname, error);
    return error ? std::string() : core.parent_path().string();
}

std::vector<std::string> Candidates() {
    std::vector<std::string> paths;
    if (std::string folder = CoreFolder(); !folder.empty())
        paths.push_back(folder + "/" + kWidgetLibrary);
    paths.push_back(std::string(VENDRAL_INSTALLED_LIBDIR) + "/" + kWidgetLibrary);
    return paths;
}

bool LoadAndAttach() {
    if (!DisplayReachable()) return false;
    for (const std::string& path : Candidates()) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error)) continue;
        // Kept loaded for the process: its host and application object stay in use.
        void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) continue;
        auto attach = reinterpret_cast<int (*)()>(dlsym(library, kAttachFunction));
        if (attach == nullptr) continue;
        return attach() != 0;
    }
    return false;
}

}  // namespace

bool DisplayReachable() {
    std::string platform = Environment("QT_QPA_PLATFORM");
    platform = platform.substr(0, platform.find_first_of(":;"));
    if (platform == "wayland" || platform == "wayland-egl")
        return !Environment("WAYLAND_DISPLAY").empty();
    if (!platform.empty() && platform != "xcb") return false;
    if (Environment("DISPLAY").empty()) return false;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reachable;
}

bool AttachWidgetUi() {
    static std::once_flag tried;
    static bool attached = false;
    std::call_once(tried, [] { attached = LoadAndAttach(); });
    return attached;
}

}  // namespace vendral::detail

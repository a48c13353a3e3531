// What the window manager reports about a window, read straight from the X
// server, and helper windows of another process (vendral_test_window) to act
// on.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace vendral::test {

// Polls until the condition holds; the window manager acts asynchronously.
// False when it never does (a generous limit, not a timing requirement).
template <typename Condition>
bool Eventually(Condition condition) {
    for (int i = 0; i < 800; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

struct Geometry {
    int X = 0, Y = 0, Width = 0, Height = 0;
    bool operator==(const Geometry&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Geometry& g) {
    return out << g.Width << "x" << g.Height << "+" << g.X << "+" << g.Y;
}

class WindowProbe {
  public:
    WindowProbe() {
        connection_ = xcb_connect(nullptr, &screen_);
        if (xcb_connection_has_error(connection_)) throw std::runtime_error("no X display");
        xcb_ewmh_init_atoms_replies(&ewmh_, xcb_ewmh_init_atoms(connection_, &ewmh_), nullptr);
        wmState_ = Intern("WM_STATE");
    }
    ~WindowProbe() {
        xcb_ewmh_connection_wipe(&ewmh_);
        xcb_disconnect(connection_);
    }
    WindowProbe(const WindowProbe&) = delete;
    WindowProbe& operator=(const WindowProbe&) = delete;

    const xcb_ewmh_connection_t& Atoms() const { return ewmh_; }

    // The managed client window with exactly this _NET_WM_NAME.
    std::optional<xcb_window_t> ClientTitled(const std::string& title) {
        xcb_ewmh_get_windows_reply_t list;
        if (!xcb_ewmh_get_client_list_reply(&ewmh_, xcb_ewmh_get_client_list(&ewmh_, screen_),
                                            &list, nullptr)) {
            return std::nullopt;
        }
        std::optional<xcb_window_t> found;
        for (uint32_t i = 0; i < list.windows_len && !found; ++i) {
            xcb_ewmh_get_utf8_strings_reply_t name;
            if (xcb_ewmh_get_wm_name_reply(&ewmh_, xcb_ewmh_get_wm_name(&ewmh_, list.windows[i]),
                                           &name, nullptr)) {
                if (std::string(name.strings, name.strings_len) == title) found = list.windows[i];
                xcb_ewmh_get_utf8_strings_reply_wipe(&name);
            }
        }
        xcb_ewmh_get_windows_reply_wipe(&list);
        return found;
    }

    bool HasState(xcb_window_t window, xcb_atom_t state) {
        xcb_ewmh_get_atoms_reply_t states;
        if (!xcb_ewmh_get_wm_state_reply(&ewmh_, xcb_ewmh_get_wm_state(&ewmh_, window), &states,
                                         nullptr)) {
            return false;
        }
        bool found = std::find(states.atoms, states.atoms + states.atoms_len, state) !=
                     states.atoms + states.atoms_len;
        xcb_ewmh_get_atoms_reply_wipe(&states);
        return found;
    }
    bool IsMaximized(xcb_window_t window) {
        return HasState(window, ewmh_._NET_WM_STATE_MAXIMIZED_VERT) &&
               HasState(window, ewmh_._NET_WM_STATE_MAXIMIZED_HORZ);
    }
    bool IsAbove(xcb_window_t window) { return HasState(window, ewmh_._NET_WM_STATE_ABOVE); }

    // ICCCM WM_STATE: 1 normal, 3 iconic; 0 when the window has none.
    uint32_t IcccmState(xcb_window_t window) {
        auto cookie = xcb_get_property(connection_, 0, window, wmState_, wmState_, 0, 2);
        xcb_get_property_reply_t* reply = xcb_get_property_reply(connection_, cookie, nullptr);
        uint32_t state = 0;
        if (reply != nullptr && reply->format == 32 && xcb_get_property_value_length(reply) >= 4) {
            state = *static_cast<uint32_t*>(xcb_get_property_value(reply));
        }
        std::free(reply);
        return state;
    }
    bool IsNormal(xcb_window_t window) {
        return IcccmState(window) == 1 && !HasState(window, ewmh_._NET_WM_STATE_HIDDEN);
    }
    bool IsIconic(xcb_window_t window) {
        return IcccmState(window) == 3 && HasState(window, ewmh_._NET_WM_STATE_HIDDEN);
    }

    xcb_window_t Active() {
        xcb_window_t active = XCB_NONE;
        xcb_ewmh_get_active_window_reply(&ewmh_, xcb_ewmh_get_active_window(&ewmh_, screen_),
                                         &active, nullptr);
        return active;
    }

    // The window's place on the screen and its size.
    Geometry OnScreen(xcb_window_t window) {
        Geometry result;
        auto* geometry =
            xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr);
        if (geometry == nullptr) return result;
        auto* place = xcb_translate_coordinates_reply(
            connection_,
            xcb_translate_coordinates(connection_, window, ewmh_.screens[screen_]->root, 0, 0),
            nullptr);
        if (place != nullptr)
            result = {place->dst_x, place->dst_y, geometry->width, geometry->height};
        std::free(place);
        std::free(geometry);
        return result;
    }

  private:
    xcb_atom_t Intern(const char* name) {
        auto cookie =
            xcb_intern_atom(connection_, 0, static_cast<uint16_t>(std::strlen(name)), name);
        auto* reply = xcb_intern_atom_reply(connection_, cookie, nullptr);
        xcb_atom_t atom = reply != nullptr ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
        std::free(reply);
        return atom;
    }

    xcb_connection_t* connection_ = nullptr;
    int screen_ = 0;
    xcb_ewmh_connection_t ewmh_{};
    xcb_atom_t wmState_ = XCB_ATOM_NONE;
};

// A window of another process, shown and managed once Start() returns true.
class HelperWindow {
  public:
    explicit HelperWindow(std::string title) : title_(std::move(title)) {}
    ~HelperWindow() {
        if (pid_ > 0 && !ended_) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    HelperWindow(const HelperWindow&) = delete;
    HelperWindow& operator=(const HelperWindow&) = delete;

    bool Start(WindowProbe& probe) {
        std::string program = VENDRAL_TEST_WINDOW;
        std::vector<char*> argv{program.data(), title_.data(), nullptr};
        if (::posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
            return false;
        }
        return Eventually([&] {
            auto window = probe.ClientTitled(title_);
            if (window) window_ = *window;
            return window && probe.IsNormal(*window) && probe.Active() == *window;
        });
    }

    // True once the process has ended; its exit status in status.
    bool HasEnded(int* status = nullptr) {
        if (!ended_) {
            int raw = 0;
            if (::waitpid(pid_, &raw, WNOHANG) == pid_) {
                ended_ = true;
                status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            }
        }
        if (ended_ && status != nullptr) *status = status_;
        return ended_;
    }

    const std::string& Title() const { return title_; }
    xcb_window_t Window() const { return window_; }

  private:
    std::string title_;
    pid_t pid_ = 0;
    xcb_window_t window_ = XCB_NONE;
    bool ended_ = false;
    int status_ = -1;
};

}  // namespace vendral::test

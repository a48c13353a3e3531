#include "desktop/x11_windows.h"

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>
#include <xcb/xcb_icccm.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "base/text.h"

namespace vendral::x11 {

namespace {

// Replies of xcb are malloc'ed; this frees them.
struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

// WM_NAME in the STRING encoding is Latin-1.
std::string Latin1ToUtf8(const char* text, std::size_t length) {
    std::u32string points;
    for (std::size_t i = 0; i < length; ++i) {
        points.push_back(static_cast<unsigned char>(text[i]));
    }
    return EncodeUtf8(points);
}

bool Contains(const xcb_ewmh_get_atoms_reply_t& atoms, xcb_atom_t atom) {
    return std::find(atoms.atoms, atoms.atoms + atoms.atoms_len, atom) !=
           atoms.atoms + atoms.atoms_len;
}

}  // namespace

struct Display::Impl {
    xcb_connection_t* connection = nullptr;
    int screen = 0;
    xcb_ewmh_connection_t ewmh{};
    bool ewmhReady = false;
    // The ICCCM atoms that the ICCCM library does not intern for us.
    xcb_atom_t wmDeleteWindow = XCB_ATOM_NONE;
    xcb_atom_t wmChangeState = XCB_ATOM_NONE;
    xcb_atom_t wmState = XCB_ATOM_NONE;

    ~Impl() {
        if (ewmhReady) xcb_ewmh_connection_wipe(&ewmh);
        if (connection != nullptr) xcb_disconnect(connection);
    }

    xcb_window_t Root() const { return ewmh.screens[screen]->root; }

    xcb_atom_t Intern(const char* name) {
        auto cookie =
            xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
        Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookie, nullptr));
        return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    }

    bool Supports(xcb_atom_t atom) {
        xcb_ewmh_get_atoms_reply_t supported;
        if (!xcb_ewmh_get_supported_reply(&ewmh, xcb_ewmh_get_supported(&ewmh, screen), &supported,
                                          nullptr)) {
            return false;
        }
        bool found = Contains(supported, atom);
        xcb_ewmh_get_atoms_reply_wipe(&supported);
        return found;
    }

    std::vector<xcb_atom_t> States(xcb_window_t window) {
        xcb_ewmh_get_atoms_reply_t states;
        if (!xcb_ewmh_get_wm_state_reply(&ewmh, xcb_ewmh_get_wm_state(&ewmh, window), &states,
                                         nullptr)) {
            return {};
        }
        std::vector<xcb_atom_t> result(states.atoms, states.atoms + states.atoms_len);
        xcb_ewmh_get_atoms_reply_wipe(&states);
        return result;
    }

    // The ICCCM WM_STATE the window manager keeps on a managed window (1
    // normal, 3 iconic); nothing for a window it does not manage.
    std::optional<std::uint32_t> IcccmState(xcb_window_t window) {
        auto cookie = xcb_get_property(connection, 0, window, wmState, wmState, 0, 2);
        Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection, cookie, nullptr));
        if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4) {
            return std::nullopt;
        }
        return *static_cast<std::uint32_t*>(xcb_get_property_value(reply.get()));
    }

    bool IsMapped(xcb_window_t window) {
        auto cookie = xcb_get_window_attributes(connection, window);
        Reply<xcb_get_window_attributes_reply_t> reply(
            xcb_get_window_attributes_reply(connection, cookie, nullptr));
        return reply && reply->map_state != XCB_MAP_STATE_UNMAPPED;
    }

    // Makes sure the server has every request before the connection closes.
    void Sync() {
        Reply<xcb_get_input_focus_reply_t> reply(
            xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }
};

Display::Display(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Display::~Display() {
    if (impl_ && impl_->connection != nullptr && !xcb_connection_has_error(impl_->connection)) {
        impl_->Sync();
    }
}

std::unique_ptr<Display> Display::Open() {
    auto impl = std::make_unique<Impl>();
    impl->connection = xcb_connect(nullptr, &impl->screen);
    if (impl->connection == nullptr || xcb_connection_has_error(impl->connection)) {
        return nullptr;
    }
    xcb_intern_atom_cookie_t* cookies = xcb_ewmh_init_atoms(impl->connection, &impl->ewmh);
    if (!xcb_ewmh_init_atoms_replies(&impl->ewmh, cookies, nullptr)) {
        return nullptr;
    }
    impl->ewmhReady = true;
    if (impl->screen < 0 || impl->screen >= impl->ewmh.nb_screens) impl->screen = 0;
    impl->wmDeleteWindow = impl->Intern("WM_DELETE_WINDOW");
    impl->wmChangeState = impl->Intern("WM_CHANGE_STATE");
    impl->wmState = impl->Intern("WM_STATE");
    return std::unique_ptr<Display>(new Display(std::move(impl)));
}

std::vector<Window> Display::TopLevelWindows() {
    auto& ewmh = impl_->ewmh;
    xcb_ewmh_get_windows_reply_t list;
    if (xcb_ewmh_get_client_list_stacking_reply(
            &ewmh, xcb_ewmh_get_client_list_stacking(&ewmh, impl_->screen), &list, nullptr) ||
        xcb_ewmh_get_client_list_reply(&ewmh, xcb_ewmh_get_client_list(&ewmh, impl_->screen), &list,
                                       nullptr)) {
        // Both lists run from the bottom of the stack to its top.
        std::vector<Window> windows(list.windows, list.windows + list.windows_len);
        xcb_ewmh_get_windows_reply_wipe(&list);
        std::reverse(windows.begin(), windows.end());
        return windows;
    }
    auto cookie = xcb_query_tree(impl_->connection, impl_->Root());
    Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(impl_->connection, cookie, nullptr));
    if (!tree) return {};
    xcb_window_t* children = xcb_query_tree_children(tree.get());
    std::vector<Window> windows(children, children + xcb_query_tree_children_length(tree.get()));
    std::reverse(windows.begin(), windows.end());
    return windows;
}

std::string Display::Title(Window window) {
    auto& ewmh = impl_->ewmh;
    xcb_ewmh_get_utf8_strings_reply_t name;
    if (xcb_ewmh_get_wm_name_reply(&ewmh, xcb_ewmh_get_wm_name(&ewmh, window), &name, nullptr)) {
        std::string title(name.strings, name.strings_len);
        xcb_ewmh_get_utf8_strings_reply_wipe(&name);
        return title;
    }
    xcb_icccm_get_text_property_reply_t text;
    if (xcb_icccm_get_wm_name_reply(
            impl_->connection, xcb_icccm_get_wm_name(impl_->connection, window), &text, nullptr)) {
        std::string title = text.encoding == XCB_ATOM_STRING
                                ? Latin1ToUtf8(text.name, text.name_len)
                                : std::string(text.name, text.name_len);
        xcb_icccm_get_text_property_reply_wipe(&text);
        return title;
    }
    return {};
}

std::optional<Window> Display::FindByTitle(std::string_view title) {
    for (Window window : TopLevelWindows()) {
        std::string name = Title(window);
        // A window without a title is not found by an empty one either.
        if (!name.empty() && IEquals(name, title)) return window;
    }
    return std::nullopt;
}

void Display::RequestClose(Window window) {
    auto& ewmh = impl_->ewmh;
    if (impl_->Supports(ewmh._NET_CLOSE_WINDOW)) {
        xcb_ewmh_request_close_window(&ewmh, impl_->screen, window, XCB_CURRENT_TIME,
                                      XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
        return;
    }
    xcb_icccm_get_wm_protocols_reply_t protocols;
    if (!xcb_icccm_get_wm_protocols_reply(
            impl_->connection,
            xcb_icccm_get_wm_protocols(impl_->connection, window, ewmh.WM_PROTOCOLS), &protocols,
            nullptr)) {
        return;
    }
    bool takesDelete = std::find(protocols.atoms, protocols.atoms + protocols.atoms_len,
                                 impl_->wmDeleteWindow) != protocols.atoms + protocols.atoms_len;
    xcb_icccm_get_wm_protocols_reply_wipe(&protocols);
    if (!takesDelete) return;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = ewmh.WM_PROTOCOLS;
    event.data.data32[0] = impl_->wmDeleteWindow;
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(impl_->connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&event));
}

void Display::Iconify(Window window) {
    std::uint32_t data[] = {XCB_ICCCM_WM_STATE_ICONIC};
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = impl_->wmChangeState;
    event.data.data32[0] = data[0];
    xcb_send_event(impl_->connection, 0, impl_->Root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

void Display::Maximize(Window window) {
    auto& ewmh = impl_->ewmh;
    xcb_ewmh_request_change_wm_state(
        &ewmh, impl_->screen, window, XCB_EWMH_WM_STATE_ADD, ewmh._NET_WM_STATE_MAXIMIZED_VERT,
        ewmh._NET_WM_STATE_MAXIMIZED_HORZ, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
}

void Display::Restore(Window window) {
    auto& ewmh = impl_->ewmh;
    if (IsIconic(window)) {
        // Window managers bring an iconic window back when it is activated by
        // a pager-like client; its maximised state stays as it was.
        Activate(window);
        return;
    }
    xcb_ewmh_request_change_wm_state(
        &ewmh, impl_->screen, window, XCB_EWMH_WM_STATE_REMOVE, ewmh._NET_WM_STATE_MAXIMIZED_VERT,
        ewmh._NET_WM_STATE_MAXIMIZED_HORZ, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
}

void Display::Activate(Window window) {
    // Source "other" (a pager or task list): the user asked for it, so the
    // manager's focus-stealing prevention does not apply.
    xcb_ewmh_request_change_active_window(&impl_->ewmh, impl_->screen, window,
                                          XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, XCB_CURRENT_TIME,
                                          XCB_NONE);
}

std::optional<Window> Display::ActiveWindow() {
    auto& ewmh = impl_->ewmh;
    xcb_window_t active = XCB_NONE;
    if (!xcb_ewmh_get_active_window_reply(&ewmh, xcb_ewmh_get_active_window(&ewmh, impl_->screen),
                                          &active, nullptr) ||
        active == XCB_NONE) {
        return std::nullopt;
    }
    return active;
}

void Display::SetAbove(Window window, bool above) {
    auto& ewmh = impl_->ewmh;
    bool managed = impl_->IcccmState(window).has_value() || impl_->IsMapped(window);
    if (managed) {
        xcb_ewmh_request_change_wm_state(
            &ewmh, impl_->screen, window, above ? XCB_EWMH_WM_STATE_ADD : XCB_EWMH_WM_STATE_REMOVE,
            ewmh._NET_WM_STATE_ABOVE, XCB_ATOM_NONE, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
        return;
    }
    // A withdrawn window carries its wanted state itself; the window manager
    // reads it when the window is mapped.
    auto states = impl_->States(window);
    states.erase(std::remove(states.begin(), states.end(), ewmh._NET_WM_STATE_ABOVE), states.end());
    if (above) states.push_back(ewmh._NET_WM_STATE_ABOVE);
    xcb_ewmh_set_wm_state(&ewmh, window, static_cast<std::uint32_t>(states.size()), states.data());
    xcb_map_window(impl_->connection, window);
}

bool Display::IsIconic(Window window) {
    auto state = impl_->IcccmState(window);
    return state && *state == XCB_ICCCM_WM_STATE_ICONIC;
}

}  // namespace vendral::x11

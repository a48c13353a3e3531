// A stand-in for another program's main window in the window-control tests:
//   vendral_test_window TITLE
// opens one top-level window titled TITLE (_NET_WM_NAME and WM_NAME), takes
// part in WM_DELETE_WINDOW and ends with status 0 when asked to close.
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>
#include <xcb/xcb_icccm.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

xcb_atom_t Intern(xcb_connection_t* connection, const char* name) {
    auto cookie = xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    xcb_atom_t atom = reply != nullptr ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s TITLE\n", argv[0]);
        return 2;
    }
    const std::string title = argv[1];
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    xcb_ewmh_connection_t ewmh;
    if (!xcb_ewmh_init_atoms_replies(&ewmh, xcb_ewmh_init_atoms(connection, &ewmh), nullptr)) {
        return 1;
    }
    xcb_screen_t* screen = ewmh.screens[screenNumber];
    xcb_window_t window = xcb_generate_id(connection);
    uint32_t values[] = {screen->white_pixel, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 100, 100, 320, 200, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    xcb_ewmh_set_wm_name(&ewmh, window, static_cast<uint32_t>(title.size()), title.c_str());
    xcb_icccm_set_wm_name(connection, window, ewmh.UTF8_STRING, 8,
                          static_cast<uint32_t>(title.size()), title.c_str());
    const char windowClass[] = "vendral_test_window\0VendralTestWindow";
    xcb_icccm_set_wm_class(connection, window, sizeof windowClass, windowClass);
    xcb_ewmh_set_wm_pid(&ewmh, window, static_cast<uint32_t>(getpid()));
    xcb_atom_t deleteWindow = Intern(connection, "WM_DELETE_WINDOW");
    xcb_icccm_set_wm_protocols(connection, window, ewmh.WM_PROTOCOLS, 1, &deleteWindow);
    xcb_map_window(connection, window);
    xcb_flush(connection);

    int status = 1;
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
        bool done = false;
        if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
            auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
            if (message->type == ewmh.WM_PROTOCOLS && message->data.data32[0] == deleteWindow) {
                status = 0;
                done = true;
            }
        }
        std::free(event);
        if (done) break;
    }
    xcb_ewmh_connection_wipe(&ewmh);
    xcb_disconnect(connection);
    return status;
}

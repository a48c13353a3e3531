#include "pointer_image.h"

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>
#include <memory>

namespace vendral::test::qt {
namespace {

struct ConnectionCloser {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
struct ReplyFree {
    void operator()(void* reply) const { std::free(reply); }
};

}  // namespace

void PrintTo(const PointerImage& image, std::ostream* out) {
    std::uint32_t sum = 0;
    for (std::uint32_t pixel : image.Pixels) sum = sum * 31 + pixel;
    *out << image.Width << "x" << image.Height << " hot " << image.HotX << "," << image.HotY
         << " pixels #" << std::hex << sum << std::dec;
}

PointerImage CurrentPointerImage() {
    std::unique_ptr<xcb_connection_t, ConnectionCloser> connection(xcb_connect(nullptr, nullptr));
    if (xcb_connection_has_error(connection.get())) return {};
    // XFixes answers only a client that has told its version first.
    std::unique_ptr<xcb_xfixes_query_version_reply_t, ReplyFree> version(
        xcb_xfixes_query_version_reply(connection.get(),
                                       xcb_xfixes_query_version(connection.get(), 4, 0), nullptr));
    if (!version || version->major_version < 1) return {};
    std::unique_ptr<xcb_xfixes_get_cursor_image_reply_t, ReplyFree> reply(
        xcb_xfixes_get_cursor_image_reply(connection.get(),
                                          xcb_xfixes_get_cursor_image(connection.get()), nullptr));
    if (!reply) return {};
    PointerImage image;
    image.Width = reply->width;
    image.Height = reply->height;
    image.HotX = reply->xhot;
    image.HotY = reply->yhot;
    const std::uint32_t* pixels = xcb_xfixes_get_cursor_image_cursor_image(reply.get());
    const int count = xcb_xfixes_get_cursor_image_cursor_image_length(reply.get());
    image.Pixels.assign(pixels, pixels + count);
    return image;
}

}  // namespace vendral::test::qt

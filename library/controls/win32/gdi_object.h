// A GDI object (font, brush) owned by one holder and deleted with it.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace vendral::detail::controls {

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};

template <class Handle>
using GdiObject = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectDeleter>;

}  // namespace vendral::detail::controls

// Colours of the design are 32-bit values 0x00BBGGRR (red in the low byte).
#pragma once

#include <QColor>
#include <cstdint>

#include "base/internal_export.h"

namespace vendral::detail::qt {

inline QColor FromOleColor(std::uint32_t color) {
    return QColor(static_cast<int>(color & 0xFFu), static_cast<int>((color >> 8) & 0xFFu),
                  static_cast<int>((color >> 16) & 0xFFu));
}

inline std::uint32_t ToOleColor(const QColor& color) {
    return static_cast<std::uint32_t>(color.red()) |
           (static_cast<std::uint32_t>(color.green()) << 8) |
           (static_cast<std::uint32_t>(color.blue()) << 16);
}

}  // namespace vendral::detail::qt

// The library's own code names these without the detail qualifier.
namespace vendral {
namespace qt = detail::qt;
}  // namespace vendral

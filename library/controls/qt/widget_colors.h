// Colours of constituent widgets through their palettes, as 0x00BBGGRR.
#pragma once

#include <QPalette>
#include <cstdint>

#include "base/internal_export.h"

class QWidget;

namespace vendral::detail::controls {

VENDRAL_TEST_INTERNAL std::uint32_t PaletteColor(const QWidget* widget, QPalette::ColorRole role);
VENDRAL_TEST_INTERNAL void SetPaletteColor(QWidget* widget, QPalette::ColorRole role,
                                           std::uint32_t color);

}  // namespace vendral::detail::controls

// The library's own code names these without the detail qualifier.
namespace vendral {
namespace controls = detail::controls;
}  // namespace vendral

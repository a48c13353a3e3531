// Colours of constituent widgets through their palettes, as 0x00BBGGRR.
#pragma once

#include <QPalette>
#include <cstdint>

class QWidget;

namespace vendral::controls {

std::uint32_t PaletteColor(const QWidget* widget, QPalette::ColorRole role);
void SetPaletteColor(QWidget* widget, QPalette::ColorRole role, std::uint32_t color);

}  // namespace vendral::controls

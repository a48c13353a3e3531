#include "controls/qt/widget_colors.h"

#include <QWidget>

#include "base/qt/ole_color.h"

namespace vendral::detail::controls {

std::uint32_t PaletteColor(const QWidget* widget, QPalette::ColorRole role) {
    return qt::ToOleColor(widget->palette().color(role));
}

void SetPaletteColor(QWidget* widget, QPalette::ColorRole role, std::uint32_t color) {
    QPalette palette = widget->palette();
    // All colour groups, so a widget looks the same in an inactive window.
    palette.setColor(role, qt::FromOleColor(color));
    widget->setPalette(palette);
}

}  // namespace vendral::detail::controls

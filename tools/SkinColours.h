#pragma once

// The skin's palette as the artwork draws with it.

#include "skin/SkinPalette.h"

#include <QColor>

namespace promoart {

inline QColor skinColour(platform::palette::Rgb rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

} // namespace promoart

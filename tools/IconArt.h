#pragma once

// The program icon, drawn in the window's skin colours.

#include <QImage>

namespace promoart {

constexpr int IconSize = 128;

// A 128 × 128 picture with an alpha channel: a rounded pale-blue tile with
// "B64" lettering over a padlock between two arrows; the corners outside the
// tile are transparent. Needs a QGuiApplication for its fonts.
QImage drawProgramIcon();

} // namespace promoart

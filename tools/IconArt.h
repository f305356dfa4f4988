#pragma once

// The program icon, drawn in the window's skin colours.

#include <QImage>

namespace promoart {

// The size the program carries in its resources; the desktop's icon theme
// gets every size of IconThemeSizes.
constexpr int IconSize = 128;
constexpr int IconThemeSizes[] = {16, 24, 32, 48, 64, 128, 256};

// A size × size picture with an alpha channel: a rounded pale-blue tile with
// "B64" lettering over a padlock between two arrows; the corners outside the
// tile are transparent. Each size is drawn afresh, not scaled from another:
// below 48 pixels the padlock and the arrows would be a blur, so the small
// sizes show the tile and its lettering alone, on whole pixels. Needs a
// QGuiApplication for its fonts.
QImage drawProgramIcon(int size = IconSize);

} // namespace promoart

#pragma once

// The skin's values as Qt takes them: colours and fonts, and the look of
// the skinned frame, which paints itself rather than through a style sheet.

#include "skin/SkinPalette.h"

#include <QColor>
#include <QFont>

namespace platform {

inline QColor toQColor(palette::Rgb rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

// The font, with its cell height in pixels.
QFont toQFont(const palette::Font& font);

// What the frame paints with: its band, outline and caption, and the
// caption buttons, lit while the mouse is over them or pressed.
struct FrameLook {
    QColor face = toQColor(palette::Face);
    QColor outline = toQColor(palette::FrameOutline);
    QColor captionTop = toQColor(palette::CaptionBandTop);
    QColor captionBottom = toQColor(palette::CaptionBandBottom);
    QColor captionText = toQColor(palette::CaptionText);
    QColor captionInactiveText = toQColor(palette::CaptionInactiveText);
    QColor captionShadow = toQColor(palette::CaptionShadow);
    QColor buttonOutline = toQColor(palette::ButtonOutline);
    QColor buttonHoverTop = toQColor(palette::ButtonHoverTop);
    QColor buttonHoverBottom = toQColor(palette::ButtonHoverBottom);
    QColor buttonPressedTop = toQColor(palette::ButtonPressedTop);
    QColor buttonPressedBottom = toQColor(palette::ButtonPressedBottom);
    // The plain background laid over the client area while the window is
    // inactive.
    QColor fade = toQColor(palette::Face);
    QFont captionFont = toQFont(palette::CaptionFont);
};

} // namespace platform

#pragma once

// The promotion server's pictures: the banner of the top slot and the
// animation of the side slot, drawn in the window's skin colours. Needs a
// QGuiApplication for its fonts.

#include "GifEncoder.h"

#include <QImage>
#include <vector>

namespace promoart {

// Sizes of the slots as the window shows them: the top slot is 201 wide and
// as high as the top strip's inner area, the side slot as wide as the right
// column's inner area and 48 high.
constexpr int TopBannerWidth = 201;
constexpr int TopBannerHeight = 43;
constexpr int SideWidth = 157;
constexpr int SideHeight = 48;

QImage drawTopBanner();

// The frames of the side animation, with transparent corners.
std::vector<QImage> drawSideFrames();

// The fixed palette the animation is reduced to: index 0 is the transparent
// colour, followed by the skin's colours and an even colour cube.
std::vector<GifColor> promoPalette();
constexpr std::uint8_t TransparentIndex = 0;

// Reduces each frame to `palette` (nearest colour; pixels more than half
// transparent become `transparentIndex`) and assembles a looping animation.
// The last frame stays on screen `holdCentiseconds`, the others
// `delayCentiseconds`. All frames must have the size of the first.
GifAnimation makeAnimation(const std::vector<QImage>& frames, const std::vector<GifColor>& palette,
                           std::uint8_t transparentIndex, std::uint16_t delayCentiseconds,
                           std::uint16_t holdCentiseconds);

} // namespace promoart

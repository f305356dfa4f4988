#pragma once

// A small GIF89a writer for palette pictures: one global colour table, any
// number of full-size frames with their own delay, an optional transparent
// colour and the NETSCAPE2.0 loop block that browsers and picture libraries
// read as "repeat". Pixel data is LZW-compressed as the format requires.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace promoart {

struct GifColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

struct GifFrame {
    // One palette index per pixel, row by row, width × height entries.
    std::vector<std::uint8_t> pixels;
    // Time the frame stays on screen, in hundredths of a second.
    std::uint16_t delayCentiseconds = 10;
};

struct GifAnimation {
    int width = 0;
    int height = 0;
    // 1 to 256 colours; the writer pads it to the next power of two.
    std::vector<GifColor> palette;
    // The palette index that shows the background through the picture.
    std::optional<std::uint8_t> transparentIndex;
    // How often the animation repeats; 0 repeats it for ever.
    std::uint16_t loopCount = 0;
    std::vector<GifFrame> frames;
};

// The complete GIF file. Throws std::invalid_argument for an animation that
// has no frames, a size outside 1..65535, a palette of 0 or more than 256
// colours, or a frame whose pixel count or indices do not fit.
std::string encodeGif(const GifAnimation& animation);

// The LZW-compressed data of one frame as it stands in the file: the minimum
// code size byte, then the data in sub-blocks of at most 255 bytes, then the
// empty block. Exposed so that tests can check the compressor on its own.
std::string encodeGifImageData(const std::vector<std::uint8_t>& pixels, int minimumCodeSize);

} // namespace promoart

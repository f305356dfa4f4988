#include "GifEncoder.h"

#include <stdexcept>
#include <unordered_map>

namespace promoart {

namespace {

constexpr int MaxCodeSize = 12;
constexpr int MaxCodes = 1 << MaxCodeSize;

void putWord(std::string& out, unsigned value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void putByte(std::string& out, unsigned value) {
    out.push_back(static_cast<char>(value & 0xFF));
}

// Packs variable-width codes least significant bit first, as GIF wants, and
// cuts the result into sub-blocks when it is done.
class CodeWriter {
public:
    void put(unsigned code, int width) {
        buffer_ |= static_cast<std::uint32_t>(code) << bitCount_;
        bitCount_ += width;
        while (bitCount_ >= 8) {
            bytes_.push_back(static_cast<char>(buffer_ & 0xFF));
            buffer_ >>= 8;
            bitCount_ -= 8;
        }
    }

    std::string finishInSubBlocks() {
        if (bitCount_ > 0) {
            bytes_.push_back(static_cast<char>(buffer_ & 0xFF));
            buffer_ = 0;
            bitCount_ = 0;
        }
        std::string blocks;
        for (std::size_t start = 0; start < bytes_.size(); start += 255) {
            const std::size_t length = std::min<std::size_t>(255, bytes_.size() - start);
            putByte(blocks, static_cast<unsigned>(length));
            blocks.append(bytes_, start, length);
        }
        putByte(blocks, 0);
        return blocks;
    }

private:
    std::string bytes_;
    std::uint32_t buffer_ = 0;
    int bitCount_ = 0;
};

// Bits needed for a colour table that holds `colours` entries (1 to 8).
int colourTableBits(std::size_t colours) {
    int bits = 1;
    while ((std::size_t{1} << bits) < colours) {
        ++bits;
    }
    return bits;
}

void checkAnimation(const GifAnimation& animation) {
    if (animation.width < 1 || animation.width > 0xFFFF || animation.height < 1 ||
        animation.height > 0xFFFF) {
        throw std::invalid_argument("GIF size must be 1 to 65535 pixels each way");
    }
    if (animation.palette.empty() || animation.palette.size() > 256) {
        throw std::invalid_argument("GIF palette must hold 1 to 256 colours");
    }
    if (animation.frames.empty()) {
        throw std::invalid_argument("GIF animation has no frames");
    }
    if (animation.transparentIndex && *animation.transparentIndex >= animation.palette.size()) {
        throw std::invalid_argument("GIF transparent index lies outside the palette");
    }
    const auto pixelCount = static_cast<std::size_t>(animation.width) * animation.height;
    for (const GifFrame& frame : animation.frames) {
        if (frame.pixels.size() != pixelCount) {
            throw std::invalid_argument("GIF frame does not have width × height pixels");
        }
        for (std::uint8_t index : frame.pixels) {
            if (index >= animation.palette.size()) {
                throw std::invalid_argument("GIF frame uses a colour outside the palette");
            }
        }
    }
}

void putNetscapeLoop(std::string& out, std::uint16_t loopCount) {
    putByte(out, 0x21);
    putByte(out, 0xFF);
    putByte(out, 11);
    out += "NETSCAPE2.0";
    putByte(out, 3);
    putByte(out, 1);
    putWord(out, loopCount);
    putByte(out, 0);
}

void putGraphicControl(std::string& out, const GifFrame& frame,
                       std::optional<std::uint8_t> transparentIndex) {
    // With a transparent colour every frame is drawn on a cleared canvas
    // (disposal "restore to background"), so that earlier frames do not show
    // through; without one, frames simply replace each other.
    const unsigned disposal = transparentIndex ? 2 : 1;
    putByte(out, 0x21);
    putByte(out, 0xF9);
    putByte(out, 4);
    putByte(out, (disposal << 2) | (transparentIndex ? 1u : 0u));
    putWord(out, frame.delayCentiseconds);
    putByte(out, transparentIndex.value_or(0));
    putByte(out, 0);
}

} // namespace

std::string encodeGifImageData(const std::vector<std::uint8_t>& pixels, int minimumCodeSize) {
    if (minimumCodeSize < 2 || minimumCodeSize > 8) {
        throw std::invalid_argument("GIF minimum code size must be 2 to 8");
    }
    const unsigned clearCode = 1u << minimumCodeSize;
    const unsigned endCode = clearCode + 1;

    // The string table maps (prefix code, next pixel) to the code of the
    // longer string; single pixels are their own codes.
    std::unordered_map<std::uint32_t, std::uint16_t> table;
    unsigned nextCode = endCode + 1;
    int codeSize = minimumCodeSize + 1;

    CodeWriter writer;
    writer.put(clearCode, codeSize);
    if (!pixels.empty()) {
        unsigned prefix = pixels.front();
        for (std::size_t i = 1; i < pixels.size(); ++i) {
            const std::uint8_t pixel = pixels[i];
            const std::uint32_t key = (static_cast<std::uint32_t>(prefix) << 8) | pixel;
            if (const auto found = table.find(key); found != table.end()) {
                prefix = found->second;
                continue;
            }
            writer.put(prefix, codeSize);
            if (nextCode < MaxCodes) {
                // The decoder learns each code one step later than we do, so
                // it widens its codes exactly when the code we add now needs
                // the extra bit.
                if (nextCode == (1u << codeSize)) {
                    ++codeSize;
                }
                table.emplace(key, static_cast<std::uint16_t>(nextCode++));
            } else {
                // Table full: start afresh rather than keep stale strings.
                writer.put(clearCode, codeSize);
                table.clear();
                nextCode = endCode + 1;
                codeSize = minimumCodeSize + 1;
            }
            prefix = pixel;
        }
        writer.put(prefix, codeSize);
    }
    writer.put(endCode, codeSize);

    std::string out;
    putByte(out, static_cast<unsigned>(minimumCodeSize));
    out += writer.finishInSubBlocks();
    return out;
}

std::string encodeGif(const GifAnimation& animation) {
    checkAnimation(animation);
    const int tableBits = colourTableBits(animation.palette.size());

    std::string out = "GIF89a";
    putWord(out, static_cast<unsigned>(animation.width));
    putWord(out, static_cast<unsigned>(animation.height));
    // Global colour table present, 8 bits of colour resolution, unsorted.
    putByte(out, 0x80u | (7u << 4) | static_cast<unsigned>(tableBits - 1));
    putByte(out, animation.transparentIndex.value_or(0));
    putByte(out, 0); // square pixels
    for (std::size_t i = 0; i < (std::size_t{1} << tableBits); ++i) {
        const GifColor color = i < animation.palette.size() ? animation.palette[i] : GifColor{};
        putByte(out, color.red);
        putByte(out, color.green);
        putByte(out, color.blue);
    }
    if (animation.frames.size() > 1) {
        putNetscapeLoop(out, animation.loopCount);
    }

    const int minimumCodeSize = std::max(2, tableBits);
    for (const GifFrame& frame : animation.frames) {
        putGraphicControl(out, frame, animation.transparentIndex);
        putByte(out, 0x2C);
        putWord(out, 0);
        putWord(out, 0);
        putWord(out, static_cast<unsigned>(animation.width));
        putWord(out, static_cast<unsigned>(animation.height));
        putByte(out, 0); // no local colour table, not interlaced
        out += encodeGifImageData(frame.pixels, minimumCodeSize);
    }
    putByte(out, 0x3B);
    return out;
}

} // namespace promoart

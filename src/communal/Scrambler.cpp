#include "communal/Scrambler.h"

namespace communal {
namespace {

constexpr std::uint16_t Multiplier = 52845;
constexpr std::uint16_t Increment = 22719;

// The running key after a byte; the cast takes it modulo 65536 every time,
// whatever width the arithmetic is done in.
std::uint16_t nextKey(std::uint16_t key, std::uint8_t fed) {
    return static_cast<std::uint16_t>((std::uint32_t(key) + fed) * Multiplier + Increment);
}

std::uint8_t keyByte(std::uint16_t key) {
    return static_cast<std::uint8_t>(key >> 8);
}

} // namespace

std::string EncryptSetting(std::string_view source, std::uint16_t key) {
    std::string scrambled(source);
    for (char& byte : scrambled) {
        const auto plain = static_cast<std::uint8_t>(byte);
        const auto mixed = static_cast<std::uint8_t>(plain ^ keyByte(key));
        key = nextKey(key, mixed);
        // A zero cannot be stored, so the plain byte stands in for it; the
        // reader recognises it as equal to its key byte.
        if (mixed != 0)
            byte = static_cast<char>(mixed);
    }
    return StrToHexText(scrambled);
}

std::string DecryptSetting(std::string_view hexText, std::uint16_t key) {
    std::string plain = HexTextToStr(hexText);
    for (char& byte : plain) {
        const auto stored = static_cast<std::uint8_t>(byte);
        if (stored == keyByte(key)) {
            key = nextKey(key, 0);
        } else {
            byte = static_cast<char>(stored ^ keyByte(key));
            key = nextKey(key, stored);
        }
    }
    return plain;
}

std::string StrToHexText(std::string_view bytes) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const char byte : bytes) {
        const auto value = static_cast<std::uint8_t>(byte);
        text += Digits[value >> 4];
        text += Digits[value & 0x0F];
    }
    return text;
}

std::string HexTextToStr(std::string_view text) {
    std::string bytes(text.size() / 2, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int value = 16 * HexDigitValue(text[2 * i]) + HexDigitValue(text[2 * i + 1]);
        // Negative digit values wrap as well: only the value modulo 256 counts.
        bytes[i] = static_cast<char>(static_cast<std::uint8_t>(value & 0xFF));
    }
    return bytes;
}

int HexDigitValue(char c) {
    const int code = static_cast<std::uint8_t>(c);
    if (c >= '0' && c <= '9')
        return code - '0';
    return code - 55;
}

} // namespace communal

#include "communal/Base64.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace communal {
namespace {

// Character values of the decoder: the position in the alphabet taken as an
// unsigned byte, so that a byte outside it counts as 255.
constexpr std::array<std::uint8_t, 256> makeCharValues() {
    std::array<std::uint8_t, 256> values{};
    for (auto& v : values)
        v = 255;
    for (std::size_t i = 0; i < Base64Chars.size(); ++i)
        values[static_cast<unsigned char>(Base64Chars[i])] = static_cast<std::uint8_t>(i);
    return values;
}
constexpr auto CharValues = makeCharValues();

// Two Base64 digits for every 12-bit value, so that a group of three bytes
// is written with two lookups.
constexpr std::array<std::uint16_t, 4096> makeDigitPairs() {
    std::array<std::uint16_t, 4096> pairs{};
    for (std::size_t v = 0; v < pairs.size(); ++v) {
        const auto high = static_cast<std::uint8_t>(Base64Chars[v >> 6]);
        const auto low = static_cast<std::uint8_t>(Base64Chars[v & 63]);
        // Stored in memory order: the first digit at the lower address.
        if constexpr (std::endian::native == std::endian::little)
            pairs[v] = static_cast<std::uint16_t>(high | (low << 8));
        else
            pairs[v] = static_cast<std::uint16_t>((high << 8) | low);
    }
    return pairs;
}
constexpr auto DigitPairs = makeDigitPairs();

// What each of the four places of a decoding group contributes to the three
// output bytes, packed as byte 0 | byte 1 << 8 | byte 2 << 16. A "=" in third
// or fourth place sets a stop flag instead, because decoding ends there.
constexpr std::uint32_t StopAtThird = 1u << 24;
constexpr std::uint32_t StopAtFourth = 1u << 25;

struct GroupTables {
    std::array<std::uint32_t, 256> first{}, second{}, third{}, fourth{};
};

constexpr GroupTables makeGroupTables() {
    GroupTables t;
    for (std::size_t c = 0; c < 256; ++c) {
        const std::uint32_t k = CharValues[c];
        t.first[c] = (k * 4) & 0xFF;
        t.second[c] = (k >> 4) | (((k * 16) & 0xFF) << 8);
        t.third[c] = k == 64 ? StopAtThird : ((k >> 2) << 8) | (((k * 64) & 0xFF) << 16);
        t.fourth[c] = k == 64 ? StopAtFourth : k << 16;
    }
    return t;
}
constexpr GroupTables Tables = makeGroupTables();

inline void storeWord(char* out, std::uint32_t word) {
    if constexpr (std::endian::native == std::endian::big)
        word = __builtin_bswap32(word);
    std::memcpy(out, &word, sizeof word);
}

inline std::uint64_t loadBigEndian64(const unsigned char* in) {
    std::uint64_t value;
    std::memcpy(&value, in, sizeof value);
    if constexpr (std::endian::native == std::endian::little)
        value = __builtin_bswap64(value);
    return value;
}

// Writes four digit pairs, each already in memory order, as eight characters.
inline void storeDigitPairs(char* out, std::uint64_t a, std::uint64_t b, std::uint64_t c,
                            std::uint64_t d) {
    const std::uint64_t word = std::endian::native == std::endian::little
                                   ? a | b << 16 | c << 32 | d << 48
                                   : a << 48 | b << 32 | c << 16 | d;
    std::memcpy(out, &word, sizeof word);
}

} // namespace

int Base64CharIndex(char c) {
    const auto pos = Base64Chars.find(c);
    return pos == std::string_view::npos ? -1 : static_cast<int>(pos);
}

std::string Base64Encode(std::string_view text) {
    const std::size_t n = text.size();
    const std::size_t fullGroups = n / 3;
    std::string result(((n + 2) / 3) * 4, '\0');

    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    char* out = result.data();
    std::size_t g = 0;
    // Two groups per step: one 8-byte read (two bytes beyond the groups
    // stay unread in the value), four lookups, one 8-byte write.
    for (; g + 2 <= fullGroups && 3 * g + 8 <= n; g += 2, in += 6, out += 8) {
        const std::uint64_t bits = loadBigEndian64(in);
        const std::uint64_t first = bits >> 40, second = (bits >> 16) & 0xFFFFFF;
        storeDigitPairs(out, DigitPairs[first >> 12], DigitPairs[first & 0xFFF],
                        DigitPairs[second >> 12], DigitPairs[second & 0xFFF]);
    }
    for (; g < fullGroups; ++g, in += 3, out += 4) {
        const std::uint32_t bits = (std::uint32_t{in[0]} << 16) | (in[1] << 8) | in[2];
        const std::uint16_t pair1 = DigitPairs[bits >> 12];
        const std::uint16_t pair2 = DigitPairs[bits & 0xFFF];
        std::memcpy(out, &pair1, 2);
        std::memcpy(out + 2, &pair2, 2);
    }

    switch (n % 3) {
    case 1:
        out[0] = Base64Chars[in[0] >> 2];
        out[1] = Base64Chars[(in[0] & 3) << 4];
        out[2] = '=';
        out[3] = '=';
        break;
    case 2:
        out[0] = Base64Chars[in[0] >> 2];
        out[1] = Base64Chars[((in[0] & 3) << 4) | (in[1] >> 4)];
        out[2] = Base64Chars[(in[1] & 15) << 2];
        out[3] = '=';
        break;
    default:
        break;
    }
    return result;
}

std::string Base64Decode(std::string_view text) {
    const std::size_t groups = text.size() / 4;
    // One spare byte: every group stores a whole 32-bit word.
    std::string result(groups * 3 + 1, '\0');

    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    char* out = result.data();
    for (std::size_t g = 0; g < groups; ++g, in += 4) {
        const std::uint32_t word =
            Tables.first[in[0]] | Tables.second[in[1]] | Tables.third[in[2]] | Tables.fourth[in[3]];
        storeWord(out, word);
        if (word & (StopAtThird | StopAtFourth)) [[unlikely]] {
            // "=" third keeps only the first byte; "=" fourth keeps two.
            out += (word & StopAtThird) ? 1 : 2;
            break;
        }
        out += 3;
    }
    result.resize(static_cast<std::size_t>(out - result.data()));
    return result;
}

} // namespace communal

// The Base64 codec on any bytes. The decoder must give what a plain model
// of the decoding rules gives, written here from the rules and nothing
// else; encoding gives 4 characters per 3 bytes or part, all from the
// alphabet, and decodes back to its input.

#include "communal/Base64.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "base64: %s\n", what);
        std::abort();
    }
}

// The character value: the position in the alphabet, 64 for "=", and 255
// for every other byte.
unsigned valueOf(unsigned char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    if (c == '=')
        return 64;
    return 255;
}

// Whole groups of four; the first byte always, the second unless the third
// character is "=", the third unless the fourth is; a "=" there ends it all.
std::string modelDecode(std::string_view text) {
    std::string bytes;
    for (std::size_t at = 0; at + 4 <= text.size(); at += 4) {
        const unsigned k1 = valueOf(static_cast<unsigned char>(text[at]));
        const unsigned k2 = valueOf(static_cast<unsigned char>(text[at + 1]));
        const unsigned k3 = valueOf(static_cast<unsigned char>(text[at + 2]));
        const unsigned k4 = valueOf(static_cast<unsigned char>(text[at + 3]));
        bytes += static_cast<char>(((k1 * 4) % 256) | (k2 / 16));
        if (k3 == 64)
            break;
        bytes += static_cast<char>(((k2 * 16) % 256) | (k3 / 4));
        if (k4 == 64)
            break;
        bytes += static_cast<char>(((k3 * 64) % 256) | k4);
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    check(communal::Base64Decode(input) == modelDecode(input), "decoding differs from the rules");

    const std::string encoded = communal::Base64Encode(input);
    check(encoded.size() == (size + 2) / 3 * 4, "encoded length");
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        const bool pad = encoded[i] == '=';
        check(communal::Base64CharIndex(encoded[i]) >= 0, "encoded character outside the alphabet");
        check(!pad || i + 2 >= encoded.size(), "pad character before the last two places");
    }
    check(communal::Base64Decode(encoded) == input, "encoding does not decode back");
    return 0;
}

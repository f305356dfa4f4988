#pragma once

// Base64 text codec on byte strings. Encoding is standard Base64 (RFC 4648,
// section 4, no line breaks). Decoding is lenient and never fails: it reads
// whole groups of four characters, gives every byte outside the alphabet the
// value 255 and stops at the first "=" that stands third or fourth in a group.

#include <string>
#include <string_view>

namespace communal {

// Positions 0 to 63 hold the digits, position 64 the pad character.
constexpr std::string_view Base64Chars =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=";

// The zero-based position of c in Base64Chars, or -1 when it is not there.
int Base64CharIndex(char c);

// The Base64 form of text: 4 * ceil(n / 3) characters.
std::string Base64Encode(std::string_view text);

// The bytes a Base64 text stands for: at most 3 * floor(n / 4) bytes.
std::string Base64Decode(std::string_view text);

} // namespace communal

#pragma once

// The scrambled form of settings values. Every byte of a value is combined
// by XOR with the high byte of a running 16-bit key, which moves on after
// every byte; the scrambled bytes are written as upper-case hex text. Neither
// direction can fail: every input, well-formed or not, gives a result.

#include <cstdint>
#include <string>
#include <string_view>

namespace communal {

// The key every settings file is scrambled with. It must never change once
// settings files exist: a file written with one key reads back as noise
// under another.
constexpr std::uint16_t SettingKey = 0x6B76;

// The scrambled setting text of a plain value: two hex digits per byte.
// A byte that equals its key byte is stored as itself (its XOR would be 0).
std::string EncryptSetting(std::string_view source, std::uint16_t key);

// The plain value of a scrambled setting text. A stored byte equal to its
// key byte is taken as itself.
std::string DecryptSetting(std::string_view hexText, std::uint16_t key);

// Two hex digits per byte, high digit first, "0" to "9" and "A" to "F".
std::string StrToHexText(std::string_view bytes);

// One byte per pair of characters; an odd last character is ignored. The
// characters are not checked: every pair yields a byte by the digit values
// of HexDigitValue, modulo 256.
std::string HexTextToStr(std::string_view text);

// "0" to "9" give 0 to 9; every other character gives its code minus 55, so
// "A" to "F" give 10 to 15 and lower-case letters do not count as digits.
int HexDigitValue(char c);

} // namespace communal

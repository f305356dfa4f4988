// The setting scrambler on any key and any bytes. Scrambled setting text is
// two upper-case hex digits per byte; unscrambling it with the same key
// gives back every value without a zero byte (a zero byte cannot survive by
// the scrambler's own rules); the hex text turns back into its bytes; and
// unscrambling any text at all gives one byte per pair of characters.

#include "FuzzInput.h"
#include "communal/Scrambler.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "scrambler: %s\n", what);
        std::abort();
    }
}

bool isUpperHex(const std::string& text) {
    return text.find_first_not_of("0123456789ABCDEF") == std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::uint16_t key = input.word();
    const std::string value = input.rest();

    const std::string scrambled = communal::EncryptSetting(value, key);
    check(scrambled.size() == 2 * value.size(), "scrambled length");
    check(isUpperHex(scrambled), "scrambled text holds more than upper-case hex digits");
    if (value.find('\0') == std::string::npos)
        check(communal::DecryptSetting(scrambled, key) == value, "value does not come back");

    const std::string hex = communal::StrToHexText(value);
    check(isUpperHex(hex) && communal::HexTextToStr(hex) == value, "hex text does not come back");

    // The value's bytes as a scrambled text, however ill-formed.
    check(communal::DecryptSetting(value, key).size() == value.size() / 2,
          "unscrambling gives one byte per pair");
    return 0;
}

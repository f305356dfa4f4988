#pragma once

// The plain source of a promotion settings file: INI text whose values are
// written in the clear and may name the promotion server with the
// placeholder "{base}", e.g. "fname1={base}top.jpg". The publisher turns it
// into the scrambled settings file that the program downloads.

#include "PromoServerAddress.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace promotool {

// Every failure of the publisher and the server, with a message for the user.
class PromoError : public std::runtime_error {
public:
    explicit PromoError(const std::string& message)
        : std::runtime_error(message) {}
};

constexpr std::string_view BasePlaceholder = "{base}";
// The program's built-in promotion address.
constexpr std::string_view DefaultBaseUrl = promoaddress::BaseUrl;

struct PromoEntry {
    std::string section;
    std::string ident;
    std::string value; // as written, placeholder included
    int line = 0;      // 1-based line of the source
};

// Parses source text: "[section]" lines, "ident=value" lines (blanks around
// names and value do not count; the value is everything after the first
// "="), blank lines and comment lines starting with ";" or "#". Any other
// line, an entry before the first section, an empty name, a name the INI
// form cannot hold, or an entry given twice in a section (names compared
// without regard to ASCII case, as the program's reader does) throws
// PromoError "<sourceName>:<line>: <what is wrong>".
std::vector<PromoEntry> parsePromoSource(std::string_view text, std::string_view sourceName);

// Reads and parses a source file; a file that cannot be read throws.
std::vector<PromoEntry> readPromoSource(const std::filesystem::path& source);

// Checks a base URL and gives it with a final "/": it must start with
// "http://" or "https://" and name a host. Anything else throws.
std::string normaliseBaseUrl(std::string_view baseUrl);

// The value with every "{base}" replaced by baseUrl.
std::string substituteBase(std::string_view value, std::string_view baseUrl);

// The file on the promotion server that a value names, as a relative path
// ("top.jpg", "img/side.gif"): the part of a value that starts with
// "{base}" up to any "?" or "#", percent escapes decoded. Empty when the
// value does not start with the placeholder or names a folder. A path that
// would leave the server's folder ("..", an absolute path, a backslash or a
// zero byte) throws PromoError.
std::string serverFileOf(std::string_view value);

} // namespace promotool

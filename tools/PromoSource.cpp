#include "PromoSource.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace promotool {

namespace {

std::string_view trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string lowerAscii(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return lower;
}

[[noreturn]] void fail(std::string_view sourceName, int line, const std::string& what) {
    throw PromoError(std::string(sourceName) + ":" + std::to_string(line) + ": " + what);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

std::string percentDecode(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
            hexValue(text[i + 2]) >= 0) {
            decoded.push_back(
                static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2])));
            i += 2;
        } else {
            decoded.push_back(text[i]);
        }
    }
    return decoded;
}

} // namespace

std::vector<PromoEntry> parsePromoSource(std::string_view text, std::string_view sourceName) {
    std::vector<PromoEntry> entries;
    std::string section;
    bool inSection = false;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        const std::string_view line = trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

        if (line.find('\0') != std::string_view::npos) {
            fail(sourceName, lineNumber, "holds a zero byte");
        }
        if (line.empty() || line.front() == ';' || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3) {
                fail(sourceName, lineNumber, "a section line must read [name]");
            }
            const std::string_view name = trim(line.substr(1, line.size() - 2));
            if (name.empty() || name.find_first_of("[]") != std::string_view::npos) {
                fail(sourceName, lineNumber, "section name is empty or holds a bracket");
            }
            section = name;
            inSection = true;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            fail(sourceName, lineNumber, "neither a section, an entry nor a comment");
        }
        if (!inSection) {
            fail(sourceName, lineNumber, "entry before the first section");
        }
        const std::string_view ident = trim(line.substr(0, equals));
        if (ident.empty() || ident.front() == '[' || ident.front() == ';') {
            fail(sourceName, lineNumber, "entry name is empty or starts with [ or ;");
        }
        for (const PromoEntry& earlier : entries) {
            if (lowerAscii(earlier.section) == lowerAscii(section) &&
                lowerAscii(earlier.ident) == lowerAscii(ident)) {
                fail(sourceName, lineNumber,
                     "entry " + std::string(ident) + " of [" + section +
                         "] is given again (first on line " + std::to_string(earlier.line) + ")");
            }
        }
        entries.push_back(
            {section, std::string(ident), std::string(trim(line.substr(equals + 1))), lineNumber});
    }
    return entries;
}

std::vector<PromoEntry> readPromoSource(const std::filesystem::path& source) {
    std::ifstream file(source, std::ios::binary);
    std::ostringstream text;
    if (!file || !(text << file.rdbuf())) {
        throw PromoError("cannot read " + source.string());
    }
    return parsePromoSource(text.str(), source.filename().string());
}

std::string normaliseBaseUrl(std::string_view baseUrl) {
    std::size_t schemeLength = 0;
    for (std::string_view scheme : {"http://", "https://"}) {
        if (lowerAscii(baseUrl.substr(0, scheme.size())) == scheme) {
            schemeLength = scheme.size();
        }
    }
    if (schemeLength == 0) {
        throw PromoError("base URL must start with http:// or https://: " + std::string(baseUrl));
    }
    const std::string_view rest = baseUrl.substr(schemeLength);
    if (rest.empty() || rest.front() == '/') {
        throw PromoError("base URL names no host: " + std::string(baseUrl));
    }
    if (rest.find_first_of(" \t\r\n?#") != std::string_view::npos) {
        throw PromoError("base URL must not hold blanks, a query or a fragment: " +
                         std::string(baseUrl));
    }
    std::string normalised(baseUrl);
    if (normalised.back() != '/') {
        normalised.push_back('/');
    }
    return normalised;
}

std::string substituteBase(std::string_view value, std::string_view baseUrl) {
    std::string result;
    for (std::size_t at = value.find(BasePlaceholder); at != std::string_view::npos;
         at = value.find(BasePlaceholder)) {
        result.append(value.substr(0, at));
        result.append(baseUrl);
        value.remove_prefix(at + BasePlaceholder.size());
    }
    result.append(value);
    return result;
}

std::string serverFileOf(std::string_view value) {
    if (value.substr(0, BasePlaceholder.size()) != BasePlaceholder) {
        return {};
    }
    std::string_view path = value.substr(BasePlaceholder.size());
    path = path.substr(0, path.find_first_of("?#"));
    std::string decoded = percentDecode(path);
    if (decoded.empty() || decoded.back() == '/') {
        return {};
    }
    const std::filesystem::path relative(decoded);
    const bool leaves = decoded.front() == '/' ||
                        decoded.find_first_of(std::string("\\\0", 2)) != std::string::npos ||
                        std::any_of(relative.begin(), relative.end(),
                                    [](const std::filesystem::path& part) { return part == ".."; });
    if (leaves) {
        throw PromoError("server file outside the promotion folder: " + std::string(value));
    }
    return decoded;
}

} // namespace promotool

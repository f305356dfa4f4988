#include "system/IniFile.h"

#include "system/Exception.h"
#include "system/ReplacementFile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace platform {
namespace {

// ---- The INI text form ------------------------------------------------------

constexpr std::string_view Blanks = " \t";

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(Blanks);
    return text.substr(first, last - first + 1);
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Bytes outside ASCII compare as they are, so that the second byte of a
// double-byte character is never folded.
bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

// A line of the file: its text [begin, end) and its line ending [end, next).
struct Line {
    std::size_t begin;
    std::size_t end;
    std::size_t next;
    bool hasEnding() const { return end != next; }
};

// Splits at CR LF, LF and a lone CR. A last line without an ending counts
// when it is not empty.
std::vector<Line> splitLines(std::string_view text) {
    std::vector<Line> lines;
    std::size_t begin = 0;
    // A UTF-8 byte order mark is no part of the first line's text.
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        begin = 3;
    while (begin < text.size()) {
        const auto end = std::min(text.find_first_of("\r\n", begin), text.size());
        std::size_t next = end;
        if (next < text.size())
            next +=
                (text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n') ? 2 : 1;
        lines.push_back({begin, end, next});
        begin = next;
    }
    return lines;
}

// The line ending of the file's first line; CR LF when it has none.
std::string_view lineEndingOf(std::string_view text) {
    const auto at = text.find_first_of("\r\n");
    if (at == std::string_view::npos)
        return "\r\n";
    if (text[at] == '\n')
        return "\n";
    return (at + 1 < text.size() && text[at + 1] == '\n') ? "\r\n" : "\r";
}

struct ParsedLine {
    enum Kind { Nothing, SectionHead, Entry } kind = Nothing;
    std::string_view name;
    std::string_view value; // entries only, blanks removed
};

ParsedLine parseLine(std::string_view text) {
    const auto trimmed = trim(text);
    if (trimmed.empty() || trimmed.front() == ';')
        return {};
    if (trimmed.front() == '[') {
        // The name runs to the last "]"; without one the line is no
        // section line but an ordinary line of the section before it.
        const auto close = trimmed.rfind(']');
        if (close != std::string_view::npos)
            return {ParsedLine::SectionHead, trim(trimmed.substr(1, close - 1)), {}};
    }
    const auto equals = trimmed.find('=');
    if (equals == std::string_view::npos)
        return {ParsedLine::Entry, trimmed, {}}; // an entry with an empty value
    return {ParsedLine::Entry, trim(trimmed.substr(0, equals)), trim(trimmed.substr(equals + 1))};
}

// Where a section and an entry stand in the file, as line numbers.
struct Place {
    std::optional<std::size_t> section;   // the section's head line
    std::optional<std::size_t> entry;     // the entry's line
    std::optional<std::size_t> lastEntry; // the section's last entry line
    std::string_view value;               // the entry's value as it stands
};

Place locate(std::string_view text, const std::vector<Line>& lines, std::string_view section,
             std::string_view ident) {
    section = trim(section);
    ident = trim(ident);
    Place place;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto line = parseLine(text.substr(lines[i].begin, lines[i].end - lines[i].begin));
        if (line.kind == ParsedLine::SectionHead) {
            if (place.section)
                break; // the first section of that name has ended
            if (sameName(line.name, section))
                place.section = i;
        } else if (line.kind == ParsedLine::Entry && place.section) {
            place.lastEntry = i;
            if (!place.entry && sameName(line.name, ident)) {
                place.entry = i;
                place.value = line.value;
            }
        }
    }
    return place;
}

bool isQuote(char c) {
    return c == '"' || c == '\'';
}

bool hasQuotePair(std::string_view value) {
    return value.size() >= 2 && isQuote(value.front()) && value.front() == value.back();
}

std::string_view unquote(std::string_view value) {
    return hasQuotePair(value) ? value.substr(1, value.size() - 2) : value;
}

// Quotes a value that reading would otherwise change.
std::string quote(std::string_view value) {
    const bool needsQuotes =
        !value.empty() &&
        (Blanks.find(value.front()) != std::string_view::npos ||
         Blanks.find(value.back()) != std::string_view::npos || hasQuotePair(value));
    return needsQuotes ? '"' + std::string(value) + '"' : std::string(value);
}

bool hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

bool storable(std::string_view section, std::string_view ident, std::string_view value) {
    ident = trim(ident);
    return !hasLineBreak(section) && !ident.empty() && !hasLineBreak(ident) &&
           ident.find('=') == std::string_view::npos && ident.front() != ';' &&
           ident.front() != '[' && !hasLineBreak(value);
}

// The file's text with the entry set; text is the file as it stands.
std::string withEntry(std::string text, std::string_view section, std::string_view ident,
                      std::string_view value) {
    const auto lines = splitLines(text);
    const auto place = locate(text, lines, section, ident);
    const auto ending = lineEndingOf(text);
    const std::string entryLine = std::string(trim(ident)) + '=' + quote(value);

    if (place.entry) {
        const Line& line = lines[*place.entry];
        return text.replace(line.begin, line.end - line.begin, entryLine);
    }
    if (place.section) {
        const Line& after = lines[place.lastEntry.value_or(*place.section)];
        // The new line ends as the line before it: with the file's ending
        // (a lone CR) it could join a line feed after it into one ending,
        // and an empty line after it would be lost.
        if (after.hasEnding())
            return text.insert(after.next,
                               entryLine + text.substr(after.end, after.next - after.end));
        return text.insert(after.next, std::string(ending) + entryLine);
    }
    if (!text.empty() && text.back() != '\n' && text.back() != '\r')
        text += ending;
    text += '[';
    text += trim(section);
    text += ']';
    text += ending;
    text += entryLine;
    text += ending;
    return text;
}

// ---- Files ---------------------------------------------------------------

// The whole content of a regular file, or nothing when there is no such
// file or it cannot be read.
std::optional<std::string> readWholeFile(const fs::path& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad())
        return std::nullopt;
    return std::move(content).str();
}

// Puts content in place of the file at target in one step: either the whole
// new content or the old file stays.
bool replaceFile(const fs::path& target, std::string_view content) {
    ReplacementFile replacement(target);
    return replacement.write(content) && replacement.commit();
}

// The file a write must replace: the file itself, or what a link names,
// so that the link stays.
fs::path writeTarget(const fs::path& path) {
    std::error_code error;
    if (!fs::is_symlink(path, error))
        return path;
    const auto resolved = fs::canonical(path, error);
    return error ? path : resolved;
}

} // namespace

TIniFile::TIniFile(std::string fileName)
    : fileName_(std::move(fileName)) {}

std::string TIniFile::ReadString(std::string_view section, std::string_view ident,
                                 std::string_view defaultValue) const {
    const auto text = readWholeFile(fs::path(fileName_));
    if (!text)
        return std::string(defaultValue);
    const auto place = locate(*text, splitLines(*text), section, ident);
    if (!place.entry)
        return std::string(defaultValue);
    return std::string(unquote(place.value));
}

void TIniFile::WriteString(std::string_view section, std::string_view ident,
                           std::string_view value) {
    const Exception failure("Unable to write to " + fileName_);
    if (fileName_.empty() || !storable(section, ident, value))
        throw failure;

    const fs::path target = writeTarget(fs::path(fileName_));
    std::error_code error;
    const auto status = fs::status(target, error);
    std::string text;
    if (fs::exists(status)) {
        // Never replace a file whose content could not be kept.
        auto old = fs::is_regular_file(status) ? readWholeFile(target) : std::nullopt;
        if (!old)
            throw failure;
        text = std::move(*old);
    } else if (status.type() != fs::file_type::not_found) {
        throw failure;
    }

    if (!replaceFile(target, withEntry(std::move(text), section, ident, value)))
        throw failure;
}

} // namespace platform

// The settings file's reader and writer on any file and any names: the
// input gives a section, an entry, a value, two other entries to look at,
// and the file's bytes. After WriteString the value reads back as written,
// every other line of the file is still there, byte for byte, in its place,
// and the other entries read as before; a write that is refused leaves the
// file as it was.

#include "FuzzInput.h"
#include "system/Exception.h"
#include "system/IniFile.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace {

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "inifile: %s\n", what);
        std::abort();
    }
}

fs::path settingsFile() {
    static const fs::path file = [] {
        std::string folder = (fs::temp_directory_path() / "kalvor-fuzz-ini-XXXXXX").string();
        check(mkdtemp(folder.data()) != nullptr, "no temporary folder");
        return fs::path(folder) / "SetConfig.ini";
    }();
    return file;
}

void writeFile(const fs::path& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    check(static_cast<bool>(out), "cannot write the settings file");
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A line's text and its ending, split at CR LF, LF and a lone CR.
struct Line {
    std::string text;
    std::string ending;
};

std::vector<Line> linesOf(std::string_view content) {
    std::vector<Line> lines;
    while (!content.empty()) {
        const std::size_t end = std::min(content.find_first_of("\r\n"), content.size());
        std::size_t next = end;
        if (next < content.size())
            next += content.substr(next, 2) == "\r\n" ? 2 : 1;
        lines.push_back(
            {std::string(content.substr(0, end)), std::string(content.substr(end, next - end))});
        content.remove_prefix(next);
    }
    return lines;
}

// Names match as the settings file's rules say: blanks around them do not
// count, nor the case of ASCII letters.
std::string_view trimmed(std::string_view name) {
    const auto first = name.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return name.substr(first, name.find_last_not_of(" \t") - first + 1);
}

bool sameName(std::string_view a, std::string_view b) {
    a = trimmed(a);
    b = trimmed(b);
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

// Whether a line is an entry of that name; a line without "=" is an entry
// whose value is empty.
bool isEntryOf(std::string_view line, std::string_view ident) {
    return sameName(line.substr(0, line.find('=')), ident);
}

// The new file is the old one with the entry's line replaced, one line
// inserted, or a section head and its entry added; only a last line without
// an ending may gain one.
void checkOtherLinesKept(const std::string& before, const std::string& after,
                         std::string_view ident) {
    const std::vector<Line> old = linesOf(before);
    const std::vector<Line> now = linesOf(after);
    std::size_t prefix = 0;
    while (prefix < old.size() && prefix < now.size() && old[prefix].text == now[prefix].text)
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < old.size() - prefix && suffix < now.size() - prefix &&
           old[old.size() - 1 - suffix].text == now[now.size() - 1 - suffix].text)
        ++suffix;
    const std::size_t oldMiddle = old.size() - prefix - suffix;
    const std::size_t newMiddle = now.size() - prefix - suffix;
    check(oldMiddle <= 1 && newMiddle <= 2 && newMiddle >= oldMiddle,
          "lines other than the entry's changed");
    check(oldMiddle == 0 || isEntryOf(old[prefix].text, ident),
          "a line other than the entry's was replaced");
    for (std::size_t i = 0; i < prefix; ++i)
        check(old[i].ending == now[i].ending || (i + 1 == old.size() && old[i].ending.empty()),
              "a line ending changed");
    for (std::size_t i = 1; i <= suffix; ++i)
        check(old[old.size() - i].ending == now[now.size() - i].ending ||
                  (i == 1 && old.back().ending.empty()),
              "a line ending changed");
}

struct Entry {
    std::string section;
    std::string ident;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const Entry written{input.shortString(), input.shortString()};
    const std::string value = input.shortString();
    const Entry others[] = {{input.shortString(), input.shortString()},
                            {input.shortString(), input.shortString()}};
    const std::string before = input.rest();

    const fs::path file = settingsFile();
    writeFile(file, before);
    platform::TIniFile ini(file.string());
    constexpr std::string_view Missing = "\x01missing\x01";
    std::vector<std::string> othersBefore;
    for (const Entry& other : others)
        othersBefore.push_back(ini.ReadString(other.section, other.ident, Missing));

    try {
        ini.WriteString(written.section, written.ident, value);
    } catch (const platform::Exception&) {
        check(readFile(file) == before, "a refused write changed the file");
        return 0;
    }
    check(ini.ReadString(written.section, written.ident, Missing) == value,
          "the value does not read back as written");
    checkOtherLinesKept(before, readFile(file), written.ident);
    for (std::size_t i = 0; i < std::size(others); ++i) {
        const bool same = sameName(others[i].section, written.section) &&
                          sameName(others[i].ident, written.ident);
        if (!same)
            check(ini.ReadString(others[i].section, others[i].ident, Missing) == othersBefore[i],
                  "another entry reads otherwise after the write");
    }
    return 0;
}

#pragma once

// Settings files in the INI text form, read and written by the rules of the
// Windows private-profile functions:
//
// - A section starts at a line "[name]"; the name ends at the last "]" of
//   the line, and what follows it is ignored. A line that opens with "[" but
//   has no "]" is no section line: it is an ordinary line of the section
//   before it.
// - The entries of a section are its lines up to the next section line:
//   "name=value", or a line without "=", which is an entry of that name
//   with an empty value. Lines before the first section, blank lines and
//   comment lines (first non-blank character ";") hold no entries.
// - Section and entry names match without regard to the case of ASCII
//   letters; spaces and tabs around names, around "=" and around the value
//   do not count. The first matching section, and the first matching entry
//   in it, wins; later duplicates are never looked at.
// - A value is read whole, whatever its length. One pair of matching
//   quotes ('"' or "'") around it is removed. A ";" after a value belongs to
//   the value.
// - A missing file, section or entry reads as the default.
//
// Writing keeps every other line of the file as it was, byte for byte. The
// entry's line is replaced by "name=value"; a new entry goes after the last
// entry of its section, a new section at the end of the file. A new entry
// after a line with an ending takes that line's ending; other new lines take
// the file's line ending (CR LF for a new file). A value that would
// read back otherwise (blanks at either end, or a quote pair around it) is
// written in double quotes, so that every value reads back as written. The
// file is replaced atomically through a temporary file in its folder.
//
// File names are byte strings in the system code page. Every call reads the
// file afresh; nothing is cached.

#include <string>
#include <string_view>

namespace platform {

class TIniFile {
public:
    explicit TIniFile(std::string fileName);

    // The value of entry ident in section, or defaultValue when the file,
    // the section or the entry does not exist or the file cannot be read.
    std::string ReadString(std::string_view section, std::string_view ident,
                           std::string_view defaultValue) const;

    // Sets entry ident of section to value, creating the file, the section
    // or the entry as needed. Throws platform::Exception "Unable to write to
    // <file name>" when the file cannot be read or replaced, or when the
    // names or the value cannot be stored in the INI text form (a line break
    // anywhere, "=" in the entry name, an empty entry name or one starting
    // with ";" or "["); the file then stays as it was.
    void WriteString(std::string_view section, std::string_view ident, std::string_view value);

private:
    std::string fileName_;
};

} // namespace platform

#pragma once

// Conversion between Unicode text and byte strings in a code page. The
// system code page is, on Windows, the process's ANSI code page; elsewhere
// the code set of the user's locale, where the bare C/POSIX locale counts
// as UTF-8 so that Chinese texts survive a machine with no locale set.

#include <QString>
#include <QStringView>
#include <string>
#include <string_view>

namespace platform {

class CodePage {
public:
    // The system code page. Reads the locale from the environment the first
    // time it is asked for, unless useLocaleFromEnvironment() ran before.
    static CodePage system();

    // A code page by name, as iconv (or Windows, "CP936" style) knows it:
    // "UTF-8", "GBK", "CP1252". Unknown names throw std::invalid_argument.
    static CodePage named(std::string_view name);

    // Sets the C locale from the environment, as a program does at start-up.
    static void useLocaleFromEnvironment();

    const std::string& name() const { return name_; }
    bool isUtf8() const { return utf8_; }

    // Characters the code page cannot hold become "?".
    std::string fromUnicode(QStringView text) const;
    // Bytes that form no character become U+FFFD.
    QString toUnicode(std::string_view bytes) const;

    friend bool operator==(const CodePage&, const CodePage&) = default;

private:
    CodePage(std::string name, bool utf8)
        : name_(std::move(name))
        , utf8_(utf8) {}

    std::string name_;
    bool utf8_;
};

// Whether the byte begins a double-byte character in the code page, so that
// the next byte belongs to it. Never true for UTF-8, whose continuation
// bytes are never ASCII.
bool isLeadByte(unsigned char byte, const CodePage& page);

} // namespace platform

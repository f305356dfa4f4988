#include "system/CodePage.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <clocale>
#include <cstdint>
#include <map>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <bit>
#include <cerrno>
#include <iconv.h>
#include <langinfo.h>
#endif

namespace platform {
namespace {

bool namesUtf8(std::string_view name) {
    std::string lower;
    for (char c : name)
        if (c != '-' && c != '_')
            lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower == "utf8" || lower == "65001" || lower == "cp65001";
}

bool localeFromEnvironmentSet = false;

#ifdef _WIN32

UINT codePageNumber(const std::string& name) {
    if (name.rfind("CP", 0) == 0)
        return static_cast<UINT>(std::stoul(name.substr(2)));
    if (name == "GBK")
        return 936;
    return static_cast<UINT>(std::stoul(name));
}

#else

// QString's own units, in the byte order of this machine.
const std::string Utf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// One iconv conversion, opened for the call and closed on every path.
class Converter {
public:
    Converter(const std::string& to, const std::string& from)
        : handle_(iconv_open(to.c_str(), from.c_str())) {
        // iconv_open reports failure as the handle (iconv_t)-1.
        if (reinterpret_cast<std::intptr_t>(handle_) == -1)
            throw std::invalid_argument("unknown code page: " + (to == Utf16 ? from : to));
    }
    ~Converter() { iconv_close(handle_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts all of the input; at a sequence that cannot be converted,
    // writes the replacement, skips skipUnit bytes of input and goes on.
    std::string run(const char* data, std::size_t size, std::string_view replacement,
                    std::size_t skipUnit) const {
        std::string out;
        out.resize(size * 2 + 16);
        char* in = const_cast<char*>(data);
        std::size_t inLeft = size;
        std::size_t used = 0;
        while (inLeft > 0) {
            char* outPtr = out.data() + used;
            std::size_t outLeft = out.size() - used;
            const std::size_t rc = iconv(handle_, &in, &inLeft, &outPtr, &outLeft);
            used = static_cast<std::size_t>(outPtr - out.data());
            if (rc != static_cast<std::size_t>(-1))
                break;
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            // EILSEQ or EINVAL: a sequence that cannot be converted.
            if (out.size() - used < replacement.size() + 16)
                out.resize(out.size() * 2);
            std::copy(replacement.begin(), replacement.end(), out.data() + used);
            used += replacement.size();
            const std::size_t skip = std::min(skipUnit, inLeft);
            in += skip;
            inLeft -= skip;
        }
        out.resize(used);
        return out;
    }

    // Whether the byte alone is the start of a character that needs more
    // bytes, rather than a character or an invalid byte.
    bool startsLongerCharacter(unsigned char byte) const {
        char in = static_cast<char>(byte);
        char out[16];
        char* inPtr = &in;
        char* outPtr = out;
        std::size_t inLeft = 1;
        std::size_t outLeft = sizeof out;
        iconv(handle_, nullptr, nullptr, nullptr, nullptr); // reset the state
        return iconv(handle_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) &&
               errno == EINVAL;
    }

private:
    iconv_t handle_;
};

#endif

using LeadBytes = std::array<bool, 256>;

// The question that IsDBCSLeadByteEx answers on Windows, asked of the
// converter elsewhere: does the byte alone leave a character incomplete.
LeadBytes findLeadBytes(const CodePage& page) {
    LeadBytes lead{};
    if (page.isUtf8()) // continuation bytes are never ASCII: nothing to skip
        return lead;
#ifdef _WIN32
    const UINT number = codePageNumber(page.name());
    for (int byte = 0x80; byte < 0x100; ++byte)
        lead[std::size_t(byte)] = IsDBCSLeadByteEx(number, BYTE(byte)) != FALSE;
#else
    const Converter converter(Utf16, page.name());
    for (int byte = 0x80; byte < 0x100; ++byte)
        lead[std::size_t(byte)] = converter.startsLongerCharacter(static_cast<unsigned char>(byte));
#endif
    return lead;
}

} // namespace

void CodePage::useLocaleFromEnvironment() {
    std::setlocale(LC_ALL, "");
    localeFromEnvironmentSet = true;
}

CodePage CodePage::system() {
#ifdef _WIN32
    const UINT acp = GetACP();
    return CodePage("CP" + std::to_string(acp), acp == CP_UTF8);
#else
    if (!localeFromEnvironmentSet)
        useLocaleFromEnvironment();
    const std::string codeset = nl_langinfo(CODESET);
    // The C/POSIX locale's code set is ASCII; treat it as UTF-8.
    if (codeset == "ANSI_X3.4-1968" || codeset == "ASCII" || codeset == "US-ASCII" ||
        namesUtf8(codeset))
        return CodePage("UTF-8", true);
    return CodePage(codeset, false);
#endif
}

CodePage CodePage::named(std::string_view name) {
    if (namesUtf8(name))
        return CodePage("UTF-8", true);
    CodePage page{std::string(name), false};
#ifdef _WIN32
    if (!IsValidCodePage(codePageNumber(page.name_)))
        throw std::invalid_argument("unknown code page: " + page.name_);
#else
    Converter check(Utf16, page.name_);
#endif
    return page;
}

std::string CodePage::fromUnicode(QStringView text) const {
    if (utf8_) {
        const QByteArray bytes = text.toUtf8();
        return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
#ifdef _WIN32
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    const int length = static_cast<int>(text.size());
    const UINT page = codePageNumber(name_);
    const int needed = WideCharToMultiByte(page, 0, wide, length, nullptr, 0, "?", nullptr);
    std::string out(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(page, 0, wide, length, out.data(), needed, "?", nullptr);
    return out;
#else
    // A character that cannot be converted becomes one "?" per UTF-16 unit,
    // as Windows does.
    Converter converter(name_, Utf16);
    return converter.run(reinterpret_cast<const char*>(text.utf16()),
                         static_cast<std::size_t>(text.size()) * 2, "?", 2);
#endif
}

bool isLeadByte(unsigned char byte, const CodePage& page) {
    // Asked for once per code page; the program runs on one thread.
    static std::map<std::string, LeadBytes> known;
    auto found = known.find(page.name());
    if (found == known.end())
        found = known.emplace(page.name(), findLeadBytes(page)).first;
    return found->second[byte];
}

QString CodePage::toUnicode(std::string_view bytes) const {
    if (utf8_)
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
#ifdef _WIN32
    const UINT page = codePageNumber(name_);
    const int length = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(page, 0, bytes.data(), length, nullptr, 0);
    QString out(needed, Qt::Uninitialized);
    MultiByteToWideChar(page, 0, bytes.data(), length, reinterpret_cast<wchar_t*>(out.data()),
                        needed);
    return out;
#else
    Converter converter(Utf16, name_);
    static constexpr char16_t replacement = 0xFFFD;
    const std::string units =
        converter.run(bytes.data(), bytes.size(),
                      std::string_view(reinterpret_cast<const char*>(&replacement), 2), 1);
    return QString(reinterpret_cast<const QChar*>(units.data()),
                   static_cast<qsizetype>(units.size() / 2));
#endif
}

} // namespace platform

#include "FileExt.h"

#include <array>
#include <map>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

namespace platform {
namespace {

using LeadBytes = std::array<bool, 256>;

#ifdef _WIN32

LeadBytes findLeadBytes(const CodePage& page) {
    const std::string& name = page.name();
    UINT number = 0;
    if (name.rfind("CP", 0) == 0)
        number = static_cast<UINT>(std::stoul(name.substr(2)));
    else if (name == "GBK")
        number = 936;
    else
        number = static_cast<UINT>(std::stoul(name));
    LeadBytes lead{};
    for (int byte = 0x80; byte < 0x100; ++byte)
        lead[static_cast<std::size_t>(byte)] =
            IsDBCSLeadByteEx(number, static_cast<BYTE>(byte)) != FALSE;
    return lead;
}

#else

// A byte leads a multi-byte character when the converter, given that byte
// alone, reports an incomplete sequence rather than a character or an
// invalid byte: the same question that IsDBCSLeadByte answers on Windows.
LeadBytes findLeadBytes(const CodePage& page) {
    LeadBytes lead{};
    const iconv_t converter = iconv_open("UTF-8", page.name().c_str());
    if (converter == reinterpret_cast<iconv_t>(-1))
        return lead;
    for (int byte = 0x80; byte < 0x100; ++byte) {
        char in = static_cast<char>(byte);
        char out[16];
        char* inPtr = &in;
        char* outPtr = out;
        std::size_t inLeft = 1;
        std::size_t outLeft = sizeof out;
        iconv(converter, nullptr, nullptr, nullptr, nullptr); // reset the state
        const std::size_t rc = iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft);
        lead[static_cast<std::size_t>(byte)] =
            rc == static_cast<std::size_t>(-1) && errno == EINVAL;
    }
    iconv_close(converter);
    return lead;
}

#endif

const LeadBytes& leadBytesOf(const CodePage& page) {
    // Asked for once per code page; the program runs on one thread.
    static std::map<std::string, LeadBytes> known;
    auto found = known.find(page.name());
    if (found == known.end())
        found = known.emplace(page.name(), page.isUtf8() ? LeadBytes{} : findLeadBytes(page)).first;
    return found->second;
}

} // namespace

bool IsLeadByte(unsigned char byte, const CodePage& page) {
    return leadBytesOf(page)[byte];
}

std::string ExtractFileExt(std::string_view fileName) {
    return ExtractFileExt(fileName, CodePage::system());
}

std::string ExtractFileExt(std::string_view fileName, const CodePage& page) {
    const LeadBytes& lead = leadBytesOf(page);
    // Walk forward so that each trail byte is known as one and skipped.
    std::size_t lastDelimiter = std::string_view::npos;
    for (std::size_t i = 0; i < fileName.size(); ++i) {
        const auto byte = static_cast<unsigned char>(fileName[i]);
        if (lead[byte]) {
            ++i;
            continue;
        }
        if (byte == '.' || byte == '\\' || byte == ':')
            lastDelimiter = i;
    }
    if (lastDelimiter == std::string_view::npos || fileName[lastDelimiter] != '.')
        return {};
    return std::string(fileName.substr(lastDelimiter));
}

} // namespace platform

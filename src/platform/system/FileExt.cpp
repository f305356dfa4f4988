#include "system/FileExt.h"

namespace platform {

std::string ExtractFileExt(std::string_view fileName) {
    return ExtractFileExt(fileName, CodePage::system());
}

std::string ExtractFileExt(std::string_view fileName, const CodePage& page) {
    // Walk forward so that each trail byte is known as one and skipped.
    std::size_t lastDelimiter = std::string_view::npos;
    for (std::size_t i = 0; i < fileName.size(); ++i) {
        const auto byte = static_cast<unsigned char>(fileName[i]);
        if (isLeadByte(byte, page)) {
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

// The extension rule on any name in several code pages, against a plain
// model of the rule: the extension starts at the last ".", "\" or ":" that
// begins a character, when that one is a "."; it is empty otherwise.

#include "FuzzInput.h"
#include "system/CodePage.h"
#include "system/FileExt.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fileext: %s\n", what);
        std::abort();
    }
}

const std::vector<platform::CodePage>& codePages() {
    static const std::vector<platform::CodePage> pages{
        platform::CodePage::named("UTF-8"),     platform::CodePage::named("GBK"),
        platform::CodePage::named("SHIFT_JIS"), platform::CodePage::named("BIG5"),
        platform::CodePage::named("CP1252"),
    };
    return pages;
}

std::string modelExtension(const std::string& name, const platform::CodePage& page) {
    std::size_t last = std::string::npos;
    std::size_t at = 0;
    while (at < name.size()) {
        const auto byte = static_cast<unsigned char>(name[at]);
        if (byte == '.' || byte == '\\' || byte == ':')
            last = at;
        // A lead byte takes the next byte with it, whatever that byte is.
        at += platform::isLeadByte(byte, page) ? 2 : 1;
    }
    return last != std::string::npos && name[last] == '.' ? name.substr(last) : std::string();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const platform::CodePage& page = codePages()[input.byte() % codePages().size()];
    const std::string name = input.rest();
    check(platform::ExtractFileExt(name, page) == modelExtension(name, page),
          "extension differs from the rule");
    return 0;
}

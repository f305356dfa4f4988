// The text box's conversions on any bytes: what goes into the box from a
// command's result, what comes back out of it, and what the clipboard
// makes of it. The first byte picks the code page; the rest is the result
// (and, read as UTF-16, a pasted text).

#include "widgets/MemoText.h"

#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "memo text: %s\n", what);
        std::abort();
    }
}

const platform::CodePage& pageFor(std::uint8_t choice) {
    static const std::array pages{platform::CodePage::named("UTF-8"),
                                  platform::CodePage::named("GBK"),
                                  platform::CodePage::named("CP1252")};
    return pages[choice % pages.size()];
}

// Every line break is CR LF, and nothing else is a CR, an LF or a zero.
bool hasOnlyWholeLineBreaks(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (platform::isLineBreakAt(text, i))
            ++i;
        else if (text[i] == u'\r' || text[i] == u'\n' || text[i] == QChar(0))
            return false;
    }
    return true;
}

void checkBytesThroughTheBox(std::string_view bytes, const platform::CodePage& page) {
    const std::string_view beforeZero = bytes.substr(0, bytes.find('\0'));
    const QString held = platform::memoTextFromBytes(bytes, page);
    check(held == platform::memoTextFromBytes(beforeZero, page),
          "a zero byte does not end the text");

    const std::string out = platform::bytesFromMemoText(held, page);
    check(platform::memoTextIsBytes(held, out, page), "the box's own bytes compare unequal");
    check(platform::memoTextIsBytes(held, beforeZero, page) == (out == beforeZero),
          "the piecewise comparison differs from the whole one");
    // Bytes that are all characters of a page that maps each one both ways
    // come back unchanged.
    if (page.isUtf8() || page.name() == "CP1252") {
        if (!held.contains(QChar::ReplacementCharacter))
            check(out == beforeZero, "bytes of whole characters do not come back");
    }

    if (platform::clipboardTextKeepsMemoText(held))
        check(platform::memoTextFromClipboard(platform::clipboardTextFromMemo(held)) == held,
              "copy and paste changes a text the clipboard can hold");
}

void checkPastedText(std::string_view bytes) {
    const QString pasted(reinterpret_cast<const QChar*>(bytes.data()), qsizetype(bytes.size() / 2));
    const QString held = platform::memoTextFromClipboard(pasted);
    check(hasOnlyWholeLineBreaks(held), "pasted text holds a lone CR, LF or a zero");
    check(platform::clipboardTextKeepsMemoText(held), "pasted text cannot be copied back");
    check(platform::memoTextFromClipboard(platform::clipboardTextFromMemo(held)) == held,
          "copying pasted text and pasting it again changes it");
    const qsizetype zero = pasted.indexOf(QChar(0));
    check(held == platform::memoTextFromClipboard(zero < 0 ? pasted : pasted.first(zero)),
          "a zero character does not end pasted text");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    checkBytesThroughTheBox(bytes, pageFor(data[0]));
    checkPastedText(bytes);
    return 0;
}

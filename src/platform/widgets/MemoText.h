#pragma once

// The text box's text as the rest of the program and the clipboard see it,
// beside what the box holds. The box holds characters exactly as its bytes
// give them: a CR LF pair is a line break, a lone CR or LF is a character of
// its line, and nothing is added or taken away. These are plain functions
// of text, with no widget, so that every conversion can be tested (and
// fuzzed) on its own.

#include "system/CodePage.h"

#include <QString>
#include <QStringView>
#include <string>
#include <string_view>

namespace platform {

// What the box holds for bytes given to it: the characters of the bytes up
// to the first zero byte, in the code page.
QString memoTextFromBytes(std::string_view bytes, const CodePage& page);

// The bytes of what the box holds, in the code page.
std::string bytesFromMemoText(QStringView held, const CodePage& page);

// Whether the bytes of what the box holds are exactly these bytes. Compares
// piece by piece, without the whole text as bytes at once.
bool memoTextIsBytes(QStringView held, std::string_view bytes, const CodePage& page);

// Whether the box holds a line break (CR LF) at the position.
inline bool isLineBreakAt(QStringView held, qsizetype position) {
    return position + 1 < held.size() && held[position] == u'\r' && held[position + 1] == u'\n';
}

// Text for the clipboard, whose line breaks are LF: every CR LF of the box
// becomes LF, every other character stays.
QString clipboardTextFromMemo(QStringView held);

// Whether clipboard text alone can give back exactly what the box held: it
// cannot when the box held a lone CR or LF, which pasting reads as a break.
bool clipboardTextKeepsMemoText(QStringView held);

// What the box holds for pasted or dropped text: CR LF, a lone CR and a lone
// LF each become one line break, CR LF; every other character stays, up to
// a zero character, which ends the text as it ends the system clipboard's.
QString memoTextFromClipboard(QStringView text);

} // namespace platform

#pragma once

// Where a text box may end a visual line, as the Windows edit control does:
// after a space or a tab, and between two CJK characters (ideographs, kana,
// Hangul and their punctuation) where the Unicode line-breaking rules allow a
// break there; nowhere else. A run with no such place that is wider than the
// box ends the line after its last character that fits. Plain functions of
// characters, with no font or widget.

#include <cstdint>

namespace platform {

// How a character takes part in breaking a line.
enum class BreakRole : std::uint8_t {
    Ordinary,       // the line ends before it only when it does not fit
    Space,          // the line may end after it; it may hang past the edge
    Tab,            // as a space, its width reaching the next tab stop
    Extender,       // a combining mark: stays with the character before it
    Joiner,         // a word joiner or zero width joiner: no break on either side
    CarriageReturn, // with the LF after it, the end of a line
};

// The character's line-breaking class when it is a CJK character, or 0. The
// classes are those of the Unicode line-breaking rules, one number each.
using CjkClass = std::uint8_t;

struct BreakProperties {
    BreakRole role = BreakRole::Ordinary;
    CjkClass cjk = 0;
    // Takes no room on the line: combining marks, joiners and other
    // characters that are not drawn.
    bool zeroWidth = false;
};

BreakProperties breakPropertiesOf(char32_t c);

// Whether a line may break between two adjacent CJK characters.
bool cjkBreakBetween(CjkClass before, CjkClass after);

} // namespace platform

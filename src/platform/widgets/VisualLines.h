#pragma once

// The visual lines of a text box: where each line on the screen starts, for
// a text of any length at a given width. Widths come from a table of
// character advances filled as characters are first met, so that wrapping
// never shapes text: it adds up numbers. After an edit only the lines from
// the one before the edit are wrapped again, up to the first line that
// starts where it started before; when the edit changes every line after it
// (a long run with no break), the lines past the screen are wrapped in
// slices while the program is idle, and until then their old starts stand in.

#include "widgets/LineBreaking.h"
#include "widgets/TextBuffer.h"

#include <QtGlobal>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace platform {

// Advances are in 1/64 pixel.
using Advance = qint64;

// Packed into four bytes: wrapping reads one of these per character.
struct CharInfo {
    quint32 advance : 20 = 0; // up to 16383 pixels
    quint32 role : 3 = quint32(BreakRole::Ordinary);
    quint32 cjk : 6 = 0;
    quint32 known : 1 = 0;

    BreakRole breakRole() const { return BreakRole(role); }
};

// Advance and breaking properties of every character, looked up once.
class CharMetrics {
public:
    // advanceOf gives the width of a character as the box draws it.
    explicit CharMetrics(std::function<qint32(char32_t)> advanceOf);

    // Forgets every advance: the font changed.
    void reset(std::function<qint32(char32_t)> advanceOf);

    // For each UTF-16 unit, its advance when it is a plain character (an
    // ordinary one, not CJK, not half a pair), or NotPlain: the table that
    // wrapping reads for the bulk of a text.
    static constexpr quint32 NotPlain = ~quint32(0);
    const quint32* plainAdvances() const { return plain_.data(); }

    CharInfo info(char32_t c) {
        if (c < 0x10000) {
            const CharInfo known = bmp_[c];
            if (known.known)
                return known;
        }
        return learn(c);
    }

private:
    CharInfo learn(char32_t c);

    std::function<qint32(char32_t)> advanceOf_;
    std::vector<CharInfo> bmp_;
    std::vector<quint32> plain_;
    std::unordered_map<char32_t, CharInfo> astral_;
};

class VisualLines {
public:
    VisualLines(const TextBuffer& text, CharMetrics& metrics);

    // The room for a line and the distance between tab stops; a change
    // wraps the whole text again when next asked.
    void setWidths(Advance lineWidth, Advance tabWidth);
    Advance lineWidth() const { return lineWidth_; }

    // The whole text was replaced (or the advances changed).
    void invalidate();

    // The text changed at a position: removed units went, inserted came.
    void edited(qsizetype position, qsizetype removed, qsizetype inserted);

    // Wraps every line that is not yet wrapped.
    void wrapAll();
    // Wraps until the given line (and the start of the one after it) is
    // exact, or the text ends.
    void wrapThrough(qsizetype line);
    // Wraps until the line that holds the position is exact, with the start
    // of the one after it.
    void wrapThroughPosition(qsizetype position);
    // Wraps about the given number of lines of what is pending; true when
    // nothing is left.
    bool wrapSome(qsizetype lines);
    bool complete() const { return !invalid_ && !pending_; }

    // The number of lines: exact once complete, close before.
    qsizetype count() const;
    qsizetype start(qsizetype line) const { return starts_[std::size_t(line)]; }
    // Where the line's characters end: before its line break, if it has one.
    qsizetype textEnd(qsizetype line) const;
    // Where the next line starts, or the text's end for the last line.
    qsizetype end(qsizetype line) const;
    bool endsWithLineBreak(qsizetype line) const;
    // The line that holds the position. A position where a wrapped line
    // ends and the next begins belongs to the next line, unless atLineEnd.
    qsizetype lineAt(qsizetype position, bool atLineEnd = false) const;

private:
    struct LineEnd {
        qsizetype next;
        bool hasNext;
    };
    LineEnd endOfLine(qsizetype start) const;
    void wrapPending(qsizetype throughLine, qsizetype atLeast, qsizetype beyondPosition = -1);

    const TextBuffer& text_;
    CharMetrics& metrics_;
    Advance lineWidth_ = 64;
    Advance tabWidth_ = 64;
    // Line starts; the first exact_ of them are exact, the rest are the old
    // starts of lines after the last edit, for the wrapping to meet again.
    std::vector<qsizetype> starts_{0};
    qsizetype exact_ = 1;
    // Old starts from this position on begin lines that are exact once a
    // line starts there again; those before it follow an edit not yet
    // wrapped, and only stand in for the count.
    qsizetype trustedFrom_ = 0;
    // Lines from the last exact one on are still to be wrapped.
    bool pending_ = false;
    bool invalid_ = true;
};

} // namespace platform

#pragma once

// How a text box shows its text: the visual lines at the box's width and,
// for the lines on the screen, their drawn form (a QTextLayout each, one
// line long, laid out when first asked for and kept until the text, the
// width or the font change). Positions are UTF-16 units of the text; x is in
// pixels from the start of the line.

#include "widgets/TextBuffer.h"
#include "widgets/VisualLines.h"

#include <QFont>
#include <QHash>
#include <QList>
#include <QTextLayout>
#include <memory>

namespace platform {

// The character a text box draws for a character it holds: a picture for a
// control character (a lone CR or LF among them), a mark for a line or
// paragraph separator and for half a surrogate pair; every other character
// is itself.
char32_t shownCharacter(char32_t c);

class MemoLayout {
public:
    explicit MemoLayout(const TextBuffer& text);
    MemoLayout(const MemoLayout&) = delete;
    MemoLayout& operator=(const MemoLayout&) = delete;

    void setFont(const QFont& font);
    // The room for text across the box, in pixels.
    void setWidth(qreal width);

    qreal lineHeight() const { return lineHeight_; }
    VisualLines& lines() { return lines_; }
    const VisualLines& lines() const { return lines_; }

    // The whole text was replaced, or a part of it changed.
    void replaced();
    void edited(qsizetype position, qsizetype removed, qsizetype inserted);

    // Text an input method is composing, shown at a position of a line with
    // its own formats and caret; an empty text for none.
    void setPreedit(qsizetype line, qsizetype position, const QString& text,
                    const QList<QTextLayout::FormatRange>& formats, int caret);
    bool hasPreedit() const { return !preedit_.isEmpty(); }
    qsizetype preeditPosition() const { return preeditPosition_; }

    // The drawn form of a line, at (0, 0), its baseline where every line's is.
    QTextLayout& layoutOf(qsizetype line);
    // The index in the line's layout of a position in the text.
    int layoutIndex(qsizetype line, qsizetype position) const;

    // Where the caret stands for a position of the line, and where the input
    // method's caret stands when it composes there.
    qreal xOf(qsizetype line, qsizetype position);
    qreal preeditCaretX(qsizetype line);
    // The position of the line nearest to x.
    qsizetype positionAt(qsizetype line, qreal x);

private:
    QString shownText(qsizetype start, qsizetype end) const;
    void forgetLayouts();

    const TextBuffer& text_;
    CharMetrics metrics_;
    VisualLines lines_;
    QFont font_;
    qreal lineHeight_ = 1;
    qreal baseline_ = 1;
    qreal tabWidth_ = 8;

    QString preedit_;
    QList<QTextLayout::FormatRange> preeditFormats_;
    qsizetype preeditLine_ = -1;
    qsizetype preeditPosition_ = 0;
    int preeditCaret_ = 0;

    QHash<qsizetype, std::shared_ptr<QTextLayout>> layouts_;
};

} // namespace platform

#pragma once

// A multi-line text box that gives and takes its text as bytes in a code
// page, lines separated by CR LF, as the Windows edit control does.
//
// Very long lines are held as several document blocks joined by a soft
// break (an invisible word joiner at the end of a block), so that the box
// lays out only what is visible: a one-line text of tens of megabytes takes,
// shows and scrolls as fast as the same text in short lines. Reading the box
// joins those blocks back; wrap breaks are never part of the text.

#include "system/CodePage.h"

#include <QPlainTextEdit>
#include <string>
#include <string_view>

namespace platform {

class TMemo : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit TMemo(QWidget* parent = nullptr);

    // Every character as bytes in the box's code page, lines separated by CR LF.
    std::string text() const;

    // Takes the bytes up to the first zero byte. Only a CR LF pair is a line
    // break; a lone CR or LF stays a character of its line. A box that
    // already holds exactly these bytes is left untouched (caret, selection
    // and scroll stay); bytes with a zero never are what the box holds, so
    // they are set again every time.
    void setText(std::string_view bytes);

    // The system code page unless set otherwise.
    const CodePage& codePage() const { return codePage_; }
    void setCodePage(const CodePage& page) { codePage_ = page; }

    // Longest run of characters held in one block before a soft break.
    static constexpr qsizetype ChunkChars = 16384;

    // The characters that stand for a lone CR and a lone LF in the box, and
    // the soft break that joins a block to the next one.
    static constexpr char16_t LoneCr = 0xE00D;
    static constexpr char16_t LoneLf = 0xE00A;
    static constexpr char16_t SoftBreak = 0x2060;

protected:
    // Copied and dragged text leaves without the soft breaks; pasted and
    // dropped text goes in in blocks as well.
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    CodePage codePage_;
};

} // namespace platform

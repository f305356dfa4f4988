#include "widgets/Memo.h"

#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace platform {
namespace {

constexpr QChar BlockSeparator = QChar::ParagraphSeparator;

// How a text's line breaks are read when it goes into the document.
enum class Breaks {
    CrLfOnly,   // the box's own text: only CR LF breaks a line
    AnyNewline, // pasted text: CR LF, CR and LF all break a line
};

// Document text for a text: lines split into blocks, runs longer than
// ChunkChars split again by soft breaks, lone CR and LF mapped to the
// characters that stand for them. "\n" separates blocks, as the document's
// own text insertion expects. Writes through a pointer into a buffer sized
// for the worst case: the text is tens of megabytes at times.
QString toDocumentText(QStringView text, Breaks breaks) {
    const qsizetype n = text.size();
    QString out(n + (n / TMemo::ChunkChars + 1) * 2, Qt::Uninitialized);
    const QChar* in = text.data();
    QChar* o = out.data();
    qsizetype run = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = in[i].unicode();
        if (c == u'\r' || c == u'\n') {
            const bool crLf = c == u'\r' && i + 1 < n && in[i + 1] == u'\n';
            if (crLf || breaks == Breaks::AnyNewline) {
                *o++ = u'\n';
                run = 0;
                i += crLf ? 1 : 0;
                continue;
            }
        }
        if (run >= TMemo::ChunkChars && !QChar::isLowSurrogate(c)) {
            *o++ = QChar(TMemo::SoftBreak);
            *o++ = u'\n';
            run = 0;
        }
        ++run;
        if (c == u'\r')
            *o++ = QChar(TMemo::LoneCr);
        else if (c == u'\n')
            *o++ = QChar(TMemo::LoneLf);
        else if (c != TMemo::SoftBreak) // it would read back as a soft break
            *o++ = in[i];
    }
    out.truncate(o - out.data());
    return out;
}

// The box's text from the document's raw text: block separators become the
// line break (CR LF in the box's own text, LF on the clipboard) unless a soft
// break precedes them; the characters for lone CR and LF become those bytes
// again.
QString fromDocumentText(QStringView raw, QStringView lineBreak) {
    const qsizetype n = raw.size();
    qsizetype separators = 0;
    for (QChar c : raw)
        separators += c == BlockSeparator;
    QString out(n + separators * (lineBreak.size() - 1), Qt::Uninitialized);
    const QChar* in = raw.data();
    QChar* o = out.data();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = in[i].unicode();
        switch (c) {
        case TMemo::SoftBreak:
            if (i + 1 < n && in[i + 1] == BlockSeparator)
                ++i;
            break;
        case QChar::ParagraphSeparator:
            for (QChar b : lineBreak)
                *o++ = b;
            break;
        case TMemo::LoneCr:
            *o++ = u'\r';
            break;
        case TMemo::LoneLf:
            *o++ = u'\n';
            break;
        default:
            *o++ = in[i];
        }
    }
    out.truncate(o - out.data());
    return out;
}

} // namespace

TMemo::TMemo(QWidget* parent)
    : QPlainTextEdit(parent)
    , codePage_(CodePage::system()) {
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setTabChangesFocus(true);
}

std::string TMemo::text() const {
    return codePage_.fromUnicode(fromDocumentText(document()->toRawText(), u"\r\n"));
}

void TMemo::setText(std::string_view bytes) {
    const auto zero = bytes.find('\0');
    if (zero == std::string_view::npos && text() == bytes)
        return;
    const std::string_view shown = bytes.substr(0, zero);
    setPlainText(toDocumentText(codePage_.toUnicode(shown), Breaks::CrLfOnly));
}

QMimeData* TMemo::createMimeDataFromSelection() const {
    auto* data = new QMimeData;
    data->setText(fromDocumentText(textCursor().selectedText(), u"\n"));
    return data;
}

void TMemo::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText())
        return;
    const QString text = toDocumentText(source->text(), Breaks::AnyNewline);
    if (text.isEmpty())
        return;
    QTextCursor cursor = textCursor();
    cursor.insertText(text);
    setTextCursor(cursor);
    ensureCursorVisible();
}

} // namespace platform

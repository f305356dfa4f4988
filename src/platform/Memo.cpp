#include "Memo.h"

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
// own text insertion expects.
QString toDocumentText(QStringView text, Breaks breaks) {
    QString out;
    out.reserve(text.size() + text.size() / TMemo::ChunkChars * 2 + 16);
    qsizetype run = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        const bool crLf = c == u'\r' && i + 1 < n && text[i + 1] == u'\n';
        if (crLf || (breaks == Breaks::AnyNewline && (c == u'\r' || c == u'\n'))) {
            out += u'\n';
            run = 0;
            if (crLf)
                ++i;
            continue;
        }
        if (run >= TMemo::ChunkChars && !c.isLowSurrogate()) {
            out += QChar(TMemo::SoftBreak);
            out += u'\n';
            run = 0;
        }
        if (c == u'\r')
            out += QChar(TMemo::LoneCr);
        else if (c == u'\n')
            out += QChar(TMemo::LoneLf);
        else if (c == QChar(TMemo::SoftBreak))
            continue; // it would read back as a soft break; the box cannot hold it
        else
            out += c;
        ++run;
    }
    return out;
}

// The box's text from the document's raw text: block separators become
// CR LF unless a soft break precedes them; the characters for lone CR and LF
// become those bytes again.
QString fromDocumentText(QStringView raw) {
    QString out;
    out.reserve(raw.size() + raw.size() / 32);
    const qsizetype n = raw.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = raw[i];
        if (c == QChar(TMemo::SoftBreak)) {
            if (i + 1 < n && raw[i + 1] == BlockSeparator)
                ++i;
            continue;
        }
        if (c == BlockSeparator)
            out += u"\r\n";
        else if (c == QChar(TMemo::LoneCr))
            out += u'\r';
        else if (c == QChar(TMemo::LoneLf))
            out += u'\n';
        else
            out += c;
    }
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
    return codePage_.fromUnicode(fromDocumentText(document()->toRawText()));
}

void TMemo::setText(std::string_view bytes) {
    if (const auto zero = bytes.find('\0'); zero != std::string_view::npos)
        bytes = bytes.substr(0, zero);
    if (text() == bytes)
        return;
    setPlainText(toDocumentText(codePage_.toUnicode(bytes), Breaks::CrLfOnly));
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

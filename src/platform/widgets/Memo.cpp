#include "widgets/Memo.h"

#include "widgets/MemoAccessible.h"
#include "widgets/MemoText.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <cmath>

namespace platform {
namespace {

// The text's distance from the box's edges.
constexpr qreal Margin = 4;

// Lines wrapped in one slice of idle time: a few milliseconds' work.
constexpr qsizetype WrapSliceLines = 20000;

// Characters around the caret that grapheme and input method look-ups see.
constexpr qsizetype LookAround = 1024;

// Clipboard and drag data that carries exactly what a box held, for the
// characters plain text cannot carry (a lone CR or LF).
const QString MemoMimeType = QStringLiteral("application/x-kalvor-memo-text");

bool isSpaceLike(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0x3000;
}

// Printable characters a key typed; control characters are not typed.
QString typedText(const QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    // Ctrl with a key is a command; Ctrl with Alt is AltGr on Windows.
    if ((modifiers & Qt::ControlModifier) && !(modifiers & Qt::AltModifier))
        return {};
    // Alt alone with a key is the window's (Alt+Space, its menu), as in a
    // native edit box; AltGr on X11 is a key of its own, not Alt.
    if ((modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier))
        return {};
    QString typed;
    for (QChar c : event->text())
        if (c.isPrint() || c.isSurrogate())
            typed += c;
    return typed;
}

bool isMove(const QKeyEvent* event) {
    static constexpr QKeySequence::StandardKey moves[] = {
        QKeySequence::MoveToNextChar,
        QKeySequence::MoveToPreviousChar,
        QKeySequence::MoveToNextWord,
        QKeySequence::MoveToPreviousWord,
        QKeySequence::MoveToNextLine,
        QKeySequence::MoveToPreviousLine,
        QKeySequence::MoveToNextPage,
        QKeySequence::MoveToPreviousPage,
        QKeySequence::MoveToStartOfLine,
        QKeySequence::MoveToEndOfLine,
        QKeySequence::MoveToStartOfDocument,
        QKeySequence::MoveToEndOfDocument,
        QKeySequence::SelectNextChar,
        QKeySequence::SelectPreviousChar,
        QKeySequence::SelectNextWord,
        QKeySequence::SelectPreviousWord,
        QKeySequence::SelectNextLine,
        QKeySequence::SelectPreviousLine,
        QKeySequence::SelectNextPage,
        QKeySequence::SelectPreviousPage,
        QKeySequence::SelectStartOfLine,
        QKeySequence::SelectEndOfLine,
        QKeySequence::SelectStartOfDocument,
        QKeySequence::SelectEndOfDocument,
        QKeySequence::SelectAll,
    };
    return std::any_of(std::begin(moves), std::end(moves),
                       [event](QKeySequence::StandardKey key) { return event->matches(key); });
}

bool isEditCommand(const QKeyEvent* event) {
    static constexpr QKeySequence::StandardKey commands[] = {
        QKeySequence::Undo,
        QKeySequence::Redo,
        QKeySequence::Cut,
        QKeySequence::Copy,
        QKeySequence::Paste,
        QKeySequence::Delete,
        QKeySequence::DeleteStartOfWord,
        QKeySequence::DeleteEndOfWord,
        QKeySequence::InsertParagraphSeparator,
        QKeySequence::InsertLineSeparator,
    };
    return std::any_of(std::begin(commands), std::end(commands),
                       [event](QKeySequence::StandardKey key) { return event->matches(key); }) ||
           event->key() == Qt::Key_Backspace;
}

} // namespace

TMemo::TMemo(QWidget* parent)
    : QAbstractScrollArea(parent)
    , codePage_(CodePage::system())
    , layout_(buffer_) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
    layout_.setFont(font());
    layout_.setWidth(viewport()->width() - 2 * Margin - 1);
    installMemoAccessibility();
}

TMemo::~TMemo() = default;

// ---- The text --------------------------------------------------------------

std::string TMemo::text() const {
    return bytesFromMemoText(buffer_.view(), codePage_);
}

void TMemo::setText(std::string_view bytes) {
    if (bytes.find('\0') == std::string_view::npos &&
        memoTextIsBytes(buffer_.view(), bytes, codePage_))
        return;
    setUnicodeText(memoTextFromBytes(bytes, codePage_));
}

QString TMemo::unicodeText() const {
    return buffer_.view().toString();
}

void TMemo::setUnicodeText(QString text) {
    const bool accessible = QAccessible::isActive();
    const QString old = accessible ? unicodeText() : QString();
    const bool hadSelection = hasSelectedText();
    if (!preedit_.isEmpty() && hasFocus())
        QGuiApplication::inputMethod()->reset();
    preedit_.clear();
    preeditAttributes_.clear();
    buffer_.assign(std::move(text));
    layout_.replaced();
    history_.clear();
    wrapTimer_.stop();
    position_ = anchor_ = 0;
    atLineEnd_ = false;
    desiredX_ = -1;
    topLine_ = 0;
    topAnchor_ = -1;
    verticalScrollBar()->setValue(0);
    if (accessible) {
        QAccessibleTextUpdateEvent update(this, 0, old, unicodeText());
        QAccessible::updateAccessibility(&update);
    }
    viewport()->update();
    updateMicroFocus();
    emit textChanged();
    emit cursorPositionChanged();
    if (hadSelection)
        emit selectionChanged();
}

QString TMemo::textRange(qsizetype position, qsizetype length) const {
    position = std::clamp<qsizetype>(position, 0, buffer_.size());
    length = std::clamp<qsizetype>(length, 0, buffer_.size() - position);
    return buffer_.mid(position, length);
}

QString TMemo::selectedText() const {
    const qsizetype from = std::min(anchor_, position_);
    return buffer_.mid(from, std::max(anchor_, position_) - from);
}

// ---- Editing ---------------------------------------------------------------

// The one place the text changes: the lines, the accessibility clients and
// (through the caller) the undo history hear of every change.
QString TMemo::replace(qsizetype position, qsizetype length, QStringView text, bool keepRemoved) {
    const bool accessible = QAccessible::isActive();
    QString removed;
    if (length > 0 && (keepRemoved || accessible))
        removed = buffer_.mid(position, length);
    buffer_.remove(position, length);
    buffer_.insert(position, text);
    layout_.edited(position, length, text.size());
    if (accessible) {
        if (!removed.isEmpty()) {
            QAccessibleTextRemoveEvent event(this, int(position), removed);
            QAccessible::updateAccessibility(&event);
        }
        if (!text.isEmpty()) {
            QAccessibleTextInsertEvent event(this, int(position), text.toString());
            QAccessible::updateAccessibility(&event);
        }
    }
    return keepRemoved ? removed : QString();
}

void TMemo::edit(qsizetype position, qsizetype length, QStringView text,
                 UndoHistory::Joining joining) {
    if (length == 0 && text.isEmpty())
        return;
    // A removal too large for the history is not copied at all; the history
    // starts afresh after it.
    if (!history_.canKeep(length)) {
        history_.clear();
        replace(position, length, text, false);
        return;
    }
    QString removed = replace(position, length, text, true);
    history_.record(position, std::move(removed), text.size(), joining);
}

void TMemo::replaceSelection(QStringView text, UndoHistory::Joining joining) {
    const qsizetype from = std::min(anchor_, position_);
    const qsizetype length = std::max(anchor_, position_) - from;
    if (length == 0 && text.isEmpty())
        return;
    const bool hadSelection = length > 0;
    edit(from, length, text, joining);
    position_ = anchor_ = from + text.size();
    atLineEnd_ = false;
    afterEdit();
    if (hadSelection)
        emit selectionChanged();
}

void TMemo::insert(QStringView text) {
    replaceSelection(text, UndoHistory::Joining::Alone);
    history_.closeStep();
}

void TMemo::deleteSelection() {
    if (hasSelectedText())
        insert({});
}

void TMemo::cut() {
    if (!hasSelectedText())
        return;
    copy();
    deleteSelection();
}

void TMemo::copy() const {
    if (!hasSelectedText())
        return;
    QGuiApplication::clipboard()->setMimeData(
        mimeDataFor(std::min(anchor_, position_), std::max(anchor_, position_)));
}

void TMemo::paste() {
    const QString text = textFromMimeData(QGuiApplication::clipboard()->mimeData());
    if (!text.isEmpty())
        insert(text);
}

void TMemo::undo() {
    applyUndo(false);
}

void TMemo::redo() {
    applyUndo(true);
}

void TMemo::applyUndo(bool redoing) {
    if (redoing ? !history_.canRedo() : !history_.canUndo())
        return;
    const auto replacer = [this](qsizetype position, qsizetype length, QStringView text) {
        return replace(position, length, text, true);
    };
    const UndoHistory::Placed placed = redoing ? history_.redo(replacer) : history_.undo(replacer);
    // What came back is selected, as the edit control does.
    anchor_ = placed.position;
    position_ = placed.position + placed.length;
    atLineEnd_ = false;
    afterEdit();
    emit selectionChanged();
}

void TMemo::afterEdit() {
    position_ = validPosition(position_);
    anchor_ = validPosition(anchor_);
    desiredX_ = -1;
    if (!preedit_.isEmpty())
        updatePreeditLayout();
    ensureCursorVisible();
    scheduleWrapping();
    viewport()->update();
    restartBlinking();
    updateMicroFocus();
    if (QAccessible::isActive()) {
        QAccessibleTextCursorEvent event(this, int(position_));
        QAccessible::updateAccessibility(&event);
    }
    emit textChanged();
    emit cursorPositionChanged();
}

// ---- Caret and selection ---------------------------------------------------

qsizetype TMemo::validPosition(qsizetype position) const {
    position = std::clamp<qsizetype>(position, 0, buffer_.size());
    if (position > 0 && position < buffer_.size()) {
        const char16_t before = buffer_.at(position - 1);
        const char16_t after = buffer_.at(position);
        if ((before == u'\r' && after == u'\n') ||
            (QChar::isHighSurrogate(before) && QChar::isLowSurrogate(after)))
            --position;
    }
    return position;
}

void TMemo::setCursorPosition(qsizetype position) {
    moveCaret(position, false);
}

void TMemo::setSelection(qsizetype anchor, qsizetype position) {
    const qsizetype oldPosition = position_;
    const qsizetype oldAnchor = anchor_;
    anchor_ = validPosition(anchor);
    position_ = validPosition(position);
    atLineEnd_ = false;
    desiredX_ = -1;
    caretMoved(oldPosition, oldAnchor);
}

void TMemo::selectAll() {
    setSelection(0, buffer_.size());
}

void TMemo::moveCaret(qsizetype position, bool extend, bool atLineEnd) {
    const qsizetype oldPosition = position_;
    const qsizetype oldAnchor = anchor_;
    position_ = validPosition(position);
    if (!extend)
        anchor_ = position_;
    atLineEnd_ = atLineEnd;
    desiredX_ = -1;
    caretMoved(oldPosition, oldAnchor);
}

void TMemo::caretMoved(qsizetype oldPosition, qsizetype oldAnchor) {
    if (!preedit_.isEmpty())
        updatePreeditLayout();
    ensureCursorVisible();
    restartBlinking();
    viewport()->update();
    updateMicroFocus();
    const bool selectionMoved = (oldAnchor != oldPosition || anchor_ != position_) &&
                                (oldAnchor != anchor_ || oldPosition != position_);
    if (QAccessible::isActive()) {
        if (selectionMoved) {
            QAccessibleTextSelectionEvent event(this, int(std::min(anchor_, position_)),
                                                int(std::max(anchor_, position_)));
            event.setCursorPosition(int(position_));
            QAccessible::updateAccessibility(&event);
        } else if (oldPosition != position_) {
            QAccessibleTextCursorEvent event(this, int(position_));
            QAccessible::updateAccessibility(&event);
        }
    }
    if (oldPosition != position_)
        emit cursorPositionChanged();
    if (selectionMoved)
        emit selectionChanged();
}

qsizetype TMemo::caretLine() const {
    VisualLines& lines = layout_.lines();
    lines.wrapThroughPosition(position_);
    return lines.lineAt(position_, atLineEnd_);
}

// The end of the grapheme (what a user sees as one character) at a position.
qsizetype TMemo::nextCharacter(qsizetype position) const {
    if (position >= buffer_.size())
        return buffer_.size();
    const qsizetype to = std::min(buffer_.size(), position + LookAround);
    const QString around = buffer_.mid(position, to - position);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, around);
    finder.setPosition(0);
    const qsizetype next = finder.toNextBoundary();
    return next > 0 ? position + next : to;
}

qsizetype TMemo::previousCharacter(qsizetype position) const {
    if (position <= 0)
        return 0;
    const qsizetype from = std::max<qsizetype>(0, position - LookAround);
    const QString around = buffer_.mid(from, position - from);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, around);
    finder.setPosition(around.size());
    const qsizetype previous = finder.toPreviousBoundary();
    return previous >= 0 ? from + previous : from;
}

// Backspace takes one character: a code point, or a whole line break.
qsizetype TMemo::previousCodePoint(qsizetype position) const {
    if (position >= 2) {
        const char16_t before = buffer_.at(position - 2);
        const char16_t last = buffer_.at(position - 1);
        if ((before == u'\r' && last == u'\n') ||
            (QChar::isHighSurrogate(before) && QChar::isLowSurrogate(last)))
            return position - 2;
    }
    return std::max<qsizetype>(0, position - 1);
}

// Words, as the edit control's Ctrl+arrows see them, are separated by
// spaces, tabs and line breaks.
qsizetype TMemo::nextWordStart(qsizetype position) const {
    const qsizetype size = buffer_.size();
    while (position < size && !isSpaceLike(buffer_.at(position)))
        ++position;
    while (position < size && isSpaceLike(buffer_.at(position)))
        ++position;
    return position;
}

qsizetype TMemo::previousWordStart(qsizetype position) const {
    while (position > 0 && isSpaceLike(buffer_.at(position - 1)))
        --position;
    while (position > 0 && !isSpaceLike(buffer_.at(position - 1)))
        --position;
    return position;
}

qsizetype TMemo::positionOnLine(qsizetype line, qreal x, bool* atLineEnd) {
    VisualLines& lines = layout_.lines();
    const qsizetype position = layout_.positionAt(line, x);
    *atLineEnd =
        position == lines.end(line) && position < buffer_.size() && !lines.endsWithLineBreak(line);
    return position;
}

void TMemo::moveByLines(qsizetype count, bool extend, bool scroll) {
    VisualLines& lines = layout_.lines();
    const qsizetype line = caretLine();
    const qreal x = desiredX_ >= 0 ? desiredX_ : layout_.xOf(line, position_);
    lines.wrapThrough(std::max<qsizetype>(0, line + count));
    const qsizetype target = std::clamp<qsizetype>(line + count, 0, lines.count() - 1);
    if (scroll)
        topLine_ = std::clamp<qsizetype>(topLine_ + (target - line), 0, lines.count() - 1);
    bool atLineEnd = false;
    const qsizetype position = target == line ? position_ : positionOnLine(target, x, &atLineEnd);
    moveCaret(position, extend, target == line ? atLineEnd_ : atLineEnd);
    desiredX_ = x;
}

bool TMemo::handleMove(QKeyEvent* event) {
    if (!isMove(event))
        return false;
    VisualLines& lines = layout_.lines();
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const qsizetype from = std::min(anchor_, position_);
    const qsizetype to = std::max(anchor_, position_);
    const auto matches = [event](QKeySequence::StandardKey move, QKeySequence::StandardKey select) {
        return event->matches(move) || event->matches(select);
    };
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
    } else if (matches(QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar)) {
        moveCaret(hasSelectedText() && !extend ? to : nextCharacter(position_), extend);
    } else if (matches(QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar)) {
        moveCaret(hasSelectedText() && !extend ? from : previousCharacter(position_), extend);
    } else if (matches(QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord)) {
        moveCaret(nextWordStart(position_), extend);
    } else if (matches(QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord)) {
        moveCaret(previousWordStart(position_), extend);
    } else if (matches(QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine)) {
        moveByLines(1, extend, false);
    } else if (matches(QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine)) {
        moveByLines(-1, extend, false);
    } else if (matches(QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage)) {
        moveByLines(pageLines(), extend, true);
    } else if (matches(QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage)) {
        moveByLines(-pageLines(), extend, true);
    } else if (matches(QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine)) {
        moveCaret(lines.start(caretLine()), extend);
    } else if (matches(QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine)) {
        const qsizetype line = caretLine();
        const bool wrapped = !lines.endsWithLineBreak(line) && line + 1 < lines.count();
        moveCaret(lines.textEnd(line), extend, wrapped);
    } else if (matches(QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument)) {
        moveCaret(0, extend);
    } else if (matches(QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument)) {
        moveCaret(buffer_.size(), extend);
    }
    history_.closeStep();
    return true;
}

bool TMemo::handleEditKey(QKeyEvent* event) {
    using Joining = UndoHistory::Joining;
    if (event->matches(QKeySequence::Undo)) {
        undo();
    } else if (event->matches(QKeySequence::Redo)) {
        redo();
    } else if (event->matches(QKeySequence::Cut)) {
        cut();
    } else if (event->matches(QKeySequence::Copy)) {
        copy();
    } else if (event->matches(QKeySequence::Paste)) {
        paste();
    } else if (event->matches(QKeySequence::InsertParagraphSeparator) ||
               event->matches(QKeySequence::InsertLineSeparator)) {
        replaceSelection(u"\r\n", Joining::Typing);
    } else if (event->matches(QKeySequence::DeleteStartOfWord)) {
        if (!hasSelectedText())
            anchor_ = previousWordStart(position_);
        insert({});
    } else if (event->matches(QKeySequence::DeleteEndOfWord)) {
        if (!hasSelectedText())
            anchor_ = nextWordStart(position_);
        insert({});
    } else if (event->matches(QKeySequence::Delete) ||
               (event->key() == Qt::Key_Backspace && !(event->modifiers() & ~Qt::ShiftModifier))) {
        if (hasSelectedText()) {
            insert({}); // a selection deleted is a step of its own
        } else {
            const bool back = event->key() == Qt::Key_Backspace;
            anchor_ = back ? previousCodePoint(position_) : nextCharacter(position_);
            replaceSelection({}, Joining::Deleting);
        }
    } else {
        return false;
    }
    return true;
}

// ---- Keyboard and input method ---------------------------------------------

bool TMemo::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        // Keys the box uses itself are not the window's shortcuts.
        auto* key = static_cast<QKeyEvent*>(event);
        if (isMove(key) || isEditCommand(key) || !typedText(key).isEmpty()) {
            event->accept();
            return true;
        }
    } else if (event->type() == QEvent::KeyPress && !tabChangesFocus_) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            keyPressEvent(key);
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void TMemo::keyPressEvent(QKeyEvent* event) {
    if (handleMove(event) || handleEditKey(event))
        return;
    if (event->key() == Qt::Key_Tab && !tabChangesFocus_) {
        replaceSelection(u"\t", UndoHistory::Joining::Typing);
        return;
    }
    const QString typed = typedText(event);
    if (typed.isEmpty()) {
        event->ignore();
        return;
    }
    replaceSelection(typed, UndoHistory::Joining::Typing);
}

void TMemo::inputMethodEvent(QInputMethodEvent* event) {
    const QString commit = memoTextFromClipboard(event->commitString());
    if (!commit.isEmpty() || event->replacementLength() > 0) {
        if (event->replacementLength() > 0) {
            const qsizetype from = validPosition(position_ + event->replacementStart());
            anchor_ = from;
            position_ = validPosition(from + event->replacementLength());
        }
        replaceSelection(commit, UndoHistory::Joining::Typing);
    }
    preedit_ = event->preeditString();
    preeditAttributes_ = event->attributes();
    updatePreeditLayout();
    viewport()->update();
    updateMicroFocus();
    event->accept();
}

void TMemo::updatePreeditLayout() {
    if (preedit_.isEmpty()) {
        layout_.setPreedit(-1, 0, {}, {}, 0);
        return;
    }
    QList<QTextLayout::FormatRange> formats;
    int caret = int(preedit_.size());
    for (const QInputMethodEvent::Attribute& attribute : std::as_const(preeditAttributes_)) {
        if (attribute.type == QInputMethodEvent::TextFormat) {
            const QTextCharFormat format = attribute.value.value<QTextFormat>().toCharFormat();
            if (format.isValid())
                formats.append({attribute.start, attribute.length, format});
        } else if (attribute.type == QInputMethodEvent::Cursor) {
            caret = attribute.start;
        }
    }
    if (formats.isEmpty()) {
        QTextCharFormat underline;
        underline.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        formats.append({0, int(preedit_.size()), underline});
    }
    layout_.setPreedit(caretLine(), position_, preedit_, formats, caret);
}

QVariant TMemo::inputMethodQuery(Qt::InputMethodQuery query) const {
    // The input method sees the caret's line, or as much of it as lies
    // within LookAround of the caret.
    qsizetype from = std::max<qsizetype>(0, position_ - LookAround);
    qsizetype to = std::min(buffer_.size(), position_ + LookAround);
    for (qsizetype i = position_ - 1; i > from; --i)
        if (buffer_.at(i - 1) == u'\r' && buffer_.at(i) == u'\n') {
            from = i + 1;
            break;
        }
    for (qsizetype i = position_; i + 1 < to; ++i)
        if (buffer_.at(i) == u'\r' && buffer_.at(i + 1) == u'\n') {
            to = i;
            break;
        }
    const QPoint offset = viewport()->geometry().topLeft();
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle:
        return QRectF(cursorRect().translated(offset));
    case Qt::ImAnchorRectangle:
        return caretRectAt(anchor_, false).translated(offset);
    case Qt::ImFont:
        return font();
    case Qt::ImCursorPosition:
        return int(std::clamp(position_, from, to) - from);
    case Qt::ImAnchorPosition:
        return int(std::clamp(anchor_, from, to) - from);
    case Qt::ImAbsolutePosition:
        return int(position_);
    case Qt::ImSurroundingText:
        return buffer_.mid(from, to - from);
    case Qt::ImTextBeforeCursor:
        return buffer_.mid(from, position_ - from);
    case Qt::ImTextAfterCursor:
        return buffer_.mid(position_, to - position_);
    case Qt::ImCurrentSelection:
        return selectedText();
    case Qt::ImMaximumTextLength:
        return QVariant();
    case Qt::ImHints:
        return int(Qt::ImhMultiLine);
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

// ---- Layout and view -------------------------------------------------------

int TMemo::pageLines() const {
    const qreal room = viewport()->height() - 2 * Margin;
    return std::max(1, int(std::floor(room / layout_.lineHeight())));
}

qsizetype TMemo::topPosition() const {
    const VisualLines& lines = layout_.lines();
    return topLine_ < lines.count() ? lines.start(topLine_) : 0;
}

// Makes the lines on the screen exact and the scroll bar fit them.
void TMemo::wrapForView() {
    VisualLines& lines = layout_.lines();
    if (topAnchor_ >= 0) {
        lines.wrapThroughPosition(topAnchor_);
        topLine_ = lines.lineAt(topAnchor_);
        topAnchor_ = -1;
    }
    lines.wrapThrough(topLine_ + pageLines() + 1);
    topLine_ = std::clamp<qsizetype>(topLine_, 0, lines.count() - 1);
    updateScrollBar();
    scheduleWrapping();
}

void TMemo::updateScrollBar() {
    QScrollBar* bar = verticalScrollBar();
    const int page = pageLines();
    const qsizetype count = layout_.lines().count();
    bar->setPageStep(page);
    bar->setRange(0, int(std::max<qsizetype>(0, count - page)));
    if (bar->value() != topLine_)
        bar->setValue(int(topLine_));
}

void TMemo::scheduleWrapping() {
    if (!layout_.lines().complete() && !wrapTimer_.isActive())
        wrapTimer_.start(0, this);
}

void TMemo::scrollContentsBy(int, int) {
    topLine_ = verticalScrollBar()->value();
    viewport()->update();
    updateMicroFocus();
}

void TMemo::ensureCursorVisible() {
    VisualLines& lines = layout_.lines();
    const qsizetype line = caretLine();
    const int page = pageLines();
    if (line < topLine_)
        topLine_ = line;
    else if (line >= topLine_ + page)
        topLine_ = line - page + 1;
    lines.wrapThrough(topLine_ + page + 1);
    updateScrollBar();
}

qsizetype TMemo::visualLineCount() {
    layout_.lines().wrapAll();
    updateScrollBar();
    return layout_.lines().count();
}

qsizetype TMemo::visualLineStart(qsizetype line) {
    layout_.lines().wrapAll();
    return layout_.lines().start(line);
}

QRectF TMemo::caretRectAt(qsizetype position, bool atLineEnd) const {
    VisualLines& lines = layout_.lines();
    lines.wrapThroughPosition(position);
    const qsizetype line = lines.lineAt(position, atLineEnd);
    const qreal height = layout_.lineHeight();
    const bool composing = !preedit_.isEmpty() && position == position_;
    qreal x = Margin + (composing ? layout_.preeditCaretX(line) : layout_.xOf(line, position));
    // A caret after spaces that hang past the edge stays at the edge.
    x = std::min(x, qreal(viewport()->width()) - Margin);
    return {x, Margin + qreal(line - topLine_) * height, 1, height};
}

QRect TMemo::cursorRect() const {
    return caretRectAt(position_, atLineEnd_).toAlignedRect();
}

qsizetype TMemo::positionAt(const QPoint& point, bool* atLineEnd) {
    VisualLines& lines = layout_.lines();
    const auto row = qsizetype(std::floor((point.y() - Margin) / layout_.lineHeight()));
    const qsizetype wanted = std::max<qsizetype>(0, topLine_ + row);
    lines.wrapThrough(wanted);
    const qsizetype line = std::min(wanted, lines.count() - 1);
    return positionOnLine(line, point.x() - Margin, atLineEnd);
}

void TMemo::paintLine(QPainter& painter, qsizetype line, qreal y) {
    VisualLines& lines = layout_.lines();
    QTextLayout& drawn = layout_.layoutOf(line);
    QList<QTextLayout::FormatRange> selections;
    const qsizetype from = std::max(std::min(anchor_, position_), lines.start(line));
    const qsizetype to = std::min(std::max(anchor_, position_), lines.textEnd(line));
    if (from < to) {
        const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
        QTextCharFormat selected;
        selected.setBackground(palette().brush(group, QPalette::Highlight));
        selected.setForeground(palette().brush(group, QPalette::HighlightedText));
        const int start = layout_.layoutIndex(line, from);
        selections.append({start, layout_.layoutIndex(line, to) - start, selected});
    }
    drawn.draw(&painter, QPointF(Margin, y), selections);
}

void TMemo::paintEvent(QPaintEvent* event) {
    wrapForView();
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Text));
    const VisualLines& lines = layout_.lines();
    const qreal height = layout_.lineHeight();
    const QRect dirty = event->rect();
    for (qsizetype line = topLine_; line < lines.count(); ++line) {
        const qreal y = Margin + qreal(line - topLine_) * height;
        if (y > dirty.bottom())
            break;
        if (y + height >= dirty.top())
            paintLine(painter, line, y);
    }
    if (hasFocus() && caretShown_)
        painter.fillRect(caretRectAt(position_, atLineEnd_), palette().color(QPalette::Text));
    if (dropPosition_ >= 0)
        painter.fillRect(caretRectAt(dropPosition_, false), palette().color(QPalette::Text));
}

void TMemo::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    const qsizetype top = topPosition();
    const qsizetype before = layout_.lines().lineWidth();
    layout_.setWidth(viewport()->width() - 2 * Margin - 1);
    if (layout_.lines().lineWidth() != before && top > 0)
        topAnchor_ = top;
    updateScrollBar();
    viewport()->update();
}

void TMemo::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        const qsizetype top = topPosition();
        layout_.setFont(font());
        if (top > 0)
            topAnchor_ = top;
        updateScrollBar();
        viewport()->update();
    }
}

void TMemo::showCaret(bool shown) {
    caretShown_ = shown;
    viewport()->update(cursorRect().adjusted(-1, 0, 1, 0));
}

void TMemo::restartBlinking() {
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (hasFocus() && flash > 0)
        blinkTimer_.start(flash / 2, this);
    else
        blinkTimer_.stop();
    showCaret(hasFocus());
}

void TMemo::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    restartBlinking();
    viewport()->update();
}

void TMemo::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    blinkTimer_.stop();
    showCaret(false);
    history_.closeStep();
    viewport()->update();
}

void TMemo::timerEvent(QTimerEvent* event) {
    if (event->timerId() == blinkTimer_.timerId()) {
        showCaret(!caretShown_);
    } else if (event->timerId() == wrapTimer_.timerId()) {
        if (layout_.lines().wrapSome(WrapSliceLines))
            wrapTimer_.stop();
        updateScrollBar();
    } else if (event->timerId() == scrollTimer_.timerId()) {
        // Selecting with the mouse held beyond the box scrolls it.
        const int step = lastMousePoint_.y() < 0 ? -1 : 1;
        topLine_ = std::clamp<qsizetype>(topLine_ + step, 0, layout_.lines().count() - 1);
        updateScrollBar();
        const QPoint inside(lastMousePoint_.x(),
                            std::clamp(lastMousePoint_.y(), 0, viewport()->height() - 1));
        bool atLineEnd = false;
        moveCaret(positionAt(inside, &atLineEnd), true, atLineEnd);
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}

// ---- Mouse, clipboard, dragging and the menu --------------------------------

void TMemo::mousePressEvent(QMouseEvent* event) {
    wrapForView();
    history_.closeStep();
    const QPoint point = event->position().toPoint();
    bool atLineEnd = false;
    const qsizetype position = positionAt(point, &atLineEnd);
    if (event->button() == Qt::LeftButton) {
        const bool extend = event->modifiers() & Qt::ShiftModifier;
        const qsizetype from = std::min(anchor_, position_);
        const qsizetype to = std::max(anchor_, position_);
        if (!extend && from < to && position >= from && position < to) {
            mayDrag_ = true;
            pressPoint_ = point;
            return;
        }
        selecting_ = true;
        lastMousePoint_ = point;
        moveCaret(position, extend, atLineEnd);
    } else if (event->button() == Qt::MiddleButton &&
               QGuiApplication::clipboard()->supportsSelection()) {
        moveCaret(position, false, atLineEnd);
        const QString text =
            textFromMimeData(QGuiApplication::clipboard()->mimeData(QClipboard::Selection));
        if (!text.isEmpty())
            insert(text);
    }
}

void TMemo::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (mayDrag_ && (event->buttons() & Qt::LeftButton)) {
        if ((point - pressPoint_).manhattanLength() >= QApplication::startDragDistance()) {
            mayDrag_ = false;
            startDrag();
        }
        return;
    }
    if (!selecting_)
        return;
    lastMousePoint_ = point;
    if (point.y() < 0 || point.y() >= viewport()->height()) {
        if (!scrollTimer_.isActive())
            scrollTimer_.start(50, this);
        return;
    }
    scrollTimer_.stop();
    bool atLineEnd = false;
    moveCaret(positionAt(point, &atLineEnd), true, atLineEnd);
}

void TMemo::mouseReleaseEvent(QMouseEvent* event) {
    scrollTimer_.stop();
    if (mayDrag_) {
        // A click in the selection that did not drag places the caret.
        mayDrag_ = false;
        bool atLineEnd = false;
        moveCaret(positionAt(event->position().toPoint(), &atLineEnd), false, atLineEnd);
    }
    if (selecting_ && hasSelectedText())
        setPrimarySelection();
    selecting_ = false;
}

void TMemo::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    bool atLineEnd = false;
    const qsizetype position = positionAt(event->position().toPoint(), &atLineEnd);
    const qsizetype size = buffer_.size();
    // The word under the pointer, or the run of spaces between two words.
    const bool space = position < size && isSpaceLike(buffer_.at(position));
    qsizetype from = position;
    qsizetype to = position;
    while (from > 0 && isSpaceLike(buffer_.at(from - 1)) == space)
        --from;
    while (to < size && isSpaceLike(buffer_.at(to)) == space)
        ++to;
    setSelection(from, to);
    setPrimarySelection();
}

void TMemo::setPrimarySelection() const {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard->supportsSelection() && hasSelectedText())
        clipboard->setMimeData(
            mimeDataFor(std::min(anchor_, position_), std::max(anchor_, position_)),
            QClipboard::Selection);
}

QMimeData* TMemo::mimeDataFor(qsizetype from, qsizetype to) const {
    const QString held = buffer_.mid(from, to - from);
    auto* data = new QMimeData;
    data->setText(clipboardTextFromMemo(held));
    if (!clipboardTextKeepsMemoText(held))
        data->setData(MemoMimeType,
                      QByteArray(reinterpret_cast<const char*>(held.utf16()), held.size() * 2));
    return data;
}

QString TMemo::textFromMimeData(const QMimeData* data) const {
    if (!data)
        return {};
    if (data->hasFormat(MemoMimeType)) {
        const QByteArray units = data->data(MemoMimeType);
        return QString(reinterpret_cast<const QChar*>(units.constData()), units.size() / 2);
    }
    return data->hasText() ? memoTextFromClipboard(data->text()) : QString();
}

void TMemo::startDrag() {
    const qsizetype from = std::min(anchor_, position_);
    const qsizetype to = std::max(anchor_, position_);
    QPointer<TMemo> self(this);
    auto* drag = new QDrag(this);
    drag->setMimeData(mimeDataFor(from, to));
    droppedHere_ = false;
    const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    if (!self)
        return;
    // Moved into another place: the text leaves this box.
    if (action == Qt::MoveAction && !droppedHere_ && to <= buffer_.size()) {
        edit(from, to - from, {}, UndoHistory::Joining::Alone);
        history_.closeStep();
        position_ = anchor_ = from;
        afterEdit();
    }
}

void TMemo::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* data = event->mimeData();
    if (!data->hasText() && !data->hasFormat(MemoMimeType)) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void TMemo::dragMoveEvent(QDragMoveEvent* event) {
    bool atLineEnd = false;
    dropPosition_ = positionAt(event->position().toPoint(), &atLineEnd);
    if (event->source() == this && (event->possibleActions() & Qt::MoveAction) &&
        !(event->modifiers() & Qt::ControlModifier)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->acceptProposedAction();
    }
    viewport()->update();
}

void TMemo::dragLeaveEvent(QDragLeaveEvent*) {
    dropPosition_ = -1;
    viewport()->update();
}

void TMemo::dropEvent(QDropEvent* event) {
    dropPosition_ = -1;
    bool atLineEnd = false;
    qsizetype at = positionAt(event->position().toPoint(), &atLineEnd);
    const QString text = textFromMimeData(event->mimeData());
    if (text.isEmpty()) {
        event->ignore();
        viewport()->update();
        return;
    }
    const bool fromHere = event->source() == this;
    const qsizetype from = std::min(anchor_, position_);
    const qsizetype to = std::max(anchor_, position_);
    droppedHere_ = fromHere;
    history_.closeStep();
    if (fromHere && event->dropAction() == Qt::MoveAction) {
        event->acceptProposedAction();
        if (at >= from && at <= to) { // dropped onto itself: nothing moves
            moveCaret(at, false);
            return;
        }
        // A move is one step: the text leaves its place and comes in here.
        edit(from, to - from, {}, UndoHistory::Joining::Alone);
        if (at > to)
            at -= to - from;
        edit(at, 0, text, UndoHistory::Joining::Continuing);
    } else {
        event->acceptProposedAction();
        edit(at, 0, text, UndoHistory::Joining::Alone);
    }
    history_.closeStep();
    anchor_ = at;
    position_ = at + text.size();
    afterEdit();
    emit selectionChanged();
    setFocus(Qt::MouseFocusReason);
}

QMenu* TMemo::createStandardContextMenu() {
    auto* menu = new QMenu(this);
    const auto add = [menu, this](const QString& text, QKeySequence::StandardKey key, bool enabled,
                                  auto command) {
        QAction* action = menu->addAction(text, this, [this, command] { (this->*command)(); });
        action->setShortcut(QKeySequence(key));
        action->setEnabled(enabled);
        return action;
    };
    const bool selected = hasSelectedText();
    const QMimeData* clipboard = QGuiApplication::clipboard()->mimeData();
    const bool pasteable =
        clipboard && (clipboard->hasText() || clipboard->hasFormat(MemoMimeType));
    add(tr("&Undo"), QKeySequence::Undo, isUndoAvailable(), &TMemo::undo);
    add(tr("&Redo"), QKeySequence::Redo, isRedoAvailable(), &TMemo::redo);
    menu->addSeparator();
    add(tr("Cu&t"), QKeySequence::Cut, selected, &TMemo::cut);
    add(tr("&Copy"), QKeySequence::Copy, selected, &TMemo::copy);
    add(tr("&Paste"), QKeySequence::Paste, pasteable, &TMemo::paste);
    add(tr("Delete"), QKeySequence::Delete, selected, &TMemo::deleteSelection);
    menu->addSeparator();
    const bool allSelected =
        std::min(anchor_, position_) == 0 && std::max(anchor_, position_) == buffer_.size();
    add(tr("Select All"), QKeySequence::SelectAll, buffer_.size() > 0 && !allSelected,
        &TMemo::selectAll);
    return menu;
}

void TMemo::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

} // namespace platform

#include "widgets/MemoAccessible.h"

#include "widgets/Memo.h"
#include "widgets/MemoText.h"

#include <QScrollBar>
#include <QTextBoundaryFinder>
#include <algorithm>

namespace platform {
namespace {

// Characters around an offset that word and sentence look-ups see.
constexpr int LookAround = 4096;

QAccessibleInterface* memoFactory(const QString& className, QObject* object) {
    auto* memo = qobject_cast<TMemo*>(object);
    if (memo && className == QLatin1String(TMemo::staticMetaObject.className()))
        return new MemoAccessible(memo);
    return nullptr;
}

} // namespace

void installMemoAccessibility() {
    installAccessibleFactory(memoFactory);
}

MemoAccessible::MemoAccessible(TMemo* memo)
    : PartsAccessible(memo, QAccessible::EditableText) {}

TMemo* MemoAccessible::memo() const {
    return static_cast<TMemo*>(widget());
}

void* MemoAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface*>(this);
    return PartsAccessible::interface_cast(type);
}

QList<QWidget*> MemoAccessible::parts() const {
    QList<QWidget*> bars;
    for (QWidget* bar : {static_cast<QWidget*>(memo()->verticalScrollBar()),
                         static_cast<QWidget*>(memo()->horizontalScrollBar())})
        if (bar->isVisible())
            bars << bar;
    return bars;
}

QAccessible::State MemoAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = true;
    state.multiLine = true;
    state.selectableText = true;
    state.focusable = true;
    return state;
}

QString MemoAccessible::text(QAccessible::Text type) const {
    if (type == QAccessible::Value)
        return memo()->unicodeText();
    return QAccessibleWidget::text(type);
}

void MemoAccessible::setText(QAccessible::Text type, const QString& text) {
    if (type == QAccessible::Value)
        memo()->setUnicodeText(memoTextFromClipboard(text));
    else
        QAccessibleWidget::setText(type, text);
}

void MemoAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !memo()->hasSelectedText())
        return;
    *startOffset = int(std::min(memo()->anchor(), memo()->cursorPosition()));
    *endOffset = int(std::max(memo()->anchor(), memo()->cursorPosition()));
}

int MemoAccessible::selectionCount() const {
    return memo()->hasSelectedText() ? 1 : 0;
}

void MemoAccessible::addSelection(int startOffset, int endOffset) {
    memo()->setSelection(startOffset, endOffset);
}

void MemoAccessible::removeSelection(int selectionIndex) {
    if (selectionIndex == 0)
        memo()->setCursorPosition(memo()->cursorPosition());
}

void MemoAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    if (selectionIndex == 0)
        memo()->setSelection(startOffset, endOffset);
}

int MemoAccessible::cursorPosition() const {
    return int(memo()->cursorPosition());
}

void MemoAccessible::setCursorPosition(int position) {
    memo()->setCursorPosition(position);
}

QString MemoAccessible::text(int startOffset, int endOffset) const {
    return memo()->textRange(startOffset, endOffset - startOffset);
}

int MemoAccessible::characterCount() const {
    return int(memo()->length());
}

void MemoAccessible::unitAt(int offset, QAccessible::TextBoundaryType type, int* start,
                            int* end) const {
    TMemo* box = memo();
    const auto size = int(box->length());
    offset = std::clamp(offset, 0, size);
    const auto isBreakAt = [box](qsizetype i) {
        return i + 1 < box->length() && box->buffer_.at(i) == u'\r' &&
               box->buffer_.at(i + 1) == u'\n';
    };
    switch (type) {
    case QAccessible::CharBoundary:
        *start = offset;
        *end = int(box->nextCharacter(offset));
        return;
    case QAccessible::LineBoundary: {
        VisualLines& lines = box->layout_.lines();
        lines.wrapThroughPosition(offset);
        const qsizetype line = lines.lineAt(offset);
        *start = int(lines.start(line));
        *end = int(lines.end(line));
        return;
    }
    case QAccessible::ParagraphBoundary: {
        qsizetype from = offset;
        while (from > 0 && !(from >= 2 && isBreakAt(from - 2)))
            --from;
        qsizetype to = offset;
        while (to < size && !isBreakAt(to))
            ++to;
        *start = int(from);
        *end = int(std::min<qsizetype>(size, to + 2));
        return;
    }
    case QAccessible::WordBoundary:
    case QAccessible::SentenceBoundary: {
        const int from = std::max(0, offset - LookAround);
        const int to = std::min(size, offset + LookAround);
        const QString around = box->textRange(from, to - from);
        QTextBoundaryFinder finder(type == QAccessible::WordBoundary
                                       ? QTextBoundaryFinder::Word
                                       : QTextBoundaryFinder::Sentence,
                                   around);
        finder.setPosition(offset - from);
        const qsizetype here = finder.isAtBoundary() ? offset - from : finder.toPreviousBoundary();
        finder.setPosition(offset - from);
        const qsizetype next = finder.toNextBoundary();
        *start = from + int(std::max<qsizetype>(here, 0));
        *end = next < 0 ? to : from + int(next);
        return;
    }
    case QAccessible::NoBoundary:
        break;
    }
    *start = 0;
    *end = size;
}

QString MemoAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                     int* startOffset, int* endOffset) const {
    unitAt(offset, boundaryType, startOffset, endOffset);
    return text(*startOffset, *endOffset);
}

QString MemoAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                         int* startOffset, int* endOffset) const {
    int start = 0;
    int end = 0;
    unitAt(offset, boundaryType, &start, &end);
    if (start <= 0) {
        *startOffset = *endOffset = 0;
        return {};
    }
    unitAt(start - 1, boundaryType, startOffset, endOffset);
    return text(*startOffset, *endOffset);
}

QString MemoAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                        int* startOffset, int* endOffset) const {
    int start = 0;
    int end = 0;
    unitAt(offset, boundaryType, &start, &end);
    if (end >= characterCount()) {
        *startOffset = *endOffset = characterCount();
        return {};
    }
    unitAt(end, boundaryType, startOffset, endOffset);
    return text(*startOffset, *endOffset);
}

QRect MemoAccessible::characterRect(int offset) const {
    TMemo* box = memo();
    QRectF rect = box->caretRectAt(offset, false);
    if (offset < box->length()) {
        const QRectF next = box->caretRectAt(box->nextCharacter(offset), false);
        if (next.top() == rect.top())
            rect.setRight(std::max(rect.left() + 1, next.left()));
    }
    const QRect local = rect.toAlignedRect();
    return QRect(box->viewport()->mapToGlobal(local.topLeft()), local.size());
}

int MemoAccessible::offsetAtPoint(const QPoint& point) const {
    TMemo* box = memo();
    bool atLineEnd = false;
    return int(box->positionAt(box->viewport()->mapFromGlobal(point), &atLineEnd));
}

void MemoAccessible::scrollToSubstring(int startIndex, int) {
    TMemo* box = memo();
    VisualLines& lines = box->layout_.lines();
    lines.wrapThroughPosition(startIndex);
    const qsizetype line = lines.lineAt(startIndex);
    if (line < box->topLine_ || line >= box->topLine_ + box->pageLines()) {
        box->topLine_ = line;
        box->wrapForView();
        box->viewport()->update();
    }
}

QString MemoAccessible::attributes(int, int* startOffset, int* endOffset) const {
    // One font for the whole text.
    *startOffset = 0;
    *endOffset = characterCount();
    const QFont font = memo()->font();
    return QStringLiteral("font-family:\"%1\";font-size:%2pt;")
        .arg(font.family())
        .arg(QString::number(font.pointSizeF()));
}

void MemoAccessible::deleteText(int startOffset, int endOffset) {
    memo()->setSelection(startOffset, endOffset);
    memo()->deleteSelection();
}

void MemoAccessible::insertText(int offset, const QString& text) {
    memo()->setCursorPosition(offset);
    memo()->insert(memoTextFromClipboard(text));
}

void MemoAccessible::replaceText(int startOffset, int endOffset, const QString& text) {
    memo()->setSelection(startOffset, endOffset);
    memo()->insert(memoTextFromClipboard(text));
}

} // namespace platform

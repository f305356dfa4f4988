#pragma once

// What a screen reader sees of a text box: an editable, multi-line text
// with its characters, caret and selection, read by character, word,
// sentence, paragraph (a line up to its CR LF) and visual line, and edited
// through the box as the user edits it. The box's accessible name is its
// widget's accessibleName(); a box with a name needs no more than
// setAccessibleName().

#include "access/AccessibleParts.h"

namespace platform {

class TMemo;

class MemoAccessible : public PartsAccessible,
                       public QAccessibleTextInterface,
                       public QAccessibleEditableTextInterface {
public:
    explicit MemoAccessible(TMemo* memo);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text type) const override;
    void setText(QAccessible::Text type, const QString& text) override;

    // QAccessibleTextInterface
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int* startOffset, int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int* startOffset, int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    // QAccessibleEditableTextInterface
    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString& text) override;
    void replaceText(int startOffset, int endOffset, const QString& text) override;

protected:
    TMemo* memo() const;
    // The box's children are its scroll bars while they show; the surface
    // the text is drawn on is the box itself.
    QList<QWidget*> parts() const override;

private:
    // The unit of text of the given kind that holds the offset.
    void unitAt(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const;
};

// Makes every text box answer with a MemoAccessible. Safe to call often.
void installMemoAccessibility();

} // namespace platform

#pragma once

// A multi-line text box that gives and takes its text as bytes in a code
// page, lines separated by CR LF, as the Windows edit control does.
//
// The box draws itself: it holds its characters in a gap buffer exactly as
// the bytes give them (a CR LF pair is a line break, a lone CR or LF a
// character of its line), wraps them at its width by the edit control's
// rule (after a space or tab, between CJK characters, else after the last
// character that fits) from a table of character advances, and lays out
// with QTextLayout only the lines on the screen. So a line of tens of
// megabytes is one line, with one caret position between two characters,
// and what goes in comes out unchanged.

#include "system/CodePage.h"
#include "widgets/MemoLayout.h"
#include "widgets/TextBuffer.h"
#include "widgets/UndoHistory.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QInputMethodEvent>
#include <QPointer>
#include <string>
#include <string_view>

class QMenu;
class QMimeData;

namespace platform {

class TMemo : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit TMemo(QWidget* parent = nullptr);
    ~TMemo() override;

    // Every character as bytes in the box's code page, lines separated by CR LF.
    std::string text() const;

    // Takes the bytes up to the first zero byte. Only a CR LF pair is a line
    // break; a lone CR or LF stays a character of its line. A box that
    // already holds exactly these bytes is left untouched (caret, selection
    // and scroll stay); bytes with a zero never are what the box holds, so
    // they are set again every time. Setting the text empties the undo
    // history, as the edit control's window text does.
    void setText(std::string_view bytes);

    // The system code page unless set otherwise.
    const CodePage& codePage() const { return codePage_; }
    void setCodePage(const CodePage& page) { codePage_ = page; }

    // What the box holds as characters, CR LF between lines; setting it
    // works as setText does with bytes.
    QString unicodeText() const;
    void setUnicodeText(QString text);
    qsizetype length() const { return buffer_.size(); }
    QString textRange(qsizetype position, qsizetype length) const;

    // Caret and selection, as positions in what the box holds. A position
    // inside a CR LF pair or a surrogate pair is moved before it.
    qsizetype cursorPosition() const { return position_; }
    qsizetype anchor() const { return anchor_; }
    void setCursorPosition(qsizetype position);
    void setSelection(qsizetype anchor, qsizetype position);
    bool hasSelectedText() const { return anchor_ != position_; }
    QString selectedText() const;
    void selectAll();

    // Editing as the user's commands do it, each one step of the undo history.
    // insert() puts characters as the box holds them in place of the selection.
    void insert(QStringView text);
    void cut();
    void copy() const;
    void paste();
    void deleteSelection();
    void undo();
    void redo();
    bool isUndoAvailable() const { return history_.canUndo(); }
    bool isRedoAvailable() const { return history_.canRedo(); }
    // What the undo history holds, in UTF-16 units.
    qsizetype undoHistoryUnits() const { return history_.heldUnits(); }

    // Tab moves the focus (as in a dialog) rather than typing a tab.
    bool tabChangesFocus() const { return tabChangesFocus_; }
    void setTabChangesFocus(bool changes) { tabChangesFocus_ = changes; }

    // The visual lines: the number of them (all wrapped first), where one
    // starts, and the first one on the screen.
    qsizetype visualLineCount();
    qsizetype visualLineStart(qsizetype line);
    qsizetype firstVisibleLine() const { return topLine_; }
    // Whether every line is wrapped; after some edits the lines past the
    // screen are wrapped while the program is idle.
    bool isWrapComplete() const { return layout_.lines().complete(); }
    // The caret's place in the viewport.
    QRect cursorRect() const;
    void ensureCursorVisible();

    // The menu the right button opens: undo, redo, cut, copy, paste,
    // delete, select all. The caller owns it.
    QMenu* createStandardContextMenu();

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

signals:
    void textChanged();
    void cursorPositionChanged();
    void selectionChanged();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void timerEvent(QTimerEvent* event) override;

private:
    friend class MemoAccessible;

    // Editing: every change of the text goes through replace().
    QString replace(qsizetype position, qsizetype length, QStringView text, bool keepRemoved);
    void edit(qsizetype position, qsizetype length, QStringView text, UndoHistory::Joining joining);
    void replaceSelection(QStringView text, UndoHistory::Joining joining);
    void applyUndo(bool redoing);
    void afterEdit();

    // Caret and selection.
    qsizetype validPosition(qsizetype position) const;
    void moveCaret(qsizetype position, bool extend, bool atLineEnd = false);
    void caretMoved(qsizetype oldPosition, qsizetype oldAnchor);
    qsizetype caretLine() const;
    qsizetype nextCharacter(qsizetype position) const;
    qsizetype previousCharacter(qsizetype position) const;
    qsizetype previousCodePoint(qsizetype position) const;
    qsizetype nextWordStart(qsizetype position) const;
    qsizetype previousWordStart(qsizetype position) const;
    qsizetype positionOnLine(qsizetype line, qreal x, bool* atLineEnd);
    bool handleMove(QKeyEvent* event);
    bool handleEditKey(QKeyEvent* event);
    void moveByLines(qsizetype lines, bool extend, bool scroll);

    // Layout and view.
    int pageLines() const;
    QRectF textArea() const;
    void wrapForView();
    void updateScrollBar();
    void scheduleWrapping();
    qsizetype positionAt(const QPoint& point, bool* atLineEnd);
    QRectF caretRectAt(qsizetype position, bool atLineEnd) const;
    qsizetype topPosition() const;
    void showCaret(bool shown);
    void restartBlinking();
    void updatePreeditLayout();
    void paintLine(QPainter& painter, qsizetype line, qreal y);

    // The clipboard and dragging.
    QMimeData* mimeDataFor(qsizetype from, qsizetype to) const;
    QString textFromMimeData(const QMimeData* data) const;
    void startDrag();
    void setPrimarySelection() const;

    CodePage codePage_;
    TextBuffer buffer_;
    // Lines are wrapped when first asked for, from const members too.
    mutable MemoLayout layout_;
    UndoHistory history_;

    qsizetype position_ = 0;
    qsizetype anchor_ = 0;
    bool atLineEnd_ = false; // the caret shows at the end of a wrapped line
    qreal desiredX_ = -1;    // the column kept by Up and Down
    qsizetype topLine_ = 0;
    // After a change of width, the position the first line on the screen
    // should hold once the lines are wrapped again.
    qsizetype topAnchor_ = -1;

    QString preedit_;
    QList<QInputMethodEvent::Attribute> preeditAttributes_;

    bool tabChangesFocus_ = true;
    bool caretShown_ = false;
    QBasicTimer blinkTimer_;
    QBasicTimer wrapTimer_;
    QBasicTimer scrollTimer_;

    // Mouse selection and dragging.
    bool selecting_ = false;
    bool mayDrag_ = false;
    bool droppedHere_ = false;
    QPoint pressPoint_;
    QPoint lastMousePoint_;
    qsizetype dropPosition_ = -1;
};

} // namespace platform

// The text box as its users meet it: the bytes in and out, one line however
// long, one caret position between two characters, the keys, the mouse, the
// clipboard, drops, the input method, the menu and the screen reader.

#include "Bytes.h"
#include "widgets/Memo.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFontMetricsF>
#include <QMenu>
#include <QMimeData>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <random>

using platform::CodePage;
using platform::TMemo;

constexpr qsizetype UndoHistoryLimit = platform::UndoHistory::DefaultUnitLimit;

using testsupport::bytes;
using testsupport::str;

namespace {

// A box with a known code page, shown at the lower box's size.
struct Box {
    TMemo memo;
    explicit Box(const char* page = "UTF-8", QSize size = QSize(407, 135)) {
        memo.setCodePage(CodePage::named(page));
        memo.resize(size);
        memo.show();
        memo.setFocus();
    }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(&memo, key, modifiers);
    }
    QString held() const { return memo.unicodeText(); }
    // Every line up to the last, as text.
    QStringList lines() {
        QStringList shown;
        const qsizetype count = memo.visualLineCount();
        for (qsizetype line = 0; line < count; ++line) {
            const qsizetype start = memo.visualLineStart(line);
            const qsizetype end = line + 1 < count ? memo.visualLineStart(line + 1) : memo.length();
            shown << memo.textRange(start, end - start);
        }
        return shown;
    }
};

QString fromUcs4(const std::u32string& s) {
    return QString::fromUcs4(s.data(), qsizetype(s.size()));
}

// Random text over all of Unicode but the surrogates and the zero.
QString randomUnicode(std::mt19937& random, int length) {
    std::uniform_int_distribution<char32_t> any(1, 0x10FFFF);
    std::u32string s;
    while (int(s.size()) < length) {
        const char32_t c = any(random);
        if (c < 0xD800 || c > 0xDFFF)
            s += c;
    }
    return fromUcs4(s);
}

std::string base64Line(std::size_t length) {
    static const char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string line(length, 'A');
    std::mt19937 random(5);
    for (char& c : line)
        c = alphabet[random() % 64];
    return line;
}

void sendDrop(TMemo& memo, QMimeData& data, QPoint at) {
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(memo.viewport(), &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(memo.viewport(), &move);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(memo.viewport(), &drop);
}

} // namespace

class TestMemo : public QObject {
    Q_OBJECT

private slots:
    // ---- Bytes in and out --------------------------------------------------

    void setThenRead_data() {
        QTest::addColumn<QByteArray>("set");
        QTest::addColumn<QByteArray>("read");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("one line") << QByteArray("abc") << QByteArray("abc");
        QTest::newRow("CR LF lines") << QByteArray("ab\r\ncd\r\n") << QByteArray("ab\r\ncd\r\n");
        QTest::newRow("lone LF") << QByteArray("ab\ncd") << QByteArray("ab\ncd");
        QTest::newRow("lone CR") << QByteArray("ab\rcd") << QByteArray("ab\rcd");
        QTest::newRow("LF CR") << QByteArray("\n\r") << QByteArray("\n\r");
        QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << QByteArray("a\r\r\nb");
        QTest::newRow("cut at zero") << QByteArray("a\0b", 3) << QByteArray("a");
        QTest::newRow("zero first") << QByteArray("\0abc", 4) << QByteArray();
        QTest::newRow("control bytes") << QByteArray("\x04\x06\x10") << QByteArray("\x04\x06\x10");
        QTest::newRow("utf-8 text") << QByteArray("中文\r\n") << QByteArray("中文\r\n");
        QTest::newRow("word joiner") << QByteArray("a\u2060b") << QByteArray("a\u2060b");
        QTest::newRow("U+E00D and U+E00A")
            << QByteArray("\uE00D\r\n\uE00A") << QByteArray("\uE00D\r\n\uE00A");
        QTest::newRow("noncharacters") << QByteArray("\xEF\xBF\xBE\xEF\xBF\xBF\xF4\x8F\xBF\xBF")
                                       << QByteArray("\xEF\xBF\xBE\xEF\xBF\xBF\xF4\x8F\xBF\xBF");
        QTest::newRow("pair first and last")
            << QByteArray("\U0001F600x\U00020000") << QByteArray("\U0001F600x\U00020000");
    }
    void setThenRead() {
        QFETCH(QByteArray, set);
        QFETCH(QByteArray, read);
        Box box;
        box.memo.setText(str(set));
        QCOMPARE(bytes(box.memo.text()), read);
    }

    // Random texts over the whole code space, at every wrap position, come
    // back unchanged by setText, by paste and by a drop.
    void randomTextsComeBackUnchanged() {
        Box box;
        std::mt19937 random(99);
        for (int round = 0; round < 20; ++round) {
            const QString text = randomUnicode(random, 2000);
            const std::string utf8 = str(text.toUtf8());
            box.memo.setText(utf8);
            QCOMPARE(box.memo.text(), utf8);

            box.memo.setText("");
            QApplication::clipboard()->setText(text);
            box.memo.paste();
            QCOMPARE(box.held(), text);

            box.memo.setText("");
            QMimeData data;
            data.setText(text);
            sendDrop(box.memo, data, QPoint(10, 10));
            QCOMPARE(box.held(), text);
        }
    }

    void gbkBytesShowAsTheirCharacter() {
        Box box("GBK");
        box.memo.setText("\xD6\xD0");
        QCOMPARE(box.held(), QStringLiteral("中"));
        QCOMPARE(bytes(box.memo.text()), QByteArray("\xD6\xD0"));
    }

    void settingTheSameTextLeavesTheBoxUntouched() {
        Box box;
        std::string text;
        for (int i = 0; i < 200; ++i)
            text += "line " + std::to_string(i) + "\r\n";
        box.memo.setText(text);
        box.memo.setSelection(2, 8);
        box.memo.verticalScrollBar()->setValue(50);
        QSignalSpy changed(&box.memo, &TMemo::textChanged);

        box.memo.setText(text);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(box.memo.anchor(), qsizetype(2));
        QCOMPARE(box.memo.cursorPosition(), qsizetype(8));
        QCOMPARE(box.memo.verticalScrollBar()->value(), 50);

        box.memo.setText("other");
        QCOMPARE(changed.count(), 1);
        QCOMPARE(bytes(box.memo.text()), QByteArray("other"));
        QCOMPARE(box.memo.cursorPosition(), qsizetype(0));
    }

    // The box holds only the bytes before a zero, never the whole text, so
    // such a text is set again each time.
    void textWithAZeroByteIsSetEveryTime() {
        Box box;
        const std::string withZero("first line\0tail", 15);
        box.memo.setText(withZero);
        QCOMPARE(box.memo.text(), std::string("first line"));
        QSignalSpy changed(&box.memo, &TMemo::textChanged);
        box.memo.setText(withZero);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(box.memo.text(), std::string("first line"));
    }

    // ---- Wrapping ----------------------------------------------------------

    // Every visual line but the last ends where the next character would no
    // longer fit, unless it ends after a space or between two CJK
    // characters: so a Base64 line fills every line to the edge.
    void linesEndOnlyWhereTheRuleAllows_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::newRow("base64") << QString::fromStdString(base64Line(100000)) << 407;
        QTest::newRow("base64, narrow") << QString::fromStdString(base64Line(20000)) << 120;
        QTest::newRow("slashes and hyphens")
            << QStringLiteral("yrnTw8u1w/ejutTayc/D5s7Esb6/8srkyOvUrc7Eu/ one-two-three/four/"
                              "five-six-seven-eight-nine/ten eleven twelve")
                   .repeated(20)
            << 200;
        QTest::newRow("chinese")
            << QStringLiteral("使用说明：在上面文本框输入原文或密文，点击相应按钮在下面生成结果！")
                   .repeated(10)
            << 200;
        QTest::newRow("words")
            << QStringLiteral("the quick brown fox jumps over the lazy dog ").repeated(50) << 150;
    }
    void linesEndOnlyWhereTheRuleAllows() {
        QFETCH(QString, text);
        QFETCH(int, width);
        Box box("UTF-8", QSize(width, 135));
        box.memo.setUnicodeText(text);
        QCOMPARE(box.held(), text);
        const QStringList lines = box.lines();
        QVERIFY(lines.size() > 2);
        QFont font = box.memo.font();
        font.setKerning(false);
        const QFontMetricsF metrics(font);
        const qreal room = box.memo.viewport()->width() - 9; // the margins and the caret
        const auto isCjk = [](QChar c) {
            return c.script() == QChar::Script_Han ||
                   (c.unicode() >= 0x3000 && c.unicode() < 0x3040) || c.unicode() >= 0xFF00;
        };
        for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
            const QString& line = lines[i];
            const QChar next = lines[i + 1].front();
            QVERIFY2(metrics.horizontalAdvance(QString(line).remove(QRegularExpression(" +$"))) <=
                         room + 0.5,
                     qPrintable(line));
            const bool full = metrics.horizontalAdvance(line + next) > room - 0.5;
            const bool afterSpace = line.endsWith(u' ');
            const bool betweenCjk = isCjk(line.back()) && isCjk(next);
            QVERIFY2(full || afterSpace || betweenCjk, qPrintable(line + u'|' + next));
        }
    }

    void wrapBreaksAreNotPartOfTheText() {
        Box box("UTF-8", QSize(60, 200));
        const std::string text = "a long line that wraps several times in a narrow box";
        box.memo.setText(text);
        QVERIFY(box.memo.visualLineCount() > 3);
        QCOMPARE(box.memo.text(), text);
        box.memo.selectAll();
        box.memo.copy();
        QCOMPARE(QApplication::clipboard()->text(), QString::fromStdString(text));
    }

    void resizingWrapsAgainAndKeepsTheTopLine() {
        Box box;
        box.memo.setText(base64Line(200000));
        const qsizetype before = box.memo.visualLineCount();
        box.memo.verticalScrollBar()->setValue(1000);
        const qsizetype topCharacter = box.memo.visualLineStart(1000);
        box.memo.resize(600, 135);
        QApplication::processEvents();
        box.memo.viewport()->repaint();
        QVERIFY(box.memo.visualLineCount() < before);
        const qsizetype top = box.memo.firstVisibleLine();
        QVERIFY(box.memo.visualLineStart(top) <= topCharacter);
        QVERIFY(top + 1 == box.memo.visualLineCount() ||
                box.memo.visualLineStart(top + 1) > topCharacter);
    }

    // An edit in the middle of a long line without breaks is shown at once
    // and the lines past the screen follow while the program is idle; then
    // they are the lines of the same text set afresh.
    void editedLinesMatchAFreshWrap() {
        Box box;
        box.memo.setText(base64Line(300000));
        box.memo.setCursorPosition(150000);
        QTest::keyClicks(&box.memo, "xyz");
        QTRY_VERIFY(box.memo.isWrapComplete());
        Box fresh;
        fresh.memo.setText(box.memo.text());
        QCOMPARE(box.memo.visualLineCount(), fresh.memo.visualLineCount());
        for (qsizetype line = 0; line < fresh.memo.visualLineCount(); line += 97)
            QCOMPARE(box.memo.visualLineStart(line), fresh.memo.visualLineStart(line));
    }

    // ---- One caret position between two characters -------------------------

    void oneCaretPositionAtAWrap() {
        Box box;
        const std::string line = base64Line(5000);
        box.memo.setText(line);
        const qsizetype wrap = box.memo.visualLineStart(1);

        // Right steps one character at a time across the wrap.
        box.memo.setCursorPosition(wrap - 2);
        for (qsizetype expected = wrap - 1; expected <= wrap + 2; ++expected) {
            box.key(Qt::Key_Right);
            QCOMPARE(box.memo.cursorPosition(), expected);
        }
        // Backspace at the start of the line after the wrap deletes a character.
        box.memo.setCursorPosition(wrap);
        box.key(Qt::Key_Backspace);
        std::string expected = line;
        expected.erase(std::size_t(wrap - 1), 1);
        QCOMPARE(box.memo.text(), expected);
        // Left then Delete removes one character.
        box.memo.setText(line);
        box.memo.setCursorPosition(wrap);
        box.key(Qt::Key_Left);
        box.key(Qt::Key_Delete);
        QCOMPARE(box.memo.text(), expected);
        // Shift+Left selects one more real character with every press.
        box.memo.setText(line);
        box.memo.setCursorPosition(wrap + 1);
        for (qsizetype n = 1; n <= 3; ++n) {
            box.key(Qt::Key_Left, Qt::ShiftModifier);
            QCOMPARE(box.memo.selectedText(), QString::fromStdString(line.substr(
                                                  std::size_t(wrap + 1 - n), std::size_t(n))));
        }
    }

    void homeAndEndOnAVisualLine() {
        Box box;
        const std::string line = base64Line(5000);
        box.memo.setText(line);
        const qsizetype second = box.memo.visualLineStart(1);
        const qsizetype third = box.memo.visualLineStart(2);
        box.memo.setCursorPosition(second + 3);
        box.key(Qt::Key_Home);
        QCOMPARE(box.memo.cursorPosition(), second);
        const QRect atStart = box.memo.cursorRect();
        box.key(Qt::Key_End);
        QCOMPARE(box.memo.cursorPosition(), third);
        // The caret shows at the end of its own line, not at the next one's start.
        QCOMPARE(box.memo.cursorRect().top(), atStart.top());
        QVERIFY(box.memo.cursorRect().left() > atStart.left() + 100);
        // Typing there puts the character at that one position.
        QTest::keyClicks(&box.memo, "!");
        QCOMPARE(box.memo.text(),
                 line.substr(0, std::size_t(third)) + "!" + line.substr(std::size_t(third)));
    }

    void documentAndPageMoves() {
        Box box;
        std::string text;
        for (int i = 0; i < 100; ++i)
            text += "line number " + std::to_string(i) + "\r\n";
        box.memo.setText(text);
        box.key(Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(box.memo.cursorPosition(), box.memo.length());
        QVERIFY(box.memo.firstVisibleLine() > 80);
        box.key(Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(box.memo.cursorPosition(), qsizetype(0));
        QCOMPARE(box.memo.firstVisibleLine(), qsizetype(0));
        box.key(Qt::Key_PageDown);
        const qsizetype afterPage = box.memo.cursorPosition();
        QVERIFY(afterPage > 0);
        QVERIFY(box.memo.firstVisibleLine() > 0);
        box.key(Qt::Key_PageUp);
        QCOMPARE(box.memo.cursorPosition(), qsizetype(0));
        // Down and Up keep the column.
        box.memo.setCursorPosition(5);
        box.key(Qt::Key_Down);
        box.key(Qt::Key_Down);
        QCOMPARE(box.memo.cursorPosition(), box.held().indexOf(u"line number 2") + 5);
        box.key(Qt::Key_Up);
        QCOMPARE(box.memo.cursorPosition(), box.held().indexOf(u"line number 1") + 5);
        // Shift+Down selects to the same column of the next line.
        box.key(Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(box.memo.selectedText(), QStringLiteral("number 1\r\nline "));
    }

    void caretNeverSplitsALineBreakOrAPair() {
        Box box;
        box.memo.setUnicodeText(fromUcs4(U"a\r\n\U0001F600b"));
        box.memo.setCursorPosition(2); // inside CR LF
        QCOMPARE(box.memo.cursorPosition(), qsizetype(1));
        box.memo.setCursorPosition(4); // inside the pair
        QCOMPARE(box.memo.cursorPosition(), qsizetype(3));
        box.memo.setCursorPosition(1);
        box.key(Qt::Key_Right);
        QCOMPARE(box.memo.cursorPosition(), qsizetype(3));
        box.key(Qt::Key_Right);
        QCOMPARE(box.memo.cursorPosition(), qsizetype(5));
        box.key(Qt::Key_Backspace); // the whole pair
        QCOMPARE(box.held(), QStringLiteral("a\r\nb"));
        box.key(Qt::Key_Backspace); // the whole line break
        QCOMPARE(box.held(), QStringLiteral("ab"));
    }

    // ---- Editing -----------------------------------------------------------

    void typingIsReadBack() {
        Box box;
        QTest::keyClicks(&box.memo, "ab");
        box.key(Qt::Key_Return);
        QTest::keyClicks(&box.memo, "c");
        QCOMPARE(bytes(box.memo.text()), QByteArray("ab\r\nc"));
    }

    void tabMovesTheFocus() {
        QWidget window;
        auto* first = new TMemo(&window);
        auto* second = new TMemo(&window);
        second->move(0, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        first->setFocus();
        QTest::keyClick(first, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), second);
        QVERIFY(first->unicodeText().isEmpty());
        first->setTabChangesFocus(false);
        first->setFocus();
        QTest::keyClick(first, Qt::Key_Tab);
        QCOMPARE(first->unicodeText(), QStringLiteral("\t"));
    }

    // Alt with a key belongs to the window (Alt+Space opens its menu), as
    // in a native edit box: it types nothing, and the window sees it. Ctrl
    // with Alt is AltGr on Windows, which types.
    void altKeysTypeNothing_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("typed");
        QTest::newRow("Alt+Space") << int(Qt::Key_Space) << int(Qt::AltModifier) << QString();
        QTest::newRow("Alt+A") << int(Qt::Key_A) << int(Qt::AltModifier) << QString();
        QTest::newRow("Ctrl+Alt+Q, AltGr")
            << int(Qt::Key_Q) << int(Qt::ControlModifier | Qt::AltModifier) << QStringLiteral("q");
        QTest::newRow("Space") << int(Qt::Key_Space) << int(Qt::NoModifier) << QStringLiteral(" ");
    }
    void altKeysTypeNothing() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, typed);
        Box box;
        // The text a keyboard gives with the key, whatever the modifiers.
        const QString text =
            key == Qt::Key_Space ? QStringLiteral(" ") : QString(QChar(key)).toLower();
        QKeyEvent override(QEvent::ShortcutOverride, key, Qt::KeyboardModifiers(modifiers), text);
        QApplication::sendEvent(&box.memo, &override);
        QCOMPARE(override.isAccepted(), !typed.isEmpty());
        box.key(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(box.held(), typed);
    }

    void undoAndRedo() {
        Box box;
        box.memo.setText("start");
        QVERIFY(!box.memo.isUndoAvailable()); // setting the text starts afresh
        box.key(Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(&box.memo, " more");
        box.memo.selectAll();
        box.key(Qt::Key_Delete);
        QCOMPARE(box.held(), QString());
        box.key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box.held(), QStringLiteral("start more"));
        QCOMPARE(box.memo.selectedText(), QStringLiteral("start more")); // what came back
        box.key(Qt::Key_Z, Qt::ControlModifier);                         // the typing, in one step
        QCOMPARE(box.held(), QStringLiteral("start"));
        box.key(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(box.held(), QStringLiteral("start more"));
    }

    // A deletion too large for the history is not kept: the history holds
    // nothing then, and what it held before is gone too.
    void hugeDeletionsAreNotKept() {
        Box box;
        std::string huge; // more than the history keeps
        huge.resize(std::size_t(UndoHistoryLimit) + 1000, 'x');
        box.memo.setText(huge);
        box.memo.setCursorPosition(5);
        QTest::keyClicks(&box.memo, "ab");
        box.memo.selectAll();
        box.key(Qt::Key_Delete);
        QCOMPARE(box.memo.length(), qsizetype(0));
        QCOMPARE(box.memo.undoHistoryUnits(), qsizetype(0));
        QVERIFY(!box.memo.isUndoAvailable());
        // A small one is kept.
        box.memo.setText("small text");
        box.memo.selectAll();
        box.key(Qt::Key_Delete);
        QVERIFY(box.memo.isUndoAvailable());
        QCOMPARE(box.memo.undoHistoryUnits(), qsizetype(10));
    }

    // ---- The clipboard, drops and the menu ---------------------------------

    void pasteTakesAnyNewlineUpToAZero() {
        Box box;
        QApplication::clipboard()->setText(QString::fromUtf16(u"a\nb\r\nc\rd\0tail", 13));
        box.memo.paste();
        QCOMPARE(bytes(box.memo.text()), QByteArray("a\r\nb\r\nc\r\nd"));
    }

    // Copied text is exactly the selected characters; between two boxes even
    // a lone CR or LF goes across unchanged.
    void copyGivesTheSelectedCharacters() {
        Box box;
        box.memo.setText("one\r\ntwo\rthree\nfour");
        box.memo.setSelection(1, 16);
        box.memo.copy();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("ne\ntwo\rthree\nf"));
        Box other;
        other.memo.paste();
        QCOMPARE(bytes(other.memo.text()), QByteArray("ne\r\ntwo\rthree\nf"));

        box.memo.setSelection(0, 3);
        box.memo.cut();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("one"));
        QCOMPARE(bytes(box.memo.text()), QByteArray("\r\ntwo\rthree\nfour"));
    }

    void dropInsertsAtThePoint() {
        Box box;
        box.memo.setText("abcdef");
        QMimeData data;
        data.setText(QStringLiteral("X\nY"));
        // The point right of the text's end on the first line.
        sendDrop(box.memo, data, QPoint(300, 8));
        QCOMPARE(bytes(box.memo.text()), QByteArray("abcdefX\r\nY"));
        QCOMPARE(box.memo.selectedText(), QStringLiteral("X\r\nY"));
        box.memo.undo();
        QCOMPARE(bytes(box.memo.text()), QByteArray("abcdef"));
    }

    void contextMenuOffersTheCommands() {
        Box box;
        box.memo.setText("some text");
        box.memo.setSelection(0, 4);
        std::unique_ptr<QMenu> menu(box.memo.createStandardContextMenu());
        QStringList enabled;
        for (QAction* action : menu->actions())
            if (!action->isSeparator() && action->isEnabled())
                enabled << action->text().remove(u'&');
        QCOMPARE(enabled, (QStringList{"Cut", "Copy", "Paste", "Delete", "Select All"}));
        for (QAction* action : menu->actions())
            if (action->text() == QStringLiteral("Cu&t"))
                action->trigger();
        QCOMPARE(box.held(), QStringLiteral(" text"));
        std::unique_ptr<QMenu> after(box.memo.createStandardContextMenu());
        QVERIFY(after->actions().first()->isEnabled()); // Undo
    }

    // ---- The input method ----------------------------------------------------

    void inputMethodComposesAtTheCaret() {
        Box box;
        box.memo.setText("ab");
        box.memo.setCursorPosition(1);
        const QRect before = box.memo.inputMethodQuery(Qt::ImCursorRectangle).toRect();
        QInputMethodEvent compose(QStringLiteral("zhong"), {});
        QApplication::sendEvent(&box.memo, &compose);
        QCOMPARE(box.held(), QStringLiteral("ab")); // composing is not text yet
        const QRect composing = box.memo.inputMethodQuery(Qt::ImCursorRectangle).toRect();
        QVERIFY(composing.left() > before.left()); // the caret follows the preedit text

        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("中"));
        QApplication::sendEvent(&box.memo, &commit);
        QCOMPARE(box.held(), QStringLiteral("a中b"));
        QCOMPARE(box.memo.cursorPosition(), qsizetype(2));
        QCOMPARE(box.memo.inputMethodQuery(Qt::ImSurroundingText).toString(),
                 QStringLiteral("a中b"));
        QCOMPARE(box.memo.inputMethodQuery(Qt::ImCursorPosition).toInt(), 2);
    }

    // ---- The screen reader ----------------------------------------------------

    void screenReaderReadsTextAndCaret() {
        Box box("UTF-8", QSize(120, 135));
        box.memo.setAccessibleName(QStringLiteral("Input"));
        box.memo.setText("first words wrap here\r\nsecond");
        box.memo.setCursorPosition(3);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&box.memo);
        QVERIFY(accessible);
        QCOMPARE(accessible->role(), QAccessible::EditableText);
        QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("Input"));
        QVERIFY(accessible->state().multiLine);
        QVERIFY(accessible->state().editable);
        QAccessibleTextInterface* text = accessible->textInterface();
        QVERIFY(text);
        QCOMPARE(text->characterCount(), 29);
        QCOMPARE(text->cursorPosition(), 3);
        QCOMPARE(text->text(0, 5), QStringLiteral("first"));
        int start = 0;
        int end = 0;
        QCOMPARE(text->textAtOffset(8, QAccessible::WordBoundary, &start, &end),
                 QStringLiteral("words"));
        QCOMPARE(text->textAtOffset(25, QAccessible::ParagraphBoundary, &start, &end),
                 QStringLiteral("second"));
        // A visual line, as the box shows it.
        const QString line = text->textAtOffset(0, QAccessible::LineBoundary, &start, &end);
        QCOMPARE(start, 0);
        QCOMPARE(end, int(box.memo.visualLineStart(1)));
        QVERIFY(line.size() < 21);
        text->setCursorPosition(6);
        QCOMPARE(box.memo.cursorPosition(), qsizetype(6));
        QAccessibleEditableTextInterface* editable = accessible->editableTextInterface();
        QVERIFY(editable);
        editable->insertText(0, QStringLiteral(">\n"));
        QCOMPARE(bytes(box.memo.text()), QByteArray(">\r\nfirst words wrap here\r\nsecond"));
    }

    // ---- How the box is made -------------------------------------------------

    void boxBehavesAsTheEditControl() {
        TMemo memo;
        QCOMPARE(memo.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(memo.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(memo.frameShadow(), QFrame::Sunken);
        QVERIFY(memo.tabChangesFocus());
        QVERIFY(memo.testAttribute(Qt::WA_InputMethodEnabled));
        QVERIFY(memo.acceptDrops());
        QCOMPARE(memo.viewport()->backgroundRole(), QPalette::Base);
    }
};

QTEST_MAIN(TestMemo)
#include "test_memo.moc"

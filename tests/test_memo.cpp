#include "Bytes.h"
#include "widgets/Memo.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QTextBlock>

using platform::CodePage;
using platform::TMemo;

using testsupport::bytes;
using testsupport::str;

namespace {

// A box with a known code page, shown at a size like the window's.
struct Box {
    TMemo memo;
    explicit Box(const char* page = "UTF-8") {
        memo.setCodePage(CodePage::named(page));
        memo.resize(407, 135);
        memo.show();
    }
};

void typeAt(TMemo& memo, int position, Qt::Key key) {
    QTextCursor cursor = memo.textCursor();
    cursor.setPosition(position);
    memo.setTextCursor(cursor);
    QTest::keyClick(&memo, key);
}

} // namespace

class TestMemo : public QObject {
    Q_OBJECT

private slots:
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
    }
    void setThenRead() {
        QFETCH(QByteArray, set);
        QFETCH(QByteArray, read);
        Box box;
        box.memo.setText(str(set));
        QCOMPARE(bytes(box.memo.text()), read);
    }

    void gbkBytesShowAsTheirCharacter() {
        Box box("GBK");
        box.memo.setText("\xD6\xD0");
        QCOMPARE(box.memo.toPlainText(), QStringLiteral("中"));
        QCOMPARE(bytes(box.memo.text()), QByteArray("\xD6\xD0"));
    }

    void longLineIsSplitIntoBlocksButReadsAsOneLine() {
        Box box;
        std::string line;
        for (int i = 0; i < 5 * TMemo::ChunkChars + 7; ++i)
            line += char('A' + i % 26);
        const std::string text = line + "\r\nend";
        box.memo.setText(text);
        QVERIFY(box.memo.document()->blockCount() >= 6);
        QCOMPARE(box.memo.text(), text);
    }

    void editsAroundSoftBreaksKeepTheText() {
        Box box;
        const std::string line(3 * TMemo::ChunkChars, 'x');
        box.memo.setText(line);
        const int secondBlock = box.memo.document()->findBlockByNumber(1).position();

        // Enter inside a continued block breaks the line there and nowhere else.
        typeAt(box.memo, secondBlock + 5, Qt::Key_Return);
        std::string expected = line;
        expected.insert(std::size_t(TMemo::ChunkChars) + 5, "\r\n");
        QCOMPARE(box.memo.text(), expected);

        // Backspace takes that break away again.
        QTest::keyClick(&box.memo, Qt::Key_Backspace);
        QCOMPARE(box.memo.text(), line);

        // Joining a block to the continued one after it keeps one line.
        typeAt(box.memo, secondBlock, Qt::Key_Backspace);
        QCOMPARE(box.memo.text(), line);

        // Undo gives the text back as it was.
        box.memo.undo();
        QCOMPARE(box.memo.text(), line);
    }

    void typingIsReadBack() {
        Box box;
        box.memo.setFocus();
        QTest::keyClicks(&box.memo, "ab");
        QTest::keyClick(&box.memo, Qt::Key_Return);
        QTest::keyClicks(&box.memo, "c");
        QCOMPARE(bytes(box.memo.text()), QByteArray("ab\r\nc"));
    }

    void pasteTakesAnyNewlineAndLongLines() {
        Box box;
        const QString longLine(4 * TMemo::ChunkChars, u'y');
        QApplication::clipboard()->setText(QStringLiteral("a\nb\r\nc\rd") + longLine);
        box.memo.paste();
        QCOMPARE(bytes(box.memo.text()), QByteArray("a\r\nb\r\nc\r\nd") + longLine.toLatin1());
        QVERIFY(box.memo.document()->blockCount() > 4);
    }

    // A long line leaves the box whole: no soft break reaches the clipboard.
    void copyGivesTheLinesAsTheyAre() {
        Box box;
        std::string line(3 * TMemo::ChunkChars + 5, 'Q');
        line[TMemo::ChunkChars] = '\r'; // a lone CR inside the line
        box.memo.setText(line + "\r\nnext");
        box.memo.selectAll();
        box.memo.copy();
        QString expected =
            QString::fromLatin1(line.data(), qsizetype(line.size())) + QStringLiteral("\nnext");
        QCOMPARE(QApplication::clipboard()->text(), expected);
    }

    void settingTheSameTextLeavesTheBoxUntouched() {
        Box box;
        box.memo.setText("first line\r\nsecond line");
        QTextCursor cursor = box.memo.textCursor();
        cursor.setPosition(2);
        cursor.setPosition(8, QTextCursor::KeepAnchor);
        box.memo.setTextCursor(cursor);
        bool changed = false;
        connect(box.memo.document(), &QTextDocument::contentsChanged, this,
                [&] { changed = true; });

        box.memo.setText("first line\r\nsecond line");
        QVERIFY(!changed);
        QCOMPARE(box.memo.textCursor().anchor(), 2);
        QCOMPARE(box.memo.textCursor().position(), 8);

        box.memo.setText("other");
        QVERIFY(changed);
        QCOMPARE(bytes(box.memo.text()), QByteArray("other"));
    }

    // The box holds only the bytes before a zero, never the whole text, so
    // such a text is set again each time.
    void textWithAZeroByteIsSetEveryTime() {
        Box box;
        const std::string withZero("first line\0tail", 15);
        box.memo.setText(withZero);
        QCOMPARE(box.memo.text(), std::string("first line"));
        bool changed = false;
        connect(box.memo.document(), &QTextDocument::contentsChanged, this,
                [&] { changed = true; });
        box.memo.setText(withZero);
        QVERIFY(changed);
        QCOMPARE(box.memo.text(), std::string("first line"));
    }

    void wrapBreaksAreNotPartOfTheText() {
        Box box;
        box.memo.resize(60, 200);
        const std::string text = "a long line that wraps several times in a narrow box";
        box.memo.setText(text);
        QApplication::processEvents();
        QVERIFY(box.memo.document()->firstBlock().layout()->lineCount() > 1);
        QCOMPARE(box.memo.text(), text);
    }

    void boxBehavesAsTheEditControl() {
        TMemo memo;
        QCOMPARE(memo.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(memo.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(memo.lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QVERIFY(!memo.isReadOnly());
    }
};

QTEST_MAIN(TestMemo)
#include "test_memo.moc"

// The text box on a real X screen with a window manager, driven by real X
// input from xdotool: typing, the clipboard between two boxes, and dragging
// a selection to move it. tests/desktop/run-on-x gives the screen.

#include "widgets/Memo.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QTest>
#include <QWidget>

using platform::TMemo;

namespace {

// Runs xdotool with the arguments; it may chain commands and sleeps.
void xdotool(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    QVERIFY(process.waitForStarted());
    // The test's own window must go on answering while xdotool works.
    QDeadlineTimer deadline(20000);
    while (process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        process.waitForFinished(10);
    }
    QVERIFY2(process.state() == QProcess::NotRunning, qPrintable(arguments.join(u' ')));
    QCOMPARE(process.exitCode(), 0);
}

QString number(int value) {
    return QString::number(value);
}

// Two boxes in a window, shown and active.
struct Window {
    QWidget window;
    TMemo* upper = new TMemo(&window);
    TMemo* lower = new TMemo(&window);
    Window() {
        window.resize(420, 320);
        upper->setGeometry(10, 10, 400, 140);
        lower->setGeometry(10, 170, 400, 140);
        window.show();
    }
    bool ready() {
        if (!QTest::qWaitForWindowExposed(&window))
            return false;
        xdotool({"windowactivate", "--sync", QString::number(window.winId())});
        return QTest::qWaitForWindowActive(&window);
    }
    // Where a position of a box is on the screen: its caret's place there.
    static QPoint onScreen(TMemo* box, qsizetype position) {
        box->setCursorPosition(position);
        return box->viewport()->mapToGlobal(box->cursorRect().center());
    }
};

QStringList moveTo(QPoint point) {
    return {"mousemove", number(point.x()), number(point.y())};
}

} // namespace

class TestMemoDesktop : public QObject {
    Q_OBJECT

private slots:
    void typedKeysAndTheClipboard() {
        Window shown;
        QVERIFY(shown.ready());
        shown.upper->setFocus();
        xdotool({"type", "--delay", "20", "abc def"});
        xdotool({"key", "Return", "x", "ctrl+a", "ctrl+c", "Tab", "ctrl+v", "ctrl+v"});
        QTRY_COMPARE(shown.lower->unicodeText(), QStringLiteral("abc def\r\nxabc def\r\nx"));
        QCOMPARE(shown.upper->unicodeText(), QStringLiteral("abc def\r\nx"));
        xdotool({"key", "ctrl+z"});
        QTRY_COMPARE(shown.lower->unicodeText(), QStringLiteral("abc def\r\nx"));
    }

    // A selection dragged with the mouse moves to where it is dropped, and
    // one undo puts it back.
    void dragMovesTheSelection() {
        Window shown;
        QVERIFY(shown.ready());
        shown.upper->setText("hello world");
        shown.upper->setSelection(0, 5);
        shown.upper->setFocus();
        // From inside "hello" to the text's end.
        const QPoint from = Window::onScreen(shown.upper, 2);
        const QPoint to = Window::onScreen(shown.upper, 11) + QPoint(2, 0);
        shown.upper->setSelection(0, 5);
        QStringList drag = moveTo(from);
        drag << "mousedown"
             << "1"
             << "sleep"
             << "0.2";
        for (int step = 1; step <= 5; ++step)
            drag << moveTo(from + (to - from) * step / 5) << "sleep"
                 << "0.1";
        drag << "mouseup"
             << "1";
        xdotool(drag);
        QTRY_COMPARE(shown.upper->unicodeText(), QStringLiteral(" worldhello"));
        shown.upper->undo();
        QCOMPARE(shown.upper->unicodeText(), QStringLiteral("hello world"));
    }

    // Dragged into the other box, the text leaves the first one.
    void dragMovesIntoTheOtherBox() {
        Window shown;
        QVERIFY(shown.ready());
        shown.upper->setText("move me");
        const QPoint from = Window::onScreen(shown.upper, 2);
        shown.upper->selectAll();
        const QPoint to = shown.lower->viewport()->mapToGlobal(QPoint(20, 10));
        QStringList drag = moveTo(from);
        drag << "mousedown"
             << "1"
             << "sleep"
             << "0.2";
        for (int step = 1; step <= 5; ++step)
            drag << moveTo(from + (to - from) * step / 5) << "sleep"
                 << "0.1";
        drag << "mouseup"
             << "1";
        xdotool(drag);
        QTRY_COMPARE(shown.lower->unicodeText(), QStringLiteral("move me"));
        QTRY_COMPARE(shown.upper->unicodeText(), QString());
    }
};

QTEST_MAIN(TestMemoDesktop)
#include "test_memo_desktop.moc"

// The real program on a real desktop: a virtual X screen with the window
// manager named by KALVOR_DESKTOP_WM ("openbox", "xfwm4", "metacity", or
// "none" for a bare screen), driven through XTEST as a user drives it, so
// that the window manager sees every press and drag.

#include "DesktopSession.h"
#include "communal/Base64.h"
#include "window/UnitMain.h"

#include <QElapsedTimer>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <functional>

using testsupport::DesktopProgram;
using testsupport::DesktopSession;
using testsupport::toRect;

namespace {

const QSize NormalSize(578, 450);
const int RolledUpHeight = 32;
const QString Title = QString::fromUtf16(ApplicationTitle);

QStringList point(QPoint p) {
    return {QString::number(p.x()), QString::number(p.y())};
}

QRect controlRect(const QJsonObject& state, const char* name) {
    return toRect(state.value("controls").toObject().value(name).toObject().value("rect"));
}

bool near(QRect a, QRect b) {
    return (a.topLeft() - b.topLeft()).manhattanLength() <= 1 &&
           std::abs(a.width() - b.width()) <= 1 && std::abs(a.height() - b.height()) <= 1;
}

// How dark the darkest pixel of the rectangle is, 0 (white) to 255 (black).
int darkness(const QImage& image, QRect rect) {
    int darkest = 0;
    rect &= image.rect();
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            darkest = std::max(darkest, 255 - qGray(image.pixel(x, y)));
    return darkest;
}

// How many pixels of the rectangle are a grey darker than the boxes' white
// and than the panels' blue: the boxes' border, alone or blended.
int greyPixels(const QImage& image, QRect rect) {
    int count = 0;
    rect &= image.rect();
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor p = image.pixelColor(x, y);
            count += std::abs(p.red() - p.green()) < 12 && std::abs(p.green() - p.blue()) < 12 &&
                     p.red() < 200;
        }
    return count;
}

// How many pixels of the two rectangles' borders, two pixels wide, differ
// clearly: the rectangles are of one size.
int borderDifference(const QImage& image, QRect a, QRect b) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const bool onBorder = x < 2 || y < 2 || x >= a.width() - 2 || y >= a.height() - 2;
            if (!onBorder)
                continue;
            const QColor p = image.pixelColor(a.topLeft() + QPoint(x, y));
            const QColor q = image.pixelColor(b.topLeft() + QPoint(x, y));
            if (std::abs(p.red() - q.red()) + std::abs(p.green() - q.green()) +
                    std::abs(p.blue() - q.blue()) >
                40)
                ++count;
        }
    return count;
}

} // namespace

class TestDesktop : public QObject {
    Q_OBJECT

    std::unique_ptr<DesktopSession> session_;
    std::unique_ptr<DesktopProgram> program_;
    QTemporaryDir pictures_;

    DesktopSession& desktop() { return *session_; }
    DesktopProgram& program() { return *program_; }

    bool startProgram(const QString& scaleFactor = {}) {
        program_ = std::make_unique<DesktopProgram>(desktop(), scaleFactor);
        if (program_->start())
            return true;
        qWarning() << program_->errorString();
        return false;
    }

    QRect onScreen() { return desktop().windowGeometry(program().winId()); }

    // The window's place on the screen and in Qt's count, once both agree
    // and stand still; an empty rectangle when they never do.
    QRect settled() {
        QRect last;
        int same = 0;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 4000) {
            const QJsonObject state = program().state();
            const QRect screen = onScreen();
            const QRect qt = toRect(state.value("geometry"));
            if (screen == qt && screen == last) {
                if (++same >= 2)
                    return screen;
            } else {
                same = 0;
            }
            last = screen;
            QThread::msleep(60);
        }
        return {};
    }

    // Where a control or caption button of the window is on the screen now.
    QRect controlOnScreen(const char* name) {
        return controlRect(program().state(), name).translated(onScreen().topLeft());
    }

    // xdotool's own waiting for the pointer to arrive hangs when it is there
    // already; a moment's pause does instead.
    void moveTo(QPoint at) {
        QVERIFY(desktop().xdotool(QStringList{"mousemove"} + point(at)));
        QThread::msleep(40);
    }

    void click(QPoint at, int button = 1) {
        moveTo(at);
        QVERIFY(desktop().xdotool({"click", QString::number(button)}));
    }
    void clickControl(const char* name) { click(controlOnScreen(name).center()); }

    // Presses at from, moves the pointer to to in a few steps, releases.
    void drag(QPoint from, QPoint to) {
        moveTo(from);
        QVERIFY(desktop().xdotool({"mousedown", "1"}));
        for (int step = 1; step <= 5; ++step) {
            const QPoint at = from + (to - from) * step / 5;
            moveTo(at);
            QThread::msleep(30);
        }
        QThread::msleep(100);
        QVERIFY(desktop().xdotool({"mouseup", "1"}));
    }

    void key(const QString& keys) { QVERIFY(desktop().xdotool({"key", "--delay", "60", keys})); }

    QJsonObject waitForMenu() {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 3000) {
            QJsonObject menu = program().state().value("menu").toObject();
            if (!menu.isEmpty())
                return menu;
            QThread::msleep(50);
        }
        return {};
    }

    void chooseFromMenu(const QString& item) {
        const QJsonObject menu = waitForMenu();
        for (const QJsonValue entry : menu.value("items").toArray()) {
            if (entry.toObject().value("text").toString() == item) {
                click(toRect(entry.toObject().value("rect")).center());
                return;
            }
        }
        QFAIL(qPrintable("no menu item " + item));
    }

    bool waitUntil(const std::function<bool(const QJsonObject&)>& condition, int ms = 4000) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms) {
            if (condition(program().state()))
                return true;
            QThread::msleep(50);
        }
        return false;
    }

    QImage grabScreen() {
        const QString file = pictures_.filePath(QStringLiteral("screen.png"));
        if (!program().ask("grab " + file).value("saved").toBool())
            return {};
        return QImage(file).convertToFormat(QImage::Format_RGB32);
    }

    // The window's caption band, away from the caption buttons.
    QPoint onCaption() { return onScreen().topLeft() + QPoint(100, 12); }

    void runAction(const QString& action) {
        if (action == u"max")
            clickControl("maximizeButton");
        else if (action == u"roll")
            clickControl("rollUpButton");
        else if (action == u"dbl") {
            moveTo(onCaption());
            QVERIFY(desktop().xdotool({"click", "--repeat", "2", "--delay", "80", "1"}));
        } else if (action == u"min") {
            clickControl("minimizeButton");
            QVERIFY(waitUntil([](const QJsonObject& s) { return s.value("minimized").toBool(); }));
        } else if (action == u"activate") {
            QVERIFY(desktop().xdotool({"windowactivate", program().winId()}));
            QVERIFY(waitUntil([](const QJsonObject& s) { return !s.value("minimized").toBool(); }));
        } else {
            // A command of the window menu, by its text.
            clickControl("menuButton");
            chooseFromMenu(action);
        }
        QVERIFY(!settled().isEmpty());
    }

private slots:
    void initTestCase() {
        const QString manager = qEnvironmentVariable("KALVOR_DESKTOP_WM", "openbox");
        session_ = std::make_unique<DesktopSession>(manager);
        QVERIFY2(session_->start(), qPrintable(session_->errorString()));
        QVERIFY(pictures_.isValid());
    }

    void cleanup() {
        program_.reset();
        session_->stopTrayHost();
    }

    void cleanupTestCase() {
        program_.reset();
        session_.reset();
    }

    // From the first moment on, Qt counts from where the window really is:
    // the window menu opens under its button.
    void windowMenuOpensUnderItsButton() {
        for (int start = 0; start < 3; ++start) {
            QVERIFY(startProgram());
            const QRect button = controlOnScreen("menuButton");
            click(button.center());
            const QJsonObject menu = waitForMenu();
            QVERIFY(!menu.isEmpty());
            QCOMPARE(toRect(menu.value("rect")).topLeft(), button.bottomLeft() + QPoint(0, 1));
            key("Escape");
            program_.reset();
        }
    }

    void captionDragMovesWithThePointer_data() {
        QTest::addColumn<QPoint>("delta");
        QTest::newRow("right and down") << QPoint(100, 80);
        QTest::newRow("left and up") << QPoint(-120, -60);
        QTest::newRow("a little") << QPoint(12, 3);
    }
    void captionDragMovesWithThePointer() {
        QFETCH(QPoint, delta);
        QVERIFY(startProgram());
        const QRect start = settled();
        QCOMPARE(start.size(), NormalSize);
        drag(onCaption(), onCaption() + delta);
        QCOMPARE(settled(), start.translated(delta));
    }

    void edgeDragResizesByThePointersMovement_data() {
        QTest::addColumn<QPoint>("grip"); // in the window; negative from the right or bottom
        QTest::addColumn<QPoint>("delta");
        QTest::addColumn<QMargins>("change"); // how far each edge moves: left, top, right, bottom
        QTest::newRow("bottom right corner")
            << QPoint(-2, -2) << QPoint(100, 100) << QMargins(0, 0, 100, 100);
        QTest::newRow("right edge") << QPoint(-1, 200) << QPoint(50, 30) << QMargins(0, 0, 50, 0);
        QTest::newRow("bottom edge") << QPoint(200, -1) << QPoint(20, 40) << QMargins(0, 0, 0, 40);
        QTest::newRow("left edge") << QPoint(0, 200) << QPoint(-30, 10) << QMargins(-30, 0, 0, 0);
        QTest::newRow("top left corner")
            << QPoint(6, 1) << QPoint(-20, -10) << QMargins(-20, -10, 0, 0);
        QTest::newRow("narrower") << QPoint(-1, 200) << QPoint(-60, 0) << QMargins(0, 0, -60, 0);
    }
    void edgeDragResizesByThePointersMovement() {
        QFETCH(QPoint, grip);
        QFETCH(QPoint, delta);
        QFETCH(QMargins, change);
        QVERIFY(startProgram());
        const QRect start = settled();
        const QPoint at(grip.x() < 0 ? start.right() + 1 + grip.x() : start.left() + grip.x(),
                        grip.y() < 0 ? start.bottom() + 1 + grip.y() : start.top() + grip.y());
        drag(at, at + delta);
        const QRect expected(
            QPoint(start.left() + change.left(), start.top() + change.top()),
            QPoint(start.right() + change.right(), start.bottom() + change.bottom()));
        QCOMPARE(settled(), expected);
    }

    // Sequences of window commands, by the caption buttons ("max", "roll"),
    // a caption double-click ("dbl"), the window menu (by item) and the
    // minimize button with the window brought back ("min", "activate"), and
    // the state each ends in.
    void stateSequences_data() {
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QString>("end"); // normal, maximized or rolled up
        auto row = [](const char* name, const QStringList& actions, const char* end) {
            QTest::newRow(name) << actions << QString::fromLatin1(end);
        };
        row("maximize", {"max"}, "maximized");
        row("maximize, button again", {"max", "max"}, "normal");
        row("maximize, menu restore", {"max", "Restore"}, "normal");
        row("menu maximize", {"Maximize"}, "maximized");
        row("caption double-click", {"dbl"}, "maximized");
        row("caption double-click twice", {"dbl", "dbl"}, "normal");
        row("maximize, caption double-click", {"max", "dbl"}, "normal");
        row("roll up", {"roll"}, "rolled up");
        row("menu roll up", {"Roll up"}, "rolled up");
        row("roll up twice", {"roll", "roll"}, "normal");
        row("roll up, menu restore", {"roll", "Restore"}, "normal");
        row("roll up, maximize", {"roll", "max"}, "maximized");
        row("roll up, maximize, restore", {"roll", "max", "max"}, "normal");
        row("maximize, roll up", {"max", "roll"}, "rolled up");
        row("maximize, roll up twice", {"max", "roll", "roll"}, "maximized");
        row("maximize, roll up twice, restore", {"max", "roll", "roll", "Restore"}, "normal");
        row("maximize, roll up twice, button", {"max", "roll", "roll", "max"}, "normal");
        row("maximize, roll up, menu restore", {"max", "roll", "Restore"}, "normal");
        row("maximize, roll up, maximize, restore", {"max", "roll", "max", "Restore"}, "normal");
        row("minimize, back", {"min", "activate"}, "normal");
        row("maximize, minimize, back", {"max", "min", "activate"}, "maximized");
    }
    void stateSequences() {
        QFETCH(QStringList, actions);
        QFETCH(QString, end);
        if (actions.contains("min") && !desktop().hasWindowManager())
            QSKIP("a bare X screen has nowhere to minimize a window to");
        QVERIFY(startProgram());
        const QRect start = settled();
        for (const QString& action : actions) {
            runAction(action);
            if (QTest::currentTestFailed())
                return;
        }
        const QJsonObject state = program().state();
        const QRect now = settled();
        if (end == u"maximized") {
            QVERIFY(state.value("maximized").toBool());
            QCOMPARE(now, toRect(state.value("available")));
        } else if (end == u"rolled up") {
            QVERIFY(state.value("rolledUp").toBool());
            QCOMPARE(now, QRect(start.topLeft(), QSize(NormalSize.width(), RolledUpHeight)));
        } else {
            QVERIFY(!state.value("maximized").toBool());
            QVERIFY(!state.value("rolledUp").toBool());
            QCOMPARE(now, start);
        }
        QVERIFY(!state.value("minimized").toBool());
    }

    // Before any click: the keyboard is the window's, Tab walks through
    // the controls and shows where it is, and only the focused box shows
    // its caret.
    void tabMovesAndShowsTheFocus() {
        QVERIFY(startProgram());
        QVERIFY(waitUntil([](const QJsonObject& s) {
            return s.value("active").toBool() && s.value("focus").toString() == u"Memo1";
        }));
        const QStringList order{"Memo2", "bsSkinButton1", "bsSkinButton2", "btn1", "Memo1"};
        for (const QString& next : order) {
            key("Tab");
            QVERIFY2(waitUntil(
                         [&](const QJsonObject& s) { return s.value("focus").toString() == next; }),
                     qPrintable(next));
            if (next.startsWith("bsSkinButton")) {
                // The focus frame: a dotted outline that the other button,
                // at rest, does not have.
                const QImage screen = grabScreen();
                const QRect focused = controlOnScreen(next.toLatin1().constData());
                const QRect other =
                    controlOnScreen(next == u"bsSkinButton1" ? "bsSkinButton2" : "bsSkinButton1");
                QVERIFY(borderDifference(screen, focused, other) > 40);
            }
        }
        key("shift+Tab");
        QVERIFY(waitUntil([](const QJsonObject& s) { return s.value("focus") == "btn1"; }));
    }

    void onlyTheFocusedBoxShowsACaret() {
        QVERIFY(startProgram());
        QVERIFY(waitUntil([](const QJsonObject& s) { return s.value("active").toBool(); }));
        for (const char* focused : {"Memo1", "Memo2"}) {
            if (QByteArray(focused) == "Memo2")
                key("Tab");
            QVERIFY(waitUntil([&](const QJsonObject& s) { return s.value("focus") == focused; }));
            const QJsonObject state = program().state();
            const QPoint origin = onScreen().topLeft();
            auto caret = [&](const char* memo) {
                return toRect(
                           state.value("controls").toObject().value(memo).toObject().value("caret"))
                    .translated(origin);
            };
            const char* other = QByteArray(focused) == "Memo1" ? "Memo2" : "Memo1";
            // The caret blinks: a few pictures over more than one blink.
            int focusedDark = 0, otherDark = 0;
            for (int shot = 0; shot < 6; ++shot) {
                const QImage screen = grabScreen();
                focusedDark = std::max(focusedDark, darkness(screen, caret(focused)));
                otherDark = std::max(otherDark, darkness(screen, caret(other)));
                QThread::msleep(230);
            }
            QVERIFY2(focusedDark > 128, focused);
            QVERIFY2(otherDark < 64, other);
        }
    }

    void commandsRunFromTheMouseAndTheKeyboard() {
        QVERIFY(startProgram());
        const QString encoded = QString::fromLatin1(communal::Base64Encode(initialMemo1Text()));
        clickControl("bsSkinButton1");
        QVERIFY(waitUntil([&](const QJsonObject& s) { return s.value("memo2") == encoded; }));
        // Focus on "解密", then Enter: Memo1's text is not Base64, so the
        // decoder's fixed result replaces Memo2.
        key("Tab");
        QVERIFY(
            waitUntil([](const QJsonObject& s) { return s.value("focus") == "bsSkinButton2"; }));
        key("Return");
        QVERIFY(waitUntil([&](const QJsonObject& s) {
            return s.value("memo2") != encoded && !s.value("memo2").toString().isEmpty();
        }));
    }

    void closeEndsTheProgramPromptly() {
        QVERIFY(startProgram());
        settled();
        const QPoint close = controlOnScreen("closeButton").center();
        moveTo(close);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(desktop().xdotool({"click", "1"}));
        QVERIFY(program().waitForExit(5000));
        QVERIFY2(timer.elapsed() < 300, qPrintable(QString::number(timer.elapsed()) + " ms"));
    }

    void notificationArea() {
        QVERIFY2(desktop().startTrayHost(), qPrintable(desktop().errorString()));
        QVERIFY(startProgram());
        // The icon is there from the start.
        QVERIFY(waitUntil([](const QJsonObject& s) {
            return s.value("tray").toObject().value("visible").toBool();
        }));
        const QRect start = settled();
        // The icon sits in the host's panel at the top right of the screen.
        auto trayIcon = [&]() -> QPoint {
            const QRect icon = toRect(program().state().value("tray").toObject().value("rect"));
            const QRect panel(desktop().screenSize().width() - 120, 0, 120, 28);
            return panel.contains(icon) ? icon.center() : QPoint();
        };
        QVERIFY(!trayIcon().isNull());
        auto hidden = [](const QJsonObject& s) { return !s.value("visible").toBool(); };
        auto shown = [](const QJsonObject& s) { return s.value("visible").toBool(); };

        // Minimize hides the window to the icon; a click brings it back.
        clickControl("minimizeButton");
        QVERIFY(waitUntil(hidden));
        QVERIFY(desktop().visibleWindowsNamed(QStringLiteral("Kalvor base64")).isEmpty());
        click(trayIcon());
        QVERIFY(waitUntil(shown));
        QCOMPARE(settled(), start);

        // So does minimize to tray, and the icon's menu brings it back too.
        clickControl("trayButton");
        QVERIFY(waitUntil(hidden));
        click(trayIcon(), 3);
        chooseFromMenu("Restore");
        QVERIFY(waitUntil(shown));
        QCOMPARE(settled(), start);

        // Hidden again, the icon's menu closes the window and ends the program.
        clickControl("trayButton");
        QVERIFY(waitUntil(hidden));
        click(trayIcon(), 3);
        chooseFromMenu("Close");
        QVERIFY(program().waitForExit(3000));
        desktop().stopTrayHost();
    }

    void errorBoxCopiesAndCloses_data() {
        QTest::addColumn<QString>("closingKey");
        QTest::newRow("Enter") << "Return";
        QTest::newRow("Space") << "space";
        QTest::newRow("Escape") << "Escape";
    }
    void errorBoxCopiesAndCloses() {
        QFETCH(QString, closingKey);
        QVERIFY(startProgram());
        QVERIFY(program().ask("error Bitmap image is not valid").value("showing").toBool());
        // Keys go to the box once the window manager has given it the keyboard.
        QVERIFY(waitUntil([](const QJsonObject& s) {
            return s.value("errorBox").toObject().value("active").toBool();
        }));
        const QJsonObject box = program().state().value("errorBox").toObject();
        QCOMPARE(box.value("text").toString(), QStringLiteral("Bitmap image is not valid."));
        const QString boxId = box.value("winId").toString();
        QVERIFY(waitUntil(
            [&](const QJsonObject&) { return desktop().windowGeometry(boxId).width() > 0; }));

        key("ctrl+c");
        const QString dashes(27, u'-');
        const QString copied = dashes + "\n" + Title + "\n" + dashes +
                               "\nBitmap image is not valid.\n" + dashes + "\nOK\n" + dashes + "\n";
        QVERIFY(waitUntil([&](const QJsonObject& s) { return s.value("clipboard") == copied; }));

        // The message can be selected with the mouse: a double click takes a word.
        const QRect label =
            toRect(box.value("label")).translated(desktop().windowGeometry(boxId).topLeft());
        moveTo(label.topLeft() + QPoint(12, label.height() / 2));
        QVERIFY(desktop().xdotool({"click", "--repeat", "2", "--delay", "80", "1"}));
        QVERIFY(waitUntil([](const QJsonObject& s) {
            return s.value("errorBox").toObject().value("selected") == "Bitmap";
        }));
        key("ctrl+c");
        QVERIFY(waitUntil([](const QJsonObject& s) { return s.value("clipboard") == "Bitmap"; }));

        // The key closes the box, wherever the focus is in it; the program
        // carries on.
        key(closingKey);
        QVERIFY(waitUntil([](const QJsonObject& s) { return !s.contains("errorBox"); }));
        QVERIFY(program().isRunning());
    }

    // At other scale factors: the window in proportion, the layout as at
    // 1x in logical pixels, and the placeholders drawn at the screen's
    // pixel density.
    void highDensityScreens_data() {
        QTest::addColumn<QString>("factor");
        QTest::newRow("1.25") << "1.25";
        QTest::newRow("1.5") << "1.5";
        QTest::newRow("2") << "2";
    }
    void highDensityScreens() {
        QFETCH(QString, factor);
        const double scale = factor.toDouble();
        QVERIFY(startProgram());
        const QJsonObject atOne = program().state().value("controls").toObject();
        program_.reset();

        QVERIFY(startProgram(factor));
        const QJsonObject state = program().state();
        QCOMPARE(state.value("devicePixelRatio").toDouble(), scale);
        const QSize scaled(qRound(NormalSize.width() * scale), qRound(NormalSize.height() * scale));
        QVERIFY(waitUntil([&](const QJsonObject&) {
            return near(onScreen(), QRect(onScreen().topLeft(), scaled));
        }));
        // Every control where it is at 1x, in logical pixels; Qt reads a
        // window of 578 x 450 back as 577 x 449 at 1.5, so that the controls
        // that fill what is left may come out a pixel smaller.
        const QJsonObject controls = state.value("controls").toObject();
        for (const QString& name : atOne.keys()) {
            QVERIFY2(controls.contains(name), qPrintable(name));
            QVERIFY2(near(toRect(controls.value(name).toObject().value("rect")),
                          toRect(atOne.value(name).toObject().value("rect"))),
                     qPrintable(name + " in a window at " +
                                QJsonDocument(state.value("geometry").toArray()).toJson()));
        }
        // Both text boxes keep their whole border: a grey line all along
        // their top and bottom edges, in device pixels on the screen. The
        // window may still be settling: a few pictures are taken.
        const auto missingBorder = [&]() -> QString {
            const QImage screen = grabScreen();
            const QPoint origin = onScreen().topLeft();
            for (const char* box : {"Memo1", "Memo2"}) {
                const QRect logical = toRect(controls.value(box).toObject().value("rect"));
                const QRect device(
                    origin + QPoint(qRound(logical.x() * scale), qRound(logical.y() * scale)),
                    QSize(qRound(logical.width() * scale), qRound(logical.height() * scale)));
                for (int x = device.left() + 4; x < device.right() - 4; x += 7)
                    for (int edge : {device.top(), device.bottom()})
                        if (greyPixels(screen, QRect(x, edge - 2, 1, 5)) == 0)
                            return QStringLiteral("%1 at %2, %3").arg(box).arg(x).arg(edge);
            }
            return {};
        };
        QString missing;
        for (int shot = 0; shot < 10; ++shot) {
            missing = missingBorder();
            if (missing.isEmpty())
                break;
            QThread::msleep(200);
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing));
        // The placeholders are drawn at the screen's pixel density.
        for (const char* slot : {"img1", "img2"})
            QCOMPARE(controls.value(slot).toObject().value("bitmapDevicePixelRatio").toDouble(),
                     scale);
    }
};

QTEST_GUILESS_MAIN(TestDesktop)
#include "test_desktop.moc"

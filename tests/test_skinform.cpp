#include "frame/FrameGeometry.h"
#include "frame/SkinForm.h"
#include "skin/SkinData.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTest>

using platform::TbsBusinessSkinForm;

namespace {

const QString Caption = QString::fromUtf8("Kalvor Base64 加密解密器");
const QString Title = QString::fromUtf8("Kalvor base64 加密解密");
const QSize ClientSize(570, 418);
const QSize FormSize(570 + 2 * platform::frame::BorderWidth,
                     418 + platform::frame::CaptionHeight + platform::frame::BorderWidth);
const int RolledUpHeight = platform::frame::CaptionHeight + platform::frame::BorderWidth;

QIcon programIcon() {
    QPixmap picture(128, 128);
    picture.fill(Qt::darkBlue);
    return QIcon(picture);
}

// A real top-level window with the frame, set up as the program sets it up.
struct Window {
    QWidget form;
    TbsBusinessSkinForm* frame;

    Window()
        : frame(new TbsBusinessSkinForm(&form)) {
        form.setWindowTitle(Title);
        form.setWindowIcon(programIcon());
        frame->setCaption(Caption);
        frame->setClientSize(ClientSize);
    }
    bool show() {
        form.show();
        return QTest::qWaitForWindowExposed(&form);
    }
    QAbstractButton* button(const char* name) const {
        return frame->findChild<QAbstractButton*>(name);
    }
    QWidget* fade() const { return frame->findChild<QWidget*>("clientFade"); }
    void sendActivation(QEvent::Type type) {
        QEvent event(type);
        QApplication::sendEvent(&form, &event);
    }
};

// A mouse move with no button held.
void hover(QWidget* widget, QPoint pos) {
    QMouseEvent move(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

const char* const ButtonNames[] = {"menuButton",   "trayButton",     "minimizeButton",
                                   "rollUpButton", "maximizeButton", "closeButton"};

} // namespace

class TestSkinForm : public QObject {
    Q_OBJECT

private slots:
    void makesTheFormAFramelessTopLevelWindow() {
        Window window;
        QVERIFY(window.form.isWindow());
        QVERIFY(window.form.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(window.form.windowFlags() & Qt::WindowType_Mask, Qt::Window);
        QCOMPARE(window.frame->clientArea()->parentWidget(), window.frame);
        QCOMPARE(window.frame->clientArea()->focusPolicy(), Qt::NoFocus);
    }

    void clientAreaHasTheSizeAskedFor() {
        Window window;
        QCOMPARE(window.frame->clientArea()->size(), ClientSize);
        QCOMPARE(window.form.size(), FormSize);
        QVERIFY(window.show());
        QCOMPARE(window.frame->clientArea()->size(), ClientSize);
        QCOMPARE(window.frame->geometry(), window.form.rect());
    }

    void clientAreaFollowsTheWindowSize() {
        Window window;
        QVERIFY(window.show());
        window.form.resize(700, 500);
        QTRY_COMPARE(window.form.size(), QSize(700, 500));
        const QRect client = window.frame->clientArea()->geometry();
        QCOMPARE(client.size(),
                 QSize(700 - 2 * platform::frame::BorderWidth, 500 - RolledUpHeight));
        QCOMPARE(client.top(), platform::frame::CaptionHeight);
        // The caption buttons stay at the right end.
        const QAbstractButton* close = window.button("closeButton");
        QCOMPARE(close->geometry().right(), 700 - 1 - platform::frame::BorderWidth);
    }

    void centredInTheWorkAreaWhenFirstShown() {
        Window window;
        window.form.move(3, 5);
        QVERIFY(window.show());
        const QRect area = window.form.screen()->availableGeometry();
        const QRect expected =
            QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window.form.size(), area);
        QTRY_COMPARE(window.form.geometry(), expected);

        // Later showings keep the place the user gave the window.
        window.form.hide();
        window.form.move(expected.topLeft() + QPoint(20, 10));
        QVERIFY(window.show());
        QTRY_COMPARE(window.form.pos(), expected.topLeft() + QPoint(20, 10));
    }

    void captionIsTheFramesOwnText() {
        Window window;
        QCOMPARE(window.frame->caption(), Caption);
        // The taskbar title stays the application's.
        QCOMPARE(window.form.windowTitle(), Title);
        window.frame->setCaption("Other");
        QCOMPARE(window.frame->caption(), QString("Other"));
        QCOMPARE(window.form.windowTitle(), Title);
    }

    void captionFont() {
        Window window;
        const QFont font = window.frame->look().captionFont;
        QCOMPARE(font.family(), QString("Arial"));
        QCOMPARE(font.pixelSize(), 16);
        QVERIFY(font.bold());
    }

    void captionBarShowsNoIcon() {
        Window window;
        QVERIFY(window.show());
        QVERIFY(!window.form.windowIcon().isNull());
        QVERIFY(!window.frame->showIcon());
        QVERIFY(window.frame->captionIconRect().isEmpty());
        QVERIFY(window.frame->findChildren<QLabel*>().isEmpty());
        const int textLeft = window.frame->captionTextRect().left();
        QVERIFY(textLeft < 16);

        // Shown on request, the icon pushes the text to the right.
        window.frame->setShowIcon(true);
        const QRect icon = window.frame->captionIconRect();
        QVERIFY(!icon.isEmpty());
        QVERIFY(window.frame->captionTextRect().left() > icon.right());
    }

    void captionButtonsSitRightAlignedInTheCaptionBar() {
        Window window;
        QVERIFY(window.show());
        int previousRight = -1;
        for (const char* name : ButtonNames) {
            QAbstractButton* button = window.button(name);
            QVERIFY2(button, name);
            QVERIFY(button->isVisible());
            QVERIFY(button->geometry().left() > previousRight);
            QVERIFY(button->geometry().bottom() < platform::frame::CaptionHeight);
            QVERIFY(button->toolTip().isEmpty());
            QCOMPARE(button->focusPolicy(), Qt::NoFocus);
            previousRight = button->geometry().right();
        }
        QVERIFY(window.button("menuButton")->x() > window.form.width() / 2);
        QVERIFY(window.frame->captionTextRect().right() < window.button("menuButton")->x());
    }

    void systemMenuItems_data() {
        QTest::addColumn<bool>("maximized");
        QTest::addColumn<bool>("rolledUp");
        QTest::addColumn<bool>("minimized");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("normal") << false << false << false
                                << QStringList{"Minimize", "Maximize", "Roll up",
                                               "Minimize to tray", "Close"};
        QTest::newRow("maximized")
            << true << false << false
            << QStringList{"Minimize", "Restore", "Roll up", "Minimize to tray", "Close"};
        QTest::newRow("rolled up")
            << false << true << false
            << QStringList{"Minimize", "Restore", "Maximize", "Minimize to tray", "Close"};
        QTest::newRow("minimized")
            << false << false << true
            << QStringList{"Minimize", "Maximize", "Minimize to tray", "Close"};
        QTest::newRow("minimized from maximized")
            << true << false << true
            << QStringList{"Minimize", "Restore", "Minimize to tray", "Close"};
        QTest::newRow("minimized rolled up")
            << false << true << true
            << QStringList{"Minimize", "Restore", "Maximize", "Minimize to tray", "Close"};
    }
    void systemMenuItems() {
        QFETCH(bool, maximized);
        QFETCH(bool, rolledUp);
        QFETCH(bool, minimized);
        QFETCH(QStringList, items);
        Window window;
        QVERIFY(window.show());
        if (maximized)
            window.form.showMaximized();
        if (rolledUp)
            window.frame->setRolledUp(true);
        if (minimized)
            window.form.showMinimized();
        QCOMPARE(window.frame->systemMenuItems(), items);

        QStringList shown;
        for (QAction* action : window.frame->systemMenu()->actions()) {
            if (!action->isSeparator())
                shown << action->text();
        }
        QCOMPARE(shown, items);
    }

    void menuButtonOpensTheWindowMenu() {
        Window window;
        QVERIFY(window.show());
        QTest::mouseClick(window.button("menuButton"), Qt::LeftButton);
        auto* menu = window.frame->findChild<QMenu*>("systemMenu");
        QVERIFY(menu);
        QTRY_VERIFY(menu->isVisible());
        QVERIFY(menu->y() >= window.button("menuButton")->mapToGlobal(QPoint(0, 0)).y());
        menu->close();
    }

    void windowMenuItemsRunTheirCommands() {
        Window window;
        QVERIFY(window.show());
        auto trigger = [&](const QString& text) {
            for (QAction* action : window.frame->systemMenu()->actions()) {
                if (action->text() == text) {
                    action->trigger();
                    return true;
                }
            }
            return false;
        };
        QVERIFY(trigger("Maximize"));
        QTRY_VERIFY(window.form.isMaximized());
        QVERIFY(trigger("Restore"));
        QTRY_VERIFY(!window.form.isMaximized());
        QVERIFY(trigger("Roll up"));
        QTRY_VERIFY(window.frame->isRolledUp());
        QVERIFY(trigger("Restore"));
        QTRY_VERIFY(!window.frame->isRolledUp());
        QVERIFY(trigger("Close"));
        QTRY_VERIFY(!window.form.isVisible());
    }

    void rollUpFoldsToTheCaptionAndBack() {
        Window window;
        QVERIFY(window.show());
        const QRect before = window.form.geometry();
        QWidget* client = window.frame->clientArea();

        QTest::mouseClick(window.button("rollUpButton"), Qt::LeftButton);
        QVERIFY(window.frame->isRolledUp());
        QTRY_COMPARE(window.form.height(), RolledUpHeight);
        QCOMPARE(window.form.width(), before.width());
        QCOMPARE(window.form.pos(), before.topLeft());
        QVERIFY(client->isHidden());
        QCOMPARE(window.frame->height(), RolledUpHeight);

        QTest::mouseClick(window.button("rollUpButton"), Qt::LeftButton);
        QVERIFY(!window.frame->isRolledUp());
        QTRY_COMPARE(window.form.geometry(), before);
        QVERIFY(client->isVisible());
        QCOMPARE(client->size(), ClientSize);
        // The user can resize the height again.
        QCOMPARE(window.form.maximumHeight(), QWIDGETSIZE_MAX);
    }

    void rollingUpAMaximizedWindowUnrollsToMaximized() {
        Window window;
        QVERIFY(window.show());
        window.form.showMaximized();
        QTRY_VERIFY(window.form.isMaximized());
        window.frame->setRolledUp(true);
        QVERIFY(!window.form.isMaximized());
        QTRY_COMPARE(window.form.height(), RolledUpHeight);
        QTRY_COMPARE(window.form.width(), FormSize.width());

        window.frame->setRolledUp(false);
        QTRY_VERIFY(window.form.isMaximized());
        QVERIFY(window.frame->clientArea()->isVisible());
    }

    void maximizeWhileRolledUpUnrollsFirst() {
        Window window;
        QVERIFY(window.show());
        window.frame->setRolledUp(true);
        QTest::mouseClick(window.button("maximizeButton"), Qt::LeftButton);
        QVERIFY(!window.frame->isRolledUp());
        QTRY_VERIFY(window.form.isMaximized());
        QVERIFY(window.frame->clientArea()->isVisible());
    }

    void maximizeButtonMaximizesAndRestores() {
        Window window;
        QVERIFY(window.show());
        const QRect normal = window.form.geometry();
        QAbstractButton* maximize = window.button("maximizeButton");
        QTest::mouseClick(maximize, Qt::LeftButton);
        QTRY_VERIFY(window.form.windowState() & Qt::WindowMaximized);
        QTRY_COMPARE(window.form.geometry(), window.form.screen()->availableGeometry());
        QCOMPARE(window.frame->clientArea()->width(),
                 window.form.width() - 2 * platform::frame::BorderWidth);

        QTest::mouseClick(maximize, Qt::LeftButton);
        QTRY_VERIFY(!(window.form.windowState() & Qt::WindowMaximized));
        QTRY_COMPARE(window.form.geometry(), normal);
    }

    void doubleClickOnTheCaptionMaximizesAndRestores() {
        Window window;
        QVERIFY(window.show());
        const QPoint onCaption(100, platform::frame::CaptionHeight / 2);
        QTest::mouseDClick(window.frame, Qt::LeftButton, {}, onCaption);
        QTRY_VERIFY(window.form.isMaximized());
        QTest::mouseDClick(window.frame, Qt::LeftButton, {}, onCaption);
        QTRY_VERIFY(!window.form.isMaximized());
    }

    void roundedTopCornersAreCutOutOfTheWindow() {
        Window window;
        QVERIFY(window.show());
        const int right = window.form.width() - 1;
        QRegion shape = window.frame->windowShape();
        QVERIFY(!shape.contains(QPoint(0, 0)));
        QVERIFY(!shape.contains(QPoint(right, 0)));
        QVERIFY(shape.contains(QPoint(right / 2, 0)));
        QVERIFY(shape.contains(QPoint(0, window.form.height() - 1)));

        window.form.showMaximized();
        QTRY_VERIFY(window.form.isMaximized());
        QTRY_COMPARE(window.frame->windowShape(), QRegion(window.form.rect()));
    }

    void resizeEdges_data() {
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<int>("edges");
        const int w = FormSize.width();
        const int h = FormSize.height();
        QTest::newRow("left") << QPoint(0, 200) << int(Qt::LeftEdge);
        QTest::newRow("right") << QPoint(w - 1, 200) << int(Qt::RightEdge);
        QTest::newRow("top") << QPoint(200, 0) << int(Qt::TopEdge);
        QTest::newRow("bottom") << QPoint(200, h - 2) << int(Qt::BottomEdge);
        QTest::newRow("top left") << QPoint(1, 1) << int(Qt::TopEdge | Qt::LeftEdge);
        QTest::newRow("bottom right")
            << QPoint(w - 1, h - 1) << int(Qt::BottomEdge | Qt::RightEdge);
        QTest::newRow("bottom left, along the side")
            << QPoint(0, h - 8) << int(Qt::BottomEdge | Qt::LeftEdge);
        QTest::newRow("top right, along the top")
            << QPoint(w - 8, 1) << int(Qt::TopEdge | Qt::RightEdge);
        QTest::newRow("caption") << QPoint(200, 12) << 0;
        QTest::newRow("inside") << QPoint(200, 200) << 0;
    }
    void resizeEdges() {
        QFETCH(QPoint, pos);
        QFETCH(int, edges);
        Window window;
        QVERIFY(window.show());
        QCOMPARE(int(window.frame->resizeEdgesAt(pos)), edges);
    }

    void noResizingWhileMaximizedAndOnlySidewaysWhileRolledUp() {
        Window window;
        QVERIFY(window.show());
        window.frame->setRolledUp(true);
        QTRY_COMPARE(window.form.height(), RolledUpHeight);
        const int w = window.form.width();
        QCOMPARE(window.frame->resizeEdgesAt(QPoint(0, 1)), Qt::Edges(Qt::LeftEdge));
        QCOMPARE(window.frame->resizeEdgesAt(QPoint(w - 1, RolledUpHeight - 1)),
                 Qt::Edges(Qt::RightEdge));
        QCOMPARE(window.frame->resizeEdgesAt(QPoint(100, 0)), Qt::Edges());

        window.frame->maximize();
        QTRY_VERIFY(window.form.isMaximized());
        QCOMPARE(window.frame->resizeEdgesAt(QPoint(0, 200)), Qt::Edges());
    }

    void hoveringAnEdgeShowsAResizeCursor() {
        Window window;
        QVERIFY(window.show());
        hover(window.frame, QPoint(window.form.width() - 1, 200));
        QCOMPARE(window.frame->cursor().shape(), Qt::SizeHorCursor);
        hover(window.frame, QPoint(1, 1));
        QCOMPARE(window.frame->cursor().shape(), Qt::SizeFDiagCursor);
        hover(window.frame, QPoint(200, 12));
        QCOMPARE(window.frame->cursor().shape(), Qt::ArrowCursor);
        // The client area never takes over the frame's resize cursor.
        QCOMPARE(window.frame->clientArea()->cursor().shape(), Qt::ArrowCursor);
    }

    void draggingTheCaptionMovesTheWindow() {
        Window window;
        QVERIFY(window.show());
        const QPoint start = window.form.pos();
        const QPoint onCaption(100, 12);
        QTest::mousePress(window.frame, Qt::LeftButton, {}, onCaption);
        QTest::mouseMove(window.frame, onCaption + QPoint(40, 30));
        QTest::mouseRelease(window.frame, Qt::LeftButton, {}, onCaption + QPoint(40, 30));
        QTRY_COMPARE(window.form.pos(), start + QPoint(40, 30));
        QCOMPARE(window.form.size(), FormSize);
    }

    void draggingAnEdgeResizesTheWindow() {
        Window window;
        QVERIFY(window.show());
        const QRect start = window.form.geometry();
        const QPoint onLeft(1, 200);
        QTest::mousePress(window.frame, Qt::LeftButton, {}, onLeft);
        QTest::mouseMove(window.frame, onLeft + QPoint(-30, 0));
        QTest::mouseRelease(window.frame, Qt::LeftButton, {}, onLeft + QPoint(-30, 0));
        QTRY_COMPARE(window.form.geometry(), start.adjusted(-30, 0, 0, 0));
        QCOMPARE(window.frame->clientArea()->width(), ClientSize.width() + 30);

        // Never smaller than the caption buttons need.
        const QPoint onRight(window.form.width() - 1, 200);
        QTest::mousePress(window.frame, Qt::LeftButton, {}, onRight);
        QTest::mouseMove(window.frame, onRight - QPoint(2000, 0));
        QTest::mouseRelease(window.frame, Qt::LeftButton, {}, onRight - QPoint(2000, 0));
        QTRY_COMPARE(window.form.width(), window.frame->minimumFrameSize().width());
        QVERIFY(window.frame->captionTextRect().right() < window.button("menuButton")->x());
    }

    void clientFadesWhileInactive() {
        Window window;
        QVERIFY(window.show());
        QVERIFY(!window.frame->isClientFaded());
        QCOMPARE(window.frame->currentCaptionTextColor(), QColor(62, 106, 170));

        window.sendActivation(QEvent::WindowDeactivate);
        QVERIFY(window.frame->isClientFaded());
        QVERIFY(window.fade()->isVisible());
        QCOMPARE(window.fade()->geometry(), window.frame->clientArea()->geometry());
        QCOMPARE(window.frame->currentCaptionTextColor(), QColor(188, 213, 245));
        // Clicks still reach the controls under the faded picture.
        QVERIFY(window.fade()->testAttribute(Qt::WA_TransparentForMouseEvents));

        window.sendActivation(QEvent::WindowActivate);
        QVERIFY(!window.frame->isClientFaded());
        QVERIFY(!window.fade()->isVisible());
        QCOMPARE(window.frame->currentCaptionTextColor(), QColor(62, 106, 170));
    }

    void fadeLiesOverControlsAddedLater() {
        Window window;
        auto* control = new QLabel("text", window.frame->clientArea());
        control->setGeometry(10, 10, 100, 20);
        QVERIFY(window.show());
        window.sendActivation(QEvent::WindowDeactivate);
        QWidget* fade = window.fade();
        const QPoint centre = control->mapTo(window.frame, control->rect().center());
        QCOMPARE(window.frame->childAt(centre), control); // fade lets the mouse through
        QVERIFY(fade->geometry().contains(centre));
        QVERIFY(window.frame->children().indexOf(fade) >
                window.frame->children().indexOf(window.frame->clientArea()));
    }

    void anotherActiveWindowFadesTheClient() {
        Window window;
        QVERIFY(window.show());
        window.form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window.form));
        QVERIFY(!window.frame->isClientFaded());

        QWidget other;
        other.resize(100, 100);
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QTRY_VERIFY(window.frame->isClientFaded());

        window.form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window.form));
        QTRY_VERIFY(!window.frame->isClientFaded());
    }

    void noFadeWhileRolledUpOrWithTheEffectOff() {
        Window window;
        QVERIFY(window.show());
        window.frame->setRolledUp(true);
        window.sendActivation(QEvent::WindowDeactivate);
        QVERIFY(!window.frame->isClientFaded());
        window.frame->setRolledUp(false);
        QVERIFY(window.frame->isClientFaded());

        window.frame->setClientInactiveEffect(false);
        QVERIFY(!window.frame->isClientFaded());
        QCOMPARE(window.frame->currentCaptionTextColor(), QColor(188, 213, 245));
    }

    void closeButtonClosesTheWindow() {
        Window window;
        QVERIFY(window.show());
        QTest::mouseClick(window.button("closeButton"), Qt::LeftButton);
        QVERIFY(!window.form.isVisible());
    }

    void minimizingFallsBackToThePlainMinimizeWithoutATray() {
        QFETCH(QByteArray, buttonName);
        if (QSystemTrayIcon::isSystemTrayAvailable())
            QSKIP("this desktop has a notification area");
        Window window;
        QVERIFY(window.show());
        QTest::mouseClick(window.button(buttonName.constData()), Qt::LeftButton);
        QTRY_VERIFY(window.form.windowState() & Qt::WindowMinimized);
        QVERIFY(!window.frame->hasTrayIcon());
        QVERIFY(!window.form.isHidden());
    }
    void minimizingFallsBackToThePlainMinimizeWithoutATray_data() {
        QTest::addColumn<QByteArray>("buttonName");
        QTest::newRow("minimize") << QByteArray("minimizeButton");
        QTest::newRow("minimize to tray") << QByteArray("trayButton");
    }

    // The frame paints with the skin's palette until skin data says otherwise.
    void colourDefaults_data() {
        QTest::addColumn<QColor>("actual");
        QTest::addColumn<QColor>("colour");
        const platform::FrameLook look = Window().frame->look();
        QTest::newRow("face") << look.face << QColor(227, 238, 253);
        QTest::newRow("outline") << look.outline << QColor(59, 90, 130);
        QTest::newRow("band top") << look.captionTop << QColor(213, 229, 250);
        QTest::newRow("band bottom") << look.captionBottom << QColor(228, 239, 253);
        QTest::newRow("caption") << look.captionText << QColor(62, 106, 170);
        QTest::newRow("inactive caption") << look.captionInactiveText << QColor(188, 213, 245);
        QTest::newRow("shadow") << look.captionShadow << QColor(Qt::white);
        QTest::newRow("fade") << look.fade << QColor(227, 238, 253);
    }
    void colourDefaults() {
        QFETCH(QColor, actual);
        QFETCH(QColor, colour);
        QCOMPARE(actual, colour);
    }

    void skinDataSetsTheLook() {
        platform::TbsCompressedSkinList list;
        platform::FrameLook look;
        look.face = QColor(1, 2, 3);
        look.captionText = QColor(4, 5, 6);
        list.add({QStringLiteral("test"), QString(), look});
        platform::TbsSkinData skinData;
        skinData.setCompressedStoredSkin(&list, 0);
        Window window;
        window.frame->setSkinData(&skinData);
        QVERIFY(window.show());
        QCOMPARE(window.frame->look().face, QColor(1, 2, 3));
        QCOMPARE(window.frame->currentCaptionTextColor(), QColor(4, 5, 6));
        const QImage painted = window.frame->grab().toImage();
        QCOMPARE(painted.pixelColor(window.frame->width() / 2, window.frame->height() - 2),
                 QColor(1, 2, 3));
    }
};

QTEST_MAIN(TestSkinForm)
#include "test_skinform.moc"

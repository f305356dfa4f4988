#include "OfflinePromotion.h"
#include "ProgramFolder.h"
#include "UrlCatcher.h"
#include "communal/Communal.h"
#include "system/ProgramPath.h"
#include "widgets/Application.h"
#include "widgets/ErrorBox.h"
#include "window/UnitMain.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFontInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

using platform::Application;

namespace {

QRect geometryOf(TfrmAd& window, const char* name) {
    auto* widget = window.findChild<QWidget*>(QString::fromLatin1(name));
    return widget ? widget->geometry() : QRect();
}

// The part of the client area where a widget could be seen: its place less
// every later sibling on top of it, for each level up to the client area.
bool isCovered(QWidget* widget, QWidget* clientArea) {
    auto inClient = [clientArea](QWidget* w) {
        return QRect(w->mapTo(clientArea, QPoint(0, 0)), w->size());
    };
    QRegion visible(inClient(widget) & clientArea->rect());
    for (QWidget* w = widget; w != clientArea; w = w->parentWidget()) {
        QWidget* parent = w->parentWidget();
        if (parent != clientArea)
            visible &= QRegion(inClient(parent));
        const QObjectList& siblings = parent->children();
        for (qsizetype i = siblings.indexOf(w) + 1; i < siblings.size(); ++i) {
            auto* above = qobject_cast<QWidget*>(siblings[i]);
            if (above && above->isVisible())
                visible -= QRegion(inClient(above));
        }
    }
    return visible.isEmpty();
}

} // namespace

class TestWindow : public QObject {
    Q_OBJECT

    // The program folder, where the window keeps its promotion files.
    testsupport::TemporaryProgramFolder programFolder_;
    testsupport::OfflinePromotion promotion_;

private slots:
    void membersAndTexts() {
        TfrmAd window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Kalvor base64 加密解密"));
        QCOMPARE(window.bsfrm->caption(), QStringLiteral("Kalvor Base64 加密解密器"));
        QVERIFY(!window.bsfrm->showIcon());
        const QImage icon = window.windowIcon().pixmap(QSize(128, 128)).toImage();
        QCOMPARE(icon.size(), QSize(128, 128));
        QVERIFY(icon.hasAlphaChannel());
        QCOMPARE(window.bsSkinButton1->text(), QStringLiteral("加密"));
        QCOMPARE(window.bsSkinButton2->text(), QStringLiteral("解密"));
        QCOMPARE(window.btn1->text(), QStringLiteral("打开目录"));
        QCOMPARE(window.bsSkinLinkLabel1->text(), QStringLiteral("原文"));
        QCOMPARE(window.bsSkinLinkLabel2->text(), QStringLiteral("明文"));
        QCOMPARE(window.Memo1->unicodeText(),
                 QStringLiteral(
                     "使用说明：在上面文本框输入原文或密文，点击相应按钮在下面生成结\r\n果！\r\n"));
        QVERIFY(window.Memo2->unicodeText().isEmpty());
        QCOMPARE(window.promoId(), std::string("kv64"));
        QCOMPARE(window.bsSkinData1.skinName(), QStringLiteral("bsSkin0"));
    }

    void layout_data() {
        QTest::addColumn<QSize>("clientSize");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        const QSize start(570, 418);
        QTest::newRow("start TopPnl") << start << "TopPnl" << QRect(0, 0, 570, 49);
        QTest::newRow("start img1") << start << "img1" << QRect(366, 3, 201, 43);
        QTest::newRow("start bsSkinPanel1") << start << "bsSkinPanel1" << QRect(0, 49, 409, 369);
        QTest::newRow("start bsSkinPanel2") << start << "bsSkinPanel2" << QRect(2, 2, 405, 200);
        QTest::newRow("start bsSkinLinkLabel1")
            << start << "bsSkinLinkLabel1" << QRect(2, 2, 401, 33);
        QTest::newRow("start Memo1") << start << "Memo1" << QRect(2, 35, 401, 163);
        QTest::newRow("start bsSkinLinkLabel2")
            << start << "bsSkinLinkLabel2" << QRect(2, 202, 405, 32);
        QTest::newRow("start Memo2") << start << "Memo2" << QRect(2, 234, 405, 133);
        QTest::newRow("start bsSkinPanel3") << start << "bsSkinPanel3" << QRect(409, 49, 161, 369);
        QTest::newRow("start bsSkinButton1") << start << "bsSkinButton1" << QRect(22, 96, 115, 25);
        QTest::newRow("start bsSkinButton2") << start << "bsSkinButton2" << QRect(22, 144, 115, 25);
        QTest::newRow("start img2") << start << "img2" << QRect(2, 254, 157, 113);
        QTest::newRow("start btn1") << start << "btn1" << QRect(600, 96, 75, 25);

        const QSize big(1024, 700);
        QTest::newRow("big TopPnl") << big << "TopPnl" << QRect(0, 0, 1024, 49);
        QTest::newRow("big img1") << big << "img1" << QRect(820, 3, 201, 43);
        QTest::newRow("big bsSkinPanel1") << big << "bsSkinPanel1" << QRect(0, 49, 409, 651);
        QTest::newRow("big Memo1") << big << "Memo1" << QRect(2, 35, 401, 163);
        QTest::newRow("big bsSkinLinkLabel2")
            << big << "bsSkinLinkLabel2" << QRect(2, 202, 405, 32);
        QTest::newRow("big Memo2") << big << "Memo2" << QRect(2, 234, 405, 415);
        QTest::newRow("big bsSkinPanel3") << big << "bsSkinPanel3" << QRect(409, 49, 615, 651);
        QTest::newRow("big bsSkinButton1") << big << "bsSkinButton1" << QRect(22, 96, 115, 25);
        QTest::newRow("big img2") << big << "img2" << QRect(2, 536, 611, 113);
        QTest::newRow("big btn1") << big << "btn1" << QRect(600, 96, 75, 25);
    }
    void layout() {
        QFETCH(QSize, clientSize);
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        TfrmAd window;
        window.show();
        window.bsfrm->setClientSize(clientSize);
        QApplication::processEvents();
        QCOMPARE(window.clientArea()->size(), clientSize);
        QCOMPARE(geometryOf(window, name.toLatin1().constData()), geometry);
    }

    void unseenButtonIsCoveredAtEverySize_data() {
        QTest::addColumn<QSize>("clientSize");
        QTest::newRow("start") << QSize(570, 418);
        QTest::newRow("narrow") << QSize(300, 418);
        QTest::newRow("wide") << QSize(1600, 1000);
        QTest::newRow("short") << QSize(800, 60);
    }
    void unseenButtonIsCoveredAtEverySize() {
        QFETCH(QSize, clientSize);
        TfrmAd window;
        window.show();
        window.bsfrm->setClientSize(clientSize);
        QApplication::processEvents();
        QVERIFY(window.btn1->isVisible());
        QVERIFY(window.btn1->isEnabled());
        QVERIFY(isCovered(window.btn1, window.clientArea()));
        QVERIFY(!isCovered(window.bsSkinButton1, window.clientArea()) ||
                clientSize.width() <= 409 || clientSize.height() < 49 + 96);
    }

    void tabCyclesThroughTheControls() {
        TfrmAd window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(QApplication::focusWidget(), window.Memo1);
        const QList<QWidget*> order = {window.Memo2, window.bsSkinButton1, window.bsSkinButton2,
                                       window.btn1, window.Memo1};
        for (QWidget* next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        for (qsizetype i = order.size() - 2; i >= 0; --i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget(), order[i]);
        }
        for (QWidget* never :
             {static_cast<QWidget*>(window.TopPnl), static_cast<QWidget*>(window.bsSkinPanel1),
              static_cast<QWidget*>(window.bsSkinLinkLabel1)})
            QCOMPARE(never->focusPolicy(), Qt::NoFocus);
    }

    void fourTabsAndEnterOpenTheProgramFolder() {
        testsupport::UrlCatcher catcher;

        TfrmAd window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), window.btn1);
        QTest::keyClick(window.btn1, Qt::Key_Return);
        QCOMPARE(catcher.opened, QList<QUrl>{QUrl::fromLocalFile(programFolder_.path() + u'/')});
    }

    // An installed program's folder is the user's data folder for it.
    void openFolderOfAnInstalledProgramShowsTheUserDataFolder() {
        const testsupport::TemporaryHome home;
        const testsupport::TemporaryProgramFolder installed(
            testsupport::TemporaryProgramFolder::ReadOnly);
        testsupport::UrlCatcher catcher;
        TfrmAd window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseClick(window.btn1, Qt::LeftButton);
        QCOMPARE(catcher.opened, QList<QUrl>{QUrl::fromLocalFile(home.programFolder())});
        QVERIFY(QFileInfo(home.programFolder()).isDir());
    }

    void enterAndSpaceRunTheFocusedCommand_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("enter") << int(Qt::Key_Return);
        QTest::newRow("space") << int(Qt::Key_Space);
    }
    void enterAndSpaceRunTheFocusedCommand() {
        QFETCH(int, key);
        TfrmAd window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.Memo1->setText("abc");
        window.bsSkinButton1->setFocus();
        QTest::keyClick(window.bsSkinButton1, Qt::Key(key));
        QCOMPARE(window.Memo2->text(), std::string("YWJj"));
        window.Memo1->setText("YQ==");
        window.bsSkinButton2->setFocus();
        QTest::keyClick(window.bsSkinButton2, Qt::Key(key));
        QCOMPARE(window.Memo2->text(), std::string("a"));
    }

    void clickingTheHeadingsDoesNothing() {
        TfrmAd window;
        window.show();
        const std::string before = window.Memo1->text();
        QTest::mouseClick(window.bsSkinLinkLabel1, Qt::LeftButton);
        QTest::mouseClick(window.bsSkinLinkLabel2, Qt::LeftButton);
        QCOMPARE(window.Memo1->text(), before);
        QCOMPARE(window.bsSkinLinkLabel1->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(window.bsSkinLinkLabel1->font().underline());
    }

    void errorBoxText_data() {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("letter") << QByteArray("Bitmap image is not valid")
                                << QStringLiteral("Bitmap image is not valid.");
        QTest::newRow("closing bracket") << QByteArray("Unknown picture file extension (.png)")
                                         << QStringLiteral("Unknown picture file extension (.png)");
        QTest::newRow("full stop") << QByteArray("Done.") << QStringLiteral("Done.");
        QTest::newRow("exclamation sorts before") << QByteArray("Stop!") << QStringLiteral("Stop!");
        QTest::newRow("comma sorts before") << QByteArray("a,") << QStringLiteral("a,");
        QTest::newRow("slash sorts after") << QByteArray("a/") << QStringLiteral("a/.");
        QTest::newRow("digit") << QByteArray("JPEG error #53") << QStringLiteral("JPEG error #53.");
        QTest::newRow("chinese") << QByteArray("错误") << QStringLiteral("错误.");
    }
    void errorBoxText() {
        QFETCH(QByteArray, message);
        QFETCH(QString, shown);
        QCOMPARE(platform::errorBoxText(
                     std::string_view(message.constData(), std::size_t(message.size()))),
                 shown);
    }

    void errorEscapingAHandlerIsShownInTheErrorBox() {
        Application().setTitle(QStringLiteral("Kalvor base64 加密解密"));
        QString caption, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QList<QAbstractButton*> buttons;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            caption = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = box->buttons();
            QCOMPARE(box->standardButtons(), QMessageBox::Ok);
            box->accept();
        });
        bool carriedOn = false;
        Application().guard([] { throw std::runtime_error("Bitmap image is not valid"); });
        carriedOn = true;
        QVERIFY(carriedOn);
        QCOMPARE(caption, QStringLiteral("Kalvor base64 加密解密"));
        QCOMPARE(text, QStringLiteral("Bitmap image is not valid."));
        QCOMPARE(icon, QMessageBox::Critical);
        QCOMPARE(buttons.size(), 1);
    }

    // What each control really gets from the font system: on Linux "Arial"
    // is Liberation Sans, its metric twin, through fontconfig's alias.
    void fontsAsTheLookSays_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("pixelSize");
        QTest::addColumn<bool>("bold");
        QTest::newRow("加密") << "bsSkinButton1" << 14 << false;
        QTest::newRow("解密") << "bsSkinButton2" << 14 << false;
        QTest::newRow("原文") << "bsSkinLinkLabel1" << 14 << false;
        QTest::newRow("明文") << "bsSkinLinkLabel2" << 14 << false;
        QTest::newRow("caption") << "" << 16 << true;
    }
    void fontsAsTheLookSays() {
        QFETCH(QString, control);
        QFETCH(int, pixelSize);
        QFETCH(bool, bold);
        TfrmAd window;
        window.show();
        const QFont font = control.isEmpty() ? window.bsfrm->look().captionFont
                                             : window.findChild<QWidget*>(control)->font();
        const QFontInfo info(font);
        const QString arial = QFontInfo(QFont(QStringLiteral("Arial"))).family();
#if defined(Q_OS_LINUX)
        QCOMPARE(arial, QStringLiteral("Liberation Sans"));
#endif
        QCOMPARE(info.family(), arial);
        QCOMPARE(info.pixelSize(), pixelSize);
        QCOMPARE(info.bold(), bold);
    }

    void theTextBoxesKeepTheWindowFont() {
        TfrmAd window;
        window.show();
        for (QWidget* plain :
             {static_cast<QWidget*>(window.Memo1), static_cast<QWidget*>(window.btn1)})
            QCOMPARE(plain->font().pixelSize(), 11);
    }

    void errorBoxCopiesAsTheStandardBoxDoes() {
        platform::ErrorBox box(QStringLiteral("Kalvor base64 加密解密"),
                               QStringLiteral("Bitmap image is not valid."));
        box.show();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("---------------------------\n"
                                "Kalvor base64 加密解密\n"
                                "---------------------------\n"
                                "Bitmap image is not valid.\n"
                                "---------------------------\n"
                                "OK\n"
                                "---------------------------\n"));
        QVERIFY(box.isVisible());
    }

    void messageBoxCopyText() {
        QCOMPARE(platform::messageBoxCopyText("T", "", {"Yes", "No"}),
                 QStringLiteral("---------------------------\nT\n"
                                "---------------------------\n\n"
                                "---------------------------\nYes No\n"
                                "---------------------------\n"));
    }

    void errorBoxClosesOnEnterSpaceAndEscape_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Space") << int(Qt::Key_Space);
        QTest::newRow("Escape") << int(Qt::Key_Escape);
    }
    void errorBoxClosesOnEnterSpaceAndEscape() {
        QFETCH(int, key);
        platform::ErrorBox box(QStringLiteral("Kalvor"), QStringLiteral("Broken."));
        box.show();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QTRY_VERIFY(!box.isVisible());
        const auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        QVERIFY(label->textInteractionFlags() & Qt::TextSelectableByMouse);
    }

    // The picture of an inactive window is taken once its focused box has
    // hidden its caret.
    void fadedWindowShowsNoCaret() {
        TfrmAd window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(QApplication::focusWidget(), window.Memo1);
        const QRect caret(window.Memo1->viewport()->mapTo(window.clientArea(),
                                                          window.Memo1->cursorRect().topLeft()),
                          window.Memo1->cursorRect().size());
        // Within the first half second of the focus the caret is on.
        QWidget other;
        other.resize(50, 50);
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QTRY_VERIFY(window.bsfrm->isClientFaded());
        QTest::qWait(20);
        auto* fade = window.bsfrm->findChild<QWidget*>(QStringLiteral("clientFade"));
        const QImage faded = fade->grab().toImage();
        int darkest = 255;
        for (int y = caret.top(); y <= caret.bottom(); ++y)
            for (int x = caret.left(); x <= caret.right(); ++x)
                darkest = std::min(darkest, qGray(faded.pixel(x, y)));
        // White under the veil is about 236; a black caret under it, 151.
        QVERIFY2(darkest > 200, qPrintable(QString::number(darkest)));
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"

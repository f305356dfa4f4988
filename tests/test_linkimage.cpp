#include "PictureFixtures.h"
#include "UrlCatcher.h"
#include "system/CodePage.h"
#include "system/Exception.h"
#include "widgets/LinkImage.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <optional>

using platform::TbsSkinLinkImage;

class TestLinkImage : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    // Stands in for the desktop for every scheme a link could name.
    std::optional<testsupport::UrlCatcher> catcher_;

    std::string file(const QString& name, const QByteArray& content) {
        const QString path = dir_.filePath(name);
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(path));
        return platform::CodePage::system().fromUnicode(path);
    }

    static bool allWhite(const QImage& image) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) != QColor(Qt::white))
                    return false;
        return true;
    }

    // A width × height bitmap, red with a green top-left pixel.
    QByteArray redBitmap(int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::red);
        image.setPixelColor(0, 0, Qt::green);
        return fixtures::written(image, "bmp");
    }

private slots:
    void init() { catcher_.emplace(QStringList{"http", "https", "file", "javascript"}); }
    void cleanup() { catcher_.reset(); }

    void handCursorAndNoLink() {
        TbsSkinLinkImage image;
        QCOMPARE(image.cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(image.URL().empty());
        QVERIFY(image.Picture().isEmpty());
        QVERIFY(!image.AutoSize());
    }

    void canvasOnAnEmptySlotIsAWhiteBitmapOfItsSize() {
        TbsSkinLinkImage image;
        image.resize(157, 48);
        platform::TCanvas& canvas = image.Canvas();
        QCOMPARE(QString::fromStdString(image.Picture().format()), QStringLiteral("bmp"));
        QCOMPARE(image.Picture().size(), QSize(157, 48));
        QVERIFY(allWhite(*image.Picture().bitmap()));
        QCOMPARE(canvas.Pen.Color, QColor(Qt::black));
        QCOMPARE(canvas.Pen.Width, 1);
        QCOMPARE(canvas.Brush.Color, QColor(Qt::white));
        QCOMPARE(canvas.Brush.Style, Qt::SolidPattern);
        QCOMPARE(canvas.Font.Name, QStringLiteral("MS Sans Serif"));
        QCOMPARE(canvas.Font.Size, 8);
        QCOMPARE(canvas.Font.Color, QApplication::palette().color(QPalette::WindowText));
        // A second request draws on the same bitmap.
        canvas.Pen.Color = Qt::red;
        QCOMPARE(&image.Canvas(), &canvas);
        QCOMPARE(image.Canvas().Pen.Color, QColor(Qt::red));
    }

    void rectangleLeavesOutItsRightAndBottomEdges() {
        TbsSkinLinkImage image;
        image.resize(40, 20);
        platform::TCanvas& canvas = image.Canvas();
        QSignalSpy changed(&image.Picture(), &platform::TPicture::changed);
        canvas.Pen.Color = QColor(255, 0, 0);
        canvas.Rectangle(0, 0, 10, 10);
        QCOMPARE(changed.count(), 1);
        const QImage& bitmap = *image.Picture().bitmap();
        const QColor red(255, 0, 0);
        QCOMPARE(bitmap.pixelColor(0, 0), red);
        QCOMPARE(bitmap.pixelColor(9, 0), red);
        QCOMPARE(bitmap.pixelColor(0, 9), red);
        QCOMPARE(bitmap.pixelColor(9, 9), red);
        QCOMPARE(bitmap.pixelColor(5, 5), QColor(Qt::white));
        QCOMPARE(bitmap.pixelColor(10, 5), QColor(Qt::white));
        QCOMPARE(bitmap.pixelColor(5, 10), QColor(Qt::white));
    }

    void textOutCoversTheSquareWithAnOpaqueCell() {
        TbsSkinLinkImage image;
        image.resize(157, 48);
        platform::TCanvas& canvas = image.Canvas();
        canvas.Pen.Color = QColor(255, 0, 0);
        canvas.Rectangle(0, 0, 10, 10);
        canvas.TextOut(0, 0, QStringLiteral("点击领取神秘大奖！"));
        const QImage& bitmap = *image.Picture().bitmap();
        bool inked = false;
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x) {
                QVERIFY(bitmap.pixelColor(x, y) != QColor(255, 0, 0));
                inked = inked || bitmap.pixelColor(x, y) != QColor(Qt::white);
            }
        QVERIFY2(
            inked ||
                [&] {
                    for (int x = 10; x < bitmap.width(); ++x)
                        if (bitmap.pixelColor(x, 5) != QColor(Qt::white))
                            return true;
                    return false;
                }(),
            "no text was drawn");
        // Below the text's cell the bitmap stays white.
        for (int x = 0; x < bitmap.width(); ++x)
            QCOMPARE(bitmap.pixelColor(x, 47), QColor(Qt::white));
    }

    void textOutWithAClearBrushKeepsTheBackground() {
        TbsSkinLinkImage image;
        image.resize(60, 30);
        platform::TCanvas& canvas = image.Canvas();
        canvas.Brush.Color = Qt::blue;
        canvas.Rectangle(0, 0, 60, 30); // blue, outlined black
        canvas.Brush.Style = Qt::NoBrush;
        canvas.TextOut(2, 2, "i");
        // Beside the narrow letter, still blue.
        QCOMPARE(image.Picture().bitmap()->pixelColor(50, 5), QColor(Qt::blue));
    }

    void canvasOnAPictureThatIsNoBitmapThrows() {
        TbsSkinLinkImage image;
        image.Picture().LoadFromFile(
            file("pic.gif", fixtures::gif(2, 2, {fixtures::GifFrame{{1, 1, 1, 1}, -1, 2}})));
        QVERIFY_THROWS_EXCEPTION(platform::Exception, image.Canvas());
    }

    void autoSize() {
        TbsSkinLinkImage image;
        image.resize(100, 48);
        image.Picture().LoadFromFile(file("small.bmp", redBitmap(30, 20)));
        QCOMPARE(image.size(), QSize(100, 48));
        image.setAutoSize(true);
        QCOMPARE(image.size(), QSize(30, 20));
        image.Picture().LoadFromFile(file("other.bmp", redBitmap(50, 10)));
        QCOMPARE(image.size(), QSize(50, 10));
        image.setAutoSize(false);
        image.Picture().LoadFromFile(file("third.bmp", redBitmap(70, 70)));
        QCOMPARE(image.size(), QSize(50, 10));
    }

    void pictureDrawnAtTopLeftAndClipped() {
        QWidget window;
        window.setStyleSheet("background: black");
        window.resize(200, 200);
        auto* image = new TbsSkinLinkImage(&window);
        image->setGeometry(0, 0, 20, 10);
        image->Picture().LoadFromFile(file("wide.bmp", redBitmap(40, 40)));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QImage shown = window.grab().toImage();
        QCOMPARE(shown.pixelColor(0, 0), QColor(Qt::green)); // not centred
        QCOMPARE(shown.pixelColor(19, 9), QColor(Qt::red));
        QVERIFY(shown.pixelColor(25, 5) != QColor(Qt::red)); // clipped
        QVERIFY(shown.pixelColor(5, 15) != QColor(Qt::red));

        // A small picture in a large slot is not stretched.
        image->setGeometry(0, 0, 100, 100);
        image->Picture().LoadFromFile(file("tiny.bmp", redBitmap(4, 4)));
        const QImage again = window.grab().toImage();
        QCOMPARE(again.pixelColor(3, 3), QColor(Qt::red));
        QVERIFY(again.pixelColor(50, 50) != QColor(Qt::red));
    }

    // On a screen of twice the density a picture is scaled smoothly, not
    // into blocks of its pixels.
    void picturesAreScaledSmoothly() {
        QImage checks(4, 4, QImage::Format_RGB32);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                checks.setPixelColor(x, y, (x + y) % 2 ? Qt::black : Qt::white);
        TbsSkinLinkImage image;
        image.resize(4, 4);
        image.Picture().LoadFromFile(file("checks.bmp", fixtures::written(checks, "BMP")));
        QImage shown(8, 8, QImage::Format_RGB32);
        shown.setDevicePixelRatio(2);
        shown.fill(Qt::red);
        image.render(&shown);
        int blended = 0;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const int grey = qGray(shown.pixel(x, y));
                blended += grey > 10 && grey < 245;
            }
        QVERIFY(blended > 8);
    }

    void clickOpensOnlyWebAddresses_data() {
        QTest::addColumn<QByteArray>("url");
        QTest::addColumn<bool>("opens");
        QTest::newRow("http") << QByteArray("http://promo.example.com/kv64") << true;
        QTest::newRow("https") << QByteArray("https://example.com/a?b=c#d") << true;
        QTest::newRow("scheme in capitals") << QByteArray("HTTPS://Example.com/") << true;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("local file") << QByteArray("file:///etc/passwd") << false;
        QTest::newRow("program") << QByteArray("calc.exe") << false;
        QTest::newRow("windows path") << QByteArray("C:\\Windows\\System32\\cmd.exe") << false;
        QTest::newRow("script") << QByteArray("javascript:alert(1)") << false;
        QTest::newRow("other scheme") << QByteArray("ftp://example.com/") << false;
        QTest::newRow("scheme alone") << QByteArray("http://") << false;
        QTest::newRow("leading blank") << QByteArray(" http://example.com/") << false;
        QTest::newRow("quote for a command line")
            << QByteArray("http://example.com/\" --renderer-cmd-prefix=calc") << false;
        QTest::newRow("line break") << QByteArray("http://example.com/\r\nx") << false;
    }
    void clickOpensOnlyWebAddresses() {
        QFETCH(QByteArray, url);
        QFETCH(bool, opens);
        TbsSkinLinkImage image;
        image.resize(50, 50);
        image.setURL(url.toStdString());
        QSignalSpy clicked(&image, &TbsSkinLinkImage::clicked);
        QTest::mouseClick(&image, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(catcher_->opened.size(), opens ? 1 : 0);
        if (opens)
            QCOMPARE(catcher_->opened.front().toString().toLower(),
                     QString::fromLatin1(url).toLower());
    }

    void clickedRunsBeforeTheLinkOpens() {
        TbsSkinLinkImage image;
        image.resize(50, 50);
        image.setURL("http://example.com/");
        QStringList log;
        catcher_->onOpen = [&log](const QUrl&) { log << QStringLiteral("open"); };
        connect(&image, &TbsSkinLinkImage::clicked, [&log] { log << QStringLiteral("clicked"); });
        QTest::mouseClick(&image, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(log, QStringList({"clicked", "open"}));
    }

    void onlyALeftClickInsideCounts() {
        TbsSkinLinkImage image;
        image.resize(50, 50);
        image.setURL("http://example.com/");
        QSignalSpy clicked(&image, &TbsSkinLinkImage::clicked);
        QTest::mouseClick(&image, Qt::RightButton, {}, QPoint(5, 5));
        QTest::mousePress(&image, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(&image, Qt::LeftButton, {}, QPoint(80, 5));
        QCOMPARE(clicked.count(), 0);
        QVERIFY(catcher_->opened.isEmpty());
    }

    void deletedInItsClickHandlerOpensNothing() {
        auto* image = new TbsSkinLinkImage;
        image->resize(50, 50);
        image->setURL("http://example.com/");
        connect(image, &TbsSkinLinkImage::clicked, image, [image] { delete image; });
        QTest::mouseClick(image, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(catcher_->opened.isEmpty());
    }

    void animatedGifRepaintsTheSlot() {
        TbsSkinLinkImage image;
        image.resize(20, 20);
        image.Picture().LoadFromFile(
            file("anim.gif", fixtures::gif(2, 2,
                                           {fixtures::GifFrame{{0, 1, 1, 1}, 0, 2},
                                            fixtures::GifFrame{{2, 2, 2, 2}, -1, 2}})));
        image.show();
        QVERIFY(QTest::qWaitForWindowExposed(&image));
        // What the slot shows, looked at as each frame comes: a look at
        // moments of its own could fall in step with the frames and see
        // only one of them.
        bool sawRed = false;
        bool sawGreen = false;
        const auto look = [&] {
            const QColor shown = image.grab().toImage().pixelColor(1, 0);
            sawRed = sawRed || shown == QColor(Qt::red);
            sawGreen = sawGreen || shown == QColor(Qt::green);
        };
        look();
        connect(&image.Picture(), &platform::TPicture::changed, &image, look);
        QTRY_VERIFY_WITH_TIMEOUT(sawRed && sawGreen, 5000);
    }
};

QTEST_MAIN(TestLinkImage)
#include "test_linkimage.moc"

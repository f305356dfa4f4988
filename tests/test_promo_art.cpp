#include "GifEncoder.h"
#include "IconArt.h"
#include "PromoArt.h"

#include <QBuffer>
#include <QImageReader>
#include <QTest>
#include <random>

using promoart::encodeGif;
using promoart::GifAnimation;
using promoart::GifColor;
using promoart::GifFrame;

namespace {

const QString SourceDir = QStringLiteral(KALVOR_SOURCE_DIR);

std::vector<GifColor> greyRamp(int colours) {
    std::vector<GifColor> palette;
    for (int i = 0; i < colours; ++i) {
        const auto level = static_cast<std::uint8_t>(colours == 1 ? 0 : i * 255 / (colours - 1));
        palette.push_back(
            {level, static_cast<std::uint8_t>(255 - level), static_cast<std::uint8_t>(i * 37)});
    }
    return palette;
}

// Pixels for each kind of content the compressor meets: noise that fills its
// string table over and over, one long run, and smooth stripes.
std::vector<std::uint8_t> Pixels(const QString& pattern, int width, int height, int colours,
                                 unsigned variant) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height);
    std::mt19937 random(variant);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        if (pattern == "noise") {
            pixels[i] = static_cast<std::uint8_t>(random() % colours);
        } else if (pattern == "run") {
            pixels[i] = static_cast<std::uint8_t>(variant % colours);
        } else {
            pixels[i] = static_cast<std::uint8_t>((i / 7 + variant) % colours);
        }
    }
    return pixels;
}

QImageReader* gifReader(QBuffer& buffer, const std::string& bytes) {
    buffer.setData(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    buffer.open(QIODevice::ReadOnly);
    return new QImageReader(&buffer, "gif");
}

} // namespace

class TestPromoArt : public QObject {
    Q_OBJECT

private slots:
    void gifDecodesToTheSamePixels_data();
    void gifDecodesToTheSamePixels();
    void gifKeepsTransparencyDelaysAndLoop();
    void gifRejectsWhatItCannotWrite_data();
    void gifRejectsWhatItCannotWrite();
    void animationMapsColoursAndTransparency();
    void iconIs128SquareWithAlpha();
    void iconOfTheProgramIsTheOneTheToolDraws();
    void iconAtEachThemeSize_data();
    void iconAtEachThemeSize();
    void promoPicturesHaveSlotSizes();
};

void TestPromoArt::gifDecodesToTheSamePixels_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("colours");
    QTest::addColumn<int>("frames");

    QTest::newRow("one pixel, one colour") << "stripes" << 1 << 1 << 1 << 1;
    QTest::newRow("two colours, odd size") << "noise" << 13 << 7 << 2 << 2;
    QTest::newRow("five colours padded to eight") << "stripes" << 40 << 30 << 5 << 3;
    QTest::newRow("long run, codes up to 12 bits") << "run" << 400 << 300 << 16 << 2;
    QTest::newRow("noise refills the string table") << "noise" << 256 << 200 << 256 << 2;
}

void TestPromoArt::gifDecodesToTheSamePixels() {
    QFETCH(QString, pattern);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, colours);
    QFETCH(int, frames);

    GifAnimation animation;
    animation.width = width;
    animation.height = height;
    animation.palette = greyRamp(colours);
    for (int i = 0; i < frames; ++i) {
        animation.frames.push_back(
            {Pixels(pattern, width, height, colours, static_cast<unsigned>(i + 1)), 5});
    }

    QBuffer buffer;
    std::unique_ptr<QImageReader> reader(gifReader(buffer, encodeGif(animation)));
    QCOMPARE(reader->imageCount(), frames);
    QCOMPARE(reader->size(), QSize(width, height));
    for (int f = 0; f < frames; ++f) {
        const QImage image = reader->read();
        QVERIFY2(!image.isNull(), qPrintable(reader->errorString()));
        QCOMPARE(image.size(), QSize(width, height));
        const auto& pixels = animation.frames[static_cast<std::size_t>(f)].pixels;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const GifColor expected =
                    animation.palette[pixels[static_cast<std::size_t>(y) * width + x]];
                const QRgb actual = image.pixel(x, y);
                if (qRgb(expected.red, expected.green, expected.blue) != (actual | 0xFF000000u)) {
                    QFAIL(qPrintable(QString("frame %1 differs at %2,%3").arg(f).arg(x).arg(y)));
                }
            }
        }
    }
}

void TestPromoArt::gifKeepsTransparencyDelaysAndLoop() {
    GifAnimation animation;
    animation.width = 4;
    animation.height = 3;
    animation.palette = greyRamp(3);
    animation.transparentIndex = 2;
    animation.frames.push_back({{2, 0, 0, 1, 0, 1, 1, 0, 1, 1, 1, 2}, 7});
    animation.frames.push_back({{0, 2, 2, 1, 0, 1, 1, 0, 1, 1, 1, 0}, 120});

    QBuffer buffer;
    std::unique_ptr<QImageReader> reader(gifReader(buffer, encodeGif(animation)));
    QCOMPARE(reader->imageCount(), 2);
    QCOMPARE(reader->loopCount(), -1); // Qt's word for "for ever"

    const QImage first = reader->read();
    QVERIFY(first.hasAlphaChannel());
    QCOMPARE(qAlpha(first.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(first.pixel(3, 2)), 0);
    QCOMPARE(qAlpha(first.pixel(1, 0)), 255);
    QCOMPARE(reader->nextImageDelay(), 70);

    // The second frame starts from a cleared canvas: where it is transparent
    // nothing of the first frame shows through.
    const QImage second = reader->read();
    QCOMPARE(qAlpha(second.pixel(1, 0)), 0);
    QCOMPARE(qAlpha(second.pixel(0, 0)), 255);
    QCOMPARE(reader->nextImageDelay(), 1200);
}

void TestPromoArt::gifRejectsWhatItCannotWrite_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("colours");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<int>("largestIndex");
    QTest::addColumn<int>("frames");

    QTest::newRow("no frames") << 2 << 2 << 4 << 1 << 0;
    QTest::newRow("zero width") << 0 << 2 << 0 << 1 << 1;
    QTest::newRow("empty palette") << 2 << 0 << 4 << 0 << 1;
    QTest::newRow("palette of 257") << 2 << 257 << 4 << 1 << 1;
    QTest::newRow("too few pixels") << 2 << 2 << 3 << 1 << 1;
    QTest::newRow("index outside palette") << 2 << 2 << 4 << 2 << 1;
}

void TestPromoArt::gifRejectsWhatItCannotWrite() {
    QFETCH(int, width);
    QFETCH(int, colours);
    QFETCH(int, pixels);
    QFETCH(int, largestIndex);
    QFETCH(int, frames);

    GifAnimation animation;
    animation.width = width;
    animation.height = 2;
    animation.palette.resize(static_cast<std::size_t>(colours));
    for (int i = 0; i < frames; ++i) {
        GifFrame frame;
        frame.pixels.assign(static_cast<std::size_t>(pixels), 0);
        if (!frame.pixels.empty()) {
            frame.pixels.back() = static_cast<std::uint8_t>(largestIndex);
        }
        animation.frames.push_back(frame);
    }
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, encodeGif(animation));
}

void TestPromoArt::animationMapsColoursAndTransparency() {
    const std::vector<GifColor> palette = {{255, 255, 255}, {255, 0, 0}, {0, 0, 255}};
    QImage frame(3, 1, QImage::Format_ARGB32);
    frame.setPixel(0, 0, qRgba(250, 10, 5, 255)); // nearly red
    frame.setPixel(1, 0, qRgba(0, 0, 255, 100));  // mostly see-through
    // Nearly white, but white is the transparent entry: never chosen for an
    // opaque pixel.
    frame.setPixel(2, 0, qRgba(250, 250, 250, 255));

    const GifAnimation animation = promoart::makeAnimation({frame, frame}, palette, 0, 4, 90);
    QCOMPARE(animation.transparentIndex, std::optional<std::uint8_t>(0));
    QCOMPARE(animation.frames.size(), std::size_t{2});
    QCOMPARE(animation.frames[0].pixels, (std::vector<std::uint8_t>{1, 0, 1}));
    QCOMPARE(animation.frames[0].delayCentiseconds, std::uint16_t{4});
    QCOMPARE(animation.frames[1].delayCentiseconds, std::uint16_t{90});

    QImage otherSize(2, 1, QImage::Format_ARGB32);
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                             promoart::makeAnimation({frame, otherSize}, palette, 0, 4, 90));
}

void TestPromoArt::iconIs128SquareWithAlpha() {
    const QString path = SourceDir + "/resources/kalvor-base64.png";
    QImageReader reader(path, "png");
    const QImage icon = reader.read();
    QVERIFY2(!icon.isNull(), qPrintable(path + ": " + reader.errorString()));
    QCOMPARE(icon.size(), QSize(128, 128));
    QVERIFY(icon.hasAlphaChannel());
    QCOMPARE(icon.depth(), 32);
    QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(icon.pixel(127, 127)), 0);
    QCOMPARE(qAlpha(icon.pixel(64, 64)), 255);
}

// The program carries the icon in its resources; the desktop's icon theme
// gets it from the tool at build time. Both must be the same picture.
void TestPromoArt::iconOfTheProgramIsTheOneTheToolDraws() {
    const QImage carried(SourceDir + "/resources/kalvor-base64.png");
    QCOMPARE(promoart::drawProgramIcon().convertToFormat(QImage::Format_ARGB32),
             carried.convertToFormat(QImage::Format_ARGB32));
}

void TestPromoArt::iconAtEachThemeSize_data() {
    QTest::addColumn<int>("size");
    for (const int size : promoart::IconThemeSizes)
        QTest::addRow("%d", size) << size;
}

void TestPromoArt::iconAtEachThemeSize() {
    QFETCH(int, size);
    const QImage icon = promoart::drawProgramIcon(size);
    QCOMPARE(icon.size(), QSize(size, size));
    QVERIFY(icon.hasAlphaChannel());
    // Transparent outside the rounded tile, opaque inside.
    QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(icon.pixel(size - 1, size - 1)), 0);
    QCOMPARE(qAlpha(icon.pixel(size / 2, size / 2)), 255);
    QCOMPARE(qAlpha(icon.pixel(size / 2, size / 10)), 255);
    // The lettering stands out from the tile.
    int lettering = 0;
    for (int x = 0; x < size; ++x) {
        if (qGray(icon.pixel(x, size * 2 / 5)) < 128)
            ++lettering;
    }
    QVERIFY2(lettering >= size / 8, qPrintable(QString::number(lettering)));
}

void TestPromoArt::promoPicturesHaveSlotSizes() {
    QImageReader top(SourceDir + "/promo/top.jpg");
    QCOMPARE(top.format(), QByteArray("jpeg"));
    QCOMPARE(top.read().size(), QSize(promoart::TopBannerWidth, promoart::TopBannerHeight));

    QImageReader side(SourceDir + "/promo/side.gif");
    QCOMPARE(side.format(), QByteArray("gif"));
    QVERIFY(side.imageCount() > 1);
    QCOMPARE(side.loopCount(), -1);
    const QImage frame = side.read();
    QCOMPARE(frame.size(), QSize(promoart::SideWidth, promoart::SideHeight));
    QCOMPARE(qAlpha(frame.pixel(0, 0)), 0); // rounded corner
    QCOMPARE(qAlpha(frame.pixel(promoart::SideWidth / 2, promoart::SideHeight / 2)), 255);
}

QTEST_MAIN(TestPromoArt)
#include "test_promo_art.moc"

#include "HostilePictures.h"
#include "PictureFixtures.h"
#include "picture/Graphic.h"
#include "picture/Picture.h"
#include "system/CodePage.h"
#include "system/Exception.h"
#include "system/FileExt.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <jerror.h>
#include <jpeglib.h>

using platform::CodePage;
using platform::TPicture;

namespace {

std::string bytesOf(const QString& text) {
    return CodePage::system().fromUnicode(text);
}

QString jpegError(int code) {
    return QStringLiteral("JPEG error #%1").arg(code);
}

// A 4×3 picture: red on the left half, blue on the right, a green pixel at
// the top-left corner.
QImage sample() {
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    for (int y = 0; y < 3; ++y)
        for (int x = 2; x < 4; ++x)
            image.setPixelColor(x, y, Qt::blue);
    image.setPixelColor(0, 0, Qt::green);
    return image;
}

// The picture drawn on a transparent image of its size.
QImage rendered(const TPicture& picture) {
    QImage image(picture.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    picture.draw(painter, QPoint(0, 0));
    return image;
}

bool near(QColor actual, QColor expected, int tolerance = 24) {
    return std::abs(actual.red() - expected.red()) <= tolerance &&
           std::abs(actual.green() - expected.green()) <= tolerance &&
           std::abs(actual.blue() - expected.blue()) <= tolerance &&
           std::abs(actual.alpha() - expected.alpha()) <= tolerance;
}

// A BMP header announcing width × height pixels, and no pixels; run-length
// coded (RLE8), so that only the size can tell it is not valid.
QByteArray bitmapHeader(int width, int height, bool runLength = false) {
    QByteArray out("BM");
    fixtures::putDword(out, 54);
    fixtures::putDword(out, 0);
    fixtures::putDword(out, 54);
    fixtures::putDword(out, 40);
    fixtures::putDword(out, quint32(width));
    fixtures::putDword(out, quint32(height));
    fixtures::putWord(out, 1);
    fixtures::putWord(out, runLength ? 8 : 24);
    fixtures::putDword(out, runLength ? 1 : 0);
    for (int i = 0; i < 5; ++i)
        fixtures::putDword(out, 0);
    return out;
}

QByteArray jpegOf(const QImage& image, int width, int height) {
    QByteArray jpeg = fixtures::written(image, "jpg");
    // Patch the frame header's size: SOF0 is FF C0, length, precision,
    // height, width (big-endian).
    const qsizetype sof = jpeg.indexOf(QByteArray::fromHex("ffc0"));
    jpeg[sof + 5] = char(height >> 8);
    jpeg[sof + 6] = char(height & 0xFF);
    jpeg[sof + 7] = char(width >> 8);
    jpeg[sof + 8] = char(width & 0xFF);
    return jpeg;
}

fixtures::GifFrame frame(std::vector<int> indices, int transparent = -1) {
    return fixtures::GifFrame{std::move(indices), transparent, 2};
}

// A red 50×50 square on the left of a 100×50 metafile, drawn with a solid
// brush and no pen.
QByteArray squareWmf() {
    using fixtures::wmfRecord;
    return fixtures::wmf(
        100, 50,
        wmfRecord(0x02FC, {0, 0x00FF, 0x0000, 0}) +                       // red brush, slot 0
            wmfRecord(0x012D, {0}) + wmfRecord(0x02FA, {5, 0, 0, 0, 0}) + // null pen, slot 1
            wmfRecord(0x012D, {1}) + wmfRecord(0x041B, {50, 50, 0, 0})); // bottom, right, top, left
}

// A blue square on the right half of a 100×50 enhanced metafile.
QByteArray squareEmf() {
    using fixtures::emfRecord;
    return fixtures::emf(100, 50,
                         emfRecord(39, {1, 0, 0x00FF0000, 0}) +                 // blue brush at 1
                             emfRecord(37, {1}) + emfRecord(37, {0x80000008}) + // stock null pen
                             emfRecord(43, {50, 0, 100, 50}));
}

} // namespace

class TestPicture : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    std::string file(const QString& name, const QByteArray& content) {
        const QString path = dir_.filePath(name);
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(path));
        return bytesOf(path);
    }

    static QString messageOf(TPicture& picture, const std::string& fileName) {
        try {
            picture.LoadFromFile(fileName);
        } catch (const platform::Exception& error) {
            return QString::fromStdString(error.what());
        }
        return QStringLiteral("(no error)");
    }

private slots:
    void formatsAreRegisteredInOrder() {
        const std::vector<platform::PictureFormat> expected = {
            {"wmf", "Metafiles"},      {"emf", "Enhanced Metafiles"}, {"ico", "Icons"},
            {"bmp", "Bitmaps"},        {"gif", "GIF Image"},          {"jpeg", "JPEG Image File"},
            {"jpg", "JPEG Image File"}};
        QVERIFY(platform::pictureFormats() == expected);
    }

    void extension_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("codePage");
        QTest::addColumn<QByteArray>("extension");
        QTest::newRow("address") << QByteArray("http://host.com/img/top.jpg") << "UTF-8"
                                 << QByteArray(".jpg");
        QTest::newRow("query kept")
            << QByteArray("http://host.com/top.jpg?v=2") << "UTF-8" << QByteArray(".jpg?v=2");
        QTest::newRow("dot of the host")
            << QByteArray("http://host.com/pic") << "UTF-8" << QByteArray(".com/pic");
        QTest::newRow("backslash after the dot")
            << QByteArray("C:\\dir.x\\file") << "UTF-8" << QByteArray();
        QTest::newRow("drive colon") << QByteArray("a:b") << "UTF-8" << QByteArray();
        QTest::newRow("none") << QByteArray("fname1") << "UTF-8" << QByteArray();
        QTest::newRow("empty") << QByteArray() << "UTF-8" << QByteArray();
        QTest::newRow("trailing dot") << QByteArray("name.") << "UTF-8" << QByteArray(".");
        QTest::newRow("upper case kept") << QByteArray("TOP.JPG") << "UTF-8" << QByteArray(".JPG");
        QTest::newRow("GBK name") << QByteArray("\xB1\xED.gif") << "GBK" << QByteArray(".gif");
        // 0x81 0x5C is one GBK character whose second byte is "\".
        QTest::newRow("GBK trail byte is no backslash") << QByteArray("dir.x\x81\x5C"
                                                                      "file")
                                                        << "GBK"
                                                        << QByteArray(".x\x81\x5C"
                                                                      "file");
        QTest::newRow("same bytes in UTF-8 hold a backslash") << QByteArray("dir.x\x81\x5C"
                                                                            "file")
                                                              << "UTF-8" << QByteArray();
        QTest::newRow("Shift_JIS trail byte")
            << QByteArray("a.b\x95\x5C") << "SHIFT_JIS" << QByteArray(".b\x95\x5C");
        QTest::newRow("GBK lead byte at the end")
            << QByteArray("a.b\x81") << "GBK" << QByteArray(".b\x81");
    }
    void extension() {
        QFETCH(QByteArray, name);
        QFETCH(QString, codePage);
        QFETCH(QByteArray, extension);
        const std::string found =
            platform::ExtractFileExt(name.toStdString(), CodePage::named(codePage.toStdString()));
        QCOMPARE(QByteArray::fromStdString(found), extension);
    }

    void leadBytes() {
        const auto gbk = CodePage::named("GBK");
        QVERIFY(platform::isLeadByte(0x81, gbk));
        QVERIFY(platform::isLeadByte(0xB1, gbk));
        QVERIFY(!platform::isLeadByte('\\', gbk));
        QVERIFY(!platform::isLeadByte(0x80, gbk));
        QVERIFY(!platform::isLeadByte(0xE4, CodePage::named("UTF-8")));
        QVERIFY(!platform::isLeadByte(0xE9, CodePage::named("ISO-8859-1")));
    }

    void loadsEachFormat_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QSize>("size");
        // Probe pixels and their colours; JPEG colours within a tolerance.
        QTest::addColumn<QList<QPoint>>("probes");
        QTest::addColumn<QList<QColor>>("colours");
        const QList<QPoint> sampleProbes{{0, 0}, {1, 2}, {3, 1}};
        const QList<QColor> sampleColours{Qt::green, Qt::red, Qt::blue};
        QTest::newRow("bmp") << "a.bmp" << fixtures::written(sample(), "bmp") << "bmp"
                             << QSize(4, 3) << sampleProbes << sampleColours;
        // Bottom row first: two pixels of colour 1, one of 2, one of 3; then
        // two skipped, which stay clear, and two of colour 3.
        const QByteArray rle8 = fixtures::rleRun(2, 1) + fixtures::rleRun(1, 2) +
                                fixtures::rleRun(1, 3) + fixtures::rleEndOfLine() +
                                fixtures::rleDelta(2, 0) + fixtures::rleRun(2, 3) +
                                fixtures::rleEndOfBitmap();
        const QColor grey1(85, 85, 85);
        const QColor grey2(170, 170, 170);
        QTest::newRow("bmp rle8") << "r8.bmp" << fixtures::bitmap({4, 2, 8, 1, 4, -1, rle8, {}})
                                  << "bmp" << QSize(4, 2)
                                  << QList<QPoint>{{0, 0}, {2, 0}, {1, 1}, {2, 1}, {3, 1}}
                                  << QList<QColor>{Qt::transparent, Qt::white, grey1, grey2,
                                                   Qt::white};
        // A run of the indices 1 and 2 in turn, then a literal of 0, 1, 2.
        const QByteArray rle4 = fixtures::rleRun(5, 0x12) + fixtures::rleEndOfLine() +
                                QByteArray("\0\3\x01\x20", 4) + fixtures::rleEndOfBitmap();
        const QColor half(127, 127, 127);
        QTest::newRow("bmp rle4") << "r4.bmp" << fixtures::bitmap({5, 2, 4, 2, 3, -1, rle4, {}})
                                  << "bmp" << QSize(5, 2)
                                  << QList<QPoint>{{0, 1}, {1, 1}, {4, 1}, {0, 0}, {2, 0}, {3, 0}}
                                  << QList<QColor>{half,      Qt::white, half,
                                                   Qt::black, Qt::white, Qt::transparent};
        QTest::newRow("ico") << "a.ico"
                             << fixtures::written(
                                    sample().scaled(16, 12).convertToFormat(QImage::Format_ARGB32),
                                    "ico")
                             << "ico" << QSize(16, 12) << QList<QPoint>{{15, 11}}
                             << QList<QColor>{Qt::blue};
        QImage red(16, 8, QImage::Format_RGB32);
        red.fill(Qt::red);
        QTest::newRow("jpg") << "a.jpg" << fixtures::written(red, "jpg") << "jpg" << QSize(16, 8)
                             << QList<QPoint>{{8, 4}} << QList<QColor>{Qt::red};
        QTest::newRow("JPG upper case")
            << "b.JPG" << fixtures::written(red, "jpg") << "jpg" << QSize(16, 8)
            << QList<QPoint>{{0, 0}} << QList<QColor>{Qt::red};
        QTest::newRow("jpeg") << "c.jpeg" << fixtures::written(red, "jpg") << "jpeg" << QSize(16, 8)
                              << QList<QPoint>{} << QList<QColor>{};
        QTest::newRow("gif, transparent corner")
            << "a.gif" << fixtures::gif(2, 2, {frame({0, 1, 1, 3}, 0)}) << "gif" << QSize(2, 2)
            << QList<QPoint>{{0, 0}, {1, 0}, {1, 1}}
            << QList<QColor>{Qt::transparent, Qt::red, Qt::blue};
        QTest::newRow("GIF upper case")
            << "b.GIF" << fixtures::gif(2, 2, {frame({2, 2, 2, 2})}) << "gif" << QSize(2, 2)
            << QList<QPoint>{{1, 1}} << QList<QColor>{Qt::green};
        QTest::newRow("wmf") << "a.wmf" << squareWmf() << "wmf" << QSize(100, 50)
                             << QList<QPoint>{{10, 10}, {48, 48}, {75, 25}}
                             << QList<QColor>{Qt::red, Qt::red, Qt::transparent};
        QTest::newRow("wmf at 1440 units per inch")
            << "b.wmf"
            << fixtures::wmf(1500, 750,
                             fixtures::wmfRecord(0x02FC, {0, 0x00FF, 0, 0}) +
                                 fixtures::wmfRecord(0x012D, {0}) +
                                 fixtures::wmfRecord(0x041B, {750, 750, 0, 0}),
                             1440)
            << "wmf" << QSize(100, 50) << QList<QPoint>{{25, 25}, {75, 25}}
            << QList<QColor>{Qt::red, Qt::transparent};
        // Slots 0 to 2 made, 1 and 0 freed: the red brush made next takes
        // slot 0, the lowest free one, and the blue one after it slot 1.
        using fixtures::wmfRecord;
        const QByteArray blue = wmfRecord(0x02FC, {0, 0, 0x00FF, 0});
        QTest::newRow("wmf new objects take the lowest free slot")
            << "slots.wmf"
            << fixtures::wmf(100, 50,
                             blue + blue + blue + wmfRecord(0x01F0, {1}) + wmfRecord(0x01F0, {0}) +
                                 wmfRecord(0x02FC, {0, 0x00FF, 0, 0}) + blue +
                                 wmfRecord(0x02FA, {5, 0, 0, 0, 0}) + wmfRecord(0x012D, {3}) +
                                 wmfRecord(0x012D, {0}) + wmfRecord(0x041B, {50, 50, 0, 0}) +
                                 wmfRecord(0x012D, {1}) + wmfRecord(0x041B, {50, 100, 0, 50}))
            << "wmf" << QSize(100, 50) << QList<QPoint>{{25, 25}, {75, 25}}
            << QList<QColor>{Qt::red, Qt::blue};
        QTest::newRow("emf") << "a.emf" << squareEmf() << "emf" << QSize(100, 50)
                             << QList<QPoint>{{75, 25}, {25, 25}}
                             << QList<QColor>{Qt::blue, Qt::transparent};
    }
    void loadsEachFormat() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, format);
        QFETCH(QSize, size);
        QFETCH(QList<QPoint>, probes);
        QFETCH(QList<QColor>, colours);
        TPicture picture;
        QSignalSpy changed(&picture, &TPicture::changed);
        picture.LoadFromFile(file(name, content));
        QVERIFY(!picture.isEmpty());
        QCOMPARE(QString::fromStdString(picture.format()), format);
        QCOMPARE(picture.size(), size);
        QCOMPARE(changed.count(), 1);
        const QImage image = rendered(picture);
        for (qsizetype i = 0; i < probes.size(); ++i) {
            const QColor actual = image.pixelColor(probes[i]);
            QVERIFY2(near(actual, colours[i]), qPrintable(QStringLiteral("pixel (%1, %2) is %3")
                                                              .arg(probes[i].x())
                                                              .arg(probes[i].y())
                                                              .arg(actual.name(QColor::HexArgb))));
        }
    }

    void metafileRecordsDraw_data() {
        using fixtures::emfRecord;
        using fixtures::wmfRecord;
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QPoint>("inked");
        QTest::addColumn<QPoint>("clear");
        const QByteArray redBrush = wmfRecord(0x02FC, {0, 0x00FF, 0, 0}) + wmfRecord(0x012D, {0});
        const QByteArray redPen = wmfRecord(0x02FA, {0, 1, 0, 0x00FF, 0}) + wmfRecord(0x012D, {1});
        QTest::newRow("wmf ellipse")
            << "e.wmf" << fixtures::wmf(100, 50, redBrush + wmfRecord(0x0418, {50, 100, 0, 0}))
            << QPoint(50, 25) << QPoint(2, 2);
        QTest::newRow("wmf polygon")
            << "p.wmf"
            << fixtures::wmf(100, 50, redBrush + wmfRecord(0x0324, {3, 0, 0, 100, 0, 0, 50}))
            << QPoint(10, 5) << QPoint(90, 45);
        QTest::newRow("wmf line") << "l.wmf"
                                  << fixtures::wmf(100, 50,
                                                   redPen + wmfRecord(0x0214, {10, 0}) +
                                                       wmfRecord(0x0213, {10, 100}))
                                  << QPoint(50, 10) << QPoint(50, 20);
        QTest::newRow("wmf window extent scales")
            << "w.wmf"
            << fixtures::wmf(100, 50,
                             redBrush + wmfRecord(0x020C, {100, 200}) +
                                 wmfRecord(0x041B, {50, 100, 0, 0}))
            << QPoint(40, 20) << QPoint(60, 30);
        QTest::newRow("wmf window origin moves")
            << "o.wmf"
            << fixtures::wmf(100, 50,
                             redBrush + wmfRecord(0x020B, {0, 50}) +
                                 wmfRecord(0x041B, {50, 100, 0, 50}))
            << QPoint(25, 25) << QPoint(75, 25);
        QTest::newRow("wmf text") << "t.wmf"
                                  << fixtures::wmf(100, 50,
                                                   wmfRecord(0x0209, {0x00FF, 0}) +
                                                       wmfRecord(0x0102, {1}) + // transparent
                                                       wmfRecord(0x0521, {2, 0x4D4D, 5, 5}))
                                  << QPoint(-1, -1) << QPoint(90, 45);
        const QByteArray blueBrush = emfRecord(39, {1, 0, 0x00FF0000, 0}) + emfRecord(37, {1});
        QTest::newRow("emf ellipse")
            << "e.emf" << fixtures::emf(100, 50, blueBrush + emfRecord(42, {0, 0, 100, 50}))
            << QPoint(50, 25) << QPoint(2, 2);
        QTest::newRow("emf polygon16")
            << "p.emf"
            << fixtures::emf(100, 50,
                             blueBrush + emfRecord(86, {0, 0, 100, 50, 3, 0, 100, 50 << 16}))
            << QPoint(10, 5) << QPoint(90, 45);
        QTest::newRow("emf line") << "l.emf"
                                  << fixtures::emf(100, 50,
                                                   emfRecord(38, {2, 0, 1, 0, 0x00FF0000}) +
                                                       emfRecord(37, {2}) + emfRecord(27, {0, 10}) +
                                                       emfRecord(54, {100, 10}))
                                  << QPoint(50, 10) << QPoint(50, 20);
        QTest::newRow("emf anisotropic mapping")
            << "m.emf"
            << fixtures::emf(100, 50,
                             blueBrush + emfRecord(17, {8}) + emfRecord(9, {1000, 500}) +
                                 emfRecord(11, {100, 50}) + emfRecord(43, {0, 0, 500, 500}))
            << QPoint(40, 40) << QPoint(60, 10);
        QTest::newRow("emf text") << "t.emf"
                                  << fixtures::emf(
                                         100, 50,
                                         emfRecord(84, {0, 0, 100, 50, 1, 0, 0, 5, 5, 2, 76, 0, 0,
                                                        0, 0, 0, 0, 0x004D004D}))
                                  << QPoint(-1, -1) << QPoint(90, 45);
    }
    // A probe that is inked, or for (-1, -1) any pixel at all, and one left
    // clear.
    void metafileRecordsDraw() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QPoint, inked);
        QFETCH(QPoint, clear);
        TPicture picture;
        picture.LoadFromFile(file(name, content));
        const QImage image = rendered(picture);
        if (inked.x() >= 0) {
            QVERIFY(image.pixelColor(inked).alpha() == 255);
        } else {
            bool any = false;
            for (int y = 0; y < image.height() && !any; ++y)
                for (int x = 0; x < image.width() && !any; ++x)
                    any = image.pixelColor(x, y).alpha() > 0;
            QVERIFY2(any, "nothing drawn");
        }
        QCOMPARE(image.pixelColor(clear).alpha(), 0);
    }

    void rejectsWhatIsNotItsFormat_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        const QByteArray garbage("This is no picture at all, just some text in a file.");
        const QByteArray bmp = fixtures::written(sample(), "bmp");
        const QByteArray gif = fixtures::gif(2, 2, {frame({0, 1, 1, 1})});
        const QByteArray wmf = squareWmf();
        const QByteArray emf = squareEmf();
        QTest::newRow("bmp garbage") << "g.bmp" << garbage << "Bitmap image is not valid";
        QTest::newRow("bmp empty") << "e.bmp" << QByteArray() << "Bitmap image is not valid";
        QTest::newRow("bmp cut short")
            << "t.bmp" << bmp.left(bmp.size() - 4) << "Bitmap image is not valid";
        QTest::newRow("ico garbage") << "g.ico" << garbage << "Icon image is not valid";
        QTest::newRow("ico image outside the file")
            << "t.ico" << fixtures::written(QImage(16, 16, QImage::Format_ARGB32), "ico").left(40)
            << "Icon image is not valid";
        QTest::newRow("wmf garbage") << "g.wmf" << garbage << "Metafile is not valid";
        QTest::newRow("wmf cut short")
            << "t.wmf" << wmf.left(wmf.size() - 6) << "Metafile is not valid";
        QByteArray badChecksum = wmf;
        badChecksum[20] = char(badChecksum[20] ^ 1);
        QTest::newRow("wmf checksum") << "c.wmf" << badChecksum << "Metafile is not valid";
        QTest::newRow("emf garbage") << "g.emf" << garbage << "Metafile is not valid";
        QTest::newRow("emf cut short")
            << "t.emf" << emf.left(emf.size() - 20) << "Metafile is not valid";
        QTest::newRow("emf as wmf") << "x.wmf" << emf << "Metafile is not valid";
        QTest::newRow("jpeg garbage") << "g.jpg" << garbage << jpegError(JERR_NO_SOI);
        QTest::newRow("jpeg empty") << "e.jpeg" << QByteArray() << jpegError(JERR_INPUT_EMPTY);
        QTest::newRow("gif without signature")
            << "s.gif" << QByteArray("XIF").append(gif.mid(3)) << "Invalid GIF signature";
        QTest::newRow("gif garbage") << "g.gif" << garbage << "Invalid GIF signature";
        QTest::newRow("gif cut short")
            << "t.gif" << gif.left(gif.size() - 5) << "Premature end of GIF data";
        QTest::newRow("gif version")
            << "v.gif" << QByteArray("GIF90a").append(gif.mid(6)) << "Unsupported GIF version";
        QTest::newRow("gif without frames")
            << "f.gif" << gif.left(25).append(char(0x3B)) << "GIF image is empty";
    }
    void rejectsWhatIsNotItsFormat() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        TPicture picture;
        QCOMPARE(messageOf(picture, file(name, content)), message);
        QVERIFY(picture.isEmpty());
    }

    void rejectsMoreThan16Megapixels_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("bmp 10000 × 10000")
            << "big.bmp" << bitmapHeader(10000, 10000) << "Bitmap image is not valid";
        QTest::newRow("bmp 4097 × 4096")
            << "edge.bmp" << bitmapHeader(4097, 4096) << "Bitmap image is not valid";
        QTest::newRow("bmp rle 4096 × 4097")
            << "edge.bmp" << bitmapHeader(4096, 4097, true) << "Bitmap image is not valid";
        QTest::newRow("gif 4097 × 4096")
            << "big.gif" << fixtures::gifWithScreen(4097, 4096) << "GIF image is not valid";
        QImage red(16, 16, QImage::Format_RGB32);
        red.fill(Qt::red);
        QTest::newRow("jpeg 4097 × 4096")
            << "big.jpg" << jpegOf(red, 4097, 4096) << jpegError(JERR_IMAGE_TOO_BIG);
        QTest::newRow("wmf 30000 × 30000 at 10 per inch")
            << "big.wmf" << fixtures::wmf(30000, 30000, {}, 10) << "Metafile is not valid";
        QTest::newRow("wmf 4097 × 4096")
            << "edge.wmf" << fixtures::wmf(4097, 4096, {}) << "Metafile is not valid";
        QTest::newRow("emf 4097 × 4096")
            << "edge.emf" << fixtures::emf(4097, 4096, {}) << "Metafile is not valid";
    }
    void rejectsMoreThan16Megapixels() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        TPicture picture;
        QCOMPARE(messageOf(picture, file(name, content)), message);
    }

    // Pictures of the pixel limit itself load, whichever way they are
    // shaped.
    void loadsPicturesOf16Megapixels_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QSize>("size");
        QTest::newRow("bmp rle 4096 × 4096")
            << "full.bmp" << fixtures::rle8Filled(4096, 4096) << QSize(4096, 4096);
        QTest::newRow("gif 16384 × 1024")
            << "wide.gif" << fixtures::gifWithScreen(16384, 1024) << QSize(16384, 1024);
        QImage grey(4096, 4096, QImage::Format_RGB32);
        grey.fill(Qt::gray);
        QTest::newRow("jpeg 4096 × 4096")
            << "full.jpg" << fixtures::jpegWritten(grey, false) << QSize(4096, 4096);
        QTest::newRow("progressive jpeg 4096 × 4096")
            << "full.jpg" << fixtures::jpegWritten(grey, true) << QSize(4096, 4096);
        QTest::newRow("wmf 4096 × 4096")
            << "full.wmf" << fixtures::wmf(4096, 4096, {}) << QSize(4096, 4096);
    }
    void loadsPicturesOf16Megapixels() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QSize, size);
        TPicture picture;
        picture.LoadFromFile(file(name, content));
        QCOMPARE(picture.size(), size);
    }

    // Files built to hurt a reader, each the reproducer of a fault the
    // readers once had: drawing past a colour table, a file's content taken
    // from past its end, a few bytes asking for hundreds of megabytes, an
    // object table searched from its start at every record, a stack of saved
    // states without bound, sizes times the mapping scale without bound.
    // Each is refused whole, before anything draws it, with its format's
    // own message.
    void rejectsHostileFiles_data() {
        using fixtures::BitmapShape;
        using fixtures::emfRecord;
        using fixtures::rleEndOfBitmap;
        using fixtures::rleEndOfLine;
        using fixtures::rleRun;
        using fixtures::wmfRecord;
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        const QString bmp = "Bitmap image is not valid";
        const QString metafile = "Metafile is not valid";

        QTest::newRow("bmp rle index beyond the colours")
            << "i.bmp" << fixtures::rleIndexBeyondColours() << bmp;
        QTest::newRow("bmp index beyond the colours")
            << "u.bmp" << fixtures::uncompressedIndexBeyondColours() << bmp;
        QTest::newRow("bmp rle pixels past the end")
            << "p.bmp" << fixtures::rlePixelsPastTheEnd() << bmp;
        QTest::newRow("bmp rle 1 KB declaring 8192 × 8192")
            << "h.bmp" << fixtures::rleDeclaringHuge() << bmp;
        QTest::newRow("bmp rle without end of bitmap")
            << "e.bmp" << fixtures::bitmap({4, 4, 8, 1, 0, -1, rleRun(4, 1) + rleEndOfLine(), {}})
            << bmp;
        QTest::newRow("bmp rle run past its row")
            << "r.bmp" << fixtures::bitmap({4, 4, 8, 1, 0, -1, rleRun(5, 1) + rleEndOfBitmap(), {}})
            << bmp;
        QTest::newRow("bmp rle literal past its row")
            << "l.bmp"
            << fixtures::bitmap(
                   {4, 4, 8, 1, 0, -1, QByteArray("\0\5\1\1\1\1\1\0", 8) + rleEndOfBitmap(), {}})
            << bmp;
        QTest::newRow("bmp rle move past the top")
            << "m.bmp"
            << fixtures::bitmap(
                   {4, 4, 8, 1, 0, -1, fixtures::rleDelta(0, 5) + rleEndOfBitmap(), {}})
            << bmp;
        QTest::newRow("bmp rle4 index beyond the colours")
            << "4.bmp"
            << fixtures::bitmap({4, 1, 4, 2, 3, -1, rleRun(4, 0x13) + rleEndOfBitmap(), {}}) << bmp;
        QTest::newRow("bmp rle top-down")
            << "t.bmp" << fixtures::bitmap({4, -4, 8, 1, 0, -1, rleEndOfBitmap(), {}}) << bmp;
        QTest::newRow("bmp colour table past the end")
            << "c.bmp" << fixtures::bitmap({4, 1, 8, 0, 0, 2, QByteArray(4, '\0'), {}}) << bmp;
        QTest::newRow("bmp more colours than its depth holds")
            << "d.bmp" << fixtures::bitmap({4, 1, 1, 0, 3, -1, QByteArray(4, '\0'), {}}) << bmp;

        QTest::newRow("ico holding a png of 5000 × 5000")
            << "p.ico" << fixtures::iconOfLargePng() << "Icon image is not valid";

        QTest::newRow("gif 95 bytes with a screen of 8192 × 8192")
            << "s.gif" << fixtures::gifWithScreen(8192, 8192) << "GIF image is not valid";
        QByteArray farFrame = fixtures::gif(1, 1, {frame({1})});
        // The frame's left and top edges at 4096, on a 1 × 1 screen.
        const qsizetype descriptor = farFrame.indexOf(char(0x2C));
        farFrame[descriptor + 2] = char(0x10);
        farFrame[descriptor + 4] = char(0x10);
        QTest::newRow("gif frame far beyond its screen")
            << "f.gif" << farFrame << "GIF image is not valid";

        QTest::newRow("jpeg of 600 bytes declaring 8192 × 8192")
            << "h.jpg" << fixtures::tinyJpegDeclaringHuge(false) << jpegError(JERR_IMAGE_TOO_BIG);
        QTest::newRow("progressive jpeg of 500 bytes declaring 8192 × 8192")
            << "p.jpg" << fixtures::tinyJpegDeclaringHuge(true) << jpegError(JERR_IMAGE_TOO_BIG);
        QTest::newRow("progressive jpeg of 600 scans")
            << "s.jpg"
            << fixtures::progressiveJpegWithScans(fixtures::tinyJpegDeclaringHuge(true, 64, 64),
                                                  600)
            << jpegError(JERR_BAD_PROGRESSION);

        QTest::newRow("wmf objects beyond the header's count")
            << "o.wmf"
            << fixtures::wmf(100, 50, fixtures::repeated(wmfRecord(0x00F7, {0x0300, 0}), 5), 96, 4)
            << metafile;
        QTest::newRow("wmf selects beyond the table")
            << "s.wmf" << fixtures::wmf(100, 50, wmfRecord(0x012D, {4})) << metafile;
        QTest::newRow("wmf deletes beyond the table")
            << "d.wmf" << fixtures::wmf(100, 50, wmfRecord(0x01F0, {7})) << metafile;
        QTest::newRow("wmf 1025 saved states")
            << "v.wmf" << fixtures::wmfManySaves(1025) << metafile;
        QTest::newRow("wmf font of 32767 × 50 pixels")
            << "f.wmf" << fixtures::wmfTextOfHeight(32767) << metafile;
        QTest::newRow("wmf pen of 32767 × 70 pixels")
            << "p.wmf" << fixtures::wmfLineOfPenWidth(32767) << metafile;
        QTest::newRow("wmf drawing more than a paint may take")
            << "w.wmf"
            << fixtures::wmf(100, 50, fixtures::repeated(wmfRecord(0x041B, {50, 50, 0, 0}), 30001))
            << metafile;
        QTest::newRow("wmf texts more than a paint may take")
            << "t.wmf"
            << fixtures::wmf(100, 50,
                             fixtures::repeated(wmfRecord(0x0521, {2, 0x4D4D, 5, 5}), 10001))
            << metafile;

        QTest::newRow("emf object beyond the handles")
            << "o.emf" << fixtures::emfObjectBeyondHandles(4) << metafile;
        QTest::newRow("emf object far beyond the handles")
            << "f.emf" << fixtures::emfObjectBeyondHandles(0x7FFFFFFF) << metafile;
        QTest::newRow("emf selects beyond the handles")
            << "s.emf" << fixtures::emf(100, 50, emfRecord(37, {9})) << metafile;
        QTest::newRow("emf 1025 saved states")
            << "v.emf" << fixtures::emfManySaves(1025) << metafile;
        QTest::newRow("emf font of 2^30 × 1000 pixels")
            << "t.emf" << fixtures::emfTextOfHeight(1 << 30, 1000) << metafile;
        QTest::newRow("emf font of 5000 pixels")
            << "5.emf" << fixtures::emfTextOfHeight(-5000) << metafile;
        QTest::newRow("emf pen of 2^30 × 1000 pixels")
            << "p.emf" << fixtures::emfLineOfPenWidth(1u << 30, 1000) << metafile;
    }
    void rejectsHostileFiles() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        TPicture picture;
        QCOMPARE(messageOf(picture, file(name, content)), message);
        QVERIFY(picture.isEmpty());
    }

    // What the checks above must let through: files at the edge of each
    // bound, and the legitimate use of what the hostile files abuse.
    void loadsFilesWithinTheBounds_data() {
        using fixtures::emfRecord;
        using fixtures::wmfRecord;
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QSize>("size");
        QTest::newRow("wmf 10000 palettes, as many objects in its header")
            << "p.wmf" << fixtures::wmfManyPalettes(10000) << QSize(100, 50);
        QTest::newRow("wmf 65535 objects made and deleted in turn")
            << "d.wmf"
            << fixtures::wmf(100, 50,
                             fixtures::repeated(
                                 wmfRecord(0x00F7, {0x0300, 0}) + wmfRecord(0x01F0, {0}), 65535),
                             96, 1)
            << QSize(100, 50);
        QTest::newRow("wmf 1024 saved states")
            << "v.wmf" << fixtures::wmfManySaves(1024) << QSize(100, 50);
        QTest::newRow("wmf 30000 rectangles")
            << "w.wmf"
            << fixtures::wmf(100, 50, fixtures::repeated(wmfRecord(0x041B, {50, 50, 0, 0}), 30000))
            << QSize(100, 50);
        QTest::newRow("wmf font of 80 × 50 pixels")
            << "f.wmf" << fixtures::wmfTextOfHeight(80) << QSize(100, 50);
        QTest::newRow("ico holding a png of 1000 × 1000")
            << "p.ico" << fixtures::iconOfLargePng(1000) << QSize(1000, 1000);
        QTest::newRow("emf object at the last handle")
            << "o.emf" << fixtures::emfObjectBeyondHandles(3) << QSize(100, 50);
        QTest::newRow("emf 1024 saved states")
            << "v.emf" << fixtures::emfManySaves(1024) << QSize(100, 50);
        QTest::newRow("emf font of 4000 pixels")
            << "t.emf" << fixtures::emfTextOfHeight(-4000) << QSize(100, 50);
        QTest::newRow("emf pen of 40 × 100 pixels")
            << "p.emf" << fixtures::emfLineOfPenWidth(40, 100) << QSize(100, 50);
        QTest::newRow("progressive jpeg of 400 scans")
            << "s.jpg"
            << fixtures::progressiveJpegWithScans(fixtures::tinyJpegDeclaringHuge(true, 64, 64),
                                                  400)
            << QSize(64, 64);
    }
    void loadsFilesWithinTheBounds() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QSize, size);
        TPicture picture;
        picture.LoadFromFile(file(name, content));
        QCOMPARE(picture.size(), size);
    }

    void unknownExtension_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("png") << "fname1.png"
                             << "Unknown picture file extension (.png)";
        QTest::newRow("PNG keeps its case") << "fname1.PNG"
                                            << "Unknown picture file extension (.PNG)";
        QTest::newRow("no extension") << "fname1"
                                      << "Unknown picture file extension (.)";
        QTest::newRow("query after jpg") << "top.jpg?v=2"
                                         << "Unknown picture file extension (.jpg?v=2)";
        QTest::newRow("last extension counts") << "a.jpg.txt"
                                               << "Unknown picture file extension (.txt)";
    }
    void unknownExtension() {
        QFETCH(QString, name);
        QFETCH(QString, message);
        // The extension is refused before the file is looked at.
        const std::string fileName = file(name, fixtures::written(sample(), "bmp"));
        TPicture picture;
        QCOMPARE(messageOf(picture, fileName), message);
    }

    // A dot in a folder's name is no extension of the file.
    void folderNamesDoNotCount() {
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("kalvor.app")));
        const std::string fileName =
            file(QStringLiteral("kalvor.app/fname1"), fixtures::written(sample(), "bmp"));
        TPicture picture;
        QCOMPARE(messageOf(picture, fileName),
                 QStringLiteral("Unknown picture file extension (.)"));
        picture.LoadFromFile(
            file(QStringLiteral("kalvor.app/fname1.bmp"), fixtures::written(sample(), "bmp")));
        QCOMPARE(picture.format(), std::string("bmp"));
    }

    void missingFileIsAnError() {
        TPicture picture;
        const QString message = messageOf(picture, bytesOf(dir_.filePath("absent.bmp")));
        QVERIFY2(message.startsWith("Cannot open file \""), qPrintable(message));
    }

    void failedLoadKeepsThePicture() {
        TPicture picture;
        picture.LoadFromFile(file("keep.bmp", fixtures::written(sample(), "bmp")));
        QSignalSpy changed(&picture, &TPicture::changed);
        for (const char* name : {"bad.gif", "bad.jpg", "bad.wmf", "bad.png"})
            QVERIFY(messageOf(picture, file(name, "garbage")) != "(no error)");
        QCOMPARE(changed.count(), 0);
        QCOMPARE(QString::fromStdString(picture.format()), QStringLiteral("bmp"));
        QCOMPARE(picture.size(), QSize(4, 3));
        QCOMPARE(rendered(picture).pixelColor(0, 0), QColor(Qt::green));
    }

    void bitmapIsOnlyForBitmaps() {
        TPicture picture;
        QVERIFY(picture.bitmap() == nullptr);
        QImage red(16, 8, QImage::Format_RGB32);
        red.fill(Qt::red);
        picture.LoadFromFile(file("only.jpg", fixtures::written(red, "jpg")));
        QVERIFY(picture.bitmap() == nullptr);
        picture.LoadFromFile(file("only.bmp", fixtures::written(sample(), "bmp")));
        QVERIFY(picture.bitmap() != nullptr);
        QCOMPARE(picture.bitmap()->size(), QSize(4, 3));
    }

    void animatedGifChangesPerFrame() {
        TPicture picture;
        QSignalSpy changed(&picture, &TPicture::changed);
        picture.LoadFromFile(file(
            "anim.gif", fixtures::gif(2, 2, {frame({0, 1, 1, 1}, 0), frame({2, 2, 2, 0}, 0)})));
        QCOMPARE(picture.size(), QSize(2, 2));
        // Frames two hundredths of a second apart, looping: both show within
        // a second, the transparent corner staying clear.
        // Looked at as each frame comes: a look at moments of its own could
        // fall in step with the frames and see only one of them.
        bool sawRed = false;
        bool sawGreen = false;
        bool redCornerClear = true;
        const auto look = [&] {
            const QImage image = rendered(picture);
            const bool red = image.pixelColor(1, 0) == QColor(Qt::red);
            sawRed = sawRed || red;
            sawGreen = sawGreen || image.pixelColor(1, 0) == QColor(Qt::green);
            redCornerClear = redCornerClear && (!red || image.pixelColor(0, 0).alpha() == 0);
        };
        look();
        connect(&picture, &TPicture::changed, this, look);
        QTRY_VERIFY_WITH_TIMEOUT(sawRed && sawGreen && changed.count() >= 3, 5000);
        QVERIFY(redCornerClear);
    }

    // Frames come in their order and start over as often as the file says:
    // for ever with a loop count of 0, once without the loop extension.
    void gifFramesComeInTurn_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QList<QColor>>("frames"); // of pixel (1, 0), after the first
        QTest::addColumn<bool>("ends");
        const QByteArray looping =
            fixtures::gif(2, 2, {frame({0, 1, 1, 1}), frame({2, 2, 2, 0}), frame({3, 3, 3, 3})});
        QByteArray once = looping;
        once.remove(once.indexOf(QByteArray::fromHex("21ff0b")), 19);
        QTest::newRow("for ever") << looping << QList<QColor>{Qt::green, Qt::blue, Qt::red,
                                                              Qt::green, Qt::blue, Qt::red}
                                  << false;
        QTest::newRow("once") << once << QList<QColor>{Qt::green, Qt::blue} << true;
    }
    void gifFramesComeInTurn() {
        QFETCH(QByteArray, content);
        QFETCH(QList<QColor>, frames);
        QFETCH(bool, ends);
        const std::unique_ptr<platform::TGraphic> gif = platform::readGif(content);
        for (const QColor& expected : frames) {
            QVERIFY(gif->advanceFrame());
            QImage image(2, 2, QImage::Format_ARGB32);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            gif->draw(painter, QPoint(0, 0));
            painter.end();
            QCOMPARE(image.pixelColor(1, 0), expected);
        }
        QCOMPARE(!gif->advanceFrame(), ends);
    }
};

QTEST_MAIN(TestPicture)
#include "test_picture.moc"

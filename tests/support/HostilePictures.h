#pragma once

// Picture files made to hurt a reader: what a broken or hostile promotion
// server could send. Each one stands for a fault the readers once had; the
// tests load them, the fuzz corpus holds them, and the picture benchmark
// grows them to the download cap. Built on PictureFixtures.h.

#include "PictureFixtures.h"

#include <QImage>
#include <QImageWriter>
#include <QtGlobal>
#include <optional>

namespace fixtures {

// ---- Windows bitmaps --------------------------------------------------------

struct BitmapShape {
    int width = 4;
    int height = 4;
    int bitsPerPixel = 8;
    int compression = 0;     // BI_RGB 0, BI_RLE8 1, BI_RLE4 2
    int colours = 0;         // the header's colour count (0: all that the depth has)
    int paletteEntries = -1; // entries written (-1: as the colour count says)
    QByteArray pixels;
    std::optional<quint32> pixelsAt; // the header's pixel offset, when it lies
};

// A BMP file with a Windows 3 header; the colour table is a grey ramp.
inline QByteArray bitmap(const BitmapShape& shape) {
    const int depthColours = shape.bitsPerPixel <= 8 ? 1 << shape.bitsPerPixel : 0;
    const int entries = shape.paletteEntries >= 0 ? shape.paletteEntries
                        : shape.colours > 0       ? shape.colours
                                                  : depthColours;
    const quint32 pixelsAt = quint32(14 + 40 + 4 * entries);
    QByteArray out("BM");
    putDword(out, pixelsAt + quint32(shape.pixels.size()));
    putDword(out, 0);
    putDword(out, shape.pixelsAt.value_or(pixelsAt));
    putDword(out, 40);
    putDword(out, quint32(shape.width));
    putDword(out, quint32(shape.height));
    putWord(out, 1);
    putWord(out, shape.bitsPerPixel);
    putDword(out, quint32(shape.compression));
    putDword(out, quint32(shape.pixels.size()));
    putDword(out, 2835); // 72 dpi
    putDword(out, 2835);
    putDword(out, quint32(shape.colours));
    putDword(out, 0);
    for (int i = 0; i < entries; ++i) {
        const char grey = char(entries > 1 ? i * 255 / (entries - 1) : 0);
        out.append(grey).append(grey).append(grey).append('\0');
    }
    return out + shape.pixels;
}

// Run-length codes of RLE8 and RLE4 bitmaps.
inline QByteArray rleRun(int count, int value) {
    return QByteArray(1, char(count)).append(char(value));
}
inline QByteArray rleEndOfLine() {
    return QByteArray("\0\0", 2);
}
inline QByteArray rleEndOfBitmap() {
    return QByteArray("\0\1", 2);
}
inline QByteArray rleDelta(int right, int up) {
    return QByteArray("\0\2", 2).append(char(right)).append(char(up));
}

// An RLE8 bitmap of width × height in runs of up to runLength pixels,
// their indices counting up from 0 to colours - 1, row by row.
inline QByteArray rle8Filled(int width, int height, int runLength = 255, int colours = 256) {
    QByteArray stream;
    int index = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; x += runLength, index = (index + 1) % colours)
            stream += rleRun(qMin(runLength, width - x), index);
        stream += rleEndOfLine();
    }
    stream += rleEndOfBitmap();
    return bitmap({width, height, 8, 1, colours == 256 ? 0 : colours, -1, stream, {}});
}

// Found: an accepted 4 × 4 RLE8 picture of two colours whose pixels name
// colour 184, past the end of the colour table that drawing reads.
inline QByteArray rleIndexBeyondColours() {
    const QByteArray stream = rleRun(4, 1) + rleEndOfLine() + rleRun(4, 184) + rleEndOfLine() +
                              rleRun(4, 0) + rleEndOfLine() + rleRun(4, 1) + rleEndOfBitmap();
    return bitmap({4, 4, 8, 1, 2, -1, stream, {}});
}

// Found: an RLE bitmap whose pixel offset lies past the end of the file.
inline QByteArray rlePixelsPastTheEnd() {
    const QByteArray stream = rleRun(4, 1) + rleEndOfLine() + rleEndOfBitmap();
    return bitmap({4, 4, 8, 1, 0, -1, stream, 0x100000});
}

// Found: a kilobyte of RLE8 that declares width × height pixels and codes
// none of them.
inline QByteArray rleDeclaringHuge(int width = 8192, int height = 8192) {
    return bitmap({width, height, 8, 1, 0, -1, rleEndOfBitmap(), {}});
}

// An uncompressed 8-bit bitmap of two colours whose pixels name colour 200.
inline QByteArray uncompressedIndexBeyondColours() {
    QByteArray pixels(16, char(1));
    pixels[5] = char(200);
    return bitmap({4, 4, 8, 0, 2, -1, pixels, {}});
}

// ---- Icons ------------------------------------------------------------------

// An icon of one image stored as PNG, whose directory entry says 256 × 256
// whatever the PNG holds.
inline QByteArray iconHoldingPng(const QByteArray& png) {
    QByteArray out;
    putWord(out, 0);
    putWord(out, 1);                                         // icon
    putWord(out, 1);                                         // one image
    out.append('\0').append('\0').append('\0').append('\0'); // 256 × 256, no palette
    putWord(out, 1);                                         // planes
    putWord(out, 32);                                        // bits per pixel
    putDword(out, quint32(png.size()));
    putDword(out, 22);
    return out + png;
}

// Found: a few kilobytes of icon whose PNG decodes to 5000 × 5000 pixels,
// past Qt's allocation limit of one picture.
inline QByteArray iconOfLargePng(int side = 5000) {
    QImage image(side, side, QImage::Format_Mono);
    image.fill(0);
    return iconHoldingPng(written(image, "png"));
}

// ---- JPEG and GIF -----------------------------------------------------------

inline QByteArray jpegWritten(const QImage& image, bool progressive, int quality = 75) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

// A JPEG whose frame header (SOF0 or SOF2) is patched to declare
// width × height.
inline QByteArray jpegDeclaring(const QByteArray& jpeg, int width, int height) {
    QByteArray patched = jpeg;
    qsizetype frame = patched.indexOf(QByteArray::fromHex("ffc0"));
    if (frame < 0)
        frame = patched.indexOf(QByteArray::fromHex("ffc2"));
    patched[frame + 5] = char(height >> 8);
    patched[frame + 6] = char(height & 0xFF);
    patched[frame + 7] = char(width >> 8);
    patched[frame + 8] = char(width & 0xFF);
    return patched;
}

inline QImage smallRed() {
    QImage red(8, 8, QImage::Format_RGB32);
    red.fill(Qt::red);
    return red;
}

// Found: a few hundred bytes of JPEG declaring 8192 × 8192, baseline or
// progressive; the progressive one makes the decoder keep every
// coefficient of the picture.
inline QByteArray tinyJpegDeclaringHuge(bool progressive, int width = 8192, int height = 8192) {
    return jpegDeclaring(jpegWritten(smallRed(), progressive), width, height);
}

// The first scan of a JPEG: its header and its coded data, up to the next
// marker that is no restart marker and no stuffed zero. Its end is where
// the next segment starts.
inline QByteArray firstScanOf(const QByteArray& jpeg, qsizetype* end = nullptr) {
    const qsizetype first = jpeg.indexOf(QByteArray::fromHex("ffda"));
    qsizetype at = first + 2;
    while (at + 1 < jpeg.size()) {
        const auto next = uchar(jpeg[at + 1]);
        if (uchar(jpeg[at]) == 0xFF && next != 0 && (next < 0xD0 || next > 0xD7))
            break;
        ++at;
    }
    if (end)
        *end = at;
    return jpeg.mid(first, at - first);
}

// A progressive JPEG whose first scan is repeated until it has the given
// number of scans: each scan makes the decoder walk the whole picture.
inline QByteArray progressiveJpegWithScans(const QByteArray& progressive, int scans) {
    qsizetype end = 0;
    const QByteArray scan = firstScanOf(progressive, &end);
    QByteArray out = progressive.left(end);
    out.reserve(progressive.size() + scan.size() * scans);
    for (int i = 1; i < scans; ++i)
        out += scan;
    return out + progressive.mid(end);
}

// Found: a GIF of one 1 × 1 frame on a logical screen of width × height.
inline QByteArray gifWithScreen(int width, int height) {
    QByteArray bytes = gif(1, 1, {GifFrame{{1}, -1, 2}});
    bytes[6] = char(width & 0xFF);
    bytes[7] = char(width >> 8);
    bytes[8] = char(height & 0xFF);
    bytes[9] = char(height >> 8);
    return bytes;
}

// ---- Metafiles ---------------------------------------------------------------

inline QByteArray repeated(const QByteArray& record, int count) {
    QByteArray out;
    out.reserve(record.size() * count);
    for (int i = 0; i < count; ++i)
        out += record;
    return out;
}

// Found: count palette creations, each taking a new slot of the object
// table; the header's object count says as many.
inline QByteArray wmfManyPalettes(int count) {
    // CREATEPALETTE: start 0x0300, no entries.
    return wmf(100, 50, repeated(wmfRecord(0x00F7, {0x0300, 0}), count), 96, qMin(count, 0xFFFF));
}

// Found: count saved states, never restored.
inline QByteArray wmfManySaves(int count) {
    return wmf(100, 50, repeated(wmfRecord(0x001E, {}), count));
}

// A WMF text of a font height, in a window of 1 × 1 units over its 100 × 50
// pixels: each logical unit is 100 pixels wide and 50 high.
inline QByteArray wmfTextOfHeight(int height) {
    return wmf(100, 50,
               wmfRecord(0x020C, {1, 1}) +                                 // window extent 1 × 1
                   wmfRecord(0x02FB, {height, 0, 0, 0, 400, 0, 0, 0, 0}) + // font, slot 0
                   wmfRecord(0x012D, {0}) + wmfRecord(0x0521, {2, 0x4D4D, 0, 0}));
}

// A WMF line drawn with a pen of the given width in the same window.
inline QByteArray wmfLineOfPenWidth(int width) {
    return wmf(100, 50,
               wmfRecord(0x020C, {1, 1}) + wmfRecord(0x02FA, {0, width, 0, 0x00FF, 0}) +
                   wmfRecord(0x012D, {0}) + wmfRecord(0x0214, {0, 0}) + wmfRecord(0x0213, {1, 1}));
}

// Found: an EMF object made at an index past the header's handle count.
inline QByteArray emfObjectBeyondHandles(quint32 index) {
    return emf(100, 50, emfRecord(39, {index, 0, 0x00FF0000, 0}) + emfRecord(37, {index}));
}

// Found: count saved states of an enhanced metafile, never restored.
inline QByteArray emfManySaves(int count) {
    return emf(100, 50, repeated(emfRecord(33, {}), count));
}

// An EMF text (ExtTextOutW of "MM") in a font of the given height, in an
// anisotropic mapping of scale × scale pixels per logical unit.
inline QByteArray emfTextOfHeight(qint32 height, int scale = 1) {
    QByteArray font;
    putDword(font, 1); // index
    putDword(font, quint32(height));
    for (int i = 0; i < 3; ++i)
        putDword(font, 0);
    putDword(font, 400);
    for (int i = 0; i < 2 + 16; ++i) // flags, then the face: 32 UTF-16 units
        putDword(font, 0);
    QByteArray fontRecord;
    putDword(fontRecord, 82);
    putDword(fontRecord, quint32(8 + font.size()));
    fontRecord += font;
    return emf(
        100, 50,
        emfRecord(17, {8}) + emfRecord(9, {1, 1}) +
            emfRecord(11, {quint32(scale), quint32(scale)}) + fontRecord + emfRecord(37, {1}) +
            emfRecord(84, {0, 0, 100, 50, 1, 0, 0, 0, 0, 2, 76, 0, 0, 0, 0, 0, 0, 0x004D004D}));
}

// An EMF line of a pen of the given width, in the same mapping.
inline QByteArray emfLineOfPenWidth(quint32 width, int scale = 1) {
    return emf(100, 50,
               emfRecord(17, {8}) + emfRecord(9, {1, 1}) +
                   emfRecord(11, {quint32(scale), quint32(scale)}) +
                   emfRecord(38, {1, 0, width, 0, 0x000000FF}) + emfRecord(37, {1}) +
                   emfRecord(27, {0, 0}) + emfRecord(54, {1, 1}));
}

} // namespace fixtures

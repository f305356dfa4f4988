// Windows bitmaps and icons. Their headers are checked here, against the
// file and against the pixel limit; run-length coded bitmaps are decoded
// here too, every code checked before a pixel is set. Qt's readers decode
// the rest.

#include "picture/ByteFields.h"
#include "picture/Graphic.h"
#include "system/Exception.h"

#include <QList>
#include <optional>

namespace platform {

namespace {

const std::string InvalidBitmap = "Bitmap image is not valid";
const std::string InvalidIcon = "Icon image is not valid";

[[noreturn]] void invalidBitmap() {
    throw Exception(InvalidBitmap);
}

constexpr qsizetype FileHeaderSize = 14;

enum Compression : quint32 { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3 };

// What a bitmap's headers say, once checked against the file.
struct BitmapHeader {
    qint64 width = 0;
    qint64 height = 0; // rows, whichever way they run
    bool topDown = false;
    int bitsPerPixel = 0;
    quint32 compression = Rgb;
    QList<QRgb> colours; // the colour table of an indexed bitmap
    qsizetype pixelsAt = 0;
};

bool oneOf(quint32 value, std::initializer_list<quint32> known) {
    for (quint32 k : known)
        if (value == k)
            return true;
    return false;
}

// Reads the file header and the info header (core, OS/2 2.x, Windows 3.x to
// 5) with the colour table, and checks every size and offset against the
// file and the pixel limit.
BitmapHeader readHeader(const QByteArray& data) {
    const quint32 infoSize = dword32At(data, FileHeaderSize);
    if (!data.startsWith("BM") || !oneOf(infoSize, {12, 16, 40, 52, 56, 64, 108, 124}) ||
        data.size() < FileHeaderSize + infoSize)
        invalidBitmap();
    const bool core = infoSize == 12;
    const bool os2 = infoSize == 16 || infoSize == 64;
    BitmapHeader header;
    qint64 signedHeight = 0;
    int planes = 0;
    quint32 coloursUsed = 0;
    if (core) {
        header.width = word16At(data, 18);
        signedHeight = word16At(data, 20);
        planes = word16At(data, 22);
        header.bitsPerPixel = word16At(data, 24);
    } else {
        header.width = static_cast<qint32>(dword32At(data, 18));
        signedHeight = static_cast<qint32>(dword32At(data, 22));
        planes = word16At(data, 26);
        header.bitsPerPixel = word16At(data, 28);
        header.compression = infoSize >= 20 ? dword32At(data, 30) : Rgb;
        coloursUsed = infoSize >= 36 ? dword32At(data, 46) : 0;
    }
    header.topDown = signedHeight < 0;
    header.height = signedHeight < 0 ? -signedHeight : signedHeight;
    if (planes != 1 || header.width <= 0 || header.height == 0 ||
        exceedsPixelLimit(header.width, header.height) ||
        !oneOf(quint32(header.bitsPerPixel), {1, 4, 8, 16, 24, 32}))
        invalidBitmap();

    // Run-length coding goes with its depth, bottom-up only; bit fields
    // with 16 or 32 bits (and mean something else to OS/2).
    const bool runLength = header.compression == Rle8 || header.compression == Rle4;
    if (runLength &&
        (header.bitsPerPixel != (header.compression == Rle8 ? 8 : 4) || header.topDown))
        invalidBitmap();
    if (header.compression == BitFields &&
        (os2 || core || (header.bitsPerPixel != 16 && header.bitsPerPixel != 32)))
        invalidBitmap();
    if (header.compression > BitFields)
        invalidBitmap();

    // The colour table follows the headers (and the three masks of bit
    // fields after a Windows 3.x header).
    qsizetype tableAt = FileHeaderSize + infoSize;
    if (infoSize == 40 && header.compression == BitFields)
        tableAt += 12;
    if (header.bitsPerPixel <= 8) {
        const quint32 depthColours = 1u << header.bitsPerPixel;
        const quint32 colours = coloursUsed == 0 ? depthColours : coloursUsed;
        const qsizetype entrySize = core ? 3 : 4;
        if (colours > depthColours || tableAt + entrySize * colours > data.size())
            invalidBitmap();
        for (quint32 i = 0; i < colours; ++i) {
            const auto* entry = reinterpret_cast<const uchar*>(data.constData()) + tableAt +
                                entrySize * qsizetype(i);
            header.colours.append(qRgb(entry[2], entry[1], entry[0]));
        }
    } else if (tableAt > data.size()) {
        invalidBitmap();
    }

    header.pixelsAt = dword32At(data, 10);
    if (header.pixelsAt < FileHeaderSize + infoSize || header.pixelsAt >= data.size())
        invalidBitmap();
    if (!runLength) {
        // Every row the header announces must be there; Qt's reader would
        // fill missing rows silently.
        const qint64 stride = (header.width * header.bitsPerPixel + 31) / 32 * 4;
        if (header.pixelsAt + stride * header.height > data.size())
            invalidBitmap();
    }
    return header;
}

// Decodes RLE8 and RLE4 pixel data. Runs and literals must stay inside their
// row, moves inside the picture, every index must name a colour of the
// table, and the data must end with the end-of-bitmap code inside the file.
// Pixels that the codes skip stay transparent: Windows leaves them undrawn.
class RunLengthDecoder {
public:
    RunLengthDecoder(const QByteArray& data, const BitmapHeader& header)
        : data_(reinterpret_cast<const uchar*>(data.constData()))
        , end_(data.size())
        , at_(header.pixelsAt)
        , fourBits_(header.compression == Rle4)
        , colours_(header.colours)
        , image_(static_cast<int>(header.width), static_cast<int>(header.height),
                 QImage::Format_ARGB32_Premultiplied) {
        if (image_.isNull())
            invalidBitmap();
        image_.fill(Qt::transparent);
    }

    QImage decode() {
        for (;;) {
            const uchar count = next();
            const uchar value = next();
            if (count > 0) {
                run(count, value);
            } else if (value == 0) { // end of line
                x_ = 0;
                ++row_;
            } else if (value == 1) { // end of bitmap
                return image_;
            } else if (value == 2) { // move right and up
                x_ += next();
                row_ += next();
            } else {
                literal(value);
            }
            if (x_ > image_.width() || row_ > image_.height())
                invalidBitmap();
        }
    }

private:
    uchar next() {
        if (at_ >= end_)
            invalidBitmap();
        return data_[at_++];
    }

    void put(int index) {
        if (index >= colours_.size())
            invalidBitmap();
        reinterpret_cast<QRgb*>(image_.scanLine(image_.height() - 1 - row_))[x_++] =
            colours_[index];
    }

    void checkRoom(int pixels) const {
        if (row_ >= image_.height() || x_ + pixels > image_.width())
            invalidBitmap();
    }

    // count pixels of one index, or in RLE4 of two indices in turn.
    void run(int count, uchar value) {
        checkRoom(count);
        for (int i = 0; i < count; ++i)
            put(fourBits_ ? (i % 2 == 0 ? value >> 4 : value & 0x0F) : value);
    }

    // count indices as they stand, padded to a 16-bit boundary.
    void literal(int count) {
        checkRoom(count);
        const int bytes = fourBits_ ? (count + 1) / 2 : count;
        for (int i = 0; i < count; ++i) {
            if (!fourBits_) {
                put(next());
            } else if (i % 2 == 0) {
                nibbles_ = next();
                put(nibbles_ >> 4);
            } else {
                put(nibbles_ & 0x0F);
            }
        }
        if (bytes % 2 != 0)
            next();
    }

    const uchar* data_;
    qsizetype end_;
    qsizetype at_;
    bool fourBits_;
    const QList<QRgb>& colours_;
    QImage image_;
    int x_ = 0;
    int row_ = 0; // from the bottom
    uchar nibbles_ = 0;
};

} // namespace

std::unique_ptr<TGraphic> readBitmap(const QByteArray& data) {
    const BitmapHeader header = readHeader(data);
    if (header.compression == Rle8 || header.compression == Rle4)
        return std::make_unique<TBitmap>(RunLengthDecoder(data, header).decode());
    return std::make_unique<TBitmap>(readWithQt(data, "bmp", InvalidBitmap));
}

std::unique_ptr<TGraphic> readIcon(const QByteArray& data) {
    // ICONDIR: reserved 0, type 1 (icon), the number of images; then one
    // 16-byte entry per image, whose image data must lie inside the file.
    constexpr qsizetype DirSize = 6;
    constexpr qsizetype EntrySize = 16;
    const quint16 count = word16At(data, 4);
    if (data.size() < DirSize || word16At(data, 0) != 0 || word16At(data, 2) != 1 || count == 0 ||
        data.size() < DirSize + EntrySize * count)
        throw Exception(InvalidIcon);
    for (qsizetype entry = DirSize; entry < DirSize + EntrySize * count; entry += EntrySize) {
        const qint64 bytes = dword32At(data, entry + 8);
        const qint64 offset = dword32At(data, entry + 12);
        if (bytes == 0 || offset < DirSize + EntrySize * count || offset + bytes > data.size())
            throw Exception(InvalidIcon);
    }
    return std::make_unique<TRasterGraphic>(readWithQt(data, "ico", InvalidIcon));
}

} // namespace platform

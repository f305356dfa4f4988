// Windows bitmaps and icons, decoded by Qt's readers after our own checks of
// their headers.

#include "picture/ByteFields.h"
#include "picture/Graphic.h"
#include "system/Exception.h"

#include <QBuffer>
#include <QImageReader>

namespace platform {

QImage readWithQt(const QByteArray& data, const char* format, const std::string& invalidMessage) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    // Our own pixel limit governs; Qt's allocation limit (in megabytes) only
    // has to let a picture of that many 32-bit pixels through.
    reader.setAllocationLimit(static_cast<int>(MaxPicturePixels * 4 / (qint64{1024} * 1024)) + 64);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() || exceedsPixelLimit(size.width(), size.height()))
        throw Exception(invalidMessage);
    QImage image = reader.read();
    if (image.isNull())
        throw Exception(invalidMessage);
    return image;
}

namespace {

const std::string InvalidBitmap = "Bitmap image is not valid";
const std::string InvalidIcon = "Icon image is not valid";

constexpr qsizetype FileHeaderSize = 14;

bool knownInfoHeaderSize(quint32 size) {
    // Core (OS/2 1.x), OS/2 2.x short and long, and the Windows 3.x to 5
    // headers.
    for (quint32 known : {12u, 16u, 40u, 52u, 56u, 64u, 108u, 124u})
        if (size == known)
            return true;
    return false;
}

// An uncompressed bitmap must hold every row its header announces; Qt's
// reader would fill missing rows silently.
bool holdsAllRows(const QByteArray& data) {
    const quint32 infoSize = dword32At(data, FileHeaderSize);
    const quint32 pixelsAt = dword32At(data, 10);
    qint64 width = 0;
    qint64 height = 0;
    quint32 bitsPerPixel = 0;
    quint32 compression = 0;
    if (infoSize == 12) {
        width = word16At(data, 18);
        height = word16At(data, 20);
        bitsPerPixel = word16At(data, 24);
    } else {
        width = static_cast<qint32>(dword32At(data, 18));
        height = static_cast<qint32>(dword32At(data, 22));
        bitsPerPixel = word16At(data, 28);
        compression = infoSize >= 20 ? dword32At(data, 30) : 0;
    }
    if (width <= 0 || height == 0)
        return false;
    if (exceedsPixelLimit(width, height < 0 ? -height : height))
        return false;
    constexpr quint32 Rgb = 0;
    constexpr quint32 BitFields = 3;
    if (compression != Rgb && compression != BitFields)
        return true; // run-length coded: only decoding tells
    const qint64 stride = (width * bitsPerPixel + 31) / 32 * 4;
    return static_cast<qint64>(pixelsAt) + stride * (height < 0 ? -height : height) <= data.size();
}

} // namespace

std::unique_ptr<TGraphic> readBitmap(const QByteArray& data) {
    if (data.size() < FileHeaderSize + 12 || !data.startsWith("BM") ||
        !knownInfoHeaderSize(dword32At(data, FileHeaderSize)) || !holdsAllRows(data))
        throw Exception(InvalidBitmap);
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

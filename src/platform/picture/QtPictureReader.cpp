#include "picture/Graphic.h"
#include "system/Exception.h"

namespace platform {
namespace {

// Qt's limit, in megabytes, is the process's own: one picture of our pixel
// limit in 32-bit pixels passes it, and nothing larger.
void applyAllocationLimit() {
    constexpr qint64 MiB = qint64{1024} * 1024;
    QImageReader::setAllocationLimit(static_cast<int>((MaxPicturePixels * 4 + MiB - 1) / MiB));
}

// Whether every pixel of an indexed image names a colour of its table.
bool namesOnlyItsColours(const QImage& image) {
    const bool eightBits = image.format() == QImage::Format_Indexed8;
    const bool oneBit =
        image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB;
    const int colours = image.colorCount();
    if ((!eightBits && !oneBit) || colours >= (eightBits ? 256 : 2))
        return true;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* line = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            const int index = eightBits ? line[x] : image.pixelIndex(x, y);
            if (index >= colours)
                return false;
        }
    }
    return true;
}

bool withinLimits(const QImage& image) {
    return !image.isNull() && !exceedsPixelLimit(image.width(), image.height()) &&
           namesOnlyItsColours(image);
}

} // namespace

QtPictureReader::QtPictureReader(const QByteArray& data, const char* format,
                                 std::string invalidMessage)
    : invalidMessage_(std::move(invalidMessage)) {
    applyAllocationLimit();
    buffer_.setData(data);
    buffer_.open(QIODevice::ReadOnly);
    reader_.setDevice(&buffer_);
    reader_.setFormat(format);
    const QSize size = reader_.size();
    if (!size.isValid() || size.isEmpty() || exceedsPixelLimit(size.width(), size.height()))
        throw Exception(invalidMessage_);
}

QImage QtPictureReader::tryRead() {
    QImage image = reader_.read();
    return withinLimits(image) ? image : QImage();
}

QImage QtPictureReader::read() {
    QImage image = tryRead();
    if (image.isNull())
        throw Exception(invalidMessage_);
    return image;
}

QImage readWithQt(const QByteArray& data, const char* format, const std::string& invalidMessage) {
    return QtPictureReader(data, format, invalidMessage).read();
}

} // namespace platform

#pragma once

// The graphics that a picture holds, one class per kind, and the readers
// that make them from a file's bytes. Each reader checks what it reads and
// throws platform::Exception with its format's message when the bytes are
// not a picture of that format. Internal to the picture loader.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QSize>
#include <functional>
#include <memory>
#include <string>

namespace platform {

// No picture may decode to more pixels than this, whatever its format: a
// header claiming more is taken for a broken or hostile file. The slots show
// 201 × 43 and 157 × 48 pixels of a picture; 4096 × 4096 holds a 4K screen
// or a 16-megapixel photograph, and decodes within a second and 64 MB.
inline constexpr qint64 MaxPicturePixels = 4096LL * 4096;

inline bool exceedsPixelLimit(qint64 width, qint64 height) {
    return width * height > MaxPicturePixels;
}

class TGraphic {
public:
    virtual ~TGraphic() = default;

    virtual QSize size() const = 0;
    virtual void draw(QPainter& painter, QPoint topLeft) const = 0;

    // The image, for a graphic that is a bitmap; others have none.
    virtual QImage* bitmap() { return nullptr; }

    // Starts an animation, if the graphic has one; onFrame runs after each
    // new frame.
    virtual void animate(const std::function<void()>& /*onFrame*/) {}

    // Moves an animation on to its next frame at once, as its timer would;
    // false for a graphic without one.
    virtual bool advanceFrame() { return false; }
};

// A graphic that is one raster image.
class TRasterGraphic : public TGraphic {
public:
    explicit TRasterGraphic(QImage image)
        : image_(std::move(image)) {}

    // In logical pixels: an image drawn at a screen's pixel density has
    // more pixels than that.
    QSize size() const override { return image_.deviceIndependentSize().toSize(); }
    void draw(QPainter& painter, QPoint topLeft) const override {
        painter.drawImage(topLeft, image_);
    }

protected:
    QImage image_;
};

// A Windows bitmap; also the graphic that a drawing surface paints on.
class TBitmap : public TRasterGraphic {
public:
    using TRasterGraphic::TRasterGraphic;
    QImage* bitmap() override { return &image_; }
};

std::unique_ptr<TGraphic> readBitmap(const QByteArray& data);
std::unique_ptr<TGraphic> readIcon(const QByteArray& data);
std::unique_ptr<TGraphic> readJpeg(const QByteArray& data);
std::unique_ptr<TGraphic> readGif(const QByteArray& data);
std::unique_ptr<TGraphic> readWindowsMetafile(const QByteArray& data);
std::unique_ptr<TGraphic> readEnhancedMetafile(const QByteArray& data);

// Qt's reader for one format over a file's bytes, used after the caller's
// own checks of the file. Every Qt reader of the process runs under the
// allocation limit of one picture of the pixel limit in 32-bit pixels; each
// image is checked against the pixel limit and against its colour table (an
// image naming a colour its table does not hold would be drawn from past
// the table's end).
class QtPictureReader {
public:
    // Throws Exception(invalidMessage) when the reader cannot tell the
    // picture's size or the size passes the pixel limit.
    QtPictureReader(const QByteArray& data, const char* format, std::string invalidMessage);
    QtPictureReader(const QtPictureReader&) = delete;
    QtPictureReader& operator=(const QtPictureReader&) = delete;

    // The next image. Throws Exception(invalidMessage) when there is none
    // or it fails a check.
    QImage read();
    // The next image, or a null one when there is none or it fails a check.
    QImage tryRead();

    // For animations: the milliseconds to show the image last read, and the
    // number of times to play all images again (-1: for ever).
    int nextImageDelay() const { return reader_.nextImageDelay(); }
    int loopCount() const { return reader_.loopCount(); }

private:
    QBuffer buffer_;
    QImageReader reader_;
    std::string invalidMessage_;
};

// Decodes the first image of data with a QtPictureReader.
QImage readWithQt(const QByteArray& data, const char* format, const std::string& invalidMessage);

} // namespace platform

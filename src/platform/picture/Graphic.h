#pragma once

// The graphics that a picture holds, one class per kind, and the readers
// that make them from a file's bytes. Each reader checks what it reads and
// throws platform::Exception with its format's message when the bytes are
// not a picture of that format. Internal to the picture loader.

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QSize>
#include <functional>
#include <memory>

namespace platform {

// No picture may decode to more pixels than this, whatever its format: a
// header claiming more is taken for a broken or hostile file.
inline constexpr qint64 MaxPicturePixels = 64LL * 1024 * 1024;

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

// Decodes data with Qt's reader for the format, after the caller's own
// header checks. Throws Exception(invalidMessage) when the reader cannot
// tell the size, the size passes the pixel limit or decoding fails.
QImage readWithQt(const QByteArray& data, const char* format, const std::string& invalidMessage);

} // namespace platform

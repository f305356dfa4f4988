// GIF pictures. Our own walk over the file's blocks checks its structure and
// counts its frames; Qt's reader decodes the first frame, and a picture of
// more than one frame animates through QMovie, transparency included.

#include "picture/ByteFields.h"
#include "picture/Graphic.h"
#include "system/Exception.h"

#include <QBuffer>
#include <QMovie>

namespace platform {
namespace {

const std::string InvalidGif = "GIF image is not valid";

// The outline of a GIF file as its blocks tell it.
struct GifLayout {
    int width = 0;
    int height = 0;
    int frames = 0;
};

class GifWalker {
public:
    explicit GifWalker(const QByteArray& data)
        : data_(data) {}

    GifLayout walk() {
        if (!data_.startsWith("GIF"))
            throw Exception("Invalid GIF signature");
        const QByteArray version = data_.mid(3, 3);
        if (version != "87a" && version != "89a")
            throw Exception("Unsupported GIF version");
        GifLayout layout;
        need(13);
        layout.width = word16At(data_, 6);
        layout.height = word16At(data_, 8);
        const auto flags = static_cast<uchar>(data_[10]);
        at_ = 13;
        skipColourTable(flags);
        for (;;) {
            need(1);
            const auto introducer = static_cast<uchar>(data_[at_++]);
            if (introducer == 0x3B) // trailer
                break;
            if (introducer == 0x21) { // extension: label, then sub-blocks
                need(1);
                ++at_;
                skipSubBlocks();
            } else if (introducer == 0x2C) { // image descriptor
                need(9);
                const auto imageFlags = static_cast<uchar>(data_[at_ + 8]);
                at_ += 9;
                skipColourTable(imageFlags);
                need(1); // LZW minimum code size
                ++at_;
                skipSubBlocks();
                ++layout.frames;
            } else {
                throw Exception("Unknown GIF block type");
            }
        }
        if (layout.frames == 0)
            throw Exception("GIF image is empty");
        if (layout.width == 0 || layout.height == 0 ||
            exceedsPixelLimit(layout.width, layout.height))
            throw Exception(InvalidGif);
        return layout;
    }

private:
    void need(qsizetype bytes) const {
        if (at_ + bytes > data_.size())
            throw Exception("Premature end of GIF data");
    }
    void skipColourTable(uchar flags) {
        if (flags & 0x80) {
            const qsizetype bytes = 3 * (qsizetype(1) << ((flags & 0x07) + 1));
            need(bytes);
            at_ += bytes;
        }
    }
    void skipSubBlocks() {
        for (;;) {
            need(1);
            const auto length = static_cast<uchar>(data_[at_++]);
            if (length == 0)
                return;
            need(length);
            at_ += length;
        }
    }

    const QByteArray& data_;
    qsizetype at_ = 0;
};

class TGifImage : public TRasterGraphic {
public:
    TGifImage(QImage firstFrame, const QByteArray& data, bool animated)
        : TRasterGraphic(std::move(firstFrame)) {
        if (!animated)
            return;
        buffer_ = std::make_unique<QBuffer>();
        buffer_->setData(data);
        buffer_->open(QIODevice::ReadOnly);
        movie_ = std::make_unique<QMovie>(buffer_.get(), "gif");
    }
    ~TGifImage() override {
        // The movie reads from the buffer: it goes first.
        movie_.reset();
    }

    void animate(const std::function<void()>& onFrame) override {
        if (!movie_)
            return;
        QObject::connect(movie_.get(), &QMovie::frameChanged, movie_.get(), [this, onFrame](int) {
            const QImage frame = movie_->currentImage();
            if (!frame.isNull())
                image_ = frame;
            onFrame();
        });
        movie_->start();
    }

private:
    std::unique_ptr<QBuffer> buffer_;
    std::unique_ptr<QMovie> movie_;
};

} // namespace

std::unique_ptr<TGraphic> readGif(const QByteArray& data) {
    const GifLayout layout = GifWalker(data).walk();
    QImage first = readWithQt(data, "gif", InvalidGif);
    return std::make_unique<TGifImage>(std::move(first), data, layout.frames > 1);
}

} // namespace platform

// GIF pictures. Our own walk over the file's blocks checks its structure,
// the sizes of its screen and frames, and counts its frames; Qt's reader
// decodes the frames, the first at load and, for a picture of more than
// one, each later one when its time has come, transparency included. The
// frames come from one reader under the allocation limit, and every frame
// passes the same checks as the first.

#include "picture/ByteFields.h"
#include "picture/Graphic.h"
#include "system/Exception.h"

#include <QTimer>
#include <algorithm>

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
                // A frame, with its offset, keeps within the pixel limit
                // too: whatever sizes its work by the frame rather than the
                // screen stays bounded.
                const int right = word16At(data_, at_) + word16At(data_, at_ + 4);
                const int bottom = word16At(data_, at_ + 2) + word16At(data_, at_ + 6);
                if (exceedsPixelLimit(std::max(right, layout.width),
                                      std::max(bottom, layout.height)))
                    throw Exception(InvalidGif);
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

// Browsers show frames meant for less than 20 ms for 100 ms; so do we,
// which also keeps a file of many instant frames from taking the window's
// thread.
int frameDelay(int milliseconds) {
    return milliseconds < 20 ? 100 : milliseconds;
}

class TGifImage : public TRasterGraphic {
public:
    // reader has read the first frame; a reader is given only for a
    // picture of more than one frame.
    TGifImage(QImage firstFrame, const QByteArray& data, std::unique_ptr<QtPictureReader> reader)
        : TRasterGraphic(std::move(firstFrame))
        , data_(data)
        , reader_(std::move(reader)) {
        if (reader_) {
            delay_ = frameDelay(reader_->nextImageDelay());
            playsLeft_ = reader_->loopCount();
        }
    }

    void animate(const std::function<void()>& onFrame) override {
        if (!reader_)
            return;
        timer_ = std::make_unique<QTimer>();
        timer_->setSingleShot(true);
        QObject::connect(timer_.get(), &QTimer::timeout, timer_.get(), [this, onFrame] {
            if (!advanceFrame())
                return;
            onFrame();
            timer_->start(delay_);
        });
        timer_->start(delay_);
    }

    // After the last frame the animation starts over, as often as the file
    // says; a frame that cannot be read ends the round early. Never throws:
    // it runs from the animation's timer.
    bool advanceFrame() override {
        if (!reader_)
            return false;
        QImage frame = reader_->tryRead();
        if (frame.isNull())
            frame = startOver();
        if (frame.isNull()) {
            reader_.reset();
            return false;
        }
        image_ = std::move(frame);
        delay_ = frameDelay(reader_->nextImageDelay());
        return true;
    }

private:
    QImage startOver() {
        if (playsLeft_ == 0)
            return {};
        if (playsLeft_ > 0)
            --playsLeft_;
        try {
            reader_ = std::make_unique<QtPictureReader>(data_, "gif", InvalidGif);
        } catch (const Exception&) {
            return {};
        }
        return reader_->tryRead();
    }

    QByteArray data_;
    std::unique_ptr<QtPictureReader> reader_;
    std::unique_ptr<QTimer> timer_;
    int delay_ = 100;
    int playsLeft_ = 0; // rounds still to play after this one; -1: for ever
};

} // namespace

std::unique_ptr<TGraphic> readGif(const QByteArray& data) {
    const GifLayout layout = GifWalker(data).walk();
    auto reader = std::make_unique<QtPictureReader>(data, "gif", InvalidGif);
    QImage first = reader->read();
    if (layout.frames < 2)
        reader.reset();
    return std::make_unique<TGifImage>(std::move(first), data, std::move(reader));
}

} // namespace platform

#pragma once

// A picture: one graphic of a registered format, loaded from a file chosen
// by its extension, or a bitmap made to be drawn on. Emits changed() when
// its content changes, including each frame of an animated GIF.

#include "system/FileExt.h"

#include <QImage>
#include <QObject>
#include <QPainter>
#include <QSize>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class TGraphic;

// A registered picture format: its extension (lower case, no dot) and the
// description shown for it.
struct PictureFormat {
    std::string extension;
    std::string description;
    friend bool operator==(const PictureFormat&, const PictureFormat&) = default;
};

// The registered formats, in the order of their registration.
std::vector<PictureFormat> pictureFormats();

class TPicture : public QObject {
    Q_OBJECT

public:
    explicit TPicture(QObject* parent = nullptr);
    ~TPicture() override;

    // Loads the file (a name in the system code page) as the format its
    // extension names. Throws Exception when the extension is not
    // registered or the file is not a valid picture of that format; the
    // picture then keeps what it held before.
    void LoadFromFile(std::string_view fileName);

    // The extension under which the content was registered ("jpg", "bmp"
    // for a drawn bitmap), empty when the picture holds nothing.
    const std::string& format() const { return format_; }

    bool isEmpty() const { return graphic_ == nullptr; }
    QSize size() const;
    void draw(QPainter& painter, QPoint topLeft) const;

    // The image, when the picture holds a bitmap; null otherwise.
    QImage* bitmap();
    // Makes the picture a new bitmap holding image.
    void setBitmap(QImage image);
    // To be called after drawing on bitmap(): the picture has changed.
    void bitmapModified() { emit changed(); }

signals:
    void changed();

private:
    void assign(std::unique_ptr<TGraphic> graphic, std::string format);

    std::unique_ptr<TGraphic> graphic_;
    std::string format_;
};

} // namespace platform

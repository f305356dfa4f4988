#pragma once

// A picture that opens a web address when it is clicked: a picture holder
// with the hand-point cursor, a link address and a drawing surface.

#include "picture/Picture.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>
#include <string>
#include <string_view>

namespace platform {

// A drawing surface on a picture's bitmap, with the pen, brush and font of
// a Windows canvas. Each call paints into the bitmap and tells the picture.
class TCanvas {
public:
    struct TPen {
        QColor Color = Qt::black;
        int Width = 1;
    };
    struct TBrush {
        QColor Color = Qt::white;
        Qt::BrushStyle Style = Qt::SolidPattern; // Qt::NoBrush: nothing filled
    };
    struct TFont {
        QString Name = QStringLiteral("MS Sans Serif");
        int Size = 8; // points
        QColor Color;
        bool Bold = false;
        bool Italic = false;
        QFont toQFont() const;
    };

    explicit TCanvas(TPicture& picture);

    TPen Pen;
    TBrush Brush;
    TFont Font;

    // Back to the state of a fresh surface: solid white brush, black pen of
    // width 1, 8-point "MS Sans Serif" in the window-text colour.
    void reset();

    // The box from (x1, y1) to (x2, y2), right and bottom edges left out,
    // outlined with the pen and filled with the brush.
    void Rectangle(int x1, int y1, int x2, int y2);

    // Text with its top-left corner at (x, y), on a cell of the brush's
    // colour (unless the brush is clear). Bytes are in the system code page.
    void TextOut(int x, int y, const QString& text);
    void TextOut(int x, int y, std::string_view bytes);
    void TextOut(int x, int y, const char* bytes) { TextOut(x, y, std::string_view(bytes)); }

    // The texts drawn since the picture last changed by other means, in
    // the order drawn, one line each.
    const QString& drawnText() const { return drawnText_; }
    // The picture changed: by this surface's drawing, or by other means,
    // which leave none of its texts on it.
    void pictureChanged();

private:
    QImage& target();
    void drawn();

    TPicture& picture_;
    QString drawnText_;
    bool drawing_ = false;
};

// Whether the text is a web address that a click may hand to the shell: an
// http or https address (scheme in any letter case) without control
// characters or quotes that could reach a browser's command line.
bool isWebAddress(std::string_view address);

class TbsSkinLinkImage : public QWidget {
    Q_OBJECT

public:
    explicit TbsSkinLinkImage(QWidget* parent = nullptr);

    TPicture& Picture() { return picture_; }
    const TPicture& Picture() const { return picture_; }

    // With auto-size on, the control takes the size of each picture loaded
    // into it; off, it keeps its size.
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool on);

    // The drawing surface. A control without a picture first gets a white
    // bitmap as large as it is now. Throws Exception when the picture is not
    // a bitmap.
    TCanvas& Canvas();

    // The link address, bytes in the system code page.
    const std::string& URL() const { return url_; }
    void setURL(std::string url);

    // The texts drawn on the picture with the surface, as TCanvas says.
    const QString& drawnText() const { return canvas_.drawnText(); }

    // What a click does: clicked(), then the link opens if it is a web
    // address.
    void click();

    QSize sizeHint() const override;

signals:
    // A click, before the link is opened.
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void pictureChanged();

    TPicture picture_;
    TCanvas canvas_;
    bool autoSize_ = false;
    bool pressed_ = false;
    std::string url_;
};

} // namespace platform

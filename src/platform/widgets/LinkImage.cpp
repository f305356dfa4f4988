#include "widgets/LinkImage.h"

#include "system/CodePage.h"
#include "system/Exception.h"
#include "system/Shell.h"
#include "widgets/ControlAccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPointer>
#include <algorithm>

namespace platform {

QFont TCanvas::TFont::toQFont() const {
    QFont font(Name);
    font.setPointSize(Size);
    font.setBold(Bold);
    font.setItalic(Italic);
    return font;
}

TCanvas::TCanvas(TPicture& picture)
    : picture_(picture) {
    reset();
}

void TCanvas::reset() {
    Pen = TPen{};
    Brush = TBrush{};
    Font = TFont{};
    Font.Color = QApplication::palette().color(QPalette::WindowText);
}

QImage& TCanvas::target() {
    QImage* image = picture_.bitmap();
    if (!image)
        throw Exception("Can only modify an image if it contains a bitmap");
    return *image;
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    QImage& image = target();
    {
        QPainter painter(&image);
        QPen pen(Pen.Color);
        pen.setWidth(Pen.Width);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(Pen.Width > 0 ? pen : QPen(Qt::NoPen));
        painter.setBrush(QBrush(Brush.Color, Brush.Style));
        // Qt's outline of a w×h box covers w+1 by h+1 pixels; one less
        // leaves out the right and bottom edges.
        painter.drawRect(QRect(QPoint(std::min(x1, x2), std::min(y1, y2)),
                               QSize(std::abs(x2 - x1) - 1, std::abs(y2 - y1) - 1)));
    }
    drawn();
}

void TCanvas::TextOut(int x, int y, const QString& text) {
    QImage& image = target();
    {
        QPainter painter(&image);
        const QFont font = Font.toQFont();
        const QFontMetrics metrics(font, &image);
        const QRect cell(x, y, metrics.horizontalAdvance(text), metrics.height());
        if (Brush.Style != Qt::NoBrush)
            painter.fillRect(cell, Brush.Color);
        painter.setFont(font);
        painter.setPen(Font.Color);
        painter.drawText(QPoint(x, y + metrics.ascent()), text);
    }
    if (!drawnText_.isEmpty())
        drawnText_ += u'\n';
    drawnText_ += text;
    drawn();
}

void TCanvas::drawn() {
    drawing_ = true;
    picture_.bitmapModified();
    drawing_ = false;
}

void TCanvas::pictureChanged() {
    if (!drawing_)
        drawnText_.clear();
}

void TCanvas::TextOut(int x, int y, std::string_view bytes) {
    TextOut(x, y, CodePage::system().toUnicode(bytes));
}

bool isWebAddress(std::string_view address) {
    const auto startsWithNoCase = [address](std::string_view prefix) {
        if (address.size() <= prefix.size())
            return false;
        return std::equal(prefix.begin(), prefix.end(), address.begin(), [](char p, char a) {
            return std::tolower(static_cast<unsigned char>(a)) == p;
        });
    };
    if (!startsWithNoCase("http://") && !startsWithNoCase("https://"))
        return false;
    for (char c : address) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || byte == '"')
            return false;
    }
    return true;
}

TbsSkinLinkImage::TbsSkinLinkImage(QWidget* parent)
    : QWidget(parent)
    , canvas_(picture_) {
    setCursor(Qt::PointingHandCursor);
    installControlAccessibility();
    connect(&picture_, &TPicture::changed, this, [this] {
        canvas_.pictureChanged();
        pictureChanged();
        // A placeholder's text names the link.
        QAccessibleEvent named(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&named);
    });
}

void TbsSkinLinkImage::setAutoSize(bool on) {
    autoSize_ = on;
    pictureChanged();
}

void TbsSkinLinkImage::setURL(std::string url) {
    url_ = std::move(url);
    QAccessibleEvent described(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&described);
}

TCanvas& TbsSkinLinkImage::Canvas() {
    if (picture_.isEmpty()) {
        // As large as the control in logical pixels, with as many pixels as
        // the screen shows there, so that what is drawn on it stays sharp
        // at any scale.
        const qreal density = devicePixelRatioF();
        QImage blank((QSizeF(size()) * density).toSize(), QImage::Format_RGB32);
        blank.setDevicePixelRatio(density);
        blank.fill(Qt::white);
        picture_.setBitmap(std::move(blank));
        // A new bitmap comes with a fresh surface.
        canvas_.reset();
    }
    if (!picture_.bitmap())
        throw Exception("Can only modify an image if it contains a bitmap");
    return canvas_;
}

QSize TbsSkinLinkImage::sizeHint() const {
    if (autoSize_ && !picture_.isEmpty())
        return picture_.size();
    return QWidget::sizeHint();
}

void TbsSkinLinkImage::pictureChanged() {
    const QSize pictureSize = picture_.size();
    if (autoSize_ && !pictureSize.isEmpty() && pictureSize != size()) {
        resize(pictureSize);
        updateGeometry();
    }
    update();
}

void TbsSkinLinkImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // On a screen of another pixel density a picture is scaled: smoothly.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setClipRect(rect());
    picture_.draw(painter, QPoint(0, 0));
}

void TbsSkinLinkImage::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void TbsSkinLinkImage::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    const bool wasPressed = pressed_;
    pressed_ = false;
    // Last thing here: a handler of the click may delete this control.
    if (wasPressed && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint()))
        click();
}

void TbsSkinLinkImage::click() {
    // A handler of clicked() may delete the control.
    const QPointer<TbsSkinLinkImage> alive(this);
    emit clicked();
    if (!alive)
        return;
    // Only web addresses go to the shell: a link from the promotion settings
    // must not start programs or open local files.
    if (isWebAddress(url_))
        shellOpen(url_);
}

} // namespace platform

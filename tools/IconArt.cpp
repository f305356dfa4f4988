#include "IconArt.h"

#include "SkinColours.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace promoart {

namespace {

namespace palette = platform::palette;

const QColor Face = skinColour(palette::Face);
// The tile's shade towards its foot, deeper than any colour of the skin.
const QColor FaceDeep(196, 218, 245);
const QColor Highlight = skinColour(palette::Highlight);
const QColor Outline = skinColour(palette::FrameOutline);
const QColor CaptionText = skinColour(palette::CaptionText);
const QColor Gold = skinColour(palette::ButtonHoverBottom);

void drawTile(QPainter& painter) {
    const QRectF tile(4.5, 4.5, 119, 119);
    QLinearGradient fill(tile.topLeft(), tile.bottomLeft());
    fill.setColorAt(0, Face);
    fill.setColorAt(1, FaceDeep);
    painter.setPen(QPen(Highlight, 5));
    painter.setBrush(fill);
    painter.drawRoundedRect(tile, 24, 24);
    painter.setPen(QPen(Outline, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(tile.adjusted(-2.5, -2.5, 2.5, 2.5), 26, 26);
}

void drawLettering(QPainter& painter) {
    QFont font("Liberation Sans");
    font.setPixelSize(50);
    font.setBold(true);
    painter.setFont(font);
    // A white offset copy gives the letters the caption's embossed look.
    painter.setPen(Qt::white);
    painter.drawText(QRect(1, 15, 128, 60), Qt::AlignCenter, "B64");
    painter.setPen(CaptionText);
    painter.drawText(QRect(0, 14, 128, 60), Qt::AlignCenter, "B64");
}

void drawPadlock(QPainter& painter) {
    painter.setPen(QPen(Outline, 5, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(53, 74, 22, 24), 0, 180 * 16);
    painter.drawLine(QPointF(53, 86), QPointF(53, 90));
    painter.drawLine(QPointF(75, 86), QPointF(75, 90));

    painter.setPen(QPen(Outline, 1.5));
    painter.setBrush(Gold);
    painter.drawRoundedRect(QRectF(46, 88, 36, 26), 5, 5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Outline);
    painter.drawEllipse(QPointF(64, 98), 3.5, 3.5);
    painter.drawRect(QRectF(62.5, 99, 3, 8));
}

// An arrow from `from` to `to` with a filled head at `to`.
void drawArrow(QPainter& painter, QPointF from, QPointF to) {
    painter.setPen(QPen(Highlight, 5, Qt::SolidLine, Qt::RoundCap));
    const double direction = to.x() > from.x() ? 1 : -1;
    painter.drawLine(from, QPointF(to.x() - direction * 6, to.y()));
    QPainterPath head;
    head.moveTo(to);
    head.lineTo(to.x() - direction * 11, to.y() - 8);
    head.lineTo(to.x() - direction * 11, to.y() + 8);
    head.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.fillPath(head, Highlight);
}

// The small sizes: the tile's edge on whole pixels and the lettering as
// large as the tile allows; at 16 pixels three letters would touch, so the
// tile shows "64" alone.
void drawSmallIcon(QPainter& painter, int size) {
    const double border = size >= 32 ? 2 : 1;
    const QRectF tile(border / 2, border / 2, size - border, size - border);
    QLinearGradient fill(tile.topLeft(), tile.bottomLeft());
    fill.setColorAt(0, Face);
    fill.setColorAt(1, FaceDeep);
    painter.setPen(QPen(Highlight, border));
    painter.setBrush(fill);
    painter.drawRoundedRect(tile, size * 0.2, size * 0.2);

    const bool roomForThree = size >= 24;
    QFont font("Liberation Sans");
    font.setPixelSize(qRound(size * (roomForThree ? 0.42 : 0.56)));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(CaptionText);
    painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, roomForThree ? "B64" : "64");
}

// The full picture, drawn on a 128-pixel grid scaled to the size.
void drawFullIcon(QPainter& painter, int size) {
    painter.scale(size / 128.0, size / 128.0);
    drawTile(painter);
    drawLettering(painter);
    drawArrow(painter, QPointF(16, 96), QPointF(40, 96));
    drawArrow(painter, QPointF(112, 106), QPointF(88, 106));
    drawPadlock(painter);
}

constexpr int FullIconSmallest = 48;

} // namespace

QImage drawProgramIcon(int size) {
    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (size >= FullIconSmallest)
        drawFullIcon(painter, size);
    else
        drawSmallIcon(painter, size);
    painter.end();
    return icon;
}

} // namespace promoart

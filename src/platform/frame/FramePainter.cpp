#include "frame/FramePainter.h"

#include "frame/FrameGeometry.h"

#include <QLinearGradient>
#include <QPolygonF>
#include <algorithm>
#include <span>

namespace platform::frame {
namespace {

constexpr int GlyphSize = 9;

void paintCaptionBand(QPainter& painter, const FrameLook& look, QSize frame) {
    const QRect band = captionBandRect(frame);
    QLinearGradient shade(band.topLeft(), band.bottomLeft());
    shade.setColorAt(0, look.captionTop);
    shade.setColorAt(1, look.captionBottom);
    painter.fillRect(band, shade);
}

// A one-pixel line around the window, stepping round the top corners.
void paintOutline(QPainter& painter, const FrameLook& look, QSize frame, bool roundedCorners) {
    const std::span<const int> cuts =
        roundedCorners ? std::span<const int>(CornerCuts) : std::span<const int>();
    const int right = frame.width() - 1;
    const int bottom = frame.height() - 1;
    painter.setPen(look.outline);
    int previousCut = cuts.empty() ? 0 : cuts[0];
    painter.drawLine(previousCut, 0, right - previousCut, 0);
    for (int row = 1; row < int(cuts.size()); ++row) {
        const int cut = cuts[row];
        const int end = std::max(cut, previousCut - 1);
        painter.drawLine(cut, row, end, row);
        painter.drawLine(right - end, row, right - cut, row);
        previousCut = cut;
    }
    const int sidesTop = int(cuts.size());
    painter.drawLine(0, sidesTop, 0, bottom);
    painter.drawLine(right, sidesTop, right, bottom);
    painter.drawLine(0, bottom, right, bottom);
}

void paintCaption(QPainter& painter, const FrameLook& look, const FrameContent& content) {
    if (!content.iconRect.isEmpty())
        content.icon.paint(&painter, content.iconRect);
    const QRect area = content.captionRect;
    painter.setFont(look.captionFont);
    const QString text =
        painter.fontMetrics().elidedText(content.caption, Qt::ElideRight, area.width());
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    painter.setPen(look.captionShadow);
    painter.drawText(area.translated(1, 1), flags, text);
    painter.setPen(captionTextColor(look, content.active));
    painter.drawText(area, flags, text);
}

void paintMenuGlyph(QPainter& painter, QRect box, const QColor& colour) {
    for (int row = 1; row < GlyphSize; row += 3)
        painter.fillRect(box.left(), box.top() + row, GlyphSize, 2, colour);
}

void paintTrayGlyph(QPainter& painter, QRect box, const QColor& colour) {
    const QRect square(box.right() - 3, box.bottom() - 3, 4, 4);
    painter.fillRect(square, colour);
    painter.drawLine(QPointF(box.left() + 1, box.top() + 1),
                     QPointF(square.left() - 1, square.top() - 1));
}

void paintMinimizeGlyph(QPainter& painter, QRect box, const QColor& colour) {
    painter.fillRect(box.left(), box.bottom() - 1, GlyphSize, 2, colour);
}

// An arrowhead pointing up (roll up) or down (unroll).
void paintArrowGlyph(QPainter& painter, QRect box, bool up) {
    const QRectF area(box);
    const qreal tip = up ? area.top() + 2 : area.bottom() - 2;
    const qreal base = up ? area.bottom() - 2 : area.top() + 2;
    painter.drawPolyline(
        QPolygonF({QPointF(area.left() + 0.5, base), QPointF(area.center().x(), tip),
                   QPointF(area.right() - 0.5, base)}));
}

// A window: its outline with a thicker title bar.
void paintWindowShape(QPainter& painter, QRect window, const QColor& colour) {
    painter.drawRect(window.adjusted(0, 0, -1, -1));
    painter.fillRect(window.left(), window.top(), window.width(), 2, colour);
}

void paintMaximizeGlyph(QPainter& painter, QRect box, const QColor& colour) {
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(colour);
    paintWindowShape(painter, box, colour);
}

void paintRestoreGlyph(QPainter& painter, QRect box, const QColor& colour) {
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(colour);
    const QRect back(box.left() + 3, box.top(), 6, 6);
    const QRect front(box.left(), box.top() + 3, 6, 6);
    // The window behind shows only where the front one leaves room.
    painter.setClipRegion(QRegion(box) - QRegion(front));
    paintWindowShape(painter, back, colour);
    painter.setClipping(false);
    paintWindowShape(painter, front, colour);
}

void paintCloseGlyph(QPainter& painter, QRect box) {
    const QRectF area(box);
    painter.drawLine(area.topLeft() + QPointF(1, 1), area.bottomRight() - QPointF(1, 1));
    painter.drawLine(area.topRight() + QPointF(-1, 1), area.bottomLeft() + QPointF(1, -1));
}

void paintGlyph(QPainter& painter, QRect box, Glyph glyph, const QColor& colour) {
    painter.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    switch (glyph) {
    case Glyph::Menu:
        return paintMenuGlyph(painter, box, colour);
    case Glyph::Tray:
        return paintTrayGlyph(painter, box, colour);
    case Glyph::Minimize:
        return paintMinimizeGlyph(painter, box, colour);
    case Glyph::RollUp:
    case Glyph::Unroll:
        return paintArrowGlyph(painter, box, glyph == Glyph::RollUp);
    case Glyph::Maximize:
        return paintMaximizeGlyph(painter, box, colour);
    case Glyph::Restore:
        return paintRestoreGlyph(painter, box, colour);
    case Glyph::Close:
        return paintCloseGlyph(painter, box);
    }
}

} // namespace

QColor captionTextColor(const FrameLook& look, bool active) {
    return active ? look.captionText : look.captionInactiveText;
}

void paintFrame(QPainter& painter, const FrameLook& look, QSize frame,
                const FrameContent& content) {
    painter.fillRect(QRect(QPoint(0, 0), frame), look.face);
    paintCaptionBand(painter, look, frame);
    paintOutline(painter, look, frame, content.roundedCorners);
    paintCaption(painter, look, content);
}

void paintCaptionButton(QPainter& painter, const FrameLook& look, QRect rect, Glyph glyph,
                        ButtonState state) {
    painter.setRenderHint(QPainter::Antialiasing);
    const bool lit = state.hovered || state.pressed;
    if (lit) {
        QLinearGradient fill(rect.topLeft(), rect.bottomLeft());
        fill.setColorAt(0, state.pressed ? look.buttonPressedTop : look.buttonHoverTop);
        fill.setColorAt(1, state.pressed ? look.buttonPressedBottom : look.buttonHoverBottom);
        painter.setPen(look.buttonOutline);
        painter.setBrush(fill);
        painter.drawRoundedRect(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    }
    QRect box(0, 0, GlyphSize, GlyphSize);
    box.moveCenter(rect.center());
    if (state.pressed)
        box.translate(1, 1);
    // A lit button keeps its glyph readable while the window is inactive.
    paintGlyph(painter, box, glyph, captionTextColor(look, lit || state.frameActive));
}

void paintClientFade(QPainter& painter, const FrameLook& look, QRect rect,
                     const QPixmap& snapshot) {
    painter.drawPixmap(0, 0, snapshot);
    QColor veil = look.fade;
    veil.setAlpha(FadeAlpha);
    painter.fillRect(rect, veil);
}

} // namespace platform::frame

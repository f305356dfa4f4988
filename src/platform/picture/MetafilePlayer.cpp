#include "picture/MetafilePlayer.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace platform {
namespace {

constexpr int MmAnisotropic = 8;
constexpr int MmIsotropic = 7;

constexpr int PsNull = 5;
constexpr int BsSolid = 0;
constexpr int BsHatched = 2;

constexpr int TaUpdateCp = 1;
constexpr int TaHorizontal = 6; // TA_LEFT 0, TA_RIGHT 2, TA_CENTER 6
constexpr int TaRight = 2;
constexpr int TaCenter = 6;
constexpr int TaVertical = 24; // TA_TOP 0, TA_BOTTOM 8, TA_BASELINE 24
constexpr int TaBottom = 8;
constexpr int TaBaseline = 24;

Qt::PenStyle penStyle(int style) {
    switch (style & 0x0F) {
    case 1:
        return Qt::DashLine;
    case 2:
        return Qt::DotLine;
    case 3:
        return Qt::DashDotLine;
    case 4:
        return Qt::DashDotDotLine;
    case PsNull:
        return Qt::NoPen;
    default:
        return Qt::SolidLine;
    }
}

Qt::BrushStyle hatchStyle(int hatch) {
    switch (hatch) {
    case 0:
        return Qt::HorPattern;
    case 1:
        return Qt::VerPattern;
    case 2:
        return Qt::FDiagPattern;
    case 3:
        return Qt::BDiagPattern;
    case 4:
        return Qt::CrossPattern;
    default:
        return Qt::DiagCrossPattern;
    }
}

// A polygon's edges cost about as much as a shape for every few points.
constexpr qsizetype PointsPerWork = 5;

[[noreturn]] void invalid() {
    throw Exception(InvalidMetafile);
}

} // namespace

QColor colorFromRef(quint32 ref) {
    return QColor(static_cast<int>(ref & 0xFF), static_cast<int>(ref >> 8 & 0xFF),
                  static_cast<int>(ref >> 16 & 0xFF));
}

void GdiObjectTable::checkIndex(quint32 index) const {
    if (index >= capacity_)
        invalid();
}

quint32 GdiObjectTable::add(GdiObject object) {
    while (!freed_.empty() && slots_[freed_.top()])
        freed_.pop();
    quint32 index = 0;
    if (!freed_.empty()) {
        index = freed_.top();
        freed_.pop();
    } else {
        index = static_cast<quint32>(slots_.size());
        checkIndex(index);
        slots_.emplace_back();
    }
    slots_[index] = std::move(object);
    return index;
}

void GdiObjectTable::set(quint32 index, GdiObject object) {
    checkIndex(index);
    // The slots passed over stay free.
    for (auto skipped = static_cast<quint32>(slots_.size()); skipped < index; ++skipped)
        freed_.push(skipped);
    if (index >= slots_.size())
        slots_.resize(std::size_t(index) + 1);
    slots_[index] = std::move(object);
}

const GdiObject* GdiObjectTable::find(quint32 index) const {
    checkIndex(index);
    return index < slots_.size() && slots_[index] ? &*slots_[index] : nullptr;
}

void GdiObjectTable::remove(quint32 index) {
    checkIndex(index);
    if (index < slots_.size() && slots_[index]) {
        slots_[index].reset();
        freed_.push(index);
    }
}

MetafilePlayer::MetafilePlayer(QPainter& painter, const QTransform& deviceToPicture,
                               std::optional<QSizeF> fixedViewport, quint32 objectSlots)
    : painter_(painter)
    , deviceToPicture_(deviceToPicture)
    , objects_(objectSlots) {
    if (fixedViewport) {
        fixedViewport_ = true;
        state_.mapMode = MmAnisotropic;
        state_.viewportExt = *fixedViewport;
    }
}

void MetafilePlayer::setViewportOrg(QPointF origin) {
    if (!fixedViewport_)
        state_.viewportOrg = origin;
}

void MetafilePlayer::setViewportExt(QSizeF extent) {
    if (!fixedViewport_)
        state_.viewportExt = extent;
}

QTransform MetafilePlayer::logicalToPicture() const {
    double scaleX = 1;
    double scaleY = 1;
    const bool scaled = state_.mapMode == MmAnisotropic || state_.mapMode == MmIsotropic;
    if (scaled && state_.windowExt.width() != 0 && state_.windowExt.height() != 0) {
        scaleX = state_.viewportExt.width() / state_.windowExt.width();
        scaleY = state_.viewportExt.height() / state_.windowExt.height();
    }
    return QTransform::fromTranslate(-state_.windowOrg.x(), -state_.windowOrg.y()) *
           QTransform::fromScale(scaleX, scaleY) *
           QTransform::fromTranslate(state_.viewportOrg.x(), state_.viewportOrg.y()) *
           deviceToPicture_;
}

// GDI boxes leave out their right and bottom edges: the outline runs one
// pixel inside the far corner.
QRectF MetafilePlayer::mapBox(QPointF corner1, QPointF corner2) const {
    const QRectF box = QRectF(map(corner1), map(corner2)).normalized();
    return box.adjusted(0, 0, -1, -1);
}

void MetafilePlayer::selectObject(quint32 index) {
    const GdiObject* object = objects_.find(index);
    if (!object)
        return;
    if (object->pen)
        state_.pen = *object->pen;
    if (object->brush)
        state_.brush = *object->brush;
    if (object->font)
        state_.font = *object->font;
}

void MetafilePlayer::selectStockObject(quint32 stock) {
    // WHITE_BRUSH 0, LTGRAY_BRUSH 1, GRAY_BRUSH 2, DKGRAY_BRUSH 3,
    // BLACK_BRUSH 4, NULL_BRUSH 5, WHITE_PEN 6, BLACK_PEN 7, NULL_PEN 8, and
    // the stock fonts 10 to 17.
    static constexpr int Greys[] = {255, 192, 128, 64, 0};
    if (stock <= 4)
        state_.brush = GdiBrush{BsSolid, 0, QColor(Greys[stock], Greys[stock], Greys[stock])};
    else if (stock == 5)
        state_.brush = GdiBrush{1, 0, Qt::white};
    else if (stock == 6 || stock == 7)
        state_.pen = GdiPen{0, 0, stock == 6 ? QColor(Qt::white) : QColor(Qt::black)};
    else if (stock == 8)
        state_.pen = GdiPen{PsNull, 0, Qt::black};
    else if (stock >= 10 && stock <= 17)
        state_.font = GdiFont{};
}

void MetafilePlayer::saveDc() {
    if (saved_.size() >= MaxSavedStates)
        invalid();
    saved_.push_back(state_);
}

void MetafilePlayer::restoreDc(int which) {
    // Negative: that many states back; positive: the state saved as that
    // number.
    std::size_t keep = 0;
    if (which < 0) {
        const auto back = static_cast<std::size_t>(-static_cast<long long>(which));
        if (back > saved_.size())
            return;
        keep = saved_.size() - back;
    } else {
        if (which == 0 || static_cast<std::size_t>(which) > saved_.size())
            return;
        keep = static_cast<std::size_t>(which) - 1;
    }
    state_ = saved_[keep];
    saved_.resize(keep);
}

void MetafilePlayer::spend(qint64 work) {
    work_ += work;
    if (work_ > MaxDrawingWork)
        invalid();
}

void MetafilePlayer::applyPenAndBrush(bool fill) {
    spend(1);
    const QTransform toPicture = logicalToPicture();
    const double scale = std::sqrt(std::abs(toPicture.determinant()));
    QPen pen(state_.pen.color);
    pen.setStyle(penStyle(state_.pen.style));
    // Width 0 is the thinnest line the device draws.
    const double width = std::abs(state_.pen.width) * scale;
    if (width > MaxStrokePixels)
        invalid();
    pen.setWidthF(state_.pen.width <= 0 ? 1.0 : std::max(1.0, width));
    painter_.setPen(pen);
    painter_.setBackground(state_.bkColor);
    painter_.setBackgroundMode(state_.bkOpaque ? Qt::OpaqueMode : Qt::TransparentMode);
    if (!fill || (state_.brush.style != BsSolid && state_.brush.style != BsHatched))
        painter_.setBrush(Qt::NoBrush);
    else if (state_.brush.style == BsSolid)
        painter_.setBrush(state_.brush.color);
    else
        painter_.setBrush(QBrush(state_.brush.color, hatchStyle(state_.brush.hatch)));
}

void MetafilePlayer::lineTo(QPointF point) {
    applyPenAndBrush(false);
    painter_.drawLine(map(state_.position), map(point));
    state_.position = point;
}

void MetafilePlayer::rectangle(QPointF corner1, QPointF corner2) {
    applyPenAndBrush(true);
    painter_.drawRect(mapBox(corner1, corner2));
}

void MetafilePlayer::ellipse(QPointF corner1, QPointF corner2) {
    applyPenAndBrush(true);
    painter_.drawEllipse(mapBox(corner1, corner2));
}

void MetafilePlayer::roundRect(QPointF corner1, QPointF corner2, QSizeF cornerEllipse) {
    applyPenAndBrush(true);
    const QTransform toPicture = logicalToPicture();
    painter_.drawRoundedRect(mapBox(corner1, corner2),
                             std::abs(cornerEllipse.width() * toPicture.m11()) / 2,
                             std::abs(cornerEllipse.height() * toPicture.m22()) / 2);
}

void MetafilePlayer::polygon(const QPolygonF& points) {
    spend(points.size() / PointsPerWork);
    applyPenAndBrush(true);
    painter_.drawPolygon(logicalToPicture().map(points),
                         state_.winding ? Qt::WindingFill : Qt::OddEvenFill);
}

void MetafilePlayer::polyline(const QPolygonF& points) {
    spend(points.size() / PointsPerWork);
    applyPenAndBrush(false);
    painter_.drawPolyline(logicalToPicture().map(points));
}

void MetafilePlayer::polyPolygon(const std::vector<QPolygonF>& polygons) {
    applyPenAndBrush(true);
    QPainterPath path;
    path.setFillRule(state_.winding ? Qt::WindingFill : Qt::OddEvenFill);
    const QTransform toPicture = logicalToPicture();
    for (const QPolygonF& polygon : polygons) {
        spend(1 + polygon.size() / PointsPerWork);
        path.addPolygon(toPicture.map(polygon));
        path.closeSubpath();
    }
    painter_.drawPath(path);
}

const MetafilePlayer::PictureFont& MetafilePlayer::pictureFont() {
    const double scale = std::abs(logicalToPicture().m22());
    if (font_ && font_->font == state_.font && font_->scale == scale)
        return *font_;
    QFont font;
    if (!state_.font.face.isEmpty())
        font.setFamily(state_.font.face);
    const double height = std::abs(state_.font.height) * scale;
    if (height > MaxStrokePixels)
        invalid();
    // Height 0 asks for the device's default size; any other is at least a
    // pixel high.
    constexpr int DefaultPixels = 12;
    font.setPixelSize(state_.font.height == 0 ? DefaultPixels
                                              : std::max(1, static_cast<int>(std::lround(height))));
    font.setWeight(static_cast<QFont::Weight>(std::clamp(state_.font.weight, 1, 1000)));
    font.setItalic(state_.font.italic);
    font.setUnderline(state_.font.underline);
    font.setStrikeOut(state_.font.strikeOut);
    font_.emplace(PictureFont{state_.font, scale, font, QFontMetricsF(font)});
    return *font_;
}

void MetafilePlayer::textOut(QPointF point, const QString& text, std::optional<QRectF> opaqueRect,
                             std::optional<QRectF> clipRect) {
    // A text costs about as much as three shapes, and more the longer it is.
    spend(3 + text.size() / 16);
    const bool updateCp = (state_.textAlign & TaUpdateCp) != 0;
    const QPointF reference = map(updateCp ? state_.position : point);
    const PictureFont& cached = pictureFont();
    const QFont& font = cached.qfont;
    const QFontMetricsF& metrics = cached.metrics;
    const double width = metrics.horizontalAdvance(text);

    double left = reference.x();
    if ((state_.textAlign & TaHorizontal) == TaCenter)
        left -= width / 2;
    else if ((state_.textAlign & TaHorizontal) == TaRight)
        left -= width;
    double baseline = reference.y() + metrics.ascent();
    if ((state_.textAlign & TaVertical) == TaBaseline)
        baseline = reference.y();
    else if ((state_.textAlign & TaVertical) == TaBottom)
        baseline = reference.y() - metrics.descent();

    painter_.save();
    if (clipRect)
        painter_.setClipRect(mapBox(clipRect->topLeft(), clipRect->bottomRight()));
    if (opaqueRect)
        painter_.fillRect(
            QRectF(map(opaqueRect->topLeft()), map(opaqueRect->bottomRight())).normalized(),
            state_.bkColor);
    if (state_.bkOpaque)
        painter_.fillRect(QRectF(left, baseline - metrics.ascent(), width, metrics.height()),
                          state_.bkColor);
    painter_.setFont(font);
    painter_.setPen(state_.textColor);
    painter_.drawText(QPointF(left, baseline), text);
    painter_.restore();

    if (updateCp)
        state_.position =
            logicalToPicture().inverted().map(QPointF(reference.x() + width, reference.y()));
}

} // namespace platform

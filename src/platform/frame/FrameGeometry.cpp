#include "frame/FrameGeometry.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace platform::frame {

QSize frameSizeForClient(QSize client) {
    return {client.width() + 2 * BorderWidth, client.height() + CaptionHeight + BorderWidth};
}

QRect clientRect(QSize frame) {
    return QRect(BorderWidth, CaptionHeight, frame.width() - 2 * BorderWidth,
                 std::max(0, frame.height() - CaptionHeight - BorderWidth));
}

QRect captionBandRect(QSize frame) {
    return QRect(1, 1, frame.width() - 2, CaptionHeight - 2);
}

QRect captionButtonRect(QSize frame, int index, int count) {
    const int top = 1 + (CaptionHeight - 2 - ButtonSize.height()) / 2;
    const int fromRight = count - 1 - index;
    const int left = frame.width() - BorderWidth - ButtonSize.width() -
                     fromRight * (ButtonSize.width() + ButtonSpacing);
    return QRect(QPoint(left, top), ButtonSize);
}

QRect captionIconRect(QSize frame, bool showIcon) {
    if (!showIcon)
        return {};
    const QRect band = captionBandRect(frame);
    return QRect(BorderWidth + CaptionPadding, band.top() + (band.height() - IconSize) / 2,
                 IconSize, IconSize);
}

QRect captionTextRect(QSize frame, bool showIcon, int buttonCount) {
    const QRect band = captionBandRect(frame);
    const QRect icon = captionIconRect(frame, showIcon);
    const int left =
        icon.isEmpty() ? BorderWidth + CaptionPadding : icon.right() + 1 + CaptionPadding;
    const int right = captionButtonRect(frame, 0, buttonCount).left() - CaptionPadding;
    return QRect(QPoint(left, band.top()), QPoint(std::max(left, right), band.bottom()));
}

QSize minimumFrameSize(int buttonCount) {
    const int buttons = buttonCount * ButtonSize.width() + (buttonCount - 1) * ButtonSpacing;
    return {2 * BorderWidth + buttons + 4 * CaptionPadding, RolledUpHeight};
}

Qt::Edges resizeEdgesAt(QSize frame, QPoint pos, bool resizable, bool rolledUp) {
    if (!resizable || !QRect(QPoint(0, 0), frame).contains(pos))
        return {};
    const bool nearLeft = pos.x() < BorderWidth;
    const bool nearRight = pos.x() >= frame.width() - BorderWidth;
    const bool nearTop = pos.y() < BorderWidth;
    const bool nearBottom = pos.y() >= frame.height() - BorderWidth;
    Qt::Edges edges;
    if (nearLeft || nearRight) {
        edges |= nearLeft ? Qt::LeftEdge : Qt::RightEdge;
        if (pos.y() < CornerGrip)
            edges |= Qt::TopEdge;
        else if (pos.y() >= frame.height() - CornerGrip)
            edges |= Qt::BottomEdge;
    }
    if (nearTop || nearBottom) {
        edges |= nearTop ? Qt::TopEdge : Qt::BottomEdge;
        if (pos.x() < CornerGrip)
            edges |= Qt::LeftEdge;
        else if (pos.x() >= frame.width() - CornerGrip)
            edges |= Qt::RightEdge;
    }
    if (rolledUp)
        edges &= ~(Qt::TopEdge | Qt::BottomEdge);
    return edges;
}

QRect resizedGeometry(const QRect& start, Qt::Edges edges, QPoint delta, QSize minimum,
                      QSize maximum) {
    int width = start.width();
    int height = start.height();
    if (edges & Qt::LeftEdge)
        width -= delta.x();
    if (edges & Qt::RightEdge)
        width += delta.x();
    if (edges & Qt::TopEdge)
        height -= delta.y();
    if (edges & Qt::BottomEdge)
        height += delta.y();
    maximum = maximum.expandedTo(minimum);
    width = std::clamp(width, minimum.width(), maximum.width());
    height = std::clamp(height, minimum.height(), maximum.height());

    QRect geometry = start;
    if (edges & Qt::LeftEdge)
        geometry.setLeft(start.right() + 1 - width);
    else
        geometry.setWidth(width);
    if (edges & Qt::TopEdge)
        geometry.setTop(start.bottom() + 1 - height);
    else
        geometry.setHeight(height);
    return geometry;
}

namespace {

int onDevicePixels(int value, double devicePixelRatio) {
    constexpr int Reach = 4; // 1.25 lands on whole pixels every 4
    const auto whole = [devicePixelRatio](int v) {
        const double device = v * devicePixelRatio;
        return std::abs(device - std::round(device)) < 1e-6;
    };
    for (int step = 0; step <= Reach; ++step) {
        if (whole(value - step))
            return value - step;
        if (whole(value + step))
            return value + step;
    }
    return value;
}

} // namespace

QPoint onDevicePixels(QPoint pos, double devicePixelRatio) {
    return {onDevicePixels(pos.x(), devicePixelRatio), onDevicePixels(pos.y(), devicePixelRatio)};
}

QRegion windowShape(QSize frame, bool roundedCorners) {
    QRegion shape(QRect(QPoint(0, 0), frame));
    if (!roundedCorners)
        return shape;
    for (int row = 0; row < int(std::size(CornerCuts)); ++row) {
        const int cut = CornerCuts[row];
        shape -= QRegion(0, row, cut, 1);
        shape -= QRegion(frame.width() - cut, row, cut, 1);
    }
    return shape;
}

} // namespace platform::frame

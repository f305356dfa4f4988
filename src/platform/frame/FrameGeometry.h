#pragma once

// The skinned frame's geometry as pure functions of the frame's size and
// state: where the client area, the caption band, the caption text and the
// caption buttons lie, which edges a press at a point resizes, what a
// resize drag gives, and the window's outline with its rounded top corners.
// All rectangles are in frame coordinates, the frame covering the window.

#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>

namespace platform::frame {

// Width of the border at the sides and the bottom, outline included, and
// the distance from the window's top to the client area.
inline constexpr int BorderWidth = 4;
inline constexpr int CaptionHeight = 28;
// The height of a window rolled up to its caption bar.
inline constexpr int RolledUpHeight = CaptionHeight + BorderWidth;
inline constexpr QSize ButtonSize{21, 17};
inline constexpr int ButtonSpacing = 2;
inline constexpr int CaptionPadding = 4;
inline constexpr int IconSize = 16;
// Along an edge, a grip this far from a corner resizes both ways.
inline constexpr int CornerGrip = 12;
// How many pixels each row of a rounded top corner leaves out, from the top
// row down.
inline constexpr int CornerCuts[] = {4, 2, 1, 1};

// The frame's size for a client area of the given size.
QSize frameSizeForClient(QSize client);

QRect clientRect(QSize frame);
// The shaded band inside the outline that holds the caption and buttons.
QRect captionBandRect(QSize frame);
// Caption button `index` of `count`, left to right, right-aligned in the band.
QRect captionButtonRect(QSize frame, int index, int count);
// Empty while no icon is shown.
QRect captionIconRect(QSize frame, bool showIcon);
// From the icon (or the left border) to the first caption button.
QRect captionTextRect(QSize frame, bool showIcon, int buttonCount);
// Room for the border, the caption buttons and a little caption.
QSize minimumFrameSize(int buttonCount);

// The edges that a drag at pos resizes: none outside the frame or while
// the window is maximized or minimized (resizable false), no top or bottom
// edge while it is rolled up.
Qt::Edges resizeEdgesAt(QSize frame, QPoint pos, bool resizable, bool rolledUp);

// The geometry a resize drag of the edges by delta gives a window that
// started at start: the size kept between minimum and maximum, the edges
// not dragged left where they were.
QRect resizedGeometry(const QRect& start, Qt::Edges edges, QPoint delta, QSize minimum,
                      QSize maximum);

// The nearest place to pos, within a few pixels, that falls on a whole
// device pixel at the given pixel density (logical pixels times density).
// At a fractional density a window at a place between device pixels comes
// back from the window system a pixel smaller than it is.
QPoint onDevicePixels(QPoint pos, double devicePixelRatio);

// The window's outline: its whole rectangle, less the rounded top corners
// when it has them (a maximized window has none).
QRegion windowShape(QSize frame, bool roundedCorners);

} // namespace platform::frame

#pragma once

// Plays the drawing records of Windows metafiles onto a QPainter, keeping
// the state of a GDI device context: the selected pen, brush and font, the
// text and background colours, the mapping from logical to device
// coordinates, the current position and the saved states. The readers of
// the two metafile formats parse their records and call in here; this class
// knows no file format.

#include "picture/Graphic.h"

#include <QColor>
#include <QFont>
#include <QPicture>
#include <QPolygonF>
#include <map>
#include <optional>
#include <vector>

namespace platform {

struct GdiPen {
    int style = 0; // PS_SOLID ... PS_INSIDEFRAME
    double width = 0;
    QColor color = Qt::black;
};

struct GdiBrush {
    int style = 0; // BS_SOLID, BS_NULL, BS_HATCHED; others draw nothing
    int hatch = 0;
    QColor color = Qt::white;
};

struct GdiFont {
    double height = 0; // logical units; negative: character height, positive: cell
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QString face;
};

// An object of a metafile's object table. Objects that this player does not
// draw with (palettes, regions, pattern bitmaps) still take a slot.
struct GdiObject {
    std::optional<GdiPen> pen;
    std::optional<GdiBrush> brush;
    std::optional<GdiFont> font;
};

// A COLORREF: 0x00bbggrr.
QColor colorFromRef(quint32 ref);

class MetafilePlayer {
public:
    // deviceToPicture maps the metafile's device coordinates to the
    // picture's pixels. A Windows metafile plays into a fixed viewport that
    // covers the picture, in the anisotropic mapping mode; an enhanced
    // metafile (no fixed viewport) keeps its own mapping.
    MetafilePlayer(QPainter& painter, const QTransform& deviceToPicture,
                   std::optional<QSizeF> fixedViewport);

    void setMapMode(int mode) {
        if (!fixedViewport_)
            state_.mapMode = mode;
    }
    void setWindowOrg(QPointF origin) { state_.windowOrg = origin; }
    void setWindowExt(QSizeF extent) { state_.windowExt = extent; }
    void setViewportOrg(QPointF origin);
    void setViewportExt(QSizeF extent);
    void setTextColor(quint32 ref) { state_.textColor = colorFromRef(ref); }
    void setBkColor(quint32 ref) { state_.bkColor = colorFromRef(ref); }
    void setBkMode(int mode) { state_.bkOpaque = mode == 2; }
    void setPolyFillMode(int mode) { state_.winding = mode == 2; }
    void setTextAlign(int align) { state_.textAlign = align; }

    // The object table: Windows metafiles put a new object into the first
    // free slot, enhanced metafiles name the slot.
    quint32 addObject(GdiObject object);
    void setObject(quint32 index, GdiObject object) { objects_[index] = std::move(object); }
    void selectObject(quint32 index);
    void selectStockObject(quint32 stock);
    void deleteObject(quint32 index) { objects_.erase(index); }

    void saveDc() { saved_.push_back(state_); }
    void restoreDc(int which);

    void moveTo(QPointF point) { state_.position = point; }
    void lineTo(QPointF point);
    void rectangle(QPointF corner1, QPointF corner2);
    void ellipse(QPointF corner1, QPointF corner2);
    void roundRect(QPointF corner1, QPointF corner2, QSizeF cornerEllipse);
    void polygon(const QPolygonF& points);
    void polyline(const QPolygonF& points);
    void polyPolygon(const std::vector<QPolygonF>& polygons);

    // Text with its reference point at point, aligned as the text alignment
    // says. opaqueRect (logical) is filled with the background colour first.
    void textOut(QPointF point, const QString& text, std::optional<QRectF> opaqueRect = {},
                 std::optional<QRectF> clipRect = {});

private:
    struct State {
        GdiPen pen;
        GdiBrush brush;
        GdiFont font;
        QColor textColor = Qt::black;
        QColor bkColor = Qt::white;
        bool bkOpaque = true;
        bool winding = false;
        int textAlign = 0;
        int mapMode = 1; // MM_TEXT
        QPointF windowOrg;
        QSizeF windowExt{1, 1};
        QPointF viewportOrg;
        QSizeF viewportExt{1, 1};
        QPointF position;
    };

    QTransform logicalToPicture() const;
    QPointF map(QPointF point) const { return logicalToPicture().map(point); }
    QRectF mapBox(QPointF corner1, QPointF corner2) const;
    void applyPenAndBrush(bool fill);
    QFont pictureFont() const;

    QPainter& painter_;
    QTransform deviceToPicture_;
    bool fixedViewport_ = false;
    State state_;
    std::vector<State> saved_;
    std::map<quint32, GdiObject> objects_;
};

// A metafile of either kind, recorded once at load and replayed at draw.
class TMetafile : public TGraphic {
public:
    TMetafile(const QPicture& picture, QSize size)
        : picture_(picture)
        , size_(size) {}

    QSize size() const override { return size_; }
    void draw(QPainter& painter, QPoint topLeft) const override {
        painter.drawPicture(topLeft, picture_);
    }

private:
    QPicture picture_;
    QSize size_;
};

inline const std::string InvalidMetafile = "Metafile is not valid";

} // namespace platform

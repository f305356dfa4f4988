#pragma once

// Plays the drawing records of Windows metafiles onto a QPainter, keeping
// the state of a GDI device context: the selected pen, brush and font, the
// text and background colours, the mapping from logical to device
// coordinates, the current position and the saved states. The readers of
// the two metafile formats parse their records and call in here; this class
// knows no file format.
//
// A metafile is a program, and a few bytes of it can ask for much: the
// player keeps every table, stack and size within bounds, and throws
// Exception(InvalidMetafile) for a file that goes beyond them, as for any
// other invalid metafile.

#include "picture/Graphic.h"
#include "system/Exception.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPicture>
#include <QPolygonF>
#include <optional>
#include <queue>
#include <vector>

namespace platform {

inline const std::string InvalidMetafile = "Metafile is not valid";

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
    friend bool operator==(const GdiFont&, const GdiFont&) = default;
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

// The object table of a metafile, of as many slots as the file's header
// says. A Windows metafile puts each new object into the lowest free slot,
// an enhanced metafile names the slot; an object beyond the table, or an
// index outside it, makes the file invalid. Every operation costs the same
// whatever the number of objects (up to a logarithm of the freed slots).
class GdiObjectTable {
public:
    explicit GdiObjectTable(quint32 capacity)
        : capacity_(capacity) {}

    quint32 add(GdiObject object);
    void set(quint32 index, GdiObject object);
    // The object in the slot; null for an empty slot.
    const GdiObject* find(quint32 index) const;
    void remove(quint32 index);

private:
    void checkIndex(quint32 index) const;

    quint32 capacity_;
    // Up to the highest slot used so far.
    std::vector<std::optional<GdiObject>> slots_;
    // Empty slots below slots_.size(), lowest first; a slot filled again
    // since it was freed is dropped when it comes up.
    std::priority_queue<quint32, std::vector<quint32>, std::greater<>> freed_;
};

class MetafilePlayer {
public:
    // deviceToPicture maps the metafile's device coordinates to the
    // picture's pixels. A Windows metafile plays into a fixed viewport that
    // covers the picture, in the anisotropic mapping mode; an enhanced
    // metafile (no fixed viewport) keeps its own mapping.
    // objectSlots: the size of the file's object table, from its header.
    MetafilePlayer(QPainter& painter, const QTransform& deviceToPicture,
                   std::optional<QSizeF> fixedViewport, quint32 objectSlots);

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
    quint32 addObject(GdiObject object) { return objects_.add(std::move(object)); }
    void setObject(quint32 index, GdiObject object) { objects_.set(index, std::move(object)); }
    void selectObject(quint32 index);
    void selectStockObject(quint32 stock);
    void deleteObject(quint32 index) { objects_.remove(index); }

    // Saved states nest no deeper than MaxSavedStates.
    void saveDc();
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

    // The deepest nesting of saved states a file may ask for.
    static constexpr std::size_t MaxSavedStates = 1024;
    // The widest pen and the highest text, in pixels of the picture.
    static constexpr double MaxStrokePixels = 4096;
    // What drawing a picture may cost, in units of one shape: each takes up
    // to about 8 µs to play at every paint of a slot, and to record at load.
    // A text costs three and more when long, a polygon one for every few
    // points; a picture costing more is taken for a hostile file (at most
    // a quarter of a second a paint).
    static constexpr qint64 MaxDrawingWork = 30000;

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

    // The font of the state at the current mapping, with its metrics; made
    // again only when either changes.
    struct PictureFont {
        GdiFont font;
        double scale;
        QFont qfont;
        QFontMetricsF metrics;
    };

    QTransform logicalToPicture() const;
    QPointF map(QPointF point) const { return logicalToPicture().map(point); }
    QRectF mapBox(QPointF corner1, QPointF corner2) const;
    void applyPenAndBrush(bool fill);
    const PictureFont& pictureFont();
    void spend(qint64 work);

    QPainter& painter_;
    QTransform deviceToPicture_;
    bool fixedViewport_ = false;
    State state_;
    std::vector<State> saved_;
    GdiObjectTable objects_;
    std::optional<PictureFont> font_;
    qint64 work_ = 0;
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

} // namespace platform

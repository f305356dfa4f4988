// Enhanced metafiles (.emf): a header record with the " EMF" signature and
// the picture's frame, then records of 32-bit fields up to the end-of-file
// record. The file is checked whole before anything is drawn; records this
// reader does not draw are skipped.

#include "picture/ByteFields.h"
#include "picture/MetafilePlayer.h"
#include "system/CodePage.h"
#include "system/Exception.h"

#include <cmath>
#include <unordered_map>

namespace platform {
namespace {

// The types of the records this reader knows, named as the format names
// them (EMR_HEADER ...).
enum RecordType : quint32 {
    EmrHeader = 1,
    EmrPolygon = 3,
    EmrPolyline = 4,
    EmrPolyPolygon = 8,
    EmrSetWindowExtEx = 9,
    EmrSetWindowOrgEx = 10,
    EmrSetViewportExtEx = 11,
    EmrSetViewportOrgEx = 12,
    EmrEof = 14,
    EmrSetMapMode = 17,
    EmrSetBkMode = 18,
    EmrSetPolyFillMode = 19,
    EmrSetTextAlign = 22,
    EmrSetTextColor = 24,
    EmrSetBkColor = 25,
    EmrMoveToEx = 27,
    EmrSaveDc = 33,
    EmrRestoreDc = 34,
    EmrSelectObject = 37,
    EmrCreatePen = 38,
    EmrCreateBrushIndirect = 39,
    EmrDeleteObject = 40,
    EmrEllipse = 42,
    EmrRectangle = 43,
    EmrRoundRect = 44,
    EmrLineTo = 54,
    EmrExtCreateFontIndirectW = 82,
    EmrExtTextOutA = 83,
    EmrExtTextOutW = 84,
    EmrPolygon16 = 86,
    EmrPolyline16 = 87,
    EmrPolyPolygon16 = 91,
    EmrExtCreatePen = 95,
};
constexpr quint32 EmfSignature = 0x464D4520; // " EMF"
constexpr qsizetype MinHeaderSize = 88;
constexpr double ScreenPixelsPerInch = 96;
constexpr double HundredthMmPerInch = 2540;

[[noreturn]] void invalid() {
    throw Exception(InvalidMetafile);
}

struct Record {
    quint32 type;
    qsizetype offset;
    qsizetype size;
};

// One record's fields by byte offset from the record's start, each access
// checked against the record's size.
class Fields {
public:
    Fields(const QByteArray& data, const Record& record)
        : data_(data)
        , record_(record) {}

    quint32 dword(qsizetype at) const {
        if (at < 0 || at + 4 > record_.size)
            invalid();
        return dword32At(data_, record_.offset + at);
    }
    // The record's size in bytes.
    qsizetype size() const { return record_.size; }
    qint32 integer(qsizetype at) const { return static_cast<qint32>(dword(at)); }
    qint16 word(qsizetype at) const {
        if (at < 0 || at + 2 > record_.size)
            invalid();
        return static_cast<qint16>(word16At(data_, record_.offset + at));
    }
    QPointF point(qsizetype at) const { return QPointF(integer(at), integer(at + 4)); }
    QSizeF extent(qsizetype at) const { return QSizeF(integer(at), integer(at + 4)); }
    QByteArray bytes(qsizetype at, qint64 count) const {
        if (at < 0 || count < 0 || at + count > record_.size)
            invalid();
        return data_.mid(record_.offset + at, static_cast<qsizetype>(count));
    }
    // count points of two 32-bit (wide) or two 16-bit fields from at.
    QPolygonF points(qsizetype at, qint64 count, bool wide) const {
        const qsizetype step = wide ? 8 : 4;
        if (count < 0 || at + count * step > record_.size)
            invalid();
        QPolygonF polygon;
        for (qint64 i = 0; i < count; ++i) {
            const qsizetype p = at + static_cast<qsizetype>(i) * step;
            polygon << (wide ? point(p) : QPointF(word(p), word(p + 2)));
        }
        return polygon;
    }

private:
    const QByteArray& data_;
    const Record& record_;
};

struct Layout {
    QSize size;
    QTransform deviceToPicture;
    quint16 handles = 0; // slots of the object table
    std::vector<Record> records;
};

Layout readLayout(const QByteArray& data) {
    const qint64 headerSize = dword32At(data, 4);
    if (data.size() < MinHeaderSize || dword32At(data, 0) != EmrHeader ||
        headerSize < MinHeaderSize || headerSize > data.size() ||
        dword32At(data, 40) != EmfSignature)
        invalid();
    Layout layout;
    layout.handles = word16At(data, 56);
    for (qsizetype at = 0;;) {
        if (at + 8 > data.size())
            invalid();
        const quint32 type = dword32At(data, at);
        const qint64 size = dword32At(data, at + 4);
        if (size < 8 || size % 4 != 0 || at + size > data.size())
            invalid();
        if (type == EmrEof)
            break;
        layout.records.push_back(Record{type, at, static_cast<qsizetype>(size)});
        at += static_cast<qsizetype>(size);
    }

    // The frame, in hundredths of a millimetre, sets the picture's size on a
    // screen; the reference device's pixels per millimetre map the records'
    // device coordinates onto it.
    const Fields header(data, layout.records.front());
    const QRectF frame(header.point(24), header.point(32));
    const QSizeF devicePixels = header.extent(72);
    const QSizeF deviceMillimetres = header.extent(80);
    if (frame.width() <= 0 || frame.height() <= 0 || devicePixels.isEmpty() ||
        deviceMillimetres.isEmpty())
        invalid();
    const double width = std::round(frame.width() * ScreenPixelsPerInch / HundredthMmPerInch);
    const double height = std::round(frame.height() * ScreenPixelsPerInch / HundredthMmPerInch);
    if (width < 1 || height < 1 || exceedsPixelLimit(qint64(width), qint64(height)))
        invalid();
    layout.size = QSize(static_cast<int>(width), static_cast<int>(height));

    const double pixelsPerHundredthMmX = devicePixels.width() / (deviceMillimetres.width() * 100);
    const double pixelsPerHundredthMmY = devicePixels.height() / (deviceMillimetres.height() * 100);
    const QRectF frameOnDevice(
        frame.left() * pixelsPerHundredthMmX, frame.top() * pixelsPerHundredthMmY,
        frame.width() * pixelsPerHundredthMmX, frame.height() * pixelsPerHundredthMmY);
    layout.deviceToPicture =
        QTransform::fromTranslate(-frameOnDevice.left(), -frameOnDevice.top()) *
        QTransform::fromScale(width / frameOnDevice.width(), height / frameOnDevice.height());
    return layout;
}

GdiFont readFont(const Fields& f) {
    // LOGFONTW from byte 12: height, width, escapement, orientation, weight,
    // italic, underline, strike-out, ... and a face of 32 UTF-16 units.
    GdiFont font;
    font.height = f.integer(12);
    font.weight = f.integer(28);
    const QByteArray flags = f.bytes(32, 3);
    font.italic = flags[0] != 0;
    font.underline = flags[1] != 0;
    font.strikeOut = flags[2] != 0;
    const QByteArray face = f.bytes(40, 64);
    font.face = QString::fromUtf16(reinterpret_cast<const char16_t*>(face.constData()), 32);
    font.face.truncate(font.face.indexOf(QChar(0)) < 0 ? 32 : font.face.indexOf(QChar(0)));
    return font;
}

void textOut(MetafilePlayer& player, const Fields& f, bool wide) {
    // EMRTEXT from byte 36: reference point, length, string offset,
    // options, rectangle.
    const QPointF reference = f.point(36);
    const qint64 length = f.dword(44);
    const qsizetype stringAt = f.dword(48);
    const quint32 options = f.dword(52);
    const QRectF box(f.point(56), f.point(64));
    QString text;
    if (wide) {
        const QByteArray units = f.bytes(stringAt, length * 2);
        text = QString::fromUtf16(reinterpret_cast<const char16_t*>(units.constData()),
                                  static_cast<qsizetype>(length));
    } else {
        const QByteArray bytes = f.bytes(stringAt, length);
        text = CodePage::system().toUnicode(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }
    constexpr quint32 EtoOpaque = 2;
    constexpr quint32 EtoClipped = 4;
    player.textOut(reference, text, options & EtoOpaque ? std::optional(box) : std::nullopt,
                   options & EtoClipped ? std::optional(box) : std::nullopt);
}

void playPolyPolygon(MetafilePlayer& player, const Fields& f, bool wide) {
    // The bounds, the number of polygons and of all points, the point
    // counts, then the points.
    const qint64 polygons = f.dword(24);
    if (polygons < 0 || 32 + polygons * 4 > f.size())
        invalid();
    qsizetype next = 32 + static_cast<qsizetype>(polygons) * 4;
    std::vector<QPolygonF> shapes;
    for (qint64 i = 0; i < polygons; ++i) {
        const qint64 count = f.dword(32 + static_cast<qsizetype>(i) * 4);
        shapes.push_back(f.points(next, count, wide));
        next += static_cast<qsizetype>(count) * (wide ? 8 : 4);
    }
    player.polyPolygon(shapes);
}

void playSelectObject(MetafilePlayer& player, const Fields& f) {
    // Stock objects have the top bit set.
    const quint32 index = f.dword(8);
    if (index & 0x80000000u)
        player.selectStockObject(index & 0x7FFFFFFFu);
    else
        player.selectObject(index);
}

void playDeleteObject(MetafilePlayer& player, const Fields& f) {
    // Stock objects are never deleted.
    const quint32 index = f.dword(8);
    if (!(index & 0x80000000u))
        player.deleteObject(index);
}

using RecordPlayer = void (*)(MetafilePlayer&, const Fields&);

// The records that are drawn, by their type; others are skipped. Polygons
// and polylines come with 32-bit points and, in the "16" records, 16-bit.
const std::unordered_map<quint32, RecordPlayer>& recordPlayers() {
    using F = const Fields&;
    using M = MetafilePlayer&;
    static const std::unordered_map<quint32, RecordPlayer> players{
        {EmrSetWindowExtEx, [](M m, F f) { m.setWindowExt(f.extent(8)); }},
        {EmrSetWindowOrgEx, [](M m, F f) { m.setWindowOrg(f.point(8)); }},
        {EmrSetViewportExtEx, [](M m, F f) { m.setViewportExt(f.extent(8)); }},
        {EmrSetViewportOrgEx, [](M m, F f) { m.setViewportOrg(f.point(8)); }},
        {EmrSetMapMode, [](M m, F f) { m.setMapMode(f.integer(8)); }},
        {EmrSetBkMode, [](M m, F f) { m.setBkMode(f.integer(8)); }},
        {EmrSetPolyFillMode, [](M m, F f) { m.setPolyFillMode(f.integer(8)); }},
        {EmrSetTextAlign, [](M m, F f) { m.setTextAlign(f.integer(8)); }},
        {EmrSetTextColor, [](M m, F f) { m.setTextColor(f.dword(8)); }},
        {EmrSetBkColor, [](M m, F f) { m.setBkColor(f.dword(8)); }},
        {EmrMoveToEx, [](M m, F f) { m.moveTo(f.point(8)); }},
        {EmrLineTo, [](M m, F f) { m.lineTo(f.point(8)); }},
        {EmrSaveDc, [](M m, F) { m.saveDc(); }},
        {EmrRestoreDc, [](M m, F f) { m.restoreDc(f.integer(8)); }},
        {EmrSelectObject, playSelectObject},
        {EmrDeleteObject, playDeleteObject},
        // index, style, width (x, y), colour
        {EmrCreatePen,
         [](M m, F f) {
             m.setObject(f.dword(8), GdiObject{GdiPen{f.integer(12), double(f.integer(16)),
                                                      colorFromRef(f.dword(24))},
                                               {},
                                               {}});
         }},
        // index, bitmap fields, then style, width, brush style, colour
        {EmrExtCreatePen,
         [](M m, F f) {
             m.setObject(f.dword(8), GdiObject{GdiPen{f.integer(28), double(f.dword(32)),
                                                      colorFromRef(f.dword(40))},
                                               {},
                                               {}});
         }},
        // index, style, colour, hatch
        {EmrCreateBrushIndirect,
         [](M m, F f) {
             m.setObject(
                 f.dword(8),
                 GdiObject{
                     {}, GdiBrush{f.integer(12), f.integer(20), colorFromRef(f.dword(16))}, {}});
         }},
        {EmrExtCreateFontIndirectW,
         [](M m, F f) {
             m.setObject(f.dword(8), GdiObject{{}, {}, readFont(f)});
         }},
        {EmrRectangle, [](M m, F f) { m.rectangle(f.point(8), f.point(16)); }},
        {EmrEllipse, [](M m, F f) { m.ellipse(f.point(8), f.point(16)); }},
        // the box, then the corner ellipse
        {EmrRoundRect, [](M m, F f) { m.roundRect(f.point(8), f.point(16), f.extent(24)); }},
        // the bounds, the count, then the points
        {EmrPolygon, [](M m, F f) { m.polygon(f.points(28, f.dword(24), true)); }},
        {EmrPolygon16, [](M m, F f) { m.polygon(f.points(28, f.dword(24), false)); }},
        {EmrPolyline, [](M m, F f) { m.polyline(f.points(28, f.dword(24), true)); }},
        {EmrPolyline16, [](M m, F f) { m.polyline(f.points(28, f.dword(24), false)); }},
        {EmrPolyPolygon, [](M m, F f) { playPolyPolygon(m, f, true); }},
        {EmrPolyPolygon16, [](M m, F f) { playPolyPolygon(m, f, false); }},
        {EmrExtTextOutA, [](M m, F f) { textOut(m, f, false); }},
        {EmrExtTextOutW, [](M m, F f) { textOut(m, f, true); }},
    };
    return players;
}

void play(MetafilePlayer& player, const QByteArray& data, const Record& record) {
    const auto found = recordPlayers().find(record.type);
    if (found != recordPlayers().end())
        found->second(player, Fields(data, record));
}

} // namespace

std::unique_ptr<TGraphic> readEnhancedMetafile(const QByteArray& data) {
    const Layout layout = readLayout(data);
    QPicture picture;
    QPainter painter(&picture);
    MetafilePlayer player(painter, layout.deviceToPicture, std::nullopt, layout.handles);
    for (const Record& record : layout.records)
        play(player, data, record);
    painter.end();
    return std::make_unique<TMetafile>(std::move(picture), layout.size);
}

} // namespace platform

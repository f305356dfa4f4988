// Enhanced metafiles (.emf): a header record with the " EMF" signature and
// the picture's frame, then records of 32-bit fields up to the end-of-file
// record. The file is checked whole before anything is drawn; records this
// reader does not draw are skipped.

#include "picture/ByteFields.h"
#include "picture/MetafilePlayer.h"
#include "system/CodePage.h"
#include "system/Exception.h"

#include <cmath>

namespace platform {
namespace {

constexpr quint32 EmrHeader = 1;
constexpr quint32 EmrEof = 14;
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
    std::vector<Record> records;
};

Layout readLayout(const QByteArray& data) {
    const qint64 headerSize = dword32At(data, 4);
    if (data.size() < MinHeaderSize || dword32At(data, 0) != EmrHeader ||
        headerSize < MinHeaderSize || headerSize > data.size() ||
        dword32At(data, 40) != EmfSignature)
        invalid();
    Layout layout;
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

void play(MetafilePlayer& player, const QByteArray& data, const Record& record) {
    const Fields f(data, record);
    switch (record.type) {
    case 9: // SETWINDOWEXTEX
        player.setWindowExt(f.extent(8));
        break;
    case 10: // SETWINDOWORGEX
        player.setWindowOrg(f.point(8));
        break;
    case 11: // SETVIEWPORTEXTEX
        player.setViewportExt(f.extent(8));
        break;
    case 12: // SETVIEWPORTORGEX
        player.setViewportOrg(f.point(8));
        break;
    case 17: // SETMAPMODE
        player.setMapMode(f.integer(8));
        break;
    case 18: // SETBKMODE
        player.setBkMode(f.integer(8));
        break;
    case 19: // SETPOLYFILLMODE
        player.setPolyFillMode(f.integer(8));
        break;
    case 22: // SETTEXTALIGN
        player.setTextAlign(f.integer(8));
        break;
    case 24: // SETTEXTCOLOR
        player.setTextColor(f.dword(8));
        break;
    case 25: // SETBKCOLOR
        player.setBkColor(f.dword(8));
        break;
    case 27: // MOVETOEX
        player.moveTo(f.point(8));
        break;
    case 54: // LINETO
        player.lineTo(f.point(8));
        break;
    case 33: // SAVEDC
        player.saveDc();
        break;
    case 34: // RESTOREDC
        player.restoreDc(f.integer(8));
        break;
    case 37: { // SELECTOBJECT: stock objects have the top bit set
        const quint32 index = f.dword(8);
        if (index & 0x80000000u)
            player.selectStockObject(index & 0x7FFFFFFFu);
        else
            player.selectObject(index);
        break;
    }
    case 40: // DELETEOBJECT
        player.deleteObject(f.dword(8));
        break;
    case 38: // CREATEPEN: index, style, width (x, y), colour
        player.setObject(
            f.dword(8),
            GdiObject{
                GdiPen{f.integer(12), double(f.integer(16)), colorFromRef(f.dword(24))}, {}, {}});
        break;
    case 95: // EXTCREATEPEN: index, bitmap fields, then style, width, brush style, colour
        player.setObject(
            f.dword(8),
            GdiObject{
                GdiPen{f.integer(28), double(f.dword(32)), colorFromRef(f.dword(40))}, {}, {}});
        break;
    case 39: // CREATEBRUSHINDIRECT: index, style, colour, hatch
        player.setObject(
            f.dword(8),
            GdiObject{{}, GdiBrush{f.integer(12), f.integer(20), colorFromRef(f.dword(16))}, {}});
        break;
    case 82: // EXTCREATEFONTINDIRECTW
        player.setObject(f.dword(8), GdiObject{{}, {}, readFont(f)});
        break;
    case 43: // RECTANGLE
        player.rectangle(f.point(8), f.point(16));
        break;
    case 42: // ELLIPSE
        player.ellipse(f.point(8), f.point(16));
        break;
    case 44: // ROUNDRECT: box, corner ellipse
        player.roundRect(f.point(8), f.point(16), f.extent(24));
        break;
    case 3:  // POLYGON: bounds, count, points
    case 86: // POLYGON16
        player.polygon(f.points(28, f.dword(24), record.type == 3));
        break;
    case 4:  // POLYLINE
    case 87: // POLYLINE16
        player.polyline(f.points(28, f.dword(24), record.type == 4));
        break;
    case 8:    // POLYPOLYGON: bounds, polygons, points, counts, points
    case 91: { // POLYPOLYGON16
        const qint64 polygons = f.dword(24);
        if (polygons < 0 || 32 + polygons * 4 > record.size)
            invalid();
        const bool wide = record.type == 8;
        qsizetype next = 32 + static_cast<qsizetype>(polygons) * 4;
        std::vector<QPolygonF> shapes;
        for (qint64 i = 0; i < polygons; ++i) {
            const qint64 count = f.dword(32 + static_cast<qsizetype>(i) * 4);
            shapes.push_back(f.points(next, count, wide));
            next += static_cast<qsizetype>(count) * (wide ? 8 : 4);
        }
        player.polyPolygon(shapes);
        break;
    }
    case 83: // EXTTEXTOUTA
    case 84: // EXTTEXTOUTW
        textOut(player, f, record.type == 84);
        break;
    default: // not drawn here
        break;
    }
}

} // namespace

std::unique_ptr<TGraphic> ReadEnhancedMetafile(const QByteArray& data) {
    const Layout layout = readLayout(data);
    QPicture picture;
    QPainter painter(&picture);
    MetafilePlayer player(painter, layout.deviceToPicture, std::nullopt);
    for (const Record& record : layout.records)
        play(player, data, record);
    painter.end();
    return std::make_unique<TMetafile>(std::move(picture), layout.size);
}

} // namespace platform

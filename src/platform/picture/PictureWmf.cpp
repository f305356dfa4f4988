// Windows metafiles (.wmf): an optional placeable header, the standard
// metafile header, then records of 16-bit words up to the end-of-file
// record. The file is checked whole before anything is drawn; records this
// reader does not draw are skipped.

#include "picture/ByteFields.h"
#include "picture/MetafilePlayer.h"
#include "system/CodePage.h"
#include "system/Exception.h"

#include <unordered_map>

namespace platform {
namespace {

constexpr quint32 PlaceableKey = 0x9AC6CDD7;
constexpr qsizetype PlaceableSize = 22;
constexpr qsizetype MetaHeaderSize = 18;
constexpr qsizetype RecordHeaderSize = 6; // size in words (32 bits), function (16)
constexpr int ScreenPixelsPerInch = 96;

// The function numbers of the records this reader knows, named as the
// format names them (META_SETWINDOWORG ...).
enum RecordFunction : quint16 {
    MetaEndOfFile = 0x0000,
    MetaSaveDc = 0x001E,
    MetaCreatePalette = 0x00F7,
    MetaSetBkMode = 0x0102,
    MetaSetPolyFillMode = 0x0106,
    MetaRestoreDc = 0x0127,
    MetaSelectObject = 0x012D,
    MetaSetTextAlign = 0x012E,
    MetaDibCreatePatternBrush = 0x0142,
    MetaDeleteObject = 0x01F0,
    MetaCreatePatternBrush = 0x01F9,
    MetaSetBkColor = 0x0201,
    MetaSetTextColor = 0x0209,
    MetaSetWindowOrg = 0x020B,
    MetaSetWindowExt = 0x020C,
    MetaLineTo = 0x0213,
    MetaMoveTo = 0x0214,
    MetaCreatePenIndirect = 0x02FA,
    MetaCreateFontIndirect = 0x02FB,
    MetaCreateBrushIndirect = 0x02FC,
    MetaPolygon = 0x0324,
    MetaPolyline = 0x0325,
    MetaEllipse = 0x0418,
    MetaRectangle = 0x041B,
    MetaTextOut = 0x0521,
    MetaPolyPolygon = 0x0538,
    MetaRoundRect = 0x061C,
    MetaCreateRegion = 0x06FF,
    MetaExtTextOut = 0x0A32,
};

[[noreturn]] void invalid() {
    throw Exception(InvalidMetafile);
}

struct Record {
    quint16 function;
    qsizetype offset; // of the record
    qsizetype size;   // in bytes
};

// One record's parameters, each access checked against the record's size.
class Params {
public:
    Params(const QByteArray& data, const Record& record)
        : data_(data)
        , record_(record) {}

    qint16 word(int index) const {
        const qsizetype at = RecordHeaderSize + 2 * qsizetype(index);
        if (index < 0 || at + 2 > record_.size)
            invalid();
        return static_cast<qint16>(word16At(data_, record_.offset + at));
    }
    quint32 dword(int index) const {
        return static_cast<quint16>(word(index)) |
               static_cast<quint32>(static_cast<quint16>(word(index + 1))) << 16;
    }
    QPointF point(int yIndex) const { return QPointF(word(yIndex + 1), word(yIndex)); }
    // count bytes from the byte offset into the parameters.
    QByteArray bytes(qsizetype at, qsizetype count) const {
        if (count < 0 || RecordHeaderSize + at + count > record_.size)
            invalid();
        return data_.mid(record_.offset + RecordHeaderSize + at, count);
    }
    // Bytes of parameters in the record.
    qsizetype size() const { return record_.size - RecordHeaderSize; }
    QPolygonF points(int firstIndex, int count) const {
        QPolygonF polygon;
        for (int i = 0; i < count; ++i)
            polygon << QPointF(word(firstIndex + 2 * i), word(firstIndex + 2 * i + 1));
        return polygon;
    }

private:
    const QByteArray& data_;
    const Record& record_;
};

struct Layout {
    std::optional<QRectF> bounds; // from the placeable header, logical units
    QSize size;
    quint16 objects = 0; // slots of the object table
    std::vector<Record> records;
};

Layout readLayout(const QByteArray& data) {
    Layout layout;
    qsizetype at = 0;
    if (dword32At(data, 0) == PlaceableKey) {
        if (data.size() < PlaceableSize)
            invalid();
        quint16 checksum = 0;
        for (qsizetype word = 0; word < 10; ++word)
            checksum ^= word16At(data, 2 * word);
        const auto left = static_cast<qint16>(word16At(data, 6));
        const auto top = static_cast<qint16>(word16At(data, 8));
        const auto right = static_cast<qint16>(word16At(data, 10));
        const auto bottom = static_cast<qint16>(word16At(data, 12));
        const quint16 unitsPerInch = word16At(data, 14);
        if (checksum != word16At(data, 20) || unitsPerInch == 0 || right == left || bottom == top)
            invalid();
        layout.bounds = QRectF(QPointF(left, top), QPointF(right, bottom));
        layout.size = QSize(std::abs(right - left) * ScreenPixelsPerInch / unitsPerInch,
                            std::abs(bottom - top) * ScreenPixelsPerInch / unitsPerInch);
        at = PlaceableSize;
    }
    // METAHEADER: type 1 (memory) or 2 (disk), header size 9 words,
    // version 0x0100 or 0x0300, the file's size, the number of objects.
    const quint16 type = word16At(data, at);
    layout.objects = word16At(data, at + 10);
    const quint16 version = word16At(data, at + 4);
    if (data.size() < at + MetaHeaderSize || (type != 1 && type != 2) ||
        word16At(data, at + 2) != 9 || (version != 0x0100 && version != 0x0300))
        invalid();
    at += MetaHeaderSize;
    for (;;) {
        const qint64 words = dword32At(data, at);
        if (at + RecordHeaderSize > data.size() || words < 3 || at + 2 * words > data.size())
            invalid();
        const quint16 function = word16At(data, at + 4);
        if (function == MetaEndOfFile)
            break;
        layout.records.push_back(Record{function, at, static_cast<qsizetype>(2 * words)});
        at += 2 * words;
    }
    if (!layout.bounds) {
        // Without a placeable header the picture is as large as its first
        // window extent, in pixels.
        for (const Record& record : layout.records)
            if (record.function == MetaSetWindowExt) {
                const Params params(data, record);
                layout.size = QSize(std::abs(params.word(1)), std::abs(params.word(0)));
                break;
            }
    }
    if (layout.size.isEmpty() || exceedsPixelLimit(layout.size.width(), layout.size.height()))
        invalid();
    return layout;
}

GdiFont readFont(const Params& params) {
    GdiFont font;
    font.height = params.word(0);
    font.weight = params.word(4);
    const QByteArray flags = params.bytes(10, 3);
    font.italic = flags[0] != 0;
    font.underline = flags[1] != 0;
    font.strikeOut = flags[2] != 0;
    // The face name: up to 32 bytes from byte 18, ended by a zero.
    constexpr qsizetype FaceAt = 18;
    QByteArray face = params.bytes(FaceAt, std::clamp<qsizetype>(params.size() - FaceAt, 0, 32));
    face.truncate(face.indexOf('\0') < 0 ? face.size() : face.indexOf('\0'));
    const std::string faceBytes(face.constData(), static_cast<std::size_t>(face.size()));
    font.face = CodePage::system().toUnicode(faceBytes);
    return font;
}

QString textOf(const QByteArray& bytes) {
    return CodePage::system().toUnicode(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void playPolyPolygon(MetafilePlayer& player, const Params& p) {
    // The number of polygons, their point counts, then all points.
    const int polygons = p.word(0);
    std::vector<QPolygonF> shapes;
    int next = 1 + polygons;
    for (int i = 0; i < polygons; ++i) {
        const int count = p.word(1 + i);
        shapes.push_back(p.points(next, count));
        next += 2 * count;
    }
    player.polyPolygon(shapes);
}

void playTextOut(MetafilePlayer& player, const Params& p) {
    // The length, the string padded to whole words, then y and x.
    const int length = p.word(0);
    if (length < 0)
        invalid();
    const int after = 1 + (length + 1) / 2;
    player.textOut(p.point(after), textOf(p.bytes(2, length)));
}

void playExtTextOut(MetafilePlayer& player, const Params& p) {
    // y, x, the length, the options, a rectangle when the options name
    // one, then the string.
    constexpr int EtoOpaque = 2;
    constexpr int EtoClipped = 4;
    const int length = p.word(2);
    const int options = p.word(3);
    if (length < 0)
        invalid();
    std::optional<QRectF> box;
    qsizetype stringAt = 8;
    if (options & (EtoOpaque | EtoClipped)) {
        box = QRectF(QPointF(p.word(4), p.word(5)), QPointF(p.word(6), p.word(7)));
        stringAt += 8;
    }
    player.textOut(p.point(0), textOf(p.bytes(stringAt, length)),
                   options & EtoOpaque ? box : std::nullopt,
                   options & EtoClipped ? box : std::nullopt);
}

// Objects this reader does not draw with still take their slot.
void playUnusedObject(MetafilePlayer& player, const Params&) {
    player.addObject(GdiObject{});
}

using RecordPlayer = void (*)(MetafilePlayer&, const Params&);

// The records that are drawn, by their function number; others are skipped.
const std::unordered_map<quint16, RecordPlayer>& recordPlayers() {
    using P = const Params&;
    using M = MetafilePlayer&;
    static const std::unordered_map<quint16, RecordPlayer> players{
        {MetaSetWindowOrg, [](M m, P p) { m.setWindowOrg(p.point(0)); }},
        {MetaSetWindowExt, [](M m, P p) { m.setWindowExt(QSizeF(p.word(1), p.word(0))); }},
        {MetaSetBkColor, [](M m, P p) { m.setBkColor(p.dword(0)); }},
        {MetaSetBkMode, [](M m, P p) { m.setBkMode(p.word(0)); }},
        {MetaSetTextColor, [](M m, P p) { m.setTextColor(p.dword(0)); }},
        {MetaSetPolyFillMode, [](M m, P p) { m.setPolyFillMode(p.word(0)); }},
        {MetaSetTextAlign, [](M m, P p) { m.setTextAlign(static_cast<quint16>(p.word(0))); }},
        // CREATEPENINDIRECT: style, width (x, y), colour
        {MetaCreatePenIndirect,
         [](M m, P p) {
             m.addObject(
                 GdiObject{GdiPen{p.word(0), double(p.word(1)), colorFromRef(p.dword(3))}, {}, {}});
         }},
        // CREATEBRUSHINDIRECT: style, colour, hatch
        {MetaCreateBrushIndirect,
         [](M m, P p) {
             m.addObject(
                 GdiObject{{}, GdiBrush{p.word(0), p.word(3), colorFromRef(p.dword(1))}, {}});
         }},
        {MetaCreateFontIndirect,
         [](M m, P p) {
             m.addObject(GdiObject{{}, {}, readFont(p)});
         }},
        {MetaCreatePalette, playUnusedObject},
        {MetaCreatePatternBrush, playUnusedObject},
        {MetaDibCreatePatternBrush, playUnusedObject},
        {MetaCreateRegion, playUnusedObject},
        {MetaSelectObject, [](M m, P p) { m.selectObject(static_cast<quint16>(p.word(0))); }},
        {MetaDeleteObject, [](M m, P p) { m.deleteObject(static_cast<quint16>(p.word(0))); }},
        {MetaSaveDc, [](M m, P) { m.saveDc(); }},
        {MetaRestoreDc, [](M m, P p) { m.restoreDc(p.word(0)); }},
        {MetaMoveTo, [](M m, P p) { m.moveTo(p.point(0)); }},
        {MetaLineTo, [](M m, P p) { m.lineTo(p.point(0)); }},
        // RECTANGLE and ELLIPSE: bottom, right, top, left
        {MetaRectangle, [](M m, P p) { m.rectangle(p.point(2), p.point(0)); }},
        {MetaEllipse, [](M m, P p) { m.ellipse(p.point(2), p.point(0)); }},
        // ROUNDRECT: corner height, width, then the box
        {MetaRoundRect,
         [](M m, P p) { m.roundRect(p.point(4), p.point(2), QSizeF(p.word(1), p.word(0))); }},
        {MetaPolygon, [](M m, P p) { m.polygon(p.points(1, p.word(0))); }},
        {MetaPolyline, [](M m, P p) { m.polyline(p.points(1, p.word(0))); }},
        {MetaPolyPolygon, playPolyPolygon},
        {MetaTextOut, playTextOut},
        {MetaExtTextOut, playExtTextOut},
    };
    return players;
}

void play(MetafilePlayer& player, const QByteArray& data, const Record& record) {
    const auto found = recordPlayers().find(record.function);
    if (found != recordPlayers().end())
        found->second(player, Params(data, record));
}

} // namespace

std::unique_ptr<TGraphic> readWindowsMetafile(const QByteArray& data) {
    const Layout layout = readLayout(data);
    QPicture picture;
    QPainter painter(&picture);
    // The metafile plays into a viewport over the whole picture; its window
    // starts as the placeable header's box, and its own records may move it.
    MetafilePlayer player(painter, QTransform(), QSizeF(layout.size), layout.objects);
    if (layout.bounds) {
        player.setWindowOrg(layout.bounds->topLeft());
        player.setWindowExt(layout.bounds->size());
    } else {
        player.setWindowExt(QSizeF(layout.size));
    }
    for (const Record& record : layout.records)
        play(player, data, record);
    painter.end();
    return std::make_unique<TMetafile>(std::move(picture), layout.size);
}

} // namespace platform

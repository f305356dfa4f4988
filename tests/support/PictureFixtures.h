#pragma once

// Small picture files built byte by byte, for the loader's tests: GIF,
// Windows metafiles and enhanced metafiles, each as short as its format
// allows, plus helpers to write any picture Qt can write.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QtEndian>
#include <initializer_list>
#include <vector>

namespace fixtures {

inline void putWord(QByteArray& out, int value) {
    out.append(char(value & 0xFF)).append(char(value >> 8 & 0xFF));
}

inline void putDword(QByteArray& out, quint32 value) {
    putWord(out, int(value & 0xFFFF));
    putWord(out, int(value >> 16));
}

inline QByteArray written(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.write(image);
    return bytes;
}

// LZW data that a GIF decoder reads as the given colour indices: every
// index is sent as a literal after a clear code, so the code width never
// grows.
inline QByteArray lzwLiterals(const std::vector<int>& indices, int minCodeSize) {
    const int clear = 1 << minCodeSize;
    const int width = minCodeSize + 1;
    QByteArray bits;
    quint32 accumulator = 0;
    int used = 0;
    const auto emitCode = [&](int code) {
        accumulator |= quint32(code) << used;
        used += width;
        while (used >= 8) {
            bits.append(char(accumulator & 0xFF));
            accumulator >>= 8;
            used -= 8;
        }
    };
    for (int index : indices) {
        emitCode(clear);
        emitCode(index);
    }
    emitCode(clear + 1); // end of information
    if (used > 0)
        bits.append(char(accumulator & 0xFF));
    QByteArray out;
    out.append(char(minCodeSize));
    for (qsizetype at = 0; at < bits.size(); at += 255) {
        const QByteArray block = bits.mid(at, 255);
        out.append(char(block.size())).append(block);
    }
    out.append('\0');
    return out;
}

struct GifFrame {
    std::vector<int> indices; // width × height colour indices, row by row
    int transparentIndex = -1;
    int delayHundredths = 2;
};

// A GIF89a of the given screen size with a four-colour table: black, red,
// green, blue. Frames cover the whole screen.
inline QByteArray gif(int width, int height, const std::vector<GifFrame>& frames) {
    QByteArray out("GIF89a");
    putWord(out, width);
    putWord(out, height);
    out.append(char(0x81)).append('\0').append('\0'); // 4-entry global table
    out.append(QByteArray::fromHex("000000ff000000ff000000ff"));
    if (frames.size() > 1) // loop for ever
        out.append(QByteArray::fromHex("21ff0b") + "NETSCAPE2.0" +
                   QByteArray::fromHex("030100000"
                                       "0"));
    for (const GifFrame& frame : frames) {
        out.append(QByteArray::fromHex("21f904"));
        out.append(char(0x04 | (frame.transparentIndex >= 0 ? 1 : 0))); // leave in place
        putWord(out, frame.delayHundredths);
        out.append(char(frame.transparentIndex >= 0 ? frame.transparentIndex : 0)).append('\0');
        out.append(char(0x2C));
        putWord(out, 0);
        putWord(out, 0);
        putWord(out, width);
        putWord(out, height);
        out.append('\0');
        out.append(lzwLiterals(frame.indices, 2));
    }
    out.append(char(0x3B));
    return out;
}

// A Windows metafile record: size in words, function, parameters.
inline QByteArray wmfRecord(int function, std::initializer_list<int> params) {
    QByteArray out;
    putDword(out, quint32(3 + params.size()));
    putWord(out, function);
    for (int param : params)
        putWord(out, param);
    return out;
}

// A placeable Windows metafile with the box (0, 0)–(width, height) at 96
// units per inch, so width × height pixels, around the given records.
inline QByteArray wmf(int width, int height, const QByteArray& records, int unitsPerInch = 96,
                      int objects = 4) {
    QByteArray out;
    putDword(out, 0x9AC6CDD7);
    putWord(out, 0); // handle
    putWord(out, 0);
    putWord(out, 0);
    putWord(out, width);
    putWord(out, height);
    putWord(out, unitsPerInch);
    putDword(out, 0);
    quint16 checksum = 0;
    for (int word = 0; word < 10; ++word)
        checksum ^= qFromLittleEndian<quint16>(out.constData() + qsizetype{2} * word);
    putWord(out, checksum);
    const QByteArray end = wmfRecord(0, {});
    putWord(out, 1); // in memory
    putWord(out, 9); // header words
    putWord(out, 0x0300);
    putDword(out, quint32((18 + records.size() + end.size()) / 2));
    putWord(out, objects);
    putDword(out, 16); // largest record
    putWord(out, 0);
    return out + records + end;
}

inline QByteArray emfRecord(quint32 type, std::initializer_list<quint32> fields) {
    QByteArray out;
    putDword(out, type);
    putDword(out, quint32(8 + 4 * fields.size()));
    for (quint32 field : fields)
        putDword(out, field);
    return out;
}

// An enhanced metafile of width × height pixels at 96 dpi, its reference
// device 96 dpi as well, around the given records.
inline QByteArray emf(int width, int height, const QByteArray& records, int handles = 4) {
    const auto hundredthMm = [](int pixels) { return quint32(pixels * 2540 / 96); };
    const QByteArray end = emfRecord(14, {0, 16, 20});
    QByteArray header;
    putDword(header, 1);
    putDword(header, 88);
    for (quint32 v : {0u, 0u, quint32(width - 1), quint32(height - 1)}) // bounds
        putDword(header, v);
    for (quint32 v : {0u, 0u, hundredthMm(width), hundredthMm(height)}) // frame
        putDword(header, v);
    putDword(header, 0x464D4520);
    putDword(header, 0x10000);
    putDword(header, quint32(88 + records.size() + end.size()));
    putDword(header, 3); // records
    putWord(header, handles);
    putWord(header, 0);
    putDword(header, 0); // description
    putDword(header, 0);
    putDword(header, 0);   // palette entries
    putDword(header, 960); // device, pixels
    putDword(header, 960);
    putDword(header, 254); // device, millimetres
    putDword(header, 254);
    return header + records + end;
}

} // namespace fixtures
